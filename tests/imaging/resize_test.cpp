#include "imaging/resize.h"

#include "imaging/pxerror.h"
#include "imaging/pximage.h"
#include "support/thrownmessage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr uint8_t kUntouched = 0xEE;

// Pixel (x, y) of a 3-byte picture holds (x, y, 7); of a 1-byte one 16y + x.
pxImage Numbered(int32_t width, int32_t height, int32_t bytesPerPixel, int32_t bottomUp = 0) {
    pxImage image({width, height}, bytesPerPixel, 1, bottomUp);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = image.Row(y) + x * bytesPerPixel;
            if (bytesPerPixel == 1) {
                pixel[0] = static_cast<uint8_t>(16 * y + x);
            } else {
                pixel[0] = static_cast<uint8_t>(x);
                pixel[1] = static_cast<uint8_t>(y);
                pixel[2] = 7;
            }
        }
    return image;
}

pxImage Blank(int32_t width, int32_t height, int32_t bytesPerPixel) {
    pxImage image({width, height}, bytesPerPixel);
    for (int32_t y = 0; y < height; ++y)
        std::memset(image.Row(y), kUntouched, static_cast<size_t>(width * bytesPerPixel));
    return image;
}

// The source pixel a destination pixel came from, or (-1, -1) if untouched.
std::pair<int, int> Origin(const pxImage& image, int32_t x, int32_t y) {
    const uint8_t* pixel = image.Row(y) + x * image.GetBytesPerPixel();
    if (pixel[0] == kUntouched)
        return {-1, -1};
    if (image.GetBytesPerPixel() == 1)
        return {pixel[0] % 16, pixel[0] / 16};
    return {pixel[0], pixel[1]};
}

bool AllUntouched(const pxImage& image) {
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            if (Origin(image, x, y).first != -1)
                return false;
    return true;
}

// Mismatched row sizes are logged: keep that out of the working directory.
class ResizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = std::filesystem::temp_directory_path() /
                  ("binoxa-resize-" + std::to_string(::getpid()) + ".log");
        std::filesystem::remove(logPath);
        pxSetLogName(logPath.c_str());
    }
    void TearDown() override {
        pxSetLogName(nullptr);
        std::filesystem::remove(logPath);
    }
    std::string Log() const {
        std::ifstream in(logPath, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::filesystem::path logPath;
};

} // namespace

TEST_F(ResizeTest, FactorTwoMakesBlocksAndHalfKeepsEvenPixels) {
    const pxImage source = Numbered(4, 2, 3);
    pxImage doubled = Blank(8, 4, 3);
    ResizeDDA(doubled, source, 2.0, 2.0, {0, 0});
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(Origin(doubled, x, y), std::make_pair(x / 2, y / 2)) << x << "," << y;

    // Five pixels at 0.5 keep 0, 2 and 4: one more than the scaled width 2.
    const pxImage row = Numbered(5, 1, 3);
    pxImage halved = Blank(4, 1, 3);
    ResizeDDA(halved, row, 0.5, 1.0, {0, 0});
    EXPECT_EQ(Origin(halved, 0, 0), std::make_pair(0, 0));
    EXPECT_EQ(Origin(halved, 1, 0), std::make_pair(2, 0));
    EXPECT_EQ(Origin(halved, 2, 0), std::make_pair(4, 0));
    EXPECT_EQ(Origin(halved, 3, 0).first, -1);

    // Factors that scale a side to nothing still keep the first pixel and row.
    pxImage tall = Blank(2, 3, 3);
    ResizeDDA(tall, Numbered(1, 2, 3), 0.5, 1.0, {1, 0});
    EXPECT_EQ(Origin(tall, 1, 0), std::make_pair(0, 0));
    EXPECT_EQ(Origin(tall, 1, 1), std::make_pair(0, 1));
    EXPECT_EQ(Origin(tall, 0, 0).first, -1);
    EXPECT_EQ(Origin(tall, 1, 2).first, -1);
    pxImage dot = Blank(3, 2, 3);
    ResizeDDA(dot, Numbered(4, 4, 3), 0.2, 1e-9, {0, 0});
    EXPECT_EQ(Origin(dot, 0, 0), std::make_pair(0, 0));
    EXPECT_EQ(Origin(dot, 1, 0).first, -1);
    EXPECT_EQ(Origin(dot, 0, 1).first, -1);
    // At the destination's very edge nothing fits, and nothing is written.
    ResizeDDA(dot, Numbered(4, 4, 3), 0.2, 0.2, {3, 2});
    EXPECT_EQ(Origin(dot, 2, 1).first, -1);
}

