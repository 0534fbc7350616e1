// Window messages and the message queue of the GUI thread.
//
// GetMessage and PeekMessage hand out, in Win32's order: posted messages
// (PostMessage, and the keyboard and mouse input translated from Qt, in the
// order they happened), then WM_QUIT once PostQuitMessage was called and
// nothing is posted, then WM_PAINT for a window whose update region is not
// empty, then WM_TIMER for a timer that has elapsed. WM_PAINT stays until
// the window is validated; WM_TIMER comes once per elapse however long it
// waited. PostMessage may be called from any thread.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_INITMENUPOPUP = 0x0117;
constexpr UINT WM_MENUSELECT = 0x011F;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_QUERYNEWPALETTE = 0x030F;
constexpr UINT WM_PALETTECHANGED = 0x0311;
constexpr UINT WM_USER = 0x0400;

// WM_SIZE wParam.
constexpr WPARAM SIZE_RESTORED = 0;
// WM_ACTIVATE wParam (low word).
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;

constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
    return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0; // milliseconds since the queue began
    POINT pt;       // pointer position in screen coordinates
};

// Every top-level window, for PostMessage and SendMessage.
inline const HWND HWND_BROADCAST = reinterpret_cast<HWND>(0xFFFF);

// A null window posts a thread message (delivered with a null hwnd).
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window procedure; from another thread, on the GUI thread while
// the caller waits.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// A window filter takes that window's messages only; (HWND)-1 takes thread
// messages only. WM_QUIT passes every filter.
BOOL PeekMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Waits for a message; answers 0 for WM_QUIT, -1 for a bad window filter.
BOOL GetMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax);
// Waits until a message is queued for the thread, leaving it queued.
BOOL WaitMessage();
// Posts WM_CHAR (WM_SYSCHAR) for a key-down message that makes a character.
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessage(const MSG* message);

// Sounds the system beep for a message box type (0xFFFFFFFF: the simple
// beep); every call is recorded (platform/win/beeps.h).
BOOL MessageBeep(UINT type);

} // namespace win
