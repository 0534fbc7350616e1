// The simulated NuVision WinSPEX/3D driver: stereo enabled per process, one
// pair of queued surfaces that it "flips", pausing and resuming.
//
// Configuration (file named by BINOXA_WINSPEX_CONFIG, format in
// support/driverconfig.h):
//   version <major> <minor> <build>  what _NuVGetVersion reports
//   flipping <0|1>                   the status record's flipping word while
//                                    a pair is queued (default 1)
//   answers <primary> <second>       what _NuVIsFlippingSurface says for the
//                                    two queued surfaces (default 5 4: the
//                                    primary shows the right eye)
//   fail <function> <status>         that function answers the status, every time
#include "../support/simcontrol.h"

#include "devices/nuvisionapi.h"

using win::IDirectDrawSurface;
using win::LONG;

namespace {

struct Driver {
    LONG version[3] = {3, 1, 42};
    win::WORD flippingWord = 1;
    win::WORD primaryAnswer = NUV_SURFACE_RIGHT_SHOWING;
    win::WORD secondAnswer = NUV_SURFACE_LEFT_SHOWING;

    bool enabled = false;
    NuVHandle handle = 0;
    NuVHandle nextHandle = 0x4E560001;
    IDirectDrawSurface* primary = nullptr; // flipping enabled on it
    IDirectDrawSurface* second = nullptr;  // queued with the primary
    bool paused = false;
    bool reversed = false;
    bool primaryLeft = false;
    LONG logLevel = 0;
    LONG maxLogLines = 1000;
};

Driver Configured() {
    Driver driver;
    for (const drivers::ConfigLine& line : drivers::ReadConfig("BINOXA_WINSPEX_CONFIG")) {
        if (line.keyword == "version") {
            if (const auto version = drivers::ParseNumbers(line, 3, 0, 0x7FFFFFFF)) {
                for (int i = 0; i < 3; ++i) {
                    driver.version[i] = static_cast<LONG>((*version)[i]);
                }
            }
        } else if (line.keyword == "flipping") {
            if (const auto flipping = drivers::ParseNumbers(line, 1, 0, 1)) {
                driver.flippingWord = static_cast<win::WORD>((*flipping)[0]);
            }
        } else if (line.keyword == "answers") {
            if (const auto answers = drivers::ParseNumbers(line, 2, 0, 0xFFFF)) {
                driver.primaryAnswer = static_cast<win::WORD>((*answers)[0]);
                driver.secondAnswer = static_cast<win::WORD>((*answers)[1]);
            }
        } else {
            drivers::ApplyFailSetting(line);
        }
    }
    return driver;
}

Driver& State() {
    static Driver driver = Configured();
    return driver;
}

bool Queued() {
    return State().second != nullptr;
}

// The status for a call on the stereo instance; NUV_OK when it may go on.
LONG CheckInstance(NuVHandle handle) {
    if (!State().enabled) {
        return NUV_NOT_ENABLED;
    }
    return handle == State().handle ? NUV_OK : NUV_WRONG_INSTANCE;
}

// Records the call; an injected status wins, then the instance check.
template <typename... Arguments>
std::optional<LONG> Refused(const char* name, NuVHandle handle, const Arguments&... arguments) {
    if (const auto injected = drivers::Received(name, handle, arguments...)) {
        return static_cast<LONG>(*injected);
    }
    if (const LONG status = CheckInstance(handle); status != NUV_OK) {
        return status;
    }
    return std::nullopt;
}

template <typename... Arguments>
std::optional<LONG> Injected(const char* name, const Arguments&... arguments) {
    if (const auto injected = drivers::Received(name, arguments...)) {
        return static_cast<LONG>(*injected);
    }
    return std::nullopt;
}

} // namespace

void drivers::ResetDevice() {
    State() = Configured();
}

