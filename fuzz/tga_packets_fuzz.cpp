// Decodes arbitrary bytes as Targa packets into rows: no packet may write
// outside its row.
#include "imagefile/runlength.h"
#include "imaging/pxerror.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const int32_t bytesPerPixel = 1 + data[0] % 4;
    const size_t width = 1 + (data[1] | data[2] << 8) % 300;
    std::vector<uint8_t> row(width * bytesPerPixel);
    try {
        plainread::ByteCursor in({data + 3, size - 3});
        for (;;) // every row takes at least one byte, so the data runs out
            plainread::DecodeTgaRow(in, row, bytesPerPixel);
    } catch (const pxError&) {
    }
    return 0;
}
