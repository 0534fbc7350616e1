// The PNG reader: the sTEr descriptor and its checks, pixels of every colour
// type and bit depth, reading a growing file, and errors.
#include "imagefile/codecfixtures.h"

#include "imagefile/pngstereo.h"
#include "imagefile/pnsread.h"
#include "imagefile/readimage.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <zlib.h>

using namespace fixtures;

namespace {

struct PngRead {
    pxImage image;
    _ImageInfo info;
    int result = 0;
};

PngRead ReadPng(const std::string& path) {
    PngRead read;
    read.result = ReadPngImage(path.c_str(), &read.image, nullptr, &read.info, nullptr);
    return read;
}

// A read and the log lines it wrote.
struct LoggedRead {
    PngRead read;
    std::string log;
};

LoggedRead ReadPngLogged(const std::string& path) {
    const CapturedLog log;
    LoggedRead logged{ReadPng(path), {}};
    logged.log = log.Text();
    return logged;
}

uint32_t ChunkLength(const Bytes& png, size_t at) {
    return uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 |
           png[at + 3];
}

// Where the first chunk of that type begins in an encoded PNG.
size_t ChunkOffset(const Bytes& png, const char* type) {
    size_t at = 8;
    while (at + 8 <= png.size() && std::memcmp(&png[at + 4], type, 4) != 0)
        at += 12 + ChunkLength(png, at);
    return at;
}

// The PNG with its image data cut to the first rawBytes of the decompressed
// stream, compressed again into one complete image data chunk.
Bytes WithImageDataCut(const Bytes& png, size_t rawBytes) {
    Bytes compressed;
    Bytes others(png.begin(), png.begin() + 8);
    for (size_t at = 8; at + 12 <= png.size(); at += 12 + ChunkLength(png, at)) {
        const auto begin = png.begin() + long(at);
        const uint32_t length = ChunkLength(png, at);
        if (std::memcmp(&png[at + 4], "IDAT", 4) == 0)
            compressed.insert(compressed.end(), begin + 8, begin + 8 + length);
        else
            others.insert(others.end(), begin, begin + 12 + length);
    }
    Bytes raw(1 << 20);
    uLongf rawLength = raw.size();
    EXPECT_EQ(uncompress(raw.data(), &rawLength, compressed.data(), compressed.size()), Z_OK);
    EXPECT_LE(rawBytes, rawLength);
    Bytes cut(compressBound(rawBytes));
    uLongf cutLength = cut.size();
    EXPECT_EQ(compress(cut.data(), &cutLength, raw.data(), rawBytes), Z_OK);
    cut.resize(cutLength);
    return InsertPngChunk(others, "IDAT", cut, "IEND");
}

void Append(const std::string& path, const Bytes& bytes, size_t from, size_t to) {
    if (FILE* file = std::fopen(path.c_str(), "ab")) {
        std::fwrite(bytes.data() + from, 1, to - from, file);
        std::fclose(file);
    }
}

Bytes SmallPng() {
    const PngForm form;
    return EncodePng(8, 4, PngSamples(8, 4, form), form);
}

// The 8-bit value of a sample of the given depth, as the reader must give it.
int Level(uint32_t sample, int bitDepth) {
    if (bitDepth == 16)
        return int(sample >> 8);
    return int(sample * 255 / ((1u << bitDepth) - 1));
}

// What the reader must make of pixel (x, y): red, green, blue, exactly; or,
// for a partly clear pixel, at most its opaque colour (libpng composes
// those in linear light through 8-bit gamma tables).
struct Expected {
    std::array<int, 3> rgb{};
    bool partlyClear = false;
};

Expected ExpectedColour(const std::vector<uint16_t>& samples, int32_t width, int32_t x, int32_t y,
                        const PngForm& form) {
    const int channels = PngChannels(form.colourType);
    const uint16_t* s = &samples[(size_t(y) * width + x) * channels];
    Expected expected;
    std::array<int, 3>& rgb = expected.rgb;
    if (form.colourType == PNG_COLOR_TYPE_PALETTE) {
        const pxColor c = PngPaletteColour(s[0]);
        rgb = {c.red, c.green, c.blue};
        if (form.transparentColour && s[0] == 0)
            rgb = {0, 0, 0};
        expected.partlyClear = form.transparentColour && s[0] == 1;
        return expected;
    }
    const bool grey = channels <= 2;
    for (int c = 0; c < 3; ++c)
        rgb[c] = Level(s[grey ? 0 : c], form.bitDepth);
    if (form.colourType & PNG_COLOR_MASK_ALPHA) {
        const uint32_t maximum = (1u << form.bitDepth) - 1;
        if (s[channels - 1] == 0)
            rgb = {0, 0, 0};
        expected.partlyClear = s[channels - 1] != 0 && s[channels - 1] != maximum;
    }
    if (form.transparentColour) {
        bool clear = true;
        for (int c = 0; c < channels; ++c)
            clear = clear && s[c] == samples[c];
        if (clear)
            rgb = {0, 0, 0};
    }
    return expected;
}

} // namespace

