// Creating a display through GDI, its checks, and changing its mode.
#include "display/windisp.h"
#include "displayfixture.h"
#include "support/thrownmessage.h"

#include "platform/display/adapter.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"
#include "platform/win/windowframebuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

WinDispStruct Params(int32_t imageBpp, int32_t displayBpp, int32_t dispType = DisplayGDI,
                     int32_t surfType = DDSurfSingle) {
    return {0,        0,       imageBpp, displayBpp, nullptr, static_cast<int32_t>(win::WS_POPUP),
            dispType, surfType};
}

constexpr const char* kModes = "mode 640x480x8\nmode 800x600x16\nmode 640x480x24\n"
                               "desktop 640x480x24\n";

class WinDispCreation : public DisplayTest {};

} // namespace

TEST_F(WinDispCreation, RefusesDepthsItCannotDraw) {
    UseProfile(kModes);
    WinDisp display;
    WinDispStruct params = Params(2, 2);
    EXPECT_EQ(ThrownMessage([&] { display.Create(&params); }),
              "Invalid image BPP creating WinDisp = 2");
    params = Params(3, 5);
    EXPECT_EQ(ThrownMessage([&] { display.Create(&params); }),
              "Invalid display BPP creating WinDisp = 5");
    params = Params(1, 3);
    EXPECT_EQ(ThrownMessage([&] { display.Create(&params); }),
              "Image bpp (1) must be greater or equal to display bpp (3)");
    EXPECT_EQ(display.GetWindow(), nullptr);

    // Three bytes of picture on a four-byte display are fine.
    WinDisp deep;
    params = Params(3, 4);
    EXPECT_EQ(ThrownMessage([&] { EXPECT_EQ(deep.Create(&params), 1); }), "");
}

TEST_F(WinDispCreation, AGdiDisplayTakesTheScreenInItsModeAndGoesBackToTheDesktop) {
    win::DisplayAdapter& adapter = UseProfile(kModes);
    {
        WinDisp display;
        const WinDispStruct params = Params(3, 3);
        ASSERT_EQ(display.Create(&params), 1);
        EXPECT_TRUE(display.IsDisplayValid());
        EXPECT_FALSE(display.UsesDirectDraw());
        ASSERT_EQ(display.GetModeCount(), 3);
        EXPECT_EQ(display.GetModes()[display.GetCurrentModeIndex()].bpp, 24u);
        EXPECT_EQ(display.whole.GetWidth(), 640);
        EXPECT_EQ(display.whole.GetHeight(), 480);
        EXPECT_EQ(display.whole.GetBytesPerPixel(), 3);
        EXPECT_EQ(display.Bpp(), 3u);
        win::RECT rect;
        win::GetWindowRect(display.GetWindow(), &rect);
        EXPECT_EQ(rect.right - rect.left, 640);
        EXPECT_EQ(win::GetWindowLong(display.GetWindow(), win::GWL_EXSTYLE) & win::WS_EX_TOPMOST,
                  static_cast<win::LONG>(win::WS_EX_TOPMOST));

        EXPECT_EQ(display.ChangeDisplay(800, 600, 16, 60, DDSurfSingle), 0);
        EXPECT_EQ(adapter.Current(), (win::DisplayMode{800, 600, 16, 60}));
        EXPECT_EQ(display.whole.GetWidth(), 800);
        EXPECT_EQ(display.whole.GetBytesPerPixel(), 3);
        EXPECT_EQ(display.Bpp(), 2u);
        const win::Framebuffer* shown = win::internal::WindowFramebuffer(display.GetWindow());
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->width, 800);
        EXPECT_EQ(shown->bitsPerPixel, 16);
        EXPECT_EQ(display.GetModeIndex(800, 600, 16, 60), display.GetCurrentModeIndex());
        EXPECT_EQ(display.GetModeIndex(800, 600, 16, 75), -1);
    }
    EXPECT_EQ(adapter.Current(), (win::DisplayMode{640, 480, 24, 60}));
    // Destroying the display's own window ends the message loop.
    EXPECT_EQ(TakeQueuedMessages(), std::vector<win::UINT>{win::WM_QUIT});
}

