// The mode lists of the adapter, through GDI and through DirectDraw's
// enumeration callback, with capacities and exclusions.
#include "display/availablemodes.h"
#include "displayfixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Names(const ModeStruct* modes, int32_t count) {
    std::string names;
    for (int32_t i = 0; i < count; ++i)
        names += std::to_string(modes[i].width) + "x" + std::to_string(modes[i].height) + "x" +
                 std::to_string(modes[i].bpp) + "," + std::to_string(modes[i].refresh) + " ";
    return names;
}

class AvailableModes : public DisplayTest {};

win::DDSURFACEDESC Described(win::DWORD width, win::DWORD height, win::DWORD bits) {
    win::DDSURFACEDESC mode{};
    mode.dwWidth = width;
    mode.dwHeight = height;
    mode.ddpfPixelFormat.dwRGBBitCount = bits;
    return mode;
}

} // namespace

TEST_F(AvailableModes, TheGdiListIsSortedAndKeepsOnlyModesTheAdapterAccepts) {
    UseProfile("mode 800x600x16@75\nmode 640x480x32\nmode 640x480x8\nmode 1024x768x8\n"
               "refuse test-display 1024x768x8\n");
    ModeStruct modes[64];
    int32_t count = 64;
    EXPECT_EQ(CalculateAvailableModes(DisplayGDI, modes, &count, nullptr, 0), 3);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Names(modes, count), "640x480x8,60 640x480x32,60 800x600x16,75 ");

    // An excluded GDI mode must match in all four fields, refresh included.
    const ModeStruct excluded[] = {{640, 480, 32, 60}, {800, 600, 16, 0}};
    count = 64;
    CalculateAvailableModes(DisplayGDI, modes, &count, excluded, 2);
    EXPECT_EQ(Names(modes, count), "640x480x8,60 800x600x16,75 ");
}

TEST_F(AvailableModes, TheGdiListStopsAtTheCapacityAndKeepsWhatItHas) {
    UseProfile(ProfileOfManyModes(70));
    ModeStruct modes[64];
    int32_t count = 64;
    EXPECT_EQ(CalculateAvailableModes(DisplayGDI, modes, &count, nullptr, 0), 64);
    EXPECT_EQ(modes[63].width, 163u);
    EXPECT_NE(log.Text().find("CalculateAvailableModesGDI: maximum mode count (64) exceeded.  "
                              "Returning\n"),
              std::string::npos);
}

TEST_F(AvailableModes, WithoutDirectDrawDontCareFallsBackToGdiAndDirectDrawGivesNothing) {
    UseProfile("mode 800x600x16\nmode 640x480x8\n");
    ModeStruct modes[64];
    int32_t count = 64;
    EXPECT_EQ(CalculateAvailableModes(DisplayDontCare, modes, &count, nullptr, 0), 2);
    EXPECT_EQ(Names(modes, count), "640x480x8,60 800x600x16,60 ");
    EXPECT_NE(log.Text().find("CreateDirectDraw -- Couldn't load 'ddraw.dll'\n"),
              std::string::npos);

    count = 64;
    EXPECT_EQ(CalculateAvailableModes(DisplayDirectDraw, modes, &count, nullptr, 0), 0);
    EXPECT_EQ(count, 0);
    EXPECT_NE(
        log.Text().find(
            "CalculateAvailableModes: dispType was DirectDraw, but couldn't init DirectDraw!\n"),
        std::string::npos);

    EXPECT_EQ(CalculateAvailableModesDD(nullptr, modes, &count, nullptr, 0), 0);
    EXPECT_NE(log.Text().find("CalculateAvailableModesDD:  Invalid DirectDraw object!\n"),
              std::string::npos);
}

TEST(EnumModesCallback, AppendsUpToTheCapacityAndExcludesBySizeAndDepthOnly) {
    CapturedLog log;
    ModeStruct modes[2] = {};
    const ModeStruct excluded[] = {{800, 600, 16, 75}};
    DDEnumModeStruct context{2, 0, modes, 1, excluded};

    win::DDSURFACEDESC mode = Described(640, 480, 8);
    EXPECT_EQ(EnumModesCallback(&mode, &context), win::DDENUMRET_OK);
    mode = Described(800, 600, 16);
    EXPECT_EQ(EnumModesCallback(&mode, &context), win::DDENUMRET_OK);
    EXPECT_EQ(context.count, 1); // excluded although its refresh differs
    mode = Described(1024, 768, 32);
    EXPECT_EQ(EnumModesCallback(&mode, &context), win::DDENUMRET_OK);
    mode = Described(1280, 1024, 32);
    EXPECT_EQ(EnumModesCallback(&mode, &context), win::DDENUMRET_CANCEL);
    EXPECT_EQ(context.count, 2);
    EXPECT_EQ(Names(modes, 2), "640x480x8,0 1024x768x32,0 ");

    DDEnumModeStruct noList{2, 0, nullptr, 0, nullptr};
    EXPECT_EQ(EnumModesCallback(&mode, nullptr), win::DDENUMRET_CANCEL);
    EXPECT_EQ(EnumModesCallback(&mode, &noList), win::DDENUMRET_CANCEL);
    EXPECT_EQ(log.Text(),
              "EnumModesCallback: Maximum number of modes (2) has been exceeded!\n"
              "EnumModesCallback: Canceling enumeration, no lpContext!\n"
              "EnumModesCallback: Canceling enumeration, invalid mode list in DDEnumModeStruct!\n");
}
