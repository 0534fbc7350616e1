// The system palette: the 256 colours an 8-bit display shows its pixel
// values with, shared by the whole process. Its first and last ten entries
// hold the static colours; with SYSPAL_NOSTATIC only black (0) and white
// (255) stay reserved and every other entry is free for logical palettes.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

constexpr UINT SYSPAL_ERROR = 0;
constexpr UINT SYSPAL_STATIC = 1;
constexpr UINT SYSPAL_NOSTATIC = 2;

// Answers the previous use, or SYSPAL_ERROR for a device context that is not
// 8 bits deep. Going back to SYSPAL_STATIC puts the static colours back.
UINT SetSystemPaletteUse(HDC dc, UINT use);
UINT GetSystemPaletteUse(HDC dc);

// Copies entries start to start + count - 1 (as far as they exist) and
// answers how many it copied; with a null entries pointer it answers 256.
UINT GetSystemPaletteEntries(HDC dc, UINT start, UINT count, PALETTEENTRY* entries);

namespace internal {
// The current colours, for showing 8-bit framebuffers.
void GetSystemPaletteColours(PALETTEENTRY out[256]);
} // namespace internal

} // namespace win
