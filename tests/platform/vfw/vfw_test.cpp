// The video service on AVI files that FFmpeg's command-line tool writes from
// frames of known pixels: every depth rule, the stream information, random
// access on a key-frame codec, and each failure class with its result code.
#include "platform/vfw/vfw.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace win;

constexpr int kWidth = 64, kHeight = 48, kFrames = 10;

// Frame i's pixel (x, y), red, green, blue.
void Colour(int i, int x, int y, BYTE rgb[3]) {
    rgb[0] = static_cast<BYTE>(x * 4);
    rgb[1] = static_cast<BYTE>(y * 5);
    rgb[2] = static_cast<BYTE>(i * 25);
}

class VideoService : public ::testing::Test {
protected:
    void SetUp() override {
        work = fs::absolute("vfw-" + std::to_string(::getpid()));
        fs::create_directories(work);
        for (int i = 0; i < kFrames; ++i) {
            std::ofstream frame(work / ("frame" + std::to_string(i) + ".ppm"), std::ios::binary);
            frame << "P6\n" << kWidth << " " << kHeight << "\n255\n";
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    BYTE rgb[3];
                    Colour(i, x, y, rgb);
                    frame.write(reinterpret_cast<const char*>(rgb), 3);
                }
        }
        AVIFileInit();
    }
    void TearDown() override {
        AVIFileExit();
        fs::remove_all(work);
    }

    // An AVI of the frames at 15 frames a second with FFmpeg's options.
    std::string Encode(const std::string& name, const std::string& options) {
        const std::string path = (work / name).string();
        const std::string command = "ffmpeg -v error -y -framerate 15 -i '" + work.string() +
                                    "/frame%d.ppm' " + options + " '" + path + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }

    fs::path work;
};

struct OpenVideo {
    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    PGETFRAME reader = nullptr;
    AVISTREAMINFO info{};

    explicit OpenVideo(const std::string& path) {
        if (AVIFileOpen(&file, path.c_str(), OF_READ | OF_SHARE_DENY_NONE, nullptr) != S_OK ||
            AVIFileGetStream(file, &stream, streamtypeVIDEO, 0) != S_OK ||
            AVIStreamInfo(stream, &info, sizeof info) != S_OK)
            return;
        reader = AVIStreamGetFrameOpen(stream, nullptr);
    }
    ~OpenVideo() {
        AVIStreamGetFrameClose(reader);
        AVIStreamRelease(stream);
        AVIFileRelease(file);
    }
    const BITMAPINFOHEADER* Frame(LONG i) const {
        return static_cast<const BITMAPINFOHEADER*>(AVIStreamGetFrame(reader, i));
    }
};

// Pixel (x, y), counted from the top, of a packed bitmap as red, green, blue.
void PixelOf(const BITMAPINFOHEADER* header, int x, int y, BYTE rgb[3]) {
    const auto* base = reinterpret_cast<const BYTE*>(header);
    const int table = header->biBitCount == 8 ? 256 * 4 : 0;
    const int stride = ((header->biWidth * header->biBitCount / 8) + 3) & ~3;
    const BYTE* row = base + header->biSize + table + (header->biHeight - 1 - y) * stride;
    switch (header->biBitCount) {
    case 8: {
        const BYTE* entry = base + header->biSize + row[x] * 4;
        rgb[0] = entry[2], rgb[1] = entry[1], rgb[2] = entry[0];
        break;
    }
    case 16: {
        const int word = row[2 * x] | (row[2 * x + 1] << 8);
        rgb[0] = static_cast<BYTE>(((word >> 10) & 31) << 3);
        rgb[1] = static_cast<BYTE>(((word >> 5) & 31) << 3);
        rgb[2] = static_cast<BYTE>((word & 31) << 3);
        break;
    }
    default: {
        const BYTE* pixel = row + x * header->biBitCount / 8;
        rgb[0] = pixel[2], rgb[1] = pixel[1], rgb[2] = pixel[0];
    }
    }
}

