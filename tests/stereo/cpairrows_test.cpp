// The converter fed band by band writes what CopyConvert writes, and the rows
// it calls finished are final when it says so.
#include "stereo/cpairrows.h"

#include "pairpictures.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

constexpr uint32_t kArrangements[] = {LAYOUT_SIDE_BY_SIDE, LAYOUT_OVER_UNDER, LAYOUT_INTERLEAVED};

std::string Describe(uint32_t layout, int32_t halveRows, int32_t type, int32_t swapEyes,
                     int32_t separation) {
    char text[120];
    std::snprintf(text, sizeof text, "layout 0x%X halveRows %d type %d swap %d separation %d",
                  static_cast<unsigned>(layout), halveRows, type, swapEyes, separation);
    return text;
}

bool SameRows(const pxImage& a, const pxImage& b, int32_t rows) {
    const size_t bytes = static_cast<size_t>(a.GetWidth()) * a.GetBytesPerPixel();
    for (int32_t y = 0; y < rows; ++y)
        if (std::memcmp(a.Row(y), b.Row(y), bytes) != 0)
            return false;
    return true;
}

// Feeds frame to a converter over a pair still to come, in bands of random
// heights; checks after every band that the finished rows are final.
void ConvertInBands(const pxImage& frame, const pxCPair& whole, int32_t type, int32_t swapEyes,
                    const pxImage& expected, pxImage& out, std::mt19937& random) {
    pxCPair coming(whole.GetLayout(), frame.GetSize(), frame.GetBytesPerPixel(),
                   &whole.GetPalette());
    coming.SetSeparation(whole.GetSeparation());
    coming.halveRows = whole.halveRows;
    pxPalette palette;
    pxPairRowConverter converter(coming, out, {0, 0}, type, swapEyes, &palette);
    EXPECT_EQ(converter.FinishedRows(), 0);
    std::uniform_int_distribution<int32_t> bandHeight(1, 5);
    for (int32_t y = 0; y < frame.GetHeight();) {
        const int32_t rows = std::min(bandHeight(random), frame.GetHeight() - y);
        converter.PutFrameRows(pxImage(frame, px2Rect{0, y, frame.GetWidth(), rows}));
        y += rows;
        const int32_t finished = converter.FinishedRows();
        ASSERT_LE(finished, expected.GetHeight());
        ASSERT_TRUE(SameRows(out, expected, finished)) << "after frame row " << y;
    }
    EXPECT_EQ(converter.FinishedRows(), expected.GetHeight());
}

} // namespace

TEST(PxPairRowConverter, BandsGiveWhatCopyConvertGives) {
    std::mt19937 random(5);
    int compared = 0;
    for (const px2Size frameSize : {px2Size{12, 8}, px2Size{13, 9}})
        for (const uint32_t arrangement : kArrangements)
            for (const uint32_t flags : {0u, LAYOUT_LEFT_FIRST, LAYOUT_HALF_HEIGHT,
                                         LAYOUT_HALF_HEIGHT | LAYOUT_LEFT_FIRST})
                for (int32_t halveRows = 0; halveRows < 2; ++halveRows)
                    for (int32_t type = OUTPUT_INTERLEAVED; type <= OUTPUT_DUBOIS_AMBER_BLUE;
                         ++type)
                        for (int32_t swapEyes = 0; swapEyes < 2; ++swapEyes) {
                            const uint32_t layout = arrangement | flags;
                            const int32_t separation = type % 2 ? 3 : 0;
                            SCOPED_TRACE(Describe(layout, halveRows, type, swapEyes, separation));
                            const pxImage frame = CodedPicture(frameSize);
                            pxCPair pair(layout, frame);
                            pair.SetSeparation(separation);
                            pair.halveRows = halveRows;
                            const px2Size size = pair.CalcConvertSize(type);
                            pxImage expected(size, 3);
                            FillBytes(expected, 0x5A);
                            pxImage out(size, 3);
                            FillBytes(out, 0x5A);
                            pxPalette palette;
                            const std::string refusal = ThrownMessage([&] {
                                pair.CopyConvert(expected, {0, 0}, type, swapEyes, &palette);
                            });
                            if (!refusal.empty()) {
                                pxCPair coming(layout, frameSize, 3);
                                coming.halveRows = halveRows;
                                EXPECT_EQ(ThrownMessage([&] {
                                              pxPairRowConverter(coming, out, {0, 0}, type,
                                                                 swapEyes, &palette);
                                          }),
                                          refusal);
                                continue;
                            }
                            ConvertInBands(frame, pair, type, swapEyes, expected, out, random);
                            ++compared;
                        }
    EXPECT_GT(compared, 650);
}

