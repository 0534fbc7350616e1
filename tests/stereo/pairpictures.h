// Pictures with known pixels for the pair converter's tests.
#pragma once

#include "imaging/pxerror.h"
#include "imaging/pximage.h"
#include "support/thrownmessage.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

using Pixel = std::array<uint8_t, 3>; // blue, green, red

// The pixel a test picture holds at (x, y): every position differs.
inline Pixel CodeAt(int32_t x, int32_t y) {
    return {static_cast<uint8_t>(x), static_cast<uint8_t>(y),
            static_cast<uint8_t>(x * 7 + y * 13 + 1)};
}

inline Pixel PixelAt(const pxImage& image, int32_t x, int32_t y) {
    const uint8_t* p = image.Row(y) + x * image.GetBytesPerPixel();
    return {p[0], p[1], p[2]};
}

inline void SetPixel(pxImage& image, int32_t x, int32_t y, Pixel pixel) {
    std::memcpy(image.Row(y) + x * image.GetBytesPerPixel(), pixel.data(), 3);
}

// A 3-byte picture whose pixel (x, y) is CodeAt(x, y).
inline pxImage CodedPicture(px2Size size, int32_t bottomUp = 0) {
    pxImage picture(size, 3, 1, bottomUp);
    for (int32_t y = 0; y < size.height; ++y)
        for (int32_t x = 0; x < size.width; ++x)
            SetPixel(picture, x, y, CodeAt(x, y));
    return picture;
}

// Every byte of the image's rows set to value.
inline void FillBytes(pxImage& image, uint8_t value) {
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        std::memset(image.Row(y), value,
                    static_cast<size_t>(image.GetWidth()) *
                        static_cast<size_t>(image.GetBytesPerPixel()));
}

// True when every byte of the rectangle still holds value.
inline bool Untouched(const pxImage& image, const px2Rect& rect, uint8_t value) {
    const int32_t bpp = image.GetBytesPerPixel();
    for (int32_t y = rect.y; y < rect.y + rect.height; ++y)
        for (int32_t i = rect.x * bpp; i < (rect.x + rect.width) * bpp; ++i)
            if (image.Row(y)[i] != value)
                return false;
    return true;
}
