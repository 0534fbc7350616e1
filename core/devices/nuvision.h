// The binding to NuVision's WinSPEX/3D driver ("winspex3d.dll"): loaded once
// for the views, its 23 functions resolved by name, and the calls the view
// makes. Every call answers the driver's status (nuvisionapi.h), or
// NUV_NOT_INSTALLED when the driver is not loaded or lacks the function.
#pragma once

#include "devices/driverlibrary.h"
#include "devices/nuvisionapi.h"

class NuVisionDriver {
public:
    NuVisionDriver();

    // Loads the driver unless it is loaded; a load that failed once is not
    // tried again, so views without the driver do not search for it each time.
    bool Load();
    // Unloads it; a later Load loads it again.
    void Unload();
    bool Loaded() const { return library.Loaded(); }

    win::LONG GetVersion(win::LONG* major, win::LONG* minor, win::LONG* build) const;
    win::LONG EnableStereo(NuVHandle* handle, win::LONG flags) const;
    win::LONG DisableStereo(NuVHandle handle) const;
    win::LONG EnableStereoSurfaceFlipping(NuVHandle handle, win::IDirectDrawSurface* primary,
                                          win::LONG flags) const;
    win::LONG DisableStereoSurfaceFlipping(NuVHandle handle, win::LONG restorePrimary) const;
    win::LONG QueueStereoPair(NuVHandle handle, win::IDirectDrawSurface* primary,
                              win::IDirectDrawSurface* second, win::LONG wait) const;
    // The caller sets status->size first.
    win::LONG GetStereoStatus(NuVHandle handle, NuVStereoStatus* status) const;
    win::LONG PauseStereoFlipping(NuVHandle handle, win::LONG eye, win::LONG wait) const;
    // `answer` gets one of NuVFlippingSurface.
    win::LONG IsFlippingSurface(NuVHandle handle, win::IDirectDrawSurface* surface,
                                win::WORD* answer) const;
    win::LONG ResumeStereoFlipping(NuVHandle handle) const;

private:
    DriverLibrary library;
    bool loadFailed = false;
};

// The one the views share.
NuVisionDriver& TheNuVisionDriver();
