// Drawing through GDI: blits of each depth, their checks, the status line
// and palettes.
#include "display/windisp.h"
#include "displayfixture.h"
#include "support/thrownmessage.h"

#include "imaging/pixelops.h"
#include "platform/gdi/gdi.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/windowframebuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class WinDispDrawing : public DisplayTest {
protected:
    // A GDI display in the adapter's only mode.
    void Open(const char* mode, int32_t imageBpp, int32_t displayBpp) {
        UseProfile(std::string("mode ") + mode + "\n");
        const WinDispStruct params = {0,          0,           imageBpp,
                                      displayBpp, nullptr,     static_cast<int32_t>(win::WS_POPUP),
                                      DisplayGDI, DDSurfSingle};
        display = std::make_unique<WinDisp>();
        ASSERT_EQ(display->Create(&params), 1);
        ASSERT_TRUE(display->IsDisplayValid());
    }

    void TearDown() override {
        display.reset();
        DisplayTest::TearDown();
    }

    const win::Framebuffer& Shown() const {
        return *win::internal::WindowFramebuffer(display->GetWindow());
    }

    std::unique_ptr<WinDisp> display;
};

// A picture of one colour (or one palette index).
pxImage Filled(px2Size size, int32_t bytesPerPixel, pxColor colour) {
    pxImage image(size, bytesPerPixel, 4);
    pxFillRect(image, image.GetRect(), colour);
    return image;
}

struct DepthCase {
    const char* mode;
    int32_t displayBpp;
};

} // namespace

TEST_F(WinDispDrawing, PicturesOfThreeBytesReachEveryDeeperDisplayAtTheirPoint) {
    for (const DepthCase& depth :
         {DepthCase{"320x200x16", 2}, DepthCase{"320x200x24", 3}, DepthCase{"320x200x32", 4}}) {
        SCOPED_TRACE(depth.mode);
        Open(depth.mode, 3, depth.displayBpp);
        const pxImage red = Filled({4, 3}, 3, pxColor::Rgb(255, 0, 0));
        const px2Pnt at{10, 20};
        display->BltImage(red, display->GetBitmapHeader(), &at);
        EXPECT_EQ(PixelAt(Shown(), 10, 20), win::RGB(255, 0, 0));
        EXPECT_EQ(PixelAt(Shown(), 13, 22), win::RGB(255, 0, 0));
        EXPECT_EQ(PixelAt(Shown(), 14, 22), win::RGB(0, 0, 0));
        EXPECT_EQ(PixelAt(Shown(), 13, 23), win::RGB(0, 0, 0));

        const pxImage indexed = Filled({4, 3}, 1, pxColor::FromValue(1));
        EXPECT_EQ(ThrownMessage([&] { display->BltImage(indexed, nullptr); }),
                  "WinDisp::BltImage -- image and display color depths are not compatible! (1 " +
                      std::to_string(depth.displayBpp) + ")");
        display.reset();
    }
}

TEST_F(WinDispDrawing, IndexedPicturesGoThroughThePaletteOnAnEightBitDisplay) {
    Open("320x200x8", 1, 1);
    win::PALETTEENTRY system[256];
    win::internal::GetSystemPaletteColours(system);

    pxPalette palette;
    for (int i = 0; i < 256; ++i)
        palette[i] = pxColor::Rgb(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7);
    display->SetPalette(palette);
    pxImage picture({3, 1}, 1, 4);
    picture.Row(0)[0] = 5;   // a reserved system colour: kept
    picture.Row(0)[1] = 100; // the picture's own colour
    picture.Row(0)[2] = 250;
    display->BltImage(picture, display->GetBitmapHeader());
    EXPECT_EQ(PixelAt(Shown(), 0, 0),
              win::RGB(system[5].peRed, system[5].peGreen, system[5].peBlue));
    EXPECT_EQ(PixelAt(Shown(), 1, 0), win::RGB(100, 155, 7));
    EXPECT_EQ(PixelAt(Shown(), 2, 0),
              win::RGB(system[250].peRed, system[250].peGreen, system[250].peBlue));

    const pxImage deep = Filled({2, 2}, 3, pxColor::Rgb(1, 2, 3));
    EXPECT_EQ(ThrownMessage([&] { display->BltImage(deep, nullptr); }),
              "WinDisp::BltImage -- image and display color depths are not compatible! (3 1)");

    palette.SetCount(255);
    EXPECT_EQ(ThrownMessage([&] { display->SetPalette(palette); }),
              "Palette must be 256 entries long to use SetPalette");
}

