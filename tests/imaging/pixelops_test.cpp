#include "imaging/pixelops.h"
#include "imaging/pxerror.h"
#include "support/thrownmessage.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// What the code under test logs while action runs.
template <typename Action> std::string LogOf(Action action) {
    const std::string name =
        testing::TempDir() + testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
    std::remove(name.c_str());
    pxSetLogName(name.c_str());
    action();
    pxSetLogName(nullptr);
    std::ifstream file(name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

uint8_t Pattern(int32_t x, int32_t y, int k) {
    return static_cast<uint8_t>(1 + x * 7 + y * 31 + k * 3);
}

// Every byte of every pixel of the view gets a value of its own.
void Paint(const pxImage& image) {
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            for (int k = 0; k < image.GetBytesPerPixel(); ++k)
                PixelAddress(image, x, y)[k] = Pattern(x, y, k);
}

Bytes Pixel(const pxImage& image, int32_t x, int32_t y) {
    const uint8_t* p = PixelAddress(image, x, y);
    return Bytes(p, p + image.GetBytesPerPixel());
}

// The view's rows, top to bottom.
std::vector<Bytes> RowsOf(const pxImage& image) {
    std::vector<Bytes> rows;
    const size_t rowBytes = static_cast<size_t>(image.GetWidth() * image.GetBytesPerPixel());
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        rows.emplace_back(image.Row(y), image.Row(y) + rowBytes);
    return rows;
}

// All of the buffer's memory, in memory order.
Bytes MemoryOf(const pxImage& image) {
    const pxImageBuff* buff = image.GetBuff();
    return Bytes(buff->GetData(), buff->GetData() + buff->GetHeight() * buff->GetBytesPerRow());
}

pxImage Zeroed(px2Size size, int bytesPerPixel, int bottomUp = 0) {
    pxImage image(size, bytesPerPixel, 4, bottomUp);
    const pxImageBuff* buff = image.GetBuff();
    std::memset(buff->GetData(), 0,
                static_cast<size_t>(buff->GetHeight() * buff->GetBytesPerRow()));
    return image;
}

bool operator==(const px2Rect& a, const px2Rect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

} // namespace

TEST(FillRect, WritesIndexOrBlueGreenRedInsideTheRectOnly) {
    pxImage frame = Zeroed({7, 6}, 1);
    pxImage view(frame, {1, 1, 5, 4});
    px2Rect changed{};
    pxFillRect(view, {1, 1, 3, 2}, pxColor::Rgb(7, 99, 99), &changed);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 7; ++x)
            EXPECT_EQ(Pixel(frame, x, y)[0], x >= 2 && x <= 4 && y >= 2 && y <= 3 ? 7 : 0)
                << x << "," << y;
    EXPECT_TRUE(changed == (px2Rect{1, 1, 3, 2}));

    pxFillImage(view, pxColor::Rgb(9, 0, 0), &changed);
    EXPECT_EQ(Pixel(frame, 5, 4)[0], 9);
    EXPECT_EQ(Pixel(frame, 6, 5)[0], 0);
    EXPECT_TRUE(changed == (px2Rect{0, 0, 5, 4}));

    pxImage colour = Zeroed({4, 3}, 3);
    pxFillRect(colour, {0, 1, 4, 2}, pxColor::Rgb(10, 20, 30));
    EXPECT_EQ(Pixel(colour, 3, 2), (Bytes{30, 20, 10}));
    EXPECT_EQ(Pixel(colour, 0, 1), (Bytes{30, 20, 10}));
    EXPECT_EQ(Pixel(colour, 3, 0), (Bytes{0, 0, 0}));
}

TEST(FillRect, ClipsEveryRectangleToTheImage) {
    pxImage frame = Zeroed({9, 8}, 3);
    pxImage view(frame, {2, 2, 5, 4});
    const Bytes outside = MemoryOf(frame);
    px2Rect changed{1, 1, 1, 1};

    // Wholly outside: nothing drawn, changed as it was.
    for (const px2Rect rect :
         {px2Rect{5, 0, 3, 3}, px2Rect{-10, 0, 5, 5}, px2Rect{0, 4, 2, 2}, px2Rect{0, 0, 0, 3},
          px2Rect{0, 0, 3, -1}, px2Rect{INT32_MIN, 0, INT32_MAX, 2},
          px2Rect{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}})
        pxFillRect(view, rect, pxColor::Rgb(1, 2, 3), &changed);
    EXPECT_EQ(MemoryOf(frame), outside);
    EXPECT_TRUE(changed == (px2Rect{1, 1, 1, 1}));

    changed = {};
    pxFillRect(view, {-2, 1, 4, 1}, pxColor::Rgb(1, 2, 3), &changed);
    EXPECT_TRUE(changed == (px2Rect{0, 1, 2, 1}));
    pxFillRect(view, {3, 3, INT32_MAX, INT32_MAX}, pxColor::Rgb(1, 2, 3), &changed);
    EXPECT_TRUE(changed == (px2Rect{0, 1, 5, 3}));
    pxFillRect(view, {-5, -5, INT32_MAX, 6}, pxColor::Rgb(4, 5, 6), &changed);
    EXPECT_TRUE(changed == (px2Rect{0, 0, 5, 4}));

    // Only the view's pixels were written.
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 9; ++x)
            if (x < 2 || x > 6 || y < 2 || y > 5) {
                EXPECT_EQ(Pixel(frame, x, y), (Bytes{0, 0, 0})) << x << "," << y;
            }
    EXPECT_EQ(Pixel(view, 4, 3), (Bytes{3, 2, 1}));
    EXPECT_EQ(Pixel(view, 0, 0), (Bytes{6, 5, 4}));
}

