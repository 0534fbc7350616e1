// The JPEG reader: stereo descriptors, pixels, reading a growing file in
// steps, and refusing what it cannot read.
#include "imagefile/codecfixtures.h"

#include "imagefile/jpsdescriptor.h"
#include "imagefile/jpsread.h"
#include "support/sysfixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

using namespace fixtures;

namespace {

// What libjpeg alone makes of a file: blue, green, red rows, packed.
Bytes BareDecode(const Bytes& file, int32_t& width, int32_t& height) {
    jpeg_decompress_struct decompressor{};
    jpeg_error_mgr errors{};
    decompressor.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decompressor);
    jpeg_mem_src(&decompressor, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&decompressor, TRUE);
    jpeg_start_decompress(&decompressor);
    width = int32_t(decompressor.output_width);
    height = int32_t(decompressor.output_height);
    const int components = decompressor.output_components;
    Bytes row(size_t(width) * components), out;
    while (decompressor.output_scanline < decompressor.output_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_read_scanlines(&decompressor, rows, 1);
        for (int32_t x = 0; x < width; ++x)
            for (int c = 2; c >= 0; --c)
                out.push_back(row[size_t(x) * components + (components == 3 ? c : 0)]);
    }
    jpeg_finish_decompress(&decompressor);
    jpeg_destroy_decompress(&decompressor);
    return out;
}

Bytes Packed(const pxImage& image) {
    Bytes out;
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        out.insert(out.end(), image.Row(y), image.Row(y) + size_t(image.GetWidth()) * 3);
    return out;
}

struct JpegRead {
    pxImage image;
    _ImageInfo info;
    int result = 0;
};

void ReadWhole(const std::string& path, JpegRead& read) {
    read.result = ReadJpegImage(path.c_str(), &read.image, nullptr, &read.info, nullptr);
}

Bytes Prefix(const Bytes& bytes, size_t count) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

} // namespace

TEST(JpsDescriptor, ParsesTheLayoutWordAndBoundsEveryCopy) {
    uint32_t layout = 0;
    const Bytes plain = JpsDescriptor(0x201);
    EXPECT_EQ(
        ParseJpsDescriptor(plain.data(), plain.size(), &layout, nullptr, nullptr, nullptr, nullptr),
        JPS_DESCRIPTOR_READ);
    EXPECT_EQ(layout, 0x201u);

    EXPECT_EQ(ParseJpsDescriptor(plain.data(), 13, &layout, nullptr, nullptr, nullptr, nullptr),
              JPS_TOO_SHORT);
    Bytes wrongName = plain;
    wrongName[7] = 'X';
    EXPECT_EQ(ParseJpsDescriptor(wrongName.data(), wrongName.size(), &layout, nullptr, nullptr,
                                 nullptr, nullptr),
              JPS_NOT_A_DESCRIPTOR);
    Bytes shortLength = plain;
    shortLength[9] = 3;
    EXPECT_EQ(ParseJpsDescriptor(shortLength.data(), shortLength.size(), &layout, nullptr, nullptr,
                                 nullptr, nullptr),
              JPS_BAD_LENGTH);

    const Bytes full = JpsDescriptor(0x40201, {1, 2, 3}, "stereo pair");
    uint8_t extra[8] = {}, comment[4] = {};
    size_t extraCount = sizeof extra, commentCount = sizeof comment;
    EXPECT_EQ(ParseJpsDescriptor(full.data(), full.size(), &layout, &extraCount, extra,
                                 &commentCount, comment),
              JPS_DESCRIPTOR_READ);
    EXPECT_EQ(layout, 0x40201u);
    EXPECT_EQ(extraCount, 3u);
    EXPECT_EQ(extra[2], 3);
    EXPECT_EQ(commentCount, 4u) << "cut to the buffer";
    EXPECT_EQ(std::string(reinterpret_cast<char*>(comment), 4), "ster");

    // Lengths that run past the payload copy only what the payload has.
    Bytes lying = JpsDescriptor(0x201, {9, 9});
    lying[8] = 0x7F; // L far beyond the payload
    extraCount = sizeof extra;
    commentCount = sizeof comment;
    EXPECT_EQ(ParseJpsDescriptor(lying.data(), lying.size(), &layout, &extraCount, extra,
                                 &commentCount, comment),
              JPS_DESCRIPTOR_READ);
    EXPECT_EQ(extraCount, lying.size() - 14);
    EXPECT_EQ(commentCount, 0u);
}

