// The bxconvert program end to end: every method name, two-picture pairs,
// stereo files read back, --info, and its errors and exit statuses.
#include "bxconvert/writers.h"
#include "scenegen/stereoscene.h"

#include "imagefile/plainfixtures.h"
#include "imagefile/readimage.h"

#include "../support/programrun.h"
#include "../support/slurp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace fixtures;

namespace {

// Runs the converter with arguments, in workingDirectory when one is given.
ProgramRun Convert(const std::string& arguments, const TempDir& dir,
                   const std::string& workingDirectory = "") {
    return RunProgram(BXCONVERT_PROGRAM, arguments, dir.Write("stderr.txt", {}), workingDirectory);
}

struct Read {
    pxImage image;
    pxPalette palette;
    _ImageInfo info;
};

void ReadBack(const std::string& path, Read& read) {
    ASSERT_EQ(ReadImage(path.c_str(), &read.image, &read.palette, &read.info, nullptr), 1);
}

// A rendered pair written as left.ppm and right.ppm.
struct Pair {
    explicit Pair(const TempDir& dir) {
        RenderStereoScene(40, 30, left, right);
        leftPath = dir.Write("left.ppm", {});
        rightPath = dir.Write("right.ppm", {});
        WritePicture(leftPath.c_str(), left, nullptr);
        WritePicture(rightPath.c_str(), right, nullptr);
    }
    pxImage left, right;
    std::string leftPath, rightPath;
};

bool SameRows(const pxImage& a, int32_t ax, const pxImage& b, int32_t rows, int32_t width) {
    for (int32_t y = 0; y < rows; ++y)
        if (std::memcmp(a.Row(y) + ax * 3, b.Row(y), size_t(width) * 3) != 0)
            return false;
    return true;
}

} // namespace

TEST(Bxconvert, EveryMethodWritesAPictureOfItsSize) {
    const TempDir dir;
    const Pair pair(dir);
    struct Expect {
        const char* method;
        int32_t width, height;
    };
    const Expect all[] = {
        {"tessel", 40, 60},        {"interleaved_rl", 40, 60}, {"interleaved_lr", 40, 60},
        {"crosseye", 80, 30},      {"parallel", 80, 30},       {"anaglyph_c_rb", 40, 30},
        {"anaglyph_c_br", 40, 30}, {"anaglyph_g_rb", 40, 30},  {"anaglyph_g_rg", 40, 30},
        {"anaglyph_g_br", 40, 30}, {"anaglyph_g_gr", 40, 30},  {"anaglyphrb", 40, 30},
        {"anaglyphrg", 40, 30},    {"anaglyphbr", 40, 30},     {"anaglyphgr", 40, 30},
        {"pageflip", 40, 30},      {"winspex", 40, 30},        {"ospi", 40, 60},
        {"left", 40, 30},          {"right", 40, 30},          {"overunder", 40, 60},
        {"dubois_rc", 40, 30},     {"dubois_gm", 40, 30},      {"dubois_ab", 40, 30},
        {"CrossEye", 80, 30},
    };
    for (const Expect& expect : all) {
        SCOPED_TRACE(expect.method);
        const std::string out = dir.Write("out.ppm", {});
        const ProgramRun run =
            Convert(std::string("-oform=") + expect.method + " '" + pair.leftPath + "' '" +
                        pair.rightPath + "' '" + out + "'",
                    dir);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "");
        Read read;
        ReadBack(out, read);
        EXPECT_EQ(read.image.GetWidth(), expect.width);
        EXPECT_EQ(read.image.GetHeight(), expect.height);
    }

    // Where the eyes go.
    const std::string cross = dir.Write("cross.ppm", {});
    ASSERT_EQ(
        Convert("-oform=crosseye '" + pair.leftPath + "' '" + pair.rightPath + "' '" + cross + "'",
                dir)
            .status,
        0);
    Read crossRead;
    ReadBack(cross, crossRead);
    EXPECT_TRUE(SameRows(crossRead.image, 0, pair.right, 30, 40)) << "right eye on the left";
    EXPECT_TRUE(SameRows(crossRead.image, 40, pair.left, 30, 40));
    const std::string left = dir.Write("left-eye.ppm", {});
    ASSERT_EQ(
        Convert("-oform=left '" + pair.leftPath + "' '" + pair.rightPath + "' '" + left + "'", dir)
            .status,
        0);
    Read leftRead;
    ReadBack(left, leftRead);
    EXPECT_TRUE(SameRows(leftRead.image, 0, pair.left, 30, 40));
}