TEST(FillRect, RefusesDepthsOtherThanOneAndThree) {
    for (int depth : {2, 4}) {
        pxImage image = Zeroed({3, 3}, depth);
        const Bytes before = MemoryOf(image);
        EXPECT_EQ(ThrownMessage([&] { pxFillImage(image, pxColor::Rgb(1, 1, 1)); }),
                  "pxFillRect/Image:  Invalid image bpp (" + std::to_string(depth) + ").");
        EXPECT_EQ(MemoryOf(image), before);
    }
}

TEST(FillRect, BottomUpAndFieldViewsFillTheirOwnRows) {
    pxImage bottomUp = Zeroed({3, 4}, 1, 1);
    pxFillRect(bottomUp, {0, 0, 3, 1}, pxColor::Rgb(5, 0, 0));
    const Bytes memory = MemoryOf(bottomUp);
    EXPECT_EQ(memory[3 * 4], 5); // picture row 0 is the last memory row
    EXPECT_EQ(memory[0], 0);

    pxImage frame = Zeroed({3, 5}, 1);
    pxImage odd(frame, FIELD_ODD, BOTTOMUP_INHERIT);
    pxFillImage(odd, pxColor::Rgb(8, 0, 0));
    for (int32_t y = 0; y < 5; ++y)
        EXPECT_EQ(Pixel(frame, 1, y)[0], y % 2 == 1 ? 8 : 0) << y;
}

TEST(FillRect, ViewsWithoutTheirPixelsAreRefused) {
    pxImage virtualView;
    virtualView.SetVirtual({10, 10}, {0, 0, 4, 4}, 1, FIELD_BOTH, 0);
    EXPECT_EQ(ThrownMessage([&] { pxFillImage(virtualView, pxColor{}); }),
              "pxFillRect: the image's view lies outside its pixel memory");

    // The buffer shrinks under a view cut from it.
    pxImage whole({8, 8}, 1);
    pxImage corner(whole, {4, 4, 4, 4});
    whole.Create({2, 2}, 1);
    EXPECT_EQ(ThrownMessage([&] { pxFillImage(corner, pxColor{}); }),
              "pxFillRect: the image's view lies outside its pixel memory");
    EXPECT_EQ(ThrownMessage([&] {
                  CopyImage(whole, {0, 0}, corner, {0, 0, 2, 2});
              }),
              "CopyImage: the image's view lies outside its pixel memory");
}

