// Loading a DirectDraw palette into the adapter: an 8-bit primary shows its
// pixels through the system palette, as every 8-bit framebuffer does.
#pragma once

#include "platform/gdi/systempalette.h"

namespace win::ddraw {

// The system palette takes the 256 colours, except the entries the system
// keeps for itself: the ten static colours at each end, or under
// SYSPAL_NOSTATIC black at 0 and white at 255.
void LoadHardwarePalette(const PALETTEENTRY* colours);

} // namespace win::ddraw
