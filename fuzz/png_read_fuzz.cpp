// Reads arbitrary bytes as a PNG file arriving in two parts.
#include "imagefile/pnsread.h"
#include "stepwise_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The header's size, where a PNG keeps it.
    if (size >= 24) {
        const uint64_t width = uint64_t{data[16]} << 24 | data[17] << 16 | data[18] << 8 | data[19];
        const uint64_t height =
            uint64_t{data[20]} << 24 | data[21] << 16 | data[22] << 8 | data[23];
        if (width * height > kMaxFuzzPixels)
            return 0;
    }
    return FuzzStepwiseReader(data, size, "png", ReadPngImage);
}
