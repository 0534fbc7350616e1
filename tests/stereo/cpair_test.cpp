#include "stereo/cpair.h"

#include "pairpictures.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kSideBySideLeftFirst = LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST;

void ExpectSize(px2Size size, int32_t width, int32_t height) {
    EXPECT_EQ(size.width, width);
    EXPECT_EQ(size.height, height);
}

} // namespace

TEST(FlagsToPairType, MapsArrangementAndEyeOrder) {
    EXPECT_EQ(FlagsToPairType(0x100), PAIR_INTERLEAVED_RIGHT_FIRST);
    EXPECT_EQ(FlagsToPairType(0x40100), PAIR_INTERLEAVED_LEFT_FIRST);
    EXPECT_EQ(FlagsToPairType(0x201), PAIR_SIDE_BY_SIDE_RIGHT_FIRST);
    EXPECT_EQ(FlagsToPairType(0x40201), PAIR_SIDE_BY_SIDE_LEFT_FIRST);
    EXPECT_EQ(FlagsToPairType(0x300), PAIR_OVER_UNDER_RIGHT_TOP);
    EXPECT_EQ(FlagsToPairType(0x40300), PAIR_OVER_UNDER_LEFT_TOP);
    EXPECT_EQ(FlagsToPairType(0x10101), PAIR_INTERLEAVED_RIGHT_FIRST);
    // Any other arrangement is read as side by side, right first.
    EXPECT_EQ(FlagsToPairType(0), PAIR_SIDE_BY_SIDE_RIGHT_FIRST);
    EXPECT_EQ(FlagsToPairType(0x40500), PAIR_SIDE_BY_SIDE_RIGHT_FIRST);
    EXPECT_EQ(FlagsToPairType(0x40600 | 0x100), PAIR_SIDE_BY_SIDE_RIGHT_FIRST);
    EXPECT_EQ(ThrownMessage([] { FlagsToPairType(0x40400); }),
              "LAYOUT_ANAGLYPH unsupported in FlagsToPairType()");
}

TEST(PxCPair, SinglePictureSideBySideSplitsByEyeOrder) {
    const pxImage picture = CodedPicture({640, 480});
    const pxCPair leftFirst(kSideBySideLeftFirst, picture);
    ExpectSize(leftFirst.CalcConvertSizeFromMono(), 320, 480);
    EXPECT_EQ(PixelAt(leftFirst.left, 0, 0), CodeAt(0, 0));
    EXPECT_EQ(PixelAt(leftFirst.right, 5, 7), CodeAt(325, 7));
    EXPECT_EQ(leftFirst.whole.GetPixels(), picture.GetPixels());
    EXPECT_EQ(leftFirst.GetBytesPerPixel(), 3);
    EXPECT_EQ(leftFirst.GetLayout(), kSideBySideLeftFirst);

    pxCPair separated(kSideBySideLeftFirst, picture);
    EXPECT_EQ(separated.SetSeparation(2), 0);
    ExpectSize(separated.CalcConvertSize(OUTPUT_SIDE_BY_SIDE), 642, 480);

    const pxCPair rightFirst(LAYOUT_SIDE_BY_SIDE, picture);
    EXPECT_EQ(PixelAt(rightFirst.left, 0, 0), CodeAt(320, 0));
    EXPECT_EQ(PixelAt(rightFirst.right, 0, 0), CodeAt(0, 0));
}

TEST(PxCPair, SinglePictureEyesAddressBottomUpAndCutPictures) {
    // A bottom-up picture: the eyes must see the picture's rows, top first.
    const pxImage bottomUp = CodedPicture({8, 6}, 1);
    const pxCPair overUnder(LAYOUT_OVER_UNDER | LAYOUT_LEFT_FIRST, bottomUp);
    EXPECT_EQ(PixelAt(overUnder.left, 1, 0), CodeAt(1, 0));
    EXPECT_EQ(PixelAt(overUnder.right, 2, 1), CodeAt(2, 4));

    // A picture cut from a wider, taller buffer.
    const pxImage frame = CodedPicture({20, 10});
    const pxImage cut(frame, px2Rect{3, 2, 8, 4});
    const pxCPair sideBySide(kSideBySideLeftFirst, cut);
    EXPECT_EQ(PixelAt(sideBySide.left, 0, 0), CodeAt(3, 2));
    EXPECT_EQ(PixelAt(sideBySide.left, 3, 3), CodeAt(6, 5));
    EXPECT_EQ(PixelAt(sideBySide.right, 0, 1), CodeAt(7, 3));

    pxImage out({8, 4}, 3);
    pxCPair(kSideBySideLeftFirst, cut).CopyConvert(out, {0, 0}, OutputCopy, 0);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(PixelAt(out, x, y), CodeAt(x + 3, y + 2)) << x << "," << y;
}

