// The view's rendering step: the pair of its conversion settings, reduced to
// the display's colours, squeezed for half-width methods, zoomed to fit, and
// converted for the method into the centre of the destination.
#include "view/bxview.h"

#include "imaging/octtree.h"
#include "imaging/pixelops.h"
#include "imaging/pxerror.h"
#include "imaging/resize.h"
#include "stereo/cpair.h"

#include <algorithm>
#include <cmath>

namespace {

// 1-byte eyes are fitted around the 20 fixed system colours.
constexpr int kFittedColours = 236;
constexpr int kFirstFittedIndex = 10;

// The two eye pictures of the settings' source: views, never copies.
struct Eyes {
    pxImage left;
    pxImage right;
};

// The two-image form's eyes are cut to their rectangles; an empty or
// outlying rectangle leaves an empty eye.
pxImage CutEye(const pxImage& eye, const std::optional<px2Rect>& rect) {
    if (!rect)
        return eye;
    const px2Rect r = *rect;
    if (r.IsEmpty() || r.x < 0 || r.y < 0 || int64_t{r.x} + r.width > eye.GetWidth() ||
        int64_t{r.y} + r.height > eye.GetHeight())
        return pxImage();
    return pxImage(eye, r);
}

Eyes SourceEyes(const ConversionSettings& settings) {
    if (settings.stereoImage) {
        pxCPair pair(settings.layout, *settings.stereoImage);
        return {pair.left, pair.right};
    }
    if (!settings.left || !settings.right)
        return {};
    return {CutEye(*settings.left, settings.leftRect), CutEye(*settings.right, settings.rightRect)};
}

bool Drawable(const pxImage& eye) {
    return eye.GetPixels() && eye.GetWidth() > 0 && eye.GetHeight() > 0;
}

pxImage Scaled(const pxImage& eye, double xZoom, double yZoom) {
    const px2Size size{std::max(1, static_cast<int32_t>(eye.GetWidth() * xZoom)),
                       std::max(1, static_cast<int32_t>(eye.GetHeight() * yZoom))};
    pxImage scaled(size, eye.GetBytesPerPixel(), 4);
    ResizeDDA(scaled, eye, xZoom, yZoom, {0, 0});
    return scaled;
}

pxImage WithoutFourthByte(const pxImage& eye) {
    pxImage narrow(eye.GetSize(), 3, 4);
    DropFourthByte(narrow, eye);
    return narrow;
}

// Both eyes in one palette of the display's colours, so that neither eye's
// colours push out the other's. The quantizer reads blue, green, red as red,
// green, blue, so its palette comes out with red and blue exchanged.
void ReduceToSharedPalette(Eyes& eyes, pxPalette& palette) {
    octTree quantizer(kFittedColours);
    quantizer.insert_colors(eyes.left);
    quantizer.insert_colors(eyes.right);
    palette = pxPalette();
    quantizer.gen_colormap(palette, kFirstFittedIndex);
    for (pxImage* eye : {&eyes.left, &eyes.right}) {
        pxImage indexed(eye->GetSize(), 1, 4);
        quantizer.map_image(*eye, indexed);
        *eye = indexed;
    }
    SwapBytes(palette, 2, 1, 0, 3, 0, palette.GetCount());
}

// The source palette fitted around the system colours, on copies of the
// eyes: the caller's pictures are never rewritten.
void FitToSystemColours(Eyes& eyes, pxPalette& palette) {
    palette.SetCount(pxPalette::kMaxColours);
    pxPalette fitted;
    for (pxImage* eye : {&eyes.left, &eyes.right}) {
        pxImage copy(eye->GetSize(), 1, 4);
        CopyImage(copy, {0, 0}, *eye, eye->GetRect());
        fitted = palette;
        RemapToPalette(copy, fitted, kFittedColours, kFirstFittedIndex);
        *eye = copy;
    }
    palette = fitted;
}

pxCPair MakePair(const ConversionSettings& settings, const Eyes& eyes, const pxPalette* palette,
                 bool sourceAsIs) {
    pxCPair pair = sourceAsIs ? pxCPair(settings.layout, *settings.stereoImage, palette)
                              : pxCPair(settings.layout, eyes.left, eyes.right, palette);
    if (settings.outputType == OUTPUT_INTERLEAVED)
        pair.halveRows = 1;
    return pair;
}

// The zoom for the settings: as asked, or the largest that fits the
// destination when fitting is asked or the asked zoom would not fit; never
// so small that an eye vanishes.
double ChosenZoom(double asked, px2Size converted, const pxImage& destination, const Eyes& eyes) {
    const double fitWidth = static_cast<double>(destination.GetWidth() - 1) / converted.width;
    const double fitHeight = static_cast<double>(destination.GetHeight() - 1) / converted.height;
    const double fit = std::min(fitWidth, fitHeight);
    double zoom = asked;
    const bool fits = asked > 0 && std::trunc(converted.width * asked) <= destination.GetWidth() &&
                      std::trunc(converted.height * asked) <= destination.GetHeight();
    if (!fits)
        zoom = fit;
    const double smallest = std::max(1.0 / eyes.left.GetWidth(), 1.0 / eyes.left.GetHeight());
    return std::max(zoom, smallest);
}

} // namespace

