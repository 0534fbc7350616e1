#include "devices/nuvisionstatus.h"

#include "imaging/pxerror.h"

#include <array>

const char* NuVStatusName(win::LONG status) {
    // Index -1 - status; -2 has no name.
    static constexpr std::array<const char*, 29> names = {
        "not enabled",
        nullptr,
        "bad params",
        "alloc fail",
        "surfaces not flipping",
        "insufficient surfaces",
        "no goggle togling",
        "stereo pair",
        "stereo busy",
        "wrong instance",
        "surfaces not enabled",
        "invalidated",
        "queue full",
        "cant pause",
        "free run not optional",
        "cant stop at eye",
        "not paused",
        "all surfaces busy",
        "not installed",
        "not ready for queue",
        "pause conflict",
        "reverse not supported",
        "surface queued",
        "rendering started",
        "rendering not started",
        "renderings not displayed",
        "vxd error",
        "invalid database",
        "in middle of test",
    };
    if (status >= 0 || status < -static_cast<win::LONG>(names.size())) {
        return "Unknown";
    }
    const char* name = names[static_cast<std::size_t>(-1 - status)];
    return name ? name : "Unknown";
}

void NuVLogStatus(win::LONG status) {
    pxLog("[NuVision Error] %s", NuVStatusName(status));
}
