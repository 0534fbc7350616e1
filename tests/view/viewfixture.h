// Shared pieces of the view tests: the display fixture (adapter profile,
// log, message boxes, scratch registry), pictures with known pixels and
// views created in a fixed mode.
#pragma once

#include "../display/displayfixture.h"

#include "view/bxview.h"

#include <memory>

// A side-by-side picture, left eye first: every left-eye pixel has red 200,
// every right-eye pixel red 40; green and blue vary with the position.
pxImage SideBySidePicture(px2Size eye);

// The smallest rectangle of the frame holding pixels that are not all zero
// (empty when there are none).
px2Rect DrawnArea(const pxImage& frame);

class ViewTest : public DisplayTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A view created through GDI (or DirectDraw) in a fixed mode of the profile.
    std::unique_ptr<BxView> MakeView(int width, int height, int bpp, bool fullScreen = true,
                                     uint32_t menuFlags = 0x000F0007,
                                     int32_t displayType = DisplayGDI);
    template <typename View>
    std::unique_ptr<View> Created(std::unique_ptr<View> view, int width, int height, int bpp,
                                  uint32_t menuFlags, int32_t displayType);
};

template <typename View>
std::unique_ptr<View> ViewTest::Created(std::unique_ptr<View> view, int width, int height, int bpp,
                                        uint32_t menuFlags, int32_t displayType) {
    const ModeType mode{ModeFixed, width, height, bpp, 0};
    view->Create(displayType, DDSurfSingle, mode, menuFlags);
    return view;
}

// Stereo method ids of the table.
constexpr int32_t kCrossEye = 4;
constexpr int32_t kParallel = 5;
constexpr int32_t kColourAnaglyph = 6;
constexpr int32_t kPageFlip = 16;
constexpr int32_t kWinSpex = 19;
constexpr int32_t kTesselClassic = 1;
constexpr int32_t kLeftEye = 24;
