// The one 256-entry logical palette record of the process, from which the
// display builds its GDI and DirectDraw palettes. Every palette operation
// overwrites it.
#pragma once

#include "platform/gdi/palette.h"
#include "platform/gdi/systempalette.h"

constexpr int kPaletteEntries = 256;

// Version 0x300, 256 entries.
const win::LOGPALETTE* SharedPalette();
// The record's 256 entries.
win::PALETTEENTRY* SharedPaletteEntries();
