// Turns a POSIX failure into the Win32 error code a caller of the system
// services expects to find in GetLastError.
#pragma once

#include "platform/win/wintypes.h"

namespace win::internal {

DWORD ErrorFromErrno(int error);

// Sets the last error from errno and answers FALSE, for the usual failure path.
BOOL FailFromErrno();

// As FailFromErrno, for a call that creates the file: a missing entry can then
// only be its directory.
BOOL FailCreatingFromErrno();

} // namespace win::internal
