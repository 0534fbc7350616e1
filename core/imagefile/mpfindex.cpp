#include "imagefile/mpfindex.h"

#include "imagefile/byteorder.h"
#include "imaging/pxerror.h"

#include <cstring>

namespace {

constexpr uint16_t kTagNumberOfImages = 0xB001;
constexpr uint16_t kTagEntries = 0xB002;
constexpr uint16_t kTagIndividualNumber = 0xB101;
constexpr uint16_t kTypeLong = 4;
constexpr size_t kEntryBytes = 16;
constexpr size_t kFieldBytes = 12;

// The TIFF structure of an MPF segment, read with its byte order; every
// read is checked against the segment's end.
class MpfTiff {
public:
    // std::nullopt when the segment has no TIFF header after "MPF\0".
    static std::optional<MpfTiff> Open(const uint8_t* data, size_t length) {
        if (!IsMpfSegment(data, length) || length < kMpfTiffHeaderAt + 8)
            return std::nullopt;
        MpfTiff tiff(data + kMpfTiffHeaderAt, length - kMpfTiffHeaderAt);
        if (std::memcmp(tiff.bytes, "II", 2) == 0)
            tiff.littleEndian = true;
        else if (std::memcmp(tiff.bytes, "MM", 2) != 0)
            return std::nullopt;
        if (*tiff.U16(2) != 42)
            return std::nullopt;
        return tiff;
    }

    size_t Length() const { return length; }
    std::optional<uint32_t> U16(size_t at) const {
        if (at > length || length - at < 2)
            return std::nullopt;
        return littleEndian ? LittleEndian16(bytes + at) : BigEndian16(bytes + at);
    }
    std::optional<uint32_t> U32(size_t at) const {
        if (at > length || length - at < 4)
            return std::nullopt;
        return littleEndian ? LittleEndian32(bytes + at) : BigEndian32(bytes + at);
    }

    struct Field {
        uint16_t tag;
        uint16_t type;
        uint32_t count;
        uint32_t value; // the value itself when it fits in 4 bytes, else its offset
    };
    // The IFD at offset: its fields and the offset of the next IFD (0 for
    // none); std::nullopt when it does not lie within the segment.
    struct Directory {
        std::vector<Field> fields;
        uint32_t next = 0;
        const Field* Find(uint16_t tag) const {
            for (const Field& field : fields)
                if (field.tag == tag)
                    return &field;
            return nullptr;
        }
    };
    std::optional<Directory> ReadDirectory(uint32_t offset) const {
        const std::optional<uint32_t> count = U16(offset);
        // Each field takes 12 bytes of the segment after the count, so a
        // count past what the segment holds is refused before anything is
        // read or allocated.
        if (!count || *count > (length - offset - 2) / kFieldBytes)
            return std::nullopt;
        Directory directory;
        const size_t first = size_t{offset} + 2;
        for (size_t i = 0; i < *count; ++i) {
            const size_t at = first + i * kFieldBytes;
            directory.fields.push_back({static_cast<uint16_t>(*U16(at)),
                                        static_cast<uint16_t>(*U16(at + 2)), *U32(at + 4),
                                        *U32(at + 8)});
        }
        const std::optional<uint32_t> next = U32(first + *count * kFieldBytes);
        if (!next)
            return std::nullopt;
        directory.next = *next;
        return directory;
    }
    std::optional<Directory> FirstDirectory() const { return ReadDirectory(*U32(4)); }

private:
    MpfTiff(const uint8_t* tiffBytes, size_t tiffLength) : bytes(tiffBytes), length(tiffLength) {}

    const uint8_t* bytes;
    size_t length;
    bool littleEndian = false;
};

std::optional<uint32_t> IndividualNumberIn(const MpfTiff::Directory& attributes) {
    const MpfTiff::Field* number = attributes.Find(kTagIndividualNumber);
    if (!number || number->type != kTypeLong || number->count != 1)
        return std::nullopt;
    return number->value;
}

bool IsViewOfPair(const MpfImage& image) {
    const uint32_t type = image.attribute & kMpfTypeMask;
    return type == kMpfTypeDisparity || type == kMpfTypeMultiAngle;
}

} // namespace

