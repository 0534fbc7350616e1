// Parses arbitrary bytes as the data of a sTEr chunk.
#include "imagefile/pngstereo.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> chunk(data, data + size);
    PngStereoDescriptor descriptor;
    if (ParseStereoChunk(chunk.data(), chunk.size(), &descriptor)) {
        uint32_t layout = 0;
        const char* comment = nullptr;
        const uint8_t* extra = nullptr;
        size_t extraCount = 0;
        GetStereoDescriptor(&descriptor, &layout, &comment, &extra, &extraCount);
    }
    return 0;
}
