#include "platform/win/bitmapresources.h"

#include "platform/display/adapter.h"
#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/dibsource.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/resources.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace win {
namespace {

// Larger pictures are not artwork of ours.
constexpr LONG kLargestSide = 16384;

// The packed bitmap's pixels as the screen draws them; nothing when it is
// no such bitmap or its header promises more than the data holds.
std::optional<internal::DibSource> Pixels(const std::vector<std::byte>& data) {
    BITMAPINFOHEADER header;
    if (data.size() < sizeof header)
        return std::nullopt;
    std::memcpy(&header, data.data(), sizeof header);
    if (header.biSize < sizeof header || header.biSize > data.size() || header.biPlanes != 1)
        return std::nullopt;
    // A true-colour bitmap may carry a table too, which its pixels follow.
    const std::size_t colours = header.biBitCount == 8 && header.biClrUsed == 0
                                    ? 256
                                    : std::min<DWORD>(header.biClrUsed, 256);
    const std::size_t offset = header.biSize + colours * sizeof(RGBQUAD);
    if (offset > data.size())
        return std::nullopt;
    std::optional<internal::DibSource> pixels = internal::DibSource::Describe(
        reinterpret_cast<const BITMAPINFO*>(data.data()), data.data() + offset, DIB_RGB_COLORS);
    if (!pixels || pixels->width > kLargestSide || pixels->height > kLargestSide ||
        static_cast<std::uint64_t>(pixels->stride * pixels->height) > data.size() - offset)
        return std::nullopt;
    return pixels;
}

} // namespace

HBITMAP LoadBitmap(HINSTANCE instance, const char* name) {
    const std::optional<std::vector<std::byte>> data =
        internal::LoadModuleResource(instance, RT_BITMAP, name);
    if (!data)
        return nullptr;
    const std::optional<internal::DibSource> pixels = Pixels(*data);
    if (!pixels) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const auto width = static_cast<int>(pixels->width);
    const auto height = static_cast<int>(pixels->height);
    const HBITMAP bitmap =
        internal::MakeBitmap(width, height, internal::ScreenFramebuffer().bitsPerPixel);
    if (!bitmap)
        return nullptr;
    // Drawn as a DIB is drawn on the screen, so colours map as they would there.
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(data->data());
    const int drawn =
        SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                          static_cast<UINT>(height), pixels->bits, info, DIB_RGB_COLORS);
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
