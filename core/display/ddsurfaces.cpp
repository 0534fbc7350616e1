// The DirectDraw side of the display window: the object, the exclusive
// full-screen mode and the surfaces each arrangement needs.
#include "display/directdraw.h"
#include "display/handlebits.h"
#include "display/surfacelist.h"
#include "display/windisp.h"

#include "imaging/pxerror.h"

namespace {

int Int(int32_t value) {
    return static_cast<int>(value);
}

win::DDSURFACEDESC PrimaryDescription(win::DWORD caps) {
    win::DDSURFACEDESC description{};
    description.dwFlags = win::DDSD_CAPS;
    description.ddsCaps.dwCaps = caps;
    return description;
}

} // namespace

bool WinDisp::DDInit() {
    directDraw = CreateDirectDraw(&directDrawLibrary);
    if (!directDraw) {
        pxLog("WinDisp::DDInit -- CreateDirectDraw failed!");
        return false;
    }
    primarySurface = nullptr;
    secondSurface = nullptr;
    const win::HRESULT result = directDraw->SetCooperativeLevel(
        window, win::DDSCL_FULLSCREEN | win::DDSCL_EXCLUSIVE | win::DDSCL_ALLOWMODEX);
    if (win::FAILED(result)) {
        pxLog("WinDisp::DDInit -- ERROR on SetCooperativeLevel(%x, ...) [%d]", HandleBits(window),
              Int(result));
        LogDDError(result);
        // Nothing may keep an object that was never set up.
        DDTerm();
        return false;
    }
    return true;
}

bool WinDisp::DDSetMode(int32_t width, int32_t height, int32_t bits) {
    const win::HRESULT result =
        directDraw->SetDisplayMode(static_cast<win::DWORD>(width), static_cast<win::DWORD>(height),
                                   static_cast<win::DWORD>(bits));
    if (win::FAILED(result))
        LogDDError(result);
    return win::SUCCEEDED(result);
}

void WinDisp::ReleaseSurfaces() {
    DestroySurface(primarySurface);
    if (secondSurfaceOwned)
        DestroySurface(secondSurface);
    // A flip chain's back buffer went with its primary.
    secondSurface = nullptr;
    secondSurfaceOwned = false;
}

void WinDisp::DDTerm() {
    ReleaseSurfaces();
    if (ddPalette) {
        ddPalette->Release();
        ddPalette = nullptr;
    }
    ReleaseDirectDraw(directDraw, directDrawLibrary);
    directDraw = nullptr;
    directDrawLibrary = nullptr;
}

void WinDisp::DropSurfaces() {
    if (surfType == DDSurfFlipChain && primarySurface) {
        primarySurface->DeleteAttachedSurface(0, nullptr);
        secondSurface = nullptr;
    }
    ReleaseSurfaces();
}

void WinDisp::DestroySurface(win::IDirectDrawSurface*& surface) {
    if (!surface)
        return;
    while (surface->Release() > 0) {
    }
    surface = nullptr;
}

win::HRESULT WinDisp::CreateSurface(win::IDirectDrawSurface** surface,
                                    win::DDSURFACEDESC* description) {
    const char* problem = nullptr;
    if (!directDraw)
        problem = "DirectDraw object not valid!";
    else if (!surface)
        problem = "DirectDraw surface not valid!";
    else if (!description)
        problem = "DirectDraw surface description not valid!";
    if (problem) {
        pxLog("WinDisp::CreateSurface -- %s", problem);
        throw pxError("%s", problem);
    }
    return directDraw->CreateSurface(description, surface, nullptr);
}

bool WinDisp::CanDoHardwarePageFlipping() {
    if (!directDraw) {
        pxLog("WinDisp::CanDoHardwarePageFlipping -- DirectDraw object is not valid!");
        return false;
    }
    win::DDCAPS driver{};
    win::DDCAPS emulation{};
    const win::HRESULT result = directDraw->GetCaps(&driver, &emulation);
    if (win::FAILED(result)) {
        pxLog("WinDisp::CanDoHardwarePageFlipping -- error getting DirectDraw caps");
        LogDDError(result);
        driver = win::DDCAPS{};
    }
    return (driver.dwCaps & win::DDCAPS_STEREOVIEW) != 0 ||
           (driver.dwSVCaps & win::DDSVCAPS_FLICKER) != 0;
}

void WinDisp::ThrowSetupError(const pxError& error) {
    if (beingCreated)
        DDTerm();
    throw error;
}

int32_t WinDisp::SetupDDSurfaces(int32_t width, int32_t height, int32_t bits, int32_t newSurfType) {
    switch (newSurfType) {
    case DDSurfSingle:
        SetupSinglePrimary(width, height, bits);
        break;
    case DDSurfFlipChain:
        SetupFlipChain(width, height, bits);
        break;
    case DDSurfStereoPair:
        SetupStereoPair(width, height, bits);
        break;
    default: {
        const pxError error("Unknown surface type (%d)", Int(newSurfType));
        pxLog("WinDisp::SetupDDSurfaces -- %s", error.GetMessage());
        throw error;
    }
    }
    surfType = newSurfType;
    return 1;
}