TEST(PngStereo, TheChunkReaderNeverReadsPastTheChunk) {
    PngStereoDescriptor descriptor;
    const Bytes plain = SterChunk(0x201);
    ASSERT_TRUE(ParseStereoChunk(plain.data(), plain.size(), &descriptor));
    uint32_t layout = 0;
    const char* comment = nullptr;
    const uint8_t* extra = nullptr;
    size_t extraCount = 9;
    EXPECT_EQ(GetStereoDescriptor(&descriptor, &layout, &comment, &extra, &extraCount),
              kStereoDescriptorValid);
    EXPECT_EQ(layout, 0x201u);
    EXPECT_STREQ(comment, "");
    EXPECT_EQ(extraCount, 0u);
    const PngStereoDescriptor unset;
    EXPECT_EQ(GetStereoDescriptor(&descriptor, &layout, nullptr, &extra, &extraCount), 0u);
    EXPECT_EQ(GetStereoDescriptor(&unset, &layout, &comment, &extra, &extraCount), 0u);

    const Bytes full = SterChunk(0x40101, {7, 8}, "a pair");
    PngStereoDescriptor second;
    ASSERT_TRUE(ParseStereoChunk(full.data(), full.size(), &second));
    EXPECT_EQ(second.layout, 0x40101u);
    EXPECT_EQ(second.extra, (Bytes{7, 8}));
    EXPECT_EQ(second.comment, "a pair");

    // A comment longer than the chunk is cut at its end; a descriptor length
    // past the end, or below its own fields, makes no descriptor.
    PngStereoDescriptor cut;
    ASSERT_TRUE(ParseStereoChunk(full.data(), full.size() - 2, &cut));
    EXPECT_EQ(cut.comment, "a pa");
    Bytes longDescriptor = full;
    longDescriptor[1] = 200;
    PngStereoDescriptor none;
    EXPECT_FALSE(ParseStereoChunk(longDescriptor.data(), longDescriptor.size(), &none));
    Bytes shortDescriptor = full;
    shortDescriptor[1] = 5;
    EXPECT_FALSE(ParseStereoChunk(shortDescriptor.data(), shortDescriptor.size(), &none));
    EXPECT_FALSE(ParseStereoChunk(full.data(), 7, &none));
    EXPECT_EQ(none.valid, 0u);
}

