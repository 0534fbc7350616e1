// Device-independent bitmaps: drawing 8-bit (colour table or palette
// indices), 24-bit and 32-bit pictures into a device context, one to one or
// stretched. Everything is clipped to the device context's framebuffer.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFOHEADER {
    DWORD biSize; // 40
    LONG biWidth;
    LONG biHeight; // positive: bottom-up rows; negative: top-down
    WORD biPlanes;
    WORD biBitCount; // 8, 24 or 32
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed; // colour table entries; 0 means all 256 of an 8-bit picture
    DWORD biClrImportant;
};

// The colour table follows the header: RGBQUADs with DIB_RGB_COLORS, or
// 16-bit indices into the selected logical palette with DIB_PAL_COLORS.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr int BLACKONWHITE = 1;
constexpr int COLORONCOLOR = 3;

// Copies the source rectangle (xSrc, ySrc, width, height; for a bottom-up
// picture ySrc counts from the bottom row) to (xDest, yDest). The bits hold
// only the scan lines startScan to startScan + lines - 1 (counted from the
// bottom of a bottom-up picture); only those are drawn. Answers how many of
// those scan lines the picture has, 0 on failure.
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT colourUse);

// Stretches the source rectangle onto the destination rectangle, dropping or
// repeating pixels; a width or height whose sign differs between the two
// mirrors the picture. Only SRCCOPY is offered. Answers the number of source
// scan lines inside the picture, 0 on failure.
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                  UINT colourUse, DWORD rop);

// Every mode stretches as COLORONCOLOR does (whole pixels, no blending).
// Answers the previous mode, 0 on failure.
int SetStretchBltMode(HDC dc, int mode);

} // namespace win
