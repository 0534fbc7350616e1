// A DirectDraw palette: 256 colours that an 8-bit surface is shown with once
// the palette is attached to a primary.
#pragma once

#include "platform/ddraw/ddraw.h"
#include "platform/gdi/systempalette.h"

#include <array>

namespace win::ddraw {

class DirectDraw;

class DirectDrawPalette final : public IDirectDrawPalette {
public:
    static constexpr DWORD kEntries = 256;

    DirectDrawPalette(DirectDraw* owner, const PALETTEENTRY* colours);
    DirectDrawPalette(const DirectDrawPalette&) = delete;
    DirectDrawPalette& operator=(const DirectDrawPalette&) = delete;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, PALETTEENTRY* entries) override;
    HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, const PALETTEENTRY* entries) override;

    const PALETTEENTRY* Colours() const { return colours.data(); }
    // Its DirectDraw object is gone; the palette lives on until released.
    void Orphan() { owner = nullptr; }

private:
    ~DirectDrawPalette();

    DirectDraw* owner;
    ULONG references = 1;
    std::array<PALETTEENTRY, kEntries> colours;
};

} // namespace win::ddraw
