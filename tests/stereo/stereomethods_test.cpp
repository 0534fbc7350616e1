#include "stereo/stereomethods.h"

#include "stereo/cpair.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct ExpectedMethod {
    int32_t id;
    const char* name;
    int32_t outputType;
    int32_t swapEyes;
    int32_t interleavedFlag;
    int32_t halfWidth;
    uint32_t deviceFlags;
    uint32_t displayFlags;
    int32_t surfType;
};

// The methods in table order, written out in full: the 21 of the original
// table, then the least-squares anaglyphs.
constexpr ExpectedMethod kExpected[] = {
    {1, "Tessel Classic", 1, 1, 1, 0, 0x01, 0, 0},
    {2, "Interleaved (Right First)", 1, 1, 1, 0, 0, 0, 0},
    {3, "Interleaved (Left First)", 1, 0, 1, 0, 0, 0, 0},
    {4, "Crosseye", 2, 1, 0, 0, 0, 0, 0},
    {5, "Parallel", 2, 0, 0, 0, 0, 0, 0},
    {6, "Color Anaglyph (Red/Blue)", 7, 0, 0, 0, 0, 0, 0},
    {7, "Color Anaglyph (Blue/Red)", 7, 1, 0, 0, 0, 0, 0},
    {8, "Grey Anaglyph (Red/Blue)", 5, 0, 0, 0, 0, 0, 0},
    {9, "Grey Anaglyph (Red/Green)", 6, 0, 0, 0, 0, 0, 0},
    {10, "Grey Anaglyph (Blue/Red)", 5, 1, 0, 0, 0, 0, 0},
    {11, "Grey Anaglyph (Green/Red)", 6, 1, 0, 0, 0, 0, 0},
    {12, "Pure Anaglyph (Red/Blue)", 3, 0, 0, 0, 0, 0, 0},
    {13, "Pure Anaglyph (Red/Green)", 4, 0, 0, 0, 0, 0, 0},
    {14, "Pure Anaglyph (Blue/Red)", 3, 1, 0, 0, 0, 0, 0},
    {15, "Pure Anaglyph (Green/Red)", 4, 1, 0, 0, 0, 0, 0},
    {16, "Hardware Page Flipping", 8, 1, 0, 0, 0x44, 0x01, 2},
    {21, "Tessel Web (OSPI)", 1, 1, 1, 0, 2, 0, 0},
    {22, "Norvane Professional Products", 1, 1, 1, 0, 0, 0, 0},
    {23, "Monoscopic Right Eye View", 8, 1, 0, 0, 0, 0, 0},
    {24, "Monoscopic Left Eye View", 8, 0, 0, 0, 0, 0, 0},
    {19, "WinSPEX/3D", 8, 1, 0, 0, 0x50, 0x05, 1},
    {25, "Dubois Anaglyph (Red/Cyan)", 11, 0, 0, 0, 0, 0, 0},
    {26, "Dubois Anaglyph (Green/Magenta)", 12, 0, 0, 0, 0, 0, 0},
    {27, "Dubois Anaglyph (Amber/Blue)", 13, 0, 0, 0, 0, 0, 0},
};
constexpr int kMethodCount = static_cast<int>(std::size(kExpected));

} // namespace

TEST(StereoMethods, TableHoldsTheTwentyOneMethodsInOrderThenTheLeastSquaresAnaglyphs) {
    ASSERT_EQ(NumStereoMethods(), kMethodCount);
    for (int i = 0; i < kMethodCount; ++i) {
        const StereoViewMethod* method = GetStereoMethodByIndex(i);
        ASSERT_NE(method, nullptr) << i;
        const ExpectedMethod& expected = kExpected[i];
        EXPECT_EQ(method->id, expected.id) << i;
        EXPECT_EQ(method->name, expected.name) << i;
        EXPECT_EQ(method->outputType, expected.outputType) << i;
        EXPECT_EQ(method->swapEyes, expected.swapEyes) << i;
        EXPECT_EQ(method->interleavedFlag, expected.interleavedFlag) << i;
        EXPECT_EQ(method->halfWidth, expected.halfWidth) << i;
        EXPECT_EQ(method->deviceFlags, expected.deviceFlags) << i;
        EXPECT_EQ(method->displayFlags, expected.displayFlags) << i;
        EXPECT_EQ(method->surfType, expected.surfType) << i;
        EXPECT_EQ(GetStereoMethodByID(expected.id), method) << i;
    }
    EXPECT_EQ(GetStereoMethodByIndex(kMethodCount), nullptr);
    EXPECT_EQ(GetStereoMethodByIndex(-1), nullptr);
}

TEST(StereoMethods, LookupByIdAndMenuCommands) {
    const StereoViewMethod* flipping = GetStereoMethodByID(16);
    ASSERT_NE(flipping, nullptr);
    EXPECT_EQ(flipping->name, "Hardware Page Flipping");
    for (int32_t unused : {0, 17, 18, 20, 28, -1})
        EXPECT_EQ(GetStereoMethodByID(unused), nullptr) << unused;

    // Every method has its own id and so its own menu command.
    std::set<int32_t> ids;
    std::set<int32_t> commands;
    for (int i = 0; i < NumStereoMethods(); ++i) {
        const StereoViewMethod* method = GetStereoMethodByIndex(i);
        ids.insert(method->id);
        commands.insert(STEREO_METHOD_MENU_BASE + method->id);
        EXPECT_FALSE(method->name.empty()) << i;
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(kMethodCount));
    EXPECT_EQ(*commands.begin(), 52771);
    EXPECT_EQ(*commands.rbegin(), 52797);
}

TEST(StereoMethods, TwinsDifferOnlyInSwapEyes) {
    const std::pair<int32_t, int32_t> twins[] = {{6, 7},   {8, 10}, {9, 11}, {12, 14},
                                                 {13, 15}, {3, 2},  {5, 4},  {24, 23}};
    for (const auto& [plainId, swappedId] : twins) {
        const StereoViewMethod& plain = *GetStereoMethodByID(plainId);
        const StereoViewMethod& swapped = *GetStereoMethodByID(swappedId);
        EXPECT_EQ(plain.swapEyes, 0) << plainId;
        EXPECT_EQ(swapped.swapEyes, 1) << swappedId;
        EXPECT_EQ(plain.outputType, swapped.outputType) << plainId;
        EXPECT_EQ(plain.interleavedFlag, swapped.interleavedFlag) << plainId;
        EXPECT_EQ(plain.halfWidth, swapped.halfWidth) << plainId;
        EXPECT_EQ(plain.deviceFlags, swapped.deviceFlags) << plainId;
        EXPECT_EQ(plain.displayFlags, swapped.displayFlags) << plainId;
        EXPECT_EQ(plain.surfType, swapped.surfType) << plainId;
    }
    EXPECT_EQ(GetStereoMethodByID(8)->outputType, OUTPUT_GREY_RED_BLUE);
    EXPECT_EQ(GetStereoMethodByID(16)->deviceFlags, DEVICE_PAGE_FLIP | DEVICE_ONE_EYE_AT_A_TIME);
}
