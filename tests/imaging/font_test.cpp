#include "imaging/font.h"

#include "imaging/pxerror.h"
#include "imaging/pximage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr uint8_t kBackground = 0xEE;

pxImage Blank(int32_t width, int32_t height, int32_t bytesPerPixel) {
    pxImage image({width, height}, bytesPerPixel);
    for (int32_t y = 0; y < height; ++y)
        std::memset(image.Row(y), kBackground, static_cast<size_t>(width * bytesPerPixel));
    return image;
}

bool GlyphPixel(unsigned char character, int32_t x, int32_t y) {
    return pxFontImage().Row(character * kCharHeight + y)[x] != 0;
}

// The 8 x 16 cell at (left, top) of a 1-byte image shows character in colour
// over the untouched background.
::testing::AssertionResult ShowsGlyph(const pxImage& image, int32_t left, int32_t top,
                                      unsigned char character, uint8_t colour) {
    for (int32_t y = 0; y < kCharHeight; ++y)
        for (int32_t x = 0; x < kCharWidth; ++x) {
            const uint8_t expected = GlyphPixel(character, x, y) ? colour : kBackground;
            const uint8_t actual = image.Row(top + y)[left + x];
            if (actual != expected)
                return ::testing::AssertionFailure()
                       << "'" << character << "' pixel " << x << "," << y << " is " << int(actual)
                       << ", expected " << int(expected);
        }
    return ::testing::AssertionSuccess();
}

int CountSet(unsigned char character) {
    int set = 0;
    for (int32_t y = 0; y < kCharHeight; ++y)
        for (int32_t x = 0; x < kCharWidth; ++x)
            set += GlyphPixel(character, x, y);
    return set;
}

} // namespace

TEST(Font, ImageHoldsOneCellPerCharacter) {
    const pxImage& font = pxFontImage();
    EXPECT_EQ(font.GetWidth(), 8);
    EXPECT_EQ(font.GetHeight(), 4096);
    EXPECT_EQ(font.GetBytesPerPixel(), 1);
    for (int32_t y = 0; y < font.GetHeight(); ++y)
        for (int32_t x = 0; x < font.GetWidth(); ++x)
            ASSERT_LE(font.Row(y)[x], 1) << x << "," << y;
    EXPECT_EQ(CountSet(' '), 0);
    EXPECT_GT(CountSet('M'), 20);
}

TEST(Font, ColourCodesChangeTheColourAndAreNotDrawn) {
    pxImage image = Blank(64, 16, 1);
    DrawText(image, {0, 0}, "^Rhi ^wyo", 9);
    EXPECT_TRUE(ShowsGlyph(image, 0, 0, 'h', 1));
    EXPECT_TRUE(ShowsGlyph(image, 8, 0, 'i', 1));
    EXPECT_TRUE(ShowsGlyph(image, 16, 0, ' ', 1));
    EXPECT_TRUE(ShowsGlyph(image, 24, 0, 'y', 255));
    EXPECT_TRUE(ShowsGlyph(image, 32, 0, 'o', 255));
    EXPECT_TRUE(ShowsGlyph(image, 40, 0, ' ', 0));

    image = Blank(64, 16, 1);
    DrawText(image, {0, 0}, "a^^b^q^", 9);
    const char drawn[] = "a^b^q^";
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(ShowsGlyph(image, 8 * i, 0, drawn[i], 9)) << i;
    EXPECT_TRUE(ShowsGlyph(image, 48, 0, ' ', 0));

    const char letters[] = "kRGYBMCWKrgybmcw";
    const int indices[] = {0, 1, 2, 3, 4, 5, 6, 7, 248, 249, 250, 251, 252, 253, 254, 255};
    for (int i = 0; i < 16; ++i) {
        image = Blank(8, 16, 1);
        DrawText(image, {0, 0}, (std::string("^") + letters[i] + "M").c_str(), 9);
        EXPECT_TRUE(ShowsGlyph(image, 0, 0, 'M', static_cast<uint8_t>(indices[i]))) << letters[i];
    }
}