TEST(Bxconvert, StereoFilesReadBackWithTheirLayoutWords) {
    const TempDir dir;
    const Pair pair(dir);
    struct Case {
        const char* method;
        const char* output;
        const char* layout;
    };
    const Case cases[] = {{"parallel", "p.jps", "0x00040201"},
                          {"crosseye", "c.pns", "0x00000201"},
                          {"interleaved_lr", "i.pns", "0x00040101"},
                          {"interleaved_rl", "r.jps", "0x00000101"},
                          {"overunder", "o.pns", "0x00040301"}};
    std::string pns; // the cross-eyed .pns
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        const std::string out = dir.Write(c.output, {});
        if (std::string(c.output) == "c.pns")
            pns = out;
        ASSERT_EQ(Convert(std::string("-oform=") + c.method + " '" + pair.leftPath + "' '" +
                              pair.rightPath + "' '" + out + "'",
                          dir)
                      .status,
                  0);
        const ProgramRun info = Convert("--info '" + out + "'", dir);
        EXPECT_EQ(info.status, 0);
        EXPECT_NE(info.out.find(std::string("layout: ") + c.layout + "\ndescriptor: yes\n"),
                  std::string::npos)
            << info.out;
    }
    // The cross-eyed .pns converted to parallel viewing: the eyes swap places.
    const std::string back = dir.Write("back.ppm", {});
    ASSERT_EQ(Convert("-oform=parallel '" + pns + "' '" + back + "'", dir).status, 0);
    Read read;
    ReadBack(back, read);
    EXPECT_TRUE(SameRows(read.image, 0, pair.left, 30, 40));
    EXPECT_TRUE(SameRows(read.image, 40, pair.right, 30, 40));
    // copy keeps the input's arrangement; -layout overrides the file's word.
    const std::string copy = dir.Write("copy.jps", {});
    ASSERT_EQ(Convert("-layout=0x40201 '" + pns + "' '" + copy + "'", dir).status, 0);
    EXPECT_NE(Convert("--info '" + copy + "'", dir).out.find("layout: 0x00040201"),
              std::string::npos);
}

TEST(Bxconvert, WritesMpoFilesThatOtherToolsAndItselfRead) {
    const TempDir dir;
    const Pair pair(dir);
    const std::string mpo = dir.Write("pair.mpo", {});
    ASSERT_EQ(Convert("-oform=parallel -quality=100 '" + pair.leftPath + "' '" + pair.rightPath +
                          "' '" + mpo + "'",
                      dir)
                  .status,
              0);
    const ProgramRun info = Convert("--info '" + mpo + "'", dir);
    EXPECT_EQ(info.out, "type: 5\nwidth: 80\nheight: 30\nbytes-per-pixel: 3\nlayout: "
                        "0x00040201\ndescriptor: yes\n");

    // exiftool finds the index of a stereo pair, and its second image where
    // the file holds it.
    const ProgramRun tags =
        RunProgram("/usr/bin/exiftool",
                   "-a -s -s -s -NumberOfImages -MPImageType -MPIndividualNum '" + mpo + "'",
                   dir.Write("exiftool.txt", {}));
    EXPECT_EQ(tags.out, "2\nMulti-frame Disparity\nMulti-frame Disparity\n1\n");
    const std::string second = dir.Write("second.jpg", {});
    ASSERT_EQ(
        std::system(("/usr/bin/exiftool -b -MPImage2 '" + mpo + "' > '" + second + "'").c_str()),
        0);
    const std::string file = Slurp(mpo), secondImage = Slurp(second);
    ASSERT_GT(secondImage.size(), 100u);
    EXPECT_EQ(file.substr(file.size() - secondImage.size()), secondImage);

    // Back to parallel viewing, each view where it was (within what JPEG
    // loses on so small a picture); a copy exiftool rewrote as a camera would (Exif, no JFIF,
    // the index moved) reads the same.
    const std::string camera = dir.Write("camera.jpg", {});
    std::filesystem::copy_file(mpo, camera, std::filesystem::copy_options::overwrite_existing);
    ASSERT_EQ(std::system(("/usr/bin/exiftool -q -overwrite_original -Make=Binoxa -JFIF:all= '" +
                           camera + "'")
                              .c_str()),
              0);
    for (const std::string& input : {mpo, camera}) {
        SCOPED_TRACE(input);
        const std::string back = dir.Write("back.ppm", {});
        ASSERT_EQ(Convert("-oform=parallel '" + input + "' '" + back + "'", dir).status, 0);
        Read read;
        ReadBack(back, read);
        int64_t difference = 0;
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t i = 0; i < 40 * 3; ++i) {
                difference += std::abs(read.image.Row(y)[i] - pair.left.Row(y)[i]);
                difference += std::abs(read.image.Row(y)[40 * 3 + i] - pair.right.Row(y)[i]);
            }
        // Views swapped or shifted differ by tens a byte.
        EXPECT_LT(difference, 6 * 30 * 40 * 3 * 2) << "more than 6 a byte on average";
    }
}

