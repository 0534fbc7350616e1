// The Multi-Picture Format index of MPO files (stereo cameras): an APP2
// segment that begins "MPF\0" and holds a small TIFF structure, which lists
// the JPEG images of the file (the first image's segment) or describes one
// image (every other image's segment).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// More images than any camera stores; an index listing more is refused.
constexpr uint32_t kMpfMaxImages = 64;

// Bits of an image's attribute word.
constexpr uint32_t kMpfTypeMask = 0x00FFFFFF;
constexpr uint32_t kMpfTypeDisparity = 0x020002;  // one view of a stereo pair
constexpr uint32_t kMpfTypeMultiAngle = 0x020003; // one of several viewpoints
constexpr uint32_t kMpfRepresentative = 0x20000000;

struct MpfImage {
    uint32_t attribute = 0;
    uint32_t size = 0;   // bytes, from the image's SOI to its EOI
    uint32_t offset = 0; // from the first image's MPF TIFF header; 0 for the first image
};

struct MpfIndex {
    std::vector<MpfImage> images;
    // The first image's own number among the views, when its attributes say.
    std::optional<uint32_t> firstIndividualNumber;
};

// Where an MPF segment's TIFF header begins, after "MPF\0".
constexpr size_t kMpfTiffHeaderAt = 4;

// True when an APP2 segment's data (after its length field) is an MPF segment.
bool IsMpfSegment(const uint8_t* data, size_t length);

// The index in the first image's MPF segment; std::nullopt for a segment
// without one (the segment of a later image). Throws pxError saying what is
// wrong with an index that is broken or hostile: entries outside the
// segment, more than kMpfMaxImages images, a first image not at offset 0.
std::optional<MpfIndex> ParseMpfIndex(const uint8_t* data, size_t length);

// The image's number among the views (MPIndividualNum) from the attributes
// in its MPF segment; std::nullopt when the segment has none or they cannot
// be read.
std::optional<uint32_t> MpfIndividualNumber(const uint8_t* data, size_t length);

// An index whose first two images are the views of a stereo pair.
bool IsStereoMpfIndex(const MpfIndex& index);

// Where the two views of a stereo MPO lie in the file.
struct MpoViews {
    uint64_t firstSize = 0; // the first image starts the file
    uint64_t secondOffset = 0;
    uint64_t secondSize = 0;
};

// The views of a stereo index whose first image's TIFF header is at
// tiffOffset in the file. Throws pxError for views that overlap or, when
// fileSize is given, lie outside the file.
MpoViews PlaceMpoViews(const MpfIndex& index, uint64_t tiffOffset,
                       std::optional<uint64_t> fileSize);
