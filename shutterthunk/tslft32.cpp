// The Windows 95 shutter library: every export passes its call unchanged to
// the 16-bit driver TSLFT16 through the flat-thunk connection, with the
// argument and result widths of the 16-bit world.
#include "shutterthunk/tslapi.h"

#include "platform/thunk/flatthunk.h"
#include "platform/thunk/selectors.h"

#include <array>
#include <cstdint>

using win::DWORD;
using win::LONG;

extern "C" {
// The 32-bit half of the connection, filled in when the library is attached.
win::ThunkData32 thk_ThunkData32;

win::BOOL DllMain(win::HINSTANCE instance, DWORD reason, void* /*reserved*/) {
    return win::ThunkConnect32(&thk_ThunkData32, "thk_ThunkData16", "TSLFT16.dll", "TSLFT32.dll",
                               instance, reason);
}
}

namespace {

// One call into the 16-bit side: the arguments are pushed in order, pointers
// become 16:16 pointers for the call and are released when it is over.
class Call16 {
public:
    explicit Call16(win::UINT routine) : routine(routine) {}
    ~Call16() {
        for (unsigned i = 0; i < mappedCount; ++i) {
            win::SUnMapLS(mapped[i]);
        }
    }
    Call16(const Call16&) = delete;
    Call16& operator=(const Call16&) = delete;

    Call16& Dword(DWORD value) {
        Push(win::HIWORD(value));
        return Push(win::LOWORD(value));
    }
    Call16& Word(DWORD value) { return Push(win::LOWORD(value)); }
    Call16& Pointer(void* address) {
        const win::SEGPTR segmented = win::SMapLS(address);
        mapped[mappedCount++] = segmented;
        return Dword(segmented);
    }

    // DX:AX joined high to low.
    LONG Long() { return static_cast<LONG>(Run()); }
    // AX sign-extended.
    LONG Short() { return static_cast<std::int16_t>(win::LOWORD(Run())); }
    DWORD Run() { return win::CallThunk16(thk_ThunkData32, routine, words.data(), wordCount); }

private:
    Call16& Push(win::WORD word) {
        words[wordCount++] = word;
        return *this;
    }

    // The longest argument list (tslGetParam) is a handle, two words and
    // four pointers.
    static constexpr unsigned maxWords = 12;
    static constexpr unsigned maxPointers = 4;
    win::UINT routine;
    std::array<win::WORD, maxWords> words{};
    unsigned wordCount = 0;
    std::array<win::SEGPTR, maxPointers> mapped{};
    unsigned mappedCount = 0;
};

} // namespace

extern "C" {

LONG tslInitialize() {
    return Call16(TSL_INITIALIZE).Long();
}

void tslExit(DWORD handle) {
    Call16(TSL_EXIT).Dword(handle).Run();
}

LONG tslVersion(DWORD handle, void* major, void* minor) {
    return Call16(TSL_VERSION).Dword(handle).Pointer(major).Pointer(minor).Long();
}

LONG tslGetStatus(DWORD handle) {
    return Call16(TSL_GET_STATUS).Dword(handle).Long();
}

const char* tslStatusString(DWORD status) {
    return static_cast<const char*>(win::MapSL(Call16(TSL_STATUS_STRING).Dword(status).Run()));
}

LONG tslShowBuffer(DWORD handle, DWORD buffer, DWORD flags) {
    return Call16(TSL_SHOW_BUFFER).Dword(handle).Word(buffer).Word(flags).Long();
}

LONG tslGetBuffer(DWORD handle, DWORD buffer, void* address) {
    return Call16(TSL_GET_BUFFER).Dword(handle).Word(buffer).Pointer(address).Long();
}

LONG tslNumBuffers(DWORD handle) {
    return Call16(TSL_NUM_BUFFERS).Dword(handle).Short();
}

LONG tslNum3dModes(DWORD handle) {
    return Call16(TSL_NUM_3D_MODES).Dword(handle).Short();
}

LONG tsl3dModeInfo(DWORD handle, DWORD modeIndex, void* modeInfo) {
    return Call16(TSL_3D_MODE_INFO).Dword(handle).Word(modeIndex).Pointer(modeInfo).Long();
}

LONG tsl3dOn(DWORD handle, DWORD mode) {
    return Call16(TSL_3D_ON).Dword(handle).Word(mode).Long();
}

LONG tsl3dFlags(DWORD handle, void* flags) {
    return Call16(TSL_3D_FLAGS).Dword(handle).Pointer(flags).Long();
}

LONG tsl3dOff(DWORD handle) {
    return Call16(TSL_3D_OFF).Dword(handle).Long();
}

LONG tslLoseFocus(DWORD handle) {
    return Call16(TSL_LOSE_FOCUS).Dword(handle).Long();
}

LONG tslGainFocus(DWORD handle) {
    return Call16(TSL_GAIN_FOCUS).Dword(handle).Long();
}

LONG tslIs3d(DWORD handle) {
    return Call16(TSL_IS_3D).Dword(handle).Short();
}

LONG tslDebugInfo(DWORD handle, void* info) {
    return Call16(TSL_DEBUG_INFO).Dword(handle).Pointer(info).Long();
}

LONG tslGetParam(DWORD handle, DWORD group, DWORD param, void* value1, void* value2, void* value3,
                 void* value4) {
    return Call16(TSL_GET_PARAM)
        .Dword(handle)
        .Word(group)
        .Word(param)
        .Pointer(value1)
        .Pointer(value2)
        .Pointer(value3)
        .Pointer(value4)
        .Long();
}

LONG tslSetParam(DWORD handle, DWORD group, DWORD param, DWORD value) {
    return Call16(TSL_SET_PARAM).Dword(handle).Word(group).Word(param).Word(value).Long();
}
}
