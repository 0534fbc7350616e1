// MessageBeep: the system beep, recorded for tests.
#include "platform/win/beeps.h"
#include "platform/win/messages.h"

#include "platform/win/messagequeue.h"

#include <QApplication>

#include <mutex>

namespace win {
namespace {

struct Beeps {
    std::mutex mutex;
    std::vector<UINT> types;
};

Beeps& Recorded() {
    static Beeps beeps;
    return beeps;
}

} // namespace

BOOL MessageBeep(UINT type) {
    {
        Beeps& beeps = Recorded();
        std::lock_guard lock(beeps.mutex);
        beeps.types.push_back(type);
    }
    if (internal::IsGuiThread())
        QApplication::beep();
    return TRUE;
}

namespace internal {

std::vector<UINT> RecordedBeeps() {
    Beeps& beeps = Recorded();
    std::lock_guard lock(beeps.mutex);
    return beeps.types;
}

void ClearRecordedBeeps() {
    Beeps& beeps = Recorded();
    std::lock_guard lock(beeps.mutex);
    beeps.types.clear();
}

} // namespace internal
} // namespace win
