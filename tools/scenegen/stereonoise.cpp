#include "scenegen/stereonoise.h"

#include "imaging/pxerror.h"

#include <algorithm>
#include <cmath>

namespace {

// Octaves from cells of 128 pixels down to 1; each weighs this much of the
// one before, so the finest grain still carries a good share of the signal.
constexpr int kOctaves = 8;
constexpr double kPersistence = 0.85;
constexpr double kLargestCell = 128;
constexpr double kMaxDisparity = 24; // pixels between the eyes for the nearest points

// A well-mixed hash of a lattice point, octave and channel into [0, 1).
double LatticeValue(int64_t x, int64_t y, uint32_t seed) {
    uint64_t h = static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull ^
                 static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4Full ^ seed * 0x165667B19E3779F9ull;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return static_cast<double>(h >> 11) / static_cast<double>(1ull << 53);
}

// Bilinear value noise at (x, y) in lattice units.
double ValueNoise(double x, double y, uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<int64_t>(fx);
    const auto iy = static_cast<int64_t>(fy);
    const double tx = x - fx;
    const double ty = y - fy;
    const double top = LatticeValue(ix, iy, seed) * (1 - tx) + LatticeValue(ix + 1, iy, seed) * tx;
    const double bottom =
        LatticeValue(ix, iy + 1, seed) * (1 - tx) + LatticeValue(ix + 1, iy + 1, seed) * tx;
    return top * (1 - ty) + bottom * ty;
}

// Sum of the octaves at pixel position (x, y), in [0, 1).
double FractalNoise(double x, double y, uint32_t seed) {
    double sum = 0;
    double weight = 1;
    double total = 0;
    double cell = kLargestCell;
    for (int octave = 0; octave < kOctaves; ++octave, cell /= 2, weight *= kPersistence) {
        sum += weight * ValueNoise(x / cell, y / cell, seed * 31 + static_cast<uint32_t>(octave));
        total += weight;
    }
    return sum / total;
}

// Depth from 0 (far) to 1 (near): one broad octave, so surfaces are smooth.
double Depth(double x, double y) {
    return ValueNoise(x / 400, y / 400, 7919);
}

void RenderEye(pxImage& eye, double shiftSign) {
    for (int32_t y = 0; y < eye.GetHeight(); ++y) {
        uint8_t* pixel = eye.Row(y);
        for (int32_t x = 0; x < eye.GetWidth(); ++x, pixel += 3) {
            const double sampleX = x + shiftSign * kMaxDisparity / 2 * Depth(x, y);
            for (int channel = 0; channel < 3; ++channel) {
                // Stretch the sum's narrow spread around 0.5 to the full range.
                const double value = (FractalNoise(sampleX, y, 1 + channel) - 0.5) * 3 + 0.5;
                pixel[channel] = static_cast<uint8_t>(std::clamp(value, 0.0, 1.0) * 255);
            }
        }
    }
}

} // namespace

void RenderStereoNoise(int32_t eyeWidth, int32_t eyeHeight, pxImage& left, pxImage& right) {
    if (eyeWidth < 1 || eyeHeight < 1)
        throw pxError("RenderStereoNoise: bad eye size (%dx%d)", eyeWidth, eyeHeight);
    left.Create({eyeWidth, eyeHeight}, 3, 4);
    right.Create({eyeWidth, eyeHeight}, 3, 4);
    RenderEye(left, +1);
    RenderEye(right, -1);
}