TEST_F(ResizeTest, HalfWidthKeepsEveryRowAtBothDepths) {
    for (const int32_t depth : {1, 3}) {
        const pxImage source = Numbered(6, 3, depth, /*bottomUp=*/1);
        pxImage squeezed = Blank(3, 3, depth);
        ResizeDDA(squeezed, source, 0.5, 1.0, {0, 0});
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 3; ++x)
                EXPECT_EQ(Origin(squeezed, x, y), std::make_pair(2 * x, y))
                    << "depth " << depth << " at " << x << "," << y;
    }

    // The one-factor form scales both directions.
    pxImage both = Blank(3, 2, 1);
    ResizeDDA_1(both, Numbered(6, 3, 1), 0.5, {0, 0});
    EXPECT_EQ(Origin(both, 2, 1), std::make_pair(4, 2));
}

TEST_F(ResizeTest, RowsStopAtTheDestinationEdgesAwayFromTheOrigin) {
    // A 7 x 5 destination view inside a larger picture: anything written
    // beside or below the view would show in the picture around it.
    pxImage canvas = Blank(9, 7, 3);
    pxImage destination(canvas, px2Rect{1, 1, 7, 5});

    // Five pixels and rows at 0.5 give three of each, the scaled size is 2 x 2;
    // at (5, 3) only two of each fit.
    ResizeDDA(destination, Numbered(5, 5, 3), 0.5, 0.5, {5, 3});
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 9; ++x) {
            const bool inside = x >= 6 && x < 8 && y >= 4 && y < 6;
            const auto expected =
                inside ? std::make_pair(2 * (x - 6), 2 * (y - 4)) : std::make_pair(-1, -1);
            EXPECT_EQ(Origin(canvas, x, y), expected) << x << "," << y;
        }

    // Factor 3 steps by 333/1000 and so repeats the first pixel four times:
    // seven pixels for a scaled width of 6.
    pxImage strip = Blank(8, 3, 1);
    pxImage six(strip, px2Rect{0, 0, 6, 3});
    ResizeDDA_1(six, Numbered(2, 1, 1), 3.0, {0, 0});
    const int expected[8] = {0, 0, 0, 0, 1, 1, -1, -1};
    for (int32_t x = 0; x < 8; ++x)
        EXPECT_EQ(Origin(strip, x, 0).first, expected[x]) << x;
}

