// One line in the system's log file, "TAMBER.LOG" in the current directory,
// for the platform code that cannot reach the core's log.
#pragma once

#include <string_view>

namespace win::internal {

// Opens the log for appending, writes the line and a newline, and closes it;
// a line that cannot be written is dropped.
void AppendLogLine(std::string_view line);

} // namespace win::internal
