#include "plugin/watermark.h"

#include "imaging/pxerror.h"
#include "platform/gdi/dib.h"
#include "platform/sys/resources.h"
#include "platform/win/resource.h"
#include "plugin/menuitems.h"

#include <algorithm>
#include <cstring>

using namespace win;

namespace {

constexpr LONG kLargestSide = 4096;

// The 8-bit packed bitmap's pixels; null when it is none or is cut short.
std::unique_ptr<pxImage> Intensities(const uint8_t* data, size_t size) {
    BITMAPINFOHEADER header;
    if (size < sizeof header)
        return nullptr;
    std::memcpy(&header, data, sizeof header);
    if (header.biSize < sizeof header || header.biBitCount != 8 || header.biCompression != BI_RGB ||
        header.biWidth <= 0 || header.biWidth > kLargestSide || header.biHeight == 0 ||
        header.biHeight > kLargestSide || header.biHeight < -kLargestSide)
        return nullptr;
    const size_t colours = header.biClrUsed == 0 ? 256 : std::min<DWORD>(header.biClrUsed, 256);
    const size_t offset = header.biSize + colours * sizeof(RGBQUAD);
    const auto width = static_cast<int32_t>(header.biWidth);
    const int32_t height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const size_t stride = (static_cast<size_t>(width) + 3) & ~size_t{3};
    if (offset > size || (size - offset) / stride < static_cast<size_t>(height))
        return nullptr;
    auto image = std::make_unique<pxImage>();
    image->Create(px2Size{width, height}, 1);
    for (int32_t y = 0; y < height; ++y) {
        const int32_t stored = header.biHeight < 0 ? y : height - 1 - y;
        std::memcpy(image->Row(y), data + offset + static_cast<size_t>(stored) * stride,
                    static_cast<size_t>(width));
    }
    return image;
}

} // namespace

std::unique_ptr<pxImage> LoadWatermarkSource(HINSTANCE module) {
    const HRSRC found =
        FindResource(module, MAKEINTRESOURCE(kBitmapWatermark), MAKEINTRESOURCE(RT_BITMAP));
    if (!found) {
        pxLog("error finding resource");
        return nullptr;
    }
    const HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) {
        pxLog("error loading resource");
        return nullptr;
    }
    const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
    std::unique_ptr<pxImage> source =
        data ? Intensities(data, SizeofResource(module, found)) : nullptr;
    if (!source)
        pxLog("NPP_Initialize -- couldn't lock watermark resource!");
    return source;
}

void MakeWaterMark(pxImage& destination, const pxImage& source, COLORREF background) {
    const uint8_t colour[3] = {static_cast<uint8_t>(background >> 16),
                               static_cast<uint8_t>(background >> 8),
                               static_cast<uint8_t>(background)};
    const int average = (colour[0] + colour[1] + colour[2]) / 3;
    destination.Create(px2Size{source.GetWidth(), source.GetHeight()}, 3, 4);
    for (int32_t y = 0; y < source.GetHeight(); ++y) {
        const uint8_t* in = source.Row(y);
        uint8_t* out = destination.Row(y);
        for (int32_t x = 0; x < source.GetWidth(); ++x, out += 3) {
            const int v = in[x];
            for (int c = 0; c < 3; ++c) {
                int value = colour[c];
                if (v != 0) {
                    if (average <= 80)
                        value = std::min(value + v, 255);
                    else if (average <= 127)
                        value = std::min(value + v / 2, 255);
                    else
                        value = std::max(value - v / 2, 0);
                }
                out[c] = static_cast<uint8_t>(value);
            }
        }
    }
}

std::vector<uint8_t> BlitHeaderFor(const pxImage& image) {
    std::vector<uint8_t> memory(sizeof(BITMAPINFOHEADER) + 256 * sizeof(uint16_t), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(memory.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = image.GetWidth();
    header->biHeight = -image.GetHeight();
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(8 * image.GetBytesPerPixel());
    header->biCompression = BI_RGB;
    header->biClrUsed = image.GetBytesPerPixel() == 1 ? 256 : 0;
    auto* indices = reinterpret_cast<uint16_t*>(memory.data() + sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < 256; ++i)
        indices[i] = static_cast<uint16_t>(i);
    return memory;
}
