// "Customize Display", as both front ends offer it: CModesDlg over the
// current settings and, on OK, the display kind and the resolution choice
// taken back and written to the common location.
#pragma once

#include "display/modes.h"
#include "platform/win/wintypes.h"
#include "viewer/winregistry.h"

#include <cstdint>
#include <vector>

struct StereoViewMethod;

// True when the user ended the dialog with OK; the settings are changed
// only then. The method must not be null.
bool CustomizeDisplay(win::HWND parent, const StereoViewMethod* method,
                      std::vector<ModeStruct>& excludedModes, int32_t& displayMethod,
                      ModeType& modeType, WinRegistry& registry);
