#include "platform/ddraw/directdraw.h"

#include "platform/ddraw/hardwarepalette.h"
#include "platform/ddraw/modedescription.h"
#include "platform/ddraw/palette.h"
#include "platform/ddraw/surface.h"
#include "platform/ddraw/videomemory.h"
#include "platform/win/window.h"

#include <algorithm>
#include <memory>
#include <new>

namespace win::ddraw {
namespace {

// One object of the process may hold the display exclusively.
DirectDraw* exclusiveOwner = nullptr;

constexpr DWORD kKnownLevels = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES |
                               DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;

// The surfaces the adapter makes, in either kind of memory.
constexpr DWORD kOfferedSurfaceCaps = DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX | DDSCAPS_FLIP |
                                      DDSCAPS_FRONTBUFFER | DDSCAPS_PALETTE |
                                      DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE;

HRESULT CheckLevel(HWND window, DWORD flags) {
    const bool normal = flags & DDSCL_NORMAL;
    const bool exclusive = flags & DDSCL_EXCLUSIVE;
    const bool fullScreen = flags & DDSCL_FULLSCREEN;
    if ((flags & ~kKnownLevels) || normal == exclusive || exclusive != fullScreen ||
        ((flags & DDSCL_ALLOWMODEX) && !exclusive) || (exclusive && !window) ||
        (window && !IsWindow(window)))
        return DDERR_INVALIDPARAMS;
    return DD_OK;
}

// The driver has the adapter's video memory and, with hardware stereo, the
// left primary; the emulation layer works in system memory only.
void DescribeCaps(DDCAPS& caps, bool driver) {
    const bool stereo = driver && DisplayAdapter::Instance().HardwareStereo();
    caps = DDCAPS{};
    caps.dwCaps = DDCAPS_PALETTE | (stereo ? DDCAPS_STEREOVIEW : 0);
    caps.dwPalCaps = DDPCAPS_8BIT | DDPCAPS_PRIMARYSURFACE;
    caps.dwSVCaps = stereo ? DDSVCAPS_FLICKER : 0;
    caps.ddsCaps.dwCaps = kOfferedSurfaceCaps |
                          (driver ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY) |
                          (stereo ? DDSCAPS_PRIMARYSURFACELEFT : 0);
    if (driver) {
        caps.dwVidMemTotal = DisplayAdapter::Instance().VideoMemoryBytes();
        caps.dwVidMemFree = static_cast<DWORD>(VideoMemoryFree());
    }
}

// The call an adapter profile names to make this creation fail.
FailingCall CreationCall(const SurfaceRequest& request) {
    if (request.kind == SurfaceKind::LeftPrimary)
        return FailingCall::CreateLeftPrimary;
    return request.backBuffers > 0 ? FailingCall::CreateFlipChain : FailingCall::CreatePrimary;
}

} // namespace

DirectDraw::DirectDraw() {
    modeListener = DisplayAdapter::Instance().AddModeListener([this] { LoseSurfaces(); });
}

// Surfaces and palettes still held elsewhere outlive the object, lost.
DirectDraw::~DirectDraw() {
    presentation.Show(nullptr, nullptr, nullptr);
    for (Surface* surface : surfaces)
        surface->Orphan();
    for (DirectDrawPalette* palette : palettes)
        palette->Orphan();
    DisplayAdapter::Instance().RemoveModeListener(modeListener);
    LeaveExclusiveMode();
}

ULONG DirectDraw::AddRef() {
    return ++references;
}

ULONG DirectDraw::Release() {
    if (--references > 0)
        return references;
    delete this;
    return 0;
}

bool DirectDraw::Exclusive() const {
    return exclusiveOwner == this;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND newWindow, DWORD flags) {
    if (const HRESULT checked = CheckLevel(newWindow, flags); FAILED(checked))
        return checked;
    const bool exclusive = flags & DDSCL_EXCLUSIVE;
    if (exclusive && exclusiveOwner && !Exclusive())
        return DDERR_EXCLUSIVEMODEALREADYSET;
    if (window && newWindow != window && (!surfaces.empty() || !palettes.empty()))
        return DDERR_HWNDALREADYSET;
    if (!exclusive)
        LeaveExclusiveMode();
    else
        exclusiveOwner = this;
    level = flags;
    window = newWindow;
    FitWindowToMode();
    Present();
    PalettesChanged();
    return DD_OK;
}

// Giving up the display gives the desktop its mode back.
void DirectDraw::LeaveExclusiveMode() {
    if (!Exclusive())
        return;
    if (modeBefore)
        ChangeMode(*modeBefore);
    modeBefore.reset();
    exclusiveOwner = nullptr;
}

// A full-screen exclusive window covers the screen in every mode.
void DirectDraw::FitWindowToMode() const {
    if (!Exclusive() || (level & DDSCL_NOWINDOWCHANGES))
        return;
    const DisplayMode mode = DisplayAdapter::Instance().Current();
    SetWindowPos(window, HWND_TOPMOST, 0, 0, mode.width, mode.height, SWP_SHOWWINDOW);
}

void DirectDraw::ChangeMode(const DisplayMode& mode) {
    DisplayAdapter::Instance().SetCurrent(mode);
}

HRESULT DirectDraw::EnumDisplayModes(DWORD flags, DDSURFACEDESC* pattern, void* context,
                                     LPDDENUMMODESCALLBACK callback) {
    if (!callback || (flags & ~(DDEDM_REFRESHRATES | DDEDM_STANDARDVGAMODES)) ||
        (pattern && pattern->dwSize != sizeof(DDSURFACEDESC)))
        return DDERR_INVALIDPARAMS;
    const bool withRefresh = flags & DDEDM_REFRESHRATES;
    std::vector<DisplayMode> told;
    for (const DisplayMode& listed : DisplayAdapter::Instance().Modes()) {
        DisplayMode mode = listed;
        if (!withRefresh)
            mode.refresh = 0; // one call per size and depth
        if (std::find(told.begin(), told.end(), mode) != told.end() ||
            (pattern && !MatchesPattern(*pattern, listed)))
            continue;
        told.push_back(mode);
        DDSURFACEDESC description = DescriptionOf(mode, withRefresh);
        if (callback(&description, context) != DDENUMRET_OK)
            break;
    }
    return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(DDSURFACEDESC* description) {
    if (!description || description->dwSize != sizeof(DDSURFACEDESC))
        return DDERR_INVALIDPARAMS;
    *description = DescriptionOf(DisplayAdapter::Instance().Current(), true);
    return DD_OK;
}

// The refresh rate stays when only it would differ; otherwise the first
// listed rate of that size and depth is taken.
HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
    if (!Exclusive())
        return DDERR_NOEXCLUSIVEMODE;
    if (AnySurfaceLocked())
        return DDERR_LOCKEDSURFACES;
    const DisplayAdapter& adapter = DisplayAdapter::Instance();
    const DisplayMode current = adapter.Current();
    const bool sameFrame = static_cast<DWORD>(current.width) == width &&
                           static_cast<DWORD>(current.height) == height &&
                           static_cast<DWORD>(current.bitsPerPixel) == bitsPerPixel;
    const DisplayMode* found =
        sameFrame ? &current
                  : adapter.FindMode(static_cast<int>(width), static_cast<int>(height),
                                     static_cast<int>(bitsPerPixel), 0);
    if (!found)
        return DDERR_INVALIDMODE;
    if (adapter.Refuses(RefusedCall::SetDisplayMode, *found))
        return DDERR_UNSUPPORTEDMODE;
    const DisplayMode mode = *found;
    if (!modeBefore)
        modeBefore = current;
    ChangeMode(mode);
    FitWindowToMode();
    return DD_OK;
}

HRESULT DirectDraw::RestoreDisplayMode() {
    if (!Exclusive())
        return DDERR_NOEXCLUSIVEMODE;
    if (AnySurfaceLocked())
        return DDERR_LOCKEDSURFACES;
    if (modeBefore)
        ChangeMode(*modeBefore);
    modeBefore.reset();
    FitWindowToMode();
    return DD_OK;
}

HRESULT DirectDraw::GetCaps(DDCAPS* driver, DDCAPS* emulation) {
    if ((!driver && !emulation) || (driver && driver->dwSize != sizeof(DDCAPS)) ||
        (emulation && emulation->dwSize != sizeof(DDCAPS)))
        return DDERR_INVALIDPARAMS;
    if (DisplayAdapter::Instance().Fails(FailingCall::GetCaps))
        return DDERR_GENERIC;
    if (driver)
        DescribeCaps(*driver, true);
    if (emulation)
        DescribeCaps(*emulation, false);
    return DD_OK;
}

HRESULT DirectDraw::CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** palette,
                                  void* outer) {
    if (!palette)
        return DDERR_INVALIDPARAMS;
    *palette = nullptr;
    if (outer || !entries)
        return DDERR_INVALIDPARAMS;
    if (level == 0)
        return DDERR_NOCOOPERATIVELEVELSET;
    if (flags & (DDPCAPS_4BIT | DDPCAPS_8BITENTRIES))
        return DDERR_UNSUPPORTED;
    if (!(flags & DDPCAPS_8BIT))
        return DDERR_INVALIDPARAMS;
    try {
        auto* made = new DirectDrawPalette(this, entries);
        palettes.push_back(made);
        *palette = made;
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
    return DD_OK;
}

HRESULT DirectDraw::CheckSurfaceAllowed(const SurfaceRequest& request) const {
    const bool left = request.kind == SurfaceKind::LeftPrimary;
    if ((left || request.backBuffers > 0) && !Exclusive())
        return DDERR_NOEXCLUSIVEMODE;
    if (left && !DisplayAdapter::Instance().HardwareStereo())
        return DDERR_INVALIDCAPS;
    if (left ? leftPrimary != nullptr : primary != nullptr)
        return DDERR_PRIMARYSURFACEALREADYEXISTS;
    return DD_OK;
}

HRESULT DirectDraw::CreateSurface(DDSURFACEDESC* description, IDirectDrawSurface** surface,
                                  void* outer) {
    if (!surface)
        return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (outer)
        return DDERR_INVALIDPARAMS;
    if (level == 0)
        return DDERR_NOCOOPERATIVELEVELSET;
    const DisplayMode mode = DisplayAdapter::Instance().Current();
    const SurfaceRequest request = ReadSurfaceRequest(description, mode);
    if (FAILED(request.result))
        return request.result;
    if (const HRESULT allowed = CheckSurfaceAllowed(request); FAILED(allowed))
        return allowed;
    if (DisplayAdapter::Instance().Fails(CreationCall(request)))
        return DDERR_GENERIC;
    try {
        Surface* made = MakeSurfaces(request, mode);
        if (!made)
            return DDERR_OUTOFVIDEOMEMORY;
        *surface = made;
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
    Present();
    PalettesChanged();
    return DD_OK;
}

// The whole chain must fit into video memory when it asks for it; otherwise
// it lives in system memory. Null when the video memory is short.
Surface* DirectDraw::MakeSurfaces(const SurfaceRequest& request, const DisplayMode& mode) {
    const DWORD memory = request.videoMemory ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
    const bool chain = request.backBuffers > 0;
    std::vector<Framebuffer> frames(1 + request.backBuffers,
                                    Framebuffer(mode.width, mode.height, mode.bitsPerPixel));
    const std::size_t bytes = frames.size() * frames.front().pixels.size();
    if (request.videoMemory && !ReserveVideoMemory(bytes))
        return nullptr;

    const bool left = request.kind == SurfaceKind::LeftPrimary;
    const DWORD frontCaps = (left ? DDSCAPS_PRIMARYSURFACELEFT : DDSCAPS_PRIMARYSURFACE) |
                            DDSCAPS_VISIBLE | memory |
                            (chain ? DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_FRONTBUFFER : 0);
    auto* front = new Surface(this, left ? Surface::Role::LeftPrimary : Surface::Role::Primary,
                              frontCaps, std::move(frames.front()));
    surfaces.push_back(front);
    std::vector<Surface*> backBuffers;
    for (std::size_t i = 1; i < frames.size(); ++i) {
        const DWORD caps =
            DDSCAPS_FLIP | DDSCAPS_COMPLEX | memory | (i == 1 ? DDSCAPS_BACKBUFFER : 0);
        backBuffers.push_back(
            new Surface(this, Surface::Role::BackBuffer, caps, std::move(frames[i])));
        surfaces.push_back(backBuffers.back());
    }
    front->AdoptBackBuffers(std::move(backBuffers));
    (left ? leftPrimary : primary) = front;
    return front;
}

void DirectDraw::Forget(Surface* surface) {
    surfaces.erase(std::remove(surfaces.begin(), surfaces.end(), surface), surfaces.end());
    if (surface == primary)
        primary = nullptr;
    if (surface == leftPrimary)
        leftPrimary = nullptr;
    Present();
}

void DirectDraw::Forget(DirectDrawPalette* palette) {
    palettes.erase(std::remove(palettes.begin(), palettes.end(), palette), palettes.end());
}

DirectDrawPalette* DirectDraw::FindPalette(IDirectDrawPalette* palette) const {
    for (DirectDrawPalette* made : palettes)
        if (static_cast<IDirectDrawPalette*>(made) == palette)
            return made;
    return nullptr;
}

bool DirectDraw::AnySurfaceLocked() const {
    return std::any_of(surfaces.begin(), surfaces.end(),
                       [](const Surface* surface) { return surface->Locked(); });
}

// Every mode change loses every surface, whoever changed the mode.
void DirectDraw::LoseSurfaces() {
    for (Surface* surface : surfaces)
        surface->Lose();
    Present();
}

void DirectDraw::Present() {
    const auto visible = [](const Surface* surface) {
        return surface && !surface->Lost() ? &surface->Frame() : nullptr;
    };
    presentation.Show(Exclusive() ? window : nullptr, visible(primary), visible(leftPrimary));
}

void DirectDraw::PrimaryDrawn() const {
    presentation.Repaint();
}

void DirectDraw::PrimaryRestored() {
    Present();
    PalettesChanged();
}

// The right primary's palette wins over the left one's.
void DirectDraw::PalettesChanged() const {
    if (!Exclusive() || DisplayAdapter::Instance().Current().bitsPerPixel != 8)
        return;
    for (const Surface* surface : {primary, leftPrimary}) {
        if (surface && !surface->Lost() && surface->AttachedPalette()) {
            LoadHardwarePalette(surface->AttachedPalette()->Colours());
            presentation.Repaint();
            return;
        }
    }
}

} // namespace win::ddraw
