#include "screenharness.h"

#include "platform/win/messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include <algorithm>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
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

std::ostream& operator<<(std::ostream& out, const Area& area) {
    return out << area.width << "x" << area.height << " at (" << area.x << ", " << area.y << ")";
}

Screenshot ReadPpm(const std::string& path) {
    Screenshot picture;
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    file >> magic >> picture.width >> picture.height >> maxValue;
    file.get(); // the one white-space byte before the pixels
    if (!file || magic != "P6" || maxValue != 255 || picture.width <= 0 || picture.height <= 0)
        return {};
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    file.read(reinterpret_cast<char*>(picture.rgb.data()),
              static_cast<std::streamsize>(picture.rgb.size()));
    return file ? picture : Screenshot{};
}

void SavePng(const Screenshot& shot, const std::string& name) {
    const std::string ppm = name + ".ppm";
    {
        std::ofstream file(ppm, std::ios::binary);
        file << "P6\n" << shot.width << " " << shot.height << "\n255\n";
        file.write(reinterpret_cast<const char*>(shot.rgb.data()),
                   static_cast<std::streamsize>(shot.rgb.size()));
    }
    EXPECT_EQ(std::system(("convert '" + ppm + "' '" + name + ".png'").c_str()), 0);
    std::remove(ppm.c_str());
}

Screenshot Converted(const std::string& bxconvert, const std::string& methodName,
                     const std::string& input) {
    const std::string output = RunFile(("expected-" + methodName + ".ppm").c_str());
    const std::string command =
        "'" + bxconvert + "' -oform=" + methodName + " '" + input + "' '" + output + "'";
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << "bxconvert failed: " << command;
        return {};
    }
    Screenshot picture = ReadPpm(output);
    std::remove(output.c_str());
    return picture;
}

int DifferingPixels(const Screenshot& shot, const Screenshot& picture, Area at) {
    int differing = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (shot.At(at.x + x, at.y + y) != picture.At(x, y))
                ++differing;
    return differing;
}

bool SeemsShown(const Screenshot& shot, const Screenshot& picture, Area at) {
    if (picture.width <= 0 || picture.height <= 0)
        return false;
    for (int i = 0; i < 16; ++i) {
        const int x = picture.width * i / 16, y = picture.height * i / 16;
        if (shot.At(at.x + x, at.y + y) != picture.At(x, y))
            return false;
    }
    return true;
}

Area DrawnArea(const Screenshot& shot, int bottomRowsLeftOut) {
    int left = shot.width, top = shot.height, right = -1, bottom = -1;
    for (int y = 0; y < shot.height - bottomRowsLeftOut; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.At(x, y) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& outputPath,
                           const std::string& workingDirectory) {
    pid = ::fork();
    if (pid != 0)
        return;
    if (!outputPath.empty()) {
        const int out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
    }
    if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0)
        ::_exit(126);
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    ::execv(arguments[0], arguments.data());
    ::_exit(127);
}

void ChildProcess::Terminate() const {
    if (Running())
        ::kill(pid, SIGTERM);
}

ChildProcess::~ChildProcess() {
    if (Running()) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

int ChildProcess::WaitForExit(int timeoutMs) {
    if (pid <= 0)
        return -1;
    PumpUntil([&] { return exited = exited || ::waitpid(pid, &status, WNOHANG) == pid; },
              timeoutMs);
    return exited ? status : -1;
}

int RunPumping(const std::string& command) {
    std::future<int> status =
        std::async(std::launch::async, [command] { return std::system(command.c_str()); });
    while (status.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        DispatchQueued();
    DispatchQueued();
    return status.get();
}

void Xdotool(const std::string& arguments) {
    EXPECT_EQ(RunPumping("xdotool " + arguments), 0) << arguments;
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
    shot = ReadPpm(path);
    if (shot.rgb.empty())
        ADD_FAILURE() << "the screenshot is not an 8-bit PPM";
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
    // Absolute, for programs that start in another directory.
    profile.path = std::filesystem::absolute(RunFile("adapter.profile")).string();
    std::ofstream(profile.path) << profileText;
    ::setenv("BINOXA_ADAPTER", profile.path.c_str(), 1);
}

} // namespace e2e
