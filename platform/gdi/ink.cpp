#include "platform/gdi/ink.h"

#include "platform/gdi/colourmatch.h"
#include "platform/gdi/realisation.h"

namespace win::internal {

Ink InkMaker::ForColour(COLORREF colour) const {
    if (bitsPerPixel != 8)
        return Packed(colour);
    // Palettes are never empty.
    const int entry = NearestEntry(palette.entries.data(), palette.entries.size(), colour);
    Ink ink;
    ink.bytes[0] = static_cast<std::uint8_t>(SystemIndexOfEntry(static_cast<std::size_t>(entry)));
    return ink;
}

Ink InkMaker::ForPaletteEntry(unsigned index) const {
    if (index >= palette.entries.size())
        return ForColour(RGB(0, 0, 0));
    if (bitsPerPixel != 8)
        return Packed(ColourOf(palette.entries[index]));
    Ink ink;
    ink.bytes[0] = static_cast<std::uint8_t>(SystemIndexOfEntry(index));
    return ink;
}

int InkMaker::SystemIndexOfEntry(std::size_t entry) const {
    if (palette.systemIndex.size() == palette.entries.size())
        return palette.systemIndex[entry];
    return NearestSystemIndex(ColourOf(palette.entries[entry]));
}

Ink InkMaker::Packed(COLORREF colour) const {
    const std::uint8_t red = GetRValue(colour);
    const std::uint8_t green = GetGValue(colour);
    const std::uint8_t blue = GetBValue(colour);
    Ink ink;
    if (bitsPerPixel == 16) {
        const unsigned word = (red >> 3) << 11 | (green >> 2) << 5 | blue >> 3;
        ink.bytes = {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8), 0, 0};
    } else {
        ink.bytes = {blue, green, red, 0};
    }
    return ink;
}

} // namespace win::internal
