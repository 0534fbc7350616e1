// Reads arbitrary bytes as a BMP file.
#include "plainread_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzPlainReader(data, size, "bmp", FORMAT_BMP);
}
