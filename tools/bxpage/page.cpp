#include "bxpage/page.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstring>
#include <memory>

namespace bxpage {
namespace {

// An element's part in the flat page.
enum class Role {
    Inline,    // its text flows on
    Block,     // starts and ends a line of its own
    LineBreak, // BR: ends the line, empty or not
    Cell,      // table cells: a space between neighbours
    Pre,       // a block whose white space stays
    Embed,
    Title,
    Hidden, // nothing it holds is shown
};

bool NamedAnyOf(const xmlNode* node, std::initializer_list<const char*> names) {
    const char* name = reinterpret_cast<const char*>(node->name);
    return name && std::any_of(names.begin(), names.end(), [name](const char* candidate) {
               return xmlStrcasecmp(reinterpret_cast<const xmlChar*>(name),
                                    reinterpret_cast<const xmlChar*>(candidate)) == 0;
           });
}

Role RoleOf(const xmlNode* element) {
    if (NamedAnyOf(element, {"embed"}))
        return Role::Embed;
    if (NamedAnyOf(element, {"br"}))
        return Role::LineBreak;
    if (NamedAnyOf(element, {"title"}))
        return Role::Title;
    if (NamedAnyOf(element, {"pre", "listing", "xmp", "plaintext"}))
        return Role::Pre;
    if (NamedAnyOf(element, {"td", "th"}))
        return Role::Cell;
    // NOEMBED is what a browser without the plug-in shows; we have it. HEAD
    // is not hidden: the parser puts an EMBED that comes before any text
    // there.
    if (NamedAnyOf(element, {"script", "style", "noembed", "template", "select"}))
        return Role::Hidden;
    if (NamedAnyOf(element, {"address",  "article",    "aside",   "blockquote", "body", "caption",
                             "center",   "dd",         "dir",     "div",        "dl",   "dt",
                             "fieldset", "figcaption", "figure",  "footer",     "form", "h1",
                             "h2",       "h3",         "h4",      "h5",         "h6",   "header",
                             "hr",       "html",       "li",      "main",       "menu", "nav",
                             "ol",       "p",          "section", "table",      "tr",   "ul"}))
        return Role::Block;
    return Role::Inline;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string Collapsed(std::string_view text) {
    std::string out;
    bool space = false;
    for (const char c : text) {
        if (IsSpace(c)) {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}

// Cut at a character boundary of UTF-8, so that a long title stays text.
std::string Shortened(std::string text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

struct XmlString {
    xmlChar* text = nullptr;
    ~XmlString() { xmlFree(text); }
};

class Builder {
public:
    explicit Builder(std::size_t maxEmbeds) : maxEmbeds(maxEmbeds) {}

    void Enter(const xmlNode* node, Role role) {
        if (role == Role::Title && page.title.empty())
            page.title = TitleOf(node);
        if (role == Role::Hidden)
            ++hiddenDepth;
        if (hiddenDepth > 0)
            return;
        switch (role) {
        case Role::Block:
            EndLine();
            break;
        case Role::Pre:
            EndLine();
            ++preDepth;
            break;
        case Role::LineBreak:
            Break();
            break;
        case Role::Cell:
            pendingSpace = true;
            break;
        case Role::Embed:
            AddEmbed(node);
            break;
        case Role::Title:
        case Role::Inline:
        case Role::Hidden:
            break;
        }
    }

    void Leave(Role role) {
        if (role == Role::Hidden)
            --hiddenDepth;
        if (hiddenDepth > 0)
            return;
        if (role == Role::Pre)
            --preDepth;
        if (role == Role::Block || role == Role::Pre)
            EndLine();
        else if (role == Role::Cell)
            pendingSpace = true;
    }

    void AddText(const char* text) {
        if (hiddenDepth > 0)
            return;
        for (const char* c = text; *c; ++c) {
            if (preDepth > 0) {
                if (*c == '\n')
                    Break();
                else if (*c != '\r')
                    Append(IsSpace(*c) ? ' ' : *c);
            } else if (IsSpace(*c)) {
                pendingSpace = true;
            } else {
                Append(*c);
            }
        }
    }

    Page Finish() {
        Flush();
        // The last line's end shows nothing.
        while (!page.items.empty() && page.items.back().kind == PageItem::Kind::Break)
            page.items.pop_back();
        return std::move(page);
    }

private:
    void Append(char c) {
        if (pendingSpace && !lineEmpty)
            run += ' ';
        pendingSpace = false;
        lineEmpty = false;
        run += c;
    }

    void Flush() {
        if (run.empty())
            return;
        page.items.push_back({PageItem::Kind::Text, std::move(run), 0});
        run.clear();
    }

    void Break() {
        Flush();
        page.items.push_back({PageItem::Kind::Break, {}, 0});
        lineEmpty = true;
        pendingSpace = false;
    }

    // Blocks start on a line of their own without leaving empty lines.
    void EndLine() {
        if (!lineEmpty)
            Break();
        pendingSpace = false;
    }

    void AddEmbed(const xmlNode* element) {
        if (page.embeds.size() >= maxEmbeds) {
            ++page.embedsLeftOut;
            return;
        }
        if (pendingSpace && !lineEmpty)
            run += ' ';
        pendingSpace = false;
        Flush();
        Embed embed;
        for (const xmlAttr* attribute = element->properties; attribute;
             attribute = attribute->next) {
            // NPP_New counts its arguments in 16 bits.
            if (embed.attributes.size() >= INT16_MAX)
                break;
            Attribute added;
            added.name = attribute->name ? reinterpret_cast<const char*>(attribute->name) : "";
            if (attribute->children) {
                const XmlString value{xmlNodeListGetString(element->doc, attribute->children, 1)};
                added.value = value.text ? reinterpret_cast<const char*>(value.text) : "";
            }
            embed.attributes.push_back(std::move(added));
        }
        page.items.push_back({PageItem::Kind::Embed, {}, page.embeds.size()});
        page.embeds.push_back(std::move(embed));
        lineEmpty = false;
    }

    static std::string TitleOf(const xmlNode* title) {
        const XmlString text{xmlNodeGetContent(title)};
        if (!text.text)
            return {};
        return Shortened(Collapsed(reinterpret_cast<const char*>(text.text)), 256);
    }

    Page page;
    std::size_t maxEmbeds;
    std::string run;
    bool pendingSpace = false;
    bool lineEmpty = true;
    int preDepth = 0;
    int hiddenDepth = 0;
};

struct DocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

} // namespace

const std::string* Embed::Find(std::string_view name) const {
    for (const Attribute& attribute : attributes) {
        if (attribute.name.size() == name.size() &&
            std::equal(name.begin(), name.end(), attribute.name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return attribute.value ? &*attribute.value : nullptr;
    }
    return nullptr;
}

Page ParsePage(std::string_view html, std::size_t maxEmbeds) {
    if (html.size() > static_cast<std::size_t>(INT_MAX))
        html = html.substr(0, INT_MAX);
    const std::unique_ptr<xmlDoc, DocumentDeleter> document(htmlReadMemory(
        html.data(), static_cast<int>(html.size()), nullptr, nullptr,
        HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET));
    Builder builder(maxEmbeds);
    if (!document)
        return builder.Finish();
    // Depth first without recursion: the parser nests unclosed elements.
    const xmlNode* top = reinterpret_cast<const xmlNode*>(document.get());
    const xmlNode* node = top->children;
    while (node) {
        bool descend = false;
        if (node->type == XML_ELEMENT_NODE) {
            const Role role = RoleOf(node);
            builder.Enter(node, role);
            descend = role != Role::Title;
        } else if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content)
                builder.AddText(reinterpret_cast<const char*>(node->content));
        }
        if (descend && node->children) {
            node = node->children;
            continue;
        }
        // Leave this node and every ancestor that has no next sibling.
        for (;;) {
            if (node->type == XML_ELEMENT_NODE)
                builder.Leave(RoleOf(node));
            if (node->next) {
                node = node->next;
                break;
            }
            node = node->parent;
            if (!node || node == top) {
                node = nullptr;
                break;
            }
        }
    }
    return builder.Finish();
}

EmbedSize SizeOf(const Embed& embed) {
    // A number, maybe signed and followed by a unit ("200px"); "50%" and
    // words are not sizes we can give.
    const auto side = [&embed](const char* name, int fallback) {
        const std::string* text = embed.Find(name);
        if (!text)
            return fallback;
        std::string_view value = *text;
        while (!value.empty() && IsSpace(value.front()))
            value.remove_prefix(1);
        if (!value.empty() && value.front() == '+')
            value.remove_prefix(1);
        long long number = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), number);
        if (error == std::errc::result_out_of_range)
            number = value.front() == '-' ? 0 : kMaxEmbedSide;
        else if (error != std::errc() || (end != value.data() + value.size() && *end == '%'))
            return fallback;
        return static_cast<int>(std::clamp<long long>(number, 1, kMaxEmbedSide));
    };
    return {side("width", kDefaultEmbedWidth), side("height", kDefaultEmbedHeight)};
}

std::string MimeTypeOfName(std::string_view name) {
    name = name.substr(0, name.find_first_of("?#"));
    const std::size_t slash = name.find_last_of('/');
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos)
        return {};
    std::string extension(name.substr(dot + 1));
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* known : {"jps", "pns", "pxr", "mpo"})
        if (extension == known)
            return "image/x-" + extension;
    return {};
}

} // namespace bxpage
