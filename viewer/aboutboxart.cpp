// aboutboxart: draws the about box's artwork at build time, with the core's
// built-in 8 x 16 font: the picture shown in the box and the credits that
// roll through it.
//
//   aboutboxart PICTURE.bmp CREDITS.bmp [PRODUCT]
//
// PRODUCT names the front end under "Binoxa" (the viewer's when left out).
// The credits are two pixels narrower than the picture: they roll inside the
// picture's one-pixel frame.
#include "bxconvert/writers.h"

#include "imaging/font.h"
#include "imaging/pxerror.h"
#include "imaging/pximage.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr int32_t kPictureWidth = 100;
constexpr int32_t kPictureHeight = 120;
constexpr int32_t kCreditsWidth = kPictureWidth - 2;

void Fill(pxImage& image, int32_t row, uint8_t blue, uint8_t green, uint8_t red) {
    uint8_t* pixel = image.Row(row);
    for (int32_t x = 0; x < image.GetWidth(); ++x, pixel += 3) {
        pixel[0] = blue;
        pixel[1] = green;
        pixel[2] = red;
    }
}

void Centred(pxImage& image, int32_t top, const char* text, uint8_t colour) {
    const int32_t width = static_cast<int32_t>(std::strlen(text)) * kCharWidth;
    DrawText(image, {(image.GetWidth() - width) / 2, top}, text, colour);
}

pxImage Picture(const char* product) {
    pxImage picture({kPictureWidth, kPictureHeight}, 3);
    for (int32_t y = 0; y < kPictureHeight; ++y)
        Fill(picture, y, static_cast<uint8_t>(96 + y), static_cast<uint8_t>(y), 24);
    // Two lenses, red and cyan, for the two eyes.
    for (int32_t y = 30; y < 50; ++y)
        for (int32_t x = 0; x < kPictureWidth; ++x) {
            const int32_t left = (x - 32) * (x - 32) + (y - 40) * (y - 40);
            const int32_t right = (x - 68) * (x - 68) + (y - 40) * (y - 40);
            uint8_t* pixel = picture.Row(y) + x * 3;
            if (left < 110) {
                pixel[0] = 0x20, pixel[1] = 0x20, pixel[2] = 0xE0;
            } else if (right < 110) {
                pixel[0] = 0xE0, pixel[1] = 0xE0, pixel[2] = 0x20;
            }
        }
    Centred(picture, 72, "Binoxa", 255);
    Centred(picture, 92, product, 251);
    return picture;
}

pxImage Credits(const char* product) {
    const char* const lines[] = {
        "", "Binoxa",  product,   "", "Stereo", "pictures", "for two",  "eyes",
        "", "Made by", "Norvane", "", "Thanks", "for",      "watching", "",
    };
    constexpr int32_t count = sizeof lines / sizeof lines[0];
    pxImage credits({kCreditsWidth, count * kCharHeight}, 3);
    // A gradient under the text, so that no two rows look alike.
    for (int32_t y = 0; y < credits.GetHeight(); ++y)
        Fill(credits, y, static_cast<uint8_t>(y), 0, static_cast<uint8_t>(255 - y));
    for (int32_t i = 0; i < count; ++i)
        Centred(credits, i * kCharHeight, lines[i], i == 1 || i == 2 ? 251 : 255);
    return credits;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fputs("usage: aboutboxart PICTURE.bmp CREDITS.bmp [PRODUCT]\n", stderr);
        return 2;
    }
    try {
        const char* product = argc == 4 ? argv[3] : "Viewer";
        WritePicture(argv[1], Picture(product), nullptr);
        WritePicture(argv[2], Credits(product), nullptr);
        return 0;
    } catch (const pxError& error) {
        std::fprintf(stderr, "%s\n", error.GetMessage());
        return 1;
    }
}
