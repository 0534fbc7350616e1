// The status bar: a one-pane child window along the bottom of its parent's
// client area, showing one line of text. The parent passes its WM_SIZE on
// to the status bar, which then takes its place again.
#pragma once

#include "platform/win/window.h"

namespace win {

constexpr UINT SB_SETTEXT = 0x0401; // wParam: pane 0; lParam: the text
constexpr int kStatusBarHeight = 20;

// The text is also the window's text (GetWindowText).
HWND CreateStatusWindow(LONG style, const char* text, HWND parent, UINT id);

} // namespace win
