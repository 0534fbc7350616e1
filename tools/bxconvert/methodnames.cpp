#include "methodnames.h"

#include "stereo/cpair.h"
#include "stereo/stereomethods.h"

#include <strings.h>

namespace {

struct MethodName {
    const char* name;
    int32_t methodId; // in the table of viewing methods; 0 for our own
    int32_t outputType;
    int32_t swapEyes;
};

// The viewer's -oform names, then our own.
constexpr MethodName kNames[] = {
    {"tessel", 1, 0, 0},
    {"interleaved_rl", 2, 0, 0},
    {"interleaved_lr", 3, 0, 0},
    {"crosseye", 4, 0, 0},
    {"parallel", 5, 0, 0},
    {"anaglyph_c_rb", 6, 0, 0},
    {"anaglyph_c_br", 7, 0, 0},
    {"anaglyph_g_rb", 8, 0, 0},
    {"anaglyph_g_rg", 9, 0, 0},
    {"anaglyph_g_br", 10, 0, 0},
    {"anaglyph_g_gr", 11, 0, 0},
    {"anaglyphrb", 12, 0, 0},
    {"anaglyphrg", 13, 0, 0},
    {"anaglyphbr", 14, 0, 0},
    {"anaglyphgr", 15, 0, 0},
    {"pageflip", 16, 0, 0},
    {"winspex", 19, 0, 0},
    {"ospi", 21, 0, 0},
    {"left", 24, 0, 0},
    {"right", 23, 0, 0},
    {"overunder", 0, OUTPUT_OVER_UNDER, 0},
    {"copy", 0, OutputCopy, 0},
};

// Methods that show one eye per page write the first eye.
bool ShowsOneEyePerPage(const StereoViewMethod& method) {
    return (method.deviceFlags & (DEVICE_PAGE_FLIP | DEVICE_NUVISION)) != 0;
}

} // namespace

std::optional<ConvertMethod> FindConvertMethod(const std::string& name) {
    for (const MethodName& entry : kNames) {
        if (::strcasecmp(entry.name, name.c_str()) != 0)
            continue;
        if (entry.methodId == 0)
            return ConvertMethod{entry.name, entry.outputType, entry.swapEyes};
        const StereoViewMethod* method = GetStereoMethodByID(entry.methodId);
        if (!method)
            return std::nullopt;
        if (ShowsOneEyePerPage(*method))
            return ConvertMethod{entry.name, OUTPUT_ONE_EYE, 0};
        return ConvertMethod{entry.name, method->outputType, method->swapEyes};
    }
    return std::nullopt;
}

std::string ConvertMethodNames() {
    std::string names;
    for (const MethodName& entry : kNames)
        names += (names.empty() ? "" : ", ") + std::string(entry.name);
    return names;
}

// The media-type byte of a layout word that describes a stereo pair.
constexpr uint32_t kStereoMedia = 0x01;

std::optional<uint32_t> WrittenLayout(const ConvertMethod& method, uint32_t inputLayout) {
    const uint32_t leftFirst = kStereoMedia | (method.swapEyes ? 0 : LAYOUT_LEFT_FIRST);
    switch (method.outputType) {
    case OUTPUT_SIDE_BY_SIDE:
        return LAYOUT_SIDE_BY_SIDE | leftFirst;
    case OUTPUT_INTERLEAVED:
        // A half-height pair is interleaved in its own height: its eyes stay half height.
        return LAYOUT_INTERLEAVED | leftFirst | (inputLayout & LAYOUT_HALF_HEIGHT);
    case OUTPUT_OVER_UNDER:
        return LAYOUT_OVER_UNDER | leftFirst;
    case OutputCopy:
        return inputLayout;
    default:
        return std::nullopt;
    }
}
