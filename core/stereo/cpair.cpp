#include "stereo/cpair.h"

#include "imaging/pxerror.h"
#include "stereo/cpairmix.h"
#include "stereo/cpairrows.h"

#include <cstring>
#include <limits>

bool IsDuboisOutput(int32_t outputType) {
    return outputType >= OUTPUT_DUBOIS_RED_CYAN && outputType <= OUTPUT_DUBOIS_AMBER_BLUE;
}

bool IsAnaglyphOutput(int32_t outputType) {
    return (outputType >= OUTPUT_PURE_RED_BLUE && outputType <= OUTPUT_COLOR) ||
           IsDuboisOutput(outputType);
}

PairType FlagsToPairType(uint32_t layout) {
    const bool leftFirst = (layout & LAYOUT_LEFT_FIRST) != 0;
    switch (layout & LAYOUT_ARRANGEMENT) {
    case LAYOUT_INTERLEAVED:
        return leftFirst ? PAIR_INTERLEAVED_LEFT_FIRST : PAIR_INTERLEAVED_RIGHT_FIRST;
    case LAYOUT_SIDE_BY_SIDE:
        return leftFirst ? PAIR_SIDE_BY_SIDE_LEFT_FIRST : PAIR_SIDE_BY_SIDE_RIGHT_FIRST;
    case LAYOUT_OVER_UNDER:
        return leftFirst ? PAIR_OVER_UNDER_LEFT_TOP : PAIR_OVER_UNDER_RIGHT_TOP;
    case LAYOUT_ANAGLYPH:
        throw pxError("LAYOUT_ANAGLYPH unsupported in FlagsToPairType()");
    default:
        return PAIR_SIDE_BY_SIDE_RIGHT_FIRST;
    }
}

// The eye views are cut from the picture's own buffer, the way SetupPair cuts
// them, so that bottom-up pictures and pictures cut from a wider buffer are
// addressed correctly.
pxCPair::pxCPair(uint32_t layoutWord, const pxImage& image, const pxPalette* pairPalette)
    : bytesPerPixel(image.GetBytesPerPixel()), layout(layoutWord) {
    const PairType pairType = FlagsToPairType(layout);
    if (!image.HasBuffer())
        throw pxError("Cannot make stereo pair without an image!");
    whole = image;
    SetupStereoPair(whole, left, right, pairType);
    if (pairPalette)
        palette = *pairPalette;
}

pxCPair::pxCPair(uint32_t layoutWord, const pxImage& leftImage, const pxImage& rightImage,
                 const pxPalette* pairPalette)
    : bytesPerPixel(leftImage.GetBytesPerPixel()), layout(layoutWord) {
    if (leftImage.GetWidth() != rightImage.GetWidth() ||
        leftImage.GetHeight() != rightImage.GetHeight() ||
        leftImage.GetBytesPerPixel() != rightImage.GetBytesPerPixel())
        throw pxError("pxCPair::pxCPair left/right images do not match: l(%dx%dx%d) r(%dx%dx%d)",
                      leftImage.GetWidth(), leftImage.GetHeight(), leftImage.GetBytesPerPixel(),
                      rightImage.GetWidth(), rightImage.GetHeight(), rightImage.GetBytesPerPixel());
    left = leftImage;
    right = rightImage;
    if (pairPalette)
        palette = *pairPalette;
}

pxCPair::pxCPair(uint32_t layoutWord, px2Size frameSize, int32_t framePixelBytes,
                 const pxPalette* pairPalette)
    : bytesPerPixel(framePixelBytes), layout(layoutWord) {
    const PairType pairType = FlagsToPairType(layout);
    whole.SetVirtual(frameSize, {0, 0, frameSize.width, frameSize.height}, bytesPerPixel,
                     FIELD_BOTH, 0);
    SetupStereoPair(whole, left, right, pairType);
    if (pairPalette)
        palette = *pairPalette;
}

int32_t pxCPair::SetSeparation(int32_t newSeparation) {
    if (newSeparation < 0)
        throw pxError("pxCPair::SetSeparation -- separation (%ld) must be > 0",
                      static_cast<long>(newSeparation));
    const int32_t previous = separation;
    separation = newSeparation;
    return previous;
}

void pxCPair::SetPalette(const pxPalette& newPalette) {
    palette = newPalette;
}

void pxCPair::SetupPair() {
    if (!whole.HasBuffer())
        throw pxError("Cannot make stereo pair without an image!");
    if ((layout & LAYOUT_ARRANGEMENT) == LAYOUT_ANAGLYPH)
        throw pxError("Cannot make R/L pair from anaglyph yet.");
    SetupStereoPair(whole, left, right, FlagsToPairType(layout));
}

namespace {

// The frame holding both views: a picture, or one still to come.
bool HasFrame(const pxImage& whole) {
    return whole.HasBuffer() || whole.IsVirtual();
}

} // namespace

