// Tests observe the beeps MessageBeep sounded.
#pragma once

#include "platform/win/wintypes.h"

#include <vector>

namespace win::internal {

// The types passed to MessageBeep, oldest first.
std::vector<UINT> RecordedBeeps();
void ClearRecordedBeeps();

} // namespace win::internal
