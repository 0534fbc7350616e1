// Keys as Win32 names them: Qt keys to virtual-key codes, scan codes and
// the characters a US keyboard layout makes of them.
#pragma once

#include "platform/win/messagequeue.h"

namespace win::internal {

// 0 for a Qt key without a virtual-key code.
WPARAM VirtualKeyOf(int qtKey, bool keypad);
// The lParam of a key message: repeat count 1, scan code, extended flag,
// Alt flag, previous state and transition state.
LPARAM KeyMessageLParam(WPARAM virtualKey, bool keyUp, bool wasDown, bool alt);
// 0 when the key makes no character.
char CharacterOf(WPARAM virtualKey, KeyState keys);

} // namespace win::internal
