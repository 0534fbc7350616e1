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
    // The red, green and blue of a 16-bit pixel, each widened to 8 bits so
    // that full scale stays full.
    static void Widen565(const std::uint8_t* pixel, std::uint8_t rgb[3]) {
        const unsigned word = pixel[0] | (pixel[1] << 8);
        const unsigned red = word >> 11, green = (word >> 5) & 0x3F, blue = word & 0x1F;
        rgb[0] = static_cast<std::uint8_t>((red << 3) | (red >> 2));
        rgb[1] = static_cast<std::uint8_t>((green << 2) | (green >> 4));
        rgb[2] = static_cast<std::uint8_t>((blue << 3) | (blue >> 2));
    }
    std::uint8_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * stride; }
    const std::uint8_t* Row(int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * stride;
    }
};

} // namespace win
