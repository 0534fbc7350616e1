// Finding the stereo pair of an MPO file: the first image's MPF index,
// found among the marker segments before its first scan.
#pragma once

#include "imagefile/mpfindex.h"

#include <cstdio>
#include <optional>

struct MpfIndexInFile {
    MpfIndex index;
    uint64_t tiffOffset = 0; // where the index's TIFF header begins in the file
};

// The index in the MPF segment of the file's first image (read from the
// file's start; the stream's position is left as it was). std::nullopt for
// a file that is no JPEG or has no index, and for one whose first image's
// header has not arrived yet. Throws pxError for a broken or hostile index.
std::optional<MpfIndexInFile> FindMpfIndex(std::FILE* file);

struct MpoPair {
    MpfIndex index;
    MpoViews views; // where the two views lie in the file
};

// The stereo pair the file's index lists, as FindMpfIndex finds it;
// std::nullopt also for an index of no stereo pair. fileSize, when given,
// bounds the views.
std::optional<MpoPair> FindMpoPair(std::FILE* file, std::optional<uint64_t> fileSize);
