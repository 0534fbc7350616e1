#include "platform/display/screenmodes.h"

#include <gtest/gtest.h>

#include <vector>

using win::DisplayMode;
using win::internal::ScreenProfile;

TEST(ScreenModes, CommonSizesThatFitAtEveryDepth) {
    const win::AdapterProfile profile = ScreenProfile(1024, 768, 24, 75);
    std::vector<DisplayMode> expected;
    for (const auto& [width, height] : std::vector<std::pair<int, int>>{{320, 200},
                                                                        {320, 240},
                                                                        {400, 300},
                                                                        {512, 384},
                                                                        {640, 400},
                                                                        {640, 480},
                                                                        {800, 600},
                                                                        {1024, 768}})
        for (int bits : {8, 16, 24, 32})
            expected.push_back({width, height, bits, 75});
    EXPECT_EQ(profile.modes, expected);
    EXPECT_EQ(profile.desktop, (DisplayMode{1024, 768, 24, 75}));
}

TEST(ScreenModes, TheScreensOwnSizeJoinsInOrder) {
    const win::AdapterProfile profile = ScreenProfile(700, 500, 30, 0);
    ASSERT_EQ(profile.modes.size(), 7u * 4u);
    // 700x500 sorts after 640x480 and before 800x600 would have.
    EXPECT_EQ(profile.modes[6 * 4], (DisplayMode{700, 500, 8, 60}));
    EXPECT_EQ(profile.modes.back(), (DisplayMode{700, 500, 32, 60}));
    // A depth no mode has becomes 32 bits; no refresh becomes 60 Hz.
    EXPECT_EQ(profile.desktop, (DisplayMode{700, 500, 32, 60}));

    const win::AdapterProfile tiny = ScreenProfile(100, 100, 16, 60);
    EXPECT_EQ(tiny.modes,
              (std::vector<DisplayMode>{
                  {100, 100, 8, 60}, {100, 100, 16, 60}, {100, 100, 24, 60}, {100, 100, 32, 60}}));
}
