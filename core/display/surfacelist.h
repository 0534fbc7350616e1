// Collecting the surfaces attached to a DirectDraw surface.
#pragma once

#include "platform/ddraw/ddraw.h"

#include <cstdint>

struct DDSurfaceList {
    static constexpr int32_t kCapacity = 16;
    int32_t count = 0;
    win::IDirectDrawSurface* surfaces[kCapacity] = {};
};

// context is a DDSurfaceList; each surface is listed once.
win::HRESULT EnumSurfacesCallback(win::IDirectDrawSurface* surface, win::DDSURFACEDESC* description,
                                  void* context);
