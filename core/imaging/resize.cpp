#include "imaging/resize.h"

#include "imaging/pixelops.h"
#include "imaging/pxerror.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// Steps are in thousandths of a source pixel.
constexpr int64_t kUnit = 1000;

// The scaled size, truncated toward zero. A factor that is not a positive
// number, or gives a size beyond 32 bits, is refused, as is a scaled picture
// that would not lie wholly inside the destination. A small factor may scale
// a side to nothing; the stepping still keeps the first pixel and row, as far
// as the destination has room for them.
px2Size CheckedScaledSize(const pxImage& destination, const pxImage& source, double xZoom,
                          double yZoom, px2Pnt position) {
    const double width = std::trunc(source.GetWidth() * xZoom);
    const double height = std::trunc(source.GetHeight() * yZoom);
    constexpr double kLargest = std::numeric_limits<int32_t>::max();
    if (!(xZoom > 0 && yZoom > 0 && width <= kLargest && height <= kLargest))
        throw pxError("ResizeDDA: bad zoom (%f x %f) for src (%dx%d)", xZoom, yZoom,
                      source.GetWidth(), source.GetHeight());
    const px2Size scaled{static_cast<int32_t>(width), static_cast<int32_t>(height)};
    if (position.x < 0 || position.y < 0 ||
        int64_t{position.x} + scaled.width > destination.GetWidth() ||
        int64_t{position.y} + scaled.height > destination.GetHeight())
        throw pxError("ResizeDDA: src (%dx%d z(%dx%d)) at center pnt (%d,%d) would exceed dest "
                      "(%dx%d)",
                      source.GetWidth(), source.GetHeight(), scaled.width, scaled.height,
                      position.x, position.y, destination.GetWidth(), destination.GetHeight());
    return scaled;
}

// A destination row that does not match the scaled row is worth a trace in
// the log, though it is harmless.
void LogRowMismatch(const pxImage& destination, const pxImage& source, double xZoom, double yZoom,
                    px2Size scaled) {
    const int bytesPerPixel = source.GetBytesPerPixel();
    const int64_t rowCapacity = int64_t{destination.GetWidth()} * bytesPerPixel;
    const int64_t lineLength = int64_t{scaled.width} * bytesPerPixel + 1;
    if (rowCapacity == lineLength - 1 || rowCapacity == lineLength)
        return;

    char zoomText[160];
    if (bytesPerPixel == 1 && xZoom == yZoom)
        std::snprintf(zoomText, sizeof zoomText, "zoom=%f", xZoom);
    else
        std::snprintf(zoomText, sizeof zoomText, "xzoom=%f  yzoom=%f", xZoom, yZoom);
    static const char kStars[] = "**************************************************************";
    pxLog("\n%s\nResizeDDA_%d:\n\tresizing %dx%d to %dx%d (%d)  %s\n\tWARNING: line_len=%d   "
          "dst_bpr=%d\n%s\n",
          kStars, bytesPerPixel, source.GetWidth(), source.GetHeight(), destination.GetWidth(),
          destination.GetHeight(), static_cast<int>(rowCapacity), zoomText,
          static_cast<int>(lineLength), static_cast<int>(rowCapacity), kStars);
}

// The step for a factor, in thousandths. Tiny factors give steps beyond any
// picture's size; they are capped there, which keeps the same pixels.
int64_t Step(double zoom) {
    constexpr double kLongestStep = double{int64_t{1} << 40};
    return static_cast<int64_t>(std::min(static_cast<double>(kUnit) / zoom, kLongestStep));
}

// The source column of each destination pixel along one row, as the
// stepping picks them; the room left in the destination bounds the count.
std::vector<int32_t> SourceColumns(int32_t sourceWidth, int64_t stepX, int32_t maxPixels) {
    const size_t limit = static_cast<size_t>(std::max(maxPixels, 0));
    std::vector<int32_t> columns;
    columns.reserve(limit);
    int64_t errX = 0;
    for (int32_t sx = 0; sx < sourceWidth && columns.size() < limit; ++sx) {
        errX -= kUnit;
        for (; errX < 0 && columns.size() < limit; errX += stepX)
            columns.push_back(sx);
    }
    return columns;
}

// Every kept source row is scaled once, straight into its first destination
// row; a row that repeats it copies that one whole.
template <int B>
void Scale(pxImage& destination, const pxImage& source, double xZoom, double yZoom,
           px2Pnt position) {
    const int64_t stepY = Step(yZoom);
    // The stepping may give one pixel or row more than the scaled size (or
    // more still for factors whose step truncates); the room left to the
    // destination's right and bottom edges bounds both.
    const int32_t maxRows = destination.GetHeight() - position.y;
    const std::vector<int32_t> columns =
        SourceColumns(source.GetWidth(), Step(xZoom), destination.GetWidth() - position.x);
    const size_t lineBytes = columns.size() * B;

    int64_t errY = 0;
    int32_t rowsWritten = 0;
    for (int32_t sy = 0; sy < source.GetHeight() && rowsWritten < maxRows; ++sy) {
        errY -= kUnit;
        if (errY >= 0)
            continue; // this source row is dropped
        const uint8_t* in = source.Row(sy);
        const uint8_t* first = nullptr;
        for (; errY < 0 && rowsWritten < maxRows; errY += stepY, ++rowsWritten) {
            uint8_t* target =
                destination.Row(position.y + rowsWritten) + static_cast<size_t>(position.x) * B;
            if (first) {
                std::memcpy(target, first, lineBytes);
                continue;
            }
            for (size_t i = 0; i < columns.size(); ++i)
                std::memcpy(target + i * B, in + static_cast<size_t>(columns[i]) * B, B);
            first = target;
        }
    }
}

// requiredDepth 0 accepts 1 and 3 bytes per pixel.
void Resize(pxImage& destination, const pxImage& source, double xZoom, double yZoom,
            px2Pnt position, int requiredDepth) {
    const px2Size scaled = CheckedScaledSize(destination, source, xZoom, yZoom, position);
    const int depth = source.GetBytesPerPixel();
    if (depth != destination.GetBytesPerPixel())
        throw pxError("Color depths don't match (%d %d) in ResizeDDA", depth,
                      destination.GetBytesPerPixel());
    if ((depth != 1 && depth != 3) || (requiredDepth != 0 && depth != requiredDepth))
        throw pxError("Invalid color depth (%d) in ResizeDDA", depth);
    CheckPixelAccess(source, "ResizeDDA");
    CheckPixelAccess(destination, "ResizeDDA");

    LogRowMismatch(destination, source, xZoom, yZoom, scaled);
    if (depth == 1)
        Scale<1>(destination, source, xZoom, yZoom, position);
    else
        Scale<3>(destination, source, xZoom, yZoom, position);
}

} // namespace

void ResizeDDA(pxImage& destination, const pxImage& source, double xZoom, double yZoom,
               px2Pnt position) {
    Resize(destination, source, xZoom, yZoom, position, 0);
}

void ResizeDDA_1(pxImage& destination, const pxImage& source, double zoom, px2Pnt position) {
    Resize(destination, source, zoom, zoom, position, 1);
}

void ResizeDDA_3(pxImage& destination, const pxImage& source, double xZoom, double yZoom,
                 px2Pnt position) {
    Resize(destination, source, xZoom, yZoom, position, 3);
}
