// BxView: showing pictures in every flat method and display depth, centred
// and inside the frame, the zoom steps and the status line, and its life.
#include "viewfixture.h"

#include "support/thrownmessage.h"

#include "platform/gdi/systempalette.h"
#include "platform/win/beeps.h"
#include "platform/win/messages.h"
#include "stereo/cpair.h"
#include "stereo/stereomethods.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

class BxViewShowing : public ViewTest {};

constexpr const char* kDepths = "mode 1024x768x8\nmode 1024x768x16\nmode 1024x768x24\n"
                                "mode 1024x768x32\nmode 2048x1536x24\ndesktop 1024x768x24\n";

// The methods that need no device and draw one picture.
std::vector<int32_t> FlatMethods() {
    std::vector<int32_t> ids;
    for (int i = 0; i < NumStereoMethods(); ++i) {
        const StereoViewMethod* method = GetStereoMethodByIndex(i);
        if (method->deviceFlags == 0)
            ids.push_back(method->id);
    }
    return ids;
}

} // namespace

TEST_F(BxViewShowing, EveryFlatMethodAtEveryDepthIsCentredInsideTheFrame) {
    UseProfile(kDepths);
    const pxImage picture = SideBySidePicture({2000, 1500});
    const std::vector<int32_t> methods = FlatMethods();
    ASSERT_GE(methods.size(), 14u);
    for (const int bpp : {8, 16, 24, 32}) {
        const auto view = MakeView(1024, 768, bpp);
        for (const int32_t id : methods) {
            SCOPED_TRACE("depth " + std::to_string(bpp) + " method " + std::to_string(id));
            ASSERT_EQ(
                view->ShowImage(picture, nullptr, LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, id), 1);
            const pxImage& frame = view->GetDisplay()->whole;
            const double zoom = view->GetConversionSettings().zoom;
            EXPECT_GT(zoom, 0.0);
            EXPECT_LT(zoom, 1.0);
            const px2Rect drawn = DrawnArea(frame);
            ASSERT_FALSE(drawn.IsEmpty());
            // Centred: the margins on each side differ by the even rounding at most.
            const int32_t right = frame.GetWidth() - drawn.x - drawn.width;
            const int32_t below = frame.GetHeight() - drawn.y - drawn.height;
            EXPECT_LE(std::abs(drawn.x - right), 3) << drawn.x << " " << right;
            EXPECT_LE(std::abs(drawn.y - below), 3) << drawn.y << " " << below;
            // The fit zoom leaves a line free on the limiting side.
            EXPECT_TRUE(drawn.width < frame.GetWidth() && drawn.height < frame.GetHeight());
        }
        view->Destroy(1);
    }
}

TEST_F(BxViewShowing, ActualSizeShowsTheEyesPixelForPixel) {
    UseProfile(kDepths);
    const pxImage picture = SideBySidePicture({300, 200});
    const auto view = MakeView(1024, 768, 24, /*fullScreen=*/false);
    ASSERT_EQ(view->ShowImage(picture, nullptr, LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, kParallel),
              1);
    EXPECT_EQ(view->GetConversionSettings().zoom, 1.0);
    pxCPair pair(LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, picture);
    pxImage expected({600, 200}, 3, 4);
    pair.CopyConvert(expected, {0, 0}, OUTPUT_SIDE_BY_SIDE, 0);
    const pxImage& frame = view->GetDisplay()->whole;
    EXPECT_EQ(DrawnArea(frame).x, (1024 - 600) / 2 & ~1);
    const px2Pnt at{(1024 - 600) / 2 & ~1, (768 - 200) / 2 & ~1};
    for (int32_t y = 0; y < 200; y += 7)
        ASSERT_EQ(std::memcmp(frame.Row(at.y + y) + at.x * 3, expected.Row(y), 600 * 3), 0) << y;
    view->Destroy(1);
}

