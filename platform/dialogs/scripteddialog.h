// A running dialog driven by the prompt responder instead of the user.
#pragma once

#include "platform/win/promptresponder.h"

namespace win::internal {

// Hands the dialog to the responder; a dialog still open afterwards is
// closed as its close box closes it.
void DriveScripted(HWND dialog, PromptResponder& responder);

} // namespace win::internal