TEST(FrameRect, DrawsTheOutlineOfTheClippedRectangle) {
    pxImage image = Zeroed({6, 5}, 1);
    px2Rect changed{};
    pxFrameRect(image, {1, 1, 4, 3}, pxColor::Rgb(3, 0, 0), &changed);
    const std::vector<Bytes> expected{{0, 0, 0, 0, 0, 0},
                                      {0, 3, 3, 3, 3, 0},
                                      {0, 3, 0, 0, 3, 0},
                                      {0, 3, 3, 3, 3, 0},
                                      {0, 0, 0, 0, 0, 0}};
    EXPECT_EQ(RowsOf(image), expected);
    EXPECT_TRUE(changed == (px2Rect{1, 1, 4, 3}));

    image = Zeroed({4, 4}, 1);
    pxFrameRect(image, {-1, -1, 4, 4}, pxColor::Rgb(1, 0, 0));
    pxFrameRect(image, {3, 0, 1, 100}, pxColor::Rgb(2, 0, 0));
    const std::vector<Bytes> clipped{{1, 1, 1, 2}, {1, 0, 1, 2}, {1, 1, 1, 2}, {0, 0, 0, 2}};
    EXPECT_EQ(RowsOf(image), clipped);

    changed = {};
    pxFrameRect(image, {4, 0, 2, 2}, pxColor::Rgb(9, 0, 0), &changed);
    EXPECT_EQ(RowsOf(image), clipped);
    EXPECT_TRUE(changed.IsEmpty());
}

TEST(FrameRect, DeeperImagesGetTheSystemColourOfTheIndex) {
    pxImage colour = Zeroed({3, 3}, 3);
    pxFrameRect(colour, colour.GetRect(), pxColor::Rgb(249, 7, 7)); // 249 is pure red
    EXPECT_EQ(Pixel(colour, 0, 0), (Bytes{0, 0, 255}));
    EXPECT_EQ(Pixel(colour, 2, 1), (Bytes{0, 0, 255}));
    EXPECT_EQ(Pixel(colour, 1, 1), (Bytes{0, 0, 0}));

    pxImage deep({2, 2}, 4);
    std::memset(deep.GetPixels(), 0xee, 16);
    pxFrameRect(deep, deep.GetRect(), pxColor::Rgb(9, 0, 0)); // 9 is (164, 200, 240)
    EXPECT_EQ(Pixel(deep, 1, 1), (Bytes{240, 200, 164, 0}));

    pxImage twoBytes = Zeroed({2, 2}, 2);
    EXPECT_EQ(ThrownMessage([&] { pxFrameRect(twoBytes, twoBytes.GetRect(), pxColor{}); }),
              "pxFrameRect: Invalid image bpp (2).");
}

