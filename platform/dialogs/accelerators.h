// Accelerator tables: keys that stand for commands. TranslateAccelerator,
// called from the message loop, turns a matching key message into
// WM_COMMAND (high word of wParam 1) sent to the window.
#pragma once

#include "platform/win/messages.h"

namespace win {

constexpr BYTE FVIRTKEY = 0x01; // key is a virtual-key code, else a character
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

struct ACCEL {
    BYTE fVirt = 0;
    WORD key = 0;
    WORD cmd = 0;
};

HACCEL CreateAcceleratorTable(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
// A virtual-key entry matches WM_KEYDOWN or WM_SYSKEYDOWN with exactly its
// Shift, Ctrl and Alt states; a character entry matches WM_CHAR (WM_SYSCHAR
// with FALT). Answers whether a command was sent (the message is then not
// to be dispatched).
int TranslateAccelerator(HWND window, HACCEL table, MSG* message);

} // namespace win
