#include "platform/sys/lasterror.h"
#include "platform/sys/osversion.h"
#include "support/sysfixture.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using systest::ScopedEnvironment;

win::OSVERSIONINFO Version() {
    win::OSVERSIONINFO info;
    info.dwOSVersionInfoSize = sizeof info;
    EXPECT_TRUE(win::GetVersionEx(&info));
    return info;
}

TEST(OsVersion, ReportsTheWindows95FamilyUnlessConfigured) {
    {
        ScopedEnvironment unset("BINOXA_OS_PLATFORM", nullptr);
        const win::OSVERSIONINFO info = Version();
        EXPECT_EQ(info.dwPlatformId, win::VER_PLATFORM_WIN32_WINDOWS);
        EXPECT_EQ(info.dwMajorVersion, 4u);
        EXPECT_EQ(info.dwMinorVersion, 0u);
        EXPECT_EQ(info.dwBuildNumber & 0xFFFF, 950u);
    }
    const struct {
        const char* setting;
        win::DWORD platform;
        win::DWORD major;
    } cases[] = {{"", win::VER_PLATFORM_WIN32_WINDOWS, 4},
                 {"windows", win::VER_PLATFORM_WIN32_WINDOWS, 4},
                 {"win32s", win::VER_PLATFORM_WIN32s, 3},
                 {"nt", win::VER_PLATFORM_WIN32_NT, 4},
                 {"os2", 3, 4}};
    for (const auto& c : cases) {
        ScopedEnvironment platform("BINOXA_OS_PLATFORM", c.setting);
        const win::OSVERSIONINFO info = Version();
        EXPECT_EQ(info.dwPlatformId, c.platform) << c.setting;
        EXPECT_EQ(info.dwMajorVersion, c.major) << c.setting;
    }
}

TEST(OsVersion, FailsForABadRecordOrWhenConfiguredTo) {
    win::OSVERSIONINFO info;
    info.dwOSVersionInfoSize = sizeof info - 1;
    EXPECT_FALSE(win::GetVersionEx(&info));
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_INSUFFICIENT_BUFFER));
    EXPECT_FALSE(win::GetVersionEx(nullptr));

    ScopedEnvironment failing("BINOXA_OS_PLATFORM", "fail");
    info.dwOSVersionInfoSize = sizeof info;
    EXPECT_FALSE(win::GetVersionEx(&info));
}

} // namespace