TEST(CopyImage, ClipsAgainstSourceAndDestination) {
    pxImage source({10, 4}, 1);
    Paint(source);
    pxImage destination = Zeroed({10, 4}, 1);
    px2Rect changed{};

    // Five columns left of the source are dropped; the copy lands 5 to the right.
    CopyImage(destination, {0, 0}, source, {-5, 0, 8, 2}, &changed);
    EXPECT_TRUE(changed == (px2Rect{5, 0, 3, 2}));
    EXPECT_EQ(Pixel(destination, 5, 1), Pixel(source, 0, 1));
    EXPECT_EQ(Pixel(destination, 7, 0), Pixel(source, 2, 0));
    EXPECT_EQ(Pixel(destination, 8, 0)[0], 0);
    EXPECT_EQ(Pixel(destination, 4, 0)[0], 0);

    destination = Zeroed({10, 4}, 1);
    changed = {};
    CopyImage(destination, {-2, -1}, source, {0, 0, 4, 4}, &changed);
    EXPECT_TRUE(changed == (px2Rect{0, 0, 2, 3}));
    EXPECT_EQ(Pixel(destination, 0, 0), Pixel(source, 2, 1));
    EXPECT_EQ(Pixel(destination, 1, 2), Pixel(source, 3, 3));

    destination = Zeroed({10, 4}, 1);
    const Bytes empty = MemoryOf(destination);
    changed = {};
    CopyImage(destination, {INT32_MAX - 1, 0}, source, {1, 1, INT32_MAX, INT32_MAX}, &changed);
    CopyImage(destination, {0, 0}, source, {INT32_MIN, 0, INT32_MAX, 4}, &changed);
    CopyImage(destination, {INT32_MIN, INT32_MIN}, source, {0, 0, INT32_MAX, INT32_MAX}, &changed);
    CopyImage(destination, {0, 0}, source, {10, 0, 1, 1}, &changed);
    EXPECT_EQ(MemoryOf(destination), empty);
    EXPECT_TRUE(changed.IsEmpty());

    CopyImage(destination, {1, 0}, source, {2, 1, INT32_MAX, INT32_MAX}, &changed);
    EXPECT_TRUE(changed == (px2Rect{1, 0, 8, 3}));
    EXPECT_EQ(Pixel(destination, 8, 2), Pixel(source, 9, 3));

    pxImage colour({10, 4}, 3);
    EXPECT_EQ(ThrownMessage([&] {
                  CopyImage(destination, {0, 0}, colour, colour.GetRect());
              }),
              "Bad depth match in CopyImage: dest=1  src=3");
}

TEST(CopyImage, CopiesBetweenOverlappingViewsOfOneBuffer) {
    pxImage image({4, 6}, 1);
    Paint(image);
    std::vector<Bytes> before = RowsOf(image);

    // Down, then back up by two rows within the same view.
    CopyImage(image, {0, 2}, image, {0, 0, 4, 4});
    std::vector<Bytes> expected{before[0], before[1], before[0], before[1], before[2], before[3]};
    EXPECT_EQ(RowsOf(image), expected);
    Paint(image);
    CopyImage(image, {0, 0}, image, {0, 2, 4, 4});
    expected = {before[2], before[3], before[4], before[5], before[4], before[5]};
    EXPECT_EQ(RowsOf(image), expected);

    // Sideways within each row.
    Paint(image);
    CopyImage(image, {1, 0}, image, {0, 0, 3, 6});
    for (int32_t y = 0; y < 6; ++y)
        EXPECT_EQ(RowsOf(image)[static_cast<size_t>(y)],
                  (Bytes{before[y][0], before[y][0], before[y][1], before[y][2]}));

    // A bottom-up view of the same buffer: the picture turns upside down in place.
    Paint(image);
    const pxImage upsideDown(image, FIELD_BOTH, 1);
    CopyImage(image, {0, 0}, upsideDown, upsideDown.GetRect());
    expected = {before[5], before[4], before[3], before[2], before[1], before[0]};
    EXPECT_EQ(RowsOf(image), expected);

    // Rows 0-2 spread onto the even rows 0, 2, 4.
    Paint(image);
    pxImage even(image, FIELD_EVEN, BOTTOMUP_INHERIT);
    CopyImage(even, {0, 0}, image, {0, 0, 4, 3});
    expected = {before[0], before[1], before[1], before[3], before[2], before[5]};
    EXPECT_EQ(RowsOf(image), expected);
}

