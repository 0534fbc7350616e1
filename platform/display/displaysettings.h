// Listing and changing display modes as Win32 does, on the virtual adapter.
// Only the default display exists: pass a null device name.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

// dmFields: which members of a DEVMODE hold a value.
constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;
constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;

struct DEVMODE {
    WORD dmSize = 0;
    DWORD dmFields = 0;
    DWORD dmBitsPerPel = 0;
    DWORD dmPelsWidth = 0;
    DWORD dmPelsHeight = 0;
    DWORD dmDisplayFrequency = 0;
};

// Mode numbers of EnumDisplaySettings beside the indexes 0, 1, 2, ...
constexpr DWORD ENUM_CURRENT_SETTINGS = static_cast<DWORD>(-1);
constexpr DWORD ENUM_REGISTRY_SETTINGS = static_cast<DWORD>(-2); // the desktop mode

// Flags of ChangeDisplaySettings. 0 changes the mode for the running
// session; CDS_FULLSCREEN does the same, as a temporary change; CDS_TEST only
// asks whether the change would succeed.
constexpr DWORD CDS_TEST = 0x00000002;
constexpr DWORD CDS_FULLSCREEN = 0x00000004;

constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
constexpr LONG DISP_CHANGE_RESTART = 1; // never answered: the virtual adapter changes at once
constexpr LONG DISP_CHANGE_FAILED = -1;
constexpr LONG DISP_CHANGE_BADMODE = -2;
constexpr LONG DISP_CHANGE_BADFLAGS = -4;

// Fills the size, depth and refresh of mode number modeNum and answers TRUE;
// FALSE, leaving devMode alone, past the last mode.
BOOL EnumDisplaySettings(const char* deviceName, DWORD modeNum, DEVMODE* devMode);

// Members not named in dmFields keep the current mode's values; without
// DM_DISPLAYFREQUENCY the first listed refresh of that size and depth is
// taken. A null devMode returns to the desktop mode.
LONG ChangeDisplaySettings(DEVMODE* devMode, DWORD flags);

} // namespace win
