// Reads every generated fixture both with our readers and with ImageMagick's
// convert, and compares the colour of every pixel.
#include "imagefile/codecfixtures.h"

#include "imagefile/readimage.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace fixtures;

namespace {

struct Fixture {
    std::string name; // its extension tells convert the format
    Bytes bytes;
    bool fiveBits = false;    // 16-bit colours: only the top five bits are compared
    int tolerance = 0;        // largest difference allowed in a channel
    std::string options = ""; // for convert, around the input
};

// PNG files in every colour type and bit depth; transparency is composed
// over black on both sides (partly clear pixels are left out: libpng
// composes them in linear light, ImageMagick does not).
void AddPngFixtures(std::vector<Fixture>& all) {
    const int types[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_PALETTE, PNG_COLOR_TYPE_RGB,
                         PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB_ALPHA};
    for (const int type : types)
        for (const int depth : {1, 2, 4, 8, 16})
            for (const bool interlaced : {false, true}) {
                const bool valid = type == PNG_COLOR_TYPE_GRAY ||
                                   (type == PNG_COLOR_TYPE_PALETTE ? depth <= 8 : depth >= 8);
                if (!valid)
                    continue;
                PngForm form;
                form.colourType = type;
                form.bitDepth = depth;
                form.interlaced = interlaced;
                form.partialAlpha = false;
                form.transparentColour = type == PNG_COLOR_TYPE_RGB || type == PNG_COLOR_TYPE_GRAY;
                const std::string name = "png" + std::to_string(type) + "-" +
                                         std::to_string(depth) + (interlaced ? "i" : "") + ".png";
                // 16-bit samples: libpng keeps the high byte, ImageMagick rounds.
                all.push_back({name, EncodePng(29, 13, PngSamples(29, 13, form), form), false,
                               depth == 16 ? 1 : 0, "-background black -alpha remove"});
            }
}

// Baseline, progressive and greyscale JPEG files: both sides decode with
// libjpeg's accurate integer transform.
void AddJpegFixtures(std::vector<Fixture>& all) {
    const Picture picture = TrueColourPicture(45, 30, 3);
    for (const bool progressive : {false, true})
        for (const bool grey : {false, true}) {
            JpegForm form;
            form.progressive = progressive;
            form.grey = grey;
            form.segments = {{0xE3, JpsDescriptor(0x201)}};
            all.push_back(
                {std::string("jpeg") + (progressive ? "p" : "") + (grey ? "g" : "") + ".jps",
                 EncodeJpeg(picture, form), false, 0, "-define jpeg:dct-method=islow"});
        }
}

uint8_t FiveBits(uint8_t value) {
    return value & 0xF8;
}

std::vector<Fixture> AllFixtures() {
    std::vector<Fixture> all;
    for (const int32_t bits : {1, 4, 8, 24})
        for (const bool os2 : {false, true})
            for (const bool rle : {false, true}) {
                if (rle && (os2 || bits == 1 || bits == 24))
                    continue;
                const Picture picture =
                    bits == 24 ? TrueColourPicture(37, 9, 3) : IndexedPicture(37, 9, 1 << bits);
                all.push_back({"bmp" + std::to_string(bits) + (os2 ? "os2" : "") +
                                   (rle ? "rle" : "") + ".bmp",
                               EncodeBmp(picture, {bits, os2, rle, 0})});
            }

    struct TgaKind {
        int32_t type;
        int32_t depth;
        int32_t mapEntrySize;
    };
    for (const TgaKind kind : {TgaKind{1, 8, 24},
                               {9, 8, 32},
                               {1, 8, 16},
                               {2, 16, 0},
                               {2, 24, 0},
                               {2, 32, 0},
                               {10, 16, 0},
                               {10, 24, 0},
                               {10, 32, 0},
                               {3, 8, 0},
                               {11, 8, 0}})
        for (const uint8_t descriptor : {0x00, 0x10, 0x20, 0x30}) {
            const bool fiveBits = kind.depth == 16 || kind.mapEntrySize == 16;
            Picture picture;
            if (kind.type == 3 || kind.type == 11)
                picture = GreyPicture(33, 7);
            else if (kind.depth == 8)
                picture = IndexedPicture(33, 7, 256);
            else
                picture = TrueColourPicture(33, 7, kind.depth == 32 ? 4 : 3,
                                            fiveBits ? FiveBits : nullptr);
            TgaForm form;
            form.imageType = kind.type;
            form.depth = kind.depth;
            form.mapEntrySize = kind.mapEntrySize;
            form.descriptor = descriptor;
            form.footer = descriptor == 0x30;
            all.push_back({"tga" + std::to_string(kind.type) + "-" + std::to_string(kind.depth) +
                               "-" + std::to_string(kind.mapEntrySize) + "-" +
                               std::to_string(descriptor) + ".tga",
                           EncodeTga(picture, form), fiveBits});
        }

    const Picture picture = TrueColourPicture(41, 6, 3);
    all.push_back({"text.ppm", EncodePpm(picture, true, 255)});
    all.push_back({"binary.ppm", EncodePpm(picture, false, 255)});
    const Picture sixteenLevels =
        TrueColourPicture(41, 6, 3, [](uint8_t v) { return uint8_t(v / 17 * 17); });
    all.push_back({"text15.ppm", EncodePpm(sixteenLevels, true, 15)});
    all.push_back({"binary15.ppm", EncodePpm(sixteenLevels, false, 15)});
    AddPngFixtures(all);
    AddJpegFixtures(all);
    return all;
}

// What convert makes of the file: red, green, blue bytes, rows top-down
// (convert reads Targa rows in stored order and only notes their orientation,
// so it is told to apply it).
Bytes ConvertToRgb(const std::string& path, const std::string& options) {
    // JPS is JPEG to ImageMagick only when told.
    const std::string input = path.ends_with(".jps") ? "jpeg:" + path : path;
    const std::string command = "convert " + options + " '" + input + "' " + options +
                                " -auto-orient -depth 8 rgb:- 2>/dev/null";
    Bytes rgb;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        uint8_t block[4096];
        for (size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;)
            rgb.insert(rgb.end(), block, block + n);
        ::pclose(pipe);
    }
    return rgb;
}

