// The system directory (where the core library and the drivers live) and the
// temporary directory, with Win32's buffer conventions: the result is the
// length copied without the terminating zero, or, when the buffer is too
// small, the size it needs including the zero (and the buffer is untouched).
#pragma once

#include "platform/win/wintypes.h"

namespace win {

UINT GetSystemDirectory(char* buffer, UINT size);
DWORD GetTempPath(DWORD size, char* buffer);

} // namespace win