void BxView::RenderSettings() {
    pxImage& destination = settings.destination;
    if (!display || !Drawable(destination))
        return;
    Eyes eyes = SourceEyes(settings);
    if (!Drawable(eyes.left) || !Drawable(eyes.right))
        return;
    std::optional<pxPalette> palette = settings.palette;
    bool sourceAsIs = settings.stereoImage.has_value();

    // The display's colours.
    if (eyes.left.GetBytesPerPixel() == 4) {
        eyes = {WithoutFourthByte(eyes.left), WithoutFourthByte(eyes.right)};
        sourceAsIs = false;
    }
    const bool indexedDisplay = destination.GetBytesPerPixel() == 1;
    const bool colourSource = eyes.left.GetBytesPerPixel() > 1;
    const bool anaglyphInColour =
        indexedDisplay && colourSource && IsAnaglyphOutput(settings.outputType);
    if (indexedDisplay && colourSource && !anaglyphInColour) {
        palette.emplace();
        ReduceToSharedPalette(eyes, *palette);
        sourceAsIs = false;
    } else if (indexedDisplay && !colourSource) {
        if (!palette)
            palette.emplace();
        FitToSystemColours(eyes, *palette);
        sourceAsIs = false;
    }

    if (settings.halfWidth) {
        eyes = {Scaled(eyes.left, 0.5, 1.0), Scaled(eyes.right, 0.5, 1.0)};
        sourceAsIs = false;
    }

    const pxPalette* pairPalette = palette ? &*palette : nullptr;
    pxCPair pair = MakePair(settings, eyes, pairPalette, sourceAsIs);
    const px2Size converted = pair.CalcConvertSize(settings.outputType);
    if (converted.width <= 0 || converted.height <= 0)
        return;
    const bool fits =
        converted.width <= destination.GetWidth() && converted.height <= destination.GetHeight();
    if (!fits || settings.zoom != 1.0) {
        settings.zoom = ChosenZoom(settings.zoom, converted, destination, eyes);
        eyes = {Scaled(eyes.left, settings.zoom, settings.zoom),
                Scaled(eyes.right, settings.zoom, settings.zoom)};
        pair = MakePair(settings, eyes, pairPalette, false);
    }

    pxPalette output = palette.value_or(pxPalette());
    const px2Pnt centre = pair.CalcCenterPoint(destination, settings.outputType);
    if (anaglyphInColour) {
        // Mixed in full colour, then reduced to the display's colours.
        const px2Size size = pair.CalcConvertSize(settings.outputType);
        pxImage mixed(size, 3, 4);
        pair.CopyConvert(mixed, {0, 0}, settings.outputType, settings.swapEyes, &output);
        pxImage indexed(size, 1, 4);
        ConvertBPP(indexed, mixed, output, 1);
        RemapToPalette(indexed, output, kFittedColours, kFirstFittedIndex);
        CopyImage(destination, centre, indexed, indexed.GetRect());
        palette = output;
    } else {
        pair.CopyConvert(destination, centre, settings.outputType, settings.swapEyes, &output);
        if (palette)
            palette = output;
    }
    if (palette)
        display->SetPalette(*palette);
}
