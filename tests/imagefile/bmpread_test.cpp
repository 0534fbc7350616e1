#include "imagefile/plainfixtures.h"

#include "imagefile/plainformats.h"

#include <gtest/gtest.h>

using namespace fixtures;

namespace {

// Offsets in a BMP file with the 40-byte header.
constexpr size_t kWidthAt = 18;
constexpr size_t kHeightAt = 22;
constexpr size_t kBitCountAt = 28;
constexpr size_t kCompressionAt = 30;

void Patch(Bytes& file, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        file[at + size_t(i)] = uint8_t(value >> (8 * i));
}

Picture PictureFor(int32_t bitCount, int32_t width, int32_t height) {
    return bitCount == 24 ? TrueColourPicture(width, height, 3)
                          : IndexedPicture(width, height, 1 << bitCount);
}

} // namespace

TEST(BmpRead, ReadsEveryDepthInBothHeaderFormsRawAndRunLength) {
    const TempDir dir;
    for (const int32_t bitCount : {1, 4, 8, 24})
        for (const bool os2 : {false, true})
            for (const bool runLength : {false, true}) {
                if (runLength && (os2 || bitCount == 1 || bitCount == 24))
                    continue;
                // Odd widths give every kind of row padding; 300 pixels need
                // runs longer than one code holds.
                for (const int32_t width : {1, 13, 300}) {
                    SCOPED_TRACE(::testing::Message()
                                 << bitCount << " bits, os2 " << os2 << ", rle " << runLength
                                 << ", width " << width);
                    const Picture picture = PictureFor(bitCount, width, 5);
                    const std::string path =
                        dir.Write("picture.bmp", EncodeBmp(picture, {bitCount, os2, runLength, 0}));
                    pxImage image;
                    pxPalette palette;
                    ReadPlainImage(path.c_str(), &image, &palette, 0, FORMAT_FROM_FILE);
                    EXPECT_TRUE(SamePicture(picture, image, palette));
                    EXPECT_EQ(image.GetBuff()->GetRowAlign(), 4);
                    EXPECT_FALSE(image.GetBuff()->IsBottomUp());
                }
            }
}

TEST(BmpRead, BottomUpFlagOrdersMemoryButNotThePicture) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(6, 4, 3);
    const std::string path = dir.Write("p.bmp", EncodeBmp(picture, {24, false, false, 0}));
    pxImage image;
    pxPalette palette;
    ReadPlainImage(path.c_str(), &image, &palette, 1, FORMAT_BMP);
    EXPECT_TRUE(image.GetBuff()->IsBottomUp());
    EXPECT_TRUE(SamePicture(picture, image, palette));
    // The first memory row holds the picture's last row.
    EXPECT_EQ(image.GetBuff()->GetData()[0], *picture.At(0, 3));
}

TEST(BmpRead, ColourTablesOfOtherLengths) {
    const TempDir dir;
    pxImage image;

    // Three colours used of 256: the rest of the palette is left alone.
    Picture few = IndexedPicture(8, 3, 3);
    pxPalette palette;
    std::string path = dir.Write("few.bmp", EncodeBmp(few, {8, false, false, 3}));
    ReadPlainImage(path.c_str(), &image, &palette, 0, FORMAT_FROM_FILE);
    EXPECT_TRUE(SamePicture(few, image, palette));
    EXPECT_EQ(palette[255], pxPalette::SystemColour(255));

    // A table longer than any palette: its first 256 entries are kept.
    Picture many = IndexedPicture(8, 3, 256);
    path = dir.Write("many.bmp", EncodeBmp(many, {8, false, false, 300}));
    ReadPlainImage(path.c_str(), &image, &palette, 0, FORMAT_FROM_FILE);
    EXPECT_TRUE(SamePicture(many, image, palette));

    // A palette with fewer entries grows to 256 so every index has a colour.
    pxPalette small;
    small.SetCount(2);
    ReadPlainImage(path.c_str(), &image, &small, 0, FORMAT_FROM_FILE);
    EXPECT_EQ(small.GetCount(), 256);
    EXPECT_TRUE(SamePicture(many, image, small));
}

