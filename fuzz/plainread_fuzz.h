// Shared by the plain-format reader fuzz targets: the readers take only file
// names, so each input is written to a file of its own and read back.
#pragma once

#include "fuzzfile.h"
#include "imagefile/plainformats.h"
#include "imaging/pxerror.h"
#include "imaging/pximage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Reads every byte of the first rows of image once, so that the sanitizer
// checks they lie inside its buffer. memcpy checks its whole source but is not
// traced for coverage, so a large picture does not cost a second per run.
inline void ReadEveryByte(const pxImage& image, int32_t rows) {
    std::vector<uint8_t> copy(size_t(image.GetWidth()) * image.GetBytesPerPixel());
    for (int32_t y = 0; y < rows && y < image.GetHeight(); ++y)
        std::memcpy(copy.data(), image.Row(y), copy.size());
}

// Reads data as a file of the given format; every pixel of a picture that
// reads must lie inside its buffer.
inline int FuzzPlainReader(const uint8_t* data, size_t size, const char* extension,
                           int32_t format) {
    static const FuzzFile fuzzFile(extension);
    const char* name = fuzzFile.name.c_str();
    fuzzFile.Write(data, size);
    try {
        pxImage image;
        pxPalette palette;
        ReadPlainImage(name, &image, &palette, size % 2 == 0 ? 0 : 1, format);
        ReadEveryByte(image, image.GetHeight());
    } catch (const pxError&) {
    }
    return 0;
}
