#include "stereo/cpair.h"

#include "pairpictures.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

constexpr uint32_t kSideBySideLeftFirst = LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST;
constexpr int32_t kAnaglyphs[] = {OUTPUT_PURE_RED_BLUE, OUTPUT_PURE_RED_GREEN, OUTPUT_GREY_RED_BLUE,
                                  OUTPUT_GREY_RED_GREEN, OUTPUT_COLOR};

// A side-by-side picture (left first) whose left eye is all `left` and whose
// right eye is all `right`.
pxImage TwoColourPicture(px2Size eye, Pixel left, Pixel right) {
    pxImage picture({eye.width * 2, eye.height}, 3);
    for (int32_t y = 0; y < eye.height; ++y)
        for (int32_t x = 0; x < eye.width; ++x) {
            SetPixel(picture, x, y, left);
            SetPixel(picture, eye.width + x, y, right);
        }
    return picture;
}

uint8_t Grey(Pixel p) {
    return static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
}

// The anaglyph pixel written for first-eye pixel f and second-eye pixel s.
Pixel ExpectedAnaglyph(int32_t type, Pixel f, Pixel s) {
    switch (type) {
    case OUTPUT_PURE_RED_BLUE:
        return {Grey(s), 0, Grey(f)};
    case OUTPUT_PURE_RED_GREEN:
        return {0, Grey(s), Grey(f)};
    case OUTPUT_GREY_RED_BLUE:
    case OUTPUT_GREY_RED_GREEN:
        return {Grey(s), Grey(s), Grey(f)};
    default:
        return {s[0], s[1], f[2]};
    }
}

Pixel Average(Pixel a, Pixel b) {
    return {static_cast<uint8_t>((a[0] + b[0]) / 2), static_cast<uint8_t>((a[1] + b[1]) / 2),
            static_cast<uint8_t>((a[2] + b[2]) / 2)};
}

} // namespace

TEST(PxCPairAnaglyph, ExamplePixels) {
    const Pixel first{30, 60, 90};
    const Pixel second{0, 0, 255};
    pxCPair pair(kSideBySideLeftFirst, TwoColourPicture({1, 1}, first, second));
    pxImage out({1, 1}, 3);
    const auto convert = [&](int32_t type, int32_t swapEyes) {
        pair.CopyConvert(out, {0, 0}, type, swapEyes);
        return PixelAt(out, 0, 0);
    };
    EXPECT_EQ(convert(OUTPUT_PURE_RED_BLUE, 0), (Pixel{85, 0, 60}));
    EXPECT_EQ(convert(OUTPUT_PURE_RED_GREEN, 0), (Pixel{0, 85, 60}));
    EXPECT_EQ(convert(OUTPUT_GREY_RED_BLUE, 0), (Pixel{85, 85, 60}));
    EXPECT_EQ(convert(OUTPUT_GREY_RED_GREEN, 0), (Pixel{85, 85, 60}));
    EXPECT_EQ(convert(OUTPUT_COLOR, 0), (Pixel{0, 0, 90}));
    // Swapped eyes: the right eye takes the red side.
    EXPECT_EQ(convert(OUTPUT_PURE_RED_BLUE, 1), (Pixel{60, 0, 85}));
    EXPECT_EQ(convert(OUTPUT_PURE_RED_GREEN, 1), (Pixel{0, 60, 85}));
    EXPECT_EQ(convert(OUTPUT_GREY_RED_BLUE, 1), (Pixel{60, 60, 85}));
    EXPECT_EQ(convert(OUTPUT_COLOR, 1), (Pixel{30, 60, 255}));
}

