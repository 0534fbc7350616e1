// Decodes arbitrary bytes as run-length image codes into small pictures: no
// code may write outside the picture, and decoding always ends.
#include "imagefile/rleimage.h"
#include "imaging/pxerror.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 7)
        return 0;
    pxRleImage rle{1 + data[0] % 4,   data[1] % 80 - 1,  data[2] % 80 - 1,
                   data[3] % 80 - 40, data[4] % 80 - 40, {data + 7, data + size}};
    try {
        const pxImage image({1 + data[5] % 64, 1 + data[6] % 64}, rle.bytesPerPixel);
        DecodeRleImage(rle, image);
    } catch (const pxError&) {
    }
    return 0;
}