// Every frame of the file as FFmpeg's command-line tool decodes it to the
// pixel format, top-down rows without padding.
std::string DecodedByFfmpeg(const std::string& path, const char* pixelFormat) {
    const std::string output = path + "." + pixelFormat;
    const std::string command = "ffmpeg -v error -y -i '" + path + "' -f rawvideo -pix_fmt " +
                                pixelFormat + " '" + output + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(output, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Frame i's rows as the bitmap holds them, top-down without padding; 8-bit
// frames through their colour table as red, green, blue, 32-bit frames
// without their unused byte.
std::string RowsOf(const BITMAPINFOHEADER* header) {
    const auto* base = reinterpret_cast<const char*>(header);
    const int bytes = header->biBitCount / 8;
    const int stride = ((header->biWidth * bytes) + 3) & ~3;
    const char* pixels = base + header->biSize + (bytes == 1 ? 256 * 4 : 0);
    std::string rows;
    for (int y = header->biHeight - 1; y >= 0; --y) {
        const char* row = pixels + y * stride;
        if (bytes == 4) { // the fourth byte is unused
            for (int x = 0; x < header->biWidth; ++x)
                rows.append(row + 4 * x, 3);
            continue;
        }
        if (bytes != 1) {
            rows.append(row, static_cast<size_t>(header->biWidth) * bytes);
            continue;
        }
        for (int x = 0; x < header->biWidth; ++x) {
            const char* entry = base + header->biSize + static_cast<unsigned char>(row[x]) * 4;
            rows += {entry[2], entry[1], entry[0]};
        }
    }
    return rows;
}

// The largest channel difference between frame i as decoded and as made.
int LargestError(const BITMAPINFOHEADER* header, int i) {
    int largest = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            BYTE shown[3], made[3];
            PixelOf(header, x, y, shown);
            Colour(i, x, y, made);
            for (int c = 0; c < 3; ++c)
                largest = std::max(largest, std::abs(shown[c] - made[c]));
        }
    return largest;
}

TEST_F(VideoService, EachSourceComesOutAtItsDepthWithItsPixels) {
    struct Case {
        const char* name;
        const char* options;
        int bits;
        // Uncompressed frames are compared with FFmpeg's own decoding in
        // this format; the JPEG frames with the pixels made.
        const char* decodedAs;
    };
    const Case cases[] = {
        {"raw24.avi", "-c:v rawvideo -pix_fmt bgr24", 24, "bgr24"},
        {"raw32.avi", "-c:v rawvideo -pix_fmt bgra", 32, "bgr24"},
        {"raw16.avi", "-c:v rawvideo -pix_fmt rgb555le", 16, "rgb555le"},
        {"raw8.avi", "-c:v rawvideo -pix_fmt pal8", 8, "rgb24"},
        {"mjpeg.avi", "-c:v mjpeg -q:v 2", 24, nullptr},
    };
    for (const Case& source : cases) {
        SCOPED_TRACE(source.name);
        const std::string path = Encode(source.name, source.options);
        const std::string decoded = source.decodedAs ? DecodedByFfmpeg(path, source.decodedAs) : "";
        const OpenVideo video(path);
        ASSERT_NE(video.reader, nullptr);
        EXPECT_EQ(video.info.fccType, streamtypeVIDEO);
        EXPECT_EQ(video.info.dwLength, static_cast<DWORD>(kFrames));
        EXPECT_DOUBLE_EQ(static_cast<double>(video.info.dwRate) / video.info.dwScale, 15.0);
        EXPECT_EQ(video.info.rcFrame.right, kWidth);
        EXPECT_EQ(video.info.rcFrame.bottom, kHeight);
        const HIC decompressor = ICOpen(ICTYPE_VIDEO, video.info.fccHandler, ICMODE_DECOMPRESS);
        EXPECT_NE(decompressor, nullptr);
        ICClose(decompressor);
        for (int i = 0; i < kFrames; ++i) {
            const BITMAPINFOHEADER* frame = video.Frame(i);
            ASSERT_NE(frame, nullptr) << "frame " << i;
            EXPECT_EQ(frame->biSize, 40u);
            EXPECT_EQ(frame->biWidth, kWidth);
            EXPECT_EQ(frame->biHeight, kHeight);
            EXPECT_EQ(frame->biBitCount, source.bits);
            if (source.decodedAs) {
                const std::string rows = RowsOf(frame);
                EXPECT_EQ(rows, decoded.substr(i * rows.size(), rows.size())) << "frame " << i;
            } else {
                EXPECT_LE(LargestError(frame, i), 40) << "frame " << i;
            }
        }
        EXPECT_EQ(video.Frame(kFrames), nullptr);
    }
}

TEST_F(VideoService, AnyFrameOfAKeyFrameCodecIsTheFrameThatPlaybackShows) {
    const std::string path = Encode("mpeg4.avi", "-c:v mpeg4 -g 4 -bf 0 -q:v 3");
    std::vector<std::vector<BYTE>> played;
    {
        const OpenVideo video(path);
        ASSERT_NE(video.reader, nullptr);
        for (int i = 0; i < kFrames; ++i) {
            const auto* frame = reinterpret_cast<const BYTE*>(video.Frame(i));
            ASSERT_NE(frame, nullptr);
            const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(frame);
            played.emplace_back(frame, frame + header->biSize + header->biSizeImage);
        }
    }
    const OpenVideo video(path);
    for (const int i : {7, 2, 9, 5, 0, 6, 6, 3}) {
        const auto* frame = reinterpret_cast<const BYTE*>(video.Frame(i));
        ASSERT_NE(frame, nullptr) << "frame " << i;
        EXPECT_EQ(std::vector<BYTE>(frame, frame + played[i].size()), played[i]) << "frame " << i;
    }
}

TEST_F(VideoService, EachFailureHasItsResult) {
    PAVIFILE file = nullptr;
    EXPECT_EQ(AVIFileOpen(&file, (work / "missing.avi").c_str(), OF_READ, nullptr),
              AVIERR_FILEOPEN);
    std::ofstream(work / "text.avi") << "this is not a video at all";
    EXPECT_EQ(AVIFileOpen(&file, (work / "text.avi").c_str(), OF_READ, nullptr), AVIERR_BADFORMAT);
    // An AVI file cut inside its header.
    const std::string whole = Encode("whole.avi", "-c:v rawvideo -pix_fmt bgr24");
    {
        std::ifstream in(whole, std::ios::binary);
        std::string header(100, '\0');
        in.read(header.data(), static_cast<std::streamsize>(header.size()));
        std::ofstream(work / "broken.avi", std::ios::binary) << header;
    }
    EXPECT_EQ(AVIFileOpen(&file, (work / "broken.avi").c_str(), OF_READ, nullptr), AVIERR_FILEREAD);
    EXPECT_EQ(file, nullptr);

    const std::string sound = (work / "sound.avi").string();
    ASSERT_EQ(std::system(
                  ("ffmpeg -v error -y -f lavfi -i anullsrc -t 0.2 -c:a pcm_s16le '" + sound + "'")
                      .c_str()),
              0);
    ASSERT_EQ(AVIFileOpen(&file, sound.c_str(), OF_READ, nullptr), S_OK);
    PAVISTREAM stream = nullptr;
    EXPECT_EQ(AVIFileGetStream(file, &stream, streamtypeVIDEO, 0), AVIERR_NODATA);
    EXPECT_EQ(stream, nullptr);
    AVIFileRelease(file);

    // A codec code no decoder knows: the probe finds no decompressor.
    const std::string unknown = Encode("unknown.avi", "-c:v mpeg4");
    std::string bytes;
    {
        std::ifstream in(unknown, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (size_t at = bytes.find("FMP4"); at != std::string::npos; at = bytes.find("FMP4", at))
        bytes.replace(at, 4, "ZQZQ");
    std::ofstream(unknown, std::ios::binary) << bytes;
    const OpenVideo video(unknown);
    EXPECT_EQ(video.info.fccHandler, MakeFourCC('Z', 'Q', 'Z', 'Q'));
    EXPECT_EQ(ICOpen(ICTYPE_VIDEO, video.info.fccHandler, ICMODE_DECOMPRESS), nullptr);
    EXPECT_EQ(video.reader, nullptr);
}

} // namespace
