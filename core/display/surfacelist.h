// Collecting the surfaces attached to a DirectDraw surface.
#pragma once

#include "platform/ddraw/ddraw.h"

#include <cstdint>

// Holds one reference on each surface listed.
struct DDSurfaceList {
    static constexpr int32_t kCapacity = 16;
    int32_t count = 0;
    win::IDirectDrawSurface* surfaces[kCapacity] = {};
};

// context is a DDSurfaceList; each surface is listed once. The reference
// the enumeration added goes to the list, or is released when the surface
// is not listed.
win::HRESULT EnumSurfacesCallback(win::IDirectDrawSurface* surface, win::DDSURFACEDESC* description,
                                  void* context);
// Releases the list's references and empties it.
void ReleaseListedSurfaces(DDSurfaceList& list);
