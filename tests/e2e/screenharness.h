// Pieces of the end-to-end tests that run on a real X server (Xvfb): running
// an outside tool (screenshot, synthetic key press) while our message loop
// keeps the windows alive, and reading the screenshot's pixels.
#pragma once

#include "platform/win/wintypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows top-down, 3 bytes a pixel

    win::COLORREF At(int x, int y) const;
};

// Runs a shell command while dispatching window messages; its exit status.
int RunPumping(const std::string& command);

// Dispatches messages until done() holds or the time runs out; whether it held.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

// Dispatches messages for a while, so that windows reach the X server.
void PumpFor(int milliseconds);

// The whole X screen, taken by ImageMagick's import.
Screenshot TakeScreenshot();

// Screenshots until one shows what ready() looks for (windows reach the X
// server in their own time), for up to timeoutMs; the last one taken.
Screenshot TakeScreenshotWhen(const std::function<bool(const Screenshot&)>& ready, int timeoutMs);

// Writes an adapter profile and points BINOXA_ADAPTER at it; call before the
// first use of the display adapter.
void UseAdapterProfile(const std::string& profileText);

} // namespace e2e
