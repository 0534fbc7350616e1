#include "devicefixture.h"

#include "platform/sys/lasterror.h"
#include "platform/thunk/selectors.h"
#include "shutterthunk/tslapi.h"

#include <cstdio>
#include <sstream>

namespace {

// The exports of the loaded thunk library, called as the core calls them.
class Tslft32Test : public DeviceTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(tslft16.Loaded());
        library = win::LoadLibrary("tslft32.dll");
        ASSERT_NE(library, nullptr);
    }
    void TearDown() override { win::FreeLibrary(library); }

    template <typename Function> Function* Export(const char* name) {
        return reinterpret_cast<Function*>(win::GetProcAddress(library, name));
    }

    SimulatedDriver tslft16{"TSLFT16.dll"};
    win::HMODULE library = nullptr;
};

// The argument words of the last recorded call, e.g. {0x7E55, 0x0001}.
std::vector<win::WORD> LastWords(const std::string& calls) {
    const std::size_t end = calls.rfind(')');
    const std::size_t start = calls.rfind('(', end) + 1;
    std::istringstream words(calls.substr(start, end - start));
    std::vector<win::WORD> result;
    unsigned word = 0;
    while (words >> std::hex >> word) {
        result.push_back(static_cast<win::WORD>(word));
    }
    return result;
}

TEST(Tslft32Load, BringsTheSixteenBitDriverAndTakesItAway) {
    systest::ScopedEnvironment systemDir("BINOXA_SYSTEM_DIR", TEST_SYSTEM_DIR);
    win::HMODULE library = win::LoadLibrary("tslft32.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_NE(win::GetModuleHandle("TSLFT16.dll"), nullptr);
    EXPECT_TRUE(win::FreeLibrary(library));
    EXPECT_EQ(win::GetModuleHandle("TSLFT16.dll"), nullptr);
    EXPECT_EQ(win::GetModuleHandle("tslft32.dll"), nullptr);
}

TEST(Tslft32Load, FailsWithoutTheSixteenBitDriver) {
    // Only the thunk library itself: TSLFT16 is in no place the loader looks.
    systest::ScopedEnvironment elsewhere("BINOXA_SYSTEM_DIR", "/nonexistent");
    win::SetLastError(0);
    EXPECT_EQ(win::LoadLibrary(TEST_SYSTEM_DIR "/tslft32.dll"), nullptr);
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_DLL_INIT_FAILED));
    EXPECT_EQ(win::GetModuleHandle("tslft32.dll"), nullptr);
}

TEST_F(Tslft32Test, PassesWordsTruncatedAndDwordsWholeInTheirOrder) {
    const auto initialize = Export<decltype(tslInitialize)>("tslInitialize");
    const auto showBuffer = Export<decltype(tslShowBuffer)>("tslShowBuffer");
    const auto setParam = Export<decltype(tslSetParam)>("tslSetParam");
    const auto on = Export<decltype(tsl3dOn)>("tsl3dOn");
    const auto getStatus = Export<decltype(tslGetStatus)>("tslGetStatus");
    const auto exit = Export<decltype(tslExit)>("tslExit");
    ASSERT_TRUE(initialize && showBuffer && setParam && on && getStatus && exit);

    const win::LONG handle = initialize();
    EXPECT_EQ(handle, 0x7E550001) << "a long joined from DX:AX";
    EXPECT_EQ(showBuffer(handle, 0x10001, 0xFFFF0000), 0);
    EXPECT_EQ(setParam(handle, 0x20003, 0x40005, 0xABCD0006), 0);
    // 0x100F5 reaches the driver as its only 3-D mode, 0xF5.
    EXPECT_EQ(on(handle, 0x100F5), 0);
    EXPECT_EQ(getStatus(handle), 0);
    exit(handle);
    EXPECT_EQ(tslft16.Calls(), "tslInitialize()\n"
                               "tslShowBuffer(7E55 0001 0001 0000)\n"
                               "tslSetParam(7E55 0001 0003 0005 0006)\n"
                               "tsl3dOn(7E55 0001 00F5)\n"
                               "tslGetStatus(7E55 0001)\n"
                               "tslExit(7E55 0001)\n");
}

