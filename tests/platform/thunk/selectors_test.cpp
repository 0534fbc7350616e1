#include "platform/thunk/selectors.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

TEST(Selectors, MapToTheAddressAndBackUntilReleased) {
    char buffer[300] = {};
    const win::SEGPTR pointer = win::SMapLS(buffer);
    ASSERT_NE(pointer, 0u);
    EXPECT_EQ(win::LOWORD(pointer), 0) << "a new selector starts at the address";
    EXPECT_EQ(win::MapSL(pointer), buffer);
    EXPECT_EQ(win::MapSL(pointer + 299), buffer + 299) << "the offset adds to the address";

    const win::SEGPTR other = win::SMapLS(buffer + 1);
    EXPECT_NE(win::HIWORD(other), win::HIWORD(pointer)) << "each mapping has its own selector";

    win::SUnMapLS(pointer);
    EXPECT_EQ(win::MapSL(pointer), nullptr);
    EXPECT_EQ(win::MapSL(other), buffer + 1) << "releasing one leaves the others";
    win::SUnMapLS(other);
    win::SUnMapLS(other); // twice is harmless
    EXPECT_EQ(win::MapSL(other), nullptr);
}

TEST(Selectors, NullAndUnknownSelectorsMapToNull) {
    EXPECT_EQ(win::SMapLS(nullptr), 0u);
    EXPECT_EQ(win::MapSL(0), nullptr);
    EXPECT_EQ(win::MapSL(0x00001234), nullptr) << "selector 0 with an offset";
    EXPECT_EQ(win::MapSL(0xFFF70000), nullptr) << "never handed out";
    EXPECT_EQ(win::MapSL(0x12340000), nullptr) << "not a selector's shape";
    win::SUnMapLS(0xFFF70000);
    win::SUnMapLS(0);
}

TEST(Selectors, RunOutWithoutHarmAndAreSharedBetweenThreads) {
    int value = 0;
    std::vector<win::SEGPTR> taken;
    for (win::SEGPTR pointer = win::SMapLS(&value); pointer != 0; pointer = win::SMapLS(&value)) {
        taken.push_back(pointer);
    }
    EXPECT_EQ(taken.size(), 8191u);
    for (win::SEGPTR pointer : taken) {
        win::SUnMapLS(pointer);
    }

    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&failures, t] {
            int own = t;
            for (int i = 0; i < 2000; ++i) {
                const win::SEGPTR pointer = win::SMapLS(&own);
                failures[t] += win::MapSL(pointer) != &own;
                win::SUnMapLS(pointer);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(8, 0));
}

} // namespace
