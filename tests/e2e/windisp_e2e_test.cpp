// The display window on a real X server: a frame drawn through DirectDraw
// and through GDI must reach the screen, scaled by the presenter.
#include "screenharness.h"

#include "display/windisp.h"
#include "imaging/pixelops.h"
#include "platform/win/window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kModeWidth = 320;
constexpr int kModeHeight = 240;
// A 320x240 mode on the 1024x768 screen: scaled by 3 to 960x720, centred.
constexpr int kLeft = (1024 - 960) / 2;
constexpr int kTop = (768 - 720) / 2;

pxImage Filled(px2Size size, pxColor colour) {
    pxImage image(size, 3, 4);
    pxFillRect(image, image.GetRect(), colour);
    return image;
}

// Left half red, right half blue, a green square of 20 pixels at (40, 40).
void DrawFrame(WinDisp& display) {
    const pxImage red = Filled({kModeWidth / 2, kModeHeight}, pxColor::Rgb(255, 0, 0));
    const pxImage blue = Filled({kModeWidth / 2, kModeHeight}, pxColor::Rgb(0, 0, 255));
    const pxImage green = Filled({20, 20}, pxColor::Rgb(0, 255, 0));
    const px2Pnt origin{0, 0};
    const px2Pnt middle{kModeWidth / 2, 0};
    const px2Pnt square{40, 40};
    display.BltImage(red, display.GetBitmapHeader(), &origin);
    display.BltImage(blue, display.GetBitmapHeader(), &middle);
    display.BltImage(green, display.GetBitmapHeader(), &square);
}

void ExpectFrameOnScreen() {
    const e2e::Screenshot shot = e2e::TakeScreenshotWhen(
        [](const e2e::Screenshot& s) {
            return s.At(kLeft + 720, kTop + 360) == win::RGB(0, 0, 255);
        },
        10000);
    ASSERT_EQ(shot.width, 1024);
    ASSERT_EQ(shot.height, 768);
    EXPECT_EQ(shot.At(kLeft + 240, kTop + 360), win::RGB(255, 0, 0));
    EXPECT_EQ(shot.At(kLeft + 720, kTop + 360), win::RGB(0, 0, 255));
    // The square covers mode pixels 40..59, screen pixels 120..179.
    EXPECT_EQ(shot.At(kLeft + 120, kTop + 120), win::RGB(0, 255, 0));
    EXPECT_EQ(shot.At(kLeft + 179, kTop + 179), win::RGB(0, 255, 0));
    EXPECT_EQ(shot.At(kLeft + 180, kTop + 179), win::RGB(255, 0, 0));
    EXPECT_EQ(shot.At(kLeft + 119, kTop + 120), win::RGB(255, 0, 0));
    // Outside the frame the screen is black.
    EXPECT_EQ(shot.At(10, 10), win::RGB(0, 0, 0));
    EXPECT_EQ(shot.At(1013, 757), win::RGB(0, 0, 0));
}

class WinDispEndToEnd : public ::testing::TestWithParam<DisplayType> {
protected:
    static void SetUpTestSuite() {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under Xvfb (see the CMake test)";
        ::setenv("BINOXA_SYSTEM_DIR", TEST_SYSTEM_DIR, 1);
        e2e::UseAdapterProfile("mode 320x240x32\n"
                               "desktop 320x240x32\n");
    }
};

TEST_P(WinDispEndToEnd, AFrameDrawnIntoTheDisplayReachesTheScreen) {
    const WinDispStruct params = {kModeWidth, kModeHeight, 3,
                                  4,          nullptr,     static_cast<int32_t>(win::WS_POPUP),
                                  GetParam(), DDSurfSingle};
    auto display = std::make_unique<WinDisp>();
    ASSERT_EQ(display->Create(&params), 1);
    ASSERT_EQ(display->UsesDirectDraw(), GetParam() == DisplayDirectDraw);
    e2e::PumpFor(200);
    DrawFrame(*display);
    ExpectFrameOnScreen();
    display.reset();
    e2e::PumpFor(100);
}

INSTANTIATE_TEST_SUITE_P(DirectDrawAndGdi, WinDispEndToEnd,
                         ::testing::Values(DisplayDirectDraw, DisplayGDI), [](const auto& info) {
                             return info.param == DisplayDirectDraw ? "DirectDraw" : "Gdi";
                         });

} // namespace