extern "C" {

LONG _NuVLogInit(const char* fileName) {
    if (const auto status = Injected("_NuVLogInit", fileName)) {
        return *status;
    }
    return fileName ? NUV_OK : NUV_BAD_PARAMS;
}

LONG _NuVLogMsg(LONG priority, const char* message) {
    if (const auto status = Injected("_NuVLogMsg", priority, message)) {
        return *status;
    }
    return message ? NUV_OK : NUV_BAD_PARAMS;
}

LONG _NuVSetMaxLogLines(LONG lines) {
    if (const auto status = Injected("_NuVSetMaxLogLines", lines)) {
        return *status;
    }
    if (lines < 0) {
        return NUV_BAD_PARAMS;
    }
    State().maxLogLines = lines;
    return NUV_OK;
}

LONG _NuVGetLogPriorityLevel(LONG* level) {
    if (const auto status = Injected("_NuVGetLogPriorityLevel", level)) {
        return *status;
    }
    if (!level) {
        return NUV_BAD_PARAMS;
    }
    *level = State().logLevel;
    return NUV_OK;
}

LONG _NuVSetLogPriorityLevel(LONG level) {
    if (const auto status = Injected("_NuVSetLogPriorityLevel", level)) {
        return *status;
    }
    State().logLevel = level;
    return NUV_OK;
}

LONG _NuVGetVersion(LONG* major, LONG* minor, LONG* build) {
    if (const auto status = Injected("_NuVGetVersion", major, minor, build)) {
        return *status;
    }
    if (!major || !minor || !build) {
        return NUV_BAD_PARAMS;
    }
    *major = State().version[0];
    *minor = State().version[1];
    *build = State().version[2];
    return NUV_OK;
}

LONG _NuVEnableStereo(NuVHandle* handle, LONG flags) {
    if (const auto status = Injected("_NuVEnableStereo", handle, flags)) {
        return *status;
    }
    if (!handle) {
        return NUV_BAD_PARAMS;
    }
    Driver& driver = State();
    if (driver.enabled) {
        return NUV_STEREO_BUSY;
    }
    driver.enabled = true;
    driver.handle = driver.nextHandle++;
    *handle = driver.handle;
    return NUV_OK;
}

LONG _NuVDisableStereo(NuVHandle handle) {
    if (const auto status = Refused("_NuVDisableStereo", handle)) {
        return *status;
    }
    Driver& driver = State();
    driver.enabled = false;
    driver.primary = driver.second = nullptr;
    driver.paused = false;
    return NUV_OK;
}

LONG _NuVEnableStereoSurfaceFlipping(NuVHandle handle, IDirectDrawSurface* primary, LONG flags) {
    if (const auto status = Refused("_NuVEnableStereoSurfaceFlipping", handle, primary, flags)) {
        return *status;
    }
    if (!primary) {
        return NUV_BAD_PARAMS;
    }
    State().primary = primary;
    return NUV_OK;
}

LONG _NuVDisableStereoSurfaceFlipping(NuVHandle handle, LONG restorePrimary) {
    if (const auto status = Refused("_NuVDisableStereoSurfaceFlipping", handle, restorePrimary)) {
        return *status;
    }
    if (!State().primary) {
        return NUV_SURFACES_NOT_ENABLED;
    }
    State().primary = State().second = nullptr;
    State().paused = false;
    return NUV_OK;
}

LONG _NuVQueueStereoPair(NuVHandle handle, IDirectDrawSurface* right, IDirectDrawSurface* left,
                         LONG wait) {
    if (const auto status = Refused("_NuVQueueStereoPair", handle, right, left, wait)) {
        return *status;
    }
    if (!State().primary) {
        return NUV_SURFACES_NOT_ENABLED;
    }
    if (!right || !left || right == left) {
        return NUV_BAD_PARAMS;
    }
    State().primary = right;
    State().second = left;
    return NUV_OK;
}

LONG _NuVQueueRenderedPair(NuVHandle handle) {
    if (const auto status = Refused("_NuVQueueRenderedPair", handle)) {
        return *status;
    }
    return Queued() ? NUV_OK : NUV_RENDERING_NOT_STARTED;
}

LONG _NuVGetStereoStatus(NuVHandle handle, NuVStereoStatus* status) {
    if (const auto injected = Refused("_NuVGetStereoStatus", handle, status)) {
        return *injected;
    }
    if (!status || status->size != sizeof(NuVStereoStatus)) {
        return NUV_BAD_PARAMS;
    }
    *status = NuVStereoStatus{};
    status->size = sizeof(NuVStereoStatus);
    status->state = State().paused ? 2 : Queued() ? 1 : 0;
    status->flipping = Queued() ? State().flippingWord : 0;
    return NUV_OK;
}

LONG _NuVPauseStereoFlipping(NuVHandle handle, LONG eye, LONG wait) {
    if (const auto status = Refused("_NuVPauseStereoFlipping", handle, eye, wait)) {
        return *status;
    }
    if (!Queued()) {
        return NUV_SURFACES_NOT_FLIPPING;
    }
    if (State().paused) {
        return NUV_PAUSE_CONFLICT;
    }
    State().paused = true;
    return NUV_OK;
}

LONG _NuVResumeStereoFlipping(NuVHandle handle) {
    if (const auto status = Refused("_NuVResumeStereoFlipping", handle)) {
        return *status;
    }
    if (!State().paused) {
        return NUV_NOT_PAUSED;
    }
    State().paused = false;
    return NUV_OK;
}

LONG _NuVIsFlippingSurface(NuVHandle handle, IDirectDrawSurface* surface, win::WORD* answer) {
    if (const auto status = Refused("_NuVIsFlippingSurface", handle, surface, answer)) {
        return *status;
    }
    if (!Queued()) {
        return NUV_SURFACES_NOT_FLIPPING;
    }
    if (!answer || !surface || (surface != State().primary && surface != State().second)) {
        return NUV_BAD_PARAMS;
    }
    *answer = surface == State().primary ? State().primaryAnswer : State().secondAnswer;
    return NUV_OK;
}

LONG _NuVGetAvailableSurface(NuVHandle handle, IDirectDrawSurface** surface) {
    if (const auto status = Refused("_NuVGetAvailableSurface", handle, surface)) {
        return *status;
    }
    if (!surface) {
        return NUV_BAD_PARAMS;
    }
    if (!Queued()) {
        return NUV_SURFACES_NOT_FLIPPING;
    }
    *surface = State().second;
    return NUV_OK;
}

LONG _NuVGetRenderingEye(NuVHandle handle, LONG* eye) {
    if (const auto status = Refused("_NuVGetRenderingEye", handle, eye)) {
        return *status;
    }
    if (!eye) {
        return NUV_BAD_PARAMS;
    }
    *eye = State().reversed ? 1 : 0;
    return NUV_OK;
}

LONG _NuVReverseStereoGoggles(NuVHandle handle) {
    if (const auto status = Refused("_NuVReverseStereoGoggles", handle)) {
        return *status;
    }
    State().reversed = !State().reversed;
    return NUV_OK;
}

LONG _NuVSetRenderingSurface(NuVHandle handle, IDirectDrawSurface* surface) {
    if (const auto status = Refused("_NuVSetRenderingSurface", handle, surface)) {
        return *status;
    }
    return surface ? NUV_OK : NUV_BAD_PARAMS;
}

LONG _NuVStereoBlit(NuVHandle handle, IDirectDrawSurface* target, IDirectDrawSurface* source) {
    if (const auto status = Refused("_NuVStereoBlit", handle, target, source)) {
        return *status;
    }
    return target && source ? NUV_OK : NUV_BAD_PARAMS;
}

LONG _NuVToggleGoggles(NuVHandle handle) {
    if (const auto status = Refused("_NuVToggleGoggles", handle)) {
        return *status;
    }
    return Queued() ? NUV_OK : NUV_NO_GOGGLE_TOGGLING;
}

LONG _NuVUsePrimaryLeftFlipping(NuVHandle handle, LONG on) {
    if (const auto status = Refused("_NuVUsePrimaryLeftFlipping", handle, on)) {
        return *status;
    }
    State().primaryLeft = on != 0;
    return NUV_OK;
}
}