TEST(PngReader, TakesTheFirstSterChunkBeforeTheImageData) {
    const TempDir dir;
    const Bytes png = SmallPng();
    const auto stereo = [&](uint32_t layout, const char* before, bool badCheck = false) {
        return InsertPngChunk(png, "sTEr", SterChunk(layout), before, badCheck);
    };

    const LoggedRead plain = ReadPngLogged(dir.Write("plain.png", png));
    EXPECT_EQ(plain.read.result, 1);
    EXPECT_EQ(plain.read.info.hasDescriptor, 0);
    EXPECT_EQ(plain.log, "");

    const LoggedRead one = ReadPngLogged(dir.Write("one.pns", stereo(0x201, "IDAT")));
    EXPECT_NE(one.read.info.hasDescriptor, 0);
    EXPECT_EQ(one.read.info.layout, 0x201u);
    EXPECT_EQ(one.log, "");

    // The checks come in order: header, image data, duplicate, check value.
    // A chunk skipped by one is not looked at further.
    const Bytes first = stereo(0x201, "IDAT");
    for (const bool badCheck : {false, true}) {
        SCOPED_TRACE(badCheck ? "bad check value" : "good check value");
        const LoggedRead duplicate = ReadPngLogged(dir.Write(
            "twice.pns", InsertPngChunk(first, "sTEr", SterChunk(0x40201), "IDAT", badCheck)));
        EXPECT_EQ(duplicate.read.info.layout, 0x201u) << "the first chunk's layout word stays";
        EXPECT_EQ(duplicate.log, "LIBPNG WARNING: Duplicate sTEr chunk\n");

        const LoggedRead late =
            ReadPngLogged(dir.Write("late.pns", stereo(0x201, "IEND", badCheck)));
        EXPECT_EQ(late.read.result, 1);
        EXPECT_EQ(late.read.info.hasDescriptor, 0);
        EXPECT_EQ(late.log, "LIBPNG WARNING: Invalid sTEr after IDAT\n");
    }

    const LoggedRead damaged = ReadPngLogged(dir.Write("crc.pns", stereo(0x201, "IDAT", true)));
    EXPECT_EQ(damaged.read.result, 1);
    EXPECT_EQ(damaged.read.info.hasDescriptor, 0) << "a chunk whose check fails is dropped";
    EXPECT_EQ(damaged.log, "LIBPNG WARNING: sTEr: CRC error\n");
    // ... and the next one is taken.
    const LoggedRead second =
        ReadPngLogged(dir.Write("second.pns", InsertPngChunk(stereo(0x201, "IDAT", true), "sTEr",
                                                             SterChunk(0x40201), "IDAT")));
    EXPECT_EQ(second.read.info.layout, 0x40201u);
    EXPECT_EQ(second.log, "LIBPNG WARNING: sTEr: CRC error\n");

    Bytes lying = SterChunk(0x201);
    lying[1] = 90;
    const LoggedRead bad =
        ReadPngLogged(dir.Write("lying.pns", InsertPngChunk(png, "sTEr", lying, "IDAT")));
    EXPECT_EQ(bad.read.result, 1);
    EXPECT_EQ(bad.read.info.hasDescriptor, 0);
    EXPECT_EQ(bad.log, "LIBPNG WARNING: Invalid sTEr chunk length\n");

    const std::string early = dir.Write("early.pns", stereo(0x201, "IHDR"));
    const std::string message = ThrownMessage([&] { ReadPng(early); });
    EXPECT_EQ(message.rfind("LIBPNG ERROR: ", 0), 0u) << message;

    // Other unknown ancillary chunks are passed over without a word.
    const LoggedRead other =
        ReadPngLogged(dir.Write("other.png", InsertPngChunk(png, "prIv", {1, 2, 3}, "IDAT")));
    EXPECT_EQ(other.read.result, 1);
    EXPECT_EQ(other.log, "");
}

