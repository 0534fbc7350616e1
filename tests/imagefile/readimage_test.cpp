// File-type detection and both forms of ReadImage: which reader a file goes
// to, the layout words reported, and how reads that end early are told.
#include "imagefile/codecfixtures.h"

#include "imagefile/file.h"
#include "imagefile/jpsread.h"
#include "imagefile/plainformats.h"
#include "imagefile/pnsread.h"
#include "imagefile/readimage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace fixtures;

namespace {

const std::string kUnknown = "Unknown or unsupported file type: %s\nThis file may not be an "
                             "image or the file may be corrupt.";

std::string UnknownMessage(const std::string& path) {
    std::string message = kUnknown;
    message.replace(message.find("%s"), 2, path);
    return message;
}

const Bytes kExif = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0};

Bytes CameraJpeg(const Picture& picture) {
    JpegForm form;
    form.jfif = false;
    form.segments = {{0xE1, kExif}};
    return EncodeJpeg(picture, form);
}

Bytes Stereo(const Bytes& png, uint32_t layout) {
    return InsertPngChunk(png, "sTEr", SterChunk(layout), "IDAT");
}

Bytes SomePng(int32_t width, int32_t height) {
    const PngForm form;
    return EncodePng(width, height, PngSamples(width, height, form), form);
}

// A smooth picture, which a coarse rendering resembles.
Picture Gradient(int32_t width, int32_t height) {
    Picture picture{width, height, 3, {}, {}};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            picture.pixels.insert(picture.pixels.end(),
                                  {uint8_t(x * 6), uint8_t(40 + y * 3), uint8_t(200 - x - y)});
    return picture;
}

// Where each scan of an encoded JPEG begins (its start-of-scan marker), and
// where the first scan's data begins.
std::vector<size_t> ScanStarts(const Bytes& jpeg) {
    std::vector<size_t> starts;
    for (size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA)
            starts.push_back(i);
    return starts;
}

size_t FirstScanData(const Bytes& jpeg) {
    const size_t start = ScanStarts(jpeg).at(0);
    return start + 2 + (size_t(jpeg[start + 2]) << 8 | jpeg[start + 3]);
}

// The mean difference of the bytes of rows [0, rows) of two 3-byte pictures.
double MeanDifference(const pxImage& a, const pxImage& b, int32_t rows) {
    double sum = 0;
    const size_t rowBytes = size_t(a.GetWidth()) * 3;
    for (int32_t y = 0; y < rows; ++y)
        for (size_t i = 0; i < rowBytes; ++i)
            sum += std::abs(int(a.Row(y)[i]) - int(b.Row(y)[i]));
    return rows > 0 ? sum / (double(rowBytes) * rows) : 0;
}

bool RowsBlack(const pxImage& image, int32_t from) {
    for (int32_t y = from; y < image.GetHeight(); ++y)
        for (int32_t i = 0; i < image.GetWidth() * 3; ++i)
            if (image.Row(y)[i] != 0)
                return false;
    return true;
}

// The message of what call throws, given on a thread of its own: a call that
// blocks or never ends is reported (nothing) instead of stopping the tests.
std::optional<std::string> MessageOnItsOwnThread(const std::function<void()>& call) {
    auto message = std::make_shared<std::promise<std::string>>();
    std::future<std::string> answer = message->get_future();
    std::thread([call, message] { message->set_value(ThrownMessage(call)); }).detach();
    if (answer.wait_for(std::chrono::seconds(60)) != std::future_status::ready)
        return std::nullopt;
    return answer.get();
}

struct RecordRead {
    pxImage image;
    pxPalette palette;
    ReadImageData data;

    explicit RecordRead(const std::string& path) : path(path) {
        data.fileName = this->path.c_str();
        data.image = &image;
        data.palette = &palette;
    }
    int Call() { return ReadImage(&data); }

    std::string path;
};

} // namespace

