// Containers built in memory and a source that hands them out a few bytes at
// a time and can grow, as a download does.
#pragma once

#include "bxpack/pxrwriter.h"
#include "imaging/pxerror.h"
#include "viewer/pxrinput.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace pxrfixtures {

// A container: the file header, the blocks as given, the end block.
inline PxrBytes Container(const std::vector<PxrBytes>& blocks) {
    PxrBytes out = PxrFileHeader();
    for (const PxrBytes& block : blocks)
        out.insert(out.end(), block.begin(), block.end());
    const PxrBytes end = PxrEndBlock();
    out.insert(out.end(), end.begin(), end.end());
    return out;
}

// A block header and body exactly as given, for lengths that lie.
inline PxrBytes RawBlock(uint16_t type, uint16_t flags, uint32_t length, const PxrBytes& bytes) {
    PxrBytes out{uint8_t(type), uint8_t(type >> 8), uint8_t(flags), uint8_t(flags >> 8)};
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(length >> shift));
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

inline PxrBytes Block(uint16_t type, PxrBytes body, bool compressed = false) {
    PxrOutBlock block;
    block.type = type;
    block.compressed = compressed;
    block.body = std::move(body);
    return PxrEncodeBlock(block);
}

inline PxrBytes Little32(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

inline PxrBytes Concat(PxrBytes a, const PxrBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Bytes that compress to about half: runs and repeats mixed with noise.
inline PxrBytes Payload(size_t size, uint32_t seed = 1) {
    PxrBytes out(size);
    uint32_t state = seed;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        out[i] = uint8_t((i / 64 % 7) * 16 + (state >> 28));
    }
    return out;
}

// Hands out its bytes at most perRead per Read, and only the first
// `available` of them until Grow makes more available.
class MemorySource : public pxrInput {
public:
    explicit MemorySource(PxrBytes bytes, int32_t perRead = std::numeric_limits<int32_t>::max(),
                          size_t available = std::numeric_limits<size_t>::max())
        : bytes(std::move(bytes)), perRead(perRead), available(available) {}

    void Grow(size_t count) { available = available > Size() - count ? Size() : available + count; }
    bool AllAvailable() const { return available >= Size(); }
    size_t Position() const { return position; }

    int32_t Skip(int32_t count) override {
        if (count < 0 || uint32_t(count) > remaining)
            throw pxError("MemorySource::Skip -- %d exceeds the block", count);
        return DropInput(count);
    }

protected:
    int32_t Read(void* into, int32_t count) override {
        const size_t limit = std::min(available, Size());
        const size_t n = std::min({size_t(count), size_t(perRead), limit - position});
        std::memcpy(into, bytes.data() + position, n);
        position += n;
        return int32_t(n);
    }

private:
    size_t Size() const { return bytes.size(); }

    PxrBytes bytes;
    int32_t perRead;
    size_t available;
    size_t position = 0;
};

// The rest of the current block's body through ReadData, chunk bytes a call,
// until the block can give no more or a read gives nothing.
inline PxrBytes ReadBody(pxrInput& input, int32_t chunk = 4096) {
    PxrBytes out;
    std::vector<uint8_t> part(size_t(std::max(chunk, 1)));
    while (input.MaxBodyBytes() > 0) {
        const int32_t got = input.ReadData(part.data(), chunk);
        if (got == 0)
            break;
        out.insert(out.end(), part.begin(), part.begin() + got);
    }
    return out;
}

} // namespace pxrfixtures
