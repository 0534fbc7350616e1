#include "platform/ddraw/hardwarepalette.h"

#include "platform/display/adapter.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/palette.h"
#include "platform/gdi/windowdc.h"

#include <vector>

namespace win::ddraw {
namespace {

constexpr int kEntries = 256;
constexpr int kStaticAtEachEnd = 10;

} // namespace

// A logical palette of the free entries, each with PC_NOCOLLAPSE, realised in
// the foreground on the screen: every colour takes the next free system
// entry, so colour i lands in system entry i.
void LoadHardwarePalette(const PALETTEENTRY* colours) {
    const HDC screen = internal::CreateFramebufferDC(&internal::ScreenFramebuffer(), nullptr);
    if (!screen)
        return;
    const int reserved = GetSystemPaletteUse(screen) == SYSPAL_NOSTATIC ? 1 : kStaticAtEachEnd;
    const int count = kEntries - 2 * reserved;
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * count);
    auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(count);
    PALETTEENTRY* entries = logical->palPalEntry;
    for (int i = 0; i < count; ++i) {
        entries[i] = colours[reserved + i];
        entries[i].peFlags = PC_NOCOLLAPSE;
    }
    if (const HPALETTE palette = CreatePalette(logical)) {
        const HPALETTE previous = SelectPalette(screen, palette, FALSE);
        RealizePalette(screen);
        SelectPalette(screen, previous, FALSE);
        DeleteObject(palette);
    }
    internal::DeleteFramebufferDC(screen);
}

} // namespace win::ddraw
