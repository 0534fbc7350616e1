// Whole-image and rectangle operations on pxImage views. They walk rows
// through each view's pixel pointer and stride, so bottom-up buffers and
// field views work the same, and they clip so that nothing outside an image
// is ever read or written.
//
// `changed`, where taken, grows (px2Rect::UnionWith) by the rectangle actually
// written; nullptr means not wanted.
#pragma once

#include "imaging/geometry.h"
#include "imaging/pximage.h"

#include <cstdint>

// Address of pixel (x, y) of a view.
uint8_t* PixelAddress(const pxImage& image, int32_t x, int32_t y);

// Throws unless every row of a non-empty view lies inside its buffer's memory:
// virtual views have none, and a view keeps its old pointer when another view
// resizes the shared buffer. `operation` starts the message.
void CheckPixelAccess(const pxImage& image, const char* operation);

// 1-byte images take the colour's first byte (the index); 3-byte images its
// blue, green, red.
void pxFillRect(pxImage& image, const px2Rect& rect, pxColor colour, px2Rect* changed = nullptr);
void pxFillImage(pxImage& image, pxColor colour, px2Rect* changed = nullptr);
// One-pixel outline of rect in the colour's first byte (the index); 3- and
// 4-byte images take that index's fixed system colour.
void pxFrameRect(pxImage& image, const px2Rect& rect, pxColor colour, px2Rect* changed = nullptr);

// Copies sourceRect of source to destination with its top-left corner at
// destinationPoint, clipped to both images.
void CopyImage(pxImage& destination, px2Pnt destinationPoint, const pxImage& source,
               const px2Rect& sourceRect, px2Rect* changed = nullptr);

// New byte k of every pixel of rows startRow .. endRow-1 = old byte bk
// (negative bounds: 0 and the height).
void SwapBytes(pxImage& image, int b0, int b1, int b2, int b3, int startRow = -1, int endRow = -1);
// The same on palette entries startEntry .. endEntry-1 (all four bytes).
void SwapBytes(pxPalette& palette, int b0, int b1, int b2, int b3, int startEntry = -1,
               int endEntry = -1);

// Converts source into destination, which the caller made with the same size
// and the new depth; 3 to 1 byte quantizes into palette.
void ConvertBPP(pxImage& destination, pxImage& source, pxPalette& palette, int bytesPerPixel);

// The blue, green and red bytes of a 4-byte image into a 3-byte image of the
// same size (ConvertBPP leaves 4-byte sources alone).
void DropFourthByte(pxImage& destination, const pxImage& source);

// Every pixel p of a 1-byte image becomes table[p].
void ApplyLUT(pxImage& image, const uint8_t table[256]);

// Fits a 1-byte image's 256-colour palette into `colours` entries from
// firstIndex, keeping the fixed system colours, and re-indexes the image.
void RemapToPalette(pxImage& image, pxPalette& palette, int colours, int firstIndex);

// destination = source upside down.
void flip_vert(pxImage& destination, const pxImage& source);