TEST_F(Tslft32Test, JoinsLongResultsAndSignExtendsShortOnes) {
    const auto initialize = Export<decltype(tslInitialize)>("tslInitialize");
    const auto getStatus = Export<decltype(tslGetStatus)>("tslGetStatus");
    const auto numModes = Export<decltype(tslNum3dModes)>("tslNum3dModes");
    const auto numBuffers = Export<decltype(tslNumBuffers)>("tslNumBuffers");
    const auto is3d = Export<decltype(tslIs3d)>("tslIs3d");
    ASSERT_TRUE(initialize && getStatus && numModes && numBuffers && is3d);
    const win::LONG handle = initialize();

    tslft16.FailNext("tslGetStatus", 0x8001FFFE);
    EXPECT_EQ(static_cast<win::DWORD>(getStatus(handle)), 0x8001FFFEu);
    tslft16.FailNext("tslNum3dModes", 0x1FFFE);
    EXPECT_EQ(numModes(handle), -2) << "only AX counts, sign-extended";
    tslft16.FailNext("tslIs3d", 0x7FFF8000);
    EXPECT_EQ(is3d(handle), -32768);
    tslft16.FailNext("tslNumBuffers", 0xFFFF7FFF);
    EXPECT_EQ(numBuffers(handle), 32767);
    EXPECT_EQ(numModes(handle), 2) << "the built-in modes";
}

TEST_F(Tslft32Test, MapsPointersForTheCallAndReleasesThemAfterwards) {
    const auto initialize = Export<decltype(tslInitialize)>("tslInitialize");
    const auto version = Export<decltype(tslVersion)>("tslVersion");
    const auto modeInfo = Export<decltype(tsl3dModeInfo)>("tsl3dModeInfo");
    const auto setParam = Export<decltype(tslSetParam)>("tslSetParam");
    const auto getParam = Export<decltype(tslGetParam)>("tslGetParam");
    ASSERT_TRUE(initialize && version && modeInfo && setParam && getParam);
    const win::LONG handle = initialize();

    win::WORD major = 0;
    win::WORD minor = 0;
    EXPECT_EQ(version(handle, &major, &minor), 0);
    EXPECT_EQ(major, 2);
    EXPECT_EQ(minor, 10);
    const std::vector<win::WORD> words = LastWords(tslft16.Calls());
    ASSERT_EQ(words.size(), 6u) << "handle and two 16:16 pointers";
    EXPECT_NE(words[2], 0);
    EXPECT_NE(words[2], words[4]) << "each pointer its own selector";
    EXPECT_EQ(win::MapSL(static_cast<win::SEGPTR>(words[2]) << 16), nullptr) << "released";
    EXPECT_EQ(win::MapSL(static_cast<win::SEGPTR>(words[4]) << 16), nullptr) << "released";

    // The mode index is a word: 0x10001 is mode 1, 800x600.
    TslModeInfo mode{};
    EXPECT_EQ(modeInfo(handle, 0x10001, &mode), 0);
    EXPECT_EQ(mode.width, 800);
    EXPECT_EQ(mode.height, 600);

    EXPECT_EQ(setParam(handle, 3, 4, 0x12345), 0);
    win::WORD values[4] = {9, 9, 9, 9};
    EXPECT_EQ(getParam(handle, 0x10003, 4, &values[0], &values[1], &values[2], &values[3]), 0);
    EXPECT_EQ(values[0], 0x2345);
    EXPECT_EQ(values[3], 0);
    EXPECT_EQ(LastWords(tslft16.Calls()).size(), 12u) << "handle, two words, four pointers";
    // A null pointer stays null for the 16-bit side.
    EXPECT_EQ(version(handle, nullptr, &minor), 5) << "the driver's invalid value";
}

TEST_F(Tslft32Test, StatusStringsComeBackAsFlatPointers) {
    const auto statusString = Export<decltype(tslStatusString)>("tslStatusString");
    ASSERT_NE(statusString, nullptr);
    EXPECT_STREQ(statusString(1), "Bad handle");
    EXPECT_STREQ(statusString(10), "Not initialized");
    EXPECT_STREQ(statusString(0x10001), "Unknown status") << "the code is a dword";
    EXPECT_EQ(tslft16.Calls(), "tslStatusString(0000 0001)\n"
                               "tslStatusString(0000 000A)\n"
                               "tslStatusString(0001 0001)\n");
}

} // namespace
