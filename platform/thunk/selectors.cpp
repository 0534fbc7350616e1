#include "platform/thunk/selectors.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace win {

namespace {

// Selectors look like the local-descriptor-table selectors of ring 3 that
// Win32 hands out: the table index above three bits, which are all set.
constexpr WORD selectorLowBits = 0x7;
constexpr unsigned selectorCount = 8192; // index 0 is never used, so no selector is 0

class SelectorTable {
public:
    WORD Map(const void* address) {
        std::lock_guard lock(mutex);
        for (unsigned i = 0; i < selectorCount - 1; ++i) {
            const unsigned index = 1 + (next + i) % (selectorCount - 1);
            if (!bases[index]) {
                bases[index] = address;
                next = index; // searching from the last one keeps released ones idle a while
                return static_cast<WORD>(index << 3 | selectorLowBits);
            }
        }
        return 0;
    }
    void Unmap(WORD selector) {
        std::lock_guard lock(mutex);
        if (const unsigned index = IndexOf(selector)) {
            bases[index] = nullptr;
        }
    }
    const void* Base(WORD selector) {
        std::lock_guard lock(mutex);
        const unsigned index = IndexOf(selector);
        return index ? bases[index] : nullptr;
    }

private:
    // 0 for a value that is no selector of this table.
    static unsigned IndexOf(WORD selector) {
        return (selector & selectorLowBits) == selectorLowBits ? selector >> 3 : 0;
    }

    std::mutex mutex;
    std::array<const void*, selectorCount> bases{};
    unsigned next = 0;
};

SelectorTable& Selectors() {
    static SelectorTable table;
    return table;
}

} // namespace

SEGPTR SMapLS(const void* address) {
    if (!address) {
        return 0;
    }
    return static_cast<SEGPTR>(Selectors().Map(address)) << 16;
}

void SUnMapLS(SEGPTR pointer) {
    Selectors().Unmap(HIWORD(pointer));
}

void* MapSL(SEGPTR pointer) {
    const void* base = Selectors().Base(HIWORD(pointer));
    if (!base) {
        return nullptr;
    }
    // The 16-bit side may write through it, as through any pointer it was given.
    return const_cast<std::uint8_t*>(static_cast<const std::uint8_t*>(base)) + LOWORD(pointer);
}

} // namespace win
