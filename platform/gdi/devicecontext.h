// The state behind a device context handle.
#pragma once

#include "platform/gdi/dib.h"
#include "platform/gdi/framebuffer.h"
#include "platform/gdi/gdiobjects.h"
#include "platform/gdi/systempalette.h"
#include "platform/gdi/text.h"
#include "platform/win/wintypes.h"

#include <array>

namespace win::internal {

struct DeviceContext {
    Framebuffer* target = nullptr;
    HWND window = nullptr;
    SolidBrush* brush = nullptr;
    LogicalPalette* palette = nullptr;
    bool paletteInBackground = false;
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF backgroundColour = RGB(255, 255, 255);
    int backgroundMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
    // The system palette as it was when the 8-bit pixels were last drawn:
    // what UpdateColors remaps from.
    std::array<PALETTEENTRY, 256> drawnWith{};
    // A memory device context draws on the bitmap selected into it (target
    // is that bitmap's pixels); its compatible bitmaps have its depth.
    bool memory = false;
    Bitmap* bitmap = nullptr;
    int memoryDepth = 32;
};

// Null when the handle names no live device context.
DeviceContext* FindDeviceContext(HDC dc);

// The framebuffer when its size, depth and pixel store agree (8, 16, 24 or
// 32 bits), else null: nothing is drawn into an inconsistent one.
Framebuffer* DrawableTarget(const DeviceContext& dc);

// After pixels changed: remembers the palette they were drawn with and
// tells the window to show them.
void FinishDrawing(DeviceContext& dc);
// After the system palette changed under a window's pixels.
void ShowAgain(const DeviceContext& dc);

} // namespace win::internal
