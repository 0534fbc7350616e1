// 8-bit screens: the plug-in draws its 8-bit pictures in the colours the
// system palette holds, through one platform palette shared by every
// instance.
#pragma once

#include "imaging/pximage.h"
#include "platform/win/wintypes.h"

// A 256-entry platform palette from the system palette of the window's
// parent, whose colours are also copied into the shared palette. Null (told
// to the user) on failure.
win::HPALETTE CreatePluginPalette(win::HWND window, pxPalette& shared);

// Selects and realises the plug-in's palette in the context, building it on
// first use; answers how many entries changed. Does nothing on screens of
// more than 8 bits.
win::UINT RealisePluginPalette(win::HWND window, win::HDC dc);
