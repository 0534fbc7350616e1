#include "platform/win/bitmapresources.h"

#include "platform/display/adapter.h"
#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dib.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/resources.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace win {
namespace {

// Larger pictures are not artwork of ours.
constexpr LONG kLargestSide = 16384;

// Where the pixels of the packed bitmap start; nothing when its header
// promises more than the data holds.
std::optional<std::size_t> BitsOffset(const std::vector<std::byte>& data,
                                      BITMAPINFOHEADER& header) {
    if (data.size() < sizeof(BITMAPINFOHEADER))
        return std::nullopt;
    std::memcpy(&header, data.data(), sizeof header);
    const LONG height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const WORD bits = header.biBitCount;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > data.size() ||
        header.biCompression != BI_RGB || header.biPlanes != 1 ||
        (bits != 8 && bits != 24 && bits != 32) || header.biWidth < 1 ||
        header.biWidth > kLargestSide || height < 1 || height > kLargestSide ||
        header.biHeight == INT32_MIN)
        return std::nullopt;
    const std::size_t colours =
        bits == 8 ? (header.biClrUsed == 0 || header.biClrUsed > 256 ? 256 : header.biClrUsed)
                  : (header.biClrUsed > 256 ? 256 : header.biClrUsed);
    const std::size_t offset = header.biSize + colours * sizeof(RGBQUAD);
    const std::size_t rowBytes = ((static_cast<std::size_t>(header.biWidth) * bits + 31) / 32) * 4;
    if (offset > data.size() || rowBytes * static_cast<std::size_t>(height) > data.size() - offset)
        return std::nullopt;
    return offset;
}

} // namespace

HBITMAP LoadBitmap(HINSTANCE instance, const char* name) {
    const std::optional<std::vector<std::byte>> data =
        internal::LoadModuleResource(instance, RT_BITMAP, name);
    if (!data)
        return nullptr;
    BITMAPINFOHEADER header;
    const std::optional<std::size_t> bitsOffset = BitsOffset(*data, header);
    if (!bitsOffset) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const LONG height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const HBITMAP bitmap =
        internal::MakeBitmap(header.biWidth, height, internal::ScreenFramebuffer().bitsPerPixel);
    if (!bitmap)
        return nullptr;
    // Drawn as a DIB is drawn on the screen, so colours map as they would there.
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(data->data());
    const int drawn = SetDIBitsToDevice(
        dc, 0, 0, static_cast<DWORD>(header.biWidth), static_cast<DWORD>(height), 0, 0, 0,
        static_cast<UINT>(height), data->data() + *bitsOffset, info, DIB_RGB_COLORS);
    SelectObject(dc, previous);
    DeleteDC(dc);
    if (drawn == 0) {
        DeleteObject(bitmap);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return bitmap;
}

} // namespace win
