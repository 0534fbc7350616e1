#include "imagefile/pngstereo.h"

#include "imagefile/byteorder.h"

#include <algorithm>

void SetStereoDescriptor(PngStereoDescriptor* descriptor, uint32_t layout, const char* comment,
                         const uint8_t* extra, size_t extraCount) {
    if (!descriptor)
        return;
    descriptor->layout = layout;
    descriptor->comment = comment ? comment : "";
    descriptor->extra.assign(extra, extra + (extra ? extraCount : 0));
    descriptor->valid = kStereoDescriptorValid;
}

uint32_t GetStereoDescriptor(const PngStereoDescriptor* descriptor, uint32_t* layout,
                             const char** comment, const uint8_t** extra, size_t* extraCount) {
    if (!descriptor || !(descriptor->valid & kStereoDescriptorValid) || !layout || !comment ||
        !extra || !extraCount)
        return 0;
    *layout = descriptor->layout;
    *comment = descriptor->comment.c_str();
    *extra = descriptor->extra.data();
    *extraCount = descriptor->extra.size();
    return kStereoDescriptorValid;
}

bool ParseStereoChunk(const uint8_t* data, size_t length, PngStereoDescriptor* descriptor) {
    if (!data || length < 8)
        return false;
    // The descriptor length counts itself, the layout word and the extra bytes.
    const size_t descriptorLength = BigEndian16(data);
    if (descriptorLength < 6 || descriptorLength + 2 > length)
        return false;
    const uint32_t layout = BigEndian32(data + 2);
    const size_t commentLength =
        std::min<size_t>(BigEndian16(data + descriptorLength), length - descriptorLength - 2);
    const char* commentText = reinterpret_cast<const char*>(data + descriptorLength + 2);
    const std::string comment(commentText, commentLength);
    SetStereoDescriptor(descriptor, layout, comment.c_str(), data + 6, descriptorLength - 6);
    return true;
}
