#include "imagefile/plainfixtures.h"

#include "imagefile/plainformats.h"

#include <gtest/gtest.h>

using namespace fixtures;

namespace {

// Byte offsets in the Targa header.
constexpr size_t kMapTypeAt = 1;
constexpr size_t kImageTypeAt = 2;
constexpr size_t kMapLengthAt = 5;
constexpr size_t kMapEntrySizeAt = 7;
constexpr size_t kDepthAt = 16;

// What a 16-bit pixel keeps of each byte: its top five bits.
uint8_t FiveBits(uint8_t value) {
    return value & 0xF8;
}

std::string ReadMessage(const std::string& path, pxPalette* palette) {
    return ThrownMessage([&] {
        pxImage image;
        ReadPlainImage(path.c_str(), &image, palette, 0, FORMAT_TGA);
    });
}

} // namespace

TEST(TgaRead, ReadsEveryTypeDepthAndPixelOrder) {
    const TempDir dir;
    struct Kind {
        int32_t imageType;
        int32_t depth;
        int32_t mapEntrySize;
    };
    const Kind kinds[] = {{1, 8, 24},  {1, 8, 32}, {1, 8, 16}, {9, 8, 24},  {2, 16, 0},
                          {2, 15, 0},  {2, 24, 0}, {2, 32, 0}, {10, 16, 0}, {10, 24, 0},
                          {10, 32, 0}, {3, 8, 0},  {11, 8, 0}};
    for (const Kind& kind : kinds)
        for (const uint8_t descriptor : {0x00, 0x10, 0x20, 0x30})
            for (const int32_t width : {1, 7, 300}) {
                SCOPED_TRACE(::testing::Message()
                             << "type " << kind.imageType << ", depth " << kind.depth << ", map "
                             << kind.mapEntrySize << ", descriptor " << int(descriptor)
                             << ", width " << width);
                Picture picture;
                if (kind.imageType == 3 || kind.imageType == 11) {
                    picture = GreyPicture(width, 5);
                } else if (kind.depth == 8) {
                    picture = IndexedPicture(width, 5, 200);
                    if (kind.mapEntrySize == 16)
                        for (pxColor& c : picture.palette)
                            c = pxColor::Rgb(FiveBits(c.red), FiveBits(c.green), FiveBits(c.blue));
                } else {
                    picture = kind.depth <= 16 ? TrueColourPicture(width, 5, 3, FiveBits)
                                               : TrueColourPicture(width, 5, kind.depth / 8);
                }
                TgaForm form;
                form.imageType = kind.imageType;
                form.depth = kind.depth;
                form.mapEntrySize = kind.mapEntrySize;
                form.descriptor = descriptor;
                form.identifier = width == 7 ? "made by a test" : "";
                const std::string path = dir.Write("p.tga", EncodeTga(picture, form));
                pxImage image;
                pxPalette palette;
                ReadPlainImage(path.c_str(), &image, &palette, 0, FORMAT_FROM_FILE);
                EXPECT_TRUE(SamePicture(picture, image, palette));
                EXPECT_EQ(image.GetBuff()->GetRowAlign(), 4);
            }
}

