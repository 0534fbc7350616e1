// The least-squares anaglyphs against a plain double-precision computation
// of the published method: sRGB decoded to linear light, both eyes projected
// through the glasses' matrices, clamped, and encoded to sRGB again.
#include "stereo/cpairrows.h"
#include "stereo/stereomethods.h"

#include "pairpictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Matrix = double[3][3]; // output red, green, blue from input red, green, blue

struct Glasses {
    int32_t methodId;
    Matrix left;
    Matrix right;
};

const Glasses kGlasses[] = {
    {25,
     {{0.437, 0.449, 0.164}, {-0.062, -0.062, -0.024}, {-0.048, -0.050, -0.017}},
     {{-0.011, -0.032, -0.007}, {0.377, 0.761, 0.009}, {-0.026, -0.093, 1.234}}},
    {26,
     {{-0.062, -0.158, -0.039}, {0.284, 0.668, 0.143}, {-0.015, -0.027, 0.021}},
     {{0.529, 0.705, 0.024}, {-0.016, -0.015, -0.065}, {0.009, 0.075, 0.937}}},
    {27,
     {{1.062, -0.205, 0.299}, {-0.026, 0.908, 0.068}, {-0.038, -0.173, 0.022}},
     {{-0.016, -0.123, -0.017}, {0.006, 0.062, -0.017}, {0.094, 0.185, 0.911}}},
};

double ToLinear(uint8_t value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

uint8_t FromLinear(double l) {
    l = std::clamp(l, 0.0, 1.0);
    const double c = l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
    return static_cast<uint8_t>(std::lround(c * 255));
}

Pixel Reference(const Glasses& glasses, Pixel left, Pixel right) {
    const double l[3] = {ToLinear(left[2]), ToLinear(left[1]), ToLinear(left[0])};
    const double r[3] = {ToLinear(right[2]), ToLinear(right[1]), ToLinear(right[0])};
    Pixel out{};
    for (int channel = 0; channel < 3; ++channel) {
        double mixed = 0;
        for (int k = 0; k < 3; ++k)
            mixed += glasses.left[channel][k] * l[k] + glasses.right[channel][k] * r[k];
        out[static_cast<size_t>(2 - channel)] = FromLinear(mixed);
    }
    return out;
}

// Eyes of width x height: random colours, with the extremes in the first row
// (black, white and the primaries against each other).
pxImage Eye(px2Size size, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    pxImage eye(size, 3);
    for (int32_t y = 0; y < size.height; ++y)
        for (int32_t x = 0; x < size.width; ++x)
            SetPixel(eye, x, y,
                     {static_cast<uint8_t>(byte(random)), static_cast<uint8_t>(byte(random)),
                      static_cast<uint8_t>(byte(random))});
    const Pixel extremes[] = {{0, 0, 0},   {255, 255, 255}, {255, 0, 0},
                              {0, 255, 0}, {0, 0, 255},     {255, 255, 0}};
    for (int32_t x = 0; x < size.width; ++x)
        SetPixel(eye, x, 0, extremes[(x + seed) % std::size(extremes)]);
    return eye;
}

} // namespace

TEST(DuboisAnaglyph, EveryPixelIsTheLinearLightProjectionOfBothEyes) {
    const px2Size eyeSize{29, 7};
    const pxImage left = Eye(eyeSize, 1);
    const pxImage right = Eye(eyeSize, 2);
    // The same eyes side by side in one frame, left first.
    pxImage frame({2 * eyeSize.width, eyeSize.height}, 3);
    for (int32_t y = 0; y < eyeSize.height; ++y)
        for (int32_t x = 0; x < eyeSize.width; ++x) {
            SetPixel(frame, x, y, PixelAt(left, x, y));
            SetPixel(frame, eyeSize.width + x, y, PixelAt(right, x, y));
        }

    for (const Glasses& glasses : kGlasses) {
        const StereoViewMethod* method = GetStereoMethodByID(glasses.methodId);
        ASSERT_NE(method, nullptr);
        SCOPED_TRACE(method->name);
        pxCPair pair(LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, frame);
        pxImage out(pair.CalcConvertSize(method->outputType), 3);
        ASSERT_EQ(out.GetWidth(), eyeSize.width);
        ASSERT_EQ(out.GetHeight(), eyeSize.height);
        pair.CopyConvert(out, {0, 0}, method->outputType, method->swapEyes);
        int exact = 0;
        for (int32_t y = 0; y < eyeSize.height; ++y)
            for (int32_t x = 0; x < eyeSize.width; ++x) {
                const Pixel expected =
                    Reference(glasses, PixelAt(left, x, y), PixelAt(right, x, y));
                const Pixel made = PixelAt(out, x, y);
                for (size_t c = 0; c < 3; ++c)
                    ASSERT_LE(std::abs(made[c] - expected[c]), 1)
                        << "pixel " << x << "," << y << " byte " << c;
                exact += made == expected;
            }
        EXPECT_GT(exact, eyeSize.width * eyeSize.height * 9 / 10);

        // Two eye pictures, the right eye's rows all first: nothing is final
        // until the left eye's rows come, then the same picture.
        pxCPair eyes(LAYOUT_SIDE_BY_SIDE, left, right);
        pxImage streamed(eyeSize, 3);
        FillBytes(streamed, 0x5A);
        pxPairRowConverter converter(eyes, streamed, {0, 0}, method->outputType, method->swapEyes,
                                     nullptr);
        converter.PutEyeRows(pxPairRowConverter::EYE_RIGHT, right);
        EXPECT_EQ(converter.FinishedRows(), 0);
        EXPECT_TRUE(Untouched(streamed, streamed.GetRect(), 0x5A));
        converter.PutEyeRows(pxPairRowConverter::EYE_LEFT, pxImage(left, px2Rect{0, 0, 29, 3}));
        EXPECT_EQ(converter.FinishedRows(), 3);
        converter.PutEyeRows(pxPairRowConverter::EYE_LEFT, pxImage(left, px2Rect{0, 3, 29, 4}));
        for (int32_t y = 0; y < eyeSize.height; ++y)
            for (int32_t x = 0; x < eyeSize.width; ++x)
                ASSERT_EQ(PixelAt(streamed, x, y), PixelAt(out, x, y)) << x << "," << y;
    }

    // Clamped, not wrapped: white for the red-filtered eye and black for the
    // other overflows red and underflows green and blue.
    pxImage white({1, 1}, 3), black({1, 1}, 3);
    FillBytes(white, 255);
    FillBytes(black, 0);
    pxCPair pair(LAYOUT_SIDE_BY_SIDE, white, black);
    pxImage out({1, 1}, 3);
    pair.CopyConvert(out, {0, 0}, OUTPUT_DUBOIS_RED_CYAN, 0);
    EXPECT_EQ(PixelAt(out, 0, 0), (Pixel{0, 0, 255}));
}
