#include "imagefile/jpsdescriptor.h"

#include "imagefile/byteorder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kIdentifier[8] = {'_', 'J', 'P', 'S', 'J', 'P', 'S', '_'};

// Copies up to *count bytes (the capacity) from what the payload has at
// offset, and reports how many were copied.
void CopyBounded(const uint8_t* payload, size_t length, size_t offset, size_t wanted, size_t* count,
                 uint8_t* buffer) {
    if (!count)
        return;
    const size_t available = offset < length ? length - offset : 0;
    const size_t copied = buffer ? std::min({wanted, available, *count}) : 0;
    if (copied > 0)
        std::memcpy(buffer, payload + offset, copied);
    *count = copied;
}

} // namespace

int ParseJpsDescriptor(const uint8_t* payload, size_t length, uint32_t* layout, size_t* extraCount,
                       uint8_t* extra, size_t* commentCount, uint8_t* comment) {
    if (!payload || length < 14)
        return JPS_TOO_SHORT;
    if (std::memcmp(payload, kIdentifier, sizeof kIdentifier) != 0)
        return JPS_NOT_A_DESCRIPTOR;
    const size_t descriptorLength = BigEndian16(payload + 8);
    if (descriptorLength < 4)
        return JPS_BAD_LENGTH;
    if (layout)
        *layout = BigEndian32(payload + 10);
    CopyBounded(payload, length, 14, descriptorLength - 4, extraCount, extra);
    const size_t commentAt = 10 + descriptorLength;
    const size_t commentLength = commentAt + 2 <= length ? BigEndian16(payload + commentAt) : 0;
    CopyBounded(payload, length, commentAt + 2, commentLength, commentCount, comment);
    return JPS_DESCRIPTOR_READ;
}
