#include "devices/nuvision.h"

#include <array>

namespace {

// The functions in the order they are resolved into their slots.
constexpr std::array<const char*, 23> functionNames = {
    "_NuVLogInit",
    "_NuVLogMsg",
    "_NuVSetMaxLogLines",
    "_NuVGetLogPriorityLevel",
    "_NuVSetLogPriorityLevel",
    "_NuVDisableStereo",
    "_NuVDisableStereoSurfaceFlipping",
    "_NuVEnableStereo",
    "_NuVEnableStereoSurfaceFlipping",
    "_NuVGetAvailableSurface",
    "_NuVGetRenderingEye",
    "_NuVGetStereoStatus",
    "_NuVGetVersion",
    "_NuVIsFlippingSurface",
    "_NuVPauseStereoFlipping",
    "_NuVQueueRenderedPair",
    "_NuVQueueStereoPair",
    "_NuVResumeStereoFlipping",
    "_NuVReverseStereoGoggles",
    "_NuVSetRenderingSurface",
    "_NuVStereoBlit",
    "_NuVToggleGoggles",
    "_NuVUsePrimaryLeftFlipping",
};

// What a call answers when the driver cannot take it.
constexpr win::LONG notLoaded = NUV_NOT_INSTALLED;

} // namespace

using win::IDirectDrawSurface;
using win::LONG;

NuVisionDriver::NuVisionDriver() : library(functionNames) {}

bool NuVisionDriver::Load() {
    if (loadFailed) {
        return false;
    }
    loadFailed = !library.Load("winspex3d.dll");
    return !loadFailed;
}

void NuVisionDriver::Unload() {
    library.Unload();
}

LONG NuVisionDriver::GetVersion(LONG* major, LONG* minor, LONG* build) const {
    return CALL_DRIVER(library, functionNames, _NuVGetVersion, notLoaded, major, minor, build);
}

LONG NuVisionDriver::EnableStereo(NuVHandle* handle, LONG flags) const {
    return CALL_DRIVER(library, functionNames, _NuVEnableStereo, notLoaded, handle, flags);
}

LONG NuVisionDriver::DisableStereo(NuVHandle handle) const {
    return CALL_DRIVER(library, functionNames, _NuVDisableStereo, notLoaded, handle);
}

LONG NuVisionDriver::EnableStereoSurfaceFlipping(NuVHandle handle, IDirectDrawSurface* primary,
                                                 LONG flags) const {
    return CALL_DRIVER(library, functionNames, _NuVEnableStereoSurfaceFlipping, notLoaded, handle,
                       primary, flags);
}

LONG NuVisionDriver::DisableStereoSurfaceFlipping(NuVHandle handle, LONG restorePrimary) const {
    return CALL_DRIVER(library, functionNames, _NuVDisableStereoSurfaceFlipping, notLoaded, handle,
                       restorePrimary);
}

LONG NuVisionDriver::QueueStereoPair(NuVHandle handle, IDirectDrawSurface* primary,
                                     IDirectDrawSurface* second, LONG wait) const {
    return CALL_DRIVER(library, functionNames, _NuVQueueStereoPair, notLoaded, handle, primary,
                       second, wait);
}

LONG NuVisionDriver::GetStereoStatus(NuVHandle handle, NuVStereoStatus* status) const {
    return CALL_DRIVER(library, functionNames, _NuVGetStereoStatus, notLoaded, handle, status);
}

LONG NuVisionDriver::PauseStereoFlipping(NuVHandle handle, LONG eye, LONG wait) const {
    return CALL_DRIVER(library, functionNames, _NuVPauseStereoFlipping, notLoaded, handle, eye,
                       wait);
}

LONG NuVisionDriver::IsFlippingSurface(NuVHandle handle, IDirectDrawSurface* surface,
                                       win::WORD* answer) const {
    return CALL_DRIVER(library, functionNames, _NuVIsFlippingSurface, notLoaded, handle, surface,
                       answer);
}

LONG NuVisionDriver::ResumeStereoFlipping(NuVHandle handle) const {
    return CALL_DRIVER(library, functionNames, _NuVResumeStereoFlipping, notLoaded, handle);
}

NuVisionDriver& TheNuVisionDriver() {
    static NuVisionDriver driver;
    return driver;
}
