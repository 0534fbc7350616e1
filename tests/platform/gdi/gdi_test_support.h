// Shared pieces of the GDI tests: a device context on a framebuffer of its
// own, pictures built pixel by pixel, and reading pixels back.
#pragma once

#include "platform/gdi/gdi.h"
#include "platform/gdi/windowdc.h"
#include "support/logicalpalette.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace gdi_test {

using ::MakePalette;

// A device context on a framebuffer filled with one byte value.
struct FrameDC {
    win::Framebuffer frame;
    win::HDC dc;

    FrameDC(int width, int height, int bitsPerPixel, std::uint8_t fill = 0x5A);
    ~FrameDC();
    FrameDC(const FrameDC&) = delete;
    FrameDC& operator=(const FrameDC&) = delete;

    // The pixel's bytes as a little-endian number.
    std::uint32_t Raw(int x, int y) const;
};

// A device-independent bitmap: header, colour table and pixels.
struct Dib {
    std::vector<std::uint8_t> info;
    std::vector<std::uint8_t> bits;

    const win::BITMAPINFO* Info() const {
        return reinterpret_cast<const win::BITMAPINFO*>(info.data());
    }
    win::BITMAPINFOHEADER& Header() {
        return *reinterpret_cast<win::BITMAPINFOHEADER*>(info.data());
    }
    const void* Bits() const { return bits.data(); }
};

// value(x, y), with y counted from the top, is a colour table index for 8
// bits and a COLORREF for 24 and 32 bits. The 8-bit table has 256 slots.
Dib MakeDib(int width, int height, int bitCount, bool topDown,
            const std::function<std::uint32_t(int x, int y)>& value);
void SetColourTable(Dib& dib, const std::vector<win::RGBQUAD>& colours);
void SetPaletteIndices(Dib& dib, const std::vector<win::WORD>& indices);

// What a colour is stored as in a true-colour framebuffer of that depth.
std::uint32_t Packed(win::COLORREF colour, int bitsPerPixel);

// The system palette as a list of colours.
std::vector<win::COLORREF> SystemColours();

// Back to SYSPAL_STATIC with every free entry released, so that a test sees
// palettes land where a fresh system would put them.
void ResetSystemPalette();

} // namespace gdi_test
