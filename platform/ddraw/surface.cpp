#include "platform/ddraw/surface.h"

#include "platform/ddraw/directdraw.h"
#include "platform/ddraw/modedescription.h"
#include "platform/ddraw/palette.h"
#include "platform/ddraw/videomemory.h"
#include "platform/display/adapter.h"
#include "platform/gdi/windowdc.h"

#include <algorithm>
#include <utility>

namespace win::ddraw {

Surface::Surface(DirectDraw* owner, Role role, DWORD caps, Framebuffer frame)
    : owner(owner), role(role), caps(caps), frame(std::move(frame)),
      references(role == Role::BackBuffer ? 0 : 1) {}

// A back buffer that someone still holds outlives its chain, lost for good.
Surface::~Surface() {
    if (owner)
        owner->Forget(this);
    for (Surface* backBuffer : backBuffers) {
        backBuffer->front = nullptr;
        if (backBuffer->references == 0)
            delete backBuffer;
    }
    if (dc)
        internal::DeleteFramebufferDC(dc);
    if (palette)
        palette->Release();
    if (caps & DDSCAPS_VIDEOMEMORY)
        FreeVideoMemory(frame.pixels.size());
}

ULONG Surface::AddRef() {
    return ++references;
}

// Releasing a back buffer that nobody holds any more leaves it to its chain.
ULONG Surface::Release() {
    if (references == 0)
        return 0;
    if (--references > 0 || (role == Role::BackBuffer && front))
        return references;
    delete this;
    return 0;
}

void Surface::AdoptBackBuffers(std::vector<Surface*> chain) {
    backBuffers = std::move(chain);
    for (Surface* backBuffer : backBuffers)
        backBuffer->front = this;
}

DDSURFACEDESC Surface::Description() const {
    DisplayMode shape{frame.width, frame.height, frame.bitsPerPixel, 0};
    DDSURFACEDESC description = DescriptionOf(shape, false);
    description.dwFlags |= DDSD_CAPS;
    description.lPitch = frame.stride;
    description.ddsCaps.dwCaps = caps;
    if (!backBuffers.empty()) {
        description.dwFlags |= DDSD_BACKBUFFERCOUNT;
        description.dwBackBufferCount = static_cast<DWORD>(backBuffers.size());
    }
    return description;
}

Surface* Surface::Attached() const {
    if (role == Role::Primary)
        return backBuffers.empty() ? nullptr : backBuffers.front();
    if (role != Role::BackBuffer || !front)
        return nullptr;
    const std::vector<Surface*>& chain = front->backBuffers;
    const auto at = std::find(chain.begin(), chain.end(), this);
    return at != chain.end() && at + 1 != chain.end() ? *(at + 1) : nullptr;
}

std::vector<Surface*> Surface::Chain() {
    std::vector<Surface*> chain{this};
    chain.insert(chain.end(), backBuffers.begin(), backBuffers.end());
    return chain;
}

void Surface::Drawn() const {
    if (owner && role != Role::BackBuffer)
        owner->PrimaryDrawn();
}

// Attachments made by DirectDraw itself (a flip chain's) cannot be undone.
HRESULT Surface::DeleteAttachedSurface(DWORD flags, IDirectDrawSurface* attached) {
    if (flags != 0)
        return DDERR_INVALIDPARAMS;
    if (Lost())
        return DDERR_SURFACELOST;
    Surface* next = Attached();
    if (!next || (attached && attached != next))
        return DDERR_SURFACENOTATTACHED;
    return DDERR_CANNOTDETACHSURFACE;
}

HRESULT Surface::EnumAttachedSurfaces(void* context, LPDDENUMSURFACESCALLBACK callback) {
    if (!callback)
        return DDERR_INVALIDPARAMS;
    if (Lost())
        return DDERR_SURFACELOST;
    if (DisplayAdapter::Instance().Fails(FailingCall::EnumAttachedSurfaces))
        return DDERR_GENERIC;
    // The callback receives a reference of its own, which it must release.
    if (Surface* next = Attached()) {
        DDSURFACEDESC description = next->Description();
        next->AddRef();
        callback(next, &description, context);
    }
    return DD_OK;
}

HRESULT Surface::GetAttachedSurface(DDSCAPS* wanted, IDirectDrawSurface** attached) {
    if (!wanted || !attached)
        return DDERR_INVALIDPARAMS;
    *attached = nullptr;
    if (Lost())
        return DDERR_SURFACELOST;
    Surface* next = Attached();
    if (!next || (next->caps & wanted->dwCaps) != wanted->dwCaps)
        return DDERR_NOTFOUND;
    next->AddRef();
    *attached = next;
    return DD_OK;
}

// The buffers keep their places in the chain and pass their memory on: the
// front buffer gets the first back buffer's pixels, each back buffer the next
// one's, and the last the old front buffer's (or, with a target, only the
// front buffer and the target exchange theirs).
HRESULT Surface::Flip(IDirectDrawSurface* target, DWORD) {
    if (Lost())
        return DDERR_SURFACELOST;
    if (role != Role::Primary || backBuffers.empty())
        return DDERR_NOTFLIPPABLE;
    if (!owner->Exclusive())
        return DDERR_NOEXCLUSIVEMODE;
    const auto targetAt = std::find(backBuffers.begin(), backBuffers.end(), target);
    if (target && targetAt == backBuffers.end())
        return DDERR_INVALIDPARAMS;
    std::vector<Surface*> chain = Chain();
    if (std::any_of(chain.begin(), chain.end(), [](const Surface* s) { return s->Busy(); }))
        return DDERR_SURFACEBUSY;
    if (target)
        std::swap(frame.pixels, (*targetAt)->frame.pixels);
    else
        for (std::size_t i = 0; i + 1 < chain.size(); ++i)
            std::swap(chain[i]->frame.pixels, chain[i + 1]->frame.pixels);
    Drawn();
    return DD_OK;
}

HRESULT Surface::GetDC(HDC* result) {
    if (!result)
        return DDERR_INVALIDPARAMS;
    *result = nullptr;
    if (Lost())
        return DDERR_SURFACELOST;
    if (dc)
        return DDERR_DCALREADYCREATED;
    if (locked)
        return DDERR_SURFACEBUSY;
    dc = internal::CreateFramebufferDC(&frame, nullptr);
    if (!dc)
        return DDERR_CANTCREATEDC;
    *result = dc;
    return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC given) {
    if (!dc)
        return DDERR_NODC;
    if (given != dc)
        return DDERR_INVALIDPARAMS;
    internal::DeleteFramebufferDC(dc);
    dc = nullptr;
    Drawn();
    return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(DDSURFACEDESC* description) {
    if (!description || description->dwSize != sizeof(DDSURFACEDESC))
        return DDERR_INVALIDPARAMS;
    *description = Description();
    return DD_OK;
}

HRESULT Surface::IsLost() {
    return Lost() ? DDERR_SURFACELOST : DD_OK;
}

// Restoring a primary restores its chain; the memory comes back cleared.
HRESULT Surface::Restore() {
    if (Dead())
        return DDERR_INVALIDOBJECT;
    if (role == Role::BackBuffer)
        return DDERR_IMPLICITLYCREATED;
    if (!lost)
        return DD_OK;
    const DisplayMode mode = DisplayAdapter::Instance().Current();
    if (mode.width != frame.width || mode.height != frame.height ||
        mode.bitsPerPixel != frame.bitsPerPixel)
        return DDERR_WRONGMODE;
    std::vector<Surface*> chain = Chain();
    if (std::any_of(chain.begin(), chain.end(), [](const Surface* s) { return s->Busy(); }))
        return DDERR_SURFACEBUSY;
    for (Surface* surface : chain) {
        surface->frame.Reset(frame.width, frame.height, frame.bitsPerPixel);
        surface->lost = false;
    }
    owner->PrimaryRestored();
    return DD_OK;
}

HRESULT Surface::Lock(RECT* rect, DDSURFACEDESC* description, DWORD, HANDLE) {
    if (!description || description->dwSize != sizeof(DDSURFACEDESC))
        return DDERR_INVALIDPARAMS;
    if (Lost())
        return DDERR_SURFACELOST;
    if (Busy())
        return DDERR_SURFACEBUSY;
    RECT area{0, 0, frame.width, frame.height};
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || rect->right > frame.width || rect->bottom > frame.height)
            return DDERR_INVALIDRECT;
        area = *rect;
    }
    *description = Description();
    description->dwFlags |= DDSD_LPSURFACE;
    description->lpSurface = frame.Row(area.top) + area.left * frame.BytesPerPixel();
    locked = true;
    lockedAt = description->lpSurface;
    return DD_OK;
}

HRESULT Surface::Unlock(void* surfaceMemory) {
    if (!locked)
        return DDERR_NOTLOCKED;
    if (surfaceMemory && surfaceMemory != lockedAt)
        return DDERR_INVALIDPARAMS;
    locked = false;
    lockedAt = nullptr;
    Drawn();
    return DD_OK;
}

HRESULT Surface::SetPalette(IDirectDrawPalette* given) {
    if (Lost())
        return DDERR_SURFACELOST;
    DirectDrawPalette* found = nullptr;
    if (given) {
        found = owner->FindPalette(given);
        if (!found)
            return DDERR_INVALIDOBJECT;
        if (frame.bitsPerPixel != 8)
            return DDERR_NOTPALETTIZED;
        found->AddRef();
    }
    if (palette)
        palette->Release();
    palette = found;
    owner->PalettesChanged();
    return DD_OK;
}

} // namespace win::ddraw
