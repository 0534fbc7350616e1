// The calling thread's last error code, as Win32 keeps it: every failing call
// of the system services sets it, and successful calls leave it alone unless
// their documentation says otherwise.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

DWORD GetLastError();
void SetLastError(DWORD error);

} // namespace win