TEST(PxPairRowConverter, EyePicturesAndPaletteFrames) {
    // Two eye pictures arrive one after the other: side-by-side rows are
    // only finished once both eyes have them.
    const pxImage left = CodedPicture({4, 3});
    pxImage right = CodedPicture({4, 3});
    FillBytes(right, 9);
    pxCPair pair(LAYOUT_SIDE_BY_SIDE, left, right);
    pxImage expected({8, 3}, 3);
    pair.CopyConvert(expected, {0, 0}, OUTPUT_SIDE_BY_SIDE, 0);
    pxImage out({8, 3}, 3);
    pxPairRowConverter converter(pair, out, {0, 0}, OUTPUT_SIDE_BY_SIDE, 0, nullptr);
    converter.PutEyeRows(pxPairRowConverter::EYE_LEFT, left);
    EXPECT_EQ(converter.FinishedRows(), 0);
    converter.PutEyeRows(pxPairRowConverter::EYE_RIGHT, pxImage(right, px2Rect{0, 0, 4, 2}));
    EXPECT_EQ(converter.FinishedRows(), 2);
    EXPECT_EQ(ThrownMessage([&] { converter.PutEyeRows(pxPairRowConverter::EYE_RIGHT, right); }),
              "pxPairRowConverter -- 3 rows of 4x3 pixels do not fit the right eye (1 rows of "
              "4x3 left)");
    converter.PutEyeRows(pxPairRowConverter::EYE_RIGHT, pxImage(right, px2Rect{0, 2, 4, 1}));
    EXPECT_TRUE(SameRows(out, expected, 3));

    // A palette frame expands through its palette as its rows come.
    pxImage indexed({4, 2}, 1);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 4; ++x)
            indexed.Row(y)[x] = static_cast<uint8_t>(y * 4 + x);
    pxPalette palette;
    palette.SetCount(8);
    for (int i = 0; i < 8; ++i)
        palette[i] = pxColor::Rgb(static_cast<uint8_t>(30 * i), 1, 2);
    pxCPair frame(LAYOUT_OVER_UNDER | LAYOUT_LEFT_FIRST, indexed, &palette);
    pxImage stacked({4, 2}, 3);
    frame.CopyConvert(stacked, {0, 0}, OUTPUT_OVER_UNDER, 1);
    pxCPair coming(frame.GetLayout(), indexed.GetSize(), 1, &palette);
    pxImage streamed({4, 2}, 3);
    pxPairRowConverter rows(coming, streamed, {0, 0}, OUTPUT_OVER_UNDER, 1, nullptr);
    rows.PutFrameRows(pxImage(indexed, px2Rect{0, 0, 4, 1}));
    EXPECT_EQ(rows.FinishedRows(), 0); // the right eye goes on top
    rows.PutFrameRows(pxImage(indexed, px2Rect{0, 1, 4, 1}));
    EXPECT_TRUE(SameRows(streamed, stacked, 2));
    EXPECT_EQ(PixelAt(streamed, 1, 0), (Pixel{2, 1, 150}));

    // Averaged palette rows need the whole pair for their colours.
    pxCPair halved(LAYOUT_SIDE_BY_SIDE, px2Size{4, 4}, 1, &palette);
    halved.halveRows = 1;
    pxImage small({2, 4}, 1);
    pxPalette output;
    EXPECT_EQ(ThrownMessage([&] {
                  pxPairRowConverter(halved, small, {0, 0}, OUTPUT_INTERLEAVED, 0, &output);
              }),
              "pxCPair::CopyConvert -- the rows of a 1 byte per pixel pair can only be averaged "
              "with the whole pair at hand");
}
