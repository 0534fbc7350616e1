// Writers of BMP, Targa and PPM files in every form the readers take, from
// pictures with known pixels, so that tests can compare what a reader makes
// of a file with the picture the file was made from.
#pragma once

#include "imaging/pxerror.h"
#include "imaging/pximage.h"
#include "support/thrownmessage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fixtures {

using Bytes = std::vector<uint8_t>;

// A picture in the form the readers deliver: rows top-down and packed; one
// palette index per pixel (with its colours) or blue, green, red (and alpha).
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bytesPerPixel = 0;
    Bytes pixels;
    std::vector<pxColor> palette;

    const uint8_t* At(int32_t x, int32_t y) const {
        return pixels.data() + (size_t(y) * width + x) * bytesPerPixel;
    }
};

// An indexed picture using `colours` distinct colours, with runs of equal
// pixels and stretches of different ones (so that encoders use both forms).
Picture IndexedPicture(int32_t width, int32_t height, int32_t colours);
// A picture of 3 or 4 bytes per pixel, likewise; each byte goes through
// `level` (to keep only values a format can carry).
Picture TrueColourPicture(int32_t width, int32_t height, int32_t bytesPerPixel,
                          const std::function<uint8_t(uint8_t)>& level = {});
// Indexes 0-255 meaning grey levels, with the grey ramp as palette.
Picture GreyPicture(int32_t width, int32_t height);

struct BmpForm {
    int32_t bitCount = 24;   // 1, 4, 8, 24
    bool os2 = false;        // 12-byte header, 3-byte palette entries
    bool runLength = false;  // 8- or 4-bit run-length data
    int32_t coloursUsed = 0; // written into the header (0: the default)
    bool topDown = false;    // top row first, with a negative height
};
Bytes EncodeBmp(const Picture& picture, const BmpForm& form);

struct TgaForm {
    int32_t imageType = 2;  // 1, 2, 3 or, run-length, 9, 10, 11
    int32_t depth = 24;     // 8 for mapped and grey; 16, 24, 32 for true colour
    uint8_t descriptor = 0; // 0x10 right to left, 0x20 top-down
    int32_t mapFirst = 0;   // first index the colour map stands for
    int32_t mapEntrySize = 24;
    std::string identifier;
    bool footer = false; // the "TRUEVISION-XFILE." footer of newer files
};
Bytes EncodeTga(const Picture& picture, const TgaForm& form);

// 3-byte pictures only. Every channel must be a whole multiple of
// 255 / maximum.
Bytes EncodePpm(const Picture& picture, bool text, int32_t maximum);

// Grows a file on disk: appends bytes[from, to).
void AppendToFile(const std::string& path, const Bytes& bytes, size_t from, size_t to);

// A directory of its own for one test, removed again by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes bytes to a file of that name in the directory; returns its path.
    std::string Write(const std::string& name, const Bytes& bytes) const;
    // The path of a file of that name in the directory, which is left alone.
    std::string PathOf(const std::string& name) const;

private:
    std::filesystem::path path;
};

// Whether a reader made expected: the same size and pixels and, for an
// indexed picture, the same colours in the palette.
::testing::AssertionResult SamePicture(const Picture& expected, const pxImage& image,
                                       const pxPalette& palette);

} // namespace fixtures
