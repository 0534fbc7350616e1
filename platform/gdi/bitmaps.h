// Device-dependent bitmaps and memory device contexts: off-screen pixels at
// a device's depth, drawn on through a memory context and copied to and from
// windows with BitBlt; and scrolling the pixels of a device context.
#pragma once

#include "platform/gdi/dib.h"
#include "platform/gdi/objects.h"
#include "platform/win/wintypes.h"

namespace win {

struct BITMAP {
    LONG bmType; // 0
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes; // bytes per row of GetBitmapBits
    WORD bmPlanes;     // 1
    WORD bmBitsPixel;
    void* bmBits; // null: the bits are reached through GetBitmapBits
};

// A memory device context compatible with the device context (null: the
// screen). It starts with a 1 x 1 bitmap selected; unlike Win32's, which is
// monochrome, it has the depth of that device, and so do the bitmaps
// CreateCompatibleBitmap makes for the memory context.
HDC CreateCompatibleDC(HDC dc);
// For memory device contexts (and DirectDraw's); the bitmap selected into it
// is released, not deleted. Window contexts go with ReleaseDC.
BOOL DeleteDC(HDC dc);

// A bitmap of the device context's depth, cleared to zero (black); null for
// a width or height below 1 or an unknown context.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);

// For a bitmap, fills a BITMAP (size at least sizeof(BITMAP)) and answers
// the bytes written; a null buffer asks for the size. 0 for anything else.
int GetObject(HGDIOBJ object, int size, void* buffer);
// Copies at most size bytes of the bitmap's rows, top row first, each
// bmWidthBytes long, in the framebuffer layout of its depth (8 bits: system
// palette indices; 16: 5-6-5; 24: blue, green, red; 32: blue, green, red,
// unused). Answers the bytes copied, 0 on failure.
LONG GetBitmapBits(HBITMAP bitmap, LONG size, void* bits);

// Copies the source rectangle at (xSrc, ySrc) to (x, y); only SRCCOPY is
// offered. What lies outside either framebuffer is left out. Between
// different depths each pixel keeps its colour as well as the destination
// can show it. The source and destination may be the same context and
// overlap. Answers FALSE for unknown contexts or another raster operation.
BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSrc, int ySrc, DWORD rop);

// Moves the pixels of scroll (null: all of the context) by dx, dy, keeping
// inside clip (null: no further limit): what moves out is lost, what is
// uncovered keeps its old pixels, and updateRect (may be null) receives the
// bounds of the uncovered part. Only a null update region is supported.
BOOL ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN updateRegion,
              RECT* updateRect);

inline BOOL DeleteObject(HBITMAP bitmap) {
    return DeleteObject(reinterpret_cast<HGDIOBJ>(bitmap));
}
inline HGDIOBJ SelectObject(HDC dc, HBITMAP bitmap) {
    return SelectObject(dc, reinterpret_cast<HGDIOBJ>(bitmap));
}
inline int GetObject(HBITMAP bitmap, int size, void* buffer) {
    return GetObject(reinterpret_cast<HGDIOBJ>(bitmap), size, buffer);
}

namespace internal {
// A bitmap of that size and depth (8, 16, 24 or 32 bits), cleared to zero;
// null for a size below 1 or another depth.
HBITMAP MakeBitmap(int width, int height, int bitsPerPixel);
} // namespace internal

} // namespace win