TEST_F(WinDispCreation, AModeNotInTheListIsLoggedWithEveryAvailableMode) {
    UseProfile(kModes);
    WinDisp display;
    const WinDispStruct params = Params(3, 3);
    display.Create(&params);
    EXPECT_EQ(ThrownMessage([&] { display.ChangeDisplay(1280, 1024, 32, 60, DDSurfSingle); }),
              "Could not change display to 1280x1024x32,60  mode not found in list of available "
              "mode.  See tamber.log file for details");
    EXPECT_NE(log.Text().find("WinDisp::ChangeDisplay -- 1280x1024x32,60 was not found in the "
                              "AvailableModes list:\n"
                              "\t0: 640x480x8,60\n\t1: 640x480x24,60\n\t2: 800x600x16,60\n"),
              std::string::npos);
    EXPECT_TRUE(display.IsDisplayValid());

    // An index outside the list changes nothing.
    EXPECT_EQ(display.ChangeDisplay(3, DDSurfSingle), 2);
    EXPECT_TRUE(display.IsDisplayValid());
}

TEST_F(WinDispCreation, ARefusedModeChangeIsReportedAndLeavesTheDisplayInvalid) {
    UseProfile(std::string(kModes) + "refuse change-display 800x600x16\n");
    WinDisp display;
    const WinDispStruct params = Params(3, 3);
    display.Create(&params);
    const std::string before = log.Text();
    EXPECT_EQ(display.ChangeDisplay(800, 600, 16, 60, DDSurfSingle), 2);
    EXPECT_FALSE(display.IsDisplayValid());
    EXPECT_EQ(log.Text().substr(before.size()),
              "WinDisp::ChangeDisplayGDI -- ERROR changing display (-1)\n"
              "WinDisp::ChangeDisplay -- change failed!\n");
}

TEST_F(WinDispCreation, GdiCannotPageFlipAndDirectDrawAloneNeedsTheLibrary) {
    UseProfile(kModes);
    WinDisp flipping;
    WinDispStruct params = Params(3, 3, DisplayGDI, DDSurfFlipChain);
    EXPECT_EQ(ThrownMessage([&] { flipping.Create(&params); }),
              "ERROR: Cannot do page flipping without DirectDraw");

    WinDisp later;
    params = Params(3, 3);
    later.Create(&params);
    EXPECT_EQ(ThrownMessage([&] { later.ChangeDisplay(0, DDSurfStereoPair); }),
              "ERROR: Cannot do page flipping with Windows GDI (need DirectDraw).");

    WinDisp directOnly;
    params = Params(3, 3, DisplayDirectDraw);
    EXPECT_EQ(ThrownMessage([&] { directOnly.Create(&params); }),
              "ERROR: Could not initialize DirectDraw display");
    EXPECT_NE(log.Text().find("CreateDirectDraw -- Couldn't load 'ddraw.dll'\n"
                              "WinDisp::DDInit -- CreateDirectDraw failed!\n"),
              std::string::npos);

    WinDisp dontCare;
    params = Params(3, 3, DisplayDontCare);
    EXPECT_EQ(dontCare.Create(&params), 1);
    EXPECT_FALSE(dontCare.UsesDirectDraw());
    EXPECT_TRUE(dontCare.IsDisplayValid());
}

TEST_F(WinDispCreation, ResizeTakesOnlyOneOrThreeBytesAndCentresTheFrame) {
    UseProfile(kModes);
    WinDisp display;
    const WinDispStruct params = Params(3, 3);
    display.Create(&params);
    EXPECT_EQ(ThrownMessage([&] {
                  display.Resize({10, 10}, PAIR_OVER_UNDER_RIGHT_TOP, 2, 4, 1);
              }),
              "Resize: Invalid BPP creating WinDisp (10,10,2)");
    display.Resize({600, 400}, PAIR_OVER_UNDER_RIGHT_TOP, 3, 4, 1);
    const win::BITMAPINFO* header = display.GetBitmapHeader();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->bmiHeader.biWidth, 600);
    EXPECT_EQ(header->bmiHeader.biHeight, 400);
    EXPECT_EQ(header->bmiHeader.biBitCount, 24);
    EXPECT_EQ(header->bmiHeader.biClrUsed, 256u);
    EXPECT_EQ(header->bmiHeader.biXPelsPerMeter, 1000);
}

TEST_F(WinDispCreation, AnAdapterWithoutUsableModesHasNoAvailableResolutions) {
    UseProfile(std::string(kModes) + "refuse test-display all\n");
    WinDisp display;
    const WinDispStruct params = Params(3, 3);
    EXPECT_EQ(ThrownMessage([&] { display.Create(&params); }),
              "You don't have any available resolutions!\n\nYou may need to run Binoxa Viewer "
              "from the Program Group and select\nPreferences | Customize Display Modes.  Then "
              "click on Excluded Modes\nand make sure you have something selected.");
    EXPECT_NE(log.Text().find(
                  "WinDisp::CommonConstructor -- no modes (0) after CalculateAvailableModes\n"),
              std::string::npos);
    EXPECT_EQ(display.GetModeCount(), 0);
    EXPECT_FALSE(display.IsDisplayValid());
}
