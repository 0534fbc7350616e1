#include "screenharness.h"

#include "platform/win/messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <thread>

#include <unistd.h>

namespace e2e {
namespace {

void DispatchQueued() {
    win::MSG message;
    while (win::PeekMessage(&message, nullptr, 0, 0, win::PM_REMOVE)) {
        win::TranslateMessage(&message);
        win::DispatchMessage(&message);
    }
}

// Files of the run live in the test's working directory, in the build tree,
// named for the process so that test programs running side by side keep
// apart.
std::string RunFile(const char* name) {
    return "e2e-" + std::to_string(::getpid()) + "-" + name;
}

// The profile must outlast every reading of it, so it goes when the program ends.
struct RemovedAtExit {
    std::string path;
    ~RemovedAtExit() {
        if (!path.empty())
            std::remove(path.c_str());
    }
};

} // namespace

win::COLORREF Screenshot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0xFFFFFFFF;
    const std::uint8_t* pixel = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return win::RGB(pixel[0], pixel[1], pixel[2]);
}

int RunPumping(const std::string& command) {
    std::future<int> status =
        std::async(std::launch::async, [command] { return std::system(command.c_str()); });
    while (status.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        DispatchQueued();
    DispatchQueued();
    return status.get();
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        DispatchQueued();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void PumpFor(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

Screenshot TakeScreenshot() {
    const std::string path = RunFile("screen.ppm");
    Screenshot shot;
    if (RunPumping("import -window root -depth 8 ppm:'" + path + "'") != 0) {
        ADD_FAILURE() << "import could not take a screenshot";
        return shot;
    }
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    file >> magic >> shot.width >> shot.height >> maxValue;
    file.get(); // the one white-space byte before the pixels
    if (magic != "P6" || maxValue != 255 || shot.width <= 0 || shot.height <= 0) {
        ADD_FAILURE() << "the screenshot is not an 8-bit PPM";
        return {};
    }
    shot.rgb.resize(static_cast<std::size_t>(shot.width) * shot.height * 3);
    file.read(reinterpret_cast<char*>(shot.rgb.data()),
              static_cast<std::streamsize>(shot.rgb.size()));
    if (std::getenv("BINOXA_E2E_KEEP") == nullptr)
        std::remove(path.c_str());
    return shot;
}

Screenshot TakeScreenshotWhen(const std::function<bool(const Screenshot&)>& ready, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Screenshot shot = TakeScreenshot();
    while (!ready(shot) && std::chrono::steady_clock::now() < end) {
        PumpFor(100);
        shot = TakeScreenshot();
    }
    return shot;
}

void UseAdapterProfile(const std::string& profileText) {
    static RemovedAtExit profile;
    profile.path = RunFile("adapter.profile");
    std::ofstream(profile.path) << profileText;
    ::setenv("BINOXA_ADAPTER", profile.path.c_str(), 1);
}

} // namespace e2e
