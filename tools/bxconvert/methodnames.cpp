#include "methodnames.h"

#include "stereo/cpair.h"
#include "stereo/methodoptions.h"
#include "stereo/stereomethods.h"

#include <strings.h>

namespace {

struct MethodName {
    const char* name;
    int32_t methodId; // in the table of viewing methods; 0 for our own
    int32_t outputType;
    int32_t swapEyes;
};

// Our own names, beside the viewer's.
constexpr MethodName kOwnNames[] = {
    {"left", 24, 0, 0},
    {"right", 23, 0, 0},
    {"overunder", 0, OUTPUT_OVER_UNDER, 0},
    {"copy", 0, OutputCopy, 0},
};

// Methods that show one eye per page write the first eye.
bool ShowsOneEyePerPage(const StereoViewMethod& method) {
    return (method.deviceFlags & (DEVICE_PAGE_FLIP | DEVICE_NUVISION)) != 0;
}

// A method of the table, as bxconvert writes it.
std::optional<ConvertMethod> OfTable(const char* name, int32_t methodId) {
    const StereoViewMethod* method = GetStereoMethodByID(methodId);
    if (!method)
        return std::nullopt;
    if (ShowsOneEyePerPage(*method))
        return ConvertMethod{name, OUTPUT_ONE_EYE, 0};
    return ConvertMethod{name, method->outputType, method->swapEyes};
}

} // namespace

std::optional<ConvertMethod> FindConvertMethod(const std::string& name) {
    for (const MethodOptionName& entry : MethodOptionNames())
        if (::strcasecmp(entry.name, name.c_str()) == 0)
            return OfTable(entry.name, entry.methodId);
    for (const MethodName& entry : kOwnNames) {
        if (::strcasecmp(entry.name, name.c_str()) != 0)
            continue;
        if (entry.methodId == 0)
            return ConvertMethod{entry.name, entry.outputType, entry.swapEyes};
        return OfTable(entry.name, entry.methodId);
    }
    return std::nullopt;
}

std::string ConvertMethodNames() {
    std::string names;
    for (const MethodOptionName& entry : MethodOptionNames())
        names += (names.empty() ? "" : ", ") + std::string(entry.name);
    for (const MethodName& entry : kOwnNames)
        names += ", " + std::string(entry.name);
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
