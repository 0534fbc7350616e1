// Capture, keyboard focus and the foreground window.
#include "platform/win/input.h"

#include "platform/win/qtwindow.h"
#include "platform/win/windowinternals.h"

namespace win {
namespace {

struct InputWindows {
    HWND capture = nullptr;
    HWND focus = nullptr;
    HWND foreground = nullptr;
};

InputWindows& Windows() {
    static InputWindows windows;
    return windows;
}

} // namespace

namespace internal {
void ForgetInputWindow(HWND window) {
    InputWindows& windows = Windows();
    if (windows.capture == window)
        windows.capture = nullptr;
    if (windows.focus == window)
        windows.focus = nullptr;
    if (windows.foreground == window)
        windows.foreground = nullptr;
}
} // namespace internal

HWND SetCapture(HWND window) {
    InputWindows& windows = Windows();
    const HWND previous = windows.capture;
    const internal::Window* record = internal::LookUpWindow(window);
    if (!record)
        return previous;
    if (const internal::Window* old = internal::LookUpWindow(previous); old && old->widget)
        old->widget->releaseMouse();
    windows.capture = window;
    if (record->widget && record->widget->isVisible())
        record->widget->grabMouse();
    internal::ApplyCursor(window);
    return previous;
}

BOOL ReleaseCapture() {
    InputWindows& windows = Windows();
    if (const internal::Window* old = internal::LookUpWindow(windows.capture); old && old->widget)
        old->widget->releaseMouse();
    windows.capture = nullptr;
    return TRUE;
}

HWND GetCapture() {
    return Windows().capture;
}

HWND SetFocus(HWND window) {
    InputWindows& windows = Windows();
    const HWND previous = windows.focus;
    internal::Window* record = internal::LookUpWindow(window);
    if (window && !record)
        return nullptr;
    if (window == previous)
        return previous;
    // Focus in another top-level window activates it first.
    if (window && internal::TopLevelOf(window) != windows.foreground) {
        SetForegroundWindow(window);
        if (windows.focus == window)
            return previous;
    }
    const HWND losing = windows.focus;
    windows.focus = window;
    if (losing)
        internal::CallProcedure(losing, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window && windows.focus == window) {
        internal::CallProcedure(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(losing), 0);
        if (internal::Window* focused = internal::LookUpWindow(window); focused && focused->widget)
            focused->widget->setFocus(Qt::OtherFocusReason);
    }
    return previous;
}

HWND GetFocus() {
    return Windows().focus;
}

BOOL SetForegroundWindow(HWND window) {
    InputWindows& windows = Windows();
    const HWND topLevel = internal::TopLevelOf(window);
    internal::Window* record = internal::LookUpWindow(topLevel);
    if (!record)
        return FALSE;
    if (record->widget && record->widget->isVisible()) {
        record->widget->raise();
        record->widget->activateWindow();
    }
    if (windows.foreground == topLevel)
        return TRUE;
    const HWND previous = windows.foreground;
    windows.foreground = topLevel;
    internal::CallProcedure(topLevel, WM_QUERYNEWPALETTE, 0, 0);
    if (previous)
        internal::CallProcedure(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0),
                                reinterpret_cast<LPARAM>(topLevel));
    internal::CallProcedure(topLevel, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0),
                            reinterpret_cast<LPARAM>(previous));
    return TRUE;
}

HWND GetForegroundWindow() {
    return Windows().foreground;
}

} // namespace win
