#include "imagefile/plainfixtures.h"

#include "imagefile/plainformats.h"

#include <gtest/gtest.h>

using namespace fixtures;
using namespace std::string_literals;

namespace {

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Reads a PPM file and returns its pixels as blue, green, red bytes.
Bytes ReadPixels(const TempDir& dir, const std::string& text) {
    const std::string path = dir.Write("p.ppm", Text(text));
    pxImage image;
    ReadPlainImage(path.c_str(), &image, nullptr, 0, FORMAT_PPM);
    Bytes pixels;
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        pixels.insert(pixels.end(), image.Row(y), image.Row(y) + 3 * image.GetWidth());
    return pixels;
}

uint8_t Multiple17(uint8_t value) {
    return uint8_t(value / 17 * 17);
}

} // namespace

TEST(PpmRead, ReadsTextAndBinaryForms) {
    const TempDir dir;
    for (const int32_t width : {1, 5, 300}) {
        const Picture picture = TrueColourPicture(width, 4, 3);
        for (const bool text : {true, false}) {
            const std::string path = dir.Write("p.ppm", EncodePpm(picture, text, 255));
            pxImage image;
            pxPalette palette;
            ReadPlainImage(path.c_str(), &image, &palette, 0, FORMAT_FROM_FILE);
            EXPECT_TRUE(SamePicture(picture, image, palette)) << text << " " << width;
            EXPECT_EQ(image.GetBuff()->GetRowAlign(), 4);
        }
    }
    // Samples up to a maximum of 15 are spread over 0 to 255.
    const Picture sixteenLevels = TrueColourPicture(6, 3, 3, Multiple17);
    const std::string path = dir.Write("p.ppm", EncodePpm(sixteenLevels, true, 15));
    pxImage image;
    pxPalette palette;
    ReadPlainImage(path.c_str(), &image, &palette, 1, FORMAT_PPM);
    EXPECT_TRUE(SamePicture(sixteenLevels, image, palette));
    EXPECT_TRUE(image.GetBuff()->IsBottomUp());
}

TEST(PpmRead, WordsAndSamples) {
    const TempDir dir;
    // Any blank separates words, comments run to the end of their line, and
    // one blank after the maximum ends the header of the binary form.
    EXPECT_EQ(ReadPixels(dir, "P6\t# two\r\n#pixels\n2\r1 #x\n255\n\x01\x02\x03 AB"),
              (Bytes{3, 2, 1, 'B', 'A', ' '}));
    // 15 is the brightest value; values above the maximum are taken as it;
    // text samples above 255 are scaled too.
    EXPECT_EQ(ReadPixels(dir, "P3 1 1 15 15 7 99"), (Bytes{255, 119, 255}));
    EXPECT_EQ(ReadPixels(dir, "P3 2 1 1000\n1000 500 0\n4 3 2"), (Bytes{0, 127, 255, 0, 0, 1}));
    // Binary samples are spread over 0 to 255 as well.
    EXPECT_EQ(ReadPixels(dir, "P6 2 1 15 \x0f\x07\x00\x10\x01\x02"s),
              (Bytes{0, 119, 255, 34, 17, 255}));
    // A word longer than its room is cut.
    EXPECT_EQ(ReadPixels(dir, "P3text 1 1 255 1 2 3"), (Bytes{3, 2, 1}));
    // Long stretches of blanks and comments are passed over.
    EXPECT_EQ(ReadPixels(dir, "P3" + std::string(30000, ' ') + "#" + std::string(30000, 'c') +
                                  "\n1 1 255 1 2 3"),
              (Bytes{3, 2, 1}));
}

TEST(PpmRead, RefusesWhatItCannotRead) {
    const TempDir dir;
    const auto message = [&](const std::string& text) {
        const std::string path = dir.Write("bad.ppm", Text(text));
        return ThrownMessage([&] {
            pxImage image;
            ReadPlainImage(path.c_str(), &image, nullptr, 0, FORMAT_PPM);
        });
    };
    const std::string name = dir.Write("bad.ppm", {});
    EXPECT_EQ(message("P5 1 1 255 x"), "'" + name + "' is not a valid ppm file");
    EXPECT_EQ(message(""), "'" + name + "' is not a valid ppm file");
    EXPECT_EQ(message("P3 1 1 0 0 0 0"),
              "Cannot handle maximum value 0 in ppm file '" + name + "'");
    EXPECT_EQ(message("P6 1 1 65535 xxxxxx"),
              "Cannot handle maximum value 65535 in ppm file '" + name + "'");
    EXPECT_EQ(message("P3 1 1 65536 0 0 0"),
              "Cannot handle maximum value 65536 in ppm file '" + name + "'");
    EXPECT_EQ(message("P3 0 1 255"), "Bad image size 0 x 1 in file '" + name + "'");
    EXPECT_EQ(message("P3 -4 1 255"), "Bad image size 0 x 1 in file '" + name + "'");
    EXPECT_EQ(message("P6 99999999999999999999 99999 255"),
              "Image of 4294967296 x 99999 pixels is too large for file '" + name + "'");
    EXPECT_EQ(message("P6 20000 20000 255 "),
              "Image of 20000 x 20000 pixels is too large for file '" + name + "'");
    // A header word that does not end within 64 KiB, with what goes before
    // it, is no header: files of blanks, comments or zeros end there.
    const std::string notPpm = "'" + name + "' is not a valid ppm file";
    EXPECT_EQ(message("P6" + std::string(70000, ' ') + "1 1 255 abc"), notPpm);
    EXPECT_EQ(message("P6 1 #" + std::string(70000, 'c') + "\n1 255 abc"), notPpm);
    EXPECT_EQ(message("P6 1 1 " + std::string(70000, '0') + "255 abc"), notPpm);
    EXPECT_EQ(message("P3 1 1 255 1 2" + std::string(70000, '\n') + "3"), notPpm);
    EXPECT_EQ(message(std::string(70000, '\0')), notPpm);
    EXPECT_EQ(message("P3 2 1 255 1 2 3 4 5"), "Cannot read 1 bytes");
    EXPECT_EQ(message("P6 2 1 255 12345"), "Cannot read 6 bytes");
}
