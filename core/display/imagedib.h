// Rows of a picture copied into a top-down device-independent bitmap of
// their own, so that a blit reads only the picture's own pixels whatever its
// stride, field or orientation, and whatever header the caller holds.
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

    // SetDIBitsToDevice at (x, y): through the selected palette for 1-byte
    // pictures, as colours otherwise.
    void Draw(win::HDC dc, int x, int y) const;

private:
    DisplayBitmapInfo info{};
    std::vector<uint8_t> bits;
    bool paletteIndices = false;
};
