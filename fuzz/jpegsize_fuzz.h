// Shared by the JPEG fuzz targets: inputs whose frame header asks for a
// picture larger than the fuzzer's memory allows are skipped.
#pragma once

#include "stepwise_fuzz.h"

#include <cstddef>
#include <cstdint>

// Whether any frame header in the data asks for a picture the fuzzer skips.
inline bool AsksForHugePicture(const uint8_t* data, size_t size) {
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
