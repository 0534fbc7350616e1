// Frame-sequential stereo for an adapter with hardware stereo: the left and
// the right frame (DirectDraw's left and right primaries) are shown in turn,
// one per refresh of the current mode, for shutter glasses that follow the
// refresh.
#pragma once

#include "platform/gdi/framebuffer.h"

#include <QTimer>

#include <functional>

namespace win::internal {

class StereoPresenter {
public:
    // show puts one eye's frame on the screen (through PresentedImage).
    using Show = std::function<void(const Framebuffer& eye)>;

    explicit StereoPresenter(Show show);

    // Shows the left frame now, then alternates at the current mode's
    // refresh. Both frames must live until the pair is cleared or replaced.
    void SetStereoPair(const Framebuffer* left, const Framebuffer* right);
    void ClearStereoPair();

    bool IsRunning() const { return left != nullptr; }
    bool ShowsLeft() const { return showsLeft; }
    int FlipIntervalMs() const { return timer.interval(); }

    // Shows the other eye; the timer calls this on every refresh.
    void Flip();

private:
    Show show;
    QTimer timer;
    const Framebuffer* left = nullptr;
    const Framebuffer* right = nullptr;
    bool showsLeft = false;
};

} // namespace win::internal
