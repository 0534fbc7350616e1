// Parses arbitrary bytes as the TIFF structure of an MPF segment: the index
// of an MPO's images, a view's number, and where the views would lie.
#include "imagefile/mpfindex.h"
#include "imaging/pxerror.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The segment's identifier first, so that every input reaches the TIFF
    // structure; exactly as long as that, so reading past it is caught.
    std::vector<uint8_t> segment = {'M', 'P', 'F', 0};
    segment.insert(segment.end(), data, data + size);
    MpfIndividualNumber(segment.data(), segment.size());
    try {
        const std::optional<MpfIndex> index = ParseMpfIndex(segment.data(), segment.size());
        if (index && IsStereoMpfIndex(*index)) {
            PlaceMpoViews(*index, size, std::nullopt);
            PlaceMpoViews(*index, size, uint64_t{size} * 4);
        }
    } catch (const pxError&) {
    }
    return 0;
}
