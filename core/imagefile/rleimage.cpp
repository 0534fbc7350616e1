#include "imagefile/rleimage.h"

#include "imagefile/runlength.h"
#include "imaging/pxerror.h"

namespace {

// The rectangle one byte plane of the codes paints. Positions are 64-bit so
// that no number of skips can make them wrap.
struct Plane {
    const pxImage& image;
    int64_t left;
    int64_t top;
    int64_t width;
    int64_t height;
    int32_t byteOffset; // of this plane's byte within a pixel
};

// Pixel column of row row of the plane's rectangle is set to value, unless it
// lies outside the rectangle or the picture.
void Put(const Plane& plane, int64_t row, int64_t column, uint8_t value) {
    const int64_t x = plane.left + column;
    const int64_t y = plane.top + row;
    if (column < plane.width && row < plane.height && x >= 0 && x < plane.image.GetWidth() &&
        y >= 0 && y < plane.image.GetHeight())
        plane.image.Row(
            static_cast<int32_t>(y))[x * plane.image.GetBytesPerPixel() + plane.byteOffset] = value;
}

// Decodes one sequence of codes, up to its end-of-picture code.
void DecodePlane(plainread::ByteCursor& in, const Plane& plane, bool checkRowWidth) {
    int64_t row = 0;
    int64_t column = 0;
    // Every code takes at least one byte, so the codes always run out or end.
    for (;;) {
        const int32_t code = static_cast<int8_t>(in.Next());
        if (code > 0) {
            const uint8_t* bytes = in.Take(static_cast<size_t>(code));
            for (int32_t i = 0; i < code; ++i)
                Put(plane, row, column++, bytes[i]);
        } else if (code < -1) {
            const uint8_t value = in.Next();
            for (int32_t i = 0; i < -code; ++i)
                Put(plane, row, column++, value);
        } else if (code == -1) {
            if (checkRowWidth && column != plane.width)
                throw pxError("Bugger = %ld %ld", static_cast<long>(column),
                              static_cast<long>(plane.width));
            ++row;
            column = 0;
        } else {
            const uint8_t skip = in.Next();
            if (skip == 0)
                return;
            column += skip;
        }
    }
}

} // namespace

void DecodeRleImage(const pxRleImage& rle, const pxImage& image) {
    if (!image.HasBuffer() || image.GetBytesPerPixel() != rle.bytesPerPixel)
        throw pxError("RLE image of %d bytes per pixel cannot be decoded into this image",
                      rle.bytesPerPixel);
    plainread::ByteCursor in(rle.codes);
    for (int32_t byte = 0; byte < rle.bytesPerPixel; ++byte) {
        const Plane plane{image,
                          rle.x,
                          rle.y,
                          rle.width == -1 ? image.GetWidth() : rle.width,
                          rle.height == -1 ? image.GetHeight() : rle.height,
                          byte};
        DecodePlane(in, plane, rle.bytesPerPixel > 1);
    }
}