TEST(SwapBytes, RearrangesTheBytesOfTheChosenRows) {
    pxImage image({3, 4}, 3, 4, 1);
    Paint(image);
    const std::vector<Bytes> before = RowsOf(image);
    SwapBytes(image, 2, 1, 0, 3, -1, -1);
    EXPECT_EQ(Pixel(image, 2, 3), (Bytes{Pattern(2, 3, 2), Pattern(2, 3, 1), Pattern(2, 3, 0)}));
    SwapBytes(image, 2, 1, 0, 3, -1, -1);
    EXPECT_EQ(RowsOf(image), before);

    SwapBytes(image, 1, 1, 1, 0, 1, 2);
    EXPECT_EQ(RowsOf(image)[0], before[0]);
    EXPECT_EQ(Pixel(image, 0, 1), (Bytes{Pattern(0, 1, 1), Pattern(0, 1, 1), Pattern(0, 1, 1)}));
    EXPECT_EQ(RowsOf(image)[2], before[2]);

    pxImage frame({2, 5}, 4);
    Paint(frame);
    pxImage odd(frame, FIELD_ODD, BOTTOMUP_INHERIT);
    SwapBytes(odd, 3, 0, 1, 2);
    EXPECT_EQ(Pixel(frame, 1, 3),
              (Bytes{Pattern(1, 3, 3), Pattern(1, 3, 0), Pattern(1, 3, 1), Pattern(1, 3, 2)}));
    EXPECT_EQ(Pixel(frame, 1, 2),
              (Bytes{Pattern(1, 2, 0), Pattern(1, 2, 1), Pattern(1, 2, 2), Pattern(1, 2, 3)}));
    // Exchanging the first and third of four bytes keeps the fourth in place.
    SwapBytes(odd, 2, 1, 0, 3);
    EXPECT_EQ(Pixel(frame, 1, 3),
              (Bytes{Pattern(1, 3, 1), Pattern(1, 3, 0), Pattern(1, 3, 3), Pattern(1, 3, 2)}));
    EXPECT_EQ(Pixel(frame, 0, 1),
              (Bytes{Pattern(0, 1, 1), Pattern(0, 1, 0), Pattern(0, 1, 3), Pattern(0, 1, 2)}));
    EXPECT_EQ(Pixel(frame, 1, 2),
              (Bytes{Pattern(1, 2, 0), Pattern(1, 2, 1), Pattern(1, 2, 2), Pattern(1, 2, 3)}));
}

TEST(SwapBytes, RefusesBadRowsDepthsAndByteIndices) {
    pxImage image({3, 4}, 3);
    EXPECT_EQ(ThrownMessage([&] { SwapBytes(image, 2, 1, 0, 3, 3, 1); }),
              "SwapBytes: start is greater than end (3 1)");
    EXPECT_EQ(ThrownMessage([&] { SwapBytes(image, 2, 1, 0, 3, 4, -1); }),
              "SwapBytes: start is greater than or equal to height (4 4)");
    EXPECT_EQ(ThrownMessage([&] { SwapBytes(image, 2, 1, 0, 3, 0, 5); }),
              "SwapBytes: end is greater than height (5 4)");
    EXPECT_EQ(ThrownMessage([&] { SwapBytes(image, 3, 1, 0, 0); }),
              "SwapBytes: byte index out of range (3 1 0 0)");
    EXPECT_EQ(ThrownMessage([&] { SwapBytes(image, 0, -1, 0, 0); }),
              "SwapBytes: byte index out of range (0 -1 0 0)");
    EXPECT_EQ(ThrownMessage([&] { SwapBytes(image, 2, 1, 0, 99); }), ""); // b3 unused at 3 bytes

    pxImage deep({3, 4}, 4);
    EXPECT_EQ(ThrownMessage([&] { SwapBytes(deep, 0, 1, 2, 4); }),
              "SwapBytes: byte index out of range (0 1 2 4)");
    pxImage indexed({3, 4}, 1);
    EXPECT_EQ(ThrownMessage([&] { SwapBytes(indexed, 0, 0, 0, 0); }),
              "Called swapbytes when bytes per pixel = 1");
}

