#include "viewfixture.h"

#include "platform/win/beeps.h"

#include <algorithm>

pxImage SideBySidePicture(px2Size eye) {
    pxImage picture({eye.width * 2, eye.height}, 3, 4);
    for (int32_t y = 0; y < eye.height; ++y) {
        uint8_t* pixel = picture.Row(y);
        for (int32_t x = 0; x < eye.width * 2; ++x, pixel += 3) {
            pixel[0] = static_cast<uint8_t>(x * 7 + y);
            pixel[1] = static_cast<uint8_t>(y * 3 + 50);
            pixel[2] = x < eye.width ? 200 : 40;
        }
    }
    return picture;
}

px2Rect DrawnArea(const pxImage& frame) {
    int32_t left = frame.GetWidth(), top = frame.GetHeight(), right = -1, bottom = -1;
    const int32_t bytes = frame.GetBytesPerPixel();
    for (int32_t y = 0; y < frame.GetHeight(); ++y) {
        const uint8_t* row = frame.Row(y);
        for (int32_t x = 0; x < frame.GetWidth(); ++x)
            if (std::any_of(row + x * bytes, row + (x + 1) * bytes, [](uint8_t b) { return b; })) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    if (right < 0)
        return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

void ViewTest::SetUp() {
    DisplayTest::SetUp();
    win::internal::ClearRecordedBeeps();
}

void ViewTest::TearDown() {
    DisplayTest::TearDown();
}

std::unique_ptr<BxView> ViewTest::MakeView(int width, int height, int bpp, bool fullScreen,
                                           uint32_t menuFlags, int32_t displayType) {
    auto view = std::make_unique<BxView>();
    view->SetFullScreen(fullScreen);
    view->SetStatusBar(true);
    return Created(std::move(view), width, height, bpp, menuFlags, displayType);
}
