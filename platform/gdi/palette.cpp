#include "platform/gdi/palette.h"

#include "platform/gdi/colourmatch.h"
#include "platform/gdi/devicecontext.h"
#include "platform/gdi/ink.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/realisation.h"
#include "platform/win/input.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"

#include <algorithm>
#include <memory>

namespace win {
namespace {

// Guards against a parent chain that loops.
constexpr int kMaxWindowDepth = 64;

// A window's palette takes the foreground when the window or one of its
// parents is the foreground window; a context without a window (the screen,
// a DirectDraw surface) always may.
bool MayTakeForeground(const internal::DeviceContext& dc) {
    if (dc.paletteInBackground)
        return false;
    if (!dc.window)
        return true;
    const HWND foreground = GetForegroundWindow();
    HWND window = dc.window;
    for (int depth = 0; window && depth < kMaxWindowDepth; ++depth, window = GetParent(window))
        if (window == foreground)
            return true;
    return false;
}

// The entries start to start + count - 1 that exist.
std::size_t RangeSize(const internal::LogicalPalette& palette, UINT start, UINT count) {
    if (start >= palette.entries.size())
        return 0;
    return std::min<std::size_t>(count, palette.entries.size() - start);
}

} // namespace

HPALETTE CreatePalette(const LOGPALETTE* palette) {
    if (!palette || palette->palNumEntries == 0)
        return nullptr;
    auto made = std::make_unique<internal::LogicalPalette>();
    made->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    return reinterpret_cast<HPALETTE>(internal::AddObject(std::move(made)));
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    internal::LogicalPalette* selected = internal::FindPalette(internal::AsObject(palette));
    if (!context || !selected)
        return nullptr;
    internal::LogicalPalette* previous = context->palette;
    --previous->selections;
    ++selected->selections;
    context->palette = selected;
    context->paletteInBackground = forceBackground != FALSE;
    return reinterpret_cast<HPALETTE>(internal::AsObject(previous));
}

UINT RealizePalette(HDC dc) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context)
        return GDI_ERROR;
    if (context->target->bitsPerPixel != 8)
        return 0;
    const internal::Realisation done =
        internal::Realize(*context->palette, MayTakeForeground(*context));
    // The other windows realise their palettes again (and may redraw). Only
    // a window's realisation is announced: without a window there may be no
    // windows layer running to deliver the message.
    if (done.systemChanged && context->window) {
        internal::ShowAgain(*context);
        SendMessage(HWND_BROADCAST, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(context->window),
                    0);
    }
    return done.mapped;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
    const internal::LogicalPalette* found = internal::FindPalette(internal::AsObject(palette));
    if (!found)
        return 0;
    if (!entries)
        return static_cast<UINT>(found->entries.size());
    const std::size_t copied = RangeSize(*found, start, count);
    std::copy_n(found->entries.begin() + start, copied, entries);
    return static_cast<UINT>(copied);
}

UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* entries) {
    internal::LogicalPalette* found = internal::FindPalette(internal::AsObject(palette));
    if (!found || found->stock || !entries)
        return 0;
    const std::size_t copied = RangeSize(*found, start, count);
    std::copy_n(entries, copied, found->entries.begin() + start);
    return static_cast<UINT>(copied);
}

UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour) {
    const internal::LogicalPalette* found = internal::FindPalette(internal::AsObject(palette));
    if (!found)
        return CLR_INVALID;
    return static_cast<UINT>(
        internal::NearestEntry(found->entries.data(), found->entries.size(), colour & 0x00FFFFFF));
}

BOOL UpdateColors(HDC dc) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context)
        return FALSE;
    Framebuffer* frame = internal::DrawableTarget(*context);
    if (!frame || frame->bitsPerPixel != 8)
        return TRUE;
    const internal::InkMaker inks(*context, 8);
    std::array<std::uint8_t, 256> remap{};
    for (std::size_t i = 0; i < remap.size(); ++i)
        remap[i] = inks.ForColour(internal::ColourOf(context->drawnWith[i])).bytes[0];
    for (int y = 0; y < frame->height; ++y)
        for (std::uint8_t *pixel = frame->Row(y), *end = pixel + frame->width; pixel < end; ++pixel)
            *pixel = remap[*pixel];
    internal::FinishDrawing(*context);
    return TRUE;
}

} // namespace win