TEST(JpegReader, ReportsTheDescriptorOfTheLastStereoSegment) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(32, 16, 3);
    struct Case {
        std::vector<JpegSegment> segments;
        bool jfif;
        int hasDescriptor;
        uint32_t layout;
    };
    Bytes thirteen = JpsDescriptor(0x201);
    thirteen.resize(13);
    Bytes misnamed = JpsDescriptor(0x201);
    misnamed[7] = '-';
    const Bytes exif = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42};
    const Case cases[] = {
        {{{0xE3, JpsDescriptor(0x201)}}, true, 1, 0x201},
        {{{0xE3, JpsDescriptor(0x201)}, {0xE3, JpsDescriptor(0x40201, {5}, "x")}},
         true,
         1,
         0x40201},
        {{{0xE3, thirteen}}, true, 0, 0},
        {{{0xE3, misnamed}}, true, 0, 0},
        {{}, true, 0, 0},
        // A camera file: Exif first, no JFIF header.
        {{{0xE1, exif}, {0xE3, JpsDescriptor(0x10101)}}, false, 1, 0x10101},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        JpegForm form;
        form.segments = c.segments;
        form.jfif = c.jfif;
        const std::string path =
            dir.Write("case" + std::to_string(n++) + ".jps", EncodeJpeg(picture, form));
        JpegRead read;
        ReadWhole(path, read);
        EXPECT_EQ(read.result, 1);
        EXPECT_EQ(read.info.hasDescriptor != 0, c.hasDescriptor != 0);
        if (c.hasDescriptor) {
            EXPECT_EQ(read.info.layout, c.layout);
        }
        EXPECT_EQ(read.image.GetWidth(), 32);
        EXPECT_EQ(read.info.rowsDone, 16);
        EXPECT_TRUE(read.info.complete);
        EXPECT_FALSE(read.info.stream) << "the file is closed at the end";
    }
}

TEST(JpegReader, GivesLibjpegsPixelsAsBlueGreenRed) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(45, 23, 3);
    for (const bool grey : {false, true})
        for (const bool progressive : {false, true}) {
            SCOPED_TRACE(std::to_string(grey) + std::to_string(progressive));
            JpegForm form;
            form.grey = grey;
            form.progressive = progressive;
            const Bytes file = EncodeJpeg(picture, form);
            int32_t width = 0, height = 0;
            const Bytes expected = BareDecode(file, width, height);
            JpegRead read;
            ReadWhole(dir.Write("p.jpg", file), read);
            ASSERT_EQ(read.result, 1);
            EXPECT_EQ(read.image.GetBytesPerPixel(), 3);
            EXPECT_EQ(read.image.GetStride() % 4, 0);
            EXPECT_EQ(read.image.GetBottomUp(), 0);
            ASSERT_EQ(Packed(read.image), expected);
            if (grey)
                for (int32_t y = 0; y < height; ++y)
                    for (int32_t x = 0; x < width; ++x) {
                        const uint8_t* p = read.image.Row(y) + x * 3;
                        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]);
                    }
            // Near the source colours, in their order (not red and blue swapped).
            if (!grey) {
                // Nearer the source in its own byte order than with red and blue swapped.
                int64_t straight = 0, swapped = 0;
                for (int32_t y = 0; y < height; ++y)
                    for (int32_t x = 0; x < width; ++x) {
                        const uint8_t* ours = read.image.Row(y) + x * 3;
                        const uint8_t* source = picture.At(x, y);
                        straight += std::abs(ours[0] - source[0]) + std::abs(ours[2] - source[2]);
                        swapped += std::abs(ours[0] - source[2]) + std::abs(ours[2] - source[0]);
                    }
                EXPECT_LT(straight * 2, swapped);
            }
        }
}