TEST(BmpRead, RefusesWhatItCannotRead) {
    const TempDir dir;
    const Bytes good = EncodeBmp(IndexedPicture(4, 4, 256), {8, false, false, 0});
    const auto message = [&](const Bytes& bytes, pxPalette* palette) {
        const std::string path = dir.Write("bad.bmp", bytes);
        return ThrownMessage([&] {
            pxImage image;
            ReadPlainImage(path.c_str(), &image, palette, 0, FORMAT_BMP);
        });
    };
    pxPalette palette;
    const std::string name = dir.Write("bad.bmp", good);

    Bytes notBmp = good;
    notBmp[0] = 'X';
    EXPECT_EQ(message(notBmp, &palette), "'" + name + "' is not a BMP file");

    Bytes badHeader = good;
    Patch(badHeader, 14, 108, 4);
    EXPECT_EQ(message(badHeader, &palette), "Bad header in bmp file '" + name + "'");

    for (const uint32_t bits : {16u, 32u, 2u}) {
        Bytes depth = good;
        Patch(depth, kBitCountAt, bits, 2);
        EXPECT_EQ(message(depth, &palette),
                  "Cannot handle bits per pixel = " + std::to_string(bits) + " in BMP");
    }

    Bytes bitFields = good;
    Patch(bitFields, kCompressionAt, 3, 4);
    EXPECT_EQ(message(bitFields, &palette), "Corrupt BMP '" + name + "'");
    Bytes rle4On8Bits = good;
    Patch(rle4On8Bits, kCompressionAt, 2, 4);
    EXPECT_EQ(message(rle4On8Bits, &palette), "Corrupt BMP '" + name + "'");

    EXPECT_EQ(message(good, nullptr), "No palette given for the colours of '" + name + "'");

    Bytes empty = good;
    Patch(empty, kWidthAt, 0, 4);
    EXPECT_EQ(message(empty, &palette), "Bad image size 0 x 4 in file '" + name + "'");
    Bytes topDownRunLength = good; // run-length data is never stored top row first
    Patch(topDownRunLength, kHeightAt, uint32_t(-4), 4);
    Patch(topDownRunLength, kCompressionAt, 1, 4);
    EXPECT_EQ(message(topDownRunLength, &palette), "Corrupt BMP '" + name + "'");

    // A header that asks for far more than the file holds allocates nothing.
    Bytes huge = good;
    Patch(huge, kWidthAt, 20000, 4);
    Patch(huge, kHeightAt, 20000, 4);
    EXPECT_EQ(message(huge, &palette),
              "Image of 20000 x 20000 pixels is too large for file '" + name + "'");
    Patch(huge, kCompressionAt, 1, 4); // compressed data cannot give that either
    EXPECT_EQ(message(huge, &palette),
              "Image of 20000 x 20000 pixels is too large for file '" + name + "'");

    Bytes truncated = good;
    truncated.resize(truncated.size() - 3);
    EXPECT_EQ(message(truncated, &palette), "Cannot read 4 bytes");
}

TEST(BmpRead, NegativeHeightMeansRowsStoredTopRowFirst) {
    const TempDir dir;
    for (const int32_t bitCount : {1, 4, 8, 24}) {
        SCOPED_TRACE(bitCount);
        const Picture picture = PictureFor(bitCount, 7, 5);
        BmpForm form{bitCount, false, false, 0};
        form.topDown = true;
        const std::string path = dir.Write("top.bmp", EncodeBmp(picture, form));
        pxImage image;
        pxPalette palette;
        ReadPlainImage(path.c_str(), &image, &palette, 0, FORMAT_FROM_FILE);
        EXPECT_TRUE(SamePicture(picture, image, palette));
    }
}
