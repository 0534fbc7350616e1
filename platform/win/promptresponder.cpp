#include "platform/win/promptresponder.h"

#include "platform/dialogs/messagebox.h"

namespace win {
namespace {

PromptResponder*& Responder() {
    static PromptResponder* responder = nullptr;
    return responder;
}

} // namespace

UINT PromptResponder::ChooseMenuItem(const MenuPrompt&) {
    return 0;
}

int PromptResponder::AnswerMessageBox(const MessageBoxPrompt& box) {
    const UINT buttons = box.type & MB_TYPEMASK;
    return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
}

void PromptResponder::DriveDialog(DialogSession& dialog) {
    dialog.Close();
}

FileDialogAnswer PromptResponder::AnswerFileDialog(const FileDialogPrompt&) {
    return {};
}

const DialogControlPrompt* DialogPrompt::Control(int id) const {
    for (const DialogControlPrompt& control : controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

void SetPromptResponder(PromptResponder* responder) {
    Responder() = responder;
}

namespace internal {
PromptResponder* CurrentPromptResponder() {
    return Responder();
}
} // namespace internal

} // namespace win
