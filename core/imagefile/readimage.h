// Telling what kind of file a path names, and reading an image file into a
// picture, in one call or in steps while the file is still arriving.
#pragma once

#include "imagefile/imageinfo.h"
#include "imaging/pximage.h"

#include <cstdint>

// The codes of CheckFileType (3 is never returned).
enum FileType : int {
    FILETYPE_UNKNOWN = 0,
    FILETYPE_PLAIN = 1, // Targa, BMP, PPM, block resource file (or JPEG/PNG by extension)
    FILETYPE_AVI = 2,
    FILETYPE_PXR = 4,
    FILETYPE_JPEG = 5,
    FILETYPE_PNG = 6,
};

// Layout words of files without a stereo descriptor.
constexpr uint32_t kJpegDefaultLayout = 0x201;    // side by side, right view first
constexpr uint32_t kPlainDefaultLayout = 0x10101; // rows interleaved, half height, right first
// The frame a stereo MPO's two views are read into.
constexpr uint32_t kMpoLayout = 0x40201; // side by side, left view first

// The type of a file, judged from its first bytes (and, for the plain
// formats, its extension). Throws pxError when the file cannot be opened.
int CheckFileType(const char* fileName);

// Stepwise read with the caller's progress record: 1 when the image is
// complete, 0 when more of the file is needed; throws pxError. background,
// when given, fills a newly allocated image first.
int ReadImage(const char* fileName, pxImage* image, pxPalette* palette, _ImageInfo* info,
              const pxColor* background);

struct ReadImageData {
    const char* fileName = nullptr; // in: must not be null
    pxImage* image = nullptr;       // in: receives the pixels
    pxPalette* palette = nullptr;   // in: for indexed pictures
    uint32_t layout = 0;            // out: the image's layout word
    int rowsDone = 0;               // in/out: rows decoded so far
    int firstCall = 1;              // in/out: set for a new read; ReadImage clears it
    // out: the file ended before the image did and stopped growing; the rows
    // decoded so far are kept (the rest are black) and the result is 1.
    int truncated = 0;
    int64_t bytesRead = 0; // kept between calls: how much of the file was taken
};

// Stepwise read for the viewer: call with firstCall set, then again while the
// result is 0. Only one JPEG read through this form runs at a time; a new
// read (firstCall set) discards one under way. A PNG file must carry a stereo
// descriptor.
int ReadImage(ReadImageData* data);

// The content probes (each opens the file, reads a few bytes, closes it).
bool IsFileJPEG(const char* fileName);
// A JPEG file that is an MPO: named .mpo, or its first image's MPF index
// lists two or more images.
bool IsFileMPO(const char* fileName);
bool IsFilePNG(const char* fileName);
bool IsFilePXR(const char* fileName);
bool IsFileAVI(const char* fileName);
