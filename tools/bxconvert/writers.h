// Writing a picture to a file, in the format its name's extension names:
// .ppm, .bmp, .png, .jpg, and the stereo forms .jps (JPEG) and .pns (PNG),
// which carry a layout word saying how the two eye views are arranged.
#pragma once

#include "imaging/pximage.h"

#include <cstdint>

enum class PictureFormat { Ppm, Bmp, Png, Jpeg, Jps, Pns };

struct WriteOptions {
    int quality = 92; // JPEG quality, 1 to 100
    // The stereo descriptor's layout word of .jps and .pns files: by default
    // side by side, left eye first.
    uint32_t layout = 0x40201;
};

// The format a file name's extension asks for (in any letter case). Throws
// pxError, listing the accepted extensions, for any other name.
PictureFormat PictureFormatOf(const char* fileName);

// Writes image to fileName, replacing any file there only once the whole
// picture is written. Pixels of 3 bytes are blue, green, red; of 4 bytes the
// fourth is left out; of 1 byte they are indices into palette, which must
// then be given (indices beyond its count come out black). Palette pictures
// become palette BMP and PNG files and are expanded to true colour
// elsewhere. Throws pxError naming the file on any failure; no file of that
// name is left behind by a write that failed.
void WritePicture(const char* fileName, const pxImage& image, const pxPalette* palette,
                  const WriteOptions& options = {});
