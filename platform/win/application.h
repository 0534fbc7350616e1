// The one Qt application object of the process. Every stand-in that needs Qt
// (windows, fonts, the presenter) calls EnsureApplication first; it creates a
// QApplication on first use when the host has not made one.
#pragma once

namespace win::internal {

void EnsureApplication();

} // namespace win::internal
