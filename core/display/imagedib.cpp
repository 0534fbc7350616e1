#include "display/imagedib.h"

#include "display/sharedpalette.h"
#include "platform/gdi/dib.h"

#include <algorithm>
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

    bits.assign(stride * static_cast<size_t>(count), 0);
    for (int32_t row = 0; row < count; ++row)
        std::memcpy(bits.data() + stride * static_cast<size_t>(row), image.Row(top + row),
                    rowBytes);

    info.bmiHeader = {sizeof(win::BITMAPINFOHEADER),
                      image.GetWidth(),
                      -count,
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
    if (bits.empty())
        return;
    const int32_t rows = -info.bmiHeader.biHeight;
    win::SetDIBitsToDevice(dc, x, y, static_cast<win::DWORD>(info.bmiHeader.biWidth),
                           static_cast<win::DWORD>(rows), 0, 0, 0, static_cast<win::UINT>(rows),
                           bits.data(), info.Info(),
                           paletteIndices ? win::DIB_PAL_COLORS : win::DIB_RGB_COLORS);
}