TEST(SwapBytes, RearrangesPaletteEntries) {
    pxPalette palette;
    palette[10] = {1, 2, 3, 4};
    palette[11] = {5, 6, 7, 8};
    SwapBytes(palette, 2, 1, 0, 3, 10, 11);
    EXPECT_EQ(palette[10], (pxColor{3, 2, 1, 4}));
    EXPECT_EQ(palette[11], (pxColor{5, 6, 7, 8}));
    SwapBytes(palette, 3, 0, 1, 2, -1, -1);
    EXPECT_EQ(palette[11], (pxColor{8, 5, 6, 7}));
    EXPECT_EQ(palette[255], (pxColor{0, 255, 255, 255}));

    EXPECT_EQ(ThrownMessage([&] { SwapBytes(palette, 2, 1, 0, 3, 5, 4); }),
              "SwapBytes: start is greater than end (5 4)");
    EXPECT_EQ(ThrownMessage([&] { SwapBytes(palette, 2, 1, 0, 3, 256, 256); }),
              "SwapBytes: start is greater than or equal to number of palette colors (256 256)");
    EXPECT_EQ(ThrownMessage([&] { SwapBytes(palette, 2, 1, 0, 3, 0, 300); }),
              "SwapBytes: end is greater than number of palette colors (300 256)");
    EXPECT_EQ(ThrownMessage([&] { SwapBytes(palette, 2, 1, 0, 4); }),
              "SwapBytes: byte index out of range (2 1 0 4)");
}

TEST(ConvertBPP, OneByteBecomesThePaletteColours) {
    pxImage indexed({3, 2}, 1);
    std::memset(indexed.GetPixels(), 0, 6);
    PixelAddress(indexed, 1, 0)[0] = 5;
    PixelAddress(indexed, 2, 1)[0] = 200;
    pxPalette palette;
    palette[5] = pxColor::Rgb(255, 0, 0);
    palette[200] = pxColor::Rgb(1, 2, 3);
    pxImage colour({3, 2}, 3, 4, 1);
    ConvertBPP(colour, indexed, palette, 3);
    EXPECT_EQ(Pixel(colour, 1, 0), (Bytes{0, 0, 255}));
    EXPECT_EQ(Pixel(colour, 2, 1), (Bytes{3, 2, 1}));
    EXPECT_EQ(Pixel(colour, 0, 0), (Bytes{0, 0, 0}));

    // Indices past the end of a short palette come out black.
    palette.SetCount(100);
    ConvertBPP(colour, indexed, palette, 3);
    EXPECT_EQ(Pixel(colour, 2, 1), (Bytes{0, 0, 0}));
    EXPECT_EQ(Pixel(colour, 1, 0), (Bytes{0, 0, 255}));
}

TEST(ConvertBPP, ThreeBytesAreQuantizedExactlyAndTheSourceKept) {
    pxImage colour({4, 3}, 3, 4, 1);
    const Bytes colours[] = {{0, 0, 0}, {255, 0, 0}, {10, 20, 30}, {200, 100, 50}};
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            std::memcpy(PixelAddress(colour, x, y), colours[(x + y) % 4].data(), 3);
    const std::vector<Bytes> before = RowsOf(colour);

    pxImage indexed({4, 3}, 1);
    pxPalette palette;
    ConvertBPP(indexed, colour, palette, 1);
    EXPECT_EQ(RowsOf(colour), before);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            const pxColor entry = palette[Pixel(indexed, x, y)[0]];
            EXPECT_EQ((Bytes{entry.blue, entry.green, entry.red}), Pixel(colour, x, y));
        }

    // Too many colours for the palette: refused, and the source is still blue, green, red.
    palette.SetCount(2);
    std::string error;
    EXPECT_EQ(
        LogOf([&] { error = ThrownMessage([&] { ConvertBPP(indexed, colour, palette, 1); }); }),
        "octTree::gen_colormap -- Problem generating colormap\n");
    EXPECT_EQ(error, "Problem generating colormap");
    EXPECT_EQ(RowsOf(colour), before);
}