bool IsMpfSegment(const uint8_t* data, size_t length) {
    return data && length >= kMpfTiffHeaderAt && std::memcmp(data, "MPF", 4) == 0;
}

std::optional<MpfIndex> ParseMpfIndex(const uint8_t* data, size_t length) {
    const std::optional<MpfTiff> tiff = MpfTiff::Open(data, length);
    if (!tiff)
        throw pxError("The MPF segment has no TIFF header");
    const std::optional<MpfTiff::Directory> directory = tiff->FirstDirectory();
    if (!directory)
        throw pxError("The MPF index lies outside its segment");
    const MpfTiff::Field* entries = directory->Find(kTagEntries);
    if (!entries)
        return std::nullopt;
    const MpfTiff::Field* number = directory->Find(kTagNumberOfImages);
    if (!number || number->type != kTypeLong || number->count != 1)
        throw pxError("The MPF index does not say how many images it lists");
    const uint32_t count = number->value;
    if (count > kMpfMaxImages)
        throw pxError("The MPF index lists %u images (at most %u are read)", count, kMpfMaxImages);
    if (entries->count != count * kEntryBytes)
        throw pxError("The MPF index lists %u images in %u bytes of entries", count,
                      entries->count);
    if (entries->value > tiff->Length() || tiff->Length() - entries->value < entries->count)
        throw pxError("The MPF index entries lie outside their segment");

    MpfIndex index;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = size_t{entries->value} + i * kEntryBytes;
        index.images.push_back({*tiff->U32(at), *tiff->U32(at + 4), *tiff->U32(at + 8)});
    }
    if (!index.images.empty() && index.images[0].offset != 0)
        throw pxError("The MPF index puts the first image at offset %u, not at the file's start",
                      index.images[0].offset);
    // The first image's own attributes follow the index.
    if (directory->next != 0)
        if (const std::optional<MpfTiff::Directory> attributes =
                tiff->ReadDirectory(directory->next))
            index.firstIndividualNumber = IndividualNumberIn(*attributes);
    return index;
}

std::optional<uint32_t> MpfIndividualNumber(const uint8_t* data, size_t length) {
    const std::optional<MpfTiff> tiff = MpfTiff::Open(data, length);
    if (!tiff)
        return std::nullopt;
    std::optional<MpfTiff::Directory> directory = tiff->FirstDirectory();
    // The first image's segment holds the index first, then its attributes.
    if (directory && directory->Find(kTagEntries))
        directory = directory->next ? tiff->ReadDirectory(directory->next) : std::nullopt;
    return directory ? IndividualNumberIn(*directory) : std::nullopt;
}

bool IsStereoMpfIndex(const MpfIndex& index) {
    return index.images.size() >= 2 && IsViewOfPair(index.images[0]) &&
           IsViewOfPair(index.images[1]);
}

MpoViews PlaceMpoViews(const MpfIndex& index, uint64_t tiffOffset,
                       std::optional<uint64_t> fileSize) {
    if (index.images.size() < 2)
        throw pxError("The MPF index lists fewer than two images");
    const MpfImage& first = index.images[0];
    const MpfImage& second = index.images[1];
    if (first.size == 0 || second.size == 0)
        throw pxError("The MPF index gives an image of no bytes");
    MpoViews views{first.size, tiffOffset + second.offset, second.size};
    if (second.offset == 0 || views.secondOffset < views.firstSize)
        throw pxError("The MPF index puts the second image (at %llu) inside the first (%llu "
                      "bytes)",
                      static_cast<unsigned long long>(views.secondOffset),
                      static_cast<unsigned long long>(views.firstSize));
    if (fileSize && views.secondOffset + views.secondSize > *fileSize)
        throw pxError("The MPF index puts the second image (%llu bytes at %llu) outside the "
                      "file (%llu bytes)",
                      static_cast<unsigned long long>(views.secondSize),
                      static_cast<unsigned long long>(views.secondOffset),
                      static_cast<unsigned long long>(*fileSize));
    return views;
}