TEST(PxCPair, OddSizesLeaveTheLastRowOrColumnToNeitherEye) {
    // Rows interleaved, left first: left on rows 0 and 2, right on 1 and 3.
    const pxImage rows = CodedPicture({3, 5});
    pxCPair interleaved(LAYOUT_INTERLEAVED | LAYOUT_LEFT_FIRST, rows);
    ExpectSize(interleaved.left.GetSize(), 3, 2);
    pxImage out({6, 2}, 3);
    interleaved.CopyConvert(out, {0, 0}, OUTPUT_SIDE_BY_SIDE, 0);
    EXPECT_EQ(PixelAt(out, 1, 0), CodeAt(1, 0));
    EXPECT_EQ(PixelAt(out, 1, 1), CodeAt(1, 2));
    EXPECT_EQ(PixelAt(out, 4, 0), CodeAt(1, 1));
    EXPECT_EQ(PixelAt(out, 4, 1), CodeAt(1, 3));

    // Over/under: row 4 belongs to neither eye.
    pxCPair overUnder(LAYOUT_OVER_UNDER | LAYOUT_LEFT_FIRST, rows);
    pxImage stacked({3, 4}, 3);
    overUnder.CopyConvert(stacked, {0, 0}, OUTPUT_OVER_UNDER, 0);
    for (int32_t y = 0; y < 4; ++y)
        EXPECT_EQ(PixelAt(stacked, 2, y), CodeAt(2, y)) << y;

    // Side by side, 5 wide: eyes of 2 columns, column 4 unused.
    const pxImage columns = CodedPicture({5, 2});
    pxCPair sideBySide(kSideBySideLeftFirst, columns);
    ExpectSize(sideBySide.CalcConvertSize(OUTPUT_SIDE_BY_SIDE), 4, 2);
    pxImage sbs({4, 2}, 3);
    sideBySide.CopyConvert(sbs, {0, 0}, OUTPUT_SIDE_BY_SIDE, 1);
    EXPECT_EQ(PixelAt(sbs, 0, 1), CodeAt(2, 1));
    EXPECT_EQ(PixelAt(sbs, 3, 1), CodeAt(1, 1));
}

TEST(PxCPair, ConstructionRefusals) {
    const pxImage picture = CodedPicture({4, 4});
    EXPECT_EQ(ThrownMessage([&] { pxCPair(LAYOUT_ANAGLYPH, picture); }),
              "LAYOUT_ANAGLYPH unsupported in FlagsToPairType()");
    EXPECT_EQ(ThrownMessage([] { pxCPair(0x201, pxImage()); }),
              "Cannot make stereo pair without an image!");

    const pxImage shorter = CodedPicture({4, 3});
    EXPECT_EQ(ThrownMessage([&] { pxCPair(0, picture, shorter); }),
              "pxCPair::pxCPair left/right images do not match: l(4x4x3) r(4x3x3)");
    const pxImage grey({4, 4}, 1);
    EXPECT_EQ(ThrownMessage([&] { pxCPair(0, grey, picture); }),
              "pxCPair::pxCPair left/right images do not match: l(4x4x1) r(4x4x3)");
}

