// The objects behind brush and palette handles, and the table of live ones,
// so that a stale or foreign handle is refused instead of followed.
#pragma once

#include "platform/gdi/framebuffer.h"
#include "platform/gdi/systempalette.h"
#include "platform/win/wintypes.h"

#include <memory>
#include <vector>

namespace win::internal {

struct GdiObject {
    virtual ~GdiObject() = default;
    bool stock = false;
    int selections = 0; // device contexts it is selected into
};

struct SolidBrush final : GdiObject {
    COLORREF colour = 0;
    bool hollow = false;
};

struct LogicalPalette final : GdiObject {
    std::vector<PALETTEENTRY> entries;
    // The system palette entry of each entry since the latest realisation;
    // empty before the first.
    std::vector<int> systemIndex;
};

// A device-dependent bitmap: pixels as a framebuffer of its depth. It is
// selected into at most one memory device context at a time.
struct Bitmap final : GdiObject {
    Framebuffer pixels;
};

HGDIOBJ AddObject(std::unique_ptr<GdiObject> object);
void RemoveObject(HGDIOBJ handle);
// Null when the handle names no live object of that kind.
SolidBrush* FindBrush(HGDIOBJ handle);
LogicalPalette* FindPalette(HGDIOBJ handle);
Bitmap* FindBitmap(HGDIOBJ handle);

template <typename Handle> HGDIOBJ AsObject(Handle handle) {
    return reinterpret_cast<HGDIOBJ>(handle);
}

SolidBrush& StockBrush(int which);
LogicalPalette& DefaultPalette();
// The 1 x 1 bitmap a memory device context starts with.
Bitmap& StockBitmap();

} // namespace win::internal
