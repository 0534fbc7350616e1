#include "platform/sys/lasterror.h"
#include "platform/sys/libraries.h"
#include "platform/sys/windowsname.h"
#include "support/sysfixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

using systest::ScopedEnvironment;

std::string Location(win::HMODULE library) {
    using Probe = const char* (*)();
    const auto probe = reinterpret_cast<Probe>(win::GetProcAddress(library, "ProbeLocation"));
    return probe ? probe() : "no probe";
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

std::string ModuleFileName(win::HMODULE module) {
    char name[win::MAX_PATH] = {};
    win::GetModuleFileName(module, name, sizeof name);
    return name;
}

TEST(Libraries, WindowsNamesMapToLinuxFileNames) {
    using win::internal::NativeFileName;
    using win::internal::NativeLibraryName;
    EXPECT_EQ(NativeLibraryName("winspex3d.dll"), "libwinspex3d.so");
    EXPECT_EQ(NativeLibraryName("TSLFT32.DLL"), "libtslft32.so");
    EXPECT_EQ(NativeLibraryName("OSPI\\Drivers\\ospi32.Dll"), "OSPI/Drivers/libospi32.so");
    EXPECT_EQ(NativeLibraryName("/opt/Tessel/TslNt32.dll"), "/opt/Tessel/libtslnt32.so");
    EXPECT_EQ(NativeLibraryName("ddraw"), "libddraw.so");
    EXPECT_EQ(NativeLibraryName("libz.so.1"), "libz.so.1");
    EXPECT_EQ(NativeLibraryName("drivers.dll/readme"), "drivers.dll/libreadme.so");
    EXPECT_EQ(NativeLibraryName("setup.dll.bak"), "setup.dll.bak");
    // A plain file name keeps its file part; only separators change.
    EXPECT_EQ(NativeFileName("dir\\bxviewer"), "dir/bxviewer");
    EXPECT_EQ(NativeFileName("C:\\lib\\bxcore.dll"), "C:/lib/libbxcore.so");
    EXPECT_EQ(NativeFileName("z_tessel.ini"), "z_tessel.ini");
}

TEST(Libraries, SearchesProgramDirectoryThenSystemDirectoryThenLoaderPath) {
    ScopedEnvironment systemDir("BINOXA_SYSTEM_DIR", PROBE_SYSTEM_DIR);
    ASSERT_TRUE(
        SameFile(std::filesystem::path(ModuleFileName(nullptr)).parent_path(), PROBE_PROGRAM_DIR));

    // The same name in both directories: the program's copy wins.
    win::HMODULE beside = win::LoadLibrary("bxsearchprobe.dll");
    ASSERT_NE(beside, nullptr);
    EXPECT_EQ(Location(beside), "program");
    // Only in the system directory.
    win::HMODULE system = win::LoadLibrary("BXSYSTEMPROBE.DLL");
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(Location(system), "system");
    // Neither: the dynamic loader's path finds the compression library.
    win::HMODULE loaderPath = win::LoadLibrary("z.dll");
    ASSERT_NE(loaderPath, nullptr);
    EXPECT_NE(win::GetProcAddress(loaderPath, "zlibVersion"), nullptr);
    // A name with a directory is used as given, in Windows or Linux form.
    const std::string systemCopy = std::string(PROBE_SYSTEM_DIR) + "\\BxSearchProbe.DLL";
    win::HMODULE given =
        win::LoadLibraryEx(systemCopy.c_str(), nullptr, win::LOAD_WITH_ALTERED_SEARCH_PATH);
    ASSERT_NE(given, nullptr);
    EXPECT_NE(given, beside);
    EXPECT_EQ(Location(given), "system");

    for (win::HMODULE library : {beside, system, loaderPath, given}) {
        EXPECT_TRUE(win::FreeLibrary(library));
    }

    // With the system directory elsewhere, its libraries are not found.
    ScopedEnvironment otherSystemDir("BINOXA_SYSTEM_DIR", "/nonexistent");
    win::SetLastError(win::ERROR_SUCCESS);
    EXPECT_EQ(win::LoadLibrary("bxsystemprobe.dll"), nullptr);
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_MOD_NOT_FOUND));
}

