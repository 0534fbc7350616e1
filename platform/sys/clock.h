// The millisecond clock that paces animations: monotonic, counting from an
// arbitrary start, and wrapping round like Win32's 32-bit counter (about
// every 49.7 days), so callers subtract readings as DWORDs.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

DWORD timeGetTime();

} // namespace win