TEST(PxCPairAnaglyph, EveryWidthMatchesThePerPixelRule) {
    // Widths up to 40 pixels cover whole blocks of the row kernels and every
    // length of the byte-by-byte rest.
    std::mt19937 random(11);
    for (int32_t width = 1; width <= 40; ++width) {
        pxImage picture({width * 2, 3}, 3);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t i = 0; i < width * 6; ++i)
                picture.Row(y)[i] = static_cast<uint8_t>(random());
        pxCPair pair(kSideBySideLeftFirst, picture);
        pxImage out({width + 2, 4}, 3);
        for (int32_t type : kAnaglyphs)
            for (int32_t swapEyes = 0; swapEyes <= 1; ++swapEyes) {
                FillBytes(out, 0xEE);
                pair.CopyConvert(out, {2, 1}, type, swapEyes);
                for (int32_t y = 0; y < 3; ++y)
                    for (int32_t x = 0; x < width; ++x) {
                        const Pixel left = PixelAt(picture, x, y);
                        const Pixel right = PixelAt(picture, width + x, y);
                        const Pixel expected = swapEyes ? ExpectedAnaglyph(type, right, left)
                                                        : ExpectedAnaglyph(type, left, right);
                        ASSERT_EQ(PixelAt(out, 2 + x, 1 + y), expected)
                            << "type " << type << " swap " << swapEyes << " width " << width
                            << " at " << x << "," << y;
                    }
                ASSERT_TRUE(Untouched(out, {0, 0, width + 2, 1}, 0xEE));
                ASSERT_TRUE(Untouched(out, {0, 0, 2, 4}, 0xEE));
            }
    }
}

TEST(PxCPairAnaglyph, GreyIsExactForEverySum) {
    // One first-eye pixel per sum 0 .. 765; the second eye is black.
    constexpr int32_t kSums = 766;
    pxImage picture({kSums * 2, 1}, 3);
    for (int32_t sum = 0; sum < kSums; ++sum) {
        const int32_t blue = std::min(sum, 255);
        const int32_t green = std::min(sum - blue, 255);
        SetPixel(picture, sum, 0,
                 {static_cast<uint8_t>(blue), static_cast<uint8_t>(green),
                  static_cast<uint8_t>(sum - blue - green)});
        SetPixel(picture, kSums + sum, 0, {0, 0, 0});
    }
    pxCPair pair(kSideBySideLeftFirst, picture);
    pxImage out({kSums, 1}, 3);
    pair.CopyConvert(out, {0, 0}, OUTPUT_PURE_RED_BLUE, 0);
    for (int32_t sum = 0; sum < kSums; ++sum)
        ASSERT_EQ(PixelAt(out, sum, 0), (Pixel{0, 0, static_cast<uint8_t>(sum / 3)})) << sum;
}

TEST(PxCPairAnaglyph, RowRulesAndRefusals) {
    const Pixel first{30, 60, 90};
    const Pixel second{0, 0, 255};
    const pxImage picture = TwoColourPicture({2, 2}, first, second);

    // Half height: every eye row twice.
    pxCPair halfHeight(kSideBySideLeftFirst | LAYOUT_HALF_HEIGHT, picture);
    pxImage doubled({2, 4}, 3);
    halfHeight.CopyConvert(doubled, {0, 0}, OUTPUT_COLOR, 0);
    for (int32_t y = 0; y < 4; ++y)
        EXPECT_EQ(PixelAt(doubled, 1, y), (Pixel{0, 0, 90})) << y;

    // Halved rows: averaged before mixing.
    pxImage rows = CodedPicture({4, 2});
    pxCPair halved(kSideBySideLeftFirst, rows);
    halved.halveRows = 1;
    pxImage one({2, 1}, 3);
    halved.CopyConvert(one, {0, 0}, OUTPUT_COLOR, 0);
    const Pixel left = Average(CodeAt(1, 0), CodeAt(1, 1));
    const Pixel right = Average(CodeAt(3, 0), CodeAt(3, 1));
    EXPECT_EQ(PixelAt(one, 1, 0), ExpectedAnaglyph(OUTPUT_COLOR, left, right));

    pxImage out({2, 2}, 3);
    FillBytes(out, 0xEE);
    pxCPair indexed(kSideBySideLeftFirst, pxImage({4, 2}, 1));
    EXPECT_EQ(ThrownMessage([&] {
                  indexed.CopyConvert(out, {0, 0}, OUTPUT_PURE_RED_BLUE, 0);
              }),
              "pxCPair::CopyConvert -- 256 anaglyph not supported yet");
    pxImage four({2, 2}, 4);
    pxCPair wide(kSideBySideLeftFirst, pxImage({4, 2}, 4));
    EXPECT_EQ(ThrownMessage([&] {
                  wide.CopyConvert(four, {0, 0}, OUTPUT_COLOR, 0);
              }),
              "pxCPair::CopyConvert -- anaglyphs need a 3 byte per pixel pair, not 4");
    pxCPair colour(kSideBySideLeftFirst, picture);
    EXPECT_EQ(ThrownMessage([&] {
                  colour.CopyConvert(four, {0, 0}, OUTPUT_GREY_RED_BLUE, 0);
              }),
              "pxCPair::CopyConvert -- anaglyphs need a 3 byte per pixel destination, not 4");
    EXPECT_TRUE(Untouched(out, out.GetRect(), 0xEE));
}

