#include "platform/thunk/flatthunk.h"

#include "platform/sys/lasterror.h"
#include "platform/sys/libraries.h"

namespace win {

namespace {

bool WellFormed(const ThunkData16* peer) {
    return peer->signature == THUNK16_SIGNATURE && peer->routineCount > 0 && peer->routines;
}

BOOL Connect(ThunkData32* thunkData, const char* peerDataName, const char* module16) {
    if (thunkData->peer) {
        return TRUE;
    }
    HMODULE module = LoadLibrary(module16);
    if (!module) {
        return FALSE;
    }
    const auto* peer = reinterpret_cast<const ThunkData16*>(GetProcAddress(module, peerDataName));
    if (!peer || !WellFormed(peer)) {
        FreeLibrary(module);
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    thunkData->module16 = module;
    thunkData->peer = peer;
    return TRUE;
}

void Disconnect(ThunkData32* thunkData) {
    if (thunkData->module16) {
        FreeLibrary(thunkData->module16);
    }
    *thunkData = ThunkData32{};
}

} // namespace

BOOL ThunkConnect32(ThunkData32* thunkData, const char* peerDataName, const char* module16,
                    const char* /*module32*/, HINSTANCE /*instance*/, DWORD reason) {
    if (!thunkData || !peerDataName || !module16) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return Connect(thunkData, peerDataName, module16);
    case DLL_PROCESS_DETACH:
        Disconnect(thunkData);
        return TRUE;
    default:
        return TRUE;
    }
}

DWORD CallThunk16(const ThunkData32& thunkData, UINT routine, const WORD* words, UINT count) {
    const ThunkData16* peer = thunkData.peer;
    if (!peer || routine >= peer->routineCount || !peer->routines[routine]) {
        return 0;
    }
    return peer->routines[routine](words, count);
}

} // namespace win
