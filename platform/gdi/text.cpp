#include "platform/gdi/text.h"

#include "platform/gdi/devicecontext.h"
#include "platform/gdi/font.h"
#include "platform/gdi/ink.h"
#include "platform/gdi/objects.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace win {
namespace {

// Texts longer than this have no extent a LONG can hold.
constexpr int kMaxMeasuredLength = std::numeric_limits<LONG>::max() / internal::kGlyphWidth;

void DrawCell(Framebuffer& frame, std::int64_t left, std::int64_t top, unsigned char character,
              const internal::Ink& text, const internal::Ink* background) {
    const std::uint8_t* glyph = internal::GlyphRows(character);
    const int bytes = frame.BytesPerPixel();
    const std::int64_t firstRow = std::max<std::int64_t>(0, -top);
    const std::int64_t endRow = std::min<std::int64_t>(internal::kGlyphHeight, frame.height - top);
    const std::int64_t firstColumn = std::max<std::int64_t>(0, -left);
    const std::int64_t endColumn =
        std::min<std::int64_t>(internal::kGlyphWidth, frame.width - left);
    for (std::int64_t row = firstRow; row < endRow; ++row) {
        std::uint8_t* out = frame.Row(static_cast<int>(top + row));
        for (std::int64_t column = firstColumn; column < endColumn; ++column) {
            const bool set = (glyph[row] >> (internal::kGlyphWidth - 1 - column)) & 1;
            if (set || background)
                internal::Put(out + (left + column) * bytes, set ? text : *background, bytes);
        }
    }
}

} // namespace

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context)
        return CLR_INVALID;
    return std::exchange(context->textColour, colour & 0x00FFFFFF);
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context)
        return CLR_INVALID;
    return std::exchange(context->backgroundColour, colour & 0x00FFFFFF);
}

int SetBkMode(HDC dc, int mode) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    return std::exchange(context->backgroundMode, mode);
}

BOOL TextOut(HDC dc, int x, int y, const char* text, int count) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context || count < 0 || (!text && count > 0))
        return FALSE;
    Framebuffer* frame = internal::DrawableTarget(*context);
    if (!frame)
        return TRUE;
    const internal::InkMaker inks(*context, frame->bitsPerPixel);
    const internal::Ink textInk = inks.ForColour(context->textColour);
    const internal::Ink backgroundInk = inks.ForColour(context->backgroundColour);
    const internal::Ink* background = context->backgroundMode == OPAQUE ? &backgroundInk : nullptr;
    // Cells wholly left of the frame are skipped without reading their characters.
    const std::int64_t first = x >= 0 ? 0 : -std::int64_t{x} / internal::kGlyphWidth;
    for (std::int64_t i = first; i < count; ++i) {
        const std::int64_t left = x + i * internal::kGlyphWidth;
        if (left >= frame->width)
            break;
        DrawCell(*frame, left, y, static_cast<unsigned char>(text[i]), textInk, background);
    }
    internal::FinishDrawing(*context);
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC dc, const char* text, int count, SIZE* size) {
    if (!internal::FindDeviceContext(dc) || !size || count < 0 || count > kMaxMeasuredLength ||
        (!text && count > 0))
        return FALSE;
    size->cx = count * internal::kGlyphWidth;
    size->cy = internal::kGlyphHeight;
    return TRUE;
}

} // namespace win
