// The plain image formats: which one a file holds, and reading a whole file
// of one of them into a picture.
#pragma once

#include "imaging/pximage.h"

#include <cstdint>

enum PlainFormat : int32_t {
    FORMAT_FROM_FILE = 0, // as a reader argument: find the format with GetImageFileFormat
    FORMAT_TGA = 1,
    FORMAT_BMP = 2,
    FORMAT_PPM = 3,
    FORMAT_BLOCKFILE = 4, // the block resource file (.pxf)
    FORMAT_JPEG = 5,      // by extension only; read by the JPEG reader
    FORMAT_PNG = 6,       // by extension only; read by the PNG reader
};

// The format of a file: by its extension when that is one of the known ones,
// written all in lower or all in upper case; else by its content (BMP and PPM
// by their first bytes, Targa by its footer). Throws pxError when it cannot
// be told, pxFileError when the file cannot be read.
PlainFormat GetImageFileFormat(const char* fileName);

// Reads a whole BMP, Targa or PPM file into image, with rows aligned to 4
// bytes and stored bottom-up in memory when bottomUp is 1. Row 0 is always
// the top of the picture. True-colour pictures have 3 bytes per pixel (blue,
// green, red), 32-bit Targa files 4; indexed and greyscale pictures have one
// palette index per pixel and put their colours into palette. A block
// resource file gives its first image, as stored, with rows aligned to 1 byte
// and stored top-down whatever bottomUp says, and its first palette. JPEG and
// PNG files are read elsewhere and leave image as it is. Throws pxError.
void ReadPlainImage(const char* fileName, pxImage* image, pxPalette* palette, int32_t bottomUp,
                    int32_t format);
