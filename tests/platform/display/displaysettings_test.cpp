#include "adapterfixture.h"

#include "platform/display/displaysettings.h"

using namespace win;

namespace {

DEVMODE Request(DWORD width, DWORD height, DWORD bits) {
    DEVMODE devMode;
    devMode.dmSize = sizeof devMode;
    devMode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    devMode.dmPelsWidth = width;
    devMode.dmPelsHeight = height;
    devMode.dmBitsPerPel = bits;
    return devMode;
}

DisplayMode Enumerated(DWORD modeNum) {
    DEVMODE devMode;
    if (!EnumDisplaySettings(nullptr, modeNum, &devMode))
        return {};
    EXPECT_EQ(devMode.dmFields, DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY);
    return {static_cast<int>(devMode.dmPelsWidth), static_cast<int>(devMode.dmPelsHeight),
            static_cast<int>(devMode.dmBitsPerPel), static_cast<int>(devMode.dmDisplayFrequency)};
}

constexpr const char* kProfile = "mode 640x480x8@60\n"
                                 "mode 800x600x16@75\n"
                                 "mode 800x600x16@60\n"
                                 "mode 1024x768x32@60\n"
                                 "desktop 1024x768x32\n"
                                 "refuse change-display 800x600x16@60\n"
                                 "refuse test-display 640x480x8\n";

} // namespace

TEST_F(AdapterTest, EnumDisplaySettingsListsByIndexThenStops) {
    UseProfile(kProfile);
    EXPECT_EQ(Enumerated(0), (DisplayMode{640, 480, 8, 60}));
    EXPECT_EQ(Enumerated(1), (DisplayMode{800, 600, 16, 75}));
    EXPECT_EQ(Enumerated(2), (DisplayMode{800, 600, 16, 60}));
    EXPECT_EQ(Enumerated(3), (DisplayMode{1024, 768, 32, 60}));
    EXPECT_EQ(Enumerated(ENUM_CURRENT_SETTINGS), (DisplayMode{1024, 768, 32, 60}));
    EXPECT_EQ(Enumerated(ENUM_REGISTRY_SETTINGS), (DisplayMode{1024, 768, 32, 60}));

    // Past the end: FALSE, and the caller's record untouched.
    DEVMODE cleared;
    cleared.dmSize = sizeof cleared;
    EXPECT_EQ(EnumDisplaySettings(nullptr, 4, &cleared), FALSE);
    EXPECT_EQ(cleared.dmFields, 0u);
    EXPECT_EQ(cleared.dmPelsWidth, 0u);
    EXPECT_EQ(EnumDisplaySettings(nullptr, 1000000, &cleared), FALSE);
    EXPECT_EQ(EnumDisplaySettings(nullptr, 0, nullptr), FALSE);
    EXPECT_EQ(EnumDisplaySettings("\\\\.\\DISPLAY2", 0, &cleared), FALSE);
}