TEST(PxCPair, TwoPicturesAreTheEyesAndWholeStaysEmpty) {
    const pxImage leftImage = CodedPicture({4, 3});
    const pxImage rightImage = CodedPicture({4, 3});
    pxPalette palette;
    palette[20] = pxColor::Rgb(1, 2, 3);
    pxCPair pair(0, leftImage, rightImage, &palette);
    EXPECT_FALSE(pair.whole.HasBuffer());
    EXPECT_EQ(pair.left.GetPixels(), leftImage.GetPixels());
    EXPECT_EQ(pair.right.GetPixels(), rightImage.GetPixels());
    EXPECT_EQ(pair.GetPalette()[20], pxColor::Rgb(1, 2, 3));
    ExpectSize(pair.CalcConvertSizeFromLR(), 4, 3);
    ExpectSize(pair.CalcConvertSize(OUTPUT_INTERLEAVED), 4, 6);
    EXPECT_EQ(ThrownMessage([&] { pair.CalcConvertSizeFromMono(); }),
              "Can't CalcConvertSizeFromMono without mono image!");
    EXPECT_EQ(ThrownMessage([&] { pair.CalcConvertSize(OutputCopy); }),
              "pxCPair::CalcConvertSizeFromLR -- can't perform OutputCopy on a L/R pair");
    EXPECT_EQ(ThrownMessage([&] { pair.SetupPair(); }),
              "Cannot make stereo pair without an image!");

    const pxCPair empty(0, pxImage(), pxImage());
    EXPECT_EQ(ThrownMessage([&] { empty.CalcConvertSize(OUTPUT_ONE_EYE); }),
              "Can't CalcConvertSize without input image(s)");
    EXPECT_EQ(ThrownMessage([&] { empty.CalcConvertSizeFromLR(); }),
              "Can't CalcConvertSizeFromLR without left/right images!");
}

TEST(PxCPair, SetupPairSplitsWholeAgain) {
    const pxImage picture = CodedPicture({8, 2});
    pxCPair pair(kSideBySideLeftFirst, picture);
    pair.left = pxImage();
    pair.SetupPair();
    EXPECT_EQ(PixelAt(pair.left, 1, 1), CodeAt(1, 1));

    // A missing eye is split again before converting.
    pair.right = pxImage();
    pxImage out({4, 2}, 3);
    pair.CopyConvert(out, {0, 0}, OUTPUT_ONE_EYE, 1);
    EXPECT_EQ(PixelAt(out, 0, 0), CodeAt(4, 0));

    pxCPair anaglyph(LAYOUT_ANAGLYPH, picture, picture);
    anaglyph.whole = picture;
    EXPECT_EQ(ThrownMessage([&] { anaglyph.SetupPair(); }),
              "Cannot make R/L pair from anaglyph yet.");
}

TEST(PxCPair, SetSeparationRefusesNegativeValues) {
    pxCPair pair(0x201, CodedPicture({4, 2}));
    EXPECT_EQ(pair.SetSeparation(0), 0);
    EXPECT_EQ(pair.SetSeparation(7), 0);
    EXPECT_EQ(pair.SetSeparation(3), 7);
    EXPECT_EQ(ThrownMessage([&] { pair.SetSeparation(-1); }),
              "pxCPair::SetSeparation -- separation (-1) must be > 0");
    EXPECT_EQ(pair.GetSeparation(), 3);
}

