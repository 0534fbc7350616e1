#include "platform/display/displaysettings.h"

#include "platform/display/adapter.h"

#include <limits>

namespace win {
namespace {

// A DEVMODE member as a mode field; values no mode can have stay unmatched.
int Field(DWORD value) {
    return value <= static_cast<DWORD>(std::numeric_limits<int>::max()) ? static_cast<int>(value)
                                                                        : -1;
}

// The mode a DEVMODE asks for, or null when the adapter has none such.
const DisplayMode* RequestedMode(const DisplayAdapter& adapter, const DEVMODE& devMode) {
    const DisplayMode current = adapter.Current();
    const DWORD fields = devMode.dmFields;
    const int width = fields & DM_PELSWIDTH ? Field(devMode.dmPelsWidth) : current.width;
    const int height = fields & DM_PELSHEIGHT ? Field(devMode.dmPelsHeight) : current.height;
    const int bits = fields & DM_BITSPERPEL ? Field(devMode.dmBitsPerPel) : current.bitsPerPixel;
    // Win32 takes a frequency of 0 or 1 as the hardware's default.
    const bool anyRefresh = !(fields & DM_DISPLAYFREQUENCY) || devMode.dmDisplayFrequency <= 1;
    const int refresh = anyRefresh ? 0 : Field(devMode.dmDisplayFrequency);
    if (refresh < 0)
        return nullptr;
    return adapter.FindMode(width, height, bits, refresh);
}

} // namespace

BOOL EnumDisplaySettings(const char* deviceName, DWORD modeNum, DEVMODE* devMode) {
    if (deviceName || !devMode)
        return FALSE;
    const DisplayAdapter& adapter = DisplayAdapter::Instance();
    DisplayMode mode;
    if (modeNum == ENUM_CURRENT_SETTINGS)
        mode = adapter.Current();
    else if (modeNum == ENUM_REGISTRY_SETTINGS)
        mode = adapter.Desktop();
    else if (modeNum < adapter.Modes().size())
        mode = adapter.Modes()[modeNum];
    else
        return FALSE;
    devMode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    devMode->dmPelsWidth = static_cast<DWORD>(mode.width);
    devMode->dmPelsHeight = static_cast<DWORD>(mode.height);
    devMode->dmBitsPerPel = static_cast<DWORD>(mode.bitsPerPixel);
    devMode->dmDisplayFrequency = static_cast<DWORD>(mode.refresh);
    return TRUE;
}

LONG ChangeDisplaySettings(DEVMODE* devMode, DWORD flags) {
    if (flags & ~(CDS_TEST | CDS_FULLSCREEN))
        return DISP_CHANGE_BADFLAGS;
    DisplayAdapter& adapter = DisplayAdapter::Instance();
    const bool testOnly = flags & CDS_TEST;
    if (!devMode) {
        if (!testOnly)
            adapter.SetCurrent(adapter.Desktop());
        return DISP_CHANGE_SUCCESSFUL;
    }
    const DisplayMode* mode = RequestedMode(adapter, *devMode);
    if (!mode || adapter.Refuses(RefusedCall::TestDisplay, *mode))
        return DISP_CHANGE_BADMODE;
    if (testOnly)
        return DISP_CHANGE_SUCCESSFUL;
    if (adapter.Refuses(RefusedCall::ChangeDisplay, *mode))
        return DISP_CHANGE_FAILED;
    adapter.SetCurrent(*mode);
    return DISP_CHANGE_SUCCESSFUL;
}

} // namespace win
