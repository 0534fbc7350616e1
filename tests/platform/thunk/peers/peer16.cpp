// A 16-bit side for the connection tests. PEER_SHAPE picks how its peer
// block looks: 0 well formed, 1 a wrong signature, 2 no routines.
#include "platform/thunk/flatthunk.h"
#include "platform/thunk/selectors.h"

#include <cstring>

namespace {

// Routine 0 answers its words packed: DX = the word count, AX = the sum.
win::DWORD Sum(const win::WORD* words, win::UINT count) {
    win::WORD sum = 0;
    for (win::UINT i = 0; i < count; ++i) {
        sum = static_cast<win::WORD>(sum + words[i]);
    }
    return static_cast<win::DWORD>(count) << 16 | sum;
}

// Routine 1 writes "peer" through the 16:16 pointer in its two words.
win::DWORD WriteName(const win::WORD* words, win::UINT count) {
    if (count != 2) {
        return 0xFFFFFFFF;
    }
    void* target = win::MapSL(static_cast<win::DWORD>(words[0]) << 16 | words[1]);
    if (!target) {
        return 0xFFFFFFFF;
    }
    std::memcpy(target, "peer", 5);
    return 0;
}

const win::THUNK16ROUTINE routines[] = {Sum, WriteName};

} // namespace

extern "C" const win::ThunkData16 thk_ThunkData16 = {
    PEER_SHAPE == 1 ? 0x12345678 : win::THUNK16_SIGNATURE,
    PEER_SHAPE == 2 ? 0u : 2u,
    routines,
};
