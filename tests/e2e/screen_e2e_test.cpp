// A full-screen window in a chosen display mode, seen on a real X server:
// what it draws must reach the screen scaled by the presenter, and a key
// pressed on the keyboard must reach its window procedure.
#include "screenharness.h"

#include "platform/display/displaysettings.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace win;

namespace {

constexpr int kModeWidth = 320;
constexpr int kModeHeight = 240;

std::vector<WPARAM>& KeysReceived() {
    static std::vector<WPARAM> keys;
    return keys;
}

// Left half red, right half blue, a green square in the top left corner.
void PaintPattern(HDC dc) {
    const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    const HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    const RECT left{0, 0, kModeWidth / 2, kModeHeight};
    const RECT right{kModeWidth / 2, 0, kModeWidth, kModeHeight};
    const RECT corner{0, 0, 20, 20};
    FillRect(dc, &left, red);
    FillRect(dc, &right, blue);
    FillRect(dc, &corner, green);
    DeleteObject(red);
    DeleteObject(blue);
    DeleteObject(green);
}

LRESULT PatternProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        PaintPattern(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_KEYDOWN:
        KeysReceived().push_back(wParam);
        return 0;
    default:
        return DefWindowProc(window, message, wParam, lParam);
    }
}

TEST(ScreenEndToEnd, FullScreenWindowInAnEightBitModeReachesTheScreenAndHearsKeys) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under Xvfb (see the CMake test)";
    e2e::UseAdapterProfile("mode 640x480x32\n"
                           "mode 320x240x8\n"
                           "desktop 640x480x32\n");
    DEVMODE mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = kModeWidth;
    mode.dmPelsHeight = kModeHeight;
    mode.dmBitsPerPel = 8;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    ASSERT_EQ(ChangeDisplaySettings(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);

    WNDCLASS windowClass{};
    windowClass.lpfnWndProc = PatternProcedure;
    windowClass.lpszClassName = "ScreenPattern";
    ASSERT_NE(RegisterClass(&windowClass), 0);
    const HWND window =
        CreateWindowEx(WS_EX_TOPMOST, "ScreenPattern", "Pattern", WS_POPUP | WS_VISIBLE, 0, 0,
                       kModeWidth, kModeHeight, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);

    // A 320x240 mode on the 1024x768 screen: scaled by 3 to 960x720, centred.
    const int left = (1024 - 960) / 2;
    const int top = (768 - 720) / 2;
    const e2e::Screenshot shot = e2e::TakeScreenshotWhen(
        [&](const e2e::Screenshot& s) { return s.At(left + 720, top + 360) == RGB(0, 0, 255); },
        10000);
    ASSERT_EQ(shot.width, 1024);
    ASSERT_EQ(shot.height, 768);
    EXPECT_EQ(shot.At(left + 240, top + 360), RGB(255, 0, 0));
    EXPECT_EQ(shot.At(left + 720, top + 360), RGB(0, 0, 255));
    EXPECT_EQ(shot.At(left + 30, top + 30), RGB(0, 255, 0));
    // The green square is 20 mode pixels, so 60 screen pixels, wide.
    EXPECT_EQ(shot.At(left + 59, top + 59), RGB(0, 255, 0));
    EXPECT_EQ(shot.At(left + 60, top + 59), RGB(255, 0, 0));
    // Outside the picture the screen is black.
    EXPECT_EQ(shot.At(10, 10), RGB(0, 0, 0));
    EXPECT_EQ(shot.At(1013, 757), RGB(0, 0, 0));

    // Without a window manager the keyboard follows the pointer.
    e2e::Xdotool("mousemove 500 400 key q");
    EXPECT_TRUE(e2e::PumpUntil([] { return !KeysReceived().empty(); }, 5000));
    ASSERT_FALSE(KeysReceived().empty());
    EXPECT_EQ(KeysReceived().front(), static_cast<WPARAM>('Q'));

    DestroyWindow(window);
    UnregisterClass("ScreenPattern", nullptr);
}

} // namespace