TEST(JpegReader, ReadsAGrowingFileInStepsAndResumesWhereItStopped) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(64, 96, 3);
    for (const bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        JpegForm form;
        form.progressive = progressive;
        form.segments = {{0xE3, JpsDescriptor(0x40201)}};
        const Bytes file = EncodeJpeg(picture, form);
        int32_t width = 0, height = 0;
        const Bytes expected = BareDecode(file, width, height);
        const std::string path =
            dir.Write(progressive ? "grow-p.jps" : "grow.jps", Prefix(file, 10));

        JpegRead read;
        const pxColor background = pxColor::Rgb(10, 20, 30);
        EXPECT_EQ(ReadJpegImage(path.c_str(), &read.image, nullptr, &read.info, &background), 0);
        EXPECT_TRUE(read.info.started);
        EXPECT_FALSE(read.info.headerRead);

        // Half the file: the header and, for a sequential file, some rows.
        const size_t half = file.size() / 2;
        AppendToFile(path, file, 10, half);
        EXPECT_EQ(ReadJpegImage(nullptr, &read.image, nullptr, &read.info, &background), 0);
        EXPECT_TRUE(read.info.headerRead);
        EXPECT_EQ(read.info.hasDescriptor, 1);
        EXPECT_EQ(read.info.layout, 0x40201u);
        const int rowsAtHalf = read.info.rowsDone;
        if (progressive) {
            EXPECT_EQ(rowsAtHalf, 0) << "a progressive file has no rows before its last scan";
        } else {
            EXPECT_GT(rowsAtHalf, 0);
            EXPECT_LT(rowsAtHalf, height);
            // Rows not decoded yet show the background.
            const uint8_t* last = read.image.Row(height - 1);
            EXPECT_EQ(last[0], 30);
            EXPECT_EQ(last[1], 20);
            EXPECT_EQ(last[2], 10);
        }
        // Calling again with nothing new changes nothing.
        EXPECT_EQ(ReadJpegImage(nullptr, &read.image, nullptr, &read.info, &background), 0);
        EXPECT_EQ(read.info.rowsDone, rowsAtHalf);

        AppendToFile(path, file, half, file.size());
        EXPECT_EQ(ReadJpegImage(nullptr, &read.image, nullptr, &read.info, &background), 1);
        EXPECT_EQ(read.info.rowsDone, height);
        EXPECT_EQ(read.info.bytesRead, int64_t(file.size()));
        EXPECT_EQ(Packed(read.image), expected) << "resumed exactly where it stopped";
        EXPECT_EQ(ReadJpegImage(nullptr, &read.image, nullptr, &read.info, &background), 1);
    }
}

TEST(JpegReader, RefusesWhatItCannotReadWithAClearError) {
    const TempDir dir;
    const CapturedLog log;
    JpegRead missing;
    EXPECT_EQ(ThrownMessage([&] { ReadWhole(dir.Write("x", {}) + ".none", missing); }),
              "couldn't open " + dir.Write("x", {}) + ".none");

    JpegRead cmyk;
    const std::string cmykPath = dir.Write("cmyk.jpg", EncodeCmykJpeg(16, 8));
    EXPECT_EQ(ThrownMessage([&] { ReadWhole(cmykPath, cmyk); }),
              "JPEG file '" + cmykPath +
                  "' has 4 colour components; only greyscale and colour pictures can be read");
    EXPECT_FALSE(cmyk.info.started) << "the read is over";
    EXPECT_FALSE(cmyk.info.stream);

    // A frame of 12-bit samples, which this decoder does not take.
    Bytes twelveBits = EncodeJpeg(TrueColourPicture(16, 16, 3), {});
    for (size_t i = 0; i + 4 < twelveBits.size(); ++i)
        if (twelveBits[i] == 0xFF && twelveBits[i + 1] == 0xC0) {
            twelveBits[i + 4] = 12;
            break;
        }
    JpegRead rubbish;
    const std::string rubbishPath = dir.Write("bad.jpg", twelveBits);
    const std::string message = ThrownMessage([&] { ReadWhole(rubbishPath, rubbish); });
    EXPECT_NE(message, "");
    EXPECT_NE(log.Text().find("JPEGLIB ERROR: " + message + "\n"), std::string::npos) << log.Text();
    EXPECT_FALSE(rubbish.info.started);

    // A header that asks for an absurd picture is refused before anything is
    // allocated for it.
    Bytes huge = EncodeJpeg(TrueColourPicture(16, 16, 3), {});
    for (size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0xFD; // 65000 x 65000
            huge[i + 6] = huge[i + 8] = 0xE8;
            break;
        }
    JpegRead tooLarge;
    const std::string hugePath = dir.Write("huge.jpg", huge);
    EXPECT_EQ(ThrownMessage([&] { ReadWhole(hugePath, tooLarge); }),
              "Image of 65000 x 65000 pixels is too large for file '" + hugePath + "'");

    // A file cut short stays incomplete: 0 on every call, no endless work.
    // A progressive one has no rows until its last scan.
    for (const bool progressive : {false, true}) {
        JpegForm form;
        form.progressive = progressive;
        const Bytes whole = EncodeJpeg(TrueColourPicture(40, 40, 3), form);
        JpegRead cut;
        const std::string cutPath = dir.Write("cut.jpg", Prefix(whole, whole.size() * 2 / 3));
        ReadWhole(cutPath, cut);
        EXPECT_EQ(cut.result, 0);
        EXPECT_EQ(ReadJpegImage(nullptr, &cut.image, nullptr, &cut.info, nullptr), 0);
        EXPECT_TRUE(cut.info.headerRead);
        EXPECT_FALSE(cut.info.complete);
        if (progressive) {
            EXPECT_EQ(cut.info.rowsDone, 0);
        } else {
            EXPECT_GT(cut.info.rowsDone, 0);
            EXPECT_LT(cut.info.rowsDone, 40);
        }
    }
}

