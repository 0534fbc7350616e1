// The DirectDraw object: the cooperative level, the display modes of the
// virtual adapter, the caps, and the palettes and surfaces made from it.
#pragma once

#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/presentation.h"
#include "platform/ddraw/surfacerequest.h"
#include "platform/display/adapter.h"

#include <optional>
#include <vector>

namespace win::ddraw {

class DirectDrawPalette;
class Surface;

class DirectDraw final : public IDirectDraw {
public:
    DirectDraw();
    DirectDraw(const DirectDraw&) = delete;
    DirectDraw& operator=(const DirectDraw&) = delete;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** palette,
                          void* outer) override;
    HRESULT CreateSurface(DDSURFACEDESC* description, IDirectDrawSurface** surface,
                          void* outer) override;
    HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC* pattern, void* context,
                             LPDDENUMMODESCALLBACK callback) override;
    HRESULT GetCaps(DDCAPS* driver, DDCAPS* emulation) override;
    HRESULT GetDisplayMode(DDSURFACEDESC* description) override;
    HRESULT RestoreDisplayMode() override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) override;

    // What the surfaces and palettes tell the object that made them.
    bool Exclusive() const;
    void Forget(Surface* surface);
    void Forget(DirectDrawPalette* palette);
    // Null when the palette was not made here.
    DirectDrawPalette* FindPalette(IDirectDrawPalette* palette) const;
    void PrimaryDrawn() const;
    void PrimaryRestored();
    // A palette was attached or its colours changed.
    void PalettesChanged() const;

private:
    ~DirectDraw();

    HRESULT CheckSurfaceAllowed(const SurfaceRequest& request) const;
    Surface* MakeSurfaces(const SurfaceRequest& request, const DisplayMode& mode);
    bool AnySurfaceLocked() const;
    void LoseSurfaces();
    // Hands the visible primaries to the presentation.
    void Present();
    void FitWindowToMode() const;
    void ChangeMode(const DisplayMode& mode);
    void LeaveExclusiveMode();

    ULONG references = 1;
    DWORD level = 0; // the cooperative level's flags; 0 before it is set
    HWND window = nullptr;
    std::optional<DisplayMode> modeBefore; // what SetDisplayMode first changed
    std::vector<Surface*> surfaces;
    std::vector<DirectDrawPalette*> palettes;
    Surface* primary = nullptr;
    Surface* leftPrimary = nullptr;
    int modeListener = 0;
    Presentation presentation;
};

} // namespace win::ddraw
