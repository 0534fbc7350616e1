// Decodes arbitrary bytes as run-length bitmap data into small pictures: no
// code may write outside the picture, and decoding always ends.
#include "imagefile/runlength.h"
#include "imaging/pxerror.h"
#include "imaging/pximage.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const int32_t width = 1 + data[0] % 64;
    const int32_t height = 1 + data[1] % 64;
    const bool nibbles = data[2] & 1;
    try {
        const pxImage picture({width, height}, 1, 4);
        plainread::ByteCursor in({data + 3, size - 3});
        plainread::DecodeBmpRle(in, picture, nibbles);
    } catch (const pxError&) {
    }
    return 0;
}
