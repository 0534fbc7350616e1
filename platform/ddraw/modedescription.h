// Display modes and surfaces as DirectDraw describes them: the pixel format
// of each depth and the surface description of a mode.
#pragma once

#include "platform/ddraw/ddraw.h"
#include "platform/display/adapter.h"

namespace win::ddraw {

// 8 bits are palette indices; 16 bits are 5-6-5; 24 and 32 bits are
// blue, green, red (and an unused byte), as the framebuffers store them.
DDPIXELFORMAT PixelFormatOf(int bitsPerPixel);

// Width, height, pitch and pixel format of a mode, and its refresh rate
// when asked for.
DDSURFACEDESC DescriptionOf(const DisplayMode& mode, bool withRefresh);

// Whether a mode has every field the pattern's flags name (width, height,
// pixel depth, refresh rate).
bool MatchesPattern(const DDSURFACEDESC& pattern, const DisplayMode& mode);

} // namespace win::ddraw
