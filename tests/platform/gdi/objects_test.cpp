#include "gdi_test_support.h"

#include "platform/display/adapter.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using namespace win;
using gdi_test::FrameDC;

namespace {

HBRUSH Stock(int which) {
    return reinterpret_cast<HBRUSH>(GetStockObject(which));
}

TEST(Brushes, FillRectInEveryDepth) {
    gdi_test::ResetSystemPalette();
    struct Case {
        HBRUSH brush;
        COLORREF colour;
        std::uint32_t index; // on an 8-bit frame
    };
    const HBRUSH own = CreateSolidBrush(RGB(0, 0, 255));
    const Case cases[] = {
        {Stock(WHITE_BRUSH), RGB(255, 255, 255), 255}, {Stock(BLACK_BRUSH), RGB(0, 0, 0), 0},
        {Stock(LTGRAY_BRUSH), RGB(192, 192, 192), 7},  {Stock(GRAY_BRUSH), RGB(128, 128, 128), 248},
        {Stock(DKGRAY_BRUSH), RGB(64, 64, 64), 0},     {own, RGB(0, 0, 255), 252}};
    for (const int depth : {8, 16, 24, 32})
        for (const Case& c : cases) {
            FrameDC target(5, 4, depth, 0x5A);
            const FrameDC untouched(5, 4, depth, 0x5A);
            const RECT rect{1, 1, 4, 3};
            ASSERT_NE(FillRect(target.dc, &rect, c.brush), 0);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 5; ++x) {
                    const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
                    const std::uint32_t filled =
                        depth == 8 ? c.index : gdi_test::Packed(c.colour, depth);
                    EXPECT_EQ(target.Raw(x, y), inside ? filled : untouched.Raw(x, y))
                        << depth << " bits, " << x << "," << y;
                }
        }
    EXPECT_TRUE(DeleteObject(own));
}

TEST(Brushes, FillRectClipsAndRefuses) {
    FrameDC target(4, 3, 32, 0);
    const RECT rects[] = {{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                          {-5, -5, 2, 1},
                          {3, 2, 100, 100},
                          {3, 1, 1, 2},
                          {10, 10, 20, 20}};
    const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    for (const RECT& rect : rects)
        EXPECT_NE(FillRect(target.dc, &rect, red), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(target.Raw(x, y), 0xFF0000u);

    FrameDC clear(2, 2, 32, 0);
    const RECT all{0, 0, 2, 2};
    EXPECT_NE(FillRect(clear.dc, &all, Stock(NULL_BRUSH)), 0) << "fills nothing";
    EXPECT_EQ(clear.Raw(0, 0), 0u);
    EXPECT_EQ(FillRect(clear.dc, nullptr, red), 0);
    EXPECT_EQ(FillRect(nullptr, &all, red), 0);
    EXPECT_EQ(FillRect(clear.dc, &all, nullptr), 0);
    EXPECT_EQ(FillRect(clear.dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(DEFAULT_PALETTE))),
              0);
    DeleteObject(red);
    EXPECT_EQ(FillRect(clear.dc, &all, red), 0) << "deleted";
    EXPECT_EQ(clear.Raw(0, 0), 0u);
}

TEST(Objects, SelectAndDelete) {
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_NE(GetStockObject(WHITE_BRUSH), GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(GetStockObject(HOLLOW_BRUSH), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetStockObject(6), nullptr) << "no pens";
    EXPECT_EQ(GetStockObject(-1), nullptr);

    FrameDC target(1, 1, 32);
    const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(SelectObject(target.dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_FALSE(DeleteObject(brush)) << "still selected";
    EXPECT_EQ(SelectObject(target.dc, Stock(BLACK_BRUSH)), reinterpret_cast<HGDIOBJ>(brush));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(brush)) << "already deleted";
    EXPECT_EQ(SelectObject(target.dc, brush), nullptr);
    EXPECT_EQ(SelectObject(target.dc, GetStockObject(DEFAULT_PALETTE)), nullptr)
        << "palettes go through SelectPalette";
    EXPECT_EQ(SelectObject(nullptr, Stock(BLACK_BRUSH)), nullptr);
    EXPECT_TRUE(DeleteObject(Stock(BLACK_BRUSH))) << "stock objects stay";
    const RECT all{0, 0, 1, 1};
    EXPECT_NE(FillRect(target.dc, &all, Stock(BLACK_BRUSH)), 0);
    EXPECT_EQ(target.Raw(0, 0), 0u);

    // Deleting a device context deselects what it held.
    const HBRUSH held = CreateSolidBrush(RGB(4, 5, 6));
    {
        FrameDC scratch(1, 1, 32);
        SelectObject(scratch.dc, held);
    }
    EXPECT_TRUE(DeleteObject(held));
}

TEST(DeviceCaps, FollowTheModeAndTheFramebufferDepth) {
    DisplayAdapter& adapter = DisplayAdapter::Instance();
    const DisplayMode desktop = adapter.Current();
    for (const DisplayMode& mode : adapter.Modes()) {
        ASSERT_TRUE(adapter.SetCurrent(mode));
        const HDC screen = internal::CreateFramebufferDC(&internal::ScreenFramebuffer(), nullptr);
        const bool palette = mode.bitsPerPixel == 8;
        const std::string what = std::to_string(mode.bitsPerPixel) + " bits";
        EXPECT_EQ(GetDeviceCaps(screen, HORZRES), mode.width) << what;
        EXPECT_EQ(GetDeviceCaps(screen, VERTRES), mode.height) << what;
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), mode.width) << what;
        EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), mode.height) << what;
        EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), mode.bitsPerPixel) << what;
        EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1) << what;
        EXPECT_EQ(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, palette ? RC_PALETTE : 0) << what;
        EXPECT_NE(GetDeviceCaps(screen, RASTERCAPS) & RC_STRETCHDIB, 0) << what;
        EXPECT_NE(GetDeviceCaps(screen, RASTERCAPS) & RC_DIBTODEV, 0) << what;
        EXPECT_EQ(GetDeviceCaps(screen, SIZEPALETTE), palette ? 256 : 0) << what;
        EXPECT_EQ(GetDeviceCaps(screen, NUMRESERVED), palette ? 20 : 0) << what;
        EXPECT_EQ(GetDeviceCaps(screen, NUMCOLORS), palette ? 20 : -1) << what;
        EXPECT_EQ(GetDeviceCaps(screen, COLORRES), mode.bitsPerPixel == 16 ? 16 : 24) << what;
        internal::DeleteFramebufferDC(screen);
    }
    ASSERT_TRUE(adapter.SetCurrent(desktop));
    EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
    FrameDC surface(3, 3, 16);
    EXPECT_EQ(GetDeviceCaps(surface.dc, BITSPIXEL), 16) << "the framebuffer's own depth";
    EXPECT_EQ(GetDeviceCaps(surface.dc, 9999), 0);
    EXPECT_EQ(GetSystemMetrics(9999), 0);
}

} // namespace
