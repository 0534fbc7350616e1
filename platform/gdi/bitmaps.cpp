#include "platform/gdi/bitmaps.h"

#include "platform/display/adapter.h"
#include "platform/gdi/colourmatch.h"
#include "platform/gdi/devicecontext.h"
#include "platform/gdi/ink.h"
#include "platform/gdi/realisation.h"
#include "platform/gdi/windowdc.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace win {
namespace {

bool IsDepth(int bitsPerPixel) {
    return bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

// The depth a context's compatible bitmaps get.
int CompatibleDepth(const internal::DeviceContext& context) {
    return context.memory ? context.memoryDepth : context.target->bitsPerPixel;
}

COLORREF ColourAt(const Framebuffer& frame, const std::uint8_t* pixel) {
    switch (frame.bitsPerPixel) {
    case 8:
        return internal::ColourOf(internal::CurrentSystemColours()[*pixel]);
    case 16: {
        std::uint8_t rgb[3];
        Framebuffer::Widen565(pixel, rgb);
        return RGB(rgb[0], rgb[1], rgb[2]);
    }
    default:
        return RGB(pixel[2], pixel[1], pixel[0]);
    }
}

// Copies width x height pixels from (sx, sy) of the source to (dx, dy) of
// the destination; the rectangles lie inside their framebuffers.
void CopyPixels(const internal::DeviceContext& destContext, Framebuffer& dest, int dx, int dy,
                const Framebuffer& source, int sx, int sy, int width, int height) {
    if (dest.bitsPerPixel == source.bitsPerPixel) {
        const int bytes = dest.BytesPerPixel();
        const auto length = static_cast<std::size_t>(width) * static_cast<std::size_t>(bytes);
        // Row order and memmove keep an overlapping copy within one framebuffer right.
        const bool upwards = &dest == &source && dy > sy;
        for (int i = 0; i < height; ++i) {
            const int row = upwards ? height - 1 - i : i;
            std::memmove(dest.Row(dy + row) + dx * bytes, source.Row(sy + row) + sx * bytes,
                         length);
        }
        return;
    }
    // Different depths are different framebuffers, so they never overlap.
    const internal::InkMaker inks(destContext, dest.bitsPerPixel);
    const int destBytes = dest.BytesPerPixel();
    const int sourceBytes = source.BytesPerPixel();
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const COLORREF colour =
                ColourAt(source, source.Row(sy + row) + (sx + column) * sourceBytes);
            internal::Put(dest.Row(dy + row) + (dx + column) * destBytes, inks.ForColour(colour),
                          destBytes);
        }
}

// Cuts the copy down to what lies inside both framebuffers (and, for the
// destination, inside limit); false when nothing is left.
bool ClipCopy(int& x, int& y, int& width, int& height, int& xSrc, int& ySrc,
              const Framebuffer& dest, const Framebuffer& source, RECT limit) {
    limit.left = std::max<LONG>(limit.left, 0);
    limit.top = std::max<LONG>(limit.top, 0);
    limit.right = std::min<LONG>(limit.right, dest.width);
    limit.bottom = std::min<LONG>(limit.bottom, dest.height);
    const auto clip = [](int& start, int& startSrc, int& length, int low, int high, int lowSrc,
                         int highSrc) {
        const int skip = std::max({0, low - start, lowSrc - startSrc});
        start += skip;
        startSrc += skip;
        length -= skip;
        length = std::min({length, high - start, highSrc - startSrc});
    };
    clip(x, xSrc, width, limit.left, limit.right, 0, source.width);
    clip(y, ySrc, height, limit.top, limit.bottom, 0, source.height);
    return width > 0 && height > 0;
}

} // namespace

namespace internal {

HBITMAP MakeBitmap(int width, int height, int bitsPerPixel) {
    if (width < 1 || height < 1 || !IsDepth(bitsPerPixel))
        return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->pixels.Reset(width, height, bitsPerPixel);
    return reinterpret_cast<HBITMAP>(AddObject(std::move(bitmap)));
}

} // namespace internal

HDC CreateCompatibleDC(HDC dc) {
    int depth = 0;
    if (!dc) {
        depth = internal::ScreenFramebuffer().bitsPerPixel;
    } else if (const internal::DeviceContext* context = internal::FindDeviceContext(dc)) {
        depth = CompatibleDepth(*context);
    } else {
        return nullptr;
    }
    internal::Bitmap& stock = internal::StockBitmap();
    const HDC memory = internal::CreateFramebufferDC(&stock.pixels, nullptr);
    internal::DeviceContext* context = internal::FindDeviceContext(memory);
    context->memory = true;
    context->memoryDepth = IsDepth(depth) ? depth : 32;
    context->bitmap = &stock;
    ++stock.selections;
    return memory;
}

