// Logical palettes: an application's colours, mapped to system palette
// entries when realised in a device context.
#pragma once

#include "platform/gdi/systempalette.h"
#include "platform/win/wintypes.h"

namespace win {

// peFlags: the colour takes a free system entry of its own instead of
// sharing an entry that already holds the same colour.
constexpr BYTE PC_NOCOLLAPSE = 0x04;

constexpr UINT GDI_ERROR = 0xFFFFFFFF;

struct LOGPALETTE {
    WORD palVersion; // 0x300
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1]; // palNumEntries entries follow the header
};

// Null for a missing record or one without entries.
HPALETTE CreatePalette(const LOGPALETTE* palette);

// Answers the palette selected before, or null on failure. A palette forced
// into the background only uses system entries nobody else holds.
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);

// Maps the selected palette's entries to the system palette (8-bit devices
// only; others answer 0) and answers how many entries were mapped afresh:
// realising again with nothing changed answers 0. GDI_ERROR for a bad handle.
UINT RealizePalette(HDC dc);

// Both answer the number of entries copied; GetPaletteEntries with null
// entries answers the palette's size. A new colour shows once realised.
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);
UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* entries);

// The entry nearest to the colour, CLR_INVALID for a bad handle.
UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour);

// Redraws an 8-bit window's pixels in the colours they had before the system
// palette last changed, as well as the realised palette allows.
BOOL UpdateColors(HDC dc);

} // namespace win