TEST(PxCPair, ConvertSizesFollowOutputTypeAndRowRules) {
    const pxImage picture = CodedPicture({10, 7});
    pxCPair pair(kSideBySideLeftFirst, picture);
    pair.SetSeparation(3);
    ExpectSize(pair.CalcConvertSize(OUTPUT_INTERLEAVED), 5, 14);
    ExpectSize(pair.CalcConvertSize(OUTPUT_SIDE_BY_SIDE), 13, 7);
    for (int32_t type = OUTPUT_PURE_RED_BLUE; type <= OUTPUT_ONE_EYE; ++type)
        ExpectSize(pair.CalcConvertSize(type), 5, 7);
    for (int32_t type = OUTPUT_DUBOIS_RED_CYAN; type <= OUTPUT_DUBOIS_AMBER_BLUE; ++type)
        ExpectSize(pair.CalcConvertSize(type), 5, 7);
    ExpectSize(pair.CalcConvertSize(OutputCopy), 10, 7);
    ExpectSize(pair.CalcConvertSize(OUTPUT_OVER_UNDER), 5, 17);
    EXPECT_EQ(ThrownMessage([&] { pair.CalcConvertSize(0); }),
              "pxCPair::CalcConvertSize -- unsupported OutputType: 0");
    EXPECT_EQ(ThrownMessage([&] { pair.CalcConvertSize(14); }),
              "pxCPair::CalcConvertSize -- unsupported OutputType: 14");

    // halveRows on a full-height pair halves the eye, rounding down.
    pair.halveRows = 1;
    ExpectSize(pair.CalcConvertSize(OUTPUT_INTERLEAVED), 5, 6);
    ExpectSize(pair.CalcConvertSize(OUTPUT_ONE_EYE), 5, 3);
    ExpectSize(pair.CalcConvertSize(OutputCopy), 10, 7);

    // Half height without halveRows doubles it; with halveRows it stays.
    pxCPair halfHeight(0x10101, CodedPicture({6, 8}));
    ExpectSize(halfHeight.CalcConvertSizeFromMono(), 6, 4);
    ExpectSize(halfHeight.CalcConvertSize(OUTPUT_ONE_EYE), 6, 8);
    ExpectSize(halfHeight.CalcConvertSize(OUTPUT_OVER_UNDER), 6, 16);
    ExpectSize(halfHeight.CalcConvertSize(OutputCopy), 6, 8);
    halfHeight.halveRows = 1;
    ExpectSize(halfHeight.CalcConvertSize(OUTPUT_INTERLEAVED), 6, 8);

    const pxCPair anyArrangement(0x40000, picture);
    EXPECT_EQ(ThrownMessage([&] { anyArrangement.CalcConvertSize(OUTPUT_ONE_EYE); }),
              "pxCPair::CalcConvertSize -- unsupported LAYOUT: 0");
    const pxCPair unknown(0x500, picture);
    EXPECT_EQ(ThrownMessage([&] { unknown.CalcConvertSize(OUTPUT_ONE_EYE); }),
              "pxCPair::CalcConvertSize -- unsupported LAYOUT: 1280");

    // A separation that would overflow the output size is refused.
    pxCPair huge(kSideBySideLeftFirst, picture);
    huge.SetSeparation(0x7FFFFFFF);
    EXPECT_EQ(ThrownMessage([&] { huge.CalcConvertSize(OUTPUT_SIDE_BY_SIDE); }),
              "pxCPair::CalcConvertSize -- output size too large (2147483657x7)");
    EXPECT_EQ(ThrownMessage([&] { huge.CalcConvertSize(OUTPUT_OVER_UNDER); }),
              "pxCPair::CalcConvertSize -- output size too large (5x2147483661)");
}

TEST(PxCPair, CenterPointIsRoundedDownToEvenCoordinates) {
    const pxCPair pair(kSideBySideLeftFirst, CodedPicture({640, 240}));
    const px2Pnt a = pair.CalcCenterPoint(px2Size{641, 481}, OUTPUT_ONE_EYE);
    EXPECT_EQ(a.x, 160);
    EXPECT_EQ(a.y, 120);
    const px2Pnt b = pair.CalcCenterPoint(px2Size{643, 483}, OUTPUT_ONE_EYE);
    EXPECT_EQ(b.x, 160);
    EXPECT_EQ(b.y, 120);
    const px2Pnt c = pair.CalcCenterPoint(px2Size{326, 247}, OUTPUT_ONE_EYE);
    EXPECT_EQ(c.x, 2);
    EXPECT_EQ(c.y, 2);
    const pxImage exact({320, 240}, 3);
    const px2Pnt d = pair.CalcCenterPoint(exact, OUTPUT_ONE_EYE);
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(ThrownMessage([&] {
                  pair.CalcCenterPoint(px2Size{319, 240}, OUTPUT_ONE_EYE);
              }),
              "pxCPair::CalcCenterPoint:  src (320x240) larger than dst (319x240)");
    EXPECT_EQ(ThrownMessage([&] {
                  pair.CalcCenterPoint(px2Size{640, 239}, OUTPUT_ONE_EYE);
              }),
              "pxCPair::CalcCenterPoint:  src (320x240) larger than dst (640x239)");
}