TEST_F(AdapterTest, ChangeDisplaySettingsChangesTheCurrentMode) {
    DisplayAdapter& adapter = UseProfile(kProfile);
    int told = 0;
    const int id = adapter.AddModeListener([&] { ++told; });

    DEVMODE devMode = Request(800, 600, 16);
    EXPECT_EQ(ChangeDisplaySettings(&devMode, 0), DISP_CHANGE_SUCCESSFUL);
    // Without a frequency the first listed refresh of that size and depth.
    EXPECT_EQ(Enumerated(ENUM_CURRENT_SETTINGS), (DisplayMode{800, 600, 16, 75}));
    EXPECT_EQ(Enumerated(ENUM_REGISTRY_SETTINGS), (DisplayMode{1024, 768, 32, 60}));
    EXPECT_EQ(internal::ScreenFramebuffer().bitsPerPixel, 16);
    EXPECT_EQ(internal::ScreenFramebuffer().width, 800);
    EXPECT_EQ(told, 1);

    // Members not named in dmFields keep the current values.
    devMode = DEVMODE{};
    devMode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    devMode.dmPelsWidth = 1024;
    devMode.dmPelsHeight = 768;
    EXPECT_EQ(ChangeDisplaySettings(&devMode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
    devMode.dmFields |= DM_BITSPERPEL;
    devMode.dmBitsPerPel = 32;
    EXPECT_EQ(ChangeDisplaySettings(&devMode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(Enumerated(ENUM_CURRENT_SETTINGS), (DisplayMode{1024, 768, 32, 60}));
    EXPECT_EQ(told, 2);

    // A null mode returns to the desktop.
    devMode = Request(800, 600, 16);
    ASSERT_EQ(ChangeDisplaySettings(&devMode, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(ChangeDisplaySettings(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(Enumerated(ENUM_CURRENT_SETTINGS), (DisplayMode{1024, 768, 32, 60}));
    EXPECT_EQ(internal::ScreenFramebuffer().bitsPerPixel, 32);
    EXPECT_EQ(told, 4);
    adapter.RemoveModeListener(id);
}

TEST_F(AdapterTest, ChangeDisplaySettingsRefusals) {
    UseProfile(kProfile);
    const DisplayMode desktop{1024, 768, 32, 60};

    DEVMODE devMode = Request(800, 600, 24); // not offered
    EXPECT_EQ(ChangeDisplaySettings(&devMode, CDS_TEST), DISP_CHANGE_BADMODE);
    EXPECT_EQ(ChangeDisplaySettings(&devMode, 0), DISP_CHANGE_BADMODE);

    devMode = Request(640, 480, 8); // unsupported by the profile
    EXPECT_EQ(ChangeDisplaySettings(&devMode, CDS_TEST), DISP_CHANGE_BADMODE);
    EXPECT_EQ(ChangeDisplaySettings(&devMode, 0), DISP_CHANGE_BADMODE);

    devMode = Request(800, 600, 16); // the change fails at 60 Hz only
    devMode.dmFields |= DM_DISPLAYFREQUENCY;
    devMode.dmDisplayFrequency = 60;
    EXPECT_EQ(ChangeDisplaySettings(&devMode, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(ChangeDisplaySettings(&devMode, 0), DISP_CHANGE_FAILED);
    EXPECT_EQ(Enumerated(ENUM_CURRENT_SETTINGS), desktop);
    devMode.dmDisplayFrequency = 85;
    EXPECT_EQ(ChangeDisplaySettings(&devMode, 0), DISP_CHANGE_BADMODE);

    devMode = Request(800, 600, 16);
    EXPECT_EQ(ChangeDisplaySettings(&devMode, 0x80), DISP_CHANGE_BADFLAGS);
    devMode.dmPelsWidth = 0x80000320; // no mode is that wide
    EXPECT_EQ(ChangeDisplaySettings(&devMode, 0), DISP_CHANGE_BADMODE);
    EXPECT_EQ(Enumerated(ENUM_CURRENT_SETTINGS), desktop);
}

TEST_F(AdapterTest, TestOnlyChangesNothing) {
    DisplayAdapter& adapter = UseProfile(kProfile);
    int told = 0;
    const int id = adapter.AddModeListener([&] { ++told; });
    internal::ScreenFramebuffer().pixels[0] = 9;

    DEVMODE devMode = Request(800, 600, 16);
    EXPECT_EQ(ChangeDisplaySettings(&devMode, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(ChangeDisplaySettings(&devMode, CDS_TEST | CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(Enumerated(ENUM_CURRENT_SETTINGS), (DisplayMode{1024, 768, 32, 60}));

    ASSERT_EQ(ChangeDisplaySettings(&devMode, 0), DISP_CHANGE_SUCCESSFUL);
    internal::ScreenFramebuffer().pixels[0] = 9;
    EXPECT_EQ(ChangeDisplaySettings(nullptr, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(Enumerated(ENUM_CURRENT_SETTINGS), (DisplayMode{800, 600, 16, 75}));
    EXPECT_EQ(internal::ScreenFramebuffer().pixels[0], 9);
    EXPECT_EQ(told, 1);
    adapter.RemoveModeListener(id);
}
