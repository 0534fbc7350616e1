// WritePicture: every format reads back through ReadImage with the pixels
// written, the stereo forms carry their descriptor where other programs look
// for it, and failures name the file and leave nothing behind.
#include "imagefile/plainfixtures.h"

#include "bxconvert/writers.h"
#include "imagefile/readimage.h"
#include "imaging/pixelops.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <sys/mman.h>
#include <thread>

using namespace fixtures;
using ::testing::HasSubstr;

namespace {

// Smooth gradients (so that JPEG keeps them well) with a few sharp edges.
pxImage TrueColourImage(int32_t width, int32_t height, int32_t bytesPerPixel) {
    pxImage image({width, height}, bytesPerPixel);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = image.Row(y) + x * bytesPerPixel;
            pixel[0] = static_cast<uint8_t>(x * 255 / width);
            pixel[1] = static_cast<uint8_t>(y * 255 / height);
            pixel[2] = static_cast<uint8_t>(x < width / 2 ? 40 : 200);
            if (bytesPerPixel == 4)
                pixel[3] = 0x5A; // never written
        }
    return image;
}

// Indices running smoothly across, over a palette of a smooth ramp.
pxImage IndexedImage(int32_t width, int32_t height, pxPalette& palette) {
    for (int i = 0; i < palette.GetCount(); ++i)
        palette[i] = pxColor::Rgb(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                  static_cast<uint8_t>(i / 2 + 60));
    pxImage image({width, height}, 1);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.Row(y)[x] = static_cast<uint8_t>((x + y) * 255 / (width + height));
    return image;
}

// Red, green, blue of pixel (x, y), through the palette for 1-byte pixels.
pxColor ColourAt(const pxImage& image, const pxPalette& palette, int32_t x, int32_t y) {
    const uint8_t* pixel = image.Row(y) + x * image.GetBytesPerPixel();
    if (image.GetBytesPerPixel() == 1)
        return palette[pixel[0]];
    return pxColor::Rgb(pixel[2], pixel[1], pixel[0]);
}

struct ReadBack {
    pxImage image;
    pxPalette palette;
    _ImageInfo info;
};

void Read(const std::string& path, ReadBack& read) {
    ASSERT_EQ(ReadImage(path.c_str(), &read.image, &read.palette, &read.info, nullptr), 1);
}

// The mean difference of all channels; the largest possible when the sizes differ.
double MeanDifference(const pxImage& written, const pxPalette& palette, const ReadBack& read) {
    if (read.image.GetWidth() != written.GetWidth() ||
        read.image.GetHeight() != written.GetHeight())
        return 255;
    double total = 0;
    for (int32_t y = 0; y < written.GetHeight(); ++y)
        for (int32_t x = 0; x < written.GetWidth(); ++x) {
            const pxColor a = ColourAt(written, palette, x, y);
            const pxColor b = ColourAt(read.image, read.palette, x, y);
            total +=
                std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
        }
    return total / (3.0 * written.GetWidth() * written.GetHeight());
}

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string CommandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

size_t FilesBeside(const std::string& path) {
    const auto folder = std::filesystem::path(path).parent_path();
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

} // namespace

TEST(WritePicture, LosslessFormatsReadBackExactly) {
    const TempDir dir;
    pxPalette palette;
    // Odd widths need row padding in BMP; the 4-byte picture's spare byte is dropped.
    const pxImage pictures[] = {TrueColourImage(37, 21, 3), TrueColourImage(38, 5, 4),
                                IndexedImage(33, 19, palette)};
    for (const char* extension : {"ppm", "bmp", "png", "pns"})
        for (const pxImage& picture : pictures) {
            const std::string path = dir.Write(std::string("out.") + extension, {});
            SCOPED_TRACE(path + " from " + std::to_string(picture.GetBytesPerPixel()) + " bytes");
            WritePicture(path.c_str(), picture, &palette);
            ReadBack read;
            Read(path, read);
            EXPECT_EQ(MeanDifference(picture, palette, read), 0);
        }
}

