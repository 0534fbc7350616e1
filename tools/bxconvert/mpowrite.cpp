// MPO files as stereo cameras write them: the left view as a JPEG image
// whose APP2 segment holds the MPF index of both images, then the right view
// as a JPEG image whose APP2 segment gives its own view number. The index
// needs the images' sizes, so both are encoded in memory first.
#include "encoders.h"

#include "imaging/pxerror.h"
#include "stereo/cpair.h"

#include <array>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace encode {

namespace {

constexpr uint32_t kLeftAttribute = 0x20020002; // representative image, disparity view
constexpr uint32_t kRightAttribute = 0x00020002;

// The little-endian TIFF structure of an MPF segment.
class MpfPayload {
public:
    MpfPayload() : bytes{'M', 'P', 'F', 0, 'I', 'I', 42, 0} { U32(8); }

    void U16(uint32_t value) {
        for (int shift = 0; shift < 16; shift += 8)
            bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
    void U32(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
    // A field whose value fits in its 4 bytes.
    void Field(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        U16(tag);
        U16(type);
        U32(count);
        U32(value);
    }
    void Version() { Field(0xB000, 7, 4, 0x30303130); } // "0100"
    // The attributes of the view numbered `number` (1 the left) of a pair.
    void ViewAttributes(uint32_t number, uint32_t next) {
        U16(3);
        Version();
        Field(0xB101, 4, 1, number); // MPIndividualNum
        Field(0xB204, 4, 1, 1);      // BaseViewpointNum
        U32(next);
    }
    // Offsets in the TIFF structure count from after "MPF\0".
    uint32_t Offset() const { return static_cast<uint32_t>(bytes.size() - 4); }

    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> IndexPayload(uint32_t leftSize, uint32_t rightSize, uint32_t rightOffset) {
    MpfPayload payload;
    constexpr uint32_t kIndexFields = 3;
    const uint32_t entriesAt = payload.Offset() + 2 + kIndexFields * 12 + 4;
    constexpr uint32_t kEntriesBytes = 2 * 16;
    payload.U16(kIndexFields);
    payload.Version();
    payload.Field(0xB001, 4, 1, 2);                     // NumberOfImages
    payload.Field(0xB002, 7, kEntriesBytes, entriesAt); // MPEntry
    payload.U32(entriesAt + kEntriesBytes);             // the left view's attributes
    for (const auto& [attribute, size, offset] :
         {std::array{kLeftAttribute, leftSize, 0u},
          std::array{kRightAttribute, rightSize, rightOffset}}) {
        payload.U32(attribute);
        payload.U32(size);
        payload.U32(offset);
        payload.U32(0); // no dependent images
    }
    payload.ViewAttributes(1, 0);
    return payload.bytes;
}

std::vector<uint8_t> RightViewPayload() {
    MpfPayload payload;
    payload.ViewAttributes(2, 0);
    return payload.bytes;
}

// One view encoded as a JPEG image in memory.
std::vector<uint8_t> EncodeView(const char* fileName, const pxImage& view, const pxPalette* palette,
                                int quality, std::vector<uint8_t> payload) {
    char* data = nullptr;
    size_t size = 0;
    std::FILE* memory = open_memstream(&data, &size);
    if (!memory)
        throw pxError("Cannot write '%s': no memory to encode a view", fileName);
    try {
        WriteJpegWithSegments(memory, fileName, PictureRows(view, palette, nullptr), quality,
                              {{JPEG_APP0 + 2, std::move(payload)}});
    } catch (...) {
        std::fclose(memory);
        std::free(data);
        throw;
    }
    std::fclose(memory);
    std::vector<uint8_t> encoded(data, data + size);
    std::free(data);
    return encoded;
}

// Where the payload (after "MPF\0") begins in an encoded image.
size_t TiffHeaderAt(const std::vector<uint8_t>& image, const char* fileName) {
    static const uint8_t kSegment[] = {'M', 'P', 'F', 0, 'I', 'I'};
    for (size_t at = 0; at + sizeof kSegment <= image.size(); ++at)
        if (std::memcmp(image.data() + at, kSegment, sizeof kSegment) == 0)
            return at + 4;
    throw pxError("Cannot write '%s': the MPF index went missing", fileName);
}

} // namespace

void WriteMpo(std::FILE* file, const char* fileName, const PictureRows& picture, int quality,
              uint32_t layout) {
    const pxCPair pair(layout, picture.Whole(), picture.Palette());
    // The index is written with its sizes once they are known; its own size
    // does not change.
    std::vector<uint8_t> left =
        EncodeView(fileName, pair.left, picture.Palette(), quality, IndexPayload(0, 0, 0));
    const std::vector<uint8_t> right =
        EncodeView(fileName, pair.right, picture.Palette(), quality, RightViewPayload());
    const size_t tiffAt = TiffHeaderAt(left, fileName);
    const std::vector<uint8_t> index =
        IndexPayload(static_cast<uint32_t>(left.size()), static_cast<uint32_t>(right.size()),
                     static_cast<uint32_t>(left.size() - tiffAt));
    std::memcpy(left.data() + tiffAt - 4, index.data(), index.size());
    if (std::fwrite(left.data(), 1, left.size(), file) != left.size() ||
        std::fwrite(right.data(), 1, right.size(), file) != right.size())
        throw pxError("Cannot write '%s': the disk refused the data", fileName);
}

} // namespace encode
