#include "platform/gdi/gdiobjects.h"

#include "platform/gdi/devicecontext.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/realisation.h"

#include <array>
#include <unordered_map>

namespace win::internal {
namespace {

std::unordered_map<HGDIOBJ, std::unique_ptr<GdiObject>>& Objects() {
    // Never destroyed: windows released while the process exits still find it.
    static auto* objects = new std::unordered_map<HGDIOBJ, std::unique_ptr<GdiObject>>;
    return *objects;
}

GdiObject* FindObject(HGDIOBJ handle) {
    const auto found = Objects().find(handle);
    return found == Objects().end() ? nullptr : found->second.get();
}

template <typename Object> Object& MakeStock(std::unique_ptr<Object> object) {
    object->stock = true;
    Object& made = *object;
    AddObject(std::move(object));
    return made;
}

SolidBrush& MakeStockBrush(int which) {
    static constexpr std::array<COLORREF, NULL_BRUSH> kColours = {
        RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(64, 64, 64), RGB(0, 0, 0)};
    auto brush = std::make_unique<SolidBrush>();
    if (which == NULL_BRUSH)
        brush->hollow = true;
    else
        brush->colour = kColours[static_cast<std::size_t>(which)];
    return MakeStock(std::move(brush));
}

} // namespace

HGDIOBJ AddObject(std::unique_ptr<GdiObject> object) {
    const HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(object.get());
    Objects().emplace(handle, std::move(object));
    return handle;
}

void RemoveObject(HGDIOBJ handle) {
    Objects().erase(handle);
}

SolidBrush* FindBrush(HGDIOBJ handle) {
    return dynamic_cast<SolidBrush*>(FindObject(handle));
}

LogicalPalette* FindPalette(HGDIOBJ handle) {
    return dynamic_cast<LogicalPalette*>(FindObject(handle));
}

Bitmap* FindBitmap(HGDIOBJ handle) {
    return dynamic_cast<Bitmap*>(FindObject(handle));
}

Bitmap& StockBitmap() {
    static Bitmap& bitmap = []() -> Bitmap& {
        auto made = std::make_unique<Bitmap>();
        made->pixels.Reset(1, 1, 32);
        return MakeStock(std::move(made));
    }();
    return bitmap;
}

SolidBrush& StockBrush(int which) {
    static std::array<SolidBrush*, NULL_BRUSH + 1> brushes{};
    SolidBrush*& brush = brushes.at(static_cast<std::size_t>(which));
    if (!brush)
        brush = &MakeStockBrush(which);
    return *brush;
}

// The static colours, as an application finds them before it makes a palette.
LogicalPalette& DefaultPalette() {
    static LogicalPalette& palette = []() -> LogicalPalette& {
        auto made = std::make_unique<LogicalPalette>();
        for (int i = 0; i < 256; ++i)
            if (IsStaticIndex(i))
                made->entries.push_back(StaticColour(i));
        return MakeStock(std::move(made));
    }();
    return palette;
}

} // namespace win::internal

namespace win {

HGDIOBJ GetStockObject(int object) {
    if (object >= WHITE_BRUSH && object <= NULL_BRUSH)
        return internal::AsObject(&internal::StockBrush(object));
    if (object == DEFAULT_PALETTE)
        return internal::AsObject(&internal::DefaultPalette());
    return nullptr;
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    auto brush = std::make_unique<internal::SolidBrush>();
    brush->colour = colour & 0x00FFFFFF;
    return reinterpret_cast<HBRUSH>(internal::AddObject(std::move(brush)));
}

BOOL DeleteObject(HGDIOBJ object) {
    internal::SolidBrush* brush = internal::FindBrush(object);
    internal::LogicalPalette* palette = internal::FindPalette(object);
    internal::Bitmap* bitmap = internal::FindBitmap(object);
    internal::GdiObject* found = brush     ? static_cast<internal::GdiObject*>(brush)
                                 : palette ? static_cast<internal::GdiObject*>(palette)
                                           : bitmap;
    if (!found)
        return FALSE;
    if (found->stock)
        return TRUE;
    if (found->selections > 0)
        return FALSE;
    if (palette)
        internal::ReleaseSystemEntries(*palette);
    internal::RemoveObject(object);
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context)
        return nullptr;
    if (internal::Bitmap* bitmap = internal::FindBitmap(object)) {
        // Only memory contexts take bitmaps, and a bitmap goes into one
        // context at a time (the stock one into any number).
        if (!context->memory || (bitmap->selections > 0 && !bitmap->stock))
            return nullptr;
        internal::Bitmap* previousBitmap = context->bitmap;
        --previousBitmap->selections;
        ++bitmap->selections;
        context->bitmap = bitmap;
        context->target = &bitmap->pixels;
        return internal::AsObject(previousBitmap);
    }
    internal::SolidBrush* brush = internal::FindBrush(object);
    if (!brush)
        return nullptr;
    internal::SolidBrush* previous = context->brush;
    --previous->selections;
    ++brush->selections;
    context->brush = brush;
    return internal::AsObject(previous);
}

} // namespace win
