// Mouse cursors: the system's predefined shapes. The cursor set last shows
// over the window that has the capture, else the one the pointer is over;
// a window shows its class cursor until then.
#pragma once

#include "platform/win/resource.h"
#include "platform/win/wintypes.h"

namespace win {

inline const char* const IDC_ARROW = MAKEINTRESOURCE(32512);
inline const char* const IDC_IBEAM = MAKEINTRESOURCE(32513);
inline const char* const IDC_WAIT = MAKEINTRESOURCE(32514);
inline const char* const IDC_CROSS = MAKEINTRESOURCE(32515);
inline const char* const IDC_HAND = MAKEINTRESOURCE(32649);

// With a null instance, one of the IDC_* cursors; modules carry no cursor
// resources here, so any other request answers null.
HCURSOR LoadCursor(HINSTANCE instance, const char* name);
constexpr DWORD ERROR_INVALID_CURSOR_HANDLE = 1402;

// Every cursor here is a shared one (LoadCursor gives nothing else): as for
// Win32's shared cursors, destroying one succeeds and leaves it valid. Null
// or a handle that is no cursor fails with ERROR_INVALID_CURSOR_HANDLE.
BOOL DestroyCursor(HCURSOR cursor);
// Answers the previous cursor; null hides the cursor.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// Increments or decrements the display count; the cursor shows while it is
// zero or more. Answers the new count.
int ShowCursor(BOOL show);

} // namespace win
