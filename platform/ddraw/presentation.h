// What DirectDraw's cooperative window shows: the primary surface, or with a
// left primary (hardware stereo) the left and right primaries in turn, one
// per refresh.
#pragma once

#include "platform/display/stereopresenter.h"
#include "platform/gdi/framebuffer.h"
#include "platform/win/wintypes.h"

#include <memory>

namespace win::ddraw {

class Presentation {
public:
    Presentation() = default;
    Presentation(const Presentation&) = delete;
    Presentation& operator=(const Presentation&) = delete;
    // The window shows its own framebuffer again.
    ~Presentation();

    // A null window (no exclusive mode) or primary shows nothing of DirectDraw.
    // The frames must live until the next call.
    void Show(HWND window, const Framebuffer* primary, const Framebuffer* leftPrimary);
    // After the shown pixels (or the palette they are shown with) changed.
    void Repaint() const;

private:
    HWND window = nullptr;
    std::unique_ptr<internal::StereoPresenter> stereo;
};

} // namespace win::ddraw