TEST_F(WinDispDrawing, WithoutStaticColoursOnlyBlackAndWhiteStayAtTheEnds) {
    Open("320x200x8", 1, 1);
    const win::HDC screen = win::GetDC(nullptr);
    ASSERT_NE(win::SetSystemPaletteUse(screen, win::SYSPAL_NOSTATIC), win::SYSPAL_ERROR);

    pxPalette palette;
    for (int i = 0; i < 256; ++i)
        palette[i] = pxColor::Rgb(static_cast<uint8_t>(i), 9, 200);
    display->SetPalette(palette);
    pxImage picture({3, 1}, 1, 4);
    picture.Row(0)[0] = 0;
    picture.Row(0)[1] = 5;
    picture.Row(0)[2] = 255;
    display->BltImage(picture, display->GetBitmapHeader());
    EXPECT_EQ(PixelAt(Shown(), 0, 0), win::RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(Shown(), 1, 0), win::RGB(5, 9, 200));
    EXPECT_EQ(PixelAt(Shown(), 2, 0), win::RGB(255, 255, 255));

    win::SetSystemPaletteUse(screen, win::SYSPAL_STATIC);
    win::ReleaseDC(nullptr, screen);
}

TEST_F(WinDispDrawing, PointsAndSizesOutsideTheDisplayAreRefusedWithTheirTexts) {
    Open("320x200x24", 3, 3);
    const pxImage square = Filled({20, 20}, 3, pxColor::Rgb(9, 9, 9));
    const pxImage empty;
    const auto blit = [&](const pxImage& image, px2Pnt at) {
        return ThrownMessage([&] { display->BltImage(image, display->GetBitmapHeader(), &at); });
    };
    EXPECT_EQ(blit(square, {-1, 0}),
              "WinDisp::BltImage -- invalid pnt (-1,0) for display (320x200)");
    EXPECT_EQ(blit(square, {0, 201}),
              "WinDisp::BltImage -- invalid pnt (0,201) for display (320x200)");
    EXPECT_EQ(blit(square, {301, 0}), "WinDisp::BltImage -- image (20x20) with pnt (301x0) exceeds "
                                      "display bounds (320x200)");
    EXPECT_EQ(blit(square, {320, 200}), "WinDisp::BltImage -- image (20x20) with pnt (320x200) "
                                        "exceeds display bounds (320x200)");
    EXPECT_EQ(blit(empty, {320, 200}), "");
    EXPECT_EQ(blit(square, {300, 180}), "");
    EXPECT_NE(log.Text().find("WinDisp::BltImage -- invalid pnt (-1,0) for display (320x200)\n"),
              std::string::npos);
    EXPECT_EQ(PixelAt(Shown(), 319, 199), win::RGB(9, 9, 9));
}

TEST_F(WinDispDrawing, AFrameLargerThanTheDisplayIsCentredAndCut) {
    Open("320x200x24", 3, 3);
    display->Resize({360, 220}, PAIR_OVER_UNDER_RIGHT_TOP, 3, 4, 1);
    pxFillRect(display->whole, display->whole.GetRect(), pxColor::Rgb(0, 0, 255));
    pxFillRect(display->whole, {20, 10, 1, 1}, pxColor::Rgb(0, 255, 0));
    display->Refresh();
    EXPECT_EQ(PixelAt(Shown(), 0, 0), win::RGB(0, 255, 0));
    EXPECT_EQ(PixelAt(Shown(), 319, 199), win::RGB(0, 0, 255));
    EXPECT_NE(log.Text().find("WinDisp::MonoWidth -- difference between widths! (320, 360)\n"),
              std::string::npos);
}

