// Reads arbitrary bytes as a JPEG file arriving in two parts, and ends the
// read as the viewer does when the file stops short.
#include "imagefile/jpsread.h"
#include "jpegsize_fuzz.h"
#include "stepwise_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (AsksForHugePicture(data, size))
        return 0;
    return FuzzStepwiseReader(data, size, "jpg", ReadJpegImage, EndJpegImageAtFileEnd);
}
