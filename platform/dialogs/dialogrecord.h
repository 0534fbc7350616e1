// The state of a running dialog, shared by the dialog window and the
// scripted session that drives it.
#pragma once

#include "platform/dialogs/dialog.h"

namespace win::internal {

struct DialogRecord {
    DLGPROC procedure = nullptr;
    bool ended = false;
    INT_PTR result = 0;
};

// Null when the window is not a running dialog.
DialogRecord* LookUpDialog(HWND dialog);

// What a dialog does with WM_CTLCOLORSTATIC its procedure leaves: the
// standard text colour on the context; answers the background brush.
HBRUSH DefaultControlColours(HDC dc);

} // namespace win::internal
