// Keyboard and mouse: virtual-key codes, the mouse key flags of mouse
// messages, capture, keyboard focus and the foreground window.
//
// Qt input arrives as queued messages: WM_KEYDOWN/WM_KEYUP (WM_SYSKEYDOWN/
// WM_SYSKEYUP with Alt) with the virtual-key code in wParam and in lParam
// the repeat count (bits 0-15), scan code (16-23), extended-key flag (24),
// Alt flag (29), previous key state (30) and transition state (31); mouse
// messages with MK_* flags in wParam and the client position in lParam
// (MAKELPARAM(x, y), each a signed 16-bit value).
#pragma once

#include "platform/win/wintypes.h"

namespace win {

constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_PAUSE = 0x13;
constexpr WPARAM VK_CAPITAL = 0x14;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_PRIOR = 0x21;
constexpr WPARAM VK_NEXT = 0x22;
constexpr WPARAM VK_END = 0x23;
constexpr WPARAM VK_HOME = 0x24;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_INSERT = 0x2D;
constexpr WPARAM VK_DELETE = 0x2E;
// '0'-'9' and 'A'-'Z' are their own codes.
constexpr WPARAM VK_NUMPAD0 = 0x60; // to VK_NUMPAD9 = 0x69
constexpr WPARAM VK_MULTIPLY = 0x6A;
constexpr WPARAM VK_ADD = 0x6B;
constexpr WPARAM VK_SUBTRACT = 0x6D;
constexpr WPARAM VK_DECIMAL = 0x6E;
constexpr WPARAM VK_DIVIDE = 0x6F;
constexpr WPARAM VK_F1 = 0x70;        // to VK_F12 = 0x7B
constexpr WPARAM VK_OEM_1 = 0xBA;     // ; :
constexpr WPARAM VK_OEM_PLUS = 0xBB;  // = +
constexpr WPARAM VK_OEM_COMMA = 0xBC; // , <
constexpr WPARAM VK_OEM_MINUS = 0xBD; // - _
constexpr WPARAM VK_OEM_PERIOD = 0xBE;
constexpr WPARAM VK_OEM_2 = 0xBF; // / ?
constexpr WPARAM VK_OEM_3 = 0xC0; // ` ~
constexpr WPARAM VK_OEM_4 = 0xDB; // [ {
constexpr WPARAM VK_OEM_5 = 0xDC; // \ |
constexpr WPARAM VK_OEM_6 = 0xDD; // ] }
constexpr WPARAM VK_OEM_7 = 0xDE; // ' "

constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// The pointer position of a mouse message's lParam.
constexpr int GET_X_LPARAM(LPARAM lParam) {
    return static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam)));
}
constexpr int GET_Y_LPARAM(LPARAM lParam) {
    return static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam)));
}

// While a window has the capture, all mouse messages go to it.
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();

// Sends WM_KILLFOCUS to the old and WM_SETFOCUS to the new focus window;
// answers the old one.
HWND SetFocus(HWND window);
HWND GetFocus();

// Activates the top-level window: WM_QUERYNEWPALETTE, then WM_ACTIVATE to
// the window losing and the window gaining activation (DefWindowProc gives
// the activated window the focus).
BOOL SetForegroundWindow(HWND window);
HWND GetForegroundWindow();

} // namespace win
