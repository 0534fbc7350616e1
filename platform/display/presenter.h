// Turning a framebuffer into what the real screen shows: its pixels as a Qt
// image, and where that image lands on the screen.
#pragma once

#include "platform/gdi/framebuffer.h"

#include <QImage>
#include <QRect>
#include <QSize>

namespace win::internal {

// The frame in QImage::Format_RGB32; 8-bit pixels through the current system
// palette. A frame of another depth, or whose stride or pixel store is too
// small for its size, gives a null image.
QImage PresentedImage(const Framebuffer& frame);

// The frame scaled to the screen with its aspect kept and centred: by the
// largest whole factor that fits, so that every pixel stays sharp (rows of
// interleaved stereo stay rows), and only a frame larger than the screen is
// shrunk by a fraction. Empty when either size is.
QRect PresentedRect(QSize frame, QSize screen);

} // namespace win::internal
