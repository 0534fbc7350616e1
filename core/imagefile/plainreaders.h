// The BMP, Targa and PPM readers and what they share. Internal to the
// plain-format reader.
#pragma once

#include "imagefile/file.h"
#include "imaging/pximage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plainread {

// Each reads a whole file into image, created with rows aligned to 4 bytes
// and stored bottom-up in memory when bottomUp is 1; row 0 of the result is
// always the top of the picture. Indexed pictures put their colours into
// palette.
void ReadBmp(const char* name, pxImage& image, pxPalette* palette, int32_t bottomUp);
void ReadTga(const char* name, pxImage& image, pxPalette* palette, int32_t bottomUp);
void ReadPpm(const char* name, pxImage& image, int32_t bottomUp);

// What a PPM word may span with the blanks and comments before it: far
// beyond what any writer puts there, and a file of blanks or zeros ends there.
constexpr size_t kMaxPpmWordSpan = size_t{64} << 10;

// The next word of a PPM header: blanks and # comments before it are passed
// over, and it runs to the next blank (which is consumed) or the end of the
// file. Only its first room characters are kept. Nothing when no word ends
// within kMaxPpmWordSpan characters: that is no PPM header.
std::optional<std::string> ReadPpmWord(File& file, size_t room);

// Refuses a picture size before anything is allocated for it: what
// CheckPictureSize refuses, or a picture that needs more data than the file
// has left. storedRowBytes is what one row
// takes stored raw; compressed data may expand a long way, so then only a
// fraction of the raw size must be there.
void CheckImageSize(const char* name, int64_t width, int64_t height, int32_t bytesPerPixel,
                    int64_t storedRowBytes, bool compressed, int64_t bytesLeft);

// The palette an indexed picture's colours go into: there must be one, and
// it is given all 256 entries so that every index has a colour.
pxPalette& IndexedPalette(pxPalette* palette, const char* name);

// Creates image and returns the view of it whose row 0 is the first row the
// file stores (a vertically flipped view for files stored bottom-up).
pxImage CreateInStoredOrder(pxImage& image, px2Size size, int32_t bytesPerPixel, int32_t bottomUp,
                            bool storedBottomUp);

// What is left of the file from where it stands, but no more than maxBytes.
std::vector<uint8_t> ReadRest(File& file, int64_t maxBytes);

} // namespace plainread
