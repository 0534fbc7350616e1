// A web page as bxpage shows it: the title, the text in reading order, and
// the embedded files (EMBED elements) with their attributes, where they stand
// in the text. Made from HTML however broken; nothing here touches a file or
// the network.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bxpage {

struct Attribute {
    std::string name; // as the HTML parser gives it: in lower case
    // None for a bare attribute (<embed hidden>), which is not the same as
    // an empty value (<embed hidden="">).
    std::optional<std::string> value;
};

struct Embed {
    std::vector<Attribute> attributes; // in the order written, repeats dropped

    // The value of the first attribute of that name (any case); null when
    // there is none or it is bare.
    const std::string* Find(std::string_view name) const;
};

struct PageItem {
    enum class Kind {
        Text,  // words in UTF-8, runs of white space made single spaces
        Break, // the line ends here
        Embed, // embeds[embed] stands here
    };
    Kind kind = Kind::Text;
    std::string text;
    std::size_t embed = 0;
};

struct Page {
    std::string title; // UTF-8, white space collapsed; empty when there is none
    std::vector<PageItem> items;
    std::vector<Embed> embeds;
    // EMBED elements past the limit ParsePage was given, not in embeds.
    std::size_t embedsLeftOut = 0;
};

constexpr std::size_t kMaxEmbeds = 64;

Page ParsePage(std::string_view html, std::size_t maxEmbeds = kMaxEmbeds);

// An embedded file's box: WIDTH and HEIGHT in pixels, 320 x 240 for a size
// missing or unreadable, each held to 1..4096.
struct EmbedSize {
    int width = 0;
    int height = 0;
};
constexpr int kDefaultEmbedWidth = 320;
constexpr int kDefaultEmbedHeight = 240;
constexpr int kMaxEmbedSide = 4096;
EmbedSize SizeOf(const Embed& embed);

// The MIME type a file or URL path's extension stands for (a query or
// fragment after it is left out); empty for an extension we do not know.
std::string MimeTypeOfName(std::string_view name);

} // namespace bxpage
