#include "imagefile/plainfixtures.h"

#include "imagefile/file.h"
#include "imagefile/plainformats.h"

#include <gtest/gtest.h>

using namespace fixtures;

TEST(GetImageFileFormat, KnownExtensionsDecideWithoutOpeningTheFile) {
    const std::pair<const char*, PlainFormat> cases[] = {
        {"a.tga", FORMAT_TGA},
        {"a.TGA", FORMAT_TGA},
        {"a.bmp", FORMAT_BMP},
        {"a.BMP", FORMAT_BMP},
        {"a.ppm", FORMAT_PPM},
        {"a.PPM", FORMAT_PPM},
        {"a.pxf", FORMAT_BLOCKFILE},
        {"a.PXF", FORMAT_BLOCKFILE},
        {"a.jpg", FORMAT_JPEG},
        {"a.JPG", FORMAT_JPEG},
        {"a.jpeg", FORMAT_JPEG},
        {"a.JPEG", FORMAT_JPEG},
        {"a.jps", FORMAT_JPEG},
        {"a.JPS", FORMAT_JPEG},
        {"a.png", FORMAT_PNG},
        {"a.PNG", FORMAT_PNG},
        {"a.pns", FORMAT_PNG},
        {"a.PNS", FORMAT_PNG},
        {"/no/such.dir/x.b.tga", FORMAT_TGA},
    };
    for (const auto& [name, format] : cases)
        EXPECT_EQ(GetImageFileFormat(name), format) << name;
}

TEST(GetImageFileFormat, OtherNamesAreJudgedByContent) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(3, 2, 3);
    // Mixed-case extensions are not known ones.
    EXPECT_EQ(GetImageFileFormat(dir.Write("a.Bmp", EncodeBmp(picture, {})).c_str()), FORMAT_BMP);
    EXPECT_EQ(GetImageFileFormat(dir.Write("a", EncodePpm(picture, false, 255)).c_str()),
              FORMAT_PPM);
    EXPECT_EQ(GetImageFileFormat(dir.Write("a.txt", {' ', '#', 'c', '\n', 'P', '3'}).c_str()),
              FORMAT_PPM);
    TgaForm withFooter;
    withFooter.footer = true;
    const std::string targa = dir.Write("targa", EncodeTga(picture, withFooter));
    EXPECT_EQ(GetImageFileFormat(targa.c_str()), FORMAT_TGA);
    // A first word too long for a PPM header still leaves the footer to look at.
    Bytes longWord(70000, 'x');
    const Bytes footer = {'T', 'R', 'U', 'E', 'V', 'I', 'S', 'I', 'O',
                          'N', '-', 'X', 'F', 'I', 'L', 'E', '.', 0};
    longWord.insert(longWord.end(), footer.begin(), footer.end());
    EXPECT_EQ(GetImageFileFormat(dir.Write("long", longWord).c_str()), FORMAT_TGA);
    pxImage image;
    ReadPlainImage(targa.c_str(), &image, nullptr, 0, FORMAT_FROM_FILE);
    EXPECT_TRUE(SamePicture(picture, image, pxPalette()));

    // Without the footer a Targa file cannot be told; the message names the
    // file without its directory.
    const std::string unknown = "Cannot recognize format of file 'plain.Tga'";
    EXPECT_EQ(ThrownMessage([&] {
                  GetImageFileFormat(dir.Write("plain.Tga", EncodeTga(picture, {})).c_str());
              }),
              unknown);
    EXPECT_EQ(ThrownMessage([&] { GetImageFileFormat(dir.Write("plain.Tga", {'B'}).c_str()); }),
              unknown);
    EXPECT_EQ(ThrownMessage([&] { GetImageFileFormat(dir.Write("plain.Tga", {}).c_str()); }),
              unknown);
    EXPECT_EQ(ThrownMessage([&] { GetImageFileFormat("dir\\sub\\plain.Tga"); }),
              "Cannot open file 'dir\\sub\\plain.Tga'");
    try {
        GetImageFileFormat("/no/such/file");
        ADD_FAILURE() << "no error";
    } catch (const pxFileError& e) {
        EXPECT_EQ(e.GetCode(), pxFileError::OPEN_FAILED);
        EXPECT_STREQ(e.GetMessage(), "Cannot open file '/no/such/file'");
    }
}

TEST(ReadPlainImage, DispatchesByFormatCode) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(3, 2, 3);
    const std::string path = dir.Write("x.bmp", EncodeBmp(picture, {}));
    pxImage image;
    pxPalette palette;
    // Formats with readers of their own leave the picture alone.
    for (const int32_t format : {FORMAT_JPEG, FORMAT_PNG}) {
        ReadPlainImage(path.c_str(), &image, &palette, 0, format);
        EXPECT_FALSE(image.HasBuffer());
    }
    EXPECT_EQ(ThrownMessage([&] { ReadPlainImage(path.c_str(), &image, &palette, 0, 7); }),
              "Unknown plain image format 7 for '" + path + "'");
    EXPECT_EQ(ThrownMessage([&] { ReadPlainImage(path.c_str(), nullptr, &palette, 0, 0); }),
              "No image given to read '" + path + "' into");
    // The code names the reader, whatever the file holds.
    EXPECT_EQ(ThrownMessage([&] { ReadPlainImage(path.c_str(), &image, &palette, 0, FORMAT_PPM); }),
              "'" + path + "' is not a valid ppm file");
}