TEST(PngReader, GivesEveryColourTypeAndDepthAsBlueGreenRed) {
    const TempDir dir;
    struct Kind {
        int colourType;
        std::vector<int> depths;
    };
    const Kind kinds[] = {{PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}},
                          {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},
                          {PNG_COLOR_TYPE_RGB, {8, 16}},
                          {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
                          {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}}};
    const int32_t width = 19, height = 11;
    for (const Kind& kind : kinds)
        for (const int depth : kind.depths)
            for (const bool interlaced : {false, true})
                for (const bool transparent : {false, true}) {
                    if (transparent && (kind.colourType & PNG_COLOR_MASK_ALPHA))
                        continue;
                    PngForm form;
                    form.colourType = kind.colourType;
                    form.bitDepth = depth;
                    form.interlaced = interlaced;
                    form.transparentColour = transparent;
                    SCOPED_TRACE(testing::Message()
                                 << "type " << kind.colourType << " depth " << depth
                                 << " interlaced " << interlaced << " tRNS " << transparent);
                    const std::vector<uint16_t> samples = PngSamples(width, height, form);
                    const PngRead read =
                        ReadPng(dir.Write("p.png", EncodePng(width, height, samples, form)));
                    ASSERT_EQ(read.result, 1);
                    ASSERT_EQ(read.image.GetWidth(), width);
                    ASSERT_EQ(read.image.GetBytesPerPixel(), 3);
                    EXPECT_EQ(read.image.GetStride() % 4, 0);
                    EXPECT_EQ(read.info.rowsDone, height);
                    // 16-bit samples are cut to 8 bits after composing; partly
                    // clear pixels go through gamma tables.
                    const bool partlyClear =
                        (kind.colourType & PNG_COLOR_MASK_ALPHA) ||
                        (transparent && kind.colourType == PNG_COLOR_TYPE_PALETTE);
                    const int tolerance = partlyClear ? 6 : depth == 16 ? 1 : 0;
                    int wrong = 0;
                    for (int32_t y = 0; y < height; ++y)
                        for (int32_t x = 0; x < width; ++x) {
                            const Expected e = ExpectedColour(samples, width, x, y, form);
                            const uint8_t* p = read.image.Row(y) + x * 3;
                            for (int c = 0; c < 3; ++c)
                                if ((e.partlyClear ? p[2 - c] > e.rgb[c] + tolerance
                                                   : std::abs(p[2 - c] - e.rgb[c]) > tolerance) &&
                                    wrong++ == 0)
                                    ADD_FAILURE() << "pixel " << x << "," << y << " channel " << c
                                                  << ": " << int(p[2 - c]) << " not " << e.rgb[c];
                        }
                }
}

TEST(PngReader, CorrectsTheGammaTheFileStates) {
    const TempDir dir;
    PngForm form;
    form.colourType = PNG_COLOR_TYPE_GRAY;
    const std::vector<uint16_t> samples(4, 128);
    form.gamma = 1.0; // linear samples, shown on a 2.2 screen
    const PngRead linear = ReadPng(dir.Write("linear.png", EncodePng(2, 2, samples, form)));
    EXPECT_NEAR(linear.image.Row(0)[0], 255 * std::pow(128 / 255.0, 1 / 2.2), 1);
    form.gamma = 0.45455;
    const PngRead screen = ReadPng(dir.Write("screen.png", EncodePng(2, 2, samples, form)));
    EXPECT_EQ(screen.image.Row(0)[0], 128) << "nearly cancelling gammas leave samples alone";
}

TEST(PngReader, ReadsAGrowingFileAndFailsCleanly) {
    const TempDir dir;
    const PngForm form;
    const int32_t width = 64, height = 200;
    const Bytes png =
        InsertPngChunk(EncodePng(width, height, PngSamples(width, height, form), form), "sTEr",
                       SterChunk(0x10101), "IDAT");
    const size_t cut = png.size() / 2;
    const std::string path = dir.Write("grow.pns", Bytes(png.begin(), png.begin() + long(cut)));
    PngRead read;
    const pxColor background = pxColor::Rgb(1, 2, 3);
    EXPECT_EQ(ReadPngImage(path.c_str(), &read.image, nullptr, &read.info, &background), 0);
    EXPECT_TRUE(read.info.headerRead);
    EXPECT_EQ(read.info.layout, 0x10101u);
    EXPECT_GT(read.info.rowsDone, 0);
    EXPECT_LT(read.info.rowsDone, height);
    EXPECT_EQ(read.image.Row(height - 1)[0], 3) << "rows not read yet show the background";
    EXPECT_EQ(ReadPngImage(nullptr, &read.image, nullptr, &read.info, &background), 0);
    if (FILE* file = std::fopen(path.c_str(), "ab")) {
        std::fwrite(png.data() + cut, 1, png.size() - cut, file);
        std::fclose(file);
    }
    EXPECT_EQ(ReadPngImage(nullptr, &read.image, nullptr, &read.info, &background), 1);
    EXPECT_EQ(read.info.rowsDone, height);
    EXPECT_FALSE(read.info.stream);
    const PngRead whole = ReadPng(path);
    for (int32_t y = 0; y < height; ++y)
        ASSERT_EQ(0, std::memcmp(whole.image.Row(y), read.image.Row(y), size_t(width) * 3));

    EXPECT_EQ(ThrownMessage([&] { ReadPng(path + ".none"); }),
              "Could not open file for reading: " + path + ".none");

    Bytes broken = png;
    broken[12] = 'X'; // IHDR is no longer the first chunk
    PngRead failed;
    const std::string brokenPath = dir.Write("broken.png", broken);
    const std::string message = ThrownMessage(
        [&] { ReadPngImage(brokenPath.c_str(), &failed.image, nullptr, &failed.info, nullptr); });
    EXPECT_EQ(message.rfind("LIBPNG ERROR: ", 0), 0u) << message;
    EXPECT_FALSE(failed.info.started) << "the read is over";

    // An absurd size in the header is refused before the picture is made.
    Bytes huge = SmallPng();
    huge[16] = huge[20] = 0x00;
    huge[17] = huge[21] = 0x00;
    huge[18] = huge[22] = 0xC0; // 49152 x 49152
    huge[19] = huge[23] = 0x00;
    const std::string hugePath = dir.Write("huge.png", huge);
    const std::string hugeMessage = ThrownMessage([&] { ReadPng(hugePath); });
    EXPECT_TRUE(hugeMessage ==
                    "Image of 49152 x 49152 pixels is too large for file '" + hugePath + "'" ||
                hugeMessage.rfind("LIBPNG ERROR: ", 0) == 0)
        << hugeMessage;
}

