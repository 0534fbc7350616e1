// What the device contexts draw on: the framebuffer behind each window.
#pragma once

#include "platform/gdi/framebuffer.h"
#include "platform/win/wintypes.h"

namespace win::internal {

// The window's pixels, client size at the current mode's depth; null for no
// such window. The object keeps its address for the window's life (resizes
// and mode changes reset it in place).
Framebuffer* WindowFramebuffer(HWND window);
// Shows the framebuffer again after drawing.
void FramebufferChanged(HWND window);

} // namespace win::internal
