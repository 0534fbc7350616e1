// Unique temporary file names, as Win32 forms them: the directory, the first
// three characters of the prefix, four hexadecimal digits and ".tmp" (lower
// case, so callers that put "tmp" back as the last three characters find it).
#pragma once

#include "platform/win/wintypes.h"

namespace win {

// With unique 0 a number not yet in use is chosen and the empty file is
// created; otherwise the name is formed from the low 16 bits of unique and no
// file is made. tempFileName receives up to MAX_PATH characters. The result
// is the number used, or 0 on failure (see GetLastError).
UINT GetTempFileName(const char* pathName, const char* prefixString, UINT unique,
                     char* tempFileName);

} // namespace win
