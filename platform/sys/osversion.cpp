#include "platform/sys/osversion.h"

#include "platform/sys/lasterror.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace win {

namespace {

struct ReportedVersion {
    DWORD major;
    DWORD minor;
    DWORD build;
    DWORD platform;
    const char* servicePack;
};

// Windows 95 put its major and minor version into the build number's high word.
constexpr ReportedVersion windows95{4, 0, 0x040003B6, VER_PLATFORM_WIN32_WINDOWS, ""};
constexpr ReportedVersion win32s{3, 10, 0, VER_PLATFORM_WIN32s, "Win32s 1.30"};
constexpr ReportedVersion windowsNT{4, 0, 1381, VER_PLATFORM_WIN32_NT, ""};
constexpr ReportedVersion unknownPlatform{4, 0, 0, 3, ""};

} // namespace

BOOL GetVersionEx(OSVERSIONINFO* info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFO)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const char* configured = std::getenv("BINOXA_OS_PLATFORM");
    const std::string_view platform = configured ? configured : "";
    ReportedVersion version = unknownPlatform;
    if (platform.empty() || platform == "windows") {
        version = windows95;
    } else if (platform == "win32s") {
        version = win32s;
    } else if (platform == "nt") {
        version = windowsNT;
    } else if (platform == "fail") {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->dwMajorVersion = version.major;
    info->dwMinorVersion = version.minor;
    info->dwBuildNumber = version.build;
    info->dwPlatformId = version.platform;
    std::snprintf(info->szCSDVersion, sizeof info->szCSDVersion, "%s", version.servicePack);
    return TRUE;
}

} // namespace win
