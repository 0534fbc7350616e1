#include "platform/display/adapter.h"

#include "platform/display/adapterprofile.h"
#include "platform/display/screenmodes.h"
#include "platform/sys/systemlog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace win {
namespace {

// A broken profile must not go unnoticed: the line goes to the terminal and,
// like every diagnostic of the system, to the log file.
void ReportProfileError(const char* path, const std::string& error) {
    const std::string line = std::string("DisplayAdapter::LoadProfile -- adapter profile '") +
                             path + "': " + error + "; using the modes of the real screen";
    std::fprintf(stderr, "%s\n", line.c_str());
    internal::AppendLogLine(line);
}

AdapterProfile LoadProfile() {
    const char* path = std::getenv("BINOXA_ADAPTER");
    if (!path || !*path)
        return internal::RealScreenProfile();
    internal::ProfileResult result = internal::ReadAdapterProfile(path);
    if (result.error.empty())
        return std::move(result.profile);
    ReportProfileError(path, result.error);
    return internal::RealScreenProfile();
}

bool Matches(const ModeRefusal& refusal, const DisplayMode& mode) {
    const DisplayMode& refused = refusal.mode;
    return refusal.everyMode || (refused.width == mode.width && refused.height == mode.height &&
                                 refused.bitsPerPixel == mode.bitsPerPixel &&
                                 (refused.refresh == 0 || refused.refresh == mode.refresh));
}

} // namespace

DisplayAdapter& DisplayAdapter::Instance() {
    static DisplayAdapter adapter;
    return adapter;
}

DisplayAdapter::DisplayAdapter() {
    Adopt(LoadProfile());
}

void DisplayAdapter::Reload() {
    Adopt(LoadProfile());
    NotifyListeners();
}

// The desktop is always one of the modes.
void DisplayAdapter::Adopt(AdapterProfile newProfile) {
    profile = std::move(newProfile);
    DisplayMode& desktop = profile.desktop;
    if (desktop.width == 0)
        desktop = profile.modes.front();
    if (const DisplayMode* listed =
            FindMode(desktop.width, desktop.height, desktop.bitsPerPixel, desktop.refresh))
        desktop = *listed;
    else {
        if (desktop.refresh == 0)
            desktop.refresh = AdapterProfile::kDefaultRefresh;
        profile.modes.push_back(desktop);
    }
    current = desktop;
    screen.Reset(current.width, current.height, current.bitsPerPixel);
}

const DisplayMode* DisplayAdapter::FindMode(int width, int height, int bitsPerPixel,
                                            int refresh) const {
    for (const DisplayMode& mode : profile.modes)
        if (mode.width == width && mode.height == height && mode.bitsPerPixel == bitsPerPixel &&
            (refresh == 0 || mode.refresh == refresh))
            return &mode;
    return nullptr;
}

bool DisplayAdapter::SetCurrent(const DisplayMode& mode) {
    if (std::find(profile.modes.begin(), profile.modes.end(), mode) == profile.modes.end())
        return false;
    if (mode == current)
        return true;
    const bool sameFrame = mode.width == current.width && mode.height == current.height &&
                           mode.bitsPerPixel == current.bitsPerPixel;
    current = mode;
    if (!sameFrame)
        screen.Reset(current.width, current.height, current.bitsPerPixel);
    NotifyListeners();
    return true;
}

bool DisplayAdapter::Refuses(RefusedCall call, const DisplayMode& mode) const {
    for (const ModeRefusal& refusal : profile.refusals)
        if (refusal.call == call && Matches(refusal, mode))
            return true;
    return false;
}

bool DisplayAdapter::Fails(FailingCall call) const {
    return std::find(profile.failures.begin(), profile.failures.end(), call) !=
           profile.failures.end();
}

int DisplayAdapter::AddModeListener(std::function<void()> listener) {
    const int id = nextListenerId++;
    listeners.emplace(id, std::move(listener));
    return id;
}

void DisplayAdapter::RemoveModeListener(int id) {
    listeners.erase(id);
}

// A listener may add or remove listeners while it is told.
void DisplayAdapter::NotifyListeners() {
    const auto told = listeners;
    for (const auto& [id, listener] : told)
        if (listeners.count(id))
            listener();
}

Framebuffer& internal::ScreenFramebuffer() {
    return DisplayAdapter::Instance().screen;
}

} // namespace win