TEST(PxCPairInterleaved, EyesOnAlternateRows) {
    const pxImage picture = CodedPicture({8, 3});
    pxCPair pair(kSideBySideLeftFirst, picture);
    pxImage out({4, 6}, 3);
    pair.CopyConvert(out, {0, 0}, OUTPUT_INTERLEAVED, 0);
    for (int32_t k = 0; k < 3; ++k)
        for (int32_t x = 0; x < 4; ++x) {
            EXPECT_EQ(PixelAt(out, x, 2 * k), CodeAt(x, k));
            EXPECT_EQ(PixelAt(out, x, 2 * k + 1), CodeAt(4 + x, k));
        }
    pair.CopyConvert(out, {0, 0}, OUTPUT_INTERLEAVED, 1);
    EXPECT_EQ(PixelAt(out, 1, 0), CodeAt(5, 0));
    EXPECT_EQ(PixelAt(out, 1, 1), CodeAt(1, 0));

    // A rows-interleaved, half-height input (right view first) with
    // halveRows comes out as it went in.
    const pxImage rows = CodedPicture({3, 6});
    pxCPair halfHeight(0x10101, rows);
    halfHeight.halveRows = 1;
    pxImage same({3, 6}, 3);
    halfHeight.CopyConvert(same, {0, 0}, OUTPUT_INTERLEAVED, 1);
    for (int32_t y = 0; y < 6; ++y)
        EXPECT_EQ(PixelAt(same, 2, y), CodeAt(2, y)) << y;

    halfHeight.halveRows = 0;
    pxImage tall({3, 12}, 3);
    EXPECT_EQ(ThrownMessage([&] {
                  halfHeight.CopyConvert(tall, {0, 0}, OUTPUT_INTERLEAVED, 0);
              }),
              "pxCPair::CopyConvertInterleaved -- half height to full height not supported yet.");
}

TEST(PxCPairInterleaved, HalvingAveragesRowPairs) {
    // Eyes of 20 x 4 pixels, so that rows fill a whole kernel block.
    constexpr int32_t kWidth = 20;
    pxImage picture({kWidth * 2, 4}, 3);
    std::mt19937 random(5);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t i = 0; i < kWidth * 6; ++i)
            picture.Row(y)[i] = static_cast<uint8_t>(random());
    SetPixel(picture, 0, 0, {255, 254, 0});
    SetPixel(picture, 0, 1, {254, 255, 1});
    pxCPair pair(kSideBySideLeftFirst, picture);
    pair.halveRows = 1;
    pxImage out({kWidth, 4}, 3);
    pair.CopyConvert(out, {0, 0}, OUTPUT_INTERLEAVED, 0);
    EXPECT_EQ(PixelAt(out, 0, 0), (Pixel{254, 254, 0}));
    for (int32_t k = 0; k < 2; ++k)
        for (int32_t x = 0; x < kWidth; ++x) {
            EXPECT_EQ(PixelAt(out, x, 2 * k),
                      Average(PixelAt(picture, x, 2 * k), PixelAt(picture, x, 2 * k + 1)));
            EXPECT_EQ(PixelAt(out, x, 2 * k + 1), Average(PixelAt(picture, kWidth + x, 2 * k),
                                                          PixelAt(picture, kWidth + x, 2 * k + 1)));
        }

    pxCPair deep(kSideBySideLeftFirst, pxImage({4, 4}, 4));
    deep.halveRows = 1;
    pxImage deepOut({2, 4}, 4);
    EXPECT_EQ(ThrownMessage([&] {
                  deep.CopyConvert(deepOut, {0, 0}, OUTPUT_INTERLEAVED, 0);
              }),
              "pxCPair::CopyConvert -- cannot average the rows of a 4 byte per pixel pair");
}

