// Timers: WM_TIMER with the timer id in wParam, or a call of the timer
// procedure when one was given.
#pragma once

#include "platform/win/window.h"

namespace win {

using TIMERPROC = void (*)(HWND window, UINT message, UINT_PTR id, DWORD time);

constexpr UINT USER_TIMER_MINIMUM = 10;

// Replaces a timer of the same window and id. Without a window the answer
// is a new id, otherwise the id given; 0 on failure.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC procedure);
BOOL KillTimer(HWND window, UINT_PTR id);

} // namespace win