// The head of a JPEG file up to its first scan's data, declaring a picture of
// width x height with every component at full size.
Bytes HeadDeclaring(uint16_t width, uint16_t height, bool progressive) {
    JpegForm form;
    form.progressive = progressive;
    Bytes head = EncodeJpeg(TrueColourPicture(16, 16, 3), form);
    const uint8_t frame = progressive ? 0xC2 : 0xC0;
    for (size_t i = 0; i + 9 < head.size(); ++i) {
        if (head[i] == 0xFF && head[i + 1] == frame) {
            head[i + 5] = uint8_t(height >> 8);
            head[i + 6] = uint8_t(height);
            head[i + 7] = uint8_t(width >> 8);
            head[i + 8] = uint8_t(width);
            for (size_t c = 0; c < head[i + 9]; ++c)
                head[i + 11 + 3 * c] = 0x11;
        }
        if (head[i] == 0xFF && head[i + 1] == 0xDA) {
            head.resize(i + 2 + (size_t(head[i + 2]) << 8 | head[i + 3]));
            break;
        }
    }
    return head;
}

TEST(JpegReader, BoundsTheDecodersOwnMemory) {
    const TempDir dir;
    const CapturedLog log;
    // The largest picture the size check lets through, all three components
    // at full size: as a baseline file libjpeg needs a few rows of buffers,
    // sets them up and waits for the data. Progressive, it would need over
    // 2 GiB of coefficients, as would the 18000 x 18000 picture a 2 KB file
    // can declare: both are refused. Half the pixels still decode.
    const auto accepted = [&](int32_t width, int32_t height, bool progressive) {
        JpegRead read;
        const std::string path =
            dir.Write("accepted.jpg", HeadDeclaring(width, height, progressive));
        EXPECT_EQ(ThrownMessage([&] { ReadWhole(path, read); }), "");
        EXPECT_EQ(read.result, 0);
        EXPECT_TRUE(read.info.headerRead);
    };
    accepted(65500, 5464, false);
    accepted(16384, 10240, true);
    for (const auto& [width, height] : {std::pair{65500, 5464}, std::pair{18000, 18000}}) {
        JpegRead over;
        const std::string path = dir.Write("over.jpg", HeadDeclaring(width, height, true));
        EXPECT_EQ(ThrownMessage([&] { ReadWhole(path, over); }),
                  "Image of " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels in file '" + path + "' needs too much memory to decode");
        EXPECT_FALSE(over.info.started) << "the read is over";
    }
    EXPECT_NE(log.Text().find("JPEGLIB ERROR: "), std::string::npos);

    // A lower bound of the user's (JPEGMEM, in thousands of bytes) holds
    // too. Past it a progressive picture is refused; a baseline one, decoded
    // a few rows at a time, still reads.
    const Picture picture = TrueColourPicture(1024, 768, 3);
    JpegForm form;
    form.progressive = true;
    const std::string progressive = dir.Write("progressive.jpg", EncodeJpeg(picture, form));
    const std::string baselinePath = dir.Write("baseline.jpg", EncodeJpeg(picture, {}));
    const systest::ScopedEnvironment bound("JPEGMEM", "1000");
    JpegRead refused;
    EXPECT_EQ(ThrownMessage([&] { ReadWhole(progressive, refused); }),
              "Image of 1024 x 768 pixels in file '" + progressive +
                  "' needs too much memory to decode");
    JpegRead baseline;
    ReadWhole(baselinePath, baseline);
    EXPECT_EQ(baseline.result, 1);
    EXPECT_EQ(baseline.info.rowsDone, 768);
}
