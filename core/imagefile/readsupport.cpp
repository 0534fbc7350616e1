#include "imagefile/plainreaders.h"

#include "imagefile/picturesize.h"

#include <algorithm>

namespace plainread {

namespace {

// Pictures up to this size are read whatever the file holds: a short file
// then fails with the read error of its first missing row.
constexpr int64_t kAlwaysTried = int64_t{16} << 20;
// More than any run-length form here gives for runs alone (a 2-byte bitmap
// run makes 255 pixels, a Targa run packet 128).
constexpr int64_t kMaxExpansion = 256;

} // namespace

void CheckImageSize(const char* name, int64_t width, int64_t height, int32_t bytesPerPixel,
                    int64_t storedRowBytes, bool compressed, int64_t bytesLeft) {
    CheckPictureSize(name, width, height, bytesPerPixel);
    const int64_t imageBytes = width * height * bytesPerPixel;
    const int64_t storedBytes = storedRowBytes * height;
    const int64_t needed = compressed ? storedBytes / kMaxExpansion : storedBytes;
    if (imageBytes > kAlwaysTried && needed > bytesLeft)
        throw pxError(kTooLargeForFile, static_cast<long>(width), static_cast<long>(height), name);
}

pxPalette& IndexedPalette(pxPalette* palette, const char* name) {
    if (!palette)
        throw pxError("No palette given for the colours of '%s'", name);
    if (palette->GetCount() < pxPalette::kMaxColours)
        palette->SetCount(pxPalette::kMaxColours);
    return *palette;
}

pxImage CreateInStoredOrder(pxImage& image, px2Size size, int32_t bytesPerPixel, int32_t bottomUp,
                            bool storedBottomUp) {
    image.Create(size, bytesPerPixel, 4, bottomUp ? 1 : 0);
    if (!storedBottomUp)
        return image;
    return pxImage(image, FIELD_BOTH, image.GetBottomUp() ? 0 : 1);
}

std::vector<uint8_t> ReadRest(File& file, int64_t maxBytes) {
    const int64_t left = std::max<int64_t>(0, file.Size() - file.Tell());
    std::vector<uint8_t> bytes(static_cast<size_t>(std::min(left, maxBytes)));
    file.Read(bytes.data(), static_cast<long>(bytes.size()));
    return bytes;
}

} // namespace plainread
