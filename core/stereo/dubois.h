// Least-squares (Dubois) anaglyphs: every output pixel is a projection of
// both eyes' colours, made in linear light with Eric Dubois's published
// matrices for the glasses, which shows far less ghosting than the channel
// anaglyphs. Since each pixel needs both eyes, the rows of the eye that
// arrives first wait until the other eye's row of the same number comes.
// Private to the stereo module.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

class DuboisAnaglyph {
public:
    // outputType is one of OUTPUT_DUBOIS_*; width in pixels of 3 bytes
    // (blue, green, red).
    DuboisAnaglyph(int32_t outputType, int32_t width);

    // The next row of one eye (0 the left, seen through the first colour
    // the method names). Once both eyes' row of this number is in, the
    // anaglyph row is written to out, which is that row's output either time.
    void Put(int eye, uint8_t* out, const uint8_t* row);

private:
    void Mix(uint8_t* out, const uint8_t* left, const uint8_t* right) const;

    // By input channel (the left eye's red, green and blue, then the
    // right eye's) and byte: its share of the output's red, green and blue
    // in linear light, in lanes of one word.
    std::array<std::array<uint64_t, 256>, 6> contributions{};
    size_t rowBytes;
    int aheadEye = -1;
    std::deque<std::vector<uint8_t>> ahead; // the rows that wait, oldest first
    std::vector<std::vector<uint8_t>> spare;
};