px2Size pxCPair::CalcConvertSizeFromMono() const {
    if (!HasFrame(whole))
        throw pxError("Can't CalcConvertSizeFromMono without mono image!");
    const int32_t width = whole.GetWidth();
    const int32_t height = whole.GetHeight();
    const uint32_t arrangement = layout & LAYOUT_ARRANGEMENT;
    switch (arrangement) {
    case LAYOUT_INTERLEAVED:
    case LAYOUT_OVER_UNDER:
        return {width, height / 2};
    case LAYOUT_SIDE_BY_SIDE:
        return {width / 2, height};
    case LAYOUT_ANAGLYPH:
        return {width, height};
    default:
        throw pxError("pxCPair::CalcConvertSize -- unsupported LAYOUT: %d",
                      static_cast<int>(arrangement));
    }
}

px2Size pxCPair::CalcConvertSizeFromLR() const {
    if (!left.HasBuffer() || !right.HasBuffer())
        throw pxError("Can't CalcConvertSizeFromLR without left/right images!");
    return right.GetSize();
}

namespace {

RowMode ShownRowMode(uint32_t layout, int32_t halveRows) {
    const bool halfHeight = (layout & LAYOUT_HALF_HEIGHT) != 0;
    if (halfHeight && !halveRows)
        return RowMode::Doubled;
    if (!halfHeight && halveRows)
        return RowMode::Halved;
    return RowMode::Plain;
}

// Output sizes are computed wide, so that a huge separation cannot wrap
// around into a small size that would pass the destination checks.
px2Size OutputSize(int64_t width, int64_t height) {
    constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
    if (width > kLargest || height > kLargest)
        throw pxError("pxCPair::CalcConvertSize -- output size too large (%lldx%lld)",
                      static_cast<long long>(width), static_cast<long long>(height));
    return {static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

} // namespace

px2Size pxCPair::CalcConvertSize(int32_t outputType) const {
    px2Size eye;
    if (HasFrame(whole))
        eye = CalcConvertSizeFromMono();
    else if (left.HasBuffer() || right.HasBuffer())
        eye = CalcConvertSizeFromLR();
    else
        throw pxError("Can't CalcConvertSize without input image(s)");

    const int64_t width = eye.width;
    const int64_t height = ShownRowCount(eye.height, ShownRowMode(layout, halveRows));
    switch (outputType) {
    case OUTPUT_INTERLEAVED:
        return OutputSize(width, height * 2);
    case OUTPUT_SIDE_BY_SIDE:
        return OutputSize(width * 2 + separation, height);
    case OUTPUT_PURE_RED_BLUE:
    case OUTPUT_PURE_RED_GREEN:
    case OUTPUT_GREY_RED_BLUE:
    case OUTPUT_GREY_RED_GREEN:
    case OUTPUT_COLOR:
    case OUTPUT_DUBOIS_RED_CYAN:
    case OUTPUT_DUBOIS_GREEN_MAGENTA:
    case OUTPUT_DUBOIS_AMBER_BLUE:
    case OUTPUT_ONE_EYE:
        return OutputSize(width, height);
    case OutputCopy:
        if (!HasFrame(whole))
            throw pxError(
                "pxCPair::CalcConvertSizeFromLR -- can't perform OutputCopy on a L/R pair");
        return whole.GetSize();
    case OUTPUT_OVER_UNDER:
        return OutputSize(width, height * 2 + separation);
    default:
        throw pxError("pxCPair::CalcConvertSize -- unsupported OutputType: %d", outputType);
    }
}

px2Pnt pxCPair::CalcCenterPoint(px2Size destinationSize, int32_t outputType) const {
    const px2Size need = CalcConvertSize(outputType);
    if (destinationSize.width < need.width || destinationSize.height < need.height)
        throw pxError("pxCPair::CalcCenterPoint:  src (%dx%d) larger than dst (%dx%d)", need.width,
                      need.height, destinationSize.width, destinationSize.height);
    const auto even = [](int32_t value) { return value & ~1; };
    return {even((destinationSize.width - need.width) / 2),
            even((destinationSize.height - need.height) / 2)};
}

px2Pnt pxCPair::CalcCenterPoint(const pxImage& destination, int32_t outputType) const {
    return CalcCenterPoint(destination.GetSize(), outputType);
}

void pxCPair::CopyConvert(pxImage& destination, px2Pnt origin, int32_t outputType, int32_t swapEyes,
                          pxPalette* outputPalette) {
    pxPairRowConverter converter(*this, destination, origin, outputType, swapEyes, outputPalette);
    if (outputType == OutputCopy) {
        converter.PutFrameRows(whole);
        return;
    }
    converter.PutEyeRows(pxPairRowConverter::EYE_LEFT, left);
    converter.PutEyeRows(pxPairRowConverter::EYE_RIGHT, right);
}
