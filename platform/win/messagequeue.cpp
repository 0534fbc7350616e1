#include "platform/win/messagequeue.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <deque>
#include <mutex>

namespace win::internal {
namespace {

struct Queued {
    MSG message;
    bool input = false;
    KeyState keys;
};

struct Queue {
    std::mutex mutex;
    std::deque<Queued> items;
    bool quitRequested = false;
    int quitCode = 0;
    KeyState currentKeys;
    POINT pointer;
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

bool Passes(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
    const HWND threadMessagesOnly = reinterpret_cast<HWND>(-1);
    if (window == threadMessagesOnly ? message.hwnd != nullptr : window && message.hwnd != window)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return message.message >= filterMin && message.message <= filterMax;
}

void Enqueue(Queued item) {
    Queue& queue = TheQueue();
    {
        std::lock_guard lock(queue.mutex);
        queue.items.push_back(item);
    }
    WakeGuiThread();
}

} // namespace

DWORD MessageTime() {
    static const auto start = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

POINT PointerPosition() {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    return queue.pointer;
}

void SetPointerPosition(POINT screen) {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    queue.pointer = screen;
}

void EnqueuePosted(const MSG& message) {
    Enqueue({message, false, {}});
}

void EnqueueInput(const MSG& message, KeyState keys) {
    Enqueue({message, true, keys});
}

bool TakeQueued(MSG* message, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    // Posted messages go before input, as Win32 hands them out.
    for (const bool input : {false, true}) {
        for (auto item = queue.items.begin(); item != queue.items.end(); ++item) {
            if (item->input != input || !Passes(item->message, window, filterMin, filterMax))
                continue;
            *message = item->message;
            if (remove) {
                if (input)
                    queue.currentKeys = item->keys;
                queue.items.erase(item);
            }
            return true;
        }
    }
    return false;
}

KeyState CurrentKeyState() {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    return queue.currentKeys;
}

void DiscardMessagesFor(HWND window) {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    std::erase_if(queue.items,
                  [window](const Queued& item) { return item.message.hwnd == window; });
}

void RequestQuit(int exitCode) {
    Queue& queue = TheQueue();
    {
        std::lock_guard lock(queue.mutex);
        queue.quitRequested = true;
        queue.quitCode = exitCode;
    }
    WakeGuiThread();
}

bool TakeQuit(MSG* message, bool remove) {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    if (!queue.quitRequested)
        return false;
    *message = MSG{};
    message->message = WM_QUIT;
    message->wParam = static_cast<WPARAM>(queue.quitCode);
    message->time = MessageTime();
    message->pt = queue.pointer;
    if (remove)
        queue.quitRequested = false;
    return true;
}

bool IsGuiThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

void WakeGuiThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    if (QAbstractEventDispatcher* dispatcher =
            QAbstractEventDispatcher::instance(application->thread()))
        dispatcher->wakeUp();
}

} // namespace win::internal
