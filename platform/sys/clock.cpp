#include "platform/sys/clock.h"

#include <chrono>

namespace win {

DWORD timeGetTime() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart);
    return static_cast<DWORD>(milliseconds.count());
}

} // namespace win
