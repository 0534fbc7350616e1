#include "stereo/cpair.h"

#include "imaging/pxerror.h"
#include "stereo/cpairmix.h"

#include <cstring>
#include <limits>

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

px2Size pxCPair::CalcConvertSizeFromMono() const {
    if (!whole.HasBuffer())
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
    if (whole.HasBuffer())
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
    case OUTPUT_ONE_EYE:
        return OutputSize(width, height);
    case OutputCopy:
        if (!whole.HasBuffer())
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

// The eye views are public members: make sure they still are what the sizes
// were computed from before anything is read through them.
void pxCPair::CheckEyeViews(const pxImage& first, const pxImage& second) const {
    const px2Size eye = whole.HasBuffer() ? CalcConvertSizeFromMono() : CalcConvertSizeFromLR();
    const auto matches = [&](const pxImage& view) {
        return view.GetPixels() && view.GetWidth() == eye.width && view.GetHeight() == eye.height &&
               view.GetBytesPerPixel() == bytesPerPixel;
    };
    if (!matches(first) || !matches(second))
        throw pxError("pxCPair::CopyConvert -- eye views (%dx%dx%d, %dx%dx%d) do not match the "
                      "pair (%dx%dx%d)",
                      first.GetWidth(), first.GetHeight(), first.GetBytesPerPixel(),
                      second.GetWidth(), second.GetHeight(), second.GetBytesPerPixel(), eye.width,
                      eye.height, bytesPerPixel);
}

namespace {

void CheckPlacement(const pxImage& destination, px2Pnt origin, px2Size need) {
    if (!destination.GetPixels())
        throw pxError("pxCPair::CopyConvert -- destination has no pixels");
    if (origin.x < 0 || origin.y < 0 || int64_t{origin.x} + need.width > destination.GetWidth() ||
        int64_t{origin.y} + need.height > destination.GetHeight())
        throw pxError("pxCPair::CopyConvert -- output (%dx%d) at (%d,%d) does not fit the "
                      "destination (%dx%d)",
                      need.width, need.height, origin.x, origin.y, destination.GetWidth(),
                      destination.GetHeight());
}

void CopySideBySide(const PairConversion& job, int32_t separation) {
    ShownRows rows({&job.first, &job.second}, job.rowMode, job.pairPalette, job.outputPalette,
                   job.destination.GetBytesPerPixel());
    const size_t bytes = static_cast<size_t>(rows.RowBytes());
    const int32_t secondX = job.first.GetWidth() + separation;
    for (int32_t k = 0; k < rows.Count(); ++k) {
        std::memcpy(OutputPixel(job, 0, k), rows.Row(0, k), bytes);
        std::memcpy(OutputPixel(job, secondX, k), rows.Row(1, k), bytes);
    }
}

void CopyOverUnder(const PairConversion& job, int32_t separation) {
    ShownRows rows({&job.first, &job.second}, job.rowMode, job.pairPalette, job.outputPalette,
                   job.destination.GetBytesPerPixel());
    const size_t bytes = static_cast<size_t>(rows.RowBytes());
    const int32_t secondY = rows.Count() + separation;
    for (int32_t k = 0; k < rows.Count(); ++k) {
        std::memcpy(OutputPixel(job, 0, k), rows.Row(0, k), bytes);
        std::memcpy(OutputPixel(job, 0, secondY + k), rows.Row(1, k), bytes);
    }
}

// One view's rows, one output row each: the first eye, or the whole input.
void CopyRows(const PairConversion& job, const pxImage& view, RowMode rowMode) {
    ShownRows rows({&view}, rowMode, job.pairPalette, job.outputPalette,
                   job.destination.GetBytesPerPixel());
    const size_t bytes = static_cast<size_t>(rows.RowBytes());
    for (int32_t k = 0; k < rows.Count(); ++k)
        std::memcpy(OutputPixel(job, 0, k), rows.Row(0, k), bytes);
}

} // namespace

void pxCPair::CopyConvert(pxImage& destination, px2Pnt origin, int32_t outputType, int32_t swapEyes,
                          pxPalette* outputPalette) {
    const px2Size need = CalcConvertSize(outputType);
    if (destination.GetWidth() < need.width || destination.GetHeight() < need.height)
        throw pxError("Image size (%dx%d) is too small (need at least %dx%d)",
                      destination.GetWidth(), destination.GetHeight(), need.width, need.height);
    if (bytesPerPixel > destination.GetBytesPerPixel())
        throw pxError("Unsupported color depths in CopyConvert (%d(d), %d(s))",
                      destination.GetBytesPerPixel(), bytesPerPixel);
    CheckPlacement(destination, origin, need);
    if (!left.HasBuffer() || !right.HasBuffer())
        SetupPair();

    const pxImage& first = swapEyes == 1 ? right : left;
    const pxImage& second = swapEyes == 1 ? left : right;
    const PairConversion job{
        first,   second,       destination, origin, ShownRowMode(layout, halveRows),
        palette, outputPalette};
    if (outputType == OutputCopy) {
        CopyRows(job, whole, RowMode::Plain);
        return;
    }
    CheckEyeViews(first, second);
    switch (outputType) {
    case OUTPUT_INTERLEAVED:
        ConvertInterleaved(job);
        break;
    case OUTPUT_SIDE_BY_SIDE:
        CopySideBySide(job, separation);
        break;
    case OUTPUT_ONE_EYE:
        CopyRows(job, first, job.rowMode);
        break;
    case OUTPUT_OVER_UNDER:
        CopyOverUnder(job, separation);
        break;
    default:
        ConvertAnaglyph(job, outputType);
        break;
    }
}
