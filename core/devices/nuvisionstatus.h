// The names of the WinSPEX/3D statuses, as the view logs them.
#pragma once

#include "platform/win/wintypes.h"

// "not enabled" for -1 and so on; "Unknown" for a code without a name.
const char* NuVStatusName(win::LONG status);

// Logs "[NuVision Error] <name>".
void NuVLogStatus(win::LONG status);
