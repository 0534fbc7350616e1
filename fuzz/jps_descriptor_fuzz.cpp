// Parses arbitrary bytes as a JPS stereo descriptor into small buffers.
#include "imagefile/jpsdescriptor.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly as long as the input, so reading past it is caught.
    const std::vector<uint8_t> payload(data, data + size);
    uint8_t extra[16], comment[16];
    size_t extraCount = size % 17, commentCount = (size / 3) % 17;
    uint32_t layout = 0;
    ParseJpsDescriptor(payload.data(), payload.size(), &layout, &extraCount, extra, &commentCount,
                       comment);
    return 0;
}
