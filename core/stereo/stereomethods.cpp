#include "stereo/stereomethods.h"

#include "stereo/cpair.h"

#include <vector>

namespace {

// The library's string table: the method names by string id (1 to 26).
// Strings 19 and 23 name methods that the table does not offer.
const char* LoadString(int stringId) {
    static const char* const kStrings[] = {
        nullptr,
        "Tessel Classic",
        "Interleaved (Right First)",
        "Interleaved (Left First)",
        "Crosseye",
        "Parallel",
        "Color Anaglyph (Red/Blue)",
        "Color Anaglyph (Blue/Red)",
        "Grey Anaglyph (Red/Blue)",
        "Grey Anaglyph (Red/Green)",
        "Grey Anaglyph (Blue/Red)",
        "Grey Anaglyph (Green/Red)",
        "Pure Anaglyph (Red/Blue)",
        "Pure Anaglyph (Red/Green)",
        "Pure Anaglyph (Blue/Red)",
        "Pure Anaglyph (Green/Red)",
        "Tessel Web (OSPI)",
        "Hardware Page Flipping",
        "WinSPEX/3D",
        "Simuleyes",
        "Norvane Professional Products",
        "Monoscopic Right Eye View",
        "Monoscopic Left Eye View",
        "Sanyo 3D Display",
        "Dubois Anaglyph (Red/Cyan)",
        "Dubois Anaglyph (Green/Magenta)",
        "Dubois Anaglyph (Amber/Blue)",
    };
    constexpr int kCount = static_cast<int>(sizeof kStrings / sizeof kStrings[0]);
    return stringId > 0 && stringId < kCount ? kStrings[stringId] : "";
}

struct MethodRow {
    int32_t id;
    int stringId;
    int32_t outputType;
    int32_t swapEyes;
    int32_t interleavedFlag;
    int32_t halfWidth;
    uint32_t deviceFlags;
    uint32_t displayFlags;
    int32_t surfType;
};

// In menu order. Ids are stable (settings store them); ids 17, 18 and 20 are
// not used. The least-squares anaglyphs came later and take new ids (25 to 27)
// rather than the unused ones, which older settings may still hold.
constexpr MethodRow kMethodRows[] = {
    {1, 1, OUTPUT_INTERLEAVED, 1, 1, 0, DEVICE_TESSEL, 0, 0},
    {2, 2, OUTPUT_INTERLEAVED, 1, 1, 0, 0, 0, 0},
    {3, 3, OUTPUT_INTERLEAVED, 0, 1, 0, 0, 0, 0},
    {4, 4, OUTPUT_SIDE_BY_SIDE, 1, 0, 0, 0, 0, 0},
    {5, 5, OUTPUT_SIDE_BY_SIDE, 0, 0, 0, 0, 0, 0},
    {6, 6, OUTPUT_COLOR, 0, 0, 0, 0, 0, 0},
    {7, 7, OUTPUT_COLOR, 1, 0, 0, 0, 0, 0},
    {8, 8, OUTPUT_GREY_RED_BLUE, 0, 0, 0, 0, 0, 0},
    {9, 9, OUTPUT_GREY_RED_GREEN, 0, 0, 0, 0, 0, 0},
    {10, 10, OUTPUT_GREY_RED_BLUE, 1, 0, 0, 0, 0, 0},
    {11, 11, OUTPUT_GREY_RED_GREEN, 1, 0, 0, 0, 0, 0},
    {12, 12, OUTPUT_PURE_RED_BLUE, 0, 0, 0, 0, 0, 0},
    {13, 13, OUTPUT_PURE_RED_GREEN, 0, 0, 0, 0, 0, 0},
    {14, 14, OUTPUT_PURE_RED_BLUE, 1, 0, 0, 0, 0, 0},
    {15, 15, OUTPUT_PURE_RED_GREEN, 1, 0, 0, 0, 0, 0},
    {16, 17, OUTPUT_ONE_EYE, 1, 0, 0, DEVICE_PAGE_FLIP | DEVICE_ONE_EYE_AT_A_TIME,
     DISPLAY_NEEDS_DIRECTDRAW, 2},
    {21, 16, OUTPUT_INTERLEAVED, 1, 1, 0, DEVICE_OSPI, 0, 0},
    {22, 20, OUTPUT_INTERLEAVED, 1, 1, 0, 0, 0, 0},
    {23, 21, OUTPUT_ONE_EYE, 1, 0, 0, 0, 0, 0},
    {24, 22, OUTPUT_ONE_EYE, 0, 0, 0, 0, 0, 0},
    {19, 18, OUTPUT_ONE_EYE, 1, 0, 0, DEVICE_NUVISION | DEVICE_ONE_EYE_AT_A_TIME,
     DISPLAY_NEEDS_DIRECTDRAW | DISPLAY_STEREO_AFTER_SURFACES, 1},
    {25, 24, OUTPUT_DUBOIS_RED_CYAN, 0, 0, 0, 0, 0, 0},
    {26, 25, OUTPUT_DUBOIS_GREEN_MAGENTA, 0, 0, 0, 0, 0, 0},
    {27, 26, OUTPUT_DUBOIS_AMBER_BLUE, 0, 0, 0, 0, 0, 0},
};

constexpr int32_t kMenuOrder[] = {1, 21, 22, 20, 0,  2, 3,  4,  5,  0, 6,  7,  0,  8, 9,  10, 11,
                                  0, 12, 13, 14, 15, 0, 25, 26, 27, 0, 16, 19, 17, 0, 23, 24};

const std::vector<StereoViewMethod>& Methods() {
    static const std::vector<StereoViewMethod> methods = [] {
        std::vector<StereoViewMethod> built;
        for (const MethodRow& row : kMethodRows)
            built.push_back({row.id, LoadString(row.stringId), row.outputType, row.swapEyes,
                             row.interleavedFlag, row.halfWidth, row.deviceFlags, row.displayFlags,
                             row.surfType});
        return built;
    }();
    return methods;
}

} // namespace

int NumStereoMethods() {
    return static_cast<int>(Methods().size());
}

const StereoViewMethod* GetStereoMethodByIndex(int index) {
    if (index < 0 || index >= NumStereoMethods())
        return nullptr;
    return &Methods()[static_cast<size_t>(index)];
}

const StereoViewMethod* GetStereoMethodByID(int32_t id) {
    for (const StereoViewMethod& method : Methods())
        if (method.id == id)
            return &method;
    return nullptr;
}

std::span<const int32_t> MethodMenuOrder() {
    return kMenuOrder;
}

const char* MethodDisplayName(const StereoViewMethod* method, const char* fallback) {
    return method && !method->name.empty() ? method->name.c_str() : fallback;
}