TEST_F(WinDispDrawing, TheStatusLineIsDrawnAgainOnEveryRefresh) {
    Open("320x200x24", 3, 3);
    pxFillRect(display->whole, display->whole.GetRect(), pxColor::Rgb(255, 255, 255));
    display->SetStatusBarMessage("Frame %d", 3);
    display->Refresh();

    const win::Framebuffer& shown = Shown();
    int green = 0;
    for (int y = 184; y < 200; ++y)
        for (int x = 0; x < 7 * 8; ++x)
            green += PixelAt(shown, x, y) == win::RGB(0, 200, 0);
    EXPECT_GT(green, 20);
    EXPECT_EQ(PixelAt(shown, 300, 184), win::RGB(0, 0, 0)); // the erased line
    EXPECT_EQ(PixelAt(shown, 300, 183), win::RGB(255, 255, 255));

    display->SetStatusBarMessage(nullptr);
    display->Refresh();
    EXPECT_EQ(PixelAt(shown, 300, 184), win::RGB(255, 255, 255));
}

TEST_F(WinDispDrawing, AnInvalidDisplayDrawsNothing) {
    UseProfile("mode 320x200x24\nmode 640x480x24\nrefuse change-display 640x480x24\n");
    const WinDispStruct params = {0, 0, 3, 3, nullptr, 0, DisplayGDI, DDSurfSingle};
    display = std::make_unique<WinDisp>();
    display->Create(&params);
    display->ChangeDisplay(1, DDSurfSingle);
    ASSERT_FALSE(display->IsDisplayValid());
    display->BltImage(display->whole, nullptr);
    display->TextOut({0, 0}, "x", true);
    EXPECT_NE(log.Text().find("WinDisp::BltImage -- display is not valid, returning!\n"
                              "WinDisp::TextOut -- display is not valid, returning\n"),
              std::string::npos);
}

TEST_F(WinDispDrawing, PicturesReachTheDisplayTheRightWayUpWhateverTheirRowLayout) {
    Open("320x200x32", 3, 4);
    // Row y of a picture is (40 * (y + 1), y, 0), whatever the layout in memory.
    const auto striped = [](px2Size size, int32_t rowAlign, int32_t bottomUp) {
        pxImage image(size, 3, rowAlign, bottomUp);
        for (int32_t y = 0; y < size.height; ++y)
            pxFillRect(
                image, {0, y, size.width, 1},
                pxColor::Rgb(static_cast<uint8_t>(40 * (y + 1)), static_cast<uint8_t>(y), 0));
        return image;
    };
    const auto expectRows = [&](int x, int32_t rows, int32_t step, int32_t first) {
        for (int32_t y = 0; y < rows; ++y) {
            const int32_t source = first + step * y;
            EXPECT_EQ(PixelAt(Shown(), x, y), win::RGB(40 * (source + 1), source, 0))
                << "column " << x << ", row " << y;
        }
    };

    const pxImage topDown = striped({4, 4}, 4, 0);
    const pxImage bottomUp = striped({4, 4}, 4, 1);
    const pxImage unaligned = striped({3, 4}, 1, 0); // rows of 9 bytes: not a bitmap's
    const pxImage oddRows(topDown, FIELD_ODD, BOTTOMUP_INHERIT);
    const px2Pnt at[] = {{0, 0}, {10, 0}, {20, 0}, {30, 0}};
    display->BltImage(topDown, display->GetBitmapHeader(), &at[0]);
    display->BltImage(bottomUp, display->GetBitmapHeader(), &at[1]);
    display->BltImage(unaligned, display->GetBitmapHeader(), &at[2]);
    display->BltImage(oddRows, display->GetBitmapHeader(), &at[3]);
    expectRows(0, 4, 1, 0);
    expectRows(10, 4, 1, 0);
    expectRows(22, 4, 1, 0);
    expectRows(30, 2, 2, 1);
    EXPECT_EQ(PixelAt(Shown(), 30, 2), win::RGB(0, 0, 0)) << "a field of two rows draws two";
}
