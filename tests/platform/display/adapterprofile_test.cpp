#include "platform/display/adapterprofile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using win::DisplayMode;
using win::RefusedCall;
using win::internal::ParseAdapterProfile;

TEST(AdapterProfile, ReadsEveryStatement) {
    const auto result = ParseAdapterProfile("# a test adapter\n"
                                            "mode 640x480x8@60\n"
                                            "  mode\t800x600x16   # refresh defaults\r\n"
                                            "\n"
                                            "desktop 1024x768x32@75\n"
                                            "video-memory 4194304\n"
                                            "hardware-stereo yes\n"
                                            "refuse change-display 800x600x16\n"
                                            "refuse test-display 640x480x8@60\n"
                                            "refuse set-display-mode all\n"
                                            "fail get-caps\n"
                                            "fail enum-attached-surfaces\n");
    ASSERT_EQ(result.error, "");
    const win::AdapterProfile& profile = result.profile;
    ASSERT_EQ(profile.modes.size(), 2u);
    EXPECT_EQ(profile.modes[0], (DisplayMode{640, 480, 8, 60}));
    EXPECT_EQ(profile.modes[1], (DisplayMode{800, 600, 16, 60}));
    EXPECT_EQ(profile.desktop, (DisplayMode{1024, 768, 32, 75}));
    EXPECT_EQ(profile.videoMemoryBytes, 4194304u);
    EXPECT_TRUE(profile.hardwareStereo);
    ASSERT_EQ(profile.refusals.size(), 3u);
    EXPECT_EQ(profile.refusals[0].call, RefusedCall::ChangeDisplay);
    EXPECT_FALSE(profile.refusals[0].everyMode);
    EXPECT_EQ(profile.refusals[0].mode, (DisplayMode{800, 600, 16, 0})); // any refresh
    EXPECT_EQ(profile.refusals[1].call, RefusedCall::TestDisplay);
    EXPECT_EQ(profile.refusals[1].mode, (DisplayMode{640, 480, 8, 60}));
    EXPECT_EQ(profile.refusals[2].call, RefusedCall::SetDisplayMode);
    EXPECT_TRUE(profile.refusals[2].everyMode);
    EXPECT_EQ(profile.failures,
              (std::vector<win::FailingCall>{win::FailingCall::GetCaps,
                                             win::FailingCall::EnumAttachedSurfaces}));
}

TEST(AdapterProfile, DefaultsWhereTheProfileIsSilent) {
    const auto result = ParseAdapterProfile("mode 640x480x8");
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.profile.desktop.width, 0); // the adapter takes the first mode
    EXPECT_EQ(result.profile.videoMemoryBytes, win::AdapterProfile::kDefaultVideoMemory);
    EXPECT_FALSE(result.profile.hardwareStereo);
    EXPECT_TRUE(result.profile.refusals.empty());
    EXPECT_TRUE(result.profile.failures.empty());
    EXPECT_EQ(ParseAdapterProfile("desktop 800x600x16\nhardware-stereo no").error, "");
    EXPECT_EQ(ParseAdapterProfile("desktop 800x600x16").profile.desktop.refresh, 0);
}

TEST(AdapterProfile, NamesTheFirstBrokenLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"mode 640x480x8\nmdoe 800x600x8\nbogus", "line 2: unknown statement 'mdoe'"},
        {"mode 640x480", "line 1: '640x480' is not a mode WIDTHxHEIGHTxBITS[@HERTZ]"},
        {"mode 640x480x8@", "line 1: '640x480x8@' is not a mode WIDTHxHEIGHTxBITS[@HERTZ]"},
        {"mode 640x480x8x", "line 1: '640x480x8x' is not a mode WIDTHxHEIGHTxBITS[@HERTZ]"},
        {"mode 64ax480x8", "line 1: '64ax480x8' is not a mode WIDTHxHEIGHTxBITS[@HERTZ]"},
        {"mode 640x480x12",
         "line 1: the mode '640x480x12' must have 8, 16, 24 or 32 bits per pixel"},
        {"mode 0x480x8", "line 1: the mode '0x480x8' must be 1 to 8192 pixels each way"},
        {"mode 640x8193x8", "line 1: the mode '640x8193x8' must be 1 to 8192 pixels each way"},
        {"mode -640x480x8", "line 1: the mode '-640x480x8' must be 1 to 8192 pixels each way"},
        {"mode 640x480x8@0", "line 1: the mode '640x480x8@0' must refresh at 1 to 1000 hertz"},
        {"mode 640x480x8 800x600x8", "line 1: 'mode' is written 'mode WxHxB[@R]'"},
        {"desktop", "line 1: 'desktop' is written 'desktop WxHxB[@R]'"},
        {"video-memory 4294967296",
         "line 1: 'video-memory' needs a number of bytes up to 4294967295, not '4294967296'"},
        {"video-memory -1", "line 1: 'video-memory' needs a number of bytes up to 4294967295, "
                            "not '-1'"},
        {"hardware-stereo 1", "line 1: 'hardware-stereo' takes yes or no, not '1'"},
        {"hardware-stereo", "line 1: 'hardware-stereo' is written 'hardware-stereo yes' or "
                            "'hardware-stereo no'"},
        {"refuse flip all",
         "line 1: 'refuse' takes change-display, test-display or set-display-mode, not 'flip'"},
        {"refuse change-display",
         "line 1: 'refuse' is written 'refuse CALL WxHxB[@R]' or 'refuse CALL all'"},
        {"refuse test-display any", "line 1: 'any' is not a mode WIDTHxHEIGHTxBITS[@HERTZ]"},
        {"fail flip", "line 1: 'fail' takes direct-draw-create, create-primary, create-flip-chain, "
                      "create-left-primary, enum-attached-surfaces, get-caps or set-entries, not "
                      "'flip'"},
        {"fail get-caps now", "line 1: 'fail' is written 'fail CALL'"},
        {"mode 1x1x8\n\n# fine\nmode 123456789012345678901234567890123456789012345678x1x8",
         "line 4: '1234567890123456789012345678901234567890...' is not a mode "
         "WIDTHxHEIGHTxBITS[@HERTZ]"},
        {"", "the profile offers no mode"},
        {"# only a comment\nvideo-memory 1\n", "the profile offers no mode"},
    };
    for (const auto& [text, error] : cases)
        EXPECT_EQ(ParseAdapterProfile(text).error, error) << text;
}

TEST(AdapterProfile, MissingFileIsAnError) {
    const auto result = win::internal::ReadAdapterProfile("/nonexistent/adapter.profile");
    EXPECT_EQ(result.error, "cannot open it: No such file or directory");
}
