// Timers: each one a Qt timer that marks its WM_TIMER as due.
#include "platform/win/timers.h"

#include "platform/win/application.h"
#include "platform/win/windowinternals.h"

#include <QTimer>

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <utility>

namespace win {
namespace {

struct Timer {
    std::unique_ptr<QTimer> clock;
    TIMERPROC procedure = nullptr;
    bool due = false;
};

using TimerKey = std::pair<HWND, UINT_PTR>;

std::map<TimerKey, Timer>& Timers() {
    static std::map<TimerKey, Timer> timers;
    return timers;
}

// Ids for timers without a window, from the top of the range so they do
// not meet ids callers choose.
UINT_PTR NewThreadTimerId() {
    static UINT_PTR next = 0x7FFF0000;
    return next++;
}

} // namespace

namespace internal {

bool TakeTimer(MSG* message, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    const bool wanted =
        (filterMin == 0 && filterMax == 0) || (WM_TIMER >= filterMin && WM_TIMER <= filterMax);
    if (!wanted)
        return false;
    for (auto& [key, timer] : Timers()) {
        if (!timer.due || (window && window != key.first))
            continue;
        *message = MSG{};
        message->hwnd = key.first;
        message->message = WM_TIMER;
        message->wParam = key.second;
        message->lParam = reinterpret_cast<LPARAM>(timer.procedure);
        message->time = MessageTime();
        message->pt = PointerPosition();
        if (remove)
            timer.due = false;
        return true;
    }
    return false;
}

void KillTimersOf(HWND window) {
    std::erase_if(Timers(), [window](const auto& entry) { return entry.first.first == window; });
}

} // namespace internal

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC procedure) {
    internal::EnsureApplication();
    if (!internal::IsGuiThread() || (window && !internal::LookUpWindow(window)))
        return 0;
    if (!window && !Timers().count({nullptr, id}))
        id = NewThreadTimerId();
    Timer& timer = Timers()[{window, id}];
    timer.procedure = procedure;
    timer.due = false;
    if (!timer.clock)
        timer.clock = std::make_unique<QTimer>();
    timer.clock->disconnect();
    const UINT interval = std::clamp<UINT>(elapseMs, USER_TIMER_MINIMUM, INT_MAX);
    timer.clock->setInterval(static_cast<int>(interval));
    timer.clock->callOnTimeout([key = TimerKey{window, id}] {
        if (const auto found = Timers().find(key); found != Timers().end())
            found->second.due = true;
    });
    timer.clock->start();
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    return Timers().erase({window, id}) ? TRUE : FALSE;
}

} // namespace win