TEST(ConvertBPP, RefusesWhatItCannotConvert) {
    pxPalette palette;
    pxImage indexed({2, 2}, 1), twoBytes({2, 2}, 2), colour({2, 2}, 3), deep({2, 2}, 4);
    EXPECT_EQ(ThrownMessage([&] { ConvertBPP(deep, indexed, palette, 4); }),
              "converting 1 to 4 not supported");
    EXPECT_EQ(ThrownMessage([&] { ConvertBPP(deep, colour, palette, 4); }),
              "converting 3 to 4 not supported");
    EXPECT_EQ(ThrownMessage([&] { ConvertBPP(colour, deep, palette, 3); }), "4 bpp not supported");
    std::string error;
    EXPECT_EQ(
        LogOf([&] { error = ThrownMessage([&] { ConvertBPP(colour, twoBytes, palette, 3); }); }),
        "ConvertBPP: Cannot handle 2 Bytes per Pixel images\n");
    EXPECT_EQ(error, "Cannot handle 2 Bytes per Pixel images");

    pxImage small({1, 2}, 3);
    EXPECT_EQ(ThrownMessage([&] { ConvertBPP(small, indexed, palette, 3); }),
              "ConvertBPP: destination (1x2, 3 bytes per pixel) does not match the source (2x2) "
              "converted to 3 bytes per pixel");
    EXPECT_EQ(ThrownMessage([&] { ConvertBPP(deep, indexed, palette, 3); }),
              "ConvertBPP: destination (2x2, 4 bytes per pixel) does not match the source (2x2) "
              "converted to 3 bytes per pixel");

    // The same depth is left alone.
    Paint(colour);
    const Bytes before = MemoryOf(colour);
    ConvertBPP(colour, deep, palette, 4);
    EXPECT_EQ(MemoryOf(colour), before);
}

TEST(ApplyLUT, RewritesEveryPixelOfTheView) {
    uint8_t reverse[256];
    for (int i = 0; i < 256; ++i)
        reverse[i] = static_cast<uint8_t>(255 - i);
    pxImage frame({3, 4}, 1, 4, 1);
    Paint(frame);
    const std::vector<Bytes> before = RowsOf(frame);
    pxImage even(frame, FIELD_EVEN, BOTTOMUP_INHERIT);
    ApplyLUT(even, reverse);
    EXPECT_EQ(Pixel(frame, 2, 2)[0], 255 - before[2][2]);
    EXPECT_EQ(Pixel(frame, 0, 0)[0], 255 - before[0][0]);
    EXPECT_EQ(RowsOf(frame)[1], before[1]);
    EXPECT_EQ(RowsOf(frame)[3], before[3]);

    pxImage colour({2, 2}, 3);
    EXPECT_EQ(ThrownMessage([&] { ApplyLUT(colour, reverse); }),
              "ApplyLUT: image must have 1 byte per pixel (3)");
}

TEST(RemapToPalette, FitsTheColoursBetweenTheSystemColours) {
    // 100 distinct colours fit: every pixel keeps its exact colour.
    pxPalette palette;
    for (int i = 0; i < 256; ++i)
        palette[i] = pxColor::Rgb(static_cast<uint8_t>(i % 100 * 2), 50, 200);
    pxImage image({16, 16}, 1);
    for (int i = 0; i < 256; ++i)
        image.GetPixels()[i] = static_cast<uint8_t>(i);
    const pxPalette original = palette;
    RemapToPalette(image, palette, 236, 10);
    for (int i = 0; i < 256; ++i) {
        const int index = image.GetPixels()[i];
        EXPECT_GE(index, 10);
        EXPECT_LT(index, 110);
        EXPECT_EQ(palette[index], original[i]) << i;
    }
    for (int i : {0, 7, 9, 246, 255})
        EXPECT_EQ(palette[i], pxPalette::SystemColour(i));

    // 256 grey levels: some neighbours share an entry, none drifts further.
    for (int i = 0; i < 256; ++i) {
        palette[i] =
            pxColor::Rgb(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i));
        image.GetPixels()[i] = static_cast<uint8_t>(i);
    }
    RemapToPalette(image, palette, 236, 10);
    for (int i = 0; i < 256; ++i) {
        const int index = image.GetPixels()[i];
        EXPECT_GE(index, 10);
        EXPECT_LT(index, 246);
        EXPECT_LE(std::abs(palette[index].red - i), 1) << i;
    }
}

