// Palettes in the device contexts of real windows: who takes the foreground
// and who hears of a changed system palette.
#include "gdi_test_support.h"

#include "platform/display/adapter.h"
#include "platform/win/input.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

using namespace win;

namespace {

// (window told, window that changed the palette) of every WM_PALETTECHANGED.
std::vector<std::pair<HWND, HWND>>& PaletteChanges() {
    static std::vector<std::pair<HWND, HWND>> changes;
    return changes;
}

LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PALETTECHANGED)
        PaletteChanges().emplace_back(window, reinterpret_cast<HWND>(wParam));
    return DefWindowProc(window, message, wParam, lParam);
}

HWND MakeWindow() {
    static const bool registered = [] {
        WNDCLASS windowClass;
        windowClass.lpfnWndProc = Procedure;
        windowClass.lpszClassName = "GdiPaletteTest";
        return RegisterClass(&windowClass) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowEx(0, "GdiPaletteTest", "palette", 0, 0, 0, 32, 16, nullptr, nullptr,
                          nullptr, nullptr);
}

PALETTEENTRY Own(BYTE red) {
    return {red, 33, 44, PC_NOCOLLAPSE};
}

TEST(WindowPalettes, OnlyTheForegroundWindowTakesTheSystemPalette) {
    DisplayAdapter& adapter = DisplayAdapter::Instance();
    const DisplayMode before = adapter.Current();
    ASSERT_TRUE(adapter.SetCurrent(*adapter.FindMode(640, 480, 8, 0)));
    gdi_test::ResetSystemPalette();
    const HWND front = MakeWindow();
    const HWND back = MakeWindow();
    ASSERT_TRUE(front && back);
    SetForegroundWindow(front);
    const HDC frontDC = GetDC(front);
    const HDC backDC = GetDC(back);
    ASSERT_EQ(GetDeviceCaps(frontDC, BITSPIXEL), 8);

    const HPALETTE frontPalette = gdi_test::MakePalette({Own(1), Own(2)});
    const HPALETTE backPalette = gdi_test::MakePalette({Own(3)});
    SelectPalette(frontDC, frontPalette, FALSE);
    SelectPalette(backDC, backPalette, FALSE);
    PaletteChanges().clear();
    EXPECT_EQ(RealizePalette(frontDC), 2u);
    const std::vector<std::pair<HWND, HWND>> told = PaletteChanges();
    EXPECT_NE(std::find(told.begin(), told.end(), std::pair{back, front}), told.end())
        << "the other window hears who changed the palette";

    // The window behind realises in the background, after the front's
    // entries; realising the front palette again changes nothing and tells
    // nobody.
    EXPECT_EQ(RealizePalette(backDC), 1u);
    PaletteChanges().clear();
    EXPECT_EQ(RealizePalette(frontDC), 0u);
    EXPECT_TRUE(PaletteChanges().empty());
    const std::vector<COLORREF> system = gdi_test::SystemColours();
    EXPECT_EQ(system[10], RGB(1, 33, 44));
    EXPECT_EQ(system[11], RGB(2, 33, 44));
    EXPECT_EQ(system[12], RGB(3, 33, 44));

    SelectPalette(frontDC, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    SelectPalette(backDC, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    ReleaseDC(front, frontDC);
    ReleaseDC(back, backDC);
    DeleteObject(frontPalette);
    DeleteObject(backPalette);
    DestroyWindow(front);
    DestroyWindow(back);
    gdi_test::ResetSystemPalette();
    adapter.SetCurrent(before);
}

} // namespace
