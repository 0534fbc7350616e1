// The simple flow bxpage lays a page out in: words wrapped at the width,
// embedded files as boxes in the line where they stand, a line as high as
// its tallest box, text and boxes standing on the line's foot.
#pragma once

#include "bxpage/page.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bxpage {

struct FlowItem {
    enum class Kind { Text, Break, Box };
    Kind kind = Kind::Text;
    std::string text; // Text: in the Windows ANSI code page, words between single spaces
    int width = 0;    // Box
    int height = 0;
};

struct PlacedText {
    int x = 0;
    int y = 0; // the top of the text
    std::string text;
};

struct PlacedBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PlacedBox&) const = default;
};

struct Placement {
    std::vector<PlacedText> texts; // top to bottom, as far as a screen reaches
    std::vector<PlacedBox> boxes;  // one for each Box item, in their order
    int height = 0;                // of everything, margins included
};

constexpr int kPageMargin = 8;

// The width of count characters of text, as the window draws them.
using MeasureText = std::function<int(const char* text, int count)>;

Placement LayOut(const std::vector<FlowItem>& items, int width, int lineHeight,
                 const MeasureText& measure);

// The page's text in the code page the window's font draws, its embedded
// files as boxes of their size.
std::vector<FlowItem> FlowOf(const Page& page);

// Characters the code page has no place for become '?', control characters
// spaces.
std::string ToWindowsAnsi(std::string_view utf8);

} // namespace bxpage
