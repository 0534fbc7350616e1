// Device contexts on a framebuffer, for the windows layer (GetDC, BeginPaint)
// and DirectDraw surfaces.
#pragma once

#include "platform/gdi/framebuffer.h"
#include "platform/win/wintypes.h"

namespace win::internal {

// The framebuffer must outlive the device context; it may be reset in place
// meanwhile (the context follows its new size and depth). With a window,
// drawing and palette changes tell that window to show its framebuffer again.
// Null for a null target.
HDC CreateFramebufferDC(Framebuffer* target, HWND window);
// Deselects what was selected into the context; false for an unknown handle.
bool DeleteFramebufferDC(HDC dc);
// A destroyed window's contexts go with it, as in Win32: later calls on them
// fail instead of drawing into the freed framebuffer.
void DeleteWindowDCs(HWND window);

} // namespace win::internal
