#include "platform/ddraw/videomemory.h"

#include "platform/display/adapter.h"

#include <algorithm>

namespace win::ddraw {
namespace {

std::size_t& InUse() {
    static std::size_t bytes = 0;
    return bytes;
}

} // namespace

// The profile may shrink the memory while surfaces hold more (a test
// reloading its adapter): then nothing is free until they go.
std::size_t VideoMemoryFree() {
    const std::size_t total = DisplayAdapter::Instance().VideoMemoryBytes();
    return total > InUse() ? total - InUse() : 0;
}

bool ReserveVideoMemory(std::size_t bytes) {
    if (bytes > VideoMemoryFree())
        return false;
    InUse() += bytes;
    return true;
}

void FreeVideoMemory(std::size_t bytes) {
    InUse() -= std::min(bytes, InUse());
}

std::size_t VideoMemoryInUse() {
    return InUse();
}

} // namespace win::ddraw
