// The display window class is registered when the core library loads, so
// that every WinDisp finds it.
#include "display/windisp.h"

#include "imaging/pxerror.h"
#include "platform/sys/libraries.h"

namespace {

const bool classRegistered = [] {
    const bool registered = WinDisp::Initialize(win::GetModuleHandle(nullptr));
    if (!registered)
        pxLog("WinDisp::Initialize failed!");
    return registered;
}();

} // namespace
