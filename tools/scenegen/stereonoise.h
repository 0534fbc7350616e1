// A stereo pair of fractal colour noise, for benchmarks: fine grain at every
// scale down to single pixels, which JPEG compresses poorly and decodes
// slowly, the opposite of the smooth rendered scene. A slowly varying depth
// shifts the noise between the eyes, so the pair is a real stereo picture.
#pragma once

#include "imaging/pximage.h"

#include <cstdint>

// Two new pictures of eyeWidth x eyeHeight, 3 bytes per pixel (blue, green,
// red), rows aligned to 4 bytes; the same sizes always give the same pixels.
// Throws pxError for sizes below 1 or pictures too large to make.
void RenderStereoNoise(int32_t eyeWidth, int32_t eyeHeight, pxImage& left, pxImage& right);
