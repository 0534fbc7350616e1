#include "platform/sys/clock.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(Clock, CountsMillisecondsForwardAsADword) {
    const win::DWORD before = win::timeGetTime();
    const auto steadyBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(30ms);
    const auto steadyAfter = std::chrono::steady_clock::now();
    const win::DWORD after = win::timeGetTime();

    // Unsigned subtraction is how callers measure, and stays right across a wrap.
    const win::DWORD elapsed = after - before;
    const auto steadyElapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(steadyAfter - steadyBefore).count();
    EXPECT_GE(elapsed, 30u);
    EXPECT_GE(elapsed + 1, static_cast<win::DWORD>(steadyElapsed));

    win::DWORD previous = win::timeGetTime();
    for (int i = 0; i < 10000; ++i) {
        const win::DWORD now = win::timeGetTime();
        EXPECT_LT(now - previous, 1000u) << "the clock went backwards";
        previous = now;
    }
}

} // namespace

namespace {

TEST(Clock, ATestCanDriveItAndGiveItBack) {
    win::DWORD next = 0xFFFFFFF0u;
    win::internal::SetClockSource([&next] { return next += 10; });
    EXPECT_EQ(win::timeGetTime(), 0xFFFFFFFAu);
    EXPECT_EQ(win::timeGetTime() - 0xFFFFFFFAu, 10u) << "across the wrap";
    win::internal::SetClockSource({});
    const win::DWORD real = win::timeGetTime();
    EXPECT_NE(real, next + 10);
    EXPECT_LT(win::timeGetTime() - real, 1000u);
}

} // namespace
