#include "bxpage/layout.h"

#include <algorithm>
#include <cstdint>

namespace bxpage {
namespace {

// The window does not scroll: text below this is on no screen and is not
// kept (a long text in a narrow window would otherwise cost far more memory
// than the page). Boxes further down still get their places, up to kMaxTop.
constexpr std::int64_t kMaxTextTop = 1 << 16;
constexpr int kMaxTop = 1 << 30;

class Flow {
public:
    Flow(int width, int lineHeight, const MeasureText& measure)
        : available(std::max(1, width - 2 * kPageMargin)), lineHeight(lineHeight), measure(measure),
          spaceWidth(measure(" ", 1)) {}

    void Text(const std::string& text) {
        std::size_t i = 0;
        while (i < text.size()) {
            if (text[i] == ' ') {
                pendingSpace = true;
                ++i;
                continue;
            }
            const std::size_t end = std::min(text.find(' ', i), text.size());
            Word(text.data() + i, static_cast<int>(end - i));
            i = end;
        }
    }

    void Box(int width, int height) {
        int space = Space();
        if (x > 0 && x + space + width > available) {
            EndLine();
            space = 0;
        }
        out.boxes.push_back({kPageMargin + x + space, 0, width, height});
        x += space + width;
        lineBoxHeight = std::max(lineBoxHeight, height);
        textOpen = false;
    }

    void Break() { EndLine(); }

    Placement Finish() {
        if (x > 0)
            EndLine();
        out.height = static_cast<int>(std::min<std::int64_t>(top + kPageMargin, INT32_MAX));
        return std::move(out);
    }

private:
    int Space() const { return pendingSpace && x > 0 ? spaceWidth : 0; }

    void Word(const char* word, int count) {
        while (count > 0) {
            int space = Space();
            int width = measure(word, count);
            if (x > 0 && x + space + width > available) {
                EndLine();
                space = 0;
            }
            int fits = count;
            if (x == 0 && width > available) {
                // Wider than the window: as much as fits, the rest below.
                fits = LongestFitting(word, count);
                width = measure(word, fits);
            }
            Place(word, fits, space, width);
            word += fits;
            count -= fits;
            if (count > 0)
                EndLine();
        }
    }

    // At least one character, so that every line takes some of the word.
    int LongestFitting(const char* word, int count) const {
        int low = 1;
        int high = std::min(count, available);
        while (low < high) {
            const int middle = low + (high - low + 1) / 2;
            if (measure(word, middle) <= available)
                low = middle;
            else
                high = middle - 1;
        }
        return low;
    }

    void Place(const char* word, int count, int space, int width) {
        if (top <= kMaxTextTop) {
            if (textOpen) {
                std::string& text = out.texts.back().text;
                if (space > 0)
                    text += ' ';
                text.append(word, static_cast<std::size_t>(count));
            } else {
                out.texts.push_back({kPageMargin + x + space, 0, std::string(word, count)});
                textOpen = true;
            }
        }
        x += space + width;
        pendingSpace = false;
    }

    void EndLine() {
        const int height = std::max(lineHeight, lineBoxHeight);
        const int y = static_cast<int>(std::min<std::int64_t>(top, kMaxTop));
        for (std::size_t i = firstText; i < out.texts.size(); ++i)
            out.texts[i].y = y + height - lineHeight;
        for (std::size_t i = firstBox; i < out.boxes.size(); ++i)
            out.boxes[i].y = y + height - out.boxes[i].height;
        firstText = out.texts.size();
        firstBox = out.boxes.size();
        top += height;
        x = 0;
        lineBoxHeight = 0;
        pendingSpace = false;
        textOpen = false;
    }

    const int available;
    const int lineHeight;
    const MeasureText& measure;
    const int spaceWidth;
    Placement out;
    std::int64_t top = kPageMargin;
    int x = 0;
    int lineBoxHeight = 0;
    bool pendingSpace = false;
    bool textOpen = false; // the last text placed may take the next word
    std::size_t firstText = 0;
    std::size_t firstBox = 0;
};

// The characters of Windows-1252 above 0x7F that are not Latin-1's.
constexpr struct {
    char32_t code;
    unsigned char ansi;
} kWindowsExtras[] = {
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
    {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
    {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
};

char AnsiOf(char32_t code) {
    if (code < 0x20)
        return ' ';
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<char>(code);
    for (const auto& extra : kWindowsExtras)
        if (extra.code == code)
            return static_cast<char>(extra.ansi);
    return '?';
}

} // namespace

Placement LayOut(const std::vector<FlowItem>& items, int width, int lineHeight,
                 const MeasureText& measure) {
    Flow flow(width, lineHeight, measure);
    for (const FlowItem& item : items) {
        switch (item.kind) {
        case FlowItem::Kind::Text:
            flow.Text(item.text);
            break;
        case FlowItem::Kind::Break:
            flow.Break();
            break;
        case FlowItem::Kind::Box:
            flow.Box(item.width, item.height);
            break;
        }
    }
    return flow.Finish();
}

std::vector<FlowItem> FlowOf(const Page& page) {
    std::vector<FlowItem> flow;
    flow.reserve(page.items.size());
    for (const PageItem& item : page.items) {
        switch (item.kind) {
        case PageItem::Kind::Text:
            flow.push_back({FlowItem::Kind::Text, ToWindowsAnsi(item.text), 0, 0});
            break;
        case PageItem::Kind::Break:
            flow.push_back({FlowItem::Kind::Break, {}, 0, 0});
            break;
        case PageItem::Kind::Embed: {
            const EmbedSize size = SizeOf(page.embeds.at(item.embed));
            flow.push_back({FlowItem::Kind::Box, {}, size.width, size.height});
            break;
        }
        }
    }
    return flow;
}

std::string ToWindowsAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80    ? 1
                           : lead >= 0xF0 ? 4
                           : lead >= 0xE0 ? 3
                           : lead >= 0xC0 ? 2
                                          : 0;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = length > 0 && i + length <= utf8.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        out += AnsiOf(code);
        i += length;
    }
    return out;
}

} // namespace bxpage
