#include "platform/dialogs/dialoghandler.h"

#include "platform/dialogs/dialogrecord.h"
#include "platform/dialogs/messagebox.h"
#include "platform/win/messages.h"

namespace win {
namespace {

const char* const kHandlerProperty = "DialogHandler";

} // namespace

DialogHandler::DialogHandler(DialogTemplate dialogTemplate, HWND parent, HINSTANCE instance)
    : dialogTemplate(std::move(dialogTemplate)), parent(parent), instance(instance) {}

INT_PTR DialogHandler::DoModal() {
    struct ForgetHandle {
        HWND& handle;
        ~ForgetHandle() { handle = nullptr; }
    } forget{handle};
    return DialogBoxIndirectParam(instance, &dialogTemplate, parent, Procedure,
                                  reinterpret_cast<LPARAM>(this));
}

BOOL DialogHandler::OnInitDialog() {
    return TRUE;
}

void DialogHandler::OnOK() {
    EndDialog(IDOK);
}

void DialogHandler::OnCancel() {
    EndDialog(IDCANCEL);
}

bool DialogHandler::OnCommand(int, WORD, HWND) {
    return false;
}

HBRUSH DialogHandler::OnCtlColor(HDC dc, HWND) {
    return internal::DefaultControlColours(dc);
}

void DialogHandler::EndDialog(INT_PTR result) {
    win::EndDialog(handle, result);
}

INT_PTR DialogHandler::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* handler = reinterpret_cast<DialogHandler*>(lParam);
        handler->handle = dialog;
        SetProp(dialog, kHandlerProperty, handler);
    }
    auto* handler = static_cast<DialogHandler*>(GetProp(dialog, kHandlerProperty));
    return handler ? handler->Dispatch(message, wParam, lParam) : FALSE;
}

INT_PTR DialogHandler::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDOK) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
        return OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    }
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(
            OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    default:
        return FALSE;
    }
}

} // namespace win
