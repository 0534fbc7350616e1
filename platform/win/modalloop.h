// Modal loops on a window, as a framework's window runs them: the loop
// translates and dispatches messages until EndModalLoop names its window.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

// Answers the result given to EndModalLoop; -1 when WM_QUIT arrived (it is
// posted again for the enclosing loop) or when the window was destroyed
// without ending its loop.
int RunModalLoop(HWND window);
// Ends the innermost loop running for the window, which may already be
// destroyed. Answers FALSE when no loop runs for it.
BOOL EndModalLoop(HWND window, int result);
BOOL IsInModalLoop(HWND window);

} // namespace win
