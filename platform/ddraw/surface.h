// A DirectDraw surface: a primary (alone or the front buffer of a flip
// chain), one of the chain's back buffers, or the left primary of a stereo
// pair. Its pixels are a framebuffer of the mode it was made in.
#pragma once

#include "platform/ddraw/ddraw.h"
#include "platform/gdi/framebuffer.h"

#include <vector>

namespace win::ddraw {

class DirectDraw;
class DirectDrawPalette;

class Surface final : public IDirectDrawSurface {
public:
    enum class Role { Primary, BackBuffer, LeftPrimary };

    // Video-memory surfaces give their bytes back when they go. A primary and
    // a left primary start with one reference; a back buffer with none, as it
    // lives with its chain.
    Surface(DirectDraw* owner, Role role, DWORD caps, Framebuffer frame);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT DeleteAttachedSurface(DWORD flags, IDirectDrawSurface* attached) override;
    HRESULT EnumAttachedSurfaces(void* context, LPDDENUMSURFACESCALLBACK callback) override;
    HRESULT Flip(IDirectDrawSurface* target, DWORD flags) override;
    HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached) override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT ReleaseDC(HDC dc) override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC* description) override;
    HRESULT IsLost() override;
    HRESULT Restore() override;
    HRESULT Lock(RECT* rect, DDSURFACEDESC* description, DWORD flags, HANDLE event) override;
    HRESULT Unlock(void* surfaceMemory) override;
    HRESULT SetPalette(IDirectDrawPalette* palette) override;

    // A primary takes its chain's back buffers, front to back.
    void AdoptBackBuffers(std::vector<Surface*> backBuffers);

    const Framebuffer& Frame() const { return frame; }
    DirectDrawPalette* AttachedPalette() const { return palette; }
    bool Lost() const { return lost || Dead(); }
    bool Locked() const { return locked; }
    // The display mode changed under the surface.
    void Lose() { lost = true; }
    // Its DirectDraw object is gone: the surface is lost for good and lives
    // on only until released.
    void Orphan() { owner = nullptr; }

private:
    ~Surface();

    // Lost for good: no DirectDraw object, or a back buffer without its chain.
    bool Dead() const { return !owner || (role == Role::BackBuffer && !front); }
    bool Busy() const { return locked || dc; }
    DDSURFACEDESC Description() const;
    // The one surface attached to this one: the next buffer of its chain.
    Surface* Attached() const;
    // The front buffer followed by the back buffers.
    std::vector<Surface*> Chain();
    // Tells the DirectDraw object that pixels it may show changed.
    void Drawn() const;

    DirectDraw* owner;
    Role role;
    DWORD caps;
    Framebuffer frame;
    ULONG references;
    bool lost = false;
    bool locked = false;
    const void* lockedAt = nullptr;
    HDC dc = nullptr;
    DirectDrawPalette* palette = nullptr;
    Surface* front = nullptr;          // a back buffer's primary
    std::vector<Surface*> backBuffers; // a primary's chain
};

} // namespace win::ddraw