TEST_F(ResizeTest, RefusalsComeBeforeAnyWrite) {
    const pxImage source = Numbered(4, 2, 3);
    pxImage destination = Blank(8, 4, 3);
    EXPECT_EQ(ThrownMessage([&] {
                  ResizeDDA(destination, source, 2.0, 2.0, {1, 0});
              }),
              "ResizeDDA: src (4x2 z(8x4)) at center pnt (1,0) would exceed dest (8x4)");
    EXPECT_EQ(ThrownMessage([&] {
                  ResizeDDA(destination, source, 2.0, 2.0, {0, 1});
              }),
              "ResizeDDA: src (4x2 z(8x4)) at center pnt (0,1) would exceed dest (8x4)");
    EXPECT_EQ(ThrownMessage([&] {
                  ResizeDDA(destination, source, 1.0, 1.0, {-1, 0});
              }),
              "ResizeDDA: src (4x2 z(4x2)) at center pnt (-1,0) would exceed dest (8x4)");
    EXPECT_EQ(ThrownMessage([&] {
                  ResizeDDA(destination, source, 1.0, 1.0, {0, -1});
              }),
              "ResizeDDA: src (4x2 z(4x2)) at center pnt (0,-1) would exceed dest (8x4)");
    EXPECT_EQ(
        ThrownMessage([&] {
            ResizeDDA(destination, source, 1.0, 1.0, {std::numeric_limits<int32_t>::max(), 0});
        }),
        "ResizeDDA: src (4x2 z(4x2)) at center pnt (2147483647,0) would exceed dest (8x4)");

    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, double> badFactors[] = {
        {0.0, 1.0}, {1.0, -2.0}, {nan, 1.0}, {1.0, inf}, {1e300, 1.0}};
    for (const auto& [x, y] : badFactors) {
        char expected[512];
        std::snprintf(expected, sizeof expected, "ResizeDDA: bad zoom (%f x %f) for src (4x2)", x,
                      y);
        EXPECT_EQ(ThrownMessage([&] { ResizeDDA(destination, source, x, y, {0, 0}); }), expected);
    }

    pxImage grey = Blank(8, 4, 1);
    EXPECT_EQ(ThrownMessage([&] {
                  ResizeDDA(grey, source, 1.0, 1.0, {0, 0});
              }),
              "Color depths don't match (3 1) in ResizeDDA");
    pxImage deep = Blank(8, 4, 4);
    EXPECT_EQ(ThrownMessage([&] {
                  ResizeDDA(deep, Numbered(4, 2, 4), 1.0, 1.0, {0, 0});
              }),
              "Invalid color depth (4) in ResizeDDA");
    EXPECT_EQ(ThrownMessage([&] {
                  ResizeDDA_1(destination, source, 1.0, {0, 0});
              }),
              "Invalid color depth (3) in ResizeDDA");
    EXPECT_EQ(ThrownMessage([&] {
                  ResizeDDA_3(grey, Numbered(4, 2, 1), 1.0, 1.0, {0, 0});
              }),
              "Invalid color depth (1) in ResizeDDA");

    pxImage virtualView;
    virtualView.SetVirtual({8, 4}, {0, 0, 8, 4}, 3, FIELD_BOTH, 0);
    EXPECT_EQ(ThrownMessage([&] {
                  ResizeDDA(virtualView, source, 1.0, 1.0, {0, 0});
              }),
              "ResizeDDA: the image's view lies outside its pixel memory");
    EXPECT_EQ(ThrownMessage([&] {
                  ResizeDDA(destination, pxImage(), 1.0, 1.0, {0, 0});
              }),
              "Color depths don't match (0 3) in ResizeDDA");

    EXPECT_TRUE(AllUntouched(destination));
    EXPECT_TRUE(AllUntouched(grey));
}

TEST_F(ResizeTest, HugeFactorsStayInsideTheDestination) {
    // 1000/2000 truncates to a step of 0: the first pixel and row fill everything.
    pxImage destination = Blank(2000, 3, 1);
    ResizeDDA(destination, Numbered(1, 1, 1), 2000.0, 3.0, {0, 0});
    EXPECT_EQ(Origin(destination, 1999, 2), std::make_pair(0, 0));
}

TEST_F(ResizeTest, MismatchedRowsAreLoggedOnly) {
    pxImage exact = Blank(8, 4, 3);
    ResizeDDA(exact, Numbered(4, 2, 3), 2.0, 2.0, {0, 0});
    pxImage onePixelMore = Blank(9, 4, 1);
    ResizeDDA(onePixelMore, Numbered(4, 2, 1), 2.0, 2.0, {0, 0});
    EXPECT_EQ(Log(), "");

    const std::string stars(62, '*');
    pxImage wide = Blank(10, 4, 3);
    ResizeDDA(wide, Numbered(4, 2, 3), 2.0, 1.5, {1, 0});
    pxImage wideGrey = Blank(12, 4, 1);
    ResizeDDA_1(wideGrey, Numbered(4, 2, 1), 2.0, {0, 0});
    EXPECT_EQ(Log(), "\n" + stars +
                         "\nResizeDDA_3:\n\tresizing 4x2 to 10x4 (30)  xzoom=2.000000  "
                         "yzoom=1.500000\n\tWARNING: line_len=25   dst_bpr=30\n" +
                         stars + "\n\n" + "\n" + stars +
                         "\nResizeDDA_1:\n\tresizing 4x2 to 12x4 (12)  zoom=2.000000\n\t"
                         "WARNING: line_len=9   dst_bpr=12\n" +
                         stars + "\n\n");
    EXPECT_EQ(Origin(wide, 8, 2), std::make_pair(3, 1));
}
