// Splits arbitrary bytes into what libpng is given, once in one go and once in
// small pieces: what comes out must be the same.
#include "imagefile/pngchunkfeed.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

std::vector<uint8_t> FedInPieces(std::vector<uint8_t> input, uint32_t largest, size_t piece) {
    PngChunkFeed feed(largest);
    std::vector<uint8_t> out;
    const PngChunkFeed::Sink append = [&out](uint8_t* data, size_t count) {
        out.insert(out.end(), data, data + count);
        return true;
    };
    for (size_t at = 0; at < input.size(); at += piece)
        feed.Take(input.data() + at, std::min(piece, input.size() - at), append);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    // The first byte sets the piece size, the second the chunk bound (small,
    // so that chunks are passed over too).
    const size_t piece = size_t{data[0]} + 1;
    const uint32_t largest = data[1];
    const std::vector<uint8_t> input(data + 2, data + size);
    if (FedInPieces(input, largest, input.size() + 1) != FedInPieces(input, largest, piece))
        std::abort();
    return 0;
}
