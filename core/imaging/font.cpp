#include "imaging/font.h"

#include "imaging/pixelops.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kGlyphCount = 256;

const uint8_t kGlyphs[kGlyphCount * kCharHeight] = {
#include "glyphtable.inc"
};

// One byte per table row, most significant bit leftmost.
pxImage MakeFontImage() {
    pxImage font({kCharWidth, kGlyphCount * kCharHeight}, 1);
    for (int32_t row = 0; row < font.GetHeight(); ++row)
        for (int32_t column = 0; column < kCharWidth; ++column)
            font.Row(row)[column] = (kGlyphs[row] >> (kCharWidth - 1 - column)) & 1;
    return font;
}

// Palette index of the colour code letter, or -1 when it is none.
int ColourOfCode(char letter) {
    static const char kLetters[] = "kRGYBMCWKrgybmcw";
    const char* found = letter ? std::strchr(kLetters, letter) : nullptr;
    if (!found)
        return -1;
    const int position = static_cast<int>(found - kLetters);
    return position < 8 ? position : 240 + position;
}

// Calls visit(character, colour) for every character the text draws, in
// order, applying colour codes on the way; stops early when visit returns false.
template <typename Visit> void ForEachDrawn(const char* text, uint8_t colour, Visit visit) {
    for (const char* at = text; *at; ++at) {
        if (*at == '^') {
            if (at[1] == '^') {
                ++at; // the second caret is the one drawn
            } else if (const int code = ColourOfCode(at[1]); code >= 0) {
                colour = static_cast<uint8_t>(code);
                ++at;
                continue;
            }
        }
        if (!visit(static_cast<unsigned char>(*at), colour))
            return;
    }
}

// The bytes one set glyph pixel writes.
struct Ink {
    uint8_t bytes[4] = {};
    int count = 0;

    Ink(uint8_t index, int bytesPerPixel) : count(bytesPerPixel) {
        if (bytesPerPixel == 1) {
            bytes[0] = index;
            return;
        }
        const pxColor colour = pxPalette::SystemColour(index);
        bytes[0] = colour.blue;
        bytes[1] = colour.green;
        bytes[2] = colour.red;
    }
};

void DrawGlyph(pxImage& image, int64_t left, int64_t top, unsigned char character, const Ink& ink) {
    const pxImage& font = pxFontImage();
    const int64_t firstRow = top < 0 ? -top : 0;
    const int64_t endRow = std::min<int64_t>(kCharHeight, image.GetHeight() - top);
    const int64_t firstColumn = left < 0 ? -left : 0;
    const int64_t endColumn = std::min<int64_t>(kCharWidth, image.GetWidth() - left);
    for (int64_t row = firstRow; row < endRow; ++row) {
        const uint8_t* glyphRow = font.Row(character * kCharHeight + static_cast<int32_t>(row));
        uint8_t* target = image.Row(static_cast<int32_t>(top + row));
        for (int64_t column = firstColumn; column < endColumn; ++column)
            if (glyphRow[column])
                std::memcpy(target + (left + column) * ink.count, ink.bytes,
                            static_cast<size_t>(ink.count));
    }
}

} // namespace

const pxImage& pxFontImage() {
    static const pxImage font = MakeFontImage();
    return font;
}

void DrawText(pxImage& image, px2Pnt point, const char* text, uint8_t colour) {
    if (!text || image.GetWidth() <= 0 || image.GetHeight() <= 0)
        return;
    const int bytesPerPixel = image.GetBytesPerPixel();
    if (bytesPerPixel != 1 && bytesPerPixel != 3 && bytesPerPixel != 4)
        throw pxError("DrawText: Invalid image bpp (%d).", bytesPerPixel);
    CheckPixelAccess(image, "DrawText");

    int64_t left = point.x;
    ForEachDrawn(text, colour, [&](unsigned char character, uint8_t inkColour) {
        if (left >= image.GetWidth())
            return false;
        if (left + kCharWidth > 0)
            DrawGlyph(image, left, point.y, character, Ink(inkColour, bytesPerPixel));
        left += kCharWidth;
        return true;
    });
}

px2Size TextExtent(const char* format, ...) {
    char text[kMaxTextLength + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    int32_t drawn = 0;
    ForEachDrawn(text, 0, [&](unsigned char, uint8_t) {
        ++drawn;
        return true;
    });
    return {drawn * kCharWidth, kCharHeight};
}
