// GDI objects: stock objects, solid brushes, selecting and deleting them,
// and filling rectangles.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int DEFAULT_PALETTE = 15;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Null for an object this layer does not offer.
HGDIOBJ GetStockObject(int object);
HBRUSH CreateSolidBrush(COLORREF colour);

// Stock objects are never deleted (the call still succeeds); an object still
// selected into a device context is refused.
BOOL DeleteObject(HGDIOBJ object);
// Brushes, and bitmaps into memory device contexts (palettes go through
// SelectPalette); answers the object selected before, null on failure.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

// Right and bottom are exclusive; a null brush fills nothing. Answers
// nonzero on success.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);

// Win32 code passes brushes and palettes where an HGDIOBJ is asked for.
inline BOOL DeleteObject(HBRUSH brush) {
    return DeleteObject(reinterpret_cast<HGDIOBJ>(brush));
}
inline BOOL DeleteObject(HPALETTE palette) {
    return DeleteObject(reinterpret_cast<HGDIOBJ>(palette));
}
inline HGDIOBJ SelectObject(HDC dc, HBRUSH brush) {
    return SelectObject(dc, reinterpret_cast<HGDIOBJ>(brush));
}

} // namespace win
