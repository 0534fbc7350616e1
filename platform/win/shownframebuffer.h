// A window may show another framebuffer than its own: DirectDraw's
// cooperative window shows the primary surface, or each eye of a stereo pair
// in turn.
#pragma once

#include "platform/gdi/framebuffer.h"
#include "platform/win/wintypes.h"

namespace win::internal {

// Shows the frame in the window's place until it is replaced or cleared with
// null (the window shows its own framebuffer again). The frame must live
// until then; the window repaints at once. Unknown windows are ignored.
void ShowFramebufferInstead(HWND window, const Framebuffer* frame);
// What the window shows now: the frame set above, else its own framebuffer;
// null for no such window.
const Framebuffer* ShownFramebuffer(HWND window);

} // namespace win::internal
