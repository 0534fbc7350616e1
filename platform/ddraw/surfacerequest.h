// Reading the surface description a caller hands to CreateSurface: which of
// the surfaces this adapter offers it asks for.
#pragma once

#include "platform/ddraw/ddraw.h"
#include "platform/display/adapter.h"

namespace win::ddraw {

enum class SurfaceKind {
    Primary,     // the primary, alone or as the front buffer of a flip chain
    LeftPrimary, // the left eye's primary of a stereo pair
};

struct SurfaceRequest {
    HRESULT result = DD_OK; // a failure leaves the other fields unset
    SurfaceKind kind = SurfaceKind::Primary;
    DWORD backBuffers = 0; // above 0: a flip chain
    bool videoMemory = false;
};

constexpr DWORD kMaxBackBuffers = 16;

// The description must ask for a primary of the current mode: a width,
// height or pixel format it names must be the mode's.
SurfaceRequest ReadSurfaceRequest(const DDSURFACEDESC* description, const DisplayMode& mode);

} // namespace win::ddraw
