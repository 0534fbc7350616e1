#include "display/modes.h"

#include "imaging/pxerror.h"

#include <utility>

void SortModes(ModeStruct* modes, int32_t count) {
    for (int32_t i = count - 1; i >= 1; --i) {
        for (int32_t j = 0; j < i; ++j) {
            const ModeStruct& cur = modes[j];
            const ModeStruct& next = modes[j + 1];
            if (next.width < cur.width || next.height < cur.height ||
                (next.width == cur.width && next.height == cur.height && next.bpp < cur.bpp))
                std::swap(modes[j], modes[j + 1]);
        }
    }
}

int32_t FindExactMode(const ModeStruct* modes, uint32_t count, uint32_t width, uint32_t height,
                      uint32_t bpp) {
    if (count == 0) {
        pxLog("FindExactMode -- WARNING: invalid number of modes: %d", static_cast<int>(count));
        return -1;
    }
    for (uint32_t i = 0; i < count; ++i)
        if (modes[i].width == width && modes[i].height == height && modes[i].bpp == bpp)
            return static_cast<int32_t>(i);
    return -1;
}

int32_t FindClosestMode(const ModeStruct* modes, uint32_t count, uint32_t width, uint32_t height,
                        int32_t bpp) {
    if (count == 0) {
        pxLog("FindClosestMode -- WARNING: invalid number of modes: %d", static_cast<int>(count));
        return 0;
    }
    return FindClosestModeToFit(modes, count, width, height, bpp);
}

namespace {

// The largest mode: an entry replaces the running maximum unless it is
// smaller in both width and height.
int32_t LargestMode(const ModeStruct* modes, uint32_t count) {
    int32_t largest = -1;
    uint32_t maxWidth = 0;
    uint32_t maxHeight = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (largest >= 0 && modes[i].width < maxWidth && modes[i].height < maxHeight)
            continue;
        largest = static_cast<int32_t>(i);
        maxWidth = modes[i].width;
        maxHeight = modes[i].height;
    }
    if (largest < 0)
        throw pxError("FindClosestModeToFit:  No max index found!");
    return largest;
}

} // namespace

int32_t FindClosestModeToFit(const ModeStruct* modes, uint32_t count, uint32_t width,
                             uint32_t height, int32_t bpp) {
    if (count == 0)
        throw pxError("FindClosestModeToFit: No available modes...");
    const int32_t largest = LargestMode(modes, count);

    uint32_t fit = 0;
    while (fit < count && !(modes[fit].width >= width && modes[fit].height >= height))
        ++fit;
    if (fit == count)
        return largest;
    if (bpp != -1 && modes[fit].bpp == static_cast<uint32_t>(bpp))
        return static_cast<int32_t>(fit);

    // Another depth, or any: the deepest mode of that size, earliest first
    // (no mode of that size comes before the first that fits).
    uint32_t deepest = fit;
    for (uint32_t i = fit + 1; i < count; ++i)
        if (modes[i].width == modes[fit].width && modes[i].height == modes[fit].height &&
            modes[i].bpp > modes[deepest].bpp)
            deepest = i;
    return static_cast<int32_t>(deepest);
}

void PrintModeList(const ModeStruct* modes, int32_t count, const char* title) {
    const char* name = title ? title : "Unnamed";
    pxLog("\n\n");
    pxLog("*********************** Begin Mode List: %s ************************", name);
    for (int32_t i = 0; i < count; ++i)
        pxLog("%d:  %dx%dx%d,%d", static_cast<int>(i), static_cast<int>(modes[i].width),
              static_cast<int>(modes[i].height), static_cast<int>(modes[i].bpp),
              static_cast<int>(modes[i].refresh));
    pxLog("*********************** End Mode List: %s ************************", name);
}
