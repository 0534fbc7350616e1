// Reading private profile (".ini") files. A file name without a directory is
// looked for in the configuration directory ($XDG_CONFIG_HOME/binoxa), where
// Windows would look in its own directory.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

// As Win32: the value of key in section, or the default (null: empty, trailing
// blanks removed) when the file, the section or the key is missing; cut to
// size - 1 characters and a zero when longer. A null section lists the
// section names, a null key the keys of the section, each ended by a zero and
// the list by one more. The result is the number of characters copied
// without the final zero (size - 1 for a cut value, size - 2 for a cut list).
DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                              char* returned, DWORD size, const char* fileName);

} // namespace win
