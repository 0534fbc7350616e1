// Rows of a picture as a device-independent bitmap described by the
// picture's own geometry, so that a blit reads only the picture's own pixels
// whatever header the caller holds. Rows laid out as a bitmap's (a stride of
// the aligned row size, either way up) are drawn where they are; others
// (fields, odd strides) are first copied into a bitmap of their own.
#pragma once

#include "display/windisp.h"
#include "imaging/pximage.h"
#include "platform/win/wintypes.h"

#include <cstdint>
#include <vector>

class ImageDib {
public:
    // Rows firstRow to firstRow + rows - 1 of image (cut to the image). A
    // 1-byte picture takes its palette indices from header (null: 0 to 255).
    ImageDib(const pxImage& image, int32_t firstRow, int32_t rows, const win::BITMAPINFO* header);
    // The bits may point into the copy's own rows.
    ImageDib(const ImageDib&) = delete;
    ImageDib& operator=(const ImageDib&) = delete;

    // SetDIBitsToDevice at (x, y): through the selected palette for 1-byte
    // pictures, as colours otherwise.
    void Draw(win::HDC dc, int x, int y) const;

private:
    DisplayBitmapInfo info{};
    const uint8_t* bits = nullptr; // the lowest row in memory; null draws nothing
    std::vector<uint8_t> copied;   // the rows, when the picture's own cannot serve
    bool paletteIndices = false;
};
