// The watermark shown while a picture downloads: the library's 8-bit
// intensity bitmap mixed into the page's background colour.
#pragma once

#include "imaging/pximage.h"
#include "platform/win/wintypes.h"

#include <cstdint>
#include <memory>
#include <vector>

// The intensities of the module's watermark bitmap, 1 byte per pixel, rows
// top-down; null (logged) when the module has none or it is no 8-bit bitmap.
std::unique_ptr<pxImage> LoadWatermarkSource(win::HINSTANCE module);

// destination becomes the source's size in blue, green, red over the colour:
// each nonzero intensity brightens a dark background and darkens a light one.
void MakeWaterMark(pxImage& destination, const pxImage& source, win::COLORREF background);

// The bitmap information header (and 256 16-bit indices) that describes a
// picture for drawing, rows top-down.
std::vector<uint8_t> BlitHeaderFor(const pxImage& image);
