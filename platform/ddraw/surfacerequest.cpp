#include "platform/ddraw/surfacerequest.h"

namespace win::ddraw {
namespace {

SurfaceRequest Failure(HRESULT result) {
    SurfaceRequest request;
    request.result = result;
    return request;
}

// Caps that only DirectDraw itself gives a surface, or that this adapter
// has no surfaces for (off-screen surfaces).
constexpr DWORD kCapsNotAskable = DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER |
                                  DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VISIBLE | DDSCAPS_PALETTE;

} // namespace

SurfaceRequest ReadSurfaceRequest(const DDSURFACEDESC* description, const DisplayMode& mode) {
    if (!description || description->dwSize != sizeof(DDSURFACEDESC) ||
        !(description->dwFlags & DDSD_CAPS))
        return Failure(DDERR_INVALIDPARAMS);
    const DWORD flags = description->dwFlags;
    const DWORD caps = description->ddsCaps.dwCaps;
    const bool primary = caps & DDSCAPS_PRIMARYSURFACE;
    const bool left = caps & DDSCAPS_PRIMARYSURFACELEFT;
    if (!primary && !left)
        return Failure(DDERR_UNSUPPORTED);
    if ((primary && left) || (caps & kCapsNotAskable) ||
        ((caps & DDSCAPS_VIDEOMEMORY) && (caps & DDSCAPS_SYSTEMMEMORY)))
        return Failure(DDERR_INVALIDCAPS);

    // A flip chain needs all three: flipping, a complex surface and a count.
    const bool flip = caps & DDSCAPS_FLIP;
    const bool complex = caps & DDSCAPS_COMPLEX;
    const bool counted = flags & DDSD_BACKBUFFERCOUNT;
    if ((flip || complex || counted) && !(flip && complex && counted && primary))
        return Failure(DDERR_INVALIDCAPS);
    if (counted &&
        (description->dwBackBufferCount == 0 || description->dwBackBufferCount > kMaxBackBuffers))
        return Failure(DDERR_INVALIDPARAMS);

    if (((flags & DDSD_WIDTH) && description->dwWidth != static_cast<DWORD>(mode.width)) ||
        ((flags & DDSD_HEIGHT) && description->dwHeight != static_cast<DWORD>(mode.height)))
        return Failure(DDERR_INVALIDPARAMS);
    if ((flags & DDSD_PIXELFORMAT) &&
        description->ddpfPixelFormat.dwRGBBitCount != static_cast<DWORD>(mode.bitsPerPixel))
        return Failure(DDERR_INVALIDPIXELFORMAT);

    SurfaceRequest request;
    request.kind = primary ? SurfaceKind::Primary : SurfaceKind::LeftPrimary;
    request.backBuffers = counted ? description->dwBackBufferCount : 0;
    request.videoMemory = caps & DDSCAPS_VIDEOMEMORY;
    return request;
}

} // namespace win::ddraw
