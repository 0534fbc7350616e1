#include "stereo/cpairrows.h"

#include "imaging/pxerror.h"
#include "stereo/cpairmix.h"
#include "stereo/dubois.h"

#include <algorithm>
#include <cstring>
#include <vector>

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

void CheckAnaglyphDepths(int32_t pairBytesPerPixel, int32_t destinationBytesPerPixel) {
    if (pairBytesPerPixel == 1)
        throw pxError("pxCPair::CopyConvert -- 256 anaglyph not supported yet");
    if (pairBytesPerPixel != 3)
        throw pxError("pxCPair::CopyConvert -- anaglyphs need a 3 byte per pixel pair, not %d",
                      pairBytesPerPixel);
    if (destinationBytesPerPixel != 3)
        throw pxError("pxCPair::CopyConvert -- anaglyphs need a 3 byte per pixel destination, "
                      "not %d",
                      destinationBytesPerPixel);
}

// The eye views must still be what the sizes were computed from (they are
// public members); a frame still to come has views without pixels.
void CheckEyeViews(const pxCPair& pair, const pxImage& first, const pxImage& second, px2Size eye) {
    const bool frameToCome = pair.whole.IsVirtual();
    const auto matches = [&](const pxImage& view) {
        return (view.GetPixels() || frameToCome) && view.GetWidth() == eye.width &&
               view.GetHeight() == eye.height && view.GetBytesPerPixel() == pair.GetBytesPerPixel();
    };
    if (!matches(first) || !matches(second))
        throw pxError("pxCPair::CopyConvert -- eye views (%dx%dx%d, %dx%dx%d) do not match the "
                      "pair (%dx%dx%d)",
                      first.GetWidth(), first.GetHeight(), first.GetBytesPerPixel(),
                      second.GetWidth(), second.GetHeight(), second.GetBytesPerPixel(), eye.width,
                      eye.height, pair.GetBytesPerPixel());
}

void CheckRows(const pxImage& rows, int32_t width, int32_t bytesPerPixel, int32_t rowsLeft,
               const char* what) {
    if (rows.GetHeight() <= 0)
        return;
    if (!rows.GetPixels() || rows.GetWidth() != width || rows.GetBytesPerPixel() != bytesPerPixel ||
        rows.GetHeight() > rowsLeft)
        throw pxError("pxPairRowConverter -- %d rows of %dx%d pixels do not fit the %s (%d rows "
                      "of %dx%d left)",
                      rows.GetHeight(), rows.GetWidth(), rows.GetBytesPerPixel(), what, rowsLeft,
                      width, bytesPerPixel);
}

} // namespace