TEST(CheckFileType, LooksAtTheFirstBytesAndThenTheExtension) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(16, 8, 3);
    EXPECT_EQ(CheckFileType(dir.Write("a.jps", EncodeJpeg(picture, {})).c_str()), FILETYPE_JPEG);
    EXPECT_EQ(CheckFileType(dir.Write("a.dat", SomePng(4, 4)).c_str()), FILETYPE_PNG);
    EXPECT_EQ(CheckFileType(dir.Write("a.pxr", {'P', 'X', 'R', 'F', 0}).c_str()), FILETYPE_PXR);
    EXPECT_EQ(CheckFileType(dir.Write("a.avi", {'R', 'I', 'F', 'F', 0}).c_str()), FILETYPE_AVI);
    EXPECT_EQ(CheckFileType(dir.Write("a.bmp", EncodeBmp(picture, {})).c_str()), FILETYPE_PLAIN);
    // An Exif JPEG is not taken by content; its extension makes it plain.
    EXPECT_EQ(CheckFileType(dir.Write("camera.jpg", CameraJpeg(picture)).c_str()), FILETYPE_PLAIN);
    EXPECT_EQ(CheckFileType(dir.Write("camera.dat", CameraJpeg(picture)).c_str()),
              FILETYPE_UNKNOWN);
    EXPECT_EQ(CheckFileType(dir.Write("short", {0xFF}).c_str()), FILETYPE_UNKNOWN);

    const CapturedLog log;
    const std::string missing = dir.Write("x", {}) + "-missing";
    EXPECT_EQ(ThrownMessage([&] { CheckFileType(missing.c_str()); }),
              "couldn't open file: '" + missing + "'");
    EXPECT_EQ(ThrownMessage([&] { IsFilePNG(missing.c_str()); }),
              "couldn't open file: '" + missing + "'");
    EXPECT_EQ(ThrownMessage([&] { IsFilePXR(missing.c_str()); }),
              "Couldn't open file: '" + missing + "'");
    EXPECT_EQ(ThrownMessage([&] { IsFileAVI(missing.c_str()); }),
              "Couldn't open file: '" + missing + "'");
    const std::string text = log.Text();
    EXPECT_NE(text.find("ERROR, couldn't open file: '" + missing + "'\n"), std::string::npos);
    EXPECT_NE(text.find("IsFilePXR: ERROR, couldn't open file: '" + missing + "'\n"),
              std::string::npos);
    EXPECT_NE(text.find("IsFileAVI:  ERROR, couldn't open file: '" + missing + "'\n"),
              std::string::npos);
}

TEST(ReadImage, FirstFormSendsEachFileToItsReader) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(24, 10, 3);
    {
        pxImage image;
        pxPalette palette;
        _ImageInfo info;
        const std::string path = dir.Write("p.bmp", EncodeBmp(picture, {}));
        EXPECT_EQ(ReadImage(path.c_str(), &image, &palette, &info, nullptr), 1);
        EXPECT_EQ(info.layout, kPlainDefaultLayout);
        EXPECT_EQ(info.rowsDone, 10);
        EXPECT_TRUE(info.started && info.headerRead && info.complete);
        EXPECT_EQ(image.GetWidth(), 24);
    }
    {
        // A camera .jps: Exif first, no descriptor; read by the JPEG reader.
        pxImage image;
        _ImageInfo info;
        const std::string path = dir.Write("camera.jps", CameraJpeg(picture));
        EXPECT_EQ(ReadImage(path.c_str(), &image, nullptr, &info, nullptr), 1);
        EXPECT_EQ(image.GetWidth(), 24);
        EXPECT_EQ(image.GetBytesPerPixel(), 3);
        EXPECT_EQ(info.hasDescriptor, 0);
    }
    {
        // A PNG without descriptor reads, leaving the layout word as it was.
        pxImage image;
        _ImageInfo info;
        info.layout = 0x1234;
        const std::string path = dir.Write("plain.png", SomePng(6, 5));
        EXPECT_EQ(ReadImage(path.c_str(), &image, nullptr, &info, nullptr), 1);
        EXPECT_EQ(info.hasDescriptor, 0);
        EXPECT_EQ(info.layout, 0x1234u);
        EXPECT_EQ(image.GetHeight(), 5);
    }
    const CapturedLog log;
    for (const Bytes& bytes : {Bytes{'R', 'I', 'F', 'F', 1, 2}, Bytes{'P', 'X', 'R', 'F', 3}}) {
        const std::string path = dir.Write("container", bytes);
        pxImage image;
        _ImageInfo info;
        EXPECT_EQ(ThrownMessage([&] { ReadImage(path.c_str(), &image, nullptr, &info, nullptr); }),
                  UnknownMessage(path));
        EXPECT_NE(log.Text().find("ReadImage: unknown file type: " + path + "\n"),
                  std::string::npos);
    }
}

