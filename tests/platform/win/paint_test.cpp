#include "wintestsupport.h"

#include "platform/gdi/objects.h"
#include "platform/gdi/palette.h"
#include "platform/win/paint.h"
#include "platform/win/windowframebuffer.h"

using namespace win;
using wintest::Log;
using wintest::MessagesOf;

namespace {

class Painting : public wintest::WindowsTest {};

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The pixel at (x, y) of a 32-bit framebuffer as blue, green, red.
COLORREF PixelAt(const Framebuffer& frame, int x, int y) {
    const std::uint8_t* pixel = frame.Row(y) + x * frame.BytesPerPixel();
    return RGB(pixel[2], pixel[1], pixel[0]);
}

} // namespace

TEST_F(Painting, UpdateRegionsUniteValidateAndEmptyInBeginPaint) {
    const HWND window = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 80});
    RECT rect;
    EXPECT_TRUE(GetUpdateRect(window, &rect, FALSE)); // showing asks for a paint
    ValidateRect(window, nullptr);
    EXPECT_FALSE(GetUpdateRect(window, &rect, FALSE));
    EXPECT_TRUE(Same(rect, {0, 0, 0, 0}));

    const RECT first{10, 10, 20, 20};
    const RECT second{50, 40, 60, 200}; // clipped to the client area
    InvalidateRect(window, &first, FALSE);
    InvalidateRect(window, &second, FALSE);
    EXPECT_TRUE(GetUpdateRect(window, &rect, FALSE));
    EXPECT_TRUE(Same(rect, {10, 10, 60, 80}));

    // Validating the second part leaves the first.
    ValidateRect(window, &second);
    GetUpdateRect(window, &rect, FALSE);
    EXPECT_TRUE(Same(rect, first));

    InvalidateRect(window, &second, FALSE);
    PAINTSTRUCT paint;
    ASSERT_NE(BeginPaint(window, &paint), nullptr);
    EXPECT_TRUE(Same(paint.rcPaint, {10, 10, 60, 80}));
    EXPECT_FALSE(paint.fErase);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
    EndPaint(window, &paint);
    MSG message;
    EXPECT_FALSE(PeekMessage(&message, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));

    // UpdateWindow paints at once, and only when there is something to paint.
    Log().clear();
    UpdateWindow(window);
    EXPECT_TRUE(Log().empty());
    InvalidateRect(window, &first, FALSE);
    UpdateWindow(window);
    EXPECT_EQ(MessagesOf(window), std::vector<UINT>{WM_PAINT});
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));

    // A hidden window gets no WM_PAINT.
    ShowWindow(window, SW_HIDE);
    InvalidateRect(window, nullptr, FALSE);
    EXPECT_FALSE(PeekMessage(&message, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(Painting, BeginPaintErasesWithTheClassBrush) {
    const HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    WNDCLASS windowClass;
    windowClass.lpfnWndProc = wintest::RecordingProcedure;
    windowClass.hbrBackground = blue;
    windowClass.lpszClassName = "BlueBackground";
    RegisterClass(&windowClass);
    const HWND window = CreateWindowEx(0, "BlueBackground", "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30,
                                       nullptr, nullptr, nullptr, nullptr);
    ValidateRect(window, nullptr);
    Framebuffer* frame = internal::WindowFramebuffer(window);
    ASSERT_NE(frame, nullptr);
    if (frame->bitsPerPixel != 32)
        GTEST_SKIP() << "the pixel check reads 32-bit framebuffers";

    const RECT part{5, 5, 10, 10};
    InvalidateRect(window, &part, TRUE);
    Log().clear();
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EXPECT_EQ(MessagesOf(window), std::vector<UINT>{WM_ERASEBKGND});
    EXPECT_EQ(Log()[0].wParam, reinterpret_cast<WPARAM>(paint.hdc));
    EXPECT_FALSE(paint.fErase); // DefWindowProc erased it
    EndPaint(window, &paint);
    EXPECT_EQ(PixelAt(*frame, 5, 5), RGB(0, 0, 255));
    EXPECT_EQ(PixelAt(*frame, 9, 9), RGB(0, 0, 255));
    EXPECT_EQ(PixelAt(*frame, 10, 10), RGB(0, 0, 0)); // outside the update region
    DestroyWindow(window);
    UnregisterClass("BlueBackground", nullptr);
    DeleteObject(blue);
}

TEST_F(Painting, DeviceContextsDrawOnTheWindowFramebuffer) {
    const HWND window = Make(WS_POPUP | WS_VISIBLE, {0, 0, 20, 20});
    const Framebuffer* frame = internal::WindowFramebuffer(window);
    if (frame->bitsPerPixel != 32)
        GTEST_SKIP() << "the pixel check reads 32-bit framebuffers";
    const HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const RECT rect{0, 0, 3, 3};
    FillRect(dc, &rect, red);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_EQ(PixelAt(*frame, 2, 2), RGB(255, 0, 0));
    DeleteObject(red);
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x1234)), nullptr);
    const HDC screen = GetDC(nullptr);
    EXPECT_NE(screen, nullptr);
    ReleaseDC(nullptr, screen);
}

// A context kept past its window's end must not reach the freed framebuffer.
TEST_F(Painting, DeviceContextsEndWithTheirWindow) {
    const HWND window = Make(WS_POPUP | WS_VISIBLE, {0, 0, 20, 20});
    const HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    DestroyWindow(window);
    const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const RECT rect{0, 0, 3, 3};
    EXPECT_EQ(FillRect(dc, &rect, red), 0);
    EXPECT_EQ(RealizePalette(dc), GDI_ERROR);
    EXPECT_EQ(ReleaseDC(window, dc), 0);
    DeleteObject(red);
}