TEST(Bxconvert, InfoDescribesEveryFileType) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(12, 6, 3);
    const std::string bmp = dir.Write("p.bmp", EncodeBmp(picture, {}));
    const ProgramRun info = Convert("--info '" + bmp + "'", dir);
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.out, "type: 1\nwidth: 12\nheight: 6\nbytes-per-pixel: 3\nlayout: "
                        "0x00010101\ndescriptor: no\n");
    const std::string jpg = dir.Write("p.jpg", {});
    ASSERT_EQ(Convert("'" + bmp + "' '" + jpg + "'", dir).status, 0);
    EXPECT_EQ(Convert("--info '" + jpg + "'", dir).out,
              "type: 5\nwidth: 12\nheight: 6\nbytes-per-pixel: 3\nlayout: 0x00000201\n"
              "descriptor: no\n");
    const std::string png = dir.Write("p.png", {});
    ASSERT_EQ(Convert("'" + bmp + "' '" + png + "'", dir).status, 0);
    EXPECT_EQ(Convert("--info '" + png + "'", dir).out.substr(0, 8), "type: 6\n");
    const std::string indexed = dir.Write("i.bmp", EncodeBmp(IndexedPicture(8, 4, 16), {8}));
    EXPECT_NE(Convert("--info '" + indexed + "'", dir).out.find("bytes-per-pixel: 1\n"),
              std::string::npos);
    const std::string avi = dir.Write("m.avi", {'R', 'I', 'F', 'F', 0, 0, 0, 0});
    const ProgramRun movie = Convert("--info '" + avi + "'", dir);
    EXPECT_EQ(movie.status, 1);
    EXPECT_EQ(movie.out, "");
    EXPECT_EQ(movie.err.rfind("Unknown or unsupported file type: " + avi, 0), 0u) << movie.err;
}

TEST(Bxconvert, ErrorsGoToStandardErrorWithTheirStatus) {
    const TempDir dir;
    const Pair pair(dir);
    const std::string out = dir.Write("o.png", {});
    const ProgramRun missing = Convert("'" + pair.leftPath + ".none' '" + out + "'", dir);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "couldn't open file: '" + pair.leftPath + ".none'\n");

    // A pipe would block the open, a device never end: both are refused.
    const std::string pipe = dir.PathOf("pipe.ppm");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string zero = dir.PathOf("zero");
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    for (const std::string& input : {pipe, zero}) {
        const ProgramRun refused = Convert("'" + input + "' '" + out + "'", dir);
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.err, "Cannot read '" + input + "': it is not a regular file\n");
    }

    const ProgramRun unknown =
        Convert("-oform=sideways '" + pair.leftPath + "' '" + out + "'", dir);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown method 'sideways'; valid methods: interleaved_rl, "),
              std::string::npos);
    EXPECT_NE(unknown.err.find("overunder, copy"), std::string::npos);

    const ProgramRun anaglyph = Convert("-oform=anaglyph_c_rb '" + pair.leftPath + "' '" +
                                            pair.rightPath + "' '" + dir.Write("a.jps", {}) + "'",
                                        dir);
    EXPECT_EQ(anaglyph.status, 1);
    EXPECT_NE(anaglyph.err.find("does not write a stereo pair"), std::string::npos);

    EXPECT_EQ(Convert("", dir).status, 2);
    EXPECT_EQ(Convert("onlyone", dir).status, 2);
    EXPECT_EQ(Convert("-bogus a b", dir).status, 2);
    EXPECT_EQ(Convert("-quality=0 a b", dir).status, 2);
    EXPECT_EQ(Convert("-layout=zz a b", dir).status, 2);
    // A file whose name starts with "-" can be named after "--".
    const std::string dashed = dir.Write("-pair.ppm", {});
    WritePicture(dashed.c_str(), pair.left, nullptr);
    const std::string folder = std::filesystem::path(dashed).parent_path();
    EXPECT_EQ(Convert("-oform=left -- -pair.ppm '" + out + "'", dir, folder).status, 0);
    EXPECT_EQ(Convert("-oform=left -pair.ppm '" + out + "'", dir, folder).status, 2);
    const ProgramRun extension =
        Convert("'" + pair.leftPath + "' '" + dir.Write("o.gif", {}) + "'", dir);
    EXPECT_EQ(extension.status, 1);
    EXPECT_NE(extension.err.find("unknown file extension"), std::string::npos);
}