TEST(ReadImage, RecordFormReportsLayoutWordsAndRefusesPlainPng) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(30, 12, 3);
    ReadImageData empty;
    EXPECT_EQ(ThrownMessage([&] { ReadImage(&empty); }), "ReadImage -- invalid filename!");

    RecordRead bmp(dir.Write("p.tga", EncodeTga(picture, {})));
    EXPECT_EQ(bmp.Call(), 1);
    EXPECT_EQ(bmp.data.layout, kPlainDefaultLayout);
    EXPECT_EQ(bmp.data.rowsDone, 12);
    EXPECT_EQ(bmp.data.firstCall, 0);

    RecordRead jpeg(dir.Write("plain.jpg", EncodeJpeg(picture, {})));
    EXPECT_EQ(jpeg.Call(), 1);
    EXPECT_EQ(jpeg.data.layout, kJpegDefaultLayout);
    EXPECT_EQ(jpeg.data.rowsDone, 12);
    EXPECT_EQ(jpeg.data.firstCall, 0);

    JpegForm stereoForm;
    stereoForm.segments = {{0xE3, JpsDescriptor(0x40101)}};
    RecordRead jps(dir.Write("s.jps", EncodeJpeg(picture, stereoForm)));
    EXPECT_EQ(jps.Call(), 1);
    EXPECT_EQ(jps.data.layout, 0x40101u);

    RecordRead pns(dir.Write("s.pns", Stereo(SomePng(8, 3), 0x201)));
    EXPECT_EQ(pns.Call(), 1);
    EXPECT_EQ(pns.data.layout, 0x201u);
    EXPECT_EQ(pns.data.rowsDone, 3);

    RecordRead png(dir.Write("plain.png", SomePng(8, 3)));
    EXPECT_EQ(ThrownMessage([&] { png.Call(); }),
              "Could not find the Stereoscopic Descriptor!\n\nThis version of Binoxa requires "
              "that Stereo PNG files contain a\nStereoscopic Descriptor.  If you are creating "
              "your own PNS files,\nplease use the utilities provided on the Norvane web site.");

    const CapturedLog log;
    RecordRead avi(dir.Write("movie", {'R', 'I', 'F', 'F', 0, 0}));
    EXPECT_EQ(ThrownMessage([&] { avi.Call(); }), UnknownMessage(avi.path));
    EXPECT_EQ(log.Text().find("ReadImage: unknown file type"), std::string::npos);
}

TEST(ReadImage, RecordFormEndsReadsOfFilesThatStopShort) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(40, 64, 3);
    const Bytes jpeg = EncodeJpeg(picture, {});
    const Bytes pns = Stereo(SomePng(40, 64), 0x201);
    const CapturedLog log;
    for (const auto& [name, whole] : {std::pair{"cut.jpg", jpeg}, std::pair{"cut.pns", pns}}) {
        SCOPED_TRACE(name);
        RecordRead read(
            dir.Write(name, Bytes(whole.begin(), whole.begin() + long(whole.size() / 2))));
        EXPECT_EQ(read.Call(), 0);
        EXPECT_EQ(read.data.truncated, 0);
        const int rows = read.data.rowsDone;
        EXPECT_GT(rows, 0);
        EXPECT_LT(rows, 64);
        // No more data: the caller's loop ends with what was decoded.
        EXPECT_EQ(read.Call(), 1);
        EXPECT_EQ(read.data.truncated, 1);
        EXPECT_EQ(read.data.rowsDone, rows);
        EXPECT_EQ(read.image.Row(63)[0], 0) << "rows never delivered are black";
        EXPECT_NE(log.Text().find("ReadImage -- '" + read.path + "' ends before its image: " +
                                  std::to_string(rows) + " of 64 rows read\n"),
                  std::string::npos)
            << log.Text();
    }

    // A file that grows between calls is not cut short.
    const std::string path = dir.Write("grow.jpg", Bytes(jpeg.begin(), jpeg.begin() + 400));
    RecordRead growing(path);
    EXPECT_EQ(growing.Call(), 0);
    if (FILE* file = std::fopen(path.c_str(), "ab")) {
        std::fwrite(jpeg.data() + 400, 1, jpeg.size() - 400, file);
        std::fclose(file);
    }
    EXPECT_EQ(growing.Call(), 1);
    EXPECT_EQ(growing.data.truncated, 0);
    EXPECT_EQ(growing.data.rowsDone, 64);

    // A file that ends before its header is an error.
    RecordRead headless(dir.Write("head.jpg", Bytes(jpeg.begin(), jpeg.begin() + 20)));
    EXPECT_EQ(headless.Call(), 0);
    EXPECT_EQ(ThrownMessage([&] { headless.Call(); }),
              "The file '" + headless.path + "' ends before its image begins.");
    // A new read (firstCall set) starts over.
    RecordRead again(dir.Write("again.jpg", jpeg));
    EXPECT_EQ(again.Call(), 1);
}