TEST(RemapToPalette, RefusesWhatDoesNotFit) {
    pxPalette palette;
    pxImage colour({2, 2}, 3);
    EXPECT_EQ(ThrownMessage([&] { RemapToPalette(colour, palette, 236, 10); }),
              "RemapToPalette: image must have 1 byte per pixel (3)");
    pxImage image({2, 2}, 1);
    std::memset(image.GetPixels(), 3, 4);
    EXPECT_EQ(ThrownMessage([&] { RemapToPalette(image, palette, 4, 10); }),
              "octTree: cannot reduce to fewer than 8 colours (4)");
    for (int i = 0; i < 256; ++i)
        palette[i] = pxColor::Rgb(static_cast<uint8_t>(i), 0, 0);
    std::string error;
    LogOf([&] { error = ThrownMessage([&] { RemapToPalette(image, palette, 236, 100); }); });
    EXPECT_EQ(error, "Problem generating colormap");
    EXPECT_EQ(image.GetPixels()[0], 3);
    EXPECT_EQ(palette[3], pxColor::Rgb(3, 0, 0));
    palette.SetCount(16);
    EXPECT_EQ(ThrownMessage([&] { RemapToPalette(image, palette, 236, 10); }),
              "RemapToPalette: palette must have 256 colours (16)");
}

TEST(FlipVert, TurnsTheSourceUpsideDown) {
    pxImage source({3, 4}, 3);
    Paint(source);
    const std::vector<Bytes> rows = RowsOf(source);
    const std::vector<Bytes> flipped{rows[3], rows[2], rows[1], rows[0]};
    pxImage destination({3, 4}, 3, 4, 1);
    flip_vert(destination, source);
    EXPECT_EQ(RowsOf(destination), flipped);

    // In place, with an odd height whose middle row stays.
    pxImage image({3, 5}, 1);
    Paint(image);
    const std::vector<Bytes> before = RowsOf(image);
    flip_vert(image, image);
    EXPECT_EQ(RowsOf(image),
              (std::vector<Bytes>{before[4], before[3], before[2], before[1], before[0]}));

    // Overlapping views one row apart.
    Paint(image);
    pxImage top(image, {0, 0, 3, 4}), bottom(image, {0, 1, 3, 4});
    flip_vert(bottom, top);
    EXPECT_EQ(RowsOf(image),
              (std::vector<Bytes>{before[0], before[3], before[2], before[1], before[0]}));
}

TEST(FlipVert, RefusesMismatchedOrUnsupportedImages) {
    pxImage a({3, 4}, 1), b({3, 5}, 1), colour({3, 4}, 3), twoA({3, 4}, 2), twoB({3, 4}, 2);
    EXPECT_EQ(ThrownMessage([&] { flip_vert(a, b); }),
              "flip_vert: Destination image (3x4) and Source image (3x5) are not the same size");
    EXPECT_EQ(ThrownMessage([&] { flip_vert(a, colour); }),
              "flip_vert: Destination (8) and Source (24) color depths must match!");
    EXPECT_EQ(ThrownMessage([&] { flip_vert(twoA, twoB); }),
              "flip_vert: Unsupported color depth: 2");
}
