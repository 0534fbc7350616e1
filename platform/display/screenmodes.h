// The adapter the real screen gives when no profile is named: the common
// sizes that fit on the screen, and the screen's own, at every depth.
#pragma once

#include "platform/display/adapter.h"

namespace win::internal {

// Sizes ordered by width, then height; each size at 8, 16, 24 and 32 bits.
// The desktop is the screen's size at its depth (32 bits unless it is one
// of the four).
AdapterProfile ScreenProfile(int screenWidth, int screenHeight, int screenDepth, int refresh);

// The profile of the primary screen, read through Qt.
AdapterProfile RealScreenProfile();

} // namespace win::internal
