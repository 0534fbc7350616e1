// The pixels behind a window, a screen or a DirectDraw surface. Rows are
// stored top-down. 8 bits per pixel are indices into the system palette,
// 16 bits are 5-6-5 red, green, blue in a little-endian word, 24 bits are
// blue, green, red, and 32 bits are blue, green, red and an unused byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace win {

struct Framebuffer {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    int stride = 0; // bytes per row, a multiple of 4 as in a DIB
    std::vector<std::uint8_t> pixels;

    Framebuffer() = default;
    Framebuffer(int w, int h, int bpp) { Reset(w, h, bpp); }

    // Resizes and clears to zero (black, or system palette index 0).
    void Reset(int w, int h, int bpp) {
        width = w > 0 ? w : 0;
        height = h > 0 ? h : 0;
        bitsPerPixel = bpp;
        stride = ((width * (bpp / 8)) + 3) & ~3;
        pixels.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), 0);
    }

    int BytesPerPixel() const { return bitsPerPixel / 8; }
    std::uint8_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * stride; }
    const std::uint8_t* Row(int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * stride;
    }
};

} // namespace win
