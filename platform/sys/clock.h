// The millisecond clock that paces animations: monotonic, counting from an
// arbitrary start, and wrapping round like Win32's 32-bit counter (about
// every 49.7 days), so callers subtract readings as DWORDs.
#pragma once

#include "platform/win/wintypes.h"

#include <functional>

namespace win {

DWORD timeGetTime();

namespace internal {
// Lets a test drive the clock: while a source is set, timeGetTime answers
// what it answers (GUI thread only); an empty one restores the real clock.
void SetClockSource(std::function<DWORD()> source);
} // namespace internal

} // namespace win