Bytes OurRgb(const pxImage& image, const pxPalette& palette, bool fiveBits) {
    Bytes rgb;
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x) {
            const uint8_t* pixel = image.Row(y) + x * image.GetBytesPerPixel();
            if (image.GetBytesPerPixel() == 1) {
                const pxColor c = palette[pixel[0]];
                rgb.insert(rgb.end(), {c.red, c.green, c.blue});
            } else {
                rgb.insert(rgb.end(), {pixel[2], pixel[1], pixel[0]});
            }
        }
    if (fiveBits)
        for (uint8_t& byte : rgb)
            byte = FiveBits(byte);
    return rgb;
}

} // namespace

TEST(ImageMagick, EveryFixtureGivesTheSamePixels) {
    if (std::system("convert -version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    const TempDir dir;
    for (const Fixture& fixture : AllFixtures()) {
        SCOPED_TRACE(fixture.name);
        const std::string path = dir.Write(fixture.name, fixture.bytes);
        pxImage image;
        pxPalette palette;
        _ImageInfo info;
        ASSERT_EQ(ReadImage(path.c_str(), &image, &palette, &info, nullptr), 1);
        Bytes theirs = ConvertToRgb(path, fixture.options);
        if (fixture.fiveBits)
            for (uint8_t& byte : theirs)
                byte = FiveBits(byte);
        const Bytes ours = OurRgb(image, palette, fixture.fiveBits);
        ASSERT_EQ(theirs.size(), ours.size());
        for (size_t i = 0; i < ours.size(); ++i)
            if (std::abs(ours[i] - theirs[i]) > fixture.tolerance) {
                ADD_FAILURE() << "pixel " << i / 3 << " channel " << i % 3 << ": ours "
                              << int(ours[i]) << ", ImageMagick " << int(theirs[i]);
                break;
            }
    }
}
