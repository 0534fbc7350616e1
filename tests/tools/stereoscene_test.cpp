// RenderStereoScene: two different, complete eye pictures in which nearer
// things are farther apart between the eyes than distant ones.
#include "imagefile/plainfixtures.h"
#include "support/thrownmessage.h"

#include "scenegen/stereoscene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using ColourTest = std::function<bool(int red, int green, int blue)>;

// Mean column of the pixels that pass isColour; -1 when there are none.
double MeanColumn(const pxImage& image, const ColourTest& isColour) {
    double columns = 0;
    int count = 0;
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x) {
            const uint8_t* pixel = image.Row(y) + 3 * x;
            if (isColour(pixel[2], pixel[1], pixel[0])) {
                columns += x;
                ++count;
            }
        }
    return count ? columns / count : -1;
}

const ColourTest kRed = [](int r, int g, int b) { return r > 40 && r > 2 * g && r > 2 * b; };
const ColourTest kGreen = [](int r, int g, int b) { return g > 40 && g > 2 * r && g > 2 * b; };

bool SamePixels(const pxImage& a, const pxImage& b) {
    for (int32_t y = 0; y < a.GetHeight(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), static_cast<size_t>(a.GetWidth()) * 3) != 0)
            return false;
    return true;
}

} // namespace

TEST(RenderStereoScene, NearThingsShiftMoreBetweenTheEyes) {
    pxImage left;
    pxImage right;
    RenderStereoScene(320, 240, left, right);
    ASSERT_EQ(left.GetSize().width, 320);
    ASSERT_EQ(right.GetHeight(), 240);
    ASSERT_EQ(left.GetBytesPerPixel(), 3);
    EXPECT_FALSE(SamePixels(left, right));

    const double nearShift = MeanColumn(left, kRed) - MeanColumn(right, kRed);
    const double farShift = MeanColumn(left, kGreen) - MeanColumn(right, kGreen);
    ASSERT_GE(MeanColumn(left, kRed), 0);
    ASSERT_GE(MeanColumn(left, kGreen), 0);
    // The left eye sees things farther right; the farthest sphere barely moves.
    EXPECT_GT(farShift, 0);
    EXPECT_GT(nearShift, 3 * farShift);
}

TEST(RenderStereoScene, SetsEveryPixelTheSameWayEachTime) {
    pxImage left;
    pxImage right;
    RenderStereoScene(160, 120, left, right);
    // Nothing in the scene is black, not even shadow or fog: a black pixel
    // is one left unset or a failed calculation.
    for (const pxImage* eye : {&left, &right})
        for (int32_t y = 0; y < eye->GetHeight(); ++y)
            for (int32_t x = 0; x < eye->GetWidth(); ++x) {
                const uint8_t* pixel = eye->Row(y) + 3 * x;
                ASSERT_GT(pixel[0] + pixel[1] + pixel[2], 0) << "at " << x << ", " << y;
            }
    // The sky is at the top, the floor or a sphere at the bottom.
    const uint8_t* top = left.Row(0) + 3 * 80;
    EXPECT_GT(top[0], top[2]);

    pxImage again;
    pxImage againRight;
    RenderStereoScene(160, 120, again, againRight);
    EXPECT_TRUE(SamePixels(left, again));
    EXPECT_TRUE(SamePixels(right, againRight));
}

TEST(RenderStereoScene, RefusesSizesWithoutPixels) {
    pxImage left;
    pxImage right;
    for (const auto& [width, height] : {std::pair{0, 10}, {10, -1}, {-5, -5}})
        EXPECT_EQ(ThrownMessage([&] { RenderStereoScene(width, height, left, right); }),
                  "RenderStereoScene: the eye pictures cannot be " + std::to_string(width) + " x " +
                      std::to_string(height) + " pixels.");
}
