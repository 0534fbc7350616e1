// Files dropped on a window: the window's widget hands them to the
// file-drop code (platform/dialogs/filedrop.h), which posts WM_DROPFILES.
#pragma once

#include "platform/win/wintypes.h"

#include <string>
#include <vector>

namespace win::internal {

// The window itself or its nearest ancestor with WS_EX_ACCEPTFILES; null
// when none accepts dropped files.
HWND DropTargetOf(HWND window);
// Posts WM_DROPFILES to the window's drop target; client is the pointer in
// the window's client coordinates.
void FilesDropped(HWND window, const std::vector<std::string>& files, POINT client);

} // namespace win::internal