BOOL DeleteDC(HDC dc) {
    const internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context || context->window)
        return FALSE;
    return internal::DeleteFramebufferDC(dc) ? TRUE : FALSE;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    const internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context)
        return nullptr;
    return internal::MakeBitmap(width, height, CompatibleDepth(*context));
}

int GetObject(HGDIOBJ object, int size, void* buffer) {
    const internal::Bitmap* bitmap = internal::FindBitmap(object);
    if (!bitmap)
        return 0;
    if (!buffer)
        return static_cast<int>(sizeof(BITMAP));
    if (size < static_cast<int>(sizeof(BITMAP)))
        return 0;
    BITMAP shown{};
    shown.bmType = 0;
    shown.bmWidth = bitmap->pixels.width;
    shown.bmHeight = bitmap->pixels.height;
    shown.bmWidthBytes = bitmap->pixels.stride;
    shown.bmPlanes = 1;
    shown.bmBitsPixel = static_cast<WORD>(bitmap->pixels.bitsPerPixel);
    shown.bmBits = nullptr;
    std::memcpy(buffer, &shown, sizeof shown);
    return static_cast<int>(sizeof(BITMAP));
}

LONG GetBitmapBits(HBITMAP handle, LONG size, void* bits) {
    const internal::Bitmap* bitmap = internal::FindBitmap(internal::AsObject(handle));
    if (!bitmap || !bits || size <= 0)
        return 0;
    const std::size_t count =
        std::min(bitmap->pixels.pixels.size(), static_cast<std::size_t>(size));
    std::memcpy(bits, bitmap->pixels.pixels.data(), count);
    return static_cast<LONG>(count);
}

BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSrc, int ySrc,
            DWORD rop) {
    internal::DeviceContext* destContext = internal::FindDeviceContext(dc);
    const internal::DeviceContext* sourceContext = internal::FindDeviceContext(source);
    if (!destContext || !sourceContext || rop != SRCCOPY)
        return FALSE;
    Framebuffer* dest = internal::DrawableTarget(*destContext);
    const Framebuffer* from = internal::DrawableTarget(*sourceContext);
    if (!dest || !from)
        return FALSE;
    const RECT everywhere{0, 0, dest->width, dest->height};
    if (ClipCopy(x, y, width, height, xSrc, ySrc, *dest, *from, everywhere)) {
        CopyPixels(*destContext, *dest, x, y, *from, xSrc, ySrc, width, height);
        internal::FinishDrawing(*destContext);
    }
    return TRUE;
}

BOOL ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN updateRegion,
              RECT* updateRect) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context || updateRegion)
        return FALSE;
    Framebuffer* frame = internal::DrawableTarget(*context);
    if (!frame)
        return FALSE;
    RECT area = scroll ? *scroll : RECT{0, 0, frame->width, frame->height};
    if (clip) {
        area.left = std::max(area.left, clip->left);
        area.top = std::max(area.top, clip->top);
        area.right = std::min(area.right, clip->right);
        area.bottom = std::min(area.bottom, clip->bottom);
    }
    area.left = std::max<LONG>(area.left, 0);
    area.top = std::max<LONG>(area.top, 0);
    area.right = std::min<LONG>(area.right, frame->width);
    area.bottom = std::min<LONG>(area.bottom, frame->height);
    if (updateRect)
        *updateRect = RECT{};
    if (area.right <= area.left || area.bottom <= area.top)
        return TRUE;
    int x = area.left + dx;
    int y = area.top + dy;
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    int xSrc = area.left;
    int ySrc = area.top;
    // With the destination kept inside the area, the source stays inside it too.
    const bool moved = ClipCopy(x, y, width, height, xSrc, ySrc, *frame, *frame, area);
    if (moved)
        CopyPixels(*context, *frame, x, y, *frame, xSrc, ySrc, width, height);
    if (updateRect) {
        // What the move left behind: a band along the edge it moved away from.
        RECT uncovered = area;
        if (!moved) {
            // Everything moved out.
        } else if (dy < 0) {
            uncovered.top = std::max(area.top, area.bottom + dy);
        } else if (dy > 0) {
            uncovered.bottom = std::min(area.bottom, area.top + dy);
        } else if (dx < 0) {
            uncovered.left = std::max(area.left, area.right + dx);
        } else if (dx > 0) {
            uncovered.right = std::min(area.right, area.left + dx);
        } else {
            uncovered = RECT{};
        }
        *updateRect = uncovered;
    }
    internal::FinishDrawing(*context);
    return TRUE;
}

} // namespace win
