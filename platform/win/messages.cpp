// Posting, sending, peeking, getting and dispatching messages.
#include "platform/win/messages.h"

#include "platform/sys/lasterror.h"
#include "platform/win/application.h"
#include "platform/win/keytranslation.h"
#include "platform/win/timers.h"
#include "platform/win/windowinternals.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace win {
namespace {

// The next message in Win32's order of kinds.
bool NextMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    return internal::TakeQueued(message, window, filterMin, filterMax, remove) ||
           internal::TakeQuit(message, remove) ||
           internal::TakePaint(message, window, filterMin, filterMax) ||
           internal::TakeTimer(message, window, filterMin, filterMax, remove);
}

bool IsBadFilter(HWND window) {
    return window && window != reinterpret_cast<HWND>(-1) && !internal::LookUpWindow(window);
}

} // namespace

namespace internal {
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const Window* record = LookUpWindow(window);
    if (!record)
        return 0;
    const WNDPROC procedure = record->procedure;
    return procedure ? procedure(window, message, wParam, lParam)
                     : DefWindowProc(window, message, wParam, lParam);
}
} // namespace internal

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == HWND_BROADCAST) {
        for (HWND topLevel : internal::TopLevelWindows())
            PostMessage(topLevel, message, wParam, lParam);
        return TRUE;
    }
    if (window && !internal::WindowExists(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    MSG posted;
    posted.hwnd = window;
    posted.message = message;
    posted.wParam = wParam;
    posted.lParam = lParam;
    posted.time = internal::MessageTime();
    posted.pt = internal::PointerPosition();
    internal::EnqueuePosted(posted);
    return TRUE;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!internal::IsGuiThread()) {
        LRESULT result = 0;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&] { result = SendMessage(window, message, wParam, lParam); },
            Qt::BlockingQueuedConnection);
        return result;
    }
    if (window == HWND_BROADCAST) {
        for (HWND topLevel : internal::TopLevelWindows())
            internal::CallProcedure(topLevel, message, wParam, lParam);
        return 0;
    }
    if (!internal::LookUpWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return internal::CallProcedure(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    internal::RequestQuit(exitCode);
}

BOOL PeekMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!message || !internal::IsGuiThread() || IsBadFilter(window))
        return FALSE;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return NextMessage(message, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0)
               ? TRUE
               : FALSE;
}

BOOL GetMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
    internal::EnsureApplication();
    if (!message || !internal::IsGuiThread() || IsBadFilter(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    while (!NextMessage(message, window, filterMin, filterMax, true))
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return message->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WaitMessage() {
    internal::EnsureApplication();
    if (!internal::IsGuiThread())
        return FALSE;
    MSG message;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    while (!NextMessage(&message, nullptr, 0, 0, false))
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return TRUE;
}

BOOL TranslateMessage(const MSG* message) {
    if (!message || (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN))
        return FALSE;
    const internal::KeyState keys = internal::CurrentKeyState();
    const char character = internal::CharacterOf(message->wParam, keys);
    if (character == 0)
        return FALSE;
    const UINT charMessage = message->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    return PostMessage(message->hwnd, charMessage,
                       static_cast<WPARAM>(static_cast<unsigned char>(character)), message->lParam);
}

LRESULT DispatchMessage(const MSG* message) {
    if (!message)
        return 0;
    // A timer with a procedure calls it, also a thread's timer (no window).
    if (message->message == WM_TIMER && message->lParam != 0) {
        const auto procedure = reinterpret_cast<TIMERPROC>(message->lParam);
        procedure(message->hwnd, WM_TIMER, message->wParam, internal::MessageTime());
        return 0;
    }
    if (!internal::LookUpWindow(message->hwnd))
        return 0;
    return internal::CallProcedure(message->hwnd, message->message, message->wParam,
                                   message->lParam);
}

} // namespace win
