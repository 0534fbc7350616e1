#include "imagefile/mpofile.h"

#include "imagefile/byteorder.h"

#include <vector>

namespace {

constexpr int kMarkerSoi = 0xD8;
constexpr int kMarkerSos = 0xDA;
constexpr int kMarkerEoi = 0xD9;
constexpr int kMarkerApp2 = 0xE2;

// Reads count bytes at offset; false when the file does not hold them (yet).
bool ReadAt(std::FILE* file, uint64_t offset, uint8_t* bytes, size_t count) {
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0)
        return false;
    const bool whole = std::fread(bytes, 1, count, file) == count;
    std::clearerr(file);
    return whole;
}

// The first MPF segment's data (after its length field) and where it begins
// in the file; std::nullopt when the header ends without one.
struct Segment {
    std::vector<uint8_t> data;
    uint64_t offset = 0;
};

std::optional<Segment> FindMpfSegment(std::FILE* file) {
    uint8_t start[2];
    if (!ReadAt(file, 0, start, 2) || start[0] != 0xFF || start[1] != kMarkerSoi)
        return std::nullopt;
    uint64_t at = 2;
    // Each step passes one segment of at least its 4 header bytes, so the
    // scan ends at the file's end.
    for (;;) {
        uint8_t header[4];
        if (!ReadAt(file, at, header, 4) || header[0] != 0xFF)
            return std::nullopt;
        if (header[1] == 0xFF) { // a fill byte before the marker
            ++at;
            continue;
        }
        if (header[1] == kMarkerSos || header[1] == kMarkerEoi)
            return std::nullopt;
        const uint32_t length = BigEndian16(header + 2);
        if (length < 2)
            return std::nullopt;
        if (header[1] == kMarkerApp2) {
            Segment segment{std::vector<uint8_t>(length - 2), at + 4};
            if (!ReadAt(file, segment.offset, segment.data.data(), segment.data.size()))
                return std::nullopt;
            if (IsMpfSegment(segment.data.data(), segment.data.size()))
                return segment;
        }
        at += 2 + length;
    }
}

} // namespace

std::optional<MpfIndexInFile> FindMpfIndex(std::FILE* file) {
    const long position = std::ftell(file);
    const std::optional<Segment> segment = FindMpfSegment(file);
    if (position >= 0)
        std::fseek(file, position, SEEK_SET);
    if (!segment)
        return std::nullopt;
    std::optional<MpfIndex> index = ParseMpfIndex(segment->data.data(), segment->data.size());
    if (!index)
        return std::nullopt;
    return MpfIndexInFile{std::move(*index), segment->offset + kMpfTiffHeaderAt};
}

std::optional<MpoPair> FindMpoPair(std::FILE* file, std::optional<uint64_t> fileSize) {
    std::optional<MpfIndexInFile> found = FindMpfIndex(file);
    if (!found || !IsStereoMpfIndex(found->index))
        return std::nullopt;
    const MpoViews views = PlaceMpoViews(found->index, found->tiffOffset, fileSize);
    return MpoPair{std::move(found->index), views};
}
