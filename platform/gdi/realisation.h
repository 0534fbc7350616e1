// Mapping logical palettes onto the process-wide system palette.
#pragma once

#include "platform/gdi/gdiobjects.h"
#include "platform/gdi/systempalette.h"

#include <array>

namespace win::internal {

using SystemColours = std::array<PALETTEENTRY, 256>;

// Entries 0 to 9 and 246 to 255, reserved under SYSPAL_STATIC.
bool IsStaticIndex(int index);
// The colour Windows keeps in a static entry.
PALETTEENTRY StaticColour(int index);

const SystemColours& CurrentSystemColours();
int NearestSystemIndex(COLORREF colour);

struct Realisation {
    UINT mapped = 0;            // entries whose mapping is new
    bool systemChanged = false; // some system entry took another colour
};

// In the foreground a palette may take every entry that is not reserved; in
// the background only those nobody holds. Colours without PC_NOCOLLAPSE share
// an entry that already holds them; when no entry is free a colour maps to
// the nearest one.
Realisation Realize(LogicalPalette& palette, bool foreground);

// The entries a deleted palette held become free.
void ReleaseSystemEntries(const LogicalPalette& palette);

// Answers whether the system palette changed.
bool ChangeSystemPaletteUse(UINT use);
UINT CurrentSystemPaletteUse();

} // namespace win::internal
