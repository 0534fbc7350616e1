// The Qt widget behind a window, for the stand-ins that put Qt widgets into
// windows (dialog controls) and for tests that feed it Qt input.
#pragma once

#include "platform/win/wintypes.h"

class QWidget;

namespace win::internal {

// Null for no such window.
QWidget* WindowWidget(HWND window);

} // namespace win::internal