TEST(PxCPair, CopyConvertRefusesBeforeWritingAnything) {
    const pxImage picture = CodedPicture({8, 4});
    pxCPair pair(kSideBySideLeftFirst, picture);
    pxImage out({4, 4}, 3);
    FillBytes(out, 0xEE);
    const auto refusal = [&](pxImage& destination, px2Pnt origin, int32_t type) {
        return ThrownMessage([&] { pair.CopyConvert(destination, origin, type, 0); });
    };
    pxImage narrow({3, 4}, 3);
    EXPECT_EQ(refusal(narrow, {0, 0}, OUTPUT_ONE_EYE),
              "Image size (3x4) is too small (need at least 4x4)");
    pxImage indexed({4, 4}, 1);
    EXPECT_EQ(refusal(indexed, {0, 0}, OUTPUT_ONE_EYE),
              "Unsupported color depths in CopyConvert (1(d), 3(s))");
    EXPECT_EQ(refusal(out, {1, 0}, OUTPUT_ONE_EYE),
              "pxCPair::CopyConvert -- output (4x4) at (1,0) does not fit the destination (4x4)");
    EXPECT_EQ(refusal(out, {0, -2}, OUTPUT_ONE_EYE),
              "pxCPair::CopyConvert -- output (4x4) at (0,-2) does not fit the destination (4x4)");
    pxImage big({9, 9}, 3);
    EXPECT_EQ(refusal(big, {6, 0}, OUTPUT_ONE_EYE),
              "pxCPair::CopyConvert -- output (4x4) at (6,0) does not fit the destination (9x9)");
    pxImage surface;
    surface.SetVirtual({8, 8}, {0, 0, 8, 8}, 3, FIELD_BOTH, 0);
    EXPECT_EQ(refusal(surface, {0, 0}, OUTPUT_ONE_EYE),
              "pxCPair::CopyConvert -- destination has no pixels");
    EXPECT_EQ(refusal(out, {0, 0}, 14), "pxCPair::CalcConvertSize -- unsupported OutputType: 14");

    pxImage wide({4, 4}, 4);
    EXPECT_EQ(refusal(wide, {0, 0}, OUTPUT_ONE_EYE),
              "pxCPair::CopyConvert -- cannot convert 3 to 4 bytes per pixel");

    // Eye views replaced by the caller must still match the pair.
    pxCPair replaced(kSideBySideLeftFirst, picture);
    replaced.left = CodedPicture({4, 3});
    EXPECT_EQ(ThrownMessage([&] {
                  replaced.CopyConvert(out, {0, 0}, OUTPUT_COLOR, 0);
              }),
              "pxCPair::CopyConvert -- eye views (4x3x3, 4x4x3) do not match the pair (4x4x3)");
    EXPECT_TRUE(Untouched(out, out.GetRect(), 0xEE));
}

TEST(PxCPair, SideBySideLeavesTheGapAndSwapsEyes) {
    const pxImage picture = CodedPicture({6, 3});
    pxCPair pair(kSideBySideLeftFirst, picture);
    pair.SetSeparation(2);
    pxImage out({12, 5}, 3);
    FillBytes(out, 0xEE);
    pair.CopyConvert(out, {1, 1}, OUTPUT_SIDE_BY_SIDE, 0);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x) {
            EXPECT_EQ(PixelAt(out, 1 + x, 1 + y), CodeAt(x, y));
            EXPECT_EQ(PixelAt(out, 6 + x, 1 + y), CodeAt(3 + x, y));
        }
    EXPECT_TRUE(Untouched(out, {4, 1, 2, 3}, 0xEE)); // the gap
    EXPECT_TRUE(Untouched(out, {0, 0, 12, 1}, 0xEE));
    EXPECT_TRUE(Untouched(out, {0, 4, 12, 1}, 0xEE));
    EXPECT_TRUE(Untouched(out, {0, 0, 1, 5}, 0xEE));
    EXPECT_TRUE(Untouched(out, {9, 0, 3, 5}, 0xEE));

    pair.CopyConvert(out, {0, 0}, OUTPUT_SIDE_BY_SIDE, 1);
    EXPECT_EQ(PixelAt(out, 0, 0), CodeAt(3, 0));
    EXPECT_EQ(PixelAt(out, 5, 2), CodeAt(0, 2));
}

