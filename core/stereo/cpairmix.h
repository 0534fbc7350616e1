// Row-level pieces of the pair converter: the rows of one eye as the output
// shows them (its own rows, doubled, averaged in pairs, or expanded through
// the palette), made one eye row at a time as the rows arrive, and the
// anaglyph kernel that writes one eye's colour channels into an output row.
// Private to the stereo module.
#pragma once

#include "imaging/octtree.h"
#include "imaging/pximage.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// How the rows of an eye appear in the output.
enum class RowMode {
    Plain,   // one output row per eye row
    Doubled, // every eye row twice: a half-height input shown at full height
    Halved,  // every two eye rows averaged into one: shown at half height
};

int64_t ShownRowCount(int64_t eyeHeight, RowMode mode);

// The colours of averaged 1-byte rows: a quantizer fed with the averaged
// colours of every row pair of the eyes shown, which fills the output
// palette. Needs the whole eyes before the first row is shown.
class AveragedColours {
public:
    AveragedColours(const std::vector<const pxImage*>& eyes, const pxPalette& pairPalette,
                    pxPalette& outputPalette);
    uint8_t IndexOf(const pxColor& averaged) const;

private:
    std::unique_ptr<octTree> quantizer;
};

// Turns the rows of one eye, given in order, into the rows the output shows,
// in the destination's depth, and hands each to `show` with its number.
// Every refusal is thrown by the constructor, before anything is written.
class ShownRows {
public:
    using Show = std::function<void(int32_t shownRow, const uint8_t* row)>;

    ShownRows(int32_t width, int32_t pairBytesPerPixel, RowMode mode, const pxPalette& pairPalette,
              bool paletteGiven, int32_t destinationBytesPerPixel);

    // Averaged 1-byte rows need the quantizer first (see AveragedColours).
    bool NeedsAveragedColours() const { return making == Making::AverageIndexed; }
    void UseAveragedColours(const AveragedColours* colours) { averaged = colours; }

    // The next row of the eye.
    void Put(const uint8_t* row, const Show& show);
    int32_t RowsShown() const { return shown; }

private:
    enum class Making { None, Expand, Average, AverageIndexed };

    std::array<pxColor, pxPalette::kMaxColours> colours{};
    RowMode mode;
    Making making = Making::None;
    int32_t width;
    int32_t destinationBytesPerPixel;
    int32_t rowBytes;
    int32_t eyeRows = 0; // rows put so far
    int32_t shown = 0;   // rows shown so far
    std::vector<uint8_t> made;
    std::vector<uint8_t> upper; // the first row of an averaged pair
    const AveragedColours* averaged = nullptr;
};

// The colours averaged from two 1-byte pixels (a pair palette entry each).
pxColor AverageColours(const pxColor& a, const pxColor& b);

// Writes one eye's share of anaglyph rows: each colour channel of an anaglyph
// pixel comes from one eye only (its grey, or its own byte of that channel),
// so the two eyes can be written in either order as their rows arrive. The
// first eye also clears the channels neither eye feeds.
class AnaglyphChannels {
public:
    AnaglyphChannels(int32_t outputType, int32_t rowBytes);
    // Writes eye's channels of out (rowBytes bytes) from its 3-byte row.
    void Write(int eye, uint8_t* out, const uint8_t* row);

private:
    // The kernels work in blocks of 16 pixels of 3 bytes.
    static constexpr int32_t kBlock = 48;

    struct EyeFeed {
        bool grey = false;                  // the eye's grey, else its own bytes
        std::array<bool, 3> writes{};       // the blue, green and red channels it writes
        std::array<bool, 3> fromEye{};      // of those, the ones it feeds (the rest are zeros)
        std::array<uint8_t, kBlock> keep{}; // 0xFF where a block's byte is not written
    };

    int32_t rowBytes;
    std::array<EyeFeed, 2> feeds;
    std::vector<uint8_t> zeros;
    std::vector<uint8_t> grey;
};
