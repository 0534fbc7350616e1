#include "platform/display/presenter.h"

#include "platform/gdi/systempalette.h"

#include <gtest/gtest.h>

using win::Framebuffer;
using win::internal::PresentedImage;
using win::internal::PresentedRect;

TEST(PresentedImage, EveryDepthBecomesRgb32) {
    Framebuffer frame32(2, 2, 32);
    frame32.Row(0)[0] = 0x10; // blue, green, red, unused
    frame32.Row(0)[1] = 0x20;
    frame32.Row(0)[2] = 0x30;
    frame32.Row(0)[3] = 0xFF;
    frame32.Row(1)[4] = 0xFF;
    QImage image = PresentedImage(frame32);
    ASSERT_EQ(image.format(), QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x30, 0x20, 0x10));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0xFF)); // row 1 is the second row: top-down
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));

    Framebuffer frame24(3, 2, 24); // stride 12: padding after 9 bytes
    frame24.Row(1)[6] = 0x01;
    frame24.Row(1)[7] = 0x02;
    frame24.Row(1)[8] = 0x03;
    frame24.Row(0)[9] = 0xFF; // padding, never shown
    image = PresentedImage(frame24);
    EXPECT_EQ(image.pixel(2, 1), qRgb(0x03, 0x02, 0x01));
    EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 0));

    Framebuffer frame16(4, 1, 16);
    const std::uint16_t words[] = {0xF800, 0x07E0, 0x001F, 0x8410};
    for (int x = 0; x < 4; ++x) {
        frame16.Row(0)[2 * x] = static_cast<std::uint8_t>(words[x]);
        frame16.Row(0)[2 * x + 1] = static_cast<std::uint8_t>(words[x] >> 8);
    }
    image = PresentedImage(frame16);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(3, 0), qRgb(0x84, 0x82, 0x84)); // 10000 100000 10000
}

TEST(PresentedImage, EightBitsThroughTheSystemPalette) {
    win::PALETTEENTRY palette[256];
    win::internal::GetSystemPaletteColours(palette);
    Framebuffer frame(256, 1, 8);
    for (int i = 0; i < 256; ++i)
        frame.Row(0)[i] = static_cast<std::uint8_t>(i);
    const QImage image = PresentedImage(frame);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(image.pixel(i, 0), qRgb(palette[i].peRed, palette[i].peGreen, palette[i].peBlue))
            << i;
    // The first and last reserved colours of the system palette.
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(255, 0), qRgb(255, 255, 255));
}

TEST(PresentedImage, FramesThatCannotBeReadGiveNoImage) {
    EXPECT_TRUE(PresentedImage(Framebuffer()).isNull());
    EXPECT_TRUE(PresentedImage(Framebuffer(4, 4, 4)).isNull());
    Framebuffer shortStride(4, 4, 32);
    shortStride.stride = 12;
    EXPECT_TRUE(PresentedImage(shortStride).isNull());
    Framebuffer shortPixels(4, 4, 32);
    shortPixels.pixels.resize(63);
    EXPECT_TRUE(PresentedImage(shortPixels).isNull());
    Framebuffer negative(4, 4, 32);
    negative.stride = -16;
    EXPECT_TRUE(PresentedImage(negative).isNull());
}

TEST(PresentedRect, WholeFactorsFitAndCentre) {
    // 640x480 fits twice into 1920x1080 (three times across, but only twice down).
    EXPECT_EQ(PresentedRect({640, 480}, {1920, 1080}), QRect(320, 60, 1280, 960));
    EXPECT_EQ(PresentedRect({640, 480}, {1280, 960}), QRect(0, 0, 1280, 960));
    EXPECT_EQ(PresentedRect({800, 600}, {1024, 768}), QRect(112, 84, 800, 600));
    EXPECT_EQ(PresentedRect({320, 200}, {1920, 1200}), QRect(0, 0, 1920, 1200));
    EXPECT_EQ(PresentedRect({321, 200}, {1920, 1200}), QRect(157, 100, 1605, 1000));
}

TEST(PresentedRect, LargerFramesShrinkWithTheirAspect) {
    EXPECT_EQ(PresentedRect({1600, 1200}, {1280, 1024}), QRect(0, 32, 1280, 960));
    EXPECT_EQ(PresentedRect({1920, 1080}, {1024, 768}), QRect(0, 96, 1024, 576));
    EXPECT_EQ(PresentedRect({1000, 3000}, {800, 600}), QRect(300, 0, 200, 600));
    EXPECT_EQ(PresentedRect({1000, 999}, {500, 1000}), QRect(0, 250, 500, 500)); // 499.5 rounds up
    EXPECT_EQ(PresentedRect({8192, 1}, {800, 600}), QRect(0, 299, 800, 1)); // never thinner than 1
    EXPECT_EQ(PresentedRect({0, 480}, {800, 600}), QRect());
    EXPECT_EQ(PresentedRect({640, 480}, {-1, 600}), QRect());
}
