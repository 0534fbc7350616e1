#include "plugin/inline.h"

#include "imagefile/readimage.h"
#include "imaging/pxerror.h"
#include "imaging/resize.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/win/paint.h"
#include "plugin/menuitems.h"
#include "plugin/pluginpalette.h"
#include "plugin/watermark.h"
#include "stereo/cpair.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace win;

namespace {

struct ViewOutput {
    int32_t outputType;
    int32_t eye;
};

// Inline view types 1 to 18; 16 to 18, the least-squares anaglyphs, came
// later, in the room the view commands leave (7416 to 7418).
constexpr ViewOutput kViewOutputs[] = {
    {8, 1}, {8, 0}, {3, 0}, {4, 0}, {3, 1}, {4, 1}, {2, 1},  {2, 0},  {9, 1},
    {5, 0}, {6, 0}, {5, 1}, {6, 1}, {7, 0}, {7, 1}, {11, 0}, {12, 0}, {13, 0},
};
static_assert(std::size(kViewOutputs) == kInlineViewCount);

bool SideBySide(int32_t view) {
    return view == 7 || view == 8;
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    if (right <= left || bottom <= top)
        return;
    const RECT rect{left, top, right, bottom};
    const HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// The area around the inner rectangle (which lies inside it) in the colour.
void FillAround(HDC dc, const RECT& area, const RECT& inner, COLORREF colour) {
    Fill(dc, area.left, area.top, area.right, inner.top, colour);
    Fill(dc, area.left, inner.top, inner.left, inner.bottom, colour);
    Fill(dc, inner.right, inner.top, area.right, inner.bottom, colour);
    Fill(dc, area.left, inner.bottom, area.right, area.bottom, colour);
}

bool HasWatermark(const PluginInstance& This) {
    return This.watermark && !This.watermarkHeader.empty();
}

// Where the watermark stands: centred in the area.
RECT WatermarkPlace(const PluginInstance& This, const RECT& area) {
    const int width = This.watermark->GetWidth();
    const int height = This.watermark->GetHeight();
    const int left = area.left + (area.right - area.left) / 2 - width / 2;
    const int top = area.top + (area.bottom - area.top) / 2 - height / 2;
    return RECT{left, top, left + width, top + height};
}

// The watermark's rows from the screen row fromY on.
void DrawWatermark(HDC dc, const PluginInstance& This, const RECT& area, int fromY) {
    const pxImage& mark = *This.watermark;
    const RECT place = WatermarkPlace(This, area);
    const int firstRow = std::max(fromY - static_cast<int>(place.top), 0);
    if (firstRow >= mark.GetHeight())
        return;
    SetDIBitsToDevice(dc, place.left, place.top + firstRow, static_cast<DWORD>(mark.GetWidth()),
                      static_cast<DWORD>(mark.GetHeight() - firstRow), 0, firstRow, 0,
                      static_cast<UINT>(mark.GetHeight()), mark.GetPixels(),
                      reinterpret_cast<const BITMAPINFO*>(This.watermarkHeader.data()),
                      DIB_RGB_COLORS);
}

// The background of a rectangle of the window, the watermark in its centre.
void DrawBackground(HDC dc, const PluginInstance& This, const RECT& area) {
    if (!HasWatermark(This)) {
        Fill(dc, area.left, area.top, area.right, area.bottom, This.backgroundColour);
        return;
    }
    FillAround(dc, area, WatermarkPlace(This, area), This.backgroundColour);
    DrawWatermark(dc, This, area, area.top);
}

// The bar along the top (or bottom) of area with its percentage over it.
// Answers the bar's height.
int DrawBar(HDC dc, const PluginInstance& This, const RECT& area, int percent, bool atBottom) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%d%%", percent);
    SIZE extent{};
    GetTextExtentPoint32(dc, text, length, &extent);
    const int width =
        static_cast<int>((area.right - area.left) * static_cast<int64_t>(percent) / 100);
    const int top = atBottom ? area.bottom - extent.cy : area.top;
    Fill(dc, area.left, top, area.left + width, top + extent.cy, This.progressBarColour);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, This.progressTextColour);
    TextOut(dc, area.left, top, text, length);
    return extent.cy;
}

// Converts the picture for the inline view into convertedImage.
void Convert(PluginInstance& This) {
    if (This.complete)
        This.reconvert = 0;
    if (This.rebuildConverted) {
        This.convertedImage = std::make_unique<pxImage>();
        This.rebuildConverted = 0;
    }
    int32_t outputType = 0, eye = 0;
    if (!InlineToOutputType(This.inlineView, &outputType, &eye, &This.squish))
        return;
    const _ImageInfo& info = *This.imageInfo;
    const uint32_t layout = info.hasDescriptor ? info.layout : kJpegDefaultLayout;
    pxCPair pair(layout, *This.inlineImage, &ThePlugin().sharedPalette);
    const px2Size size = pair.CalcConvertSize(outputType);
    pxImage& converted = *This.convertedImage;
    if (converted.GetWidth() != size.width || converted.GetHeight() != size.height ||
        converted.GetBytesPerPixel() != This.inlineImage->GetBytesPerPixel())
        converted.Create(size, This.inlineImage->GetBytesPerPixel(), 4);
    pair.CopyConvert(converted, px2Pnt{0, 0}, outputType, eye);
}

} // namespace