void WinDisp::SetupSinglePrimary(int32_t width, int32_t height, int32_t bits) {
    win::DDSURFACEDESC description =
        PrimaryDescription(win::DDSCAPS_PRIMARYSURFACE | win::DDSCAPS_VIDEOMEMORY);
    win::HRESULT result = CreateSurface(&primarySurface, &description);
    if (result == win::DDERR_OUTOFVIDEOMEMORY || result == win::DDERR_NODIRECTDRAWHW) {
        description = PrimaryDescription(win::DDSCAPS_PRIMARYSURFACE);
        result = CreateSurface(&primarySurface, &description);
    }
    if (win::FAILED(result)) {
        pxLog("WinDisp::SetupDDSurfaces -- CreateSurface failed! (%dx%dx%d) %d", Int(width),
              Int(height), Int(bits), Int(result));
        LogDDError(result);
        throw pxError("ERROR: Creating DirectDraw Surface for %dx%dx%d.  Please locate a "
                      "tamber.log file for details.",
                      Int(width), Int(height), Int(bits));
    }
}

void WinDisp::CreateRightPrimary(win::DDSURFACEDESC& description, int32_t width, int32_t height,
                                 int32_t bits, const char* failure) {
    const win::HRESULT result = CreateSurface(&primarySurface, &description);
    if (result == win::DDERR_OUTOFVIDEOMEMORY) {
        pxLog("WinDisp::SetupDDSurfaces -- Creating primary (right) surface.  Not enough video "
              "memory (%dx%dx%d)",
              Int(width), Int(height), Int(bits));
        ThrowSetupError(pxError("ERROR: Creating right flipping surface.  Not enough video "
                                "memory!\nTry a lower resolution and/or color depth.\nAttempted "
                                "resolution was: %dx%dx%d",
                                Int(width), Int(height), Int(bits)));
    }
    if (win::FAILED(result)) {
        pxLog("WinDisp::SetupDDSurfaces -- Creating primary (right) surface failed. (%dx%dx%d) %d",
              Int(width), Int(height), Int(bits), Int(result));
        LogDDError(result);
        ThrowSetupError(pxError("%s%dx%dx%d", failure, Int(width), Int(height), Int(bits)));
    }
}

void WinDisp::SetupFlipChain(int32_t width, int32_t height, int32_t bits) {
    win::DDSURFACEDESC description =
        PrimaryDescription(win::DDSCAPS_PRIMARYSURFACE | win::DDSCAPS_FLIP | win::DDSCAPS_COMPLEX |
                           win::DDSCAPS_VIDEOMEMORY);
    description.dwFlags |= win::DDSD_BACKBUFFERCOUNT;
    description.dwBackBufferCount = 1;
    CreateRightPrimary(description, width, height, bits,
                       "ERROR: Creating right flipping surface.\nAttempted resolution was: ");

    DDSurfaceList attached;
    const win::HRESULT result =
        primarySurface->EnumAttachedSurfaces(&attached, EnumSurfacesCallback);
    // The back buffer lives as long as its chain: the second surface holds no
    // reference of its own.
    win::IDirectDrawSurface* backBuffer =
        attached.count > 0 ? attached.surfaces[attached.count - 1] : nullptr;
    ReleaseListedSurfaces(attached);
    if (win::FAILED(result)) {
        pxLog("WinDisp::SetupDDSurfaces -- Enumeration of primary (right) surface failed");
        pxLog("WinDisp::SetupDDSurfaces -- Could not create left flipping surface. (%dx%dx%d) %d",
              Int(width), Int(height), Int(bits), Int(result));
        LogDDError(result);
        ThrowSetupError(pxError("ERROR: Creating left flipping surface.  Attempted resolution "
                                "was: %dx%dx%d",
                                Int(width), Int(height), Int(bits)));
    }
    secondSurface = backBuffer;
    secondSurfaceOwned = false;
}

void WinDisp::SetupStereoPair(int32_t width, int32_t height, int32_t bits) {
    constexpr const char* kNoHardwareFlipping =
        "ERROR: Creating flipping surface.\n  Perhaps your video adapter does not support "
        "hardware page flipping?\nAttempted resolution was: ";
    if (!CanDoHardwarePageFlipping())
        ThrowSetupError(pxError("ERROR: Creating DirectDraw page flipping surface.\n\nYour "
                                "display adapter/driver does not support hardware page flipping"));
    win::DDSURFACEDESC right =
        PrimaryDescription(win::DDSCAPS_PRIMARYSURFACE | win::DDSCAPS_VIDEOMEMORY);
    CreateRightPrimary(right, width, height, bits, kNoHardwareFlipping);

    win::DDSURFACEDESC left =
        PrimaryDescription(win::DDSCAPS_PRIMARYSURFACELEFT | win::DDSCAPS_VIDEOMEMORY);
    left.dwFlags |= win::DDSD_HEIGHT | win::DDSD_WIDTH;
    left.dwWidth = static_cast<win::DWORD>(width);
    left.dwHeight = static_cast<win::DWORD>(height);
    const win::HRESULT result = CreateSurface(&secondSurface, &left);
    if (result == win::DDERR_OUTOFVIDEOMEMORY) {
        pxLog("WinDisp::SetupDDSurfaces -- Creating PRIMARYLEFT (left) surface.  Not enough video "
              "memory (%dx%dx%d)",
              Int(width), Int(height), Int(bits));
        ThrowSetupError(pxError("ERROR: Creating left flipping surface.  Not enough video "
                                "memory!\nTry a lower resolution and/or color depth.\nAttempted "
                                "resolution was: %dx%dx%d",
                                Int(width), Int(height), Int(bits)));
    }
    if (win::FAILED(result)) {
        pxLog("WinDisp::SetupDDSurfaces -- Creating PRIMARYLEFT (left) surface failed. (%dx%dx%d) "
              "%d",
              Int(width), Int(height), Int(bits), Int(result));
        LogDDError(result);
        ThrowSetupError(
            pxError("%s%dx%dx%d", kNoHardwareFlipping, Int(width), Int(height), Int(bits)));
    }
    secondSurfaceOwned = true;
}