TEST(WritePicture, JpegFormatsReadBackClosely) {
    const TempDir dir;
    pxPalette palette;
    const pxImage pictures[] = {TrueColourImage(64, 48, 3), TrueColourImage(31, 17, 4),
                                IndexedImage(40, 30, palette)};
    for (const char* extension : {"jpg", "jps"})
        for (const pxImage& picture : pictures) {
            const std::string path = dir.Write(std::string("out.") + extension, {});
            SCOPED_TRACE(path + " from " + std::to_string(picture.GetBytesPerPixel()) + " bytes");
            WritePicture(path.c_str(), picture, &palette, {.quality = 100});
            ReadBack read;
            Read(path, read);
            EXPECT_LT(MeanDifference(picture, palette, read), 3);
        }
}

TEST(WritePicture, LowerQualityMakesSmallerJpegs) {
    const TempDir dir;
    const pxImage picture = TrueColourImage(200, 150, 3);
    const std::string fine = dir.Write("fine.jpg", {});
    const std::string coarse = dir.Write("coarse.jpg", {});
    WritePicture(fine.c_str(), picture, nullptr, {.quality = 95});
    WritePicture(coarse.c_str(), picture, nullptr, {.quality = 20});
    EXPECT_LT(FileBytes(coarse).size(), FileBytes(fine).size());
}

TEST(WritePicture, StereoFormatsCarryTheLayoutWord) {
    const TempDir dir;
    const pxImage picture = TrueColourImage(40, 20, 3);
    for (const char* name : {"pair.jps", "pair.pns", "plain.jpg", "plain.png"})
        for (const uint32_t layout : {0x40201u, 0x201u, 0x40301u}) {
            const std::string path = dir.Write(name, {});
            SCOPED_TRACE(path + " with layout " + std::to_string(layout));
            WritePicture(path.c_str(), picture, nullptr, {.layout = layout});
            ReadBack read;
            Read(path, read);
            const bool stereo = path.ends_with("s");
            EXPECT_EQ(read.info.hasDescriptor != 0, stereo);
            if (stereo) {
                EXPECT_EQ(read.info.layout, layout);
            }
        }
}

TEST(WritePicture, DescriptorsSitWhereOtherProgramsLookForThem) {
    const TempDir dir;
    const pxImage picture = TrueColourImage(16, 8, 3);
    const std::string jps = dir.Write("pair.jps", {});
    WritePicture(jps.c_str(), picture, nullptr, {.layout = 0x12345678});
    const Bytes jpeg = FileBytes(jps);
    // Start of image, then the JFIF segment, then the APP3 segment.
    ASSERT_GT(jpeg.size(), 40u);
    ASSERT_EQ(Bytes(jpeg.begin(), jpeg.begin() + 4), (Bytes{0xFF, 0xD8, 0xFF, 0xE0}));
    const size_t app3 = 4 + (size_t{jpeg[4]} << 8 | jpeg[5]);
    const Bytes expectedApp3 = {0xFF, 0xE3, 0, 18, '_',  'J',  'P',  'S',  'J', 'P',
                                'S',  '_',  0, 4,  0x12, 0x34, 0x56, 0x78, 0,   0};
    EXPECT_EQ(Bytes(jpeg.begin() + app3, jpeg.begin() + app3 + 20), expectedApp3);

    const std::string pns = dir.Write("pair.pns", {});
    WritePicture(pns.c_str(), picture, nullptr, {.layout = 0x12345678});
    const Bytes png = FileBytes(pns);
    const Bytes sTEr = {0, 0, 0, 8, 's', 'T', 'E', 'r', 0, 6, 0x12, 0x34, 0x56, 0x78, 0, 0};
    const auto chunk = std::search(png.begin(), png.end(), sTEr.begin(), sTEr.end());
    const Bytes idat = {'I', 'D', 'A', 'T'};
    const auto data = std::search(png.begin(), png.end(), idat.begin(), idat.end());
    EXPECT_NE(chunk, png.end());
    EXPECT_LT(chunk, data);
}

