// The built-in 8 x 16 font and text drawing with colour codes.
//
// Colour codes: a caret followed by one of k R G Y B M C W (indices 0-7, the
// dark colours) or K r g y b m c w (indices 248-255, the bright ones) sets the
// colour for the rest of the text and is not drawn. Two carets draw one
// caret; a caret before any other character is drawn as a caret.
#pragma once

#include "imaging/geometry.h"
#include "imaging/pxerror.h"
#include "imaging/pximage.h"

#include <cstdint>

constexpr int32_t kCharWidth = 8;
constexpr int32_t kCharHeight = 16;
// Printf-style texts are cut to this many characters.
constexpr int kMaxTextLength = 255;

// The font as a 1-byte image, 8 pixels wide and 256 x 16 rows high: glyph c
// fills rows 16c to 16c + 15; a pixel is 1 where the glyph is set, else 0.
const pxImage& pxFontImage();

// Draws text with its top-left corner at point, 8 pixels per character, in
// the palette index colour until a colour code changes it. Set glyph pixels
// are written, clear ones left alone; nothing outside the image is touched.
// A 1-byte image takes the index; 3- and 4-byte images take the index's
// colour in the default palette as blue, green, red (and 0 in a fourth byte).
// Other depths throw.
void DrawText(pxImage& image, px2Pnt point, const char* text, uint8_t colour);

// The size DrawText covers with the formatted text: (8 x drawn characters, 16).
px2Size TextExtent(const char* format, ...) PX_PRINTF(1, 2);