namespace {

class BxViewLife : public ViewTest {};

constexpr const char* kOneMode = "mode 1024x768x24\nmode 1024x768x8\ndesktop 1024x768x24\n";

std::string StatusLine(const BxView& view) {
    return view.GetDisplay()->GetStatusBarMessage().value_or("");
}

} // namespace

TEST_F(BxViewLife, ZoomStepsStatusLineAndBeeps) {
    UseProfile(kOneMode);
    const auto view = MakeView(1024, 768, 24, /*fullScreen=*/false);
    // Larger than the display at actual size: shown at the fit zoom, and the
    // status line says that zoom.
    const pxImage big = SideBySidePicture({1500, 1000});
    ASSERT_EQ(view->ShowImage(big, nullptr, LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, kParallel), 1);
    const double fit = std::min(767.0 / 1000, 1023.0 / 3000);
    EXPECT_DOUBLE_EQ(view->GetConversionSettings().zoom, fit);
    EXPECT_EQ(StatusLine(*view), "Method: " + GetStereoMethodByID(kParallel)->name +
                                     "  Zoom: " + std::to_string(static_cast<int>(fit * 100)) +
                                     "%  Display: 1024x768x24 (GDI)");

    // From actual size, eighteen reductions reach 0.1; the next only beeps.
    const pxImage small = SideBySidePicture({200, 150});
    ASSERT_EQ(view->ShowImage(small, nullptr, LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, kParallel),
              1);
    EXPECT_EQ(view->GetConversionSettings().zoom, 1.0);
    EXPECT_NE(StatusLine(*view).find("Zoom: 100%"), std::string::npos) << StatusLine(*view);
    for (int i = 0; i < 18; ++i)
        view->ReduceImage();
    EXPECT_NEAR(view->GetConversionSettings().zoom, 0.1, 1e-9);
    EXPECT_TRUE(win::internal::RecordedBeeps().empty());
    const px2Rect reduced = DrawnArea(view->GetDisplay()->whole);
    EXPECT_NEAR(reduced.width, 40, 2);
    view->ReduceImage();
    EXPECT_NEAR(view->GetConversionSettings().zoom, 0.1, 1e-9);
    EXPECT_EQ(win::internal::RecordedBeeps().size(), 1u);

    // Actual size again; asked again it does nothing at all (no rendering:
    // a pixel changed in the frame stays).
    view->OriginalSize();
    EXPECT_EQ(view->GetConversionSettings().zoom, 1.0);
    pxImage& frame = view->GetDisplay()->whole;
    frame.Row(0)[0] = 0x77;
    view->OriginalSize();
    EXPECT_EQ(frame.Row(0)[0], 0x77);
    view->EnlargeImage();
    EXPECT_DOUBLE_EQ(view->GetConversionSettings().zoom, 1.05);
    EXPECT_EQ(frame.Row(0)[0], 0) << "rendered again on a cleared frame";
    view->EnlargeImageFull();
    EXPECT_DOUBLE_EQ(view->GetConversionSettings().zoom, std::min(767.0 / 150, 1023.0 / 400));
    EXPECT_EQ(StatusLine(*view).rfind("Method: ", 0), 0u) << "the status line follows the zoom";

    // Tab's flag cleared: no status line.
    view->SetStatusBar(false);
    view->Refresh();
    EXPECT_EQ(StatusLine(*view), "");
    view->Destroy(1);
    EXPECT_FALSE(view->IsActive());
}

