// The shared half of a simulated driver: its call record, its injected
// statuses and the test controls of ../testcontrols.h. Each driver defines
// ResetDevice, which puts its state back as its configuration says.
#pragma once

#include "driverconfig.h"
#include "simulation.h"

namespace drivers {

CallRecord& Calls();
InjectedStatuses& Injected();

// Defined by each driver.
void ResetDevice();

// A "fail <function> <status>" line makes that function answer the status
// every time; true when the line was one.
bool ApplyFailSetting(const ConfigLine& line);

// Records a call and answers the status injected for it, if any.
template <typename... Arguments>
std::optional<long> Received(const char* name, const Arguments&... arguments) {
    Calls().Add(CallText(name, arguments...));
    return Injected().Take(name);
}

} // namespace drivers
