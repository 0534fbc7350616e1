// The run-length pictures of block resource files: what a "RLE IMAGE" block
// holds, and decoding it into a picture.
#pragma once

#include "imaging/pximage.h"

#include <cstdint>
#include <vector>

// Codes that paint a width x height rectangle whose top left corner lies at
// (x, y) of a picture. A width or height of -1 stands for the whole width or
// height of the picture the codes are decoded into.
struct pxRleImage {
    int32_t bytesPerPixel = 1;
    int32_t width = 0;
    int32_t height = 0;
    int32_t x = 0;
    int32_t y = 0;
    std::vector<uint8_t> codes;
};

// Decodes rle into image, which must have rle's bytes per pixel. The codes
// are signed bytes c: 1 to 127 copy the next c bytes, -128 to -2 repeat the
// next byte -c times, -1 ends a row, 0 and then 0 ends the picture, 0 and then
// s skips s pixels. Pictures of several bytes per pixel hold one such
// sequence per byte of the pixel, first the one for every pixel's first byte;
// each of their rows must end after exactly the rectangle's width ("Bugger =
// %ld %ld" otherwise). Pixels outside the rectangle or the picture are
// dropped; pixels no code reaches are left as they are. Codes that run out
// before the end of the picture throw pxFileError.
void DecodeRleImage(const pxRleImage& rle, const pxImage& image);