TEST(Libraries, FailuresSetTheLastError) {
    const auto expectFailure = [](auto result, win::LONG error) {
        EXPECT_EQ(result, nullptr);
        EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(error));
        win::SetLastError(win::ERROR_SUCCESS);
    };
    expectFailure(win::LoadLibrary("bxnosuchlibrary.dll"), win::ERROR_MOD_NOT_FOUND);
    expectFailure(win::LoadLibrary("/nonexistent/bxsearchprobe.dll"), win::ERROR_MOD_NOT_FOUND);
    expectFailure(win::LoadLibrary(""), win::ERROR_MOD_NOT_FOUND);
    expectFailure(win::LoadLibrary(nullptr), win::ERROR_INVALID_PARAMETER);
    int notAFile = 0;
    expectFailure(win::LoadLibraryEx("bxsearchprobe.dll", &notAFile, 0),
                  win::ERROR_INVALID_PARAMETER);

    win::HMODULE probe = win::LoadLibrary("bxsearchprobe.dll");
    ASSERT_NE(probe, nullptr);
    expectFailure(win::GetProcAddress(probe, "NoSuchFunction"), win::ERROR_PROC_NOT_FOUND);
    expectFailure(win::GetProcAddress(probe, reinterpret_cast<const char*>(1)),
                  win::ERROR_PROC_NOT_FOUND);
    EXPECT_TRUE(win::FreeLibrary(probe));

    // Handles this layer never gave out are refused, not followed.
    auto* forged = reinterpret_cast<win::HMODULE>(&notAFile);
    expectFailure(win::GetProcAddress(forged, "ProbeLocation"), win::ERROR_INVALID_HANDLE);
    EXPECT_FALSE(win::FreeLibrary(forged));
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_INVALID_HANDLE));
    EXPECT_FALSE(win::FreeLibrary(nullptr));
    char name[16];
    EXPECT_EQ(win::GetModuleFileName(forged, name, sizeof name), 0u);
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_INVALID_HANDLE));
}

TEST(Libraries, FreeLibraryCountsLoadsAndUnloadsAtTheLast) {
    win::HMODULE first = win::LoadLibrary("bxsearchprobe.dll");
    win::HMODULE second = win::LoadLibrary("BXSEARCHPROBE");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(second, first);

    EXPECT_TRUE(win::FreeLibrary(first));
    EXPECT_EQ(win::GetModuleHandle("bxsearchprobe.dll"), first);
    EXPECT_TRUE(win::FreeLibrary(first));
    EXPECT_EQ(win::GetModuleHandle("bxsearchprobe.dll"), nullptr);
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(win::FreeLibrary(first));
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_INVALID_HANDLE));
}

TEST(Libraries, ModuleHandlesAndFileNames) {
    win::HMODULE probe = win::LoadLibrary("bxsearchprobe.dll");
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(win::GetModuleHandle("BxSearchProbe.dll"), probe);
    EXPECT_EQ(win::GetModuleHandle(PLAIN_PROBE), probe);
    EXPECT_EQ(win::GetModuleHandle("bxsystemprobe.dll"), nullptr);

    char name[win::MAX_PATH] = {};
    const win::DWORD length = win::GetModuleFileName(probe, name, sizeof name);
    EXPECT_EQ(length, std::string(name).size());
    EXPECT_TRUE(SameFile(name, PLAIN_PROBE)) << name;

    // Too small a buffer: cut with a zero, the result is its size.
    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    win::SetLastError(win::ERROR_SUCCESS);
    EXPECT_EQ(win::GetModuleFileName(probe, small, sizeof small), 5u);
    EXPECT_EQ(std::string(small), std::string(name).substr(0, 4));
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(win::GetModuleFileName(probe, small, 0), 0u);
    EXPECT_TRUE(win::FreeLibrary(probe));

    // The program itself, by null and by its own handle.
    const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(ModuleFileName(nullptr), program);
    win::HMODULE self = win::GetModuleHandle(nullptr);
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(ModuleFileName(self), program);
    EXPECT_NE(win::GetProcAddress(self, "malloc"), nullptr); // the global scope
}

