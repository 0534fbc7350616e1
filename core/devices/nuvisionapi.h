// The interface of NuVision's WinSPEX/3D driver ("winspex3d.dll"): the 23
// functions the core resolves by name, their status codes and the stereo
// status record. Every function answers a status, 0 on success.
#pragma once

#include "platform/ddraw/ddraw.h"
#include "platform/win/wintypes.h"

#include <cstddef>

using NuVHandle = win::DWORD;

// The status codes; the names the core logs for them are in nuvisionstatus.h.
// The core answers NUV_NOT_INSTALLED for a call the driver cannot take.
enum NuVStatus : win::LONG {
    NUV_OK = 0,
    NUV_NOT_ENABLED = -1,
    NUV_BAD_PARAMS = -3,
    NUV_ALLOC_FAIL = -4,
    NUV_SURFACES_NOT_FLIPPING = -5,
    NUV_INSUFFICIENT_SURFACES = -6,
    NUV_NO_GOGGLE_TOGGLING = -7,
    NUV_STEREO_PAIR = -8,
    NUV_STEREO_BUSY = -9,
    NUV_WRONG_INSTANCE = -10,
    NUV_SURFACES_NOT_ENABLED = -11,
    NUV_INVALIDATED = -12,
    NUV_QUEUE_FULL = -13,
    NUV_CANT_PAUSE = -14,
    NUV_FREE_RUN_NOT_OPTIONAL = -15,
    NUV_CANT_STOP_AT_EYE = -16,
    NUV_NOT_PAUSED = -17,
    NUV_ALL_SURFACES_BUSY = -18,
    NUV_NOT_INSTALLED = -19,
    NUV_NOT_READY_FOR_QUEUE = -20,
    NUV_PAUSE_CONFLICT = -21,
    NUV_REVERSE_NOT_SUPPORTED = -22,
    NUV_SURFACE_QUEUED = -23,
    NUV_RENDERING_STARTED = -24,
    NUV_RENDERING_NOT_STARTED = -25,
    NUV_RENDERINGS_NOT_DISPLAYED = -26,
    NUV_VXD_ERROR = -27,
    NUV_INVALID_DATABASE = -28,
    NUV_IN_MIDDLE_OF_TEST = -29,
};

// What _NuVGetStereoStatus fills in; the caller sets size first.
struct NuVStereoStatus {
    win::WORD size;
    win::WORD state;
    win::DWORD framesShown;
    win::DWORD reserved[5];
    win::WORD flipping; // 0 while the driver is not flipping the queued pair
    win::WORD reserved2;
};
static_assert(sizeof(NuVStereoStatus) == 32);
static_assert(offsetof(NuVStereoStatus, flipping) == 28);

// _NuVIsFlippingSurface answers one of these for a queued surface.
enum NuVFlippingSurface : win::WORD {
    NUV_SURFACE_LEFT = 2,
    NUV_SURFACE_RIGHT = 3,
    NUV_SURFACE_LEFT_SHOWING = 4,
    NUV_SURFACE_RIGHT_SHOWING = 5,
};

extern "C" {

win::LONG _NuVLogInit(const char* fileName);
win::LONG _NuVLogMsg(win::LONG priority, const char* message);
win::LONG _NuVSetMaxLogLines(win::LONG lines);
win::LONG _NuVGetLogPriorityLevel(win::LONG* level);
win::LONG _NuVSetLogPriorityLevel(win::LONG level);
win::LONG _NuVDisableStereo(NuVHandle handle);
win::LONG _NuVDisableStereoSurfaceFlipping(NuVHandle handle, win::LONG restorePrimary);
win::LONG _NuVEnableStereo(NuVHandle* handle, win::LONG flags);
win::LONG _NuVEnableStereoSurfaceFlipping(NuVHandle handle, win::IDirectDrawSurface* primary,
                                          win::LONG flags);
win::LONG _NuVGetAvailableSurface(NuVHandle handle, win::IDirectDrawSurface** surface);
win::LONG _NuVGetRenderingEye(NuVHandle handle, win::LONG* eye);
win::LONG _NuVGetStereoStatus(NuVHandle handle, NuVStereoStatus* status);
win::LONG _NuVGetVersion(win::LONG* major, win::LONG* minor, win::LONG* build);
win::LONG _NuVIsFlippingSurface(NuVHandle handle, win::IDirectDrawSurface* surface,
                                win::WORD* answer);
win::LONG _NuVPauseStereoFlipping(NuVHandle handle, win::LONG eye, win::LONG wait);
win::LONG _NuVQueueRenderedPair(NuVHandle handle);
win::LONG _NuVQueueStereoPair(NuVHandle handle, win::IDirectDrawSurface* right,
                              win::IDirectDrawSurface* left, win::LONG wait);
win::LONG _NuVResumeStereoFlipping(NuVHandle handle);
win::LONG _NuVReverseStereoGoggles(NuVHandle handle);
win::LONG _NuVSetRenderingSurface(NuVHandle handle, win::IDirectDrawSurface* surface);
win::LONG _NuVStereoBlit(NuVHandle handle, win::IDirectDrawSurface* target,
                         win::IDirectDrawSurface* source);
win::LONG _NuVToggleGoggles(NuVHandle handle);
win::LONG _NuVUsePrimaryLeftFlipping(NuVHandle handle, win::LONG on);
}
