#include "platform/display/presenter.h"

#include "platform/gdi/systempalette.h"

#include <algorithm>
#include <cstdint>

namespace win::internal {
namespace {

bool IsWhole(const Framebuffer& frame) {
    const int bits = frame.bitsPerPixel;
    if ((bits != 8 && bits != 16 && bits != 24 && bits != 32) || frame.width <= 0 ||
        frame.height <= 0)
        return false;
    const std::int64_t rowBytes = std::int64_t{frame.width} * (bits / 8);
    return frame.stride >= rowBytes &&
           frame.pixels.size() >= static_cast<std::uint64_t>(frame.stride) * frame.height;
}

template <typename PixelToRgb>
void ConvertRows(const Framebuffer& frame, QImage& image, PixelToRgb toRgb) {
    const int bytes = frame.BytesPerPixel();
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* in = frame.Row(y);
        QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < frame.width; ++x, in += bytes)
            out[x] = toRgb(in);
    }
}

} // namespace

QImage PresentedImage(const Framebuffer& frame) {
    if (!IsWhole(frame))
        return QImage();
    QImage image(frame.width, frame.height, QImage::Format_RGB32);
    switch (frame.bitsPerPixel) {
    case 8: {
        PALETTEENTRY palette[256];
        GetSystemPaletteColours(palette);
        QRgb colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] = qRgb(palette[i].peRed, palette[i].peGreen, palette[i].peBlue);
        ConvertRows(frame, image, [&](const std::uint8_t* p) { return colours[p[0]]; });
        break;
    }
    case 16:
        ConvertRows(frame, image, [](const std::uint8_t* p) {
            std::uint8_t rgb[3];
            Framebuffer::Widen565(p, rgb);
            return qRgb(rgb[0], rgb[1], rgb[2]);
        });
        break;
    default: // 24 and 32 bits: blue, green, red first
        ConvertRows(frame, image, [](const std::uint8_t* p) { return qRgb(p[2], p[1], p[0]); });
        break;
    }
    return image;
}

QRect PresentedRect(QSize frame, QSize screen) {
    if (frame.isEmpty() || screen.isEmpty())
        return QRect();
    const std::int64_t frameW = frame.width(), frameH = frame.height();
    const std::int64_t screenW = screen.width(), screenH = screen.height();
    const std::int64_t factor = std::min(screenW / frameW, screenH / frameH);
    std::int64_t width = frameW * factor, height = frameH * factor;
    if (factor == 0) {
        // Shrink to the tighter side; the other follows the aspect, rounded.
        if (screenW * frameH <= screenH * frameW) {
            width = screenW;
            height = std::max<std::int64_t>(1, (frameH * screenW + frameW / 2) / frameW);
        } else {
            height = screenH;
            width = std::max<std::int64_t>(1, (frameW * screenH + frameH / 2) / frameH);
        }
    }
    return QRect(static_cast<int>((screenW - width) / 2), static_cast<int>((screenH - height) / 2),
                 static_cast<int>(width), static_cast<int>(height));
}

} // namespace win::internal
