// Row-level pieces of the pair converter that its output types share: the
// rows of the eyes as the output shows them (own, doubled or averaged), and
// the output types that mix the two eyes (row interleaving, anaglyphs).
// Private to the stereo module.
#pragma once

#include "imaging/geometry.h"
#include "imaging/octtree.h"
#include "imaging/pximage.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

// How the rows of an eye appear in the output.
enum class RowMode {
    Plain,   // one output row per eye row
    Doubled, // every eye row twice: a half-height input shown at full height
    Halved,  // every two eye rows averaged into one: shown at half height
};

int64_t ShownRowCount(int64_t eyeHeight, RowMode mode);

// The rows of one or two equally sized eyes as the output shows them,
// already in the destination's depth: the views' own rows where nothing
// changes, else made in a scratch row per eye. Averaged 1-byte rows are
// re-indexed into the output palette, built from the averaged colours of all
// the eyes given. Every refusal is thrown by the constructor, before the
// caller writes anything. Made only once the output size has been checked
// against the destination, so the row counts fit.
class ShownRows {
public:
    ShownRows(std::initializer_list<const pxImage*> eyes, RowMode mode,
              const pxPalette& pairPalette, pxPalette* outputPalette,
              int32_t destinationBytesPerPixel);

    int32_t Count() const { return count; }
    int32_t RowBytes() const { return rowBytes; }
    // Row k of eye `eye`; valid until the next call for the same eye.
    const uint8_t* Row(size_t eye, int32_t k);

private:
    enum class Making { None, Expand, Average, AverageIndexed };

    pxColor AveragedColour(const uint8_t* upper, const uint8_t* lower, int32_t x) const;
    void QuantizeAveragedColours();

    std::vector<const pxImage*> eyes;
    RowMode mode;
    Making making = Making::None;
    int32_t width;
    int32_t count;
    int32_t destinationBytesPerPixel;
    int32_t rowBytes;
    std::vector<std::vector<uint8_t>> scratch;
    // The pair's palette with black beyond its count, so no index reads past it.
    std::array<pxColor, pxPalette::kMaxColours> colours{};
    std::unique_ptr<octTree> quantizer;
};

// What an output type needs to write its picture.
struct PairConversion {
    const pxImage& first;  // the left eye unless the eyes are swapped
    const pxImage& second; // the other eye
    pxImage& destination;
    px2Pnt origin; // where the output's top-left corner goes
    RowMode rowMode;
    const pxPalette& pairPalette;
    pxPalette* outputPalette;
};

// Pixel (x, y) of the output, i.e. the destination pixel at origin + (x, y).
uint8_t* OutputPixel(const PairConversion& job, int32_t x, int32_t y);

void ConvertInterleaved(const PairConversion& job);
// outputType is one of the five anaglyph kinds.
void ConvertAnaglyph(const PairConversion& job, int32_t outputType);
