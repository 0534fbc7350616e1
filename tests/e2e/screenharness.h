// Pieces of the end-to-end tests that run on a real X server (Xvfb): running
// an outside tool (screenshot, synthetic key press) while our message loop
// keeps the windows alive, and reading the screenshot's pixels.
#pragma once

#include "platform/win/wintypes.h"

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <sys/types.h>

namespace e2e {

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows top-down, 3 bytes a pixel

    win::COLORREF At(int x, int y) const;
};

struct Area {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Area&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Area& area);

// A binary PPM (P6, 8 bits); empty when the file is not one.
Screenshot ReadPpm(const std::string& path);

// Kept as NAME.png in the working directory for a person to look at.
void SavePng(const Screenshot& shot, const std::string& name);

// The picture bxconvert makes of the input for a method, or empty (with a
// test failure) when it cannot.
Screenshot Converted(const std::string& bxconvert, const std::string& methodName,
                     const std::string& input);

// Screen pixels that differ from the picture placed at the area's origin.
int DifferingPixels(const Screenshot& shot, const Screenshot& picture, Area at);

// A quick look before the full comparison: a diagonal of the picture.
bool SeemsShown(const Screenshot& shot, const Screenshot& picture, Area at);

// The smallest area holding the pixels that are not black, leaving out the
// bottom rows given.
Area DrawnArea(const Screenshot& shot, int bottomRowsLeftOut);

// A program running in the background, killed when this goes if it still runs.
class ChildProcess {
public:
    // argv[0] is the program's path; its standard output goes to outputPath
    // when one is given; it starts in workingDirectory when one is given.
    explicit ChildProcess(const std::vector<std::string>& argv, const std::string& outputPath = "",
                          const std::string& workingDirectory = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Running() const { return pid > 0 && !exited; }
    // Asks the program to end, as the desktop does when it logs out.
    void Terminate() const;
    // The wait status once the process ended, dispatching messages for up to
    // timeoutMs meanwhile; -1 while it still runs.
    int WaitForExit(int timeoutMs);

private:
    pid_t pid = -1;
    bool exited = false;
    int status = 0;
};

// Runs a shell command while dispatching window messages; its exit status.
int RunPumping(const std::string& command);

// Runs xdotool with the arguments (synthetic input), failing the test when
// it fails.
void Xdotool(const std::string& arguments);

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