TEST(WritePicture, FfmpegSeesAJpsFileAsStereo) {
    if (std::system("ffprobe -version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "FFmpeg's ffprobe is not installed";
    const TempDir dir;
    const std::string parallel = dir.Write("parallel.jps", {});
    const std::string crossed = dir.Write("crossed.jps", {});
    WritePicture(parallel.c_str(), TrueColourImage(64, 32, 3), nullptr, {.layout = 0x40201});
    WritePicture(crossed.c_str(), TrueColourImage(64, 32, 3), nullptr, {.layout = 0x201});
    EXPECT_THAT(CommandOutput("ffprobe -v error -show_streams -show_frames '" + parallel + "'"),
                HasSubstr("side_data_type=Stereo 3D"));
    // ffprobe names only the kind of side data; the filter that shows
    // frame information also tells the arrangement.
    if (std::system("ffmpeg -version > /dev/null 2>&1") != 0)
        return;
    const std::string showInfo = " -vf showinfo -f null - 2>&1";
    EXPECT_THAT(CommandOutput("ffmpeg -i '" + parallel + "'" + showInfo),
                HasSubstr("stereoscopic information: type - side by side\n"));
    EXPECT_THAT(CommandOutput("ffmpeg -i '" + crossed + "'" + showInfo),
                HasSubstr("stereoscopic information: type - side by side (inverted)"));
}

TEST(WritePicture, ChoosesTheFormatByExtensionInAnyCase) {
    EXPECT_EQ(PictureFormatOf("a/b.c/OUT.PPM"), PictureFormat::Ppm);
    EXPECT_EQ(PictureFormatOf("x.Bmp"), PictureFormat::Bmp);
    EXPECT_EQ(PictureFormatOf("x.png"), PictureFormat::Png);
    EXPECT_EQ(PictureFormatOf("x.JPG"), PictureFormat::Jpeg);
    EXPECT_EQ(PictureFormatOf("x.jps"), PictureFormat::Jps);
    EXPECT_EQ(PictureFormatOf("x.pNs"), PictureFormat::Pns);
    for (const char* name : {"x.gif", "x.png.old", "dir.png/x", "png"})
        EXPECT_EQ(
            ThrownMessage([&] { PictureFormatOf(name); }),
            std::string("Cannot write '") + name +
                "': unknown file extension (use .ppm, .bmp, .png, .jpg, .jps, .pns or .mpo).");

    const TempDir dir;
    const std::string path = dir.Write("UPPER.PNG", {});
    WritePicture(path.c_str(), TrueColourImage(4, 4, 3), nullptr);
    EXPECT_EQ(CheckFileType(path.c_str()), FILETYPE_PNG);
}

TEST(WritePicture, PaletteIndicesBeyondThePaletteAreBlack) {
    const TempDir dir;
    pxPalette palette;
    palette.SetCount(2);
    palette[1] = pxColor::Rgb(10, 20, 30);
    pxImage image({3, 1}, 1);
    image.Row(0)[0] = 1;
    image.Row(0)[1] = 2;
    image.Row(0)[2] = 255;
    for (const char* name : {"out.bmp", "out.png", "out.ppm"}) {
        const std::string path = dir.Write(name, {});
        SCOPED_TRACE(path);
        WritePicture(path.c_str(), image, &palette);
        ReadBack read;
        Read(path, read);
        EXPECT_EQ(ColourAt(read.image, read.palette, 0, 0), pxColor::Rgb(10, 20, 30));
        EXPECT_EQ(ColourAt(read.image, read.palette, 1, 0), pxColor{});
        EXPECT_EQ(ColourAt(read.image, read.palette, 2, 0), pxColor{});
    }
}

TEST(WritePicture, WritesOnlyWhatTheViewShows) {
    const TempDir dir;
    const pxImage whole = TrueColourImage(20, 10, 3);
    const pxImage oddRows(whole, FIELD_ODD, 0);
    const pxImage part(oddRows, px2Rect{5, 1, 7, 3});
    const std::string path = dir.Write("part.ppm", {});
    WritePicture(path.c_str(), part, nullptr);
    ReadBack read;
    Read(path, read);
    const pxPalette unused;
    EXPECT_EQ(MeanDifference(part, unused, read), 0);
}

TEST(WritePicture, FailuresNameTheFileAndLeaveNothingBehind) {
    const TempDir dir;
    const pxImage picture = TrueColourImage(8, 8, 3);
    const std::string missing = "/nonexistent-binoxa-folder/out.png";
    EXPECT_EQ(ThrownMessage([&] { WritePicture(missing.c_str(), picture, nullptr); }),
              "Cannot create the file '" + missing + "': No such file or directory");

    // An older file of the name is kept as it was.
    const std::string path = dir.Write("out.jpg", {'o', 'l', 'd'});
    const auto message = [&](const pxImage& image, const pxPalette* palette, int quality) {
        return ThrownMessage([&] { WritePicture(path.c_str(), image, palette, {quality}); });
    };
    EXPECT_EQ(message(pxImage(), nullptr, 92),
              "Cannot write '" + path + "': the picture has no pixels.");
    EXPECT_EQ(message(pxImage({4, 4}, 2), nullptr, 92),
              "Cannot write '" + path + "': pictures of 2 bytes per pixel cannot be written.");
    EXPECT_EQ(message(pxImage({4, 4}, 1), nullptr, 92),
              "Cannot write '" + path + "': the palette picture has no palette.");
    for (const int quality : {0, 101})
        EXPECT_EQ(message(picture, nullptr, quality),
                  "Cannot write '" + path + "': the JPEG quality " + std::to_string(quality) +
                      " is not between 1 and 100.");
    // libjpeg itself refuses this one, after the file was begun.
    EXPECT_EQ(message(pxImage({70000, 1}, 3), nullptr, 92),
              "Cannot write the JPEG file '" + path +
                  "': Maximum supported image dimension is 65500 pixels");
    EXPECT_EQ(FileBytes(path), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(FilesBeside(path), 1u);
}

TEST(WritePicture, PicturesStillBeingMadeAreWrittenAsTheirRowsAreFinished) {
    const TempDir dir;
    const pxImage finished = TrueColourImage(16, 64, 3);
    for (const char* name : {"made.ppm", "made.png", "made.bmp", "made.jpg"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.Write(name, {'o', 'l', 'd'});
        const size_t filesBefore = FilesBeside(path);
        pxImage picture({16, 64}, 3);
        RowProgress progress;
        auto writer = std::async(std::launch::async, [&] {
            WritePicture(path.c_str(), picture, nullptr, {.quality = 100}, &progress);
        });
        // Rows made in bands, with pauses a writer that did not wait would fall into.
        for (int32_t y = 0; y < 64; y += 8) {
            CopyImage(picture, {0, y}, finished, {0, y, 16, 8});
            progress.Finish(y + 8);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            // Until it is complete, the file has no name: no kill can leave it behind.
            EXPECT_EQ(FilesBeside(path), filesBefore);
        }
        writer.get();
        ReadBack read;
        Read(path, read);
        const pxPalette unused;
        const bool lossy = std::string(name) == "made.jpg";
        EXPECT_LE(MeanDifference(finished, unused, read), lossy ? 3 : 0);
        EXPECT_EQ(FilesBeside(path), filesBefore);
    }

    // A picture that will never be finished: the writer gives up, leaving nothing.
    const std::string path = dir.Write("abandoned.ppm", {'o', 'l', 'd'});
    const size_t filesBefore = FilesBeside(path);
    pxImage picture({16, 64}, 3);
    RowProgress progress;
    auto writer = std::async(std::launch::async,
                             [&] { WritePicture(path.c_str(), picture, nullptr, {}, &progress); });
    progress.Finish(10);
    progress.Abandon();
    EXPECT_EQ(ThrownMessage([&] { writer.get(); }), "The picture was not finished");
    EXPECT_EQ(FileBytes(path), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(FilesBeside(path), filesBefore);
}

TEST(WritePicture, RefusesBmpFilesBeyondTheirSizeFields) {
    // A 1-pixel-wide palette picture of 2^30 rows pads each row to 4 bytes:
    // 4 GiB of pixels. Untouched pages of this mapping cost no memory.
    constexpr int32_t kRows = 1 << 30;
    void* memory = ::mmap(nullptr, kRows, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(memory, MAP_FAILED);
    {
        const pxImage tall({1, kRows}, 1, 1, 0, static_cast<uint8_t*>(memory));
        const pxPalette palette;
        const TempDir dir;
        const std::string path = dir.Write("tall.bmp", {});
        EXPECT_EQ(ThrownMessage([&] { WritePicture(path.c_str(), tall, &palette); }),
                  "Cannot write '" + path + "': the picture is too large for a BMP file.");
        EXPECT_TRUE(FileBytes(path).empty());
    }
    ::munmap(memory, kRows);
}