TEST_F(BxViewLife, UnknownMethodsLockingAndRepeatedCreation) {
    UseProfile(kOneMode);
    const auto view = MakeView(1024, 768, 24);
    EXPECT_EQ(ThrownMessage([&] {
                  view->Create(DisplayGDI, DDSurfSingle, {ModeFixed, 1024, 768, 24, 0}, 0);
              }),
              "BxView is already active!");
    const pxImage picture = SideBySidePicture({64, 48});
    EXPECT_EQ(view->ShowImage(picture, nullptr, LAYOUT_SIDE_BY_SIDE, 17), 0);
    EXPECT_NE(log.Text().find("BxView::ShowImage -- Invalid stereo view method 17!"),
              std::string::npos);
    EXPECT_FALSE(view->IsActive()) << "destroyed with result 2";
    EXPECT_EQ(view->GetSafeHwnd(), nullptr);
    view->Destroy(2);
    EXPECT_NE(log.Text().find("BxView::Destroy -- WARNING: not active, nothing to destroy"),
              std::string::npos);
    EXPECT_EQ(view->Update(true), 0);
    EXPECT_NE(log.Text().find("BxView::Update -- display is not active, returning"),
              std::string::npos);

    // A locked view waits in Destroy, pumping messages, until it is unlocked:
    // here by a command hook that a posted command reaches.
    const auto locked = MakeView(1024, 768, 24);
    ASSERT_EQ(locked->ShowImage(picture, nullptr, LAYOUT_SIDE_BY_SIDE, kParallel), 1);
    struct Unlocker {
        static int32_t Hook(uint32_t, win::LPARAM, void* context) {
            static_cast<BxView*>(context)->UnLock();
            return 1;
        }
    };
    ASSERT_EQ(locked->RegisterCommandHook(4711, Unlocker::Hook, locked.get()), 1);
    locked->Lock();
    win::PostMessage(locked->GetSafeHwnd(), win::WM_COMMAND, 4711, 0);
    locked->Destroy(1);
    EXPECT_FALSE(locked->IsLocked());
    EXPECT_FALSE(locked->IsActive());
}

TEST_F(BxViewLife, ClosestModeFitsThePairAndEightBitDisplaysShareOnePalette) {
    // A 640 x 480 pair shown side by side asks for the mode closest to 1280 x 480.
    UseProfile("mode 640x480x24\nmode 1024x768x24\nmode 1280x480x24\nmode 1600x1200x24\n"
               "mode 1280x480x8\ndesktop 1024x768x24\n");
    auto view = std::make_unique<BxView>();
    view->Create(DisplayGDI, DDSurfSingle, {ModeClosest, 0, 0, 0, 0}, 0);
    const pxImage pair = SideBySidePicture({640, 480});
    ASSERT_EQ(view->ShowImage(pair, nullptr, LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, kCrossEye),
              1);
    const ModeStruct& mode =
        view->GetDisplay()->GetModes()[view->GetDisplay()->GetCurrentModeIndex()];
    EXPECT_EQ(mode.width, 1280u);
    EXPECT_EQ(mode.height, 480u);
    EXPECT_EQ(mode.bpp, 24u);
    view->Destroy(1);

    // On an 8-bit display both eyes are reduced to one palette: the cross-eyed
    // picture keeps its right eye (red 40) on the left and its left eye (red
    // 200) on the right, seen through the palette the display was given.
    UseProfile("mode 1024x768x8\ndesktop 1024x768x8\n");
    const auto indexed = MakeView(1024, 768, 8, /*fullScreen=*/false);
    ASSERT_EQ(indexed->ShowImage(SideBySidePicture({300, 200}), nullptr,
                                 LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, kCrossEye),
              1);
    win::PALETTEENTRY colours[256];
    win::internal::GetSystemPaletteColours(colours);
    const pxImage& frame = indexed->GetDisplay()->whole;
    ASSERT_EQ(frame.GetBytesPerPixel(), 1);
    const px2Rect drawn = DrawnArea(frame);
    EXPECT_EQ(drawn.width, 600);
    for (const auto& [x, red] : {std::pair{drawn.x + 100, 40}, std::pair{drawn.x + 450, 200}}) {
        const win::PALETTEENTRY& colour = colours[frame.Row(drawn.y + 50)[x]];
        EXPECT_NEAR(colour.peRed, red, 12) << x;
    }
    indexed->Destroy(1);
}
