// BxView: showing pictures in every flat method and display depth, centred
// and inside the frame, the zoom steps and the status line, and its life.
#include "viewfixture.h"

#include "support/thrownmessage.h"

#include "platform/win/beeps.h"
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