TEST(Font, DeeperImagesTakeTheDefaultPaletteColour) {
    for (const int32_t depth : {3, 4}) {
        pxImage image = Blank(16, 16, depth);
        DrawText(image, {0, 0}, "M^rM", 2);
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 16; ++x) {
                const uint8_t* pixel = image.Row(y) + x * depth;
                std::string expected(static_cast<size_t>(depth), char(kBackground));
                if (GlyphPixel('M', x % 8, y)) // index 2 is green 128, 249 red 255
                    expected = x < 8 ? std::string("\x00\x80\x00\x00", depth)
                                     : std::string("\x00\x00\xff\x00", depth);
                EXPECT_EQ(std::string(reinterpret_cast<const char*>(pixel), depth), expected)
                    << "depth " << depth << " at " << x << "," << y;
            }
    }
}

TEST(Font, TextIsClippedToTheImage) {
    // A 16 x 16 view in the middle of a 48 x 48 picture: the frame around it
    // must stay untouched whatever the text's position.
    pxImage canvas = Blank(48, 48, 1);
    pxImage view(canvas, px2Rect{16, 16, 16, 16});
    const px2Pnt points[] = {{-4, -8},
                             {12, 8},
                             {-1000, 0},
                             {0, 1000},
                             {std::numeric_limits<int32_t>::min(), -5},
                             {std::numeric_limits<int32_t>::max(), 0},
                             {-7, std::numeric_limits<int32_t>::min()}};
    for (const px2Pnt point : points)
        DrawText(view, point, "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM", 1);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 48; ++x) {
            const bool inView = x >= 16 && x < 32 && y >= 16 && y < 32;
            if (!inView) {
                ASSERT_EQ(canvas.Row(y)[x], kBackground) << x << "," << y;
            }
        }

    // The part of a glyph that lies inside is drawn exactly.
    pxImage image = Blank(8, 16, 1);
    DrawText(image, {-3, 5}, "MM", 4);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            const int32_t column = (x + 3) % 8;
            const bool set = y >= 5 && GlyphPixel('M', column, y - 5);
            EXPECT_EQ(image.Row(y)[x], set ? 4 : kBackground) << x << "," << y;
        }
}

TEST(Font, OddImagesAndTextsAreRefusedOrIgnored) {
    pxImage twoBytes({8, 16}, 2);
    try {
        DrawText(twoBytes, {0, 0}, "M", 1);
        FAIL() << "2-byte image accepted";
    } catch (const pxError& e) {
        EXPECT_STREQ(e.GetMessage(), "DrawText: Invalid image bpp (2).");
    }
    pxImage virtualView;
    virtualView.SetVirtual({8, 16}, {0, 0, 8, 16}, 1, FIELD_BOTH, 0);
    try {
        DrawText(virtualView, {0, 0}, "M", 1);
        FAIL() << "view without pixels accepted";
    } catch (const pxError& e) {
        EXPECT_STREQ(e.GetMessage(), "DrawText: the image's view lies outside its pixel memory");
    }
    // An empty image is left alone, though its depth (0) is none of the drawable ones.
    pxImage empty;
    EXPECT_NO_THROW(DrawText(empty, {0, 0}, "M", 1));
    pxImage image = Blank(8, 16, 1);
    DrawText(image, {0, 0}, nullptr, 1);
    EXPECT_TRUE(ShowsGlyph(image, 0, 0, ' ', 1));
}

TEST(Font, TextExtentCountsWhatIsDrawn) {
    EXPECT_EQ(TextExtent("^Rab").width, 16);
    EXPECT_EQ(TextExtent("^Rab").height, 16);
    EXPECT_EQ(TextExtent("a^^b").width, 24);
    EXPECT_EQ(TextExtent("^q").width, 16);
    EXPECT_EQ(TextExtent("%s", "").width, 0);
    EXPECT_EQ(TextExtent("%d%%", 123).width, 32);
    const std::string longText(300, 'x');
    EXPECT_EQ(TextExtent("%s", longText.c_str()).width, 255 * 8);
}