TEST(TgaRead, ColourMapPlacementAndGreyRamp) {
    const TempDir dir;
    pxImage image;
    pxPalette palette;

    // A map that starts at index 100 stands for indexes 100 and up.
    Picture picture = IndexedPicture(9, 4, 8);
    for (uint8_t& index : picture.pixels)
        index += 100;
    std::vector<pxColor> colours(100);
    colours.insert(colours.end(), picture.palette.begin(), picture.palette.end());
    picture.palette = colours;
    TgaForm form;
    form.imageType = 1;
    form.depth = 8;
    form.mapFirst = 100;
    std::string path = dir.Write("first.tga", EncodeTga(picture, form));
    ReadPlainImage(path.c_str(), &image, &palette, 0, FORMAT_TGA);
    const Picture expectedFrom100{picture.width, picture.height, 1, picture.pixels, {}};
    EXPECT_TRUE(SamePicture(expectedFrom100, image, palette));
    for (int32_t i = 100; i < 108; ++i)
        EXPECT_EQ(palette[i], picture.palette[size_t(i)]);
    EXPECT_EQ(palette[99], pxPalette::SystemColour(99));

    // Entries past the last palette index are passed over.
    Picture wide = IndexedPicture(9, 4, 256);
    form.mapFirst = 0;
    Bytes file = EncodeTga(wide, form);
    file[kMapLengthAt] = 0x2C; // 300 entries, 44 of them zeros cut into the pixels
    file[kMapLengthAt + 1] = 0x01;
    file.insert(file.begin() + 18 + 256 * 3, 44 * 3, uint8_t{0});
    path = dir.Write("wide.tga", file);
    ReadPlainImage(path.c_str(), &image, &palette, 0, FORMAT_TGA);
    EXPECT_TRUE(SamePicture(wide, image, palette));

    // A greyscale file replaces the whole palette with the ramp.
    form.imageType = 3;
    path = dir.Write("grey.tga", EncodeTga(GreyPicture(3, 3), form));
    ReadPlainImage(path.c_str(), &image, &palette, 0, FORMAT_TGA);
    for (int32_t i = 0; i < 256; ++i)
        ASSERT_EQ(palette[i], pxColor::Rgb(uint8_t(i), uint8_t(i), uint8_t(i)));
}

TEST(TgaRead, RefusesWhatItCannotRead) {
    const TempDir dir;
    TgaForm mapped;
    mapped.imageType = 1;
    mapped.depth = 8;
    const Bytes good = EncodeTga(IndexedPicture(4, 3, 16), mapped);
    pxPalette palette;
    const std::string name = dir.Write("bad.tga", good);
    const auto message = [&](const Bytes& bytes, pxPalette* target = nullptr) {
        return ReadMessage(dir.Write("bad.tga", bytes), target);
    };

    Bytes mapSize = good;
    mapSize[kMapEntrySizeAt] = 8;
    EXPECT_EQ(message(mapSize, &palette), "Bad color map size 8 in TGA file '" + name + "'");

    const std::string invalid = "Invalid TGA file type in file '" + name + "'";
    for (const uint8_t type : {0, 4, 32}) {
        Bytes wrongType = good;
        wrongType[kImageTypeAt] = type;
        EXPECT_EQ(message(wrongType, &palette), invalid) << int(type);
    }
    Bytes wideIndexes = good; // indexes must be 8 bits
    wideIndexes[kDepthAt] = 16;
    EXPECT_EQ(message(wideIndexes, &palette), invalid);
    Bytes trueColour8 = good;
    trueColour8[kMapTypeAt] = 0;
    trueColour8[kImageTypeAt] = 2;
    EXPECT_EQ(message(trueColour8, &palette), invalid);

    EXPECT_EQ(message(good, nullptr), "No palette given for the colours of '" + name + "'");
    Bytes grey = good;
    grey[kImageTypeAt] = 3;
    EXPECT_EQ(message(grey, nullptr), "No palette given for the colours of '" + name + "'");

    // A run packet of four pixels in rows of three crosses a row's end.
    Bytes crossing = EncodeTga(TrueColourPicture(3, 2, 3), {});
    crossing[kImageTypeAt] = 10;
    crossing.resize(18);
    crossing.insert(crossing.end(), {0x83, 1, 2, 3, 0x81, 4, 5, 6});
    EXPECT_EQ(message(crossing), "Bad compressed Targa file");
    crossing.resize(18);
    crossing.insert(crossing.end(), {0x82, 1, 2, 3, 0x80}); // ends inside a packet
    EXPECT_EQ(message(crossing), "Cannot read 3 bytes");

    Bytes zero = EncodeTga(TrueColourPicture(3, 2, 3), {});
    zero[12] = zero[13] = 0;
    EXPECT_EQ(message(zero), "Bad image size 0 x 2 in file '" + name + "'");
    Bytes huge = EncodeTga(TrueColourPicture(3, 2, 3), {});
    huge[12] = huge[13] = huge[14] = huge[15] = 0xFF;
    EXPECT_EQ(message(huge), "Image of 65535 x 65535 pixels is too large for file '" + name + "'");

    Bytes truncated = good;
    truncated.pop_back();
    EXPECT_EQ(message(truncated, &palette), "Cannot read 4 bytes");
}
