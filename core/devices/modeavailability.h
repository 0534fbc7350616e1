// Whether a display mode suits a stereo view method's glasses device; the
// view and the display dialog ask it for every mode they list.
#pragma once

struct StereoViewMethod;

// Tessel Classic methods: the pack is installed and one of its 3-D modes has
// the width and height (any depth). OSPI methods: the device lists a
// half-height interleaved mode of that size and depth. Every other method:
// yes. Throws pxError for a null method.
bool IsStereoModeAvailable(const StereoViewMethod* method, int width, int height, int bitsPerPixel);
