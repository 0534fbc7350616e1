#include "platform/ddraw/presentation.h"

#include "platform/win/shownframebuffer.h"
#include "platform/win/windowframebuffer.h"

namespace win::ddraw {

Presentation::~Presentation() {
    Show(nullptr, nullptr, nullptr);
}

void Presentation::Show(HWND newWindow, const Framebuffer* primary,
                        const Framebuffer* leftPrimary) {
    if (newWindow != window) {
        stereo.reset();
        if (window)
            internal::ShowFramebufferInstead(window, nullptr);
        window = newWindow;
    }
    if (!window)
        return;
    if (primary && leftPrimary) {
        if (!stereo) {
            const HWND shownIn = window;
            stereo = std::make_unique<internal::StereoPresenter>([shownIn](const Framebuffer& eye) {
                internal::ShowFramebufferInstead(shownIn, &eye);
            });
        }
        stereo->SetStereoPair(leftPrimary, primary);
        return;
    }
    stereo.reset();
    internal::ShowFramebufferInstead(window, primary);
}

void Presentation::Repaint() const {
    if (window)
        internal::FramebufferChanged(window);
}

} // namespace win::ddraw
