#include "devices/modeavailability.h"

#include "devices/ospi.h"
#include "devices/tessel.h"
#include "devices/tesselprobe.h"
#include "imaging/pxerror.h"
#include "stereo/stereomethods.h"

namespace {

bool TesselHasMode(int width, int height) {
    if (!TesselClassicInstalled()) {
        pxLog("IsStereoModeAvailable:  Tessel is not installed");
        return false;
    }
    const TesselDevice device;
    if (const win::LONG status = device.Status(); status != 0) {
        pxLog("IsStereoModeAvailable: ERROR initializing classic pack: %d",
              static_cast<int>(status));
        return false;
    }
    return device.HasMode(width, height);
}

// The interface stays open once a usable mode is found, for the display
// set-up that follows; opened only for the question, it is closed again.
// A failed open leaves its own status, not "not initialised", so it is the
// missing device, not the status, that asks for another try.
bool OspiHasMode(int width, int height, int bitsPerPixel) {
    OspiInterface& ospi = TheOspiInterface();
    bool openedHere = false;
    if (!ospi.Handle()) {
        if (ospi.Init(OSPI_RENDER_DIRECTDRAW) != OSPI_OK) {
            pxLog("IsStereoModeAvailable -- after ospiInit: '%s'",
                  ospi.StatusText(ospi.Status()).c_str());
            return false;
        }
        openedHere = true;
    }
    const OspiModeQuery query{static_cast<win::WORD>(width), static_cast<win::WORD>(height),
                              static_cast<win::WORD>(bitsPerPixel), 0};
    win::DWORD count = 0;
    if (ospi.NumStereoModes(query, &count) != OSPI_OK) {
        count = 0;
    }
    for (win::DWORD index = 0; index < count; ++index) {
        OspiModeInfo mode{};
        if (ospi.EnumStereoModes(query, index, &mode) != OSPI_OK) {
            continue;
        }
        if (mode.kind != OSPI_MODE_INTERLEAVED) {
            pxLog("IsStereoModeAvailable: mode is not interleaved");
        } else if (mode.flags & OSPI_MODE_HALF_HEIGHT) {
            return true;
        } else {
            pxLog("IsStereoModeAvailable: not half height");
        }
    }
    if (openedHere) {
        ospi.Exit();
    }
    return false;
}

} // namespace

bool IsStereoModeAvailable(const StereoViewMethod* method, int width, int height,
                           int bitsPerPixel) {
    if (!method) {
        throw pxError("IsStereoModeAvailable:  Invalid Stereo Viewing Method.");
    }
    if (method->deviceFlags & DEVICE_TESSEL) {
        return TesselHasMode(width, height);
    }
    if (method->deviceFlags & DEVICE_OSPI) {
        return OspiHasMode(width, height, bitsPerPixel);
    }
    return true;
}
