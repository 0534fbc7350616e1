// The stereo pair converter: takes a stereo pair as a file delivers it (two
// eye pictures, or one picture whose layout word says how the views are
// packed) and writes the picture a viewing method needs into a destination.
// The eye pictures are views on the input's pixels; nothing is copied to
// split the input.
#pragma once

#include "imaging/geometry.h"
#include "imaging/pximage.h"

#include <cstdint>

// The layout word: the stereo descriptor that travels with every picture.
// Bits 8 to 15 hold the arrangement, tested as a whole.
constexpr uint32_t LAYOUT_ARRANGEMENT = 0xFF00;
constexpr uint32_t LAYOUT_INTERLEAVED = 0x100;
constexpr uint32_t LAYOUT_SIDE_BY_SIDE = 0x200;
constexpr uint32_t LAYOUT_OVER_UNDER = 0x300;
constexpr uint32_t LAYOUT_ANAGLYPH = 0x400;
// Each view was stored at half its height; every row is shown twice.
constexpr uint32_t LAYOUT_HALF_HEIGHT = 0x10000;
// The left view comes first (first row, left half, top half); else the right.
constexpr uint32_t LAYOUT_LEFT_FIRST = 0x40000;

// The pictures CopyConvert can write.
enum OutputType : int32_t {
    OUTPUT_INTERLEAVED = 1, // eyes on alternate rows
    OUTPUT_SIDE_BY_SIDE = 2,
    OUTPUT_PURE_RED_BLUE = 3,
    OUTPUT_PURE_RED_GREEN = 4,
    OUTPUT_GREY_RED_BLUE = 5,
    OUTPUT_GREY_RED_GREEN = 6, // the same picture as OUTPUT_GREY_RED_BLUE
    OUTPUT_COLOR = 7,
    OUTPUT_ONE_EYE = 8,
    OutputCopy = 9, // the input picture unchanged
    OUTPUT_OVER_UNDER = 10,
    // Least-squares (Dubois) colour anaglyphs, each pixel mixed from both eyes.
    OUTPUT_DUBOIS_RED_CYAN = 11,
    OUTPUT_DUBOIS_GREEN_MAGENTA = 12,
    OUTPUT_DUBOIS_AMBER_BLUE = 13,
};

// Anaglyphs of every kind: one picture of the eye's size made from both eyes'
// colours, so they need 3-byte pixels.
bool IsAnaglyphOutput(int32_t outputType);
bool IsDuboisOutput(int32_t outputType);

// The PairType that splits a picture with this layout word.
PairType FlagsToPairType(uint32_t layout);

class pxCPair : public pxStereoImage {
public:
    // One picture holding both views; it must outlive the pair.
    pxCPair(uint32_t layout, const pxImage& image, const pxPalette* palette = nullptr);
    // Two eye pictures of the same size and depth; whole stays empty.
    pxCPair(uint32_t layout, const pxImage& left, const pxImage& right,
            const pxPalette* palette = nullptr);
    // A frame of frameSize that is still to come (a picture being decoded):
    // whole and the eyes are views without pixels, so the pair gives the
    // sizes, and the frame's rows go to a pxPairRowConverter as they arrive.
    pxCPair(uint32_t layout, px2Size frameSize, int32_t bytesPerPixel,
            const pxPalette* palette = nullptr);

    // Gap in pixels (side by side) or rows (over/under) between the eyes.
    // Returns the previous value.
    int32_t SetSeparation(int32_t separation);
    void SetPalette(const pxPalette& palette);

    // Splits whole into left and right again.
    void SetupPair();

    // Size of the picture CopyConvert writes for outputType.
    px2Size CalcConvertSize(int32_t outputType) const;
    // Size of one eye, from whole or from the two eye pictures.
    px2Size CalcConvertSizeFromMono() const;
    px2Size CalcConvertSizeFromLR() const;

    // Where to put the output so that it is centred; both coordinates even,
    // so centring never changes which destination rows are even.
    px2Pnt CalcCenterPoint(px2Size destinationSize, int32_t outputType) const;
    px2Pnt CalcCenterPoint(const pxImage& destination, int32_t outputType) const;

    // Writes the output picture into destination with its top-left corner at
    // origin. swapEyes 1 puts the right eye first. outputPalette receives the
    // colours of averaged 1-byte rows (entries 10 to 245).
    void CopyConvert(pxImage& destination, px2Pnt origin, int32_t outputType, int32_t swapEyes,
                     pxPalette* outputPalette = nullptr);

    int32_t GetSeparation() const { return separation; }
    const pxPalette& GetPalette() const { return palette; }
    int32_t GetBytesPerPixel() const { return bytesPerPixel; }
    uint32_t GetLayout() const { return layout; }

    // 1 shows each eye at half its height (rows averaged in pairs); the
    // caller sets it for row-interleaved output so that the output keeps the
    // input's height.
    int32_t halveRows = 0;

private:
    void CheckEyeViews(const pxImage& first, const pxImage& second) const;

    pxPalette palette;
    int32_t separation = 0;
    int32_t bytesPerPixel = 0;
    uint32_t layout = 0;
};