TEST(Bxconvert, EveryDepthConvertsInEveryMethodAndFormat) {
    // The same colours as a palette BMP, a 24-bit PPM and a 32-bit Targa.
    const TempDir dir;
    const Picture indexed = IndexedPicture(24, 8, 16);
    Picture colour{24, 8, 3, {}, {}};
    Picture deep{24, 8, 4, {}, {}};
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 24; ++x) {
            const pxColor c = indexed.palette[*indexed.At(x, y)];
            colour.pixels.insert(colour.pixels.end(), {c.blue, c.green, c.red});
            deep.pixels.insert(deep.pixels.end(), {c.blue, c.green, c.red, 255});
        }
    TgaForm thirtyTwoBits;
    thirtyTwoBits.depth = 32;
    const std::string inputs[] = {
        dir.Write("colour.ppm", EncodePpm(colour, false, 255)),
        dir.Write("indexed.bmp", EncodeBmp(indexed, {8})),
        dir.Write("deep.tga", EncodeTga(deep, thirtyTwoBits)),
    };
    ASSERT_NE(Convert("--info '" + inputs[2] + "'", dir).out.find("bytes-per-pixel: 4\n"),
              std::string::npos);

    const char* methods[] = {
        "tessel",        "interleaved_rl", "interleaved_lr", "crosseye",      "parallel",
        "anaglyph_c_rb", "anaglyph_c_br",  "anaglyph_g_rb",  "anaglyph_g_rg", "anaglyph_g_br",
        "anaglyph_g_gr", "anaglyphrb",     "anaglyphrg",     "anaglyphbr",    "anaglyphgr",
        "pageflip",      "winspex",        "ospi",           "left",          "right",
        "overunder",     "dubois_rc",      "dubois_gm",      "dubois_ab",     "copy"};
    for (const char* layout : {"-layout=0x40201", ""})
        for (const char* method : methods) {
            SCOPED_TRACE(std::string(method) + " " + layout);
            Read reference;
            for (const std::string& input : inputs) {
                const std::string out = dir.Write("out.ppm", {});
                const ProgramRun run = Convert(std::string("-oform=") + method + " " + layout +
                                                   " '" + input + "' '" + out + "'",
                                               dir);
                ASSERT_EQ(run.status, 0) << input << ": " << run.err;
                Read read;
                ReadBack(out, read);
                if (!reference.image.HasBuffer()) {
                    reference.image = read.image;
                    continue;
                }
                ASSERT_EQ(read.image.GetWidth(), reference.image.GetWidth()) << input;
                ASSERT_EQ(read.image.GetHeight(), reference.image.GetHeight()) << input;
                EXPECT_TRUE(SameRows(read.image, 0, reference.image, read.image.GetHeight(),
                                     read.image.GetWidth()))
                    << input;
            }
        }

    // Every output format takes every depth.
    for (const std::string& input : inputs)
        for (const char* method : {"anaglyph_g_rb", "crosseye", "left"})
            for (const char* format : {"ppm", "png", "bmp", "jpg", "jps", "pns"}) {
                const bool pair = std::string(method) == "crosseye";
                const bool stereo = std::string(format) == "jps" || std::string(format) == "pns";
                if (stereo && !pair)
                    continue;
                SCOPED_TRACE(input + " " + method + " " + format);
                const std::string out = dir.Write(std::string("out.") + format, {});
                const ProgramRun run = Convert(std::string("-layout=0x201 -oform=") + method +
                                                   " '" + input + "' '" + out + "'",
                                               dir);
                ASSERT_EQ(run.status, 0) << run.err;
                Read read;
                ReadBack(out, read);
                EXPECT_EQ(read.image.GetWidth(), pair ? 24 : 12);
                EXPECT_EQ(read.image.GetHeight(), 8);
            }
}