TEST(PxCPairInterleaved, IndexedPairThroughThePairPalette) {
    pxImage picture({2, 2}, 1);
    picture.Row(0)[0] = 5;
    picture.Row(0)[1] = 9;
    picture.Row(1)[0] = 9;
    picture.Row(1)[1] = 5;
    pxPalette palette;
    palette[5] = pxColor::Rgb(255, 0, 0);
    pxCPair pair(kSideBySideLeftFirst, picture, &palette);
    pxImage out({1, 4}, 3);
    pair.CopyConvert(out, {0, 0}, OUTPUT_INTERLEAVED, 0);
    EXPECT_EQ(PixelAt(out, 0, 0), (Pixel{0, 0, 255}));
    EXPECT_EQ(PixelAt(out, 0, 1), (Pixel{240, 200, 164})); // system colour 9
    EXPECT_EQ(PixelAt(out, 0, 3), (Pixel{0, 0, 255}));

    pxPalette none;
    none.SetCount(0);
    pair.SetPalette(none);
    EXPECT_EQ(ThrownMessage([&] {
                  pair.CopyConvert(out, {0, 0}, OUTPUT_INTERLEAVED, 0);
              }),
              "pxCPair::CopyConvert -- Invalid palette (need to call SetPalette?)");
}

TEST(PxCPairInterleaved, IndexedHalvingBuildsTheOutputPalette) {
    // Left eye rows alternate indices 1 and 2, the right eye 3 and 4.
    pxImage picture({8, 4}, 1);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 8; ++x)
            picture.Row(y)[x] = static_cast<uint8_t>((x < 4 ? 1 : 3) + (y + x) % 2);
    pxPalette source;
    source[1] = pxColor::Rgb(200, 100, 51);
    source[2] = pxColor::Rgb(100, 50, 24);
    source[3] = pxColor::Rgb(0, 0, 255);
    source[4] = pxColor::Rgb(0, 255, 0);
    pxCPair pair(kSideBySideLeftFirst, picture, &source);
    pair.halveRows = 1;

    pxPalette output;
    const pxPalette before = output;
    for (int i = 10; i <= 245; ++i)
        output[i] = pxColor::Rgb(1, 1, 1);
    pxImage out({4, 4}, 1);
    pair.CopyConvert(out, {0, 0}, OUTPUT_INTERLEAVED, 0, &output);

    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(output[i], before[i]) << i;
    for (int i = 246; i < 256; ++i)
        EXPECT_EQ(output[i], before[i]) << i;
    std::set<int> used;
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            const int index = out.Row(y)[x];
            used.insert(index);
            ASSERT_GE(index, 10);
            ASSERT_LE(index, 245);
            const pxColor expected =
                y % 2 == 0 ? pxColor::Rgb(150, 75, 37) : pxColor::Rgb(0, 127, 127);
            EXPECT_EQ(output[index], expected) << x << "," << y;
        }
    EXPECT_EQ(used.size(), 2u);

    pxImage wide({4, 4}, 3);
    EXPECT_EQ(ThrownMessage([&] {
                  pair.CopyConvert(out, {0, 0}, OUTPUT_INTERLEAVED, 0);
              }),
              "pxCPair::CopyConvert -- palette was not specified, but is needed to convert this "
              "pair to Interleaved");
    EXPECT_EQ(ThrownMessage([&] {
                  pair.CopyConvert(wide, {0, 0}, OUTPUT_INTERLEAVED, 0, &output);
              }),
              "pxCPair::CopyConvert -- cannot convert 1 to 3 bytes per pixel");

    // Side by side halves indexed rows the same way.
    pxImage sbs({8, 2}, 1);
    pair.CopyConvert(sbs, {0, 0}, OUTPUT_SIDE_BY_SIDE, 0, &output);
    EXPECT_EQ(output[sbs.Row(1)[1]], pxColor::Rgb(150, 75, 37));
    EXPECT_EQ(output[sbs.Row(0)[6]], pxColor::Rgb(0, 127, 127));
}
