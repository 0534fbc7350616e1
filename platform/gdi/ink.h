// How colours become the pixel bytes of one device context's framebuffer. On
// an 8-bit framebuffer a colour takes the nearest entry of the selected
// logical palette and, through that palette's realisation, its system palette
// index (the nearest system colour when the palette was never realised).
#pragma once

#include "platform/gdi/devicecontext.h"
#include "platform/win/wintypes.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace win::internal {

struct Ink {
    std::array<std::uint8_t, 4> bytes{};
};

inline void Put(std::uint8_t* pixel, const Ink& ink, int bytesPerPixel) {
    std::memcpy(pixel, ink.bytes.data(), static_cast<std::size_t>(bytesPerPixel));
}

class InkMaker {
public:
    InkMaker(const DeviceContext& dc, int bitsPerPixel)
        : palette(*dc.palette), bitsPerPixel(bitsPerPixel) {}

    Ink ForColour(COLORREF colour) const;
    // An entry of the selected logical palette; black past its end.
    Ink ForPaletteEntry(unsigned index) const;

private:
    int SystemIndexOfEntry(std::size_t entry) const;
    Ink Packed(COLORREF colour) const;

    const LogicalPalette& palette;
    int bitsPerPixel;
};

} // namespace win::internal
