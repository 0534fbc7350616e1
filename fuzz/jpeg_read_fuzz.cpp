// Reads arbitrary bytes as a JPEG file arriving in two parts, and ends the
// read as the viewer does when the file stops short.
#include "imagefile/jpsread.h"
#include "stepwise_fuzz.h"

namespace {

// Whether any frame header in the data asks for a picture the fuzzer skips.
bool AsksForHugePicture(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 8 < size; ++i) {
        const uint8_t marker = data[i + 1];
        const bool frame = data[i] == 0xFF && marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 &&
                           marker != 0xC8 && marker != 0xCC;
        if (!frame)
            continue;
        const uint64_t height = uint64_t{data[i + 5]} << 8 | data[i + 6];
        const uint64_t width = uint64_t{data[i + 7]} << 8 | data[i + 8];
        if (width * height > kMaxFuzzPixels)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (AsksForHugePicture(data, size))
        return 0;
    return FuzzStepwiseReader(data, size, "jpg", ReadJpegImage, EndJpegImageAtFileEnd);
}