TEST(PxCPair, OverUnderLeavesTheGapRows) {
    const pxImage picture = CodedPicture({4, 2});
    pxCPair pair(kSideBySideLeftFirst, picture);
    pair.SetSeparation(1);
    pxImage out({2, 6}, 3);
    FillBytes(out, 0xEE);
    pair.CopyConvert(out, {0, 0}, OUTPUT_OVER_UNDER, 0);
    EXPECT_EQ(PixelAt(out, 1, 0), CodeAt(1, 0));
    EXPECT_EQ(PixelAt(out, 1, 1), CodeAt(1, 1));
    EXPECT_TRUE(Untouched(out, {0, 2, 2, 1}, 0xEE));
    EXPECT_EQ(PixelAt(out, 1, 3), CodeAt(3, 0));
    EXPECT_EQ(PixelAt(out, 0, 4), CodeAt(2, 1));
    EXPECT_TRUE(Untouched(out, {0, 5, 2, 1}, 0xEE));
}

TEST(PxCPair, HalfHeightLayoutsShowEveryRowTwice) {
    // Side by side, half height: eyes 2 x 2 shown 2 x 4.
    const pxImage picture = CodedPicture({4, 2});
    pxCPair pair(kSideBySideLeftFirst | LAYOUT_HALF_HEIGHT, picture);
    pair.SetSeparation(1);

    pxImage sbs({5, 4}, 3);
    FillBytes(sbs, 0xEE);
    pair.CopyConvert(sbs, {0, 0}, OUTPUT_SIDE_BY_SIDE, 0);
    for (int32_t y = 0; y < 4; ++y) {
        EXPECT_EQ(PixelAt(sbs, 1, y), CodeAt(1, y / 2)) << y;
        EXPECT_EQ(PixelAt(sbs, 4, y), CodeAt(3, y / 2)) << y;
    }
    EXPECT_TRUE(Untouched(sbs, {2, 0, 1, 4}, 0xEE));

    pxImage one({2, 4}, 3);
    pair.CopyConvert(one, {0, 0}, OUTPUT_ONE_EYE, 1);
    for (int32_t y = 0; y < 4; ++y)
        EXPECT_EQ(PixelAt(one, 0, y), CodeAt(2, y / 2)) << y;

    pxImage stacked({2, 9}, 3);
    FillBytes(stacked, 0xEE);
    pair.CopyConvert(stacked, {0, 0}, OUTPUT_OVER_UNDER, 0);
    for (int32_t y = 0; y < 4; ++y) {
        EXPECT_EQ(PixelAt(stacked, 1, y), CodeAt(1, y / 2)) << y;
        EXPECT_EQ(PixelAt(stacked, 1, 5 + y), CodeAt(3, y / 2)) << y;
    }
    EXPECT_TRUE(Untouched(stacked, {0, 4, 2, 1}, 0xEE));

    // The whole picture is copied as it is.
    pxImage copy({4, 2}, 3);
    pair.CopyConvert(copy, {0, 0}, OutputCopy, 0);
    EXPECT_EQ(PixelAt(copy, 3, 1), CodeAt(3, 1));

    // With halveRows the half-height eyes are shown as they are.
    pair.halveRows = 1;
    pxImage plain({2, 2}, 3);
    pair.CopyConvert(plain, {0, 0}, OUTPUT_ONE_EYE, 0);
    EXPECT_EQ(PixelAt(plain, 1, 1), CodeAt(1, 1));
    pxImage plainStack({2, 5}, 3);
    pair.CopyConvert(plainStack, {0, 0}, OUTPUT_OVER_UNDER, 0);
    EXPECT_EQ(PixelAt(plainStack, 0, 3), CodeAt(2, 0));
}

