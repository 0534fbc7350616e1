// A stereo pair of a scene with clear depth, for samples and tests: shaded
// spheres at several distances over a checkered floor that recedes into the
// distance, under a sky gradient, seen by two parallel eyes 6.4 cm apart.
//
// From near to far the spheres are red, yellow, purple, cyan and green; no
// other part of the scene has a strongly red or green colour, so a sphere
// can be found in the pictures by its colour.
#pragma once

#include "imaging/pximage.h"

#include <cstdint>

// Renders the scene for the left and the right eye into two new pictures of
// eyeWidth x eyeHeight, 3 bytes per pixel (blue, green, red), rows aligned to
// 4 bytes. The same sizes always give the same pixels. Throws pxError for
// sizes below 1 or pictures too large to make.
// cameraShift moves both eyes sideways by that many metres (positive: to the
// right), for frames of an animation.
void RenderStereoScene(int32_t eyeWidth, int32_t eyeHeight, pxImage& left, pxImage& right,
                       double cameraShift = 0.0);