std::string Pointer(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return text;
}

std::string EntryCalls() {
    const char* calls = std::getenv("BXENTRYPROBE_CALLS");
    return calls ? calls : "";
}

TEST(Libraries, TheEntryPointSeesTheFirstLoadAndTheLastRelease) {
    ScopedEnvironment systemDir("BINOXA_SYSTEM_DIR", PROBE_SYSTEM_DIR);
    ScopedEnvironment calls("BXENTRYPROBE_CALLS", nullptr);

    win::HMODULE first = win::LoadLibrary("bxentryprobe.dll");
    ASSERT_NE(first, nullptr);
    const std::string instance = Pointer(first);
    EXPECT_EQ(EntryCalls(), "attach " + instance) << "given its own module handle";
    win::HMODULE second = win::LoadLibraryEx("BXENTRYPROBE", nullptr, 0);
    EXPECT_EQ(second, first);
    EXPECT_EQ(EntryCalls(), "attach " + instance) << "a further load only counts";

    EXPECT_TRUE(win::FreeLibrary(second));
    EXPECT_EQ(EntryCalls(), "attach " + instance);
    EXPECT_TRUE(win::FreeLibrary(first));
    EXPECT_EQ(EntryCalls(), "attach " + instance + ", detach " + instance);
    EXPECT_EQ(win::GetModuleHandle("bxentryprobe.dll"), nullptr) << "unloaded after the detach";

    // Loaded again, the library starts over.
    setenv("BXENTRYPROBE_CALLS", "", 1);
    win::HMODULE again = win::LoadLibrary("bxentryprobe.dll");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(EntryCalls(), "attach " + Pointer(again));
    EXPECT_TRUE(win::FreeLibrary(again));
}

TEST(Libraries, AnEntryPointThatRefusesFailsTheLoad) {
    ScopedEnvironment systemDir("BINOXA_SYSTEM_DIR", PROBE_SYSTEM_DIR);
    ScopedEnvironment calls("BXENTRYPROBE_CALLS", nullptr);
    ScopedEnvironment refuse("BXENTRYPROBE_ANSWER", "0");

    win::SetLastError(win::ERROR_SUCCESS);
    EXPECT_EQ(win::LoadLibrary("bxentryprobe.dll"), nullptr);
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_DLL_INIT_FAILED));
    const std::string calledWith = EntryCalls();
    const std::string instance = calledWith.substr(calledWith.find(' ') + 1,
                                                   calledWith.find(',') - calledWith.find(' ') - 1);
    EXPECT_EQ(calledWith, "attach " + instance + ", detach " + instance)
        << "Win32 says the detach follows a refused attach";
    EXPECT_EQ(win::GetModuleHandle("bxentryprobe.dll"), nullptr) << "the library is closed";

    // Accepted the next time, it loads as if for the first time.
    ScopedEnvironment accept("BXENTRYPROBE_ANSWER", "1");
    setenv("BXENTRYPROBE_CALLS", "", 1);
    win::HMODULE probe = win::LoadLibrary("bxentryprobe.dll");
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(EntryCalls(), "attach " + Pointer(probe));
    EXPECT_TRUE(win::FreeLibrary(probe));
}

TEST(Libraries, OnlyTheLoadedLibrarysOwnEntryPointRuns) {
    ScopedEnvironment systemDir("BINOXA_SYSTEM_DIR", PROBE_SYSTEM_DIR);
    ScopedEnvironment calls("BXENTRYPROBE_CALLS", nullptr);

    win::HMODULE dependent = win::LoadLibrary("bxentrydependent.dll");
    ASSERT_NE(dependent, nullptr);
    using Value = int (*)();
    const auto value =
        reinterpret_cast<Value>(win::GetProcAddress(dependent, "EntryDependentValue"));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value(), 8);
    EXPECT_EQ(EntryCalls(), "") << "the probe came in as a dependency, not through LoadLibrary";
    EXPECT_TRUE(win::FreeLibrary(dependent));
    EXPECT_EQ(EntryCalls(), "");
}

} // namespace
