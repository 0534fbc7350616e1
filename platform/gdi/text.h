// Text in the one fixed font of this layer: 8 x 16 pixel cells, character
// codes of the Windows ANSI code page.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Each answers the previous value: CLR_INVALID or 0 on failure.
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);
int SetBkMode(HDC dc, int mode);

// Draws count characters with their cells' top-left corner at (x, y): glyph
// pixels in the text colour and, in OPAQUE mode, the rest of each cell in the
// background colour.
BOOL TextOut(HDC dc, int x, int y, const char* text, int count);
// The size TextOut covers: 8 pixels per character by 16.
BOOL GetTextExtentPoint32(HDC dc, const char* text, int count, SIZE* size);

} // namespace win
