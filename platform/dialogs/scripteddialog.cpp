// The session a responder drives a dialog through: the user's actions on
// the live dialog, and what it shows.
#include "platform/dialogs/scripteddialog.h"

#include "platform/dialogs/controlstate.h"
#include "platform/dialogs/dialogrecord.h"
#include "platform/win/messages.h"
#include "platform/win/windowtable.h"

namespace win::internal {
namespace {

DialogControlPrompt PromptOf(HWND dialog, HWND control, const ControlState& state) {
    DialogControlPrompt shown;
    const Window* record = LookUpWindow(control);
    shown.id = static_cast<int>(record->id);
    shown.className = ClassNameOf(state.kind);
    shown.style = record->style;
    shown.text = record->title;
    shown.checked = state.checked;
    shown.enabled = IsWindowEnabled(control) != FALSE;
    shown.visible = IsWindowVisible(control) != FALSE;
    shown.items = state.items;
    shown.selection = state.selection;
    shown.textColour = state.textColour;
    shown.image = state.image;
    RECT rect;
    GetWindowRect(control, &rect);
    POINT topLeft{rect.left, rect.top};
    POINT bottomRight{rect.right, rect.bottom};
    ScreenToClient(dialog, &topLeft);
    ScreenToClient(dialog, &bottomRight);
    shown.rect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    return shown;
}

class ScriptedDialog : public DialogSession {
public:
    explicit ScriptedDialog(HWND dialog) : dialog(dialog) {}

    DialogPrompt Shown() const override {
        DialogPrompt shown;
        const Window* record = LookUpWindow(dialog);
        if (!record)
            return shown;
        RefreshTextColours(dialog);
        shown.dialog = dialog;
        shown.owner = record->owner;
        shown.caption = record->title;
        GetWindowRect(dialog, &shown.rect);
        for (HWND child : record->children)
            if (const ControlState* state = LookUpControl(child))
                shown.controls.push_back(PromptOf(dialog, child, *state));
        return shown;
    }

    bool Click(int id) override {
        return !Ended() && ClickControl(GetDlgItem(dialog, id), Delivery::Send);
    }

    bool ChooseItem(int id, int index) override {
        return !Ended() && ChooseControlItem(GetDlgItem(dialog, id), index, false, Delivery::Send);
    }

    bool DoubleClickItem(int id, int index) override {
        return !Ended() && ChooseControlItem(GetDlgItem(dialog, id), index, true, Delivery::Send);
    }

    void Close() override {
        if (!Ended())
            SendMessage(dialog, WM_CLOSE, 0, 0);
    }

    bool Ended() const override {
        const DialogRecord* record = LookUpDialog(dialog);
        return !record || record->ended || !IsWindow(dialog);
    }

private:
    HWND dialog;
};

} // namespace

void DriveScripted(HWND dialog, PromptResponder& responder) {
    ScriptedDialog session(dialog);
    responder.DriveDialog(session);
    session.Close();
    if (!session.Ended())
        EndDialog(dialog, -1);
}

} // namespace win::internal
