#include "simcontrol.h"

namespace drivers {

CallRecord& Calls() {
    static CallRecord record;
    return record;
}

InjectedStatuses& Injected() {
    static InjectedStatuses statuses;
    return statuses;
}

bool ApplyFailSetting(const ConfigLine& line) {
    if (line.keyword != "fail" || line.values.size() != 2) {
        return false;
    }
    // Statuses up to 32 bits, signed or not: the 16-bit side answers raw DX:AX.
    if (const auto status = ParseNumber(line.values[1], -0x80000000L, 0xFFFFFFFFL)) {
        Injected().Always(line.values[0], *status);
    }
    return true;
}

} // namespace drivers

extern "C" {

void SimReset() {
    drivers::Calls().Clear();
    drivers::Injected().Clear();
    drivers::ResetDevice();
}

void SimFailNext(const char* function, long status) {
    if (function) {
        drivers::Injected().Once(function, status);
    }
}

const char* SimCalls() {
    return drivers::Calls().Text();
}
}
