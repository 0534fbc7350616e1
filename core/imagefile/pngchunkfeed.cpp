#include "imagefile/pngchunkfeed.h"

#include "imagefile/byteorder.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// The largest chunk length a PNG file may state.
constexpr uint32_t kLongestChunk = 0x7FFFFFFF;
// A chunk's data is followed by its 4-byte check value.
constexpr uint64_t kCheckBytes = 4;

bool IsLetter(uint8_t byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

bool IsChunkType(const uint8_t type[4]) {
    return std::all_of(type, type + 4, IsLetter);
}

} // namespace

bool PngChunkFeed::Take(uint8_t* data, size_t count, const Sink& give) {
    while (count > 0) {
        if (step == Step::Header) {
            const size_t n = std::min(count, sizeof header - headerBytes);
            std::memcpy(header + headerBytes, data, n);
            headerBytes += n;
            data += n;
            count -= n;
            if (headerBytes == sizeof header && !StartChunk(give))
                return false;
            continue;
        }
        const size_t n = static_cast<size_t>(std::min<uint64_t>(count, remaining));
        if (step == Step::PassOn && !give(data, n))
            return false;
        if (step == Step::Collect)
            collected.insert(collected.end(), data, data + n);
        data += n;
        count -= n;
        remaining -= n;
        if (remaining == 0 && !EndChunk(give))
            return false;
    }
    return true;
}

bool PngChunkFeed::StartChunk(const Sink& give) {
    headerBytes = 0;
    const uint32_t length = BigEndian32(header);
    const uint8_t* type = header + 4;
    const bool first = std::exchange(firstChunk, false);
    remaining = length + kCheckBytes;
    // Image data streams through libpng; a malformed header is libpng's to
    // refuse.
    if (std::memcmp(type, "IDAT", 4) == 0 || length > kLongestChunk || !IsChunkType(type)) {
        step = Step::PassOn;
        return give(header, sizeof header);
    }
    const bool ancillary = (type[0] & 0x20) != 0;
    if (ancillary && length > largest && !first) {
        step = Step::Skip;
        return true;
    }
    step = Step::Collect;
    collected.reserve(std::min(length, largest) + sizeof header + kCheckBytes);
    collected.assign(header, header + sizeof header);
    return true;
}

bool PngChunkFeed::EndChunk(const Sink& give) {
    const Step ended = std::exchange(step, Step::Header);
    if (ended != Step::Collect)
        return true;
    const bool fed = give(collected.data(), collected.size());
    // A large chunk's memory is not kept for the rest of the read.
    collected = {};
    return fed;
}
