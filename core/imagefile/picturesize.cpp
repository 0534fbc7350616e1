#include "imagefile/picturesize.h"

#include "imaging/pxerror.h"
#include "imaging/pximage.h"

void CheckPictureSize(const char* name, int64_t width, int64_t height, int32_t bytesPerPixel) {
    if (width <= 0 || height <= 0)
        throw pxError("Bad image size %ld x %ld in file '%s'", static_cast<long>(width),
                      static_cast<long>(height), name);
    // Sides up to the limit keep the product in 64 bits.
    const bool sidesFit = width <= kMaxImageBytes && height <= kMaxImageBytes;
    if (!sidesFit || width * height * bytesPerPixel > kMaxImageBytes)
        throw pxError(kTooLargeForFile, static_cast<long>(width), static_cast<long>(height), name);
}
