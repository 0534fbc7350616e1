// What a device context's device can do, and the screen's metrics.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int SIZEPALETTE = 104;
constexpr int NUMRESERVED = 106;
constexpr int COLORRES = 108;

constexpr int RC_PALETTE = 0x0100;
constexpr int RC_DIBTODEV = 0x0200;
constexpr int RC_STRETCHDIB = 0x2000;

// HORZRES and VERTRES are the current display mode's size; BITSPIXEL is the
// depth of the framebuffer the context draws on. Unknown indices answer 0.
int GetDeviceCaps(HDC dc, int index);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

// The current display mode's width and height; other indices answer 0.
int GetSystemMetrics(int index);

} // namespace win
