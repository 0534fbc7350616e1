// Segmented (16:16) pointers for the 16-bit side of a flat thunk: the
// selector in the high word, the offset in the low word. A selector stands
// for a flat address from SMapLS until SUnMapLS; the table of selectors is
// shared by the whole process and safe to use from any thread.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

using SEGPTR = DWORD;

// A new selector for the address (offset 0); null maps to 0. When every
// selector is in use the result is 0 too, as for a null pointer.
SEGPTR SMapLS(const void* address);
// Gives the selector back; 0 and selectors not in use are ignored.
void SUnMapLS(SEGPTR pointer);
// The flat address of a segmented pointer: the selector's address plus the
// offset. Null for 0 and for a selector that is not (or no longer) mapped.
void* MapSL(SEGPTR pointer);

} // namespace win
