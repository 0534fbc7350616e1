// Reads arbitrary bytes as a TGA file.
#include "plainread_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzPlainReader(data, size, "tga", FORMAT_TGA);
}
