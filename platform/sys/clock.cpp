#include "platform/sys/clock.h"

#include <chrono>
#include <utility>

namespace win {
namespace {

std::function<DWORD()>& Source() {
    static std::function<DWORD()> source;
    return source;
}

} // namespace

DWORD timeGetTime() {
    if (Source())
        return Source()();
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart);
    return static_cast<DWORD>(milliseconds.count());
}

namespace internal {

void SetClockSource(std::function<DWORD()> source) {
    Source() = std::move(source);
}

} // namespace internal
} // namespace win
