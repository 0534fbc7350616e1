// The flat-thunk connection between a 32-bit library and the 16-bit library
// behind it. The 16-bit library exports a peer data block (ThunkData16) with
// its routine table; the 32-bit library exports its own half (ThunkData32)
// and connects the two from its entry point with ThunkConnect32.
//
// The 16-bit calling world: a routine receives its argument words in the
// order they were pushed (a 32-bit value or a 16:16 pointer as two words,
// high word first) and returns DX:AX, DX in the high half of the result.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

using THUNK16ROUTINE = DWORD (*)(const WORD* words, UINT count);

// What a 16-bit library exports under its peer data name.
struct ThunkData16 {
    DWORD signature;
    UINT routineCount;
    const THUNK16ROUTINE* routines;
};

// Every peer block starts with this, so a wrong symbol is not taken for one.
constexpr DWORD THUNK16_SIGNATURE = 0x31334C53; // "SL31"

// The 32-bit half; zero-initialised until connected.
struct ThunkData32 {
    HMODULE module16 = nullptr;
    const ThunkData16* peer = nullptr;
};

// DLL_PROCESS_ATTACH loads the 16-bit module and finds its peer block by
// name; FALSE when the module or a well-formed block is missing (the last
// error says which). DLL_PROCESS_DETACH frees the module. Thread reasons
// change nothing. The 32-bit module name only identifies the caller.
BOOL ThunkConnect32(ThunkData32* thunkData, const char* peerDataName, const char* module16,
                    const char* module32, HINSTANCE instance, DWORD reason);

// Calls routine `routine` of the connected 16-bit side with the argument
// words and returns its DX:AX; 0 when not connected or there is no such
// routine.
DWORD CallThunk16(const ThunkData32& thunkData, UINT routine, const WORD* words, UINT count);

} // namespace win
