// Where this system finds its program, its libraries, its settings and its
// temporary files. Each is read fresh from the environment on every call, so a
// test can point them elsewhere.
#pragma once

#include <string>

namespace win::internal {

// The directory of the running program's file, without a trailing slash.
std::string ProgramDirectory();

// $BINOXA_SYSTEM_DIR, else the installed library directory; no trailing slash.
std::string SystemDirectory();

// $XDG_CONFIG_HOME/binoxa, else ~/.config/binoxa, without a trailing slash.
std::string ConfigDirectory();

// $TMPDIR, else /tmp, always with a trailing slash as Win32 gives it.
std::string TempDirectory();

// The path of the running program's file.
std::string ProgramFile();

} // namespace win::internal