TEST(PngReader, TakesLargeChunksInOneGoAndPassesOverOnesTooLargeToKeep) {
    const TempDir dir;
    const PngForm form;
    const int32_t width = 48, height = 40;
    const Bytes png = EncodePng(width, height, PngSamples(width, height, form), form);
    const PngRead plain = ReadPng(dir.Write("plain.png", png));
    ASSERT_EQ(plain.result, 1);
    // The largest descriptor there can be, a private chunk of 32 MB before the
    // image data and one of 9 MB after it.
    const Bytes largestSter = SterChunk(0x40101, Bytes(65529, 9), std::string(65535, 'c'));
    ASSERT_EQ(largestSter.size(), 131072u);
    const Bytes file =
        InsertPngChunk(InsertPngChunk(InsertPngChunk(png, "sTEr", largestSter, "IDAT"), "prIv",
                                      Bytes(32u << 20, 0x5A), "IDAT"),
                       "laTe", Bytes(9u << 20, 0xA5), "IEND");
    const auto samePixels = [&](const PngRead& read) {
        ASSERT_EQ(read.image.GetWidth(), width);
        ASSERT_EQ(read.image.GetHeight(), height);
        for (int32_t y = 0; y < height; ++y)
            ASSERT_EQ(0, std::memcmp(plain.image.Row(y), read.image.Row(y), size_t(width) * 3))
                << "row " << y;
    };

    const LoggedRead whole = ReadPngLogged(dir.Write("large.pns", file));
    EXPECT_EQ(whole.read.result, 1);
    EXPECT_NE(whole.read.info.hasDescriptor, 0);
    EXPECT_EQ(whole.read.info.layout, 0x40101u);
    samePixels(whole.read);
    EXPECT_EQ(whole.log, "");

    // The same file arriving in parts that end inside chunk headers, inside
    // each large chunk, inside the image data and inside the end chunk.
    const size_t ster = ChunkOffset(file, "sTEr"), big = ChunkOffset(file, "prIv");
    const size_t data = ChunkOffset(file, "IDAT"), late = ChunkOffset(file, "laTe");
    const size_t cuts[] = {ster + 5,   ster + 60000, big + 3,           big + (16u << 20), data + 6,
                           data + 100, late + 9,     late + (5u << 20), file.size() - 6};
    const CapturedLog log;
    const std::string path = dir.Write("growing.pns", {});
    PngRead growing;
    size_t written = 0;
    for (const size_t cut : cuts) {
        SCOPED_TRACE(cut);
        Append(path, file, written, cut);
        written = cut;
        EXPECT_EQ(ReadPngImage(path.c_str(), &growing.image, nullptr, &growing.info, nullptr), 0);
        EXPECT_EQ(growing.info.bytesRead, int64_t(cut));
    }
    EXPECT_EQ(growing.info.rowsDone, height);
    Append(path, file, written, file.size());
    EXPECT_EQ(ReadPngImage(nullptr, &growing.image, nullptr, &growing.info, nullptr), 1);
    EXPECT_EQ(growing.info.layout, 0x40101u);
    samePixels(growing);
    EXPECT_EQ(log.Text(), "");
}