bool InlineToOutputType(int32_t pageView, int32_t* outputType, int32_t* eye, int32_t* squish) {
    const int32_t preference = ThePlugin().preferences.inlineView;
    int32_t view = preference;
    if (pageView && (preference == 0 || preference == pageView))
        view = pageView;
    if (!pageView && !preference)
        view = 1;
    if (view < 1 || view > kInlineViewCount) {
        pxLog("InlineToOutputType: Unsupported InlineView %d", view);
        PluginMessage(nullptr,
                      "InlineToOutputType:  Unsupported InlineView\n\nYou may need to reinstall "
                      "Binoxa.");
        return false;
    }
    *outputType = kViewOutputs[view - 1].outputType;
    *eye = kViewOutputs[view - 1].eye;
    *squish = 0;
    if (pageView >= 0 && pageView <= 6)
        *squish = SideBySide(view) ? 2 : 0;
    else if (SideBySide(pageView))
        *squish = SideBySide(view) ? 0 : 1;
    else if (pageView != 9)
        pxLog("InlineToOutputType: Unsupported InlineView %d calculating squish", pageView);
    return true;
}

void PaintDownload(PluginInstance& This) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(This.hwnd, &paint);
    RECT client{};
    GetClientRect(This.hwnd, &client);
    const int percent =
        This.streamLength
            ? static_cast<int>(static_cast<uint64_t>(This.bytesReceived) * 100 / This.streamLength)
            : 0;
    DrawBackground(dc, This, client);
    if (percent < 100)
        DrawBar(dc, This, client, percent, false);
    EndPaint(This.hwnd, &paint);
}

void PaintInline(PluginInstance& This) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(This.hwnd, &paint);
    const pxImage& picture = *This.inlineImage;
    const int rowsDone = This.imageInfo->rowsDone;
    RealisePluginPalette(This.hwnd, dc);
    if (This.rebuildConverted || This.reconvert) {
        try {
            Convert(This);
        } catch (const pxError& error) {
            pxLog("PaintInline: %s", error.GetMessage());
        }
    }
    const pxImage& converted = *This.convertedImage;
    if (converted.GetWidth() <= 0 || converted.GetHeight() <= 0) {
        EndPaint(This.hwnd, &paint);
        return;
    }

    // Fit the page's size (or the picture's) into the window, aspect kept:
    // the tighter side fits.
    int w = This.width > 0 ? This.width : converted.GetWidth();
    int h = This.height > 0 ? This.height : converted.GetHeight();
    if (This.windowWidth < w || This.windowHeight < h) {
        const double scale = std::min(static_cast<double>(This.windowWidth) / w,
                                      static_cast<double>(This.windowHeight) / h);
        w = static_cast<int>(w * scale);
        h = static_cast<int>(h * scale);
    }
    int x = (This.windowWidth - w) / 2;
    int y = (This.windowHeight - h) / 2;
    int drawWidth = w;
    int drawHeight = h;
    const int squish = This.mode == NP_FULL ? 0 : This.squish;
    if (squish == 1) {
        drawWidth = w / 2;
        x += w / 4;
    } else if (squish == 2) {
        drawHeight = h / 2;
        y += h / 4;
    }
    // Everything around the picture is background, so that nothing drawn
    // before (the download bar, a larger picture) is left standing.
    FillAround(dc, RECT{0, 0, This.windowWidth, This.windowHeight},
               RECT{x, y, x + drawWidth, y + drawHeight}, This.backgroundColour);

    std::vector<uint8_t> header = BlitHeaderFor(converted);
    const UINT colours = converted.GetBytesPerPixel() == 1 ? DIB_PAL_COLORS : DIB_RGB_COLORS;
    if (ThePlugin().preferences.dibMethod == 0 ||
        (drawWidth == converted.GetWidth() && drawHeight == converted.GetHeight())) {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, x, y, drawWidth, drawHeight, 0, 0, converted.GetWidth(),
                      converted.GetHeight(), converted.GetPixels(),
                      reinterpret_cast<const BITMAPINFO*>(header.data()), colours, SRCCOPY);
    } else if (drawWidth > 0 && drawHeight > 0) {
        pxImage resized;
        resized.Create(px2Size{drawWidth, drawHeight}, converted.GetBytesPerPixel(), 4);
        ResizeDDA(resized, converted, static_cast<double>(drawWidth) / converted.GetWidth(),
                  static_cast<double>(drawHeight) / converted.GetHeight(), px2Pnt{0, 0});
        header = BlitHeaderFor(resized);
        SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(drawWidth), static_cast<DWORD>(drawHeight),
                          0, 0, 0, static_cast<UINT>(drawHeight), resized.GetPixels(),
                          reinterpret_cast<const BITMAPINFO*>(header.data()), colours);
    }

    // While rows arrive (only shown with progressive display), the bar
    // along the bottom, and the arriving rows uncover the watermark from
    // the top.
    const int percent = picture.GetHeight() > 0 ? rowsDone * 100 / picture.GetHeight() : 100;
    if (percent < 100 && !This.complete) {
        RECT area{};
        GetClientRect(This.hwnd, &area);
        if (This.mode == NP_FULL)
            area = RECT{x, y, x + drawWidth, y + drawHeight};
        const int areaHeight = area.bottom - area.top;
        int decoded =
            static_cast<int>(static_cast<int64_t>(areaHeight) * rowsDone / picture.GetHeight());
        if (squish == 2)
            decoded = decoded / 2 + areaHeight / 4;
        if (HasWatermark(This))
            DrawWatermark(dc, This, area, area.top + decoded);
        DrawBar(dc, This, area, percent, true);
    }
    EndPaint(This.hwnd, &paint);
}
