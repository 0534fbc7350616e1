#include "display/imagedib.h"

#include "display/sharedpalette.h"
#include "platform/gdi/dib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// As many indices as the header says it holds, the rest 0 to 255 in turn.
void CopyPaletteIndices(const win::BITMAPINFO* header, win::WORD (&indices)[kPaletteEntries]) {
    for (int i = 0; i < kPaletteEntries; ++i)
        indices[i] = static_cast<win::WORD>(i);
    if (!header)
        return;
    const win::DWORD used = header->bmiHeader.biClrUsed;
    const size_t count = used == 0 ? kPaletteEntries : std::min<size_t>(used, kPaletteEntries);
    const auto* table = reinterpret_cast<const uint8_t*>(header) + sizeof(win::BITMAPINFOHEADER);
    std::memcpy(indices, table, count * sizeof(win::WORD));
}

} // namespace

ImageDib::ImageDib(const pxImage& image, int32_t firstRow, int32_t rows,
                   const win::BITMAPINFO* header) {
    const int32_t bytesPerPixel = image.GetBytesPerPixel();
    const int32_t top = std::clamp(firstRow, 0, image.GetHeight());
    const int32_t count = image.GetPixels() ? std::clamp(rows, 0, image.GetHeight() - top) : 0;
    const size_t rowBytes = static_cast<size_t>(image.GetWidth()) * bytesPerPixel;
    const size_t stride = (rowBytes + 3) & ~size_t{3};

    // A negative height is a top-down bitmap, whose first row is lowest in memory.
    int32_t height = -count;
    const auto imageStride = static_cast<std::ptrdiff_t>(image.GetStride());
    if (count == 0) {
        bits = nullptr;
    } else if (imageStride == static_cast<std::ptrdiff_t>(stride)) {
        bits = image.Row(top);
    } else if (imageStride == -static_cast<std::ptrdiff_t>(stride)) {
        bits = image.Row(top + count - 1);
        height = count;
    } else {
        copied.resize(stride * static_cast<size_t>(count));
        for (int32_t row = 0; row < count; ++row)
            std::memcpy(copied.data() + stride * static_cast<size_t>(row), image.Row(top + row),
                        rowBytes);
        bits = copied.data();
    }

    info.bmiHeader = {sizeof(win::BITMAPINFOHEADER),
                      image.GetWidth(),
                      height,
                      1,
                      static_cast<win::WORD>(bytesPerPixel * 8),
                      win::BI_RGB,
                      0,
                      0,
                      0,
                      kPaletteEntries,
                      kPaletteEntries};
    paletteIndices = bytesPerPixel == 1;
    if (paletteIndices)
        CopyPaletteIndices(header, info.bmiColors);
}

void ImageDib::Draw(win::HDC dc, int x, int y) const {
    if (!bits)
        return;
    const int32_t rows = std::abs(info.bmiHeader.biHeight);
    win::SetDIBitsToDevice(dc, x, y, static_cast<win::DWORD>(info.bmiHeader.biWidth),
                           static_cast<win::DWORD>(rows), 0, 0, 0, static_cast<win::UINT>(rows),
                           bits, info.Info(),
                           paletteIndices ? win::DIB_PAL_COLORS : win::DIB_RGB_COLORS);
}
