// Files dropped onto a window. A window that accepts dropped files (the
// WS_EX_ACCEPTFILES style, or DragAcceptFiles) is posted WM_DROPFILES with a
// drop handle in wParam when the user drops files on it or on a child window
// that does not accept them itself. The receiver reads the drop and then
// frees it with DragFinish.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

constexpr UINT WM_DROPFILES = 0x0233;

void DragAcceptFiles(HWND window, BOOL accept);

// With index 0xFFFFFFFF: the number of files. With a null buffer: the
// length of the file's name without its terminator. Otherwise copies at most
// size - 1 characters and a terminator and answers the number copied. 0 for
// an unknown drop or index.
UINT DragQueryFile(HDROP drop, UINT index, char* buffer, UINT size);
// The pointer where the files were dropped, in the receiving window's client
// coordinates; answers whether that lies in its client area.
BOOL DragQueryPoint(HDROP drop, POINT* point);
void DragFinish(HDROP drop);

} // namespace win
