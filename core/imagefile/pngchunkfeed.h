// Passes a PNG file's bytes on to libpng's progressive reader in pieces it
// takes cheaply. libpng waits for the whole of every chunk but the image
// data, and copies all it holds of such a chunk again for every piece it is
// given, so a large chunk fed in blocks costs its size squared. Here each
// such chunk is collected and handed over in one piece, and ancillary chunks
// too large for libpng to keep are passed over unseen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class PngChunkFeed {
public:
    // Receives the next piece for libpng; false stops the feed.
    using Sink = std::function<bool(uint8_t* data, size_t count)>;

    // Ancillary chunks with more than largestChunk bytes of data are dropped,
    // unless one comes first, where only libpng may judge it.
    explicit PngChunkFeed(uint32_t largestChunk) : largest(largestChunk) {}

    // Takes the next count bytes of the file and gives on, in order, what
    // libpng should have now; the rest is kept for the next call. False when
    // the sink stopped the feed.
    bool Take(uint8_t* data, size_t count, const Sink& give);

private:
    enum class Step {
        PassOn,  // the signature and image data, as they come
        Header,  // a chunk's length and type
        Collect, // any other chunk, until it is whole
        Skip,    // an ancillary chunk that is too large
    };

    bool StartChunk(const Sink& give);
    bool EndChunk(const Sink& give);

    uint32_t largest;
    Step step = Step::PassOn;
    uint64_t remaining = 8; // bytes left of the current step: the signature first
    uint8_t header[8] = {};
    size_t headerBytes = 0;
    bool firstChunk = true;
    std::vector<uint8_t> collected;
};
