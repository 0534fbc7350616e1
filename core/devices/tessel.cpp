#include "devices/tessel.h"

#include "shutterthunk/tslapi.h"

#include "platform/dialogs/messagebox.h"
#include "platform/sys/osversion.h"

#include <array>
#include <optional>
#include <string>

namespace {

// In the order of the routine table of the API.
constexpr std::array<const char*, 19> functionNames = {
    "tslInitialize", "tslExit",      "tslVersion",    "tslGetStatus",  "tslStatusString",
    "tslShowBuffer", "tslGetBuffer", "tslNumBuffers", "tslNum3dModes", "tsl3dModeInfo",
    "tsl3dOn",       "tsl3dFlags",   "tsl3dOff",      "tslLoseFocus",  "tslGainFocus",
    "tslIs3d",       "tslDebugInfo", "tslGetParam",   "tslSetParam",
};

// The only 3-D mode the viewer uses: row-interleaved stereo.
constexpr win::DWORD interleavedMode = 0xF5;

void ShowError(const std::string& text) {
    win::MessageBox(nullptr, text.c_str(), "Error", win::MB_OK | win::MB_ICONERROR);
}

// The library for this platform; null, with the reason in `status`, after
// telling the user.
const char* LibraryForPlatform(win::LONG& status) {
    win::OSVERSIONINFO version;
    version.dwOSVersionInfoSize = sizeof version;
    if (!win::GetVersionEx(&version)) {
        ShowError("Could not obtain OS version info.");
        status = TESSEL_NO_VERSION_INFO;
        return nullptr;
    }
    switch (version.dwPlatformId) {
    case win::VER_PLATFORM_WIN32s:
        return "tslut32.dll";
    case win::VER_PLATFORM_WIN32_WINDOWS:
        return "tslft32.dll";
    case win::VER_PLATFORM_WIN32_NT:
        return "tslnt32.dll";
    default:
        ShowError("Unknown operating system.");
        status = TESSEL_DLL_NOT_FOUND;
        return nullptr;
    }
}

} // namespace

using win::LONG;

TesselDevice::TesselDevice() : library(functionNames) {
    const char* fileName = LibraryForPlatform(apiStatus);
    if (!fileName) {
        return;
    }
    if (!library.Load(fileName)) {
        apiStatus = TESSEL_DLL_NOT_FOUND;
        return;
    }
    if (!library.Has(SlotOf(functionNames, "tslInitialize"))) {
        ShowError(std::string("Error getting function addresses in ") + fileName +
                  ".\nA corrupt file perhaps?");
        library.Unload();
        apiStatus = TESSEL_DLL_NOT_FOUND;
        return;
    }
    // The API status stays "not initialised": it is what the functions the
    // library lacks answer, and they must not pass for a working device.
    handle = static_cast<win::DWORD>(
        CALL_DRIVER(library, functionNames, tslInitialize, LONG{TESSEL_DLL_NOT_FOUND}));
}

TesselDevice::~TesselDevice() {
    CALL_DRIVER(library, functionNames, tslExit, 0, handle);
}

LONG TesselDevice::Status() const {
    return CALL_DRIVER(library, functionNames, tslGetStatus, apiStatus, handle);
}

LONG TesselDevice::On() const {
    return StatusAfter(CALL_DRIVER(library, functionNames, tsl3dOn, std::optional<LONG>{}, handle,
                                   interleavedMode));
}

LONG TesselDevice::Off() const {
    return StatusAfter(
        CALL_DRIVER(library, functionNames, tsl3dOff, std::optional<LONG>{}, handle));
}

LONG TesselDevice::StatusAfter(std::optional<LONG> operation) const {
    return operation ? Status() : apiStatus;
}

bool TesselDevice::HasMode(int width, int height) const {
    const LONG count = CALL_DRIVER(library, functionNames, tslNum3dModes, LONG{0}, handle);
    for (LONG index = 0; index < count; ++index) {
        TslModeInfo mode{};
        CALL_DRIVER(library, functionNames, tsl3dModeInfo, apiStatus, handle,
                    static_cast<win::DWORD>(index), &mode);
        if (mode.width == width && mode.height == height) {
            return true;
        }
    }
    return false;
}

const char* TesselDevice::StatusString(LONG code) const {
    if (const char* text =
            CALL_DRIVER(library, functionNames, tslStatusString, static_cast<const char*>(nullptr),
                        static_cast<win::DWORD>(code))) {
        return text;
    }
    switch (code) {
    case TESSEL_DLL_NOT_FOUND:
        return "Tessel DLL not found";
    case TESSEL_NOT_INITIALIZED:
        return "Tessel not initialized";
    default:
        return "Unknown Tessel Error #1";
    }
}
