// The encoders behind WritePicture and what they share. Each writes one
// whole file to an open stream; the caller has checked the picture (pixels
// present, 1, 3 or 4 bytes per pixel, a palette for 1-byte pixels).
#pragma once

#include "imaging/pximage.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace encode {

// Palette entry index, black when the palette has no such entry.
pxColor PaletteColour(const pxPalette& palette, int index);

// Picture row `row` as red, green, blue bytes (3 * width of them).
void RgbRow(const pxImage& image, const pxPalette* palette, int32_t row, uint8_t* out);

// What follows the descriptor length in a stereo descriptor: the layout word
// (big-endian) and an empty comment.
std::vector<uint8_t> DescriptorTail(uint32_t layout);

void WritePpm(std::FILE* file, const pxImage& image, const pxPalette* palette);
// Throws pxError naming fileName for pictures beyond the format's sizes.
void WriteBmp(std::FILE* file, const char* fileName, const pxImage& image,
              const pxPalette* palette);

// stereoLayout, when given, adds a stereo descriptor with that layout word.
// Both throw pxError naming fileName when the library reports an error.
void WriteJpeg(std::FILE* file, const char* fileName, const pxImage& image,
               const pxPalette* palette, int quality, std::optional<uint32_t> stereoLayout);
void WritePng(std::FILE* file, const char* fileName, const pxImage& image, const pxPalette* palette,
              std::optional<uint32_t> stereoLayout);

} // namespace encode
