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
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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
        volatile uint8_t sum = 0;
        const size_t rowBytes = size_t(image.GetWidth()) * image.GetBytesPerPixel();
        for (int32_t y = 0; y < image.GetHeight(); ++y)
            for (size_t b = 0; b < rowBytes; ++b)
                sum = sum + image.Row(y)[b];
    } catch (const pxError&) {
    }
    return 0;
}
