// Loading a 256-colour palette into GDI or DirectDraw while keeping the
// system's reserved colours.
#include "display/directdraw.h"
#include "display/sharedpalette.h"
#include "display/windisp.h"

#include "imaging/pxerror.h"
#include "platform/gdi/gdi.h"
#include "platform/win/paint.h"

#include <algorithm>

namespace {

// Fills the shared record from the palette: under SYSPAL_NOSTATIC every
// entry but black at 0 and white at 255; otherwise the reserved system
// colours stay at both ends. Entries the palette lacks are black.
void FillPaletteRecord(win::HDC dc, const pxPalette& palette, win::BYTE flags) {
    win::PALETTEENTRY* entries = SharedPaletteEntries();
    const auto fromPalette = [&](int index) {
        const pxColor colour = index < palette.GetCount() ? palette[index] : pxColor{};
        entries[index] = {colour.red, colour.green, colour.blue, flags};
    };
    if (win::GetSystemPaletteUse(dc) == win::SYSPAL_NOSTATIC) {
        for (int i = 0; i < kPaletteEntries; ++i)
            fromPalette(i);
        entries[0] = {0, 0, 0, 0};
        entries[kPaletteEntries - 1] = {255, 255, 255, 0};
        return;
    }
    const int reserved =
        std::clamp(win::GetDeviceCaps(dc, win::NUMRESERVED) / 2, 0, kPaletteEntries / 2);
    win::GetSystemPaletteEntries(dc, 0, kPaletteEntries, entries);
    for (int i = 0; i < reserved; ++i) {
        entries[i].peFlags = 0;
        entries[kPaletteEntries - 1 - i].peFlags = 0;
    }
    for (int i = reserved; i < kPaletteEntries - reserved; ++i)
        fromPalette(i);
}

} // namespace

void WinDisp::SetPalette(const pxPalette& palette) {
    ClearSystemPalette();
    if (directDrawInUse)
        SetPaletteDD(palette);
    else
        SetPaletteGDI(palette);
}

void WinDisp::ClearSystemPalette() {
    win::PALETTEENTRY* entries = SharedPaletteEntries();
    std::fill(entries, entries + kPaletteEntries, win::PALETTEENTRY{0, 0, 0, win::PC_NOCOLLAPSE});
    if (directDrawInUse)
        return;
    const win::HDC screen = win::GetDC(nullptr);
    const win::HPALETTE cleared = win::CreatePalette(SharedPalette());
    const win::HPALETTE previous = win::SelectPalette(screen, cleared, win::FALSE);
    win::RealizePalette(screen);
    win::SelectPalette(screen, previous, win::FALSE);
    win::DeleteObject(cleared);
    win::ReleaseDC(nullptr, screen);
}

void WinDisp::SetPaletteGDI(const pxPalette& palette) {
    if (palette.GetCount() != kPaletteEntries)
        throw pxError("Palette must be 256 entries long to use SetPalette");
    FillPaletteRecord(dc, palette, win::PC_NOCOLLAPSE);
    SelectGdiPaletteFromRecord();
}

void WinDisp::SetPaletteDD(const pxPalette& palette) {
    if (displayBpp != 1 || !ddPalette)
        return;
    const win::HDC screen = win::GetDC(nullptr);
    FillPaletteRecord(screen, palette, 0);
    win::HRESULT result = ddPalette->SetEntries(0, 0, kPaletteEntries, SharedPaletteEntries());
    if (win::FAILED(result)) {
        pxLog("SetEntries failed for direct draw palette!");
        LogDDError(result);
    }
    result = primarySurface ? primarySurface->SetPalette(ddPalette) : win::DDERR_INVALIDOBJECT;
    if (win::FAILED(result)) {
        pxLog("SetPalette failed on right surface!");
        LogDDError(result);
    }
    if (secondSurface) {
        result = secondSurface->SetPalette(ddPalette);
        if (win::FAILED(result)) {
            pxLog("SetPalette failed on left surface!");
            LogDDError(result);
        }
    }
    win::ReleaseDC(nullptr, screen);
}
