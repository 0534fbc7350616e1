#include "plugin/pluginpalette.h"

#include "platform/gdi/palette.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "plugin/plugin.h"

#include <cstddef>
#include <vector>

using namespace win;

HPALETTE CreatePluginPalette(HWND window, pxPalette& shared) {
    constexpr UINT kEntries = 256;
    std::vector<std::byte> memory(sizeof(LOGPALETTE) + (kEntries - 1) * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(memory.data());
    const HWND parent = GetParent(window);
    if (!parent) {
        PluginMessage(window, "ERROR: getting parent window");
        return nullptr;
    }
    const HDC dc = GetDC(parent);
    if (!dc) {
        PluginMessage(window, "ERROR: getting parent device context");
        return nullptr;
    }
    logical->palVersion = 0x300;
    logical->palNumEntries = kEntries;
    GetSystemPaletteEntries(dc, 0, kEntries, logical->palPalEntry);
    ReleaseDC(parent, dc);
    shared.SetCount(static_cast<int>(kEntries));
    for (UINT i = 0; i < kEntries; ++i) {
        const PALETTEENTRY& entry = logical->palPalEntry[i];
        shared[static_cast<int>(i)] = {entry.peRed, entry.peGreen, entry.peBlue};
    }
    const HPALETTE palette = CreatePalette(logical);
    if (!palette)
        PluginMessage(window, "ERROR: CreatePalette failed");
    return palette;
}

UINT RealisePluginPalette(HWND window, HDC dc) {
    PluginState& plugin = ThePlugin();
    if (plugin.screenBitsPerPixel != 8)
        return 0;
    if (!plugin.palette)
        plugin.palette = CreatePluginPalette(window, plugin.sharedPalette);
    if (!plugin.palette)
        return 0;
    SelectPalette(dc, plugin.palette, FALSE);
    const UINT changed = RealizePalette(dc);
    return changed == GDI_ERROR ? 0 : changed;
}