pxPairRowConverter::pxPairRowConverter(pxCPair& pair, pxImage& target, px2Pnt at, int32_t type,
                                       int32_t swapEyes, pxPalette* outputPalette)
    : destination(target), origin(at), outputType(type), separation(pair.GetSeparation()),
      pairBytesPerPixel(pair.GetBytesPerPixel()), frameWidth(pair.whole.GetWidth()) {
    size = pair.CalcConvertSize(outputType);
    if (destination.GetWidth() < size.width || destination.GetHeight() < size.height)
        throw pxError("Image size (%dx%d) is too small (need at least %dx%d)",
                      destination.GetWidth(), destination.GetHeight(), size.width, size.height);
    const int32_t destinationBytesPerPixel = destination.GetBytesPerPixel();
    if (pairBytesPerPixel > destinationBytesPerPixel)
        throw pxError("Unsupported color depths in CopyConvert (%d(d), %d(s))",
                      destinationBytesPerPixel, pairBytesPerPixel);
    CheckPlacement(destination, origin, size);
    // Eye views a caller has emptied are made again, once the output is known to fit.
    if ((!pair.left.HasBuffer() || !pair.right.HasBuffer()) && !pair.whole.IsVirtual())
        pair.SetupPair();

    const bool halfHeight = (pair.GetLayout() & LAYOUT_HALF_HEIGHT) != 0;
    RowMode mode = RowMode::Plain;
    if (halfHeight && !pair.halveRows)
        mode = RowMode::Doubled;
    else if (!halfHeight && pair.halveRows)
        mode = RowMode::Halved;
    const bool paletteGiven = outputPalette != nullptr;

    if (outputType == OutputCopy) {
        // The frame's own rows, through eye 0.
        frameRows = pair.whole.GetHeight();
        rowBytes = static_cast<size_t>(size.width) * static_cast<size_t>(destinationBytesPerPixel);
        eyes[0] =
            std::make_unique<ShownRows>(size.width, pairBytesPerPixel, RowMode::Plain,
                                        pair.GetPalette(), paletteGiven, destinationBytesPerPixel);
        return;
    }

    const pxImage& first = swapEyes == 1 ? pair.right : pair.left;
    const pxImage& second = swapEyes == 1 ? pair.left : pair.right;
    const bool hasFrame = pair.whole.HasBuffer() || pair.whole.IsVirtual();
    const px2Size eye = hasFrame ? pair.CalcConvertSizeFromMono() : pair.CalcConvertSizeFromLR();
    CheckEyeViews(pair, first, second, eye);
    if (outputType == OUTPUT_INTERLEAVED && mode == RowMode::Doubled)
        throw pxError(
            "pxCPair::CopyConvertInterleaved -- half height to full height not supported yet.");
    if (IsAnaglyphOutput(outputType))
        CheckAnaglyphDepths(pairBytesPerPixel, destinationBytesPerPixel);
    // Rows of a 1-byte pair shown twice side by side need the output palette
    // too, as row averaging does.
    if (outputType == OUTPUT_SIDE_BY_SIDE && mode == RowMode::Doubled && pairBytesPerPixel == 1 &&
        !paletteGiven)
        throw pxError("pxCPair::CopyConvertInterleaved -- palette was not specified, but is "
                      "needed to convert this pair to Interleaved");

    eyeWidth = eye.width;
    eyeHeight = eye.height;
    shownCount = static_cast<int32_t>(ShownRowCount(eye.height, mode));
    rowBytes = static_cast<size_t>(eye.width) * static_cast<size_t>(destinationBytesPerPixel);
    outputEyeOf = swapEyes == 1 ? std::array<int32_t, 2>{1, 0} : std::array<int32_t, 2>{0, 1};
    // One eye's output shows only the first eye; the other's rows are passed over.
    const int outputEyes = outputType == OUTPUT_ONE_EYE ? 1 : 2;
    for (int e = 0; e < outputEyes; ++e)
        eyes[static_cast<size_t>(e)] =
            std::make_unique<ShownRows>(eye.width, pairBytesPerPixel, mode, pair.GetPalette(),
                                        paletteGiven, destinationBytesPerPixel);
    if (eyes[0]->NeedsAveragedColours()) {
        if (!first.GetPixels())
            throw pxError("pxCPair::CopyConvert -- the rows of a 1 byte per pixel pair can only "
                          "be averaged with the whole pair at hand");
        std::vector<const pxImage*> shown = {&first};
        if (outputEyes == 2)
            shown.push_back(&second);
        averaged = std::make_unique<AveragedColours>(shown, pair.GetPalette(), *outputPalette);
        for (int e = 0; e < outputEyes; ++e)
            eyes[static_cast<size_t>(e)]->UseAveragedColours(averaged.get());
    }
    if (IsDuboisOutput(outputType))
        dubois = std::make_unique<DuboisAnaglyph>(outputType, eye.width);
    else if (IsAnaglyphOutput(outputType))
        anaglyph = std::make_unique<AnaglyphChannels>(outputType, static_cast<int32_t>(rowBytes));

    // Where each eye's rows lie in the frame, for PutFrameRows.
    if (hasFrame) {
        frameRows = pair.whole.GetHeight();
        const px2Pnt frameOrigin = pair.whole.ToFrame({0, 0});
        const pxImage* views[2] = {&pair.left, &pair.right};
        for (int e = 0; e < 2; ++e) {
            const pxImage& view = *views[e];
            const px2Pnt start = view.ToFrame({0, 0});
            EyeInFrame& place = inFrame[static_cast<size_t>(e)];
            place.firstRow = start.y - frameOrigin.y;
            place.rowStep = view.GetFieldType() == FIELD_BOTH ? 1 : 2;
            place.rows = view.GetHeight();
            place.byteOffset = static_cast<size_t>(start.x - frameOrigin.x) *
                               static_cast<size_t>(pairBytesPerPixel);
        }
    }
}