TEST(ReadImage, RecordFormEndsProgressiveReadsWithTheScansThatCame) {
    const TempDir dir;
    const CapturedLog log;
    const Picture picture = Gradient(40, 64);
    for (const bool grey : {false, true}) {
        SCOPED_TRACE(grey ? "grey" : "colour");
        JpegForm form;
        form.progressive = true;
        form.grey = grey;
        const Bytes whole = EncodeJpeg(picture, form);
        RecordRead full(dir.Write("full.jpg", whole));
        ASSERT_EQ(full.Call(), 1);
        const std::vector<size_t> scans = ScanStarts(whole);
        ASSERT_GE(scans.size(), 3u);
        const size_t data = FirstScanData(whole);

        // Reads the file cut after `length` bytes as the viewer does, until
        // the result is 1.
        const auto readCut = [&](size_t length, RecordRead& read) {
            int calls = 0;
            while (read.Call() == 0)
                ASSERT_LT(++calls, 3) << "a file that stopped short must end the read";
            EXPECT_EQ(read.data.truncated, 1);
            EXPECT_EQ(read.data.layout, kJpegDefaultLayout);
            EXPECT_EQ(read.image.GetWidth(), 40) << "the picture has its full size";
            EXPECT_EQ(read.image.GetHeight(), 64);
            EXPECT_TRUE(RowsBlack(read.image, read.data.rowsDone)) << length;
            EXPECT_NE(log.Text().find("ReadImage -- '" + read.path + "' ends before its image: " +
                                      std::to_string(read.data.rowsDone) + " of 64 rows read\n"),
                      std::string::npos);
        };
        const auto cutFile = [&](size_t length) {
            return dir.Write("cut.jpg", Bytes(whole.begin(), whole.begin() + long(length)));
        };

        // Wherever the file stops, even inside the tables between scans,
        // the rows the first scan reached come first; they only grow.
        std::vector<int> reached;
        for (size_t length = data; length < whole.size(); ++length) {
            RecordRead read(cutFile(length));
            readCut(length, read);
            reached.push_back(read.data.rowsDone);
        }
        EXPECT_TRUE(std::is_sorted(reached.begin(), reached.end()));

        // Only the header and the first scan's head: a black picture.
        EXPECT_EQ(reached.front(), 0);
        // Part of the first scan: the rows it reached, coarse; the rest black.
        const auto part =
            std::find_if(reached.begin(), reached.end(), [](int rows) { return rows > 0; });
        ASSERT_LT(*part, 64);
        RecordRead partFirst(cutFile(data + size_t(part - reached.begin())));
        readCut(0, partFirst);
        EXPECT_LT(MeanDifference(partFirst.image, full.image, *part), 24);

        // The first scans whole: every row, coarse.
        RecordRead twoScans(cutFile(scans[2]));
        readCut(scans[2], twoScans);
        EXPECT_EQ(twoScans.data.rowsDone, 64);
        EXPECT_LT(MeanDifference(twoScans.image, full.image, 64), 24);
    }
}

TEST(ReadImage, RefusesWhatIsNotARegularFile) {
    const TempDir dir;
    const std::string directory = dir.PathOf("folder");
    ASSERT_EQ(::mkdir(directory.c_str(), 0700), 0);
    std::vector<std::string> paths = {directory};
    // A pipe nobody writes to blocks a plain open for reading forever.
    for (const char* name : {"pipe", "pipe.ppm", "pipe.jpg", "pipe.png"}) {
        paths.push_back(dir.PathOf(name));
        ASSERT_EQ(::mkfifo(paths.back().c_str(), 0600), 0);
    }
    // A device that never ends.
    if (::access("/dev/zero", R_OK) == 0)
        for (const char* name : {"zero", "zero.ppm", "zero.pxf"}) {
            paths.push_back(dir.PathOf(name));
            ASSERT_EQ(::symlink("/dev/zero", paths.back().c_str()), 0);
        }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const std::string refused = "Cannot read '" + path + "': it is not a regular file";
        ASSERT_EQ(MessageOnItsOwnThread([=] { CheckFileType(path.c_str()); }), refused);
        ASSERT_EQ(MessageOnItsOwnThread([=] {
                      pxImage image;
                      pxPalette palette;
                      _ImageInfo info;
                      ReadImage(path.c_str(), &image, &palette, &info, nullptr);
                  }),
                  refused);
        ASSERT_EQ(MessageOnItsOwnThread([=] { RecordRead(path).Call(); }), refused);
        // Each reader on its own, whatever the name says.
        if (!std::filesystem::path(path).has_extension()) {
            ASSERT_EQ(MessageOnItsOwnThread([=] { GetImageFileFormat(path.c_str()); }), refused);
        }
        for (const int32_t format : {FORMAT_TGA, FORMAT_BMP, FORMAT_PPM, FORMAT_BLOCKFILE})
            ASSERT_EQ(MessageOnItsOwnThread([=] {
                          pxImage image;
                          pxPalette palette;
                          ReadPlainImage(path.c_str(), &image, &palette, 0, format);
                      }),
                      refused)
                << format;
        for (const auto read : {ReadJpegImage, ReadPngImage})
            ASSERT_EQ(MessageOnItsOwnThread([=] {
                          pxImage image;
                          _ImageInfo info;
                          read(path.c_str(), &image, nullptr, &info, nullptr);
                      }),
                      refused);
    }
}
