#include "platform/sys/lasterror.h"
#include "platform/sys/libraries.h"
#include "platform/thunk/flatthunk.h"
#include "platform/thunk/selectors.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Peer(const char* name) {
    return std::string(PEER_DIR) + "/" + name + ".dll";
}

win::BOOL Connect(win::ThunkData32& data, const std::string& module16,
                  const char* peerName = "thk_ThunkData16") {
    return win::ThunkConnect32(&data, peerName, module16.c_str(), "TEST32.dll", nullptr,
                               win::DLL_PROCESS_ATTACH);
}

TEST(FlatThunk, ConnectsCallsAndDisconnects) {
    win::ThunkData32 data;
    ASSERT_TRUE(Connect(data, Peer("goodpeer16")));
    ASSERT_NE(data.peer, nullptr);

    const win::WORD words[] = {0x1234, 0x0001, 0xFFFF};
    EXPECT_EQ(win::CallThunk16(data, 0, words, 3), 0x00031234u) << "DX = count, AX = sum";

    char name[8] = {};
    const win::SEGPTR pointer = win::SMapLS(name);
    const win::WORD pointerWords[] = {win::HIWORD(pointer), win::LOWORD(pointer)};
    EXPECT_EQ(win::CallThunk16(data, 1, pointerWords, 2), 0u);
    win::SUnMapLS(pointer);
    EXPECT_STREQ(name, "peer");

    EXPECT_EQ(win::CallThunk16(data, 2, words, 3), 0u) << "no routine 2";
    EXPECT_TRUE(win::ThunkConnect32(&data, "thk_ThunkData16", Peer("goodpeer16").c_str(),
                                    "TEST32.dll", nullptr, win::DLL_THREAD_ATTACH));
    EXPECT_TRUE(win::ThunkConnect32(&data, "thk_ThunkData16", Peer("goodpeer16").c_str(),
                                    "TEST32.dll", nullptr, win::DLL_PROCESS_DETACH));
    EXPECT_EQ(data.peer, nullptr);
    EXPECT_EQ(data.module16, nullptr);
    EXPECT_EQ(win::CallThunk16(data, 0, words, 3), 0u) << "no longer connected";
}

TEST(FlatThunk, FailsWithoutAWellFormedPeer) {
    win::ThunkData32 data;
    win::SetLastError(0);
    EXPECT_FALSE(Connect(data, Peer("absent16")));
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_MOD_NOT_FOUND));

    for (const char* module : {"noblock16", "wrongsignature16", "noroutines16"}) {
        win::SetLastError(0);
        EXPECT_FALSE(Connect(data, Peer(module))) << module;
        EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_PROC_NOT_FOUND))
            << module;
        EXPECT_EQ(data.peer, nullptr) << module;
    }
    EXPECT_FALSE(Connect(data, Peer("goodpeer16"), "thk_OtherData16")) << "named block missing";
    EXPECT_FALSE(win::ThunkConnect32(nullptr, "thk_ThunkData16", Peer("goodpeer16").c_str(),
                                     "TEST32.dll", nullptr, win::DLL_PROCESS_ATTACH));
}

} // namespace
