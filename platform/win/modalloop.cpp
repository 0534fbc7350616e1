// Modal loops: nested message loops that end with a result code.
#include "platform/win/modalloop.h"

#include "platform/win/messages.h"
#include "platform/win/window.h"

#include <algorithm>
#include <vector>

namespace win {
namespace {

constexpr int kLoopAbandoned = -1;

struct ModalLoop {
    HWND window = nullptr;
    bool running = true;
    int result = kLoopAbandoned;
};

// Innermost last.
std::vector<ModalLoop*>& Loops() {
    static std::vector<ModalLoop*> loops;
    return loops;
}

ModalLoop* InnermostFor(HWND window) {
    const auto& loops = Loops();
    const auto found = std::find_if(loops.rbegin(), loops.rend(), [window](const ModalLoop* loop) {
        return loop->window == window && loop->running;
    });
    return found == loops.rend() ? nullptr : *found;
}

} // namespace

int RunModalLoop(HWND window) {
    if (!IsWindow(window))
        return kLoopAbandoned;
    ModalLoop loop;
    loop.window = window;
    Loops().push_back(&loop);
    // A window destroyed without ending its loop leaves it, rather than
    // waiting for a result that can no longer come.
    while (loop.running && IsWindow(window)) {
        MSG message;
        const BOOL got = GetMessage(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            loop.result = kLoopAbandoned;
            break;
        }
        if (got < 0)
            break;
        TranslateMessage(&message);
        DispatchMessage(&message);
    }
    std::erase(Loops(), &loop);
    return loop.result;
}

BOOL EndModalLoop(HWND window, int result) {
    ModalLoop* loop = InnermostFor(window);
    if (!loop)
        return FALSE;
    loop->result = result;
    loop->running = false;
    // Wakes a loop waiting in GetMessage, as a framework's EndModalLoop does.
    PostMessage(IsWindow(window) ? window : nullptr, WM_NULL, 0, 0);
    return TRUE;
}

BOOL IsInModalLoop(HWND window) {
    return InnermostFor(window) ? TRUE : FALSE;
}

} // namespace win