TEST(PxCPair, HalvedRowsAreAveragedForCopyingTypes) {
    pxImage picture({4, 4}, 3);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            SetPixel(picture, x, y,
                     {static_cast<uint8_t>(10 * y), static_cast<uint8_t>(x),
                      static_cast<uint8_t>(y == 1 ? 254 : 255)});
    pxCPair pair(kSideBySideLeftFirst, picture);
    pair.halveRows = 1;
    const Pixel upperPair{5, 1, 254}; // rows 0 and 1 at x = 1
    const Pixel lowerPair{25, 1, 255};

    pxImage sbs({4, 2}, 3);
    pair.CopyConvert(sbs, {0, 0}, OUTPUT_SIDE_BY_SIDE, 0);
    EXPECT_EQ(PixelAt(sbs, 1, 0), upperPair);
    EXPECT_EQ(PixelAt(sbs, 1, 1), lowerPair);
    EXPECT_EQ(PixelAt(sbs, 3, 0), (Pixel{5, 3, 254}));

    pxImage one({2, 2}, 3);
    pair.CopyConvert(one, {0, 0}, OUTPUT_ONE_EYE, 0);
    EXPECT_EQ(PixelAt(one, 1, 1), lowerPair);

    pxImage stacked({2, 4}, 3);
    pair.CopyConvert(stacked, {0, 0}, OUTPUT_OVER_UNDER, 0);
    EXPECT_EQ(PixelAt(stacked, 1, 0), upperPair);
    EXPECT_EQ(PixelAt(stacked, 1, 3), (Pixel{25, 3, 255}));
}

TEST(PxCPair, IndexedPairsCopyOrExpandThroughThePalette) {
    pxImage picture({4, 1}, 1);
    const uint8_t indices[4] = {5, 6, 200, 7};
    std::memcpy(picture.Row(0), indices, 4);
    pxPalette palette;
    palette.SetCount(8);
    palette[5] = pxColor::Rgb(255, 0, 0);
    palette[6] = pxColor::Rgb(1, 2, 3);
    palette[7] = pxColor::Rgb(9, 8, 7);
    pxCPair pair(kSideBySideLeftFirst | LAYOUT_HALF_HEIGHT, picture, &palette);

    // Same depth: doubled rows side by side need the output palette, though
    // the indices are copied unchanged and every row is shown twice.
    pxImage same({4, 2}, 1);
    FillBytes(same, 0xEE);
    EXPECT_EQ(ThrownMessage([&] {
                  pair.CopyConvert(same, {0, 0}, OUTPUT_SIDE_BY_SIDE, 0);
              }),
              "pxCPair::CopyConvertInterleaved -- palette was not specified, but is needed to "
              "convert this pair to Interleaved");
    EXPECT_TRUE(Untouched(same, same.GetRect(), 0xEE));
    pxPalette output;
    pair.CopyConvert(same, {0, 0}, OUTPUT_SIDE_BY_SIDE, 0, &output);
    EXPECT_EQ(same.Row(1)[2], 200);
    EXPECT_EQ(same.Row(1)[1], 6);
    FillBytes(same, 0xEE); // one eye needs no palette
    pair.CopyConvert(same, {0, 0}, OUTPUT_ONE_EYE, 1);
    EXPECT_EQ(same.Row(1)[0], 200);
    EXPECT_EQ(same.Row(1)[2], 0xEE);

    // Wider destination: blue, green, red of the pair's palette; an index
    // beyond the palette's count is black.
    pxImage wide({4, 2}, 3);
    pair.CopyConvert(wide, {0, 0}, OUTPUT_SIDE_BY_SIDE, 0, &output);
    EXPECT_EQ(PixelAt(wide, 0, 1), (Pixel{0, 0, 255}));
    EXPECT_EQ(PixelAt(wide, 1, 0), (Pixel{3, 2, 1}));
    EXPECT_EQ(PixelAt(wide, 2, 0), (Pixel{0, 0, 0}));
    EXPECT_EQ(PixelAt(wide, 3, 1), (Pixel{7, 8, 9}));

    pxImage four({2, 2}, 4);
    pair.CopyConvert(four, {0, 0}, OUTPUT_ONE_EYE, 1);
    EXPECT_EQ(std::memcmp(four.Row(1), "\x00\x00\x00\x00\x07\x08\x09\x00", 8), 0);

    pxPalette none;
    none.SetCount(0);
    pair.SetPalette(none);
    EXPECT_EQ(ThrownMessage([&] {
                  pair.CopyConvert(wide, {0, 0}, OUTPUT_SIDE_BY_SIDE, 0, &output);
              }),
              "pxCPair::CopyConvert -- Invalid palette (need to call SetPalette?)");
}
