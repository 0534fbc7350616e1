// The one virtual display adapter of the process. It offers a list of display
// modes, starts in its desktop mode, and changes mode without touching the
// real monitor: the screen's framebuffer simply takes the new size and depth,
// and the presenter scales what is shown to the real screen. The adapter
// profile named by BINOXA_ADAPTER replaces the modes taken from the real
// screen and holds the facts DirectDraw reports (video memory, hardware
// stereo) and the failures tests inject.
#pragma once

#include "platform/gdi/framebuffer.h"
#include "platform/win/wintypes.h"

#include <functional>
#include <map>
#include <vector>

namespace win {

namespace internal {
// The pixels of the whole screen (what GetDC(nullptr) draws on), at the
// current mode's size and depth.
Framebuffer& ScreenFramebuffer();
} // namespace internal

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0; // 8, 16, 24 or 32
    int refresh = 0;      // hertz

    friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// The calls a profile can make refuse a mode (or every mode).
enum class RefusedCall {
    ChangeDisplay,  // ChangeDisplaySettings fails to set the mode, though CDS_TEST allowed it
    TestDisplay,    // the mode is not supported: CDS_TEST and a real change both refuse it
    SetDisplayMode, // DirectDraw's SetDisplayMode refuses the mode
};

// The DirectDraw calls a profile can make fail, whatever they are asked.
enum class FailingCall {
    DirectDrawCreate,
    CreatePrimary,     // CreateSurface of a primary without back buffers
    CreateFlipChain,   // CreateSurface of a primary with back buffers
    CreateLeftPrimary, // CreateSurface of the left primary of a stereo pair
    EnumAttachedSurfaces,
    GetCaps,
    SetEntries, // of a palette
};

struct ModeRefusal {
    RefusedCall call = RefusedCall::ChangeDisplay;
    bool everyMode = false;
    DisplayMode mode; // refresh 0 matches any refresh
};

// Everything an adapter profile says; also what the real screen gives when
// there is no profile.
struct AdapterProfile {
    static constexpr DWORD kDefaultVideoMemory = 64 * 1024 * 1024;
    static constexpr int kDefaultRefresh = 60;

    std::vector<DisplayMode> modes;
    DisplayMode desktop; // width 0: the first mode
    DWORD videoMemoryBytes = kDefaultVideoMemory;
    bool hardwareStereo = false;
    std::vector<ModeRefusal> refusals;
    std::vector<FailingCall> failures;
};

class DisplayAdapter {
public:
    // Loads the profile on first use.
    static DisplayAdapter& Instance();

    DisplayMode Current() const { return current; }
    DisplayMode Desktop() const { return profile.desktop; }
    const std::vector<DisplayMode>& Modes() const { return profile.modes; }

    // The first mode of the list with this size and depth, and this refresh
    // unless refresh is 0; null when there is none.
    const DisplayMode* FindMode(int width, int height, int bitsPerPixel, int refresh) const;

    // Makes a mode of the list current: the screen framebuffer is re-created
    // when the size or depth changes, and the listeners are told of any
    // change. Answers false, changing nothing, for a mode not in the list.
    bool SetCurrent(const DisplayMode& mode);

    // Rereads the profile named by BINOXA_ADAPTER and returns to its desktop
    // mode, telling the listeners. For tests that try several adapters.
    void Reload();

    DWORD VideoMemoryBytes() const { return profile.videoMemoryBytes; }
    bool HardwareStereo() const { return profile.hardwareStereo; }
    bool Refuses(RefusedCall call, const DisplayMode& mode) const;
    bool Fails(FailingCall call) const;

    int AddModeListener(std::function<void()> listener);
    void RemoveModeListener(int id);

private:
    friend Framebuffer& internal::ScreenFramebuffer();

    DisplayAdapter();
    void Adopt(AdapterProfile newProfile);
    void NotifyListeners();

    AdapterProfile profile;
    DisplayMode current;
    Framebuffer screen;
    std::map<int, std::function<void()>> listeners;
    int nextListenerId = 1;
};
} // namespace win
