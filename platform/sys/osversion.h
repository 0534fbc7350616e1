// The operating-system version the core asks for to choose its shutter
// library. This system reports the Windows 95 family (4.0.950) unless the
// environment variable BINOXA_OS_PLATFORM says otherwise, so tests can take
// every branch of that choice:
//   windows  the Windows 95 family (also when the variable is unset or empty)
//   win32s   Win32s 1.30 on Windows 3.1
//   nt       Windows NT 4.0
//   fail     GetVersionEx fails (ERROR_INVALID_PARAMETER)
//   anything else: a platform id the system does not know (3)
#pragma once

#include "platform/win/wintypes.h"

namespace win {

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFO {
    DWORD dwOSVersionInfoSize = 0;
    DWORD dwMajorVersion = 0;
    DWORD dwMinorVersion = 0;
    DWORD dwBuildNumber = 0;
    DWORD dwPlatformId = 0;
    char szCSDVersion[128] = {};
};

// The caller sets dwOSVersionInfoSize to sizeof(OSVERSIONINFO) first.
BOOL GetVersionEx(OSVERSIONINFO* info);

} // namespace win