TEST(PngReader, ImageDataThatEndsBeforeTheLastRowIsAPictureThatEndsEarly) {
    const TempDir dir;
    const int32_t width = 40, height = 64;
    const size_t rowBytes = 1 + size_t(width) * 3; // filter byte and samples
    const pxColor background = pxColor::Rgb(1, 2, 3);
    for (const bool interlaced : {false, true}) {
        PngForm form;
        form.interlaced = interlaced;
        const Bytes png = EncodePng(width, height, PngSamples(width, height, form), form);
        const PngRead full = ReadPng(dir.Write("full.png", png));
        ASSERT_EQ(full.result, 1);
        // No rows at all, 20 rows, or (interlaced) about half of the passes.
        const size_t cuts[] = {0, interlaced ? 64 * rowBytes / 2 : 20 * rowBytes};
        for (const size_t rawBytes : cuts) {
            SCOPED_TRACE(testing::Message() << "interlaced " << interlaced << " cut " << rawBytes);
            const Bytes cut =
                InsertPngChunk(WithImageDataCut(png, rawBytes), "sTEr", SterChunk(0x201), "IDAT");
            const std::string path = dir.Write("cut.pns", cut);

            // The first form keeps answering 0 and takes no more of the file:
            // its caller tells when the file is finished.
            PngRead first;
            EXPECT_EQ(ReadPngImage(path.c_str(), &first.image, nullptr, &first.info, &background),
                      0);
            EXPECT_TRUE(first.info.headerRead);
            const int64_t taken = first.info.bytesRead;
            EXPECT_EQ(taken, int64_t(cut.size()));
            EXPECT_EQ(ReadPngImage(nullptr, &first.image, nullptr, &first.info, &background), 0);
            EXPECT_EQ(first.info.bytesRead, taken);
            EXPECT_FALSE(first.info.complete);
            const int rows = first.info.rowsDone;
            if (!interlaced) {
                EXPECT_EQ(rows, int(rawBytes / rowBytes));
                for (int32_t y = 0; y < rows; ++y)
                    ASSERT_EQ(
                        0, std::memcmp(full.image.Row(y), first.image.Row(y), size_t(width) * 3));
                EXPECT_EQ(first.image.Row(height - 1)[0], 3) << "rows not read show the background";
            } else if (rawBytes > 0) {
                // libpng draws each pass's rows over those that later passes
                // fill in: every row is drawn, but coarsely.
                EXPECT_EQ(rows, height);
                EXPECT_NE(0, std::memcmp(full.image.Row(height - 1), first.image.Row(height - 1),
                                         size_t(width) * 3))
                    << "the last pass never came";
            }

            // The record form ends the read as one that stopped short.
            const CapturedLog log;
            pxImage image;
            ReadImageData record;
            record.fileName = path.c_str();
            record.image = &image;
            EXPECT_EQ(ReadImage(&record), 0);
            EXPECT_EQ(ReadImage(&record), 1);
            EXPECT_EQ(record.truncated, 1);
            EXPECT_EQ(record.rowsDone, rows);
            EXPECT_EQ(record.layout, 0x201u);
            EXPECT_EQ(log.Text(), "ReadImage -- '" + path + "' ends before its image: " +
                                      std::to_string(rows) + " of 64 rows read\n");
        }
    }

    // Whole interlaced pictures of every small size are complete.
    for (const int32_t side : {1, 2, 3, 5, 9}) {
        PngForm form;
        form.interlaced = true;
        const PngRead wide = ReadPng(
            dir.Write("w.png", EncodePng(side + 7, side, PngSamples(side + 7, side, form), form)));
        EXPECT_EQ(wide.result, 1) << side;
        const PngRead tall = ReadPng(
            dir.Write("t.png", EncodePng(side, side + 7, PngSamples(side, side + 7, form), form)));
        EXPECT_EQ(tall.result, 1) << side;
    }
}
