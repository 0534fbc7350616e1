#include "stereo/dubois.h"

#include "stereo/cpair.h"

#include <algorithm>
#include <cmath>

namespace {

// Output red, green and blue from an eye's linear red, green and blue.
using Matrix = std::array<std::array<float, 3>, 3>;
struct Matrices {
    Matrix left;
    Matrix right;
};

// From "Conversion of a Stereo Pair to Anaglyph with the Least-Squares
// Projection Method" (E. Dubois, 2009) and his matrices for LCD screens.
constexpr Matrices kRedCyan{
    {{{0.437f, 0.449f, 0.164f}, {-0.062f, -0.062f, -0.024f}, {-0.048f, -0.050f, -0.017f}}},
    {{{-0.011f, -0.032f, -0.007f}, {0.377f, 0.761f, 0.009f}, {-0.026f, -0.093f, 1.234f}}},
};
constexpr Matrices kGreenMagenta{
    {{{-0.062f, -0.158f, -0.039f}, {0.284f, 0.668f, 0.143f}, {-0.015f, -0.027f, 0.021f}}},
    {{{0.529f, 0.705f, 0.024f}, {-0.016f, -0.015f, -0.065f}, {0.009f, 0.075f, 0.937f}}},
};
constexpr Matrices kAmberBlue{
    {{{1.062f, -0.205f, 0.299f}, {-0.026f, 0.908f, 0.068f}, {-0.038f, -0.173f, 0.022f}}},
    {{{-0.016f, -0.123f, -0.017f}, {0.006f, 0.062f, -0.017f}, {0.094f, 0.185f, 0.911f}}},
};

// Linear light goes back to sRGB through a table of 16-bit steps, which
// leaves every sRGB step near black a dozen table entries wide.
constexpr int kLinearSteps = 65535;
// Each input byte's share of the three output channels sits in one 64-bit
// word, a 21-bit lane per channel, so that a pixel's six shares add up in
// five additions. A share lies within -0.21 and 1.24 of full scale; biased
// by a quarter of full scale it is never negative, and six of them stay
// under 2^21.
constexpr int kLaneBits = 21;
constexpr uint64_t kLaneMask = (uint64_t{1} << kLaneBits) - 1;
constexpr int32_t kTermBias = 16384;

struct SrgbTables {
    std::array<float, 256> toLinear;
    std::vector<uint8_t> fromLinear;
    SrgbTables() : fromLinear(kLinearSteps + 1) {
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            const double l = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            toLinear[static_cast<size_t>(v)] = static_cast<float>(l);
        }
        for (int i = 0; i <= kLinearSteps; ++i) {
            const double l = static_cast<double>(i) / kLinearSteps;
            const double c = l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
            fromLinear[static_cast<size_t>(i)] = static_cast<uint8_t>(std::lround(c * 255));
        }
    }
};

const SrgbTables& Tables() {
    static const SrgbTables tables;
    return tables;
}

const Matrices& MatricesFor(int32_t outputType) {
    switch (outputType) {
    case OUTPUT_DUBOIS_GREEN_MAGENTA:
        return kGreenMagenta;
    case OUTPUT_DUBOIS_AMBER_BLUE:
        return kAmberBlue;
    default:
        return kRedCyan;
    }
}

} // namespace

DuboisAnaglyph::DuboisAnaglyph(int32_t outputType, int32_t width)
    : rowBytes(static_cast<size_t>(width) * 3) {
    const Matrices& matrices = MatricesFor(outputType);
    const std::array<float, 256>& toLinear = Tables().toLinear;
    for (size_t input = 0; input < 6; ++input) {
        const Matrix& matrix = input < 3 ? matrices.left : matrices.right;
        for (size_t value = 0; value < 256; ++value) {
            uint64_t lanes = 0;
            for (size_t channel = 0; channel < 3; ++channel) {
                const double term = matrix[channel][input % 3] * toLinear[value];
                const auto biased =
                    static_cast<uint64_t>(std::lround(term * kLinearSteps) + kTermBias);
                lanes |= biased << (kLaneBits * channel);
            }
            contributions[input][value] = lanes;
        }
    }
}

void DuboisAnaglyph::Put(int eye, uint8_t* out, const uint8_t* row) {
    if (ahead.empty() || aheadEye == eye) {
        // This eye is ahead: its row waits for the other eye's.
        std::vector<uint8_t> copy;
        if (!spare.empty()) {
            copy = std::move(spare.back());
            spare.pop_back();
        }
        copy.assign(row, row + rowBytes);
        ahead.push_back(std::move(copy));
        aheadEye = eye;
        return;
    }
    const uint8_t* waiting = ahead.front().data();
    Mix(out, eye == 0 ? row : waiting, eye == 0 ? waiting : row);
    spare.push_back(std::move(ahead.front()));
    ahead.pop_front();
}

void DuboisAnaglyph::Mix(uint8_t* out, const uint8_t* left, const uint8_t* right) const {
    const uint8_t* fromLinear = Tables().fromLinear.data();
    const auto encode = [fromLinear](uint64_t sum, int lane) {
        const int32_t step =
            static_cast<int32_t>((sum >> (kLaneBits * lane)) & kLaneMask) - kTermBias * 6;
        return fromLinear[step < 0 ? 0 : step > kLinearSteps ? kLinearSteps : step];
    };
    const auto& terms = contributions;
    for (size_t i = 0; i < rowBytes; i += 3) {
        // Pixels are stored blue, green, red.
        const uint64_t sum = terms[0][left[i + 2]] + terms[1][left[i + 1]] + terms[2][left[i]] +
                             terms[3][right[i + 2]] + terms[4][right[i + 1]] + terms[5][right[i]];
        out[i] = encode(sum, 2);
        out[i + 1] = encode(sum, 1);
        out[i + 2] = encode(sum, 0);
    }
}
