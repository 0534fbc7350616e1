// Reads arbitrary bytes as a PPM file.
#include "plainread_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzPlainReader(data, size, "ppm", FORMAT_PPM);
}
