// Shared by the JPEG and PNG reader fuzz targets: each input is read as a
// file that arrives in two parts, so that resuming a read is fuzzed too.
#pragma once

#include "imagefile/imageinfo.h"
#include "imaging/pxerror.h"
#include "plainread_fuzz.h"

#include <cstdint>
#include <cstdio>

// Pictures above this are refused by the readers only at 1 GiB; the fuzzer
// skips them to stay within its memory limit.
constexpr uint64_t kMaxFuzzPixels = uint64_t{1} << 22;

using StepwiseReader = int (*)(const char*, pxImage*, pxPalette*, _ImageInfo*, const pxColor*);
// Ends a read whose file stopped short; returns the rows that hold picture data.
using StepwiseEnd = int (*)(_ImageInfo*);

inline void WritePart(const char* name, const char* mode, const uint8_t* data, size_t size) {
    if (FILE* file = std::fopen(name, mode)) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
}

// With end, a read still incomplete after the whole input is ended by it, as
// the viewer ends reads of files that stop short.
inline int FuzzStepwiseReader(const uint8_t* data, size_t size, const char* extension,
                              StepwiseReader read, StepwiseEnd end = nullptr) {
    static const FuzzFile fuzzFile(extension);
    const char* name = fuzzFile.name.c_str();
    const size_t firstPart = size / 2;
    WritePart(name, "wb", data, firstPart);
    pxImage image;
    _ImageInfo info;
    const pxColor background = pxColor::Rgb(1, 2, 3);
    try {
        read(name, &image, nullptr, &info, &background);
        WritePart(name, "ab", data + firstPart, size - firstPart);
        read(nullptr, &image, nullptr, &info, &background);
        const bool complete = read(nullptr, &image, nullptr, &info, &background) == 1;
        const int rows = !complete && end ? end(&info) : info.rowsDone;
        ReadEveryByte(image, rows);
    } catch (const pxError&) {
    }
    return 0;
}