pxPairRowConverter::~pxPairRowConverter() = default;

uint8_t* pxPairRowConverter::OutputRow(int32_t y, int32_t x) const {
    return destination.Row(origin.y + y) +
           static_cast<std::ptrdiff_t>(origin.x + x) * destination.GetBytesPerPixel();
}

void pxPairRowConverter::PutFrameRows(const pxImage& rows) {
    CheckRows(rows, frameWidth, pairBytesPerPixel, frameRows - frameRowsPut, "frame");
    for (int32_t r = 0; r < rows.GetHeight(); ++r) {
        const int32_t y = frameRowsPut++;
        const uint8_t* row = rows.Row(r);
        if (outputType == OutputCopy) {
            eyes[0]->Put(row, [&](int32_t k, const uint8_t* shown) { Show(0, k, shown); });
            continue;
        }
        for (int32_t eye = EYE_LEFT; eye <= EYE_RIGHT; ++eye) {
            const EyeInFrame& place = inFrame[static_cast<size_t>(eye)];
            const int32_t offset = y - place.firstRow;
            if (offset >= 0 && offset % place.rowStep == 0 && offset / place.rowStep < place.rows)
                PutEyeRow(eye, row + place.byteOffset);
        }
    }
}

void pxPairRowConverter::PutEyeRows(int32_t eye, const pxImage& rows) {
    if (outputType == OutputCopy || (eye != EYE_LEFT && eye != EYE_RIGHT))
        throw pxError("pxPairRowConverter -- eye %d has no rows in this conversion", eye);
    CheckRows(rows, eyeWidth, pairBytesPerPixel, eyeHeight - eyeRowsPut[static_cast<size_t>(eye)],
              eye == EYE_LEFT ? "left eye" : "right eye");
    for (int32_t r = 0; r < rows.GetHeight(); ++r)
        PutEyeRow(eye, rows.Row(r));
}

void pxPairRowConverter::PutEyeRow(int32_t eye, const uint8_t* row) {
    ++eyeRowsPut[static_cast<size_t>(eye)];
    const int32_t outputEye = outputEyeOf[static_cast<size_t>(eye)];
    ShownRows* shown = eyes[static_cast<size_t>(outputEye)].get();
    if (shown) // else one eye's output, which does not show this eye
        shown->Put(row, [&](int32_t k, const uint8_t* made) { Show(outputEye, k, made); });
}

void pxPairRowConverter::Show(int32_t outputEye, int32_t k, const uint8_t* row) {
    switch (outputType) {
    case OutputCopy:
    case OUTPUT_ONE_EYE:
        std::memcpy(OutputRow(k, 0), row, rowBytes);
        break;
    case OUTPUT_INTERLEAVED:
        std::memcpy(OutputRow(2 * k + outputEye, 0), row, rowBytes);
        break;
    case OUTPUT_SIDE_BY_SIDE:
        std::memcpy(OutputRow(k, outputEye * (eyeWidth + separation)), row, rowBytes);
        break;
    case OUTPUT_OVER_UNDER:
        std::memcpy(OutputRow(outputEye * (shownCount + separation) + k, 0), row, rowBytes);
        break;
    default:
        if (dubois)
            dubois->Put(outputEye, OutputRow(k, 0), row);
        else
            anaglyph->Write(outputEye, OutputRow(k, 0), row);
        break;
    }
}

int32_t pxPairRowConverter::FinishedRows() const {
    const int32_t first = eyes[0]->RowsShown();
    const int32_t second = eyes[1] ? eyes[1]->RowsShown() : 0;
    switch (outputType) {
    case OutputCopy:
    case OUTPUT_ONE_EYE:
        return first;
    case OUTPUT_INTERLEAVED:
        return std::min(2 * first, 2 * second + 1);
    case OUTPUT_OVER_UNDER:
        // The gap between the eyes is left as it was.
        return first < shownCount ? first : shownCount + separation + second;
    default:
        return std::min(first, second);
    }
}
