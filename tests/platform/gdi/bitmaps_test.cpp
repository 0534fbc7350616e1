#include "gdi_test_support.h"

#include "platform/gdi/bitmaps.h"

#include <gtest/gtest.h>

#include <vector>

using namespace win;
using gdi_test::FrameDC;

namespace {

TEST(Bitmaps, MemoryContextsDrawOnTheSelectedBitmapAndBitBltCopiesClipped) {
    FrameDC window(6, 5, 32, 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            *reinterpret_cast<std::uint32_t*>(window.frame.Row(y) + x * 4) = 0x100 * y + x;

    const HDC memory = CreateCompatibleDC(window.dc);
    ASSERT_NE(memory, nullptr);
    const HBITMAP bitmap = CreateCompatibleBitmap(window.dc, 4, 3);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(window.dc, 0, 3), nullptr);
    BITMAP size{};
    ASSERT_EQ(GetObject(bitmap, sizeof size, &size), static_cast<int>(sizeof size));
    EXPECT_EQ(size.bmWidth, 4);
    EXPECT_EQ(size.bmHeight, 3);
    EXPECT_EQ(size.bmBitsPixel, 32);
    EXPECT_EQ(size.bmWidthBytes, 16);

    const HGDIOBJ stock = SelectObject(memory, bitmap);
    ASSERT_NE(stock, nullptr);
    // Selected, it can be neither deleted nor selected elsewhere; window
    // contexts take no bitmaps.
    EXPECT_FALSE(DeleteObject(bitmap));
    const HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    EXPECT_EQ(SelectObject(window.dc, bitmap), nullptr);
    EXPECT_TRUE(DeleteDC(other));

    // (3, 2) of the window, 4 x 3, sticks out to the right and bottom.
    EXPECT_TRUE(BitBlt(memory, 0, 0, 4, 3, window.dc, 3, 2, SRCCOPY));
    EXPECT_FALSE(BitBlt(memory, 0, 0, 4, 3, window.dc, 3, 2, 0x00EE0086));
    std::vector<std::uint32_t> bits(12);
    ASSERT_EQ(GetBitmapBits(bitmap, 48, bits.data()), 48);
    const std::vector<std::uint32_t> expected = {0x203, 0x204, 0x205, 0,     0x303, 0x304,
                                                 0x305, 0,     0x403, 0x404, 0x405, 0};
    EXPECT_EQ(bits, expected);

    // Back, to a negative destination: only what lands inside is drawn.
    EXPECT_TRUE(BitBlt(window.dc, -1, 0, 4, 3, memory, 0, 0, SRCCOPY));
    EXPECT_EQ(window.Raw(0, 0), 0x204u);
    EXPECT_EQ(window.Raw(1, 0), 0x205u);
    EXPECT_EQ(window.Raw(2, 0), 0u);
    EXPECT_EQ(window.Raw(3, 0), 0x3u);

    // Into another depth each pixel keeps its colour.
    FrameDC deep(2, 1, 24, 0);
    EXPECT_TRUE(BitBlt(deep.dc, 0, 0, 2, 1, memory, 0, 0, SRCCOPY));
    EXPECT_EQ(deep.Raw(0, 0), 0x000203u);
    EXPECT_EQ(deep.Raw(1, 0), 0x000204u);

    EXPECT_EQ(SelectObject(memory, stock), reinterpret_cast<HGDIOBJ>(bitmap));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_FALSE(DeleteDC(memory));
}

TEST(Bitmaps, ScrollDCMovesPixelsInsideTheRectangleOnly) {
    for (const int depth : {8, 16, 24, 32}) {
        FrameDC target(4, 6, depth, 0);
        const int bytes = depth / 8;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 4; ++x)
                target.frame.Row(y)[x * bytes] = static_cast<std::uint8_t>(16 * y + x);
        const RECT area{1, 1, 3, 5};
        RECT uncovered;
        ASSERT_TRUE(ScrollDC(target.dc, 0, -1, &area, &area, nullptr, &uncovered));
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 4; ++x) {
                const bool inside = x >= 1 && x < 3 && y >= 1 && y < 4;
                const int from = inside ? 16 * (y + 1) + x : 16 * y + x;
                EXPECT_EQ(target.frame.Row(y)[x * bytes], from)
                    << depth << " bits at " << x << "," << y;
            }
        EXPECT_EQ(uncovered.top, 4);
        EXPECT_EQ(uncovered.bottom, 5);
        EXPECT_EQ(uncovered.left, 1);
        EXPECT_EQ(uncovered.right, 3);
        // Down by two, overlapping itself.
        ASSERT_TRUE(ScrollDC(target.dc, 0, 2, &area, nullptr, nullptr, nullptr));
        EXPECT_EQ(target.frame.Row(3)[1 * bytes], 16 * 2 + 1);
        EXPECT_EQ(target.frame.Row(4)[2 * bytes], 16 * 3 + 2);
        EXPECT_EQ(target.frame.Row(0)[1 * bytes], 1);
    }
}

} // namespace
