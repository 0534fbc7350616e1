#include "gdi_test_support.h"

#include "platform/gdi/font.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

using namespace win;
using gdi_test::FrameDC;

namespace {

bool GlyphSet(char character, int x, int y) {
    return (internal::GlyphRows(static_cast<unsigned char>(character))[y] >> (7 - x)) & 1;
}

TEST(Text, ExtentIsWhatTextOutCovers) {
    FrameDC target(40, 20, 32, 0x11);
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32(target.dc, "Hi!", 3, &size));
    EXPECT_EQ(size.cx, 24);
    EXPECT_EQ(size.cy, 16);
    EXPECT_EQ(SetTextColor(target.dc, RGB(255, 0, 0)), RGB(0, 0, 0)) << "black at first";
    EXPECT_EQ(SetBkColor(target.dc, RGB(0, 0, 200)), RGB(255, 255, 255)) << "white at first";
    EXPECT_EQ(SetBkMode(target.dc, OPAQUE), OPAQUE) << "opaque at first";
    ASSERT_TRUE(TextOut(target.dc, 3, 2, "Hi!", 3));

    int glyphPixels = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 3 && x < 3 + size.cx && y >= 2 && y < 2 + size.cy;
            std::uint32_t expected = 0x11111111;
            if (inside) {
                const bool set = GlyphSet("Hi!"[(x - 3) / 8], (x - 3) % 8, y - 2);
                glyphPixels += set;
                expected = set ? 0xFF0000 : 0x0000C8;
            }
            EXPECT_EQ(target.Raw(x, y), expected) << x << "," << y;
        }
    EXPECT_GT(glyphPixels, 20) << "the font has real glyphs";

    EXPECT_TRUE(GetTextExtentPoint32(target.dc, "", 0, &size));
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 16);
    EXPECT_FALSE(GetTextExtentPoint32(target.dc, "x", -1, &size));
    EXPECT_FALSE(GetTextExtentPoint32(target.dc, "x", 1, nullptr));
    EXPECT_FALSE(GetTextExtentPoint32(nullptr, "x", 1, &size));
}

TEST(Text, TransparentModeLeavesTheBackground) {
    FrameDC target(16, 16, 24, 0x22);
    EXPECT_EQ(SetBkMode(target.dc, TRANSPARENT), OPAQUE);
    SetTextColor(target.dc, RGB(1, 2, 3));
    ASSERT_TRUE(TextOut(target.dc, 0, 0, "Ag", 2));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(target.Raw(x, y), GlyphSet("Ag"[x / 8], x % 8, y) ? 0x010203u : 0x222222u)
                << x << "," << y;
    EXPECT_EQ(SetBkMode(target.dc, 3), 0) << "no such mode";
    EXPECT_EQ(SetBkMode(target.dc, OPAQUE), TRANSPARENT);
}

TEST(Text, ColoursOnAnEightBitFrameAreSystemPaletteIndices) {
    gdi_test::ResetSystemPalette();
    FrameDC target(8, 16, 8, 0x33);
    SetTextColor(target.dc, RGB(0, 255, 0));
    SetBkColor(target.dc, RGB(0, 0, 0));
    ASSERT_TRUE(TextOut(target.dc, 0, 0, "W", 1));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(target.Raw(x, y), GlyphSet('W', x, y) ? 250u : 0u) << x << "," << y;
}

// Cells partly or wholly off the frame are cut, whatever the position.
TEST(Text, ClipsToTheFrame) {
    const char* text = "Clip me";
    const int length = static_cast<int>(std::strlen(text));
    FrameDC reference(60 + 80, 16 + 60, 32, 0);
    TextOut(reference.dc, 30, 30, text, length);
    const POINT places[] = {{-5, -3}, {-20, 0}, {50, 10}, {0, 12}, {-60, -20}, {10, -15}};
    for (const POINT at : places) {
        FrameDC target(60, 16, 32, 0);
        ASSERT_TRUE(TextOut(target.dc, at.x, at.y, text, length));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 60; ++x) {
                const int rx = x - at.x + 30;
                const int ry = y - at.y + 30;
                const bool onReference =
                    rx >= 0 && rx < reference.frame.width && ry >= 0 && ry < reference.frame.height;
                EXPECT_EQ(target.Raw(x, y), onReference ? reference.Raw(rx, ry) : 0u)
                    << "at " << at.x << "," << at.y << ": " << x << "," << y;
            }
    }
    FrameDC target(8, 8, 32, 0);
    EXPECT_TRUE(TextOut(target.dc, INT_MIN, INT_MIN, text, length));
    EXPECT_TRUE(TextOut(target.dc, INT_MAX, INT_MAX, text, length));
    EXPECT_TRUE(TextOut(target.dc, -8 * length, 0, text, length));
    EXPECT_FALSE(TextOut(target.dc, 0, 0, text, -1));
    EXPECT_FALSE(TextOut(target.dc, 0, 0, nullptr, 1));
    EXPECT_FALSE(TextOut(nullptr, 0, 0, text, 1));
    for (const std::uint8_t byte : target.frame.pixels)
        EXPECT_EQ(byte, 0);
}

} // namespace
