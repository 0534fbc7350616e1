// The dialog window: its procedure calls the dialog procedure and does the
// default handling; DialogBoxIndirectParam creates it and runs it modally.
#include "platform/dialogs/dialogrecord.h"

#include "platform/dialogs/controlstate.h"
#include "platform/dialogs/messagebox.h"
#include "platform/dialogs/scripteddialog.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/win/application.h"
#include "platform/win/input.h"
#include "platform/win/messages.h"
#include "platform/win/windowtable.h"
#include "platform/win/windowwidget.h"

#include <QWidget>

#include <map>

namespace win {
namespace internal {
namespace {

const char* const kDialogClass = "#32770";

std::map<HWND, DialogRecord>& Dialogs() {
    static std::map<HWND, DialogRecord> dialogs;
    return dialogs;
}

HWND DefaultButtonOf(HWND dialog) {
    const Window* record = LookUpWindow(dialog);
    if (!record)
        return nullptr;
    for (HWND child : record->children)
        if (IsDefaultButton(child))
            return child;
    return nullptr;
}

// A command as the button with the id sends it.
void SendButtonCommand(HWND dialog, int id) {
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

LRESULT DefaultDialogHandling(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        SendButtonCommand(dialog, IDCANCEL);
        return 0;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(DefaultControlColours(reinterpret_cast<HDC>(wParam)));
    default:
        return DefWindowProc(dialog, message, wParam, lParam);
    }
}

LRESULT DialogWindowProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const DialogRecord* record = LookUpDialog(dialog);
    if (!record || !record->procedure)
        return DefaultDialogHandling(dialog, message, wParam, lParam);
    const INT_PTR handled = record->procedure(dialog, message, wParam, lParam);
    if (message == WM_COMMAND)
        RefreshTextColours(dialog);
    if (handled)
        return message == WM_CTLCOLORSTATIC ? handled : 0;
    return DefaultDialogHandling(dialog, message, wParam, lParam);
}

void EnsureDialogClass() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    WNDCLASS windowClass;
    windowClass.lpfnWndProc = DialogWindowProcedure;
    windowClass.lpszClassName = kDialogClass;
    // The dialog face behind the controls, as Win32 dialogs have it.
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    RegisterClass(&windowClass);
}

HWND CreateDialogWindow(HINSTANCE instance, const DialogTemplate& dialogTemplate, HWND owner) {
    POINT origin{dialogTemplate.x, dialogTemplate.y};
    if (owner)
        ClientToScreen(owner, &origin);
    const HWND dialog =
        CreateWindowEx(0, kDialogClass, dialogTemplate.caption.c_str(),
                       dialogTemplate.style & ~WS_VISIBLE, origin.x, origin.y, dialogTemplate.cx,
                       dialogTemplate.cy, owner, nullptr, instance, nullptr);
    if (!dialog)
        return nullptr;
    for (const DialogItemTemplate& item : dialogTemplate.items) {
        CreateWindowEx(0, item.className, item.text.c_str(), item.style | WS_CHILD, item.x, item.y,
                       item.cx, item.cy, dialog,
                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), instance, nullptr);
    }
    return dialog;
}

// The dialog's own message loop: Escape and Enter become commands, as the
// dialog manager turns them; everything else is dispatched.
void RunUntilEnded(HWND dialog) {
    while (IsWindow(dialog) && !LookUpDialog(dialog)->ended) {
        MSG message;
        const BOOL got = GetMessage(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));
            EndDialog(dialog, -1);
            return;
        }
        if (message.message == WM_KEYDOWN && TopLevelOf(message.hwnd) == dialog &&
            (message.wParam == VK_ESCAPE || message.wParam == VK_RETURN)) {
            const HWND defaultButton = DefaultButtonOf(dialog);
            const int id = message.wParam == VK_ESCAPE ? IDCANCEL
                           : defaultButton
                               ? static_cast<int>(GetWindowLongPtr(defaultButton, GWLP_ID))
                               : IDOK;
            SendButtonCommand(dialog, id);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessage(&message);
    }
}

HWND FirstTabStop(HWND dialog) {
    const Window* record = LookUpWindow(dialog);
    if (!record)
        return nullptr;
    for (HWND child : record->children)
        if (GetWindowLong(child, GWL_STYLE) & WS_TABSTOP)
            return child;
    return nullptr;
}

} // namespace

HBRUSH DefaultControlColours(HDC dc) {
    SetTextColor(dc, RGB(0, 0, 0));
    return reinterpret_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
}

DialogRecord* LookUpDialog(HWND dialog) {
    const auto found = Dialogs().find(dialog);
    return found == Dialogs().end() ? nullptr : &found->second;
}

} // namespace internal

INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const DialogTemplate* dialogTemplate, HWND owner,
                               DLGPROC procedure, LPARAM initParam) {
    if (!dialogTemplate || (owner && !IsWindow(owner)))
        return -1;
    internal::EnsureApplication();
    internal::EnsureControlClasses();
    internal::EnsureDialogClass();
    const HWND dialog = internal::CreateDialogWindow(instance, *dialogTemplate, owner);
    if (!dialog)
        return -1;
    internal::Dialogs()[dialog].procedure = procedure;
    // The owner takes no input while its dialog runs; the dialog goes even
    // when its procedure throws.
    const HWND ownerWindow = internal::TopLevelOf(owner);
    const bool ownerWasEnabled = ownerWindow && IsWindowEnabled(ownerWindow);
    if (ownerWasEnabled)
        EnableWindow(ownerWindow, FALSE);
    struct Teardown {
        HWND dialog;
        HWND ownerToEnable;
        ~Teardown() {
            DestroyWindow(dialog);
            internal::Dialogs().erase(dialog);
            if (ownerToEnable)
                EnableWindow(ownerToEnable, TRUE);
        }
    } teardown{dialog, ownerWasEnabled ? ownerWindow : nullptr};

    SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(internal::FirstTabStop(dialog)),
                initParam);
    internal::RefreshTextColours(dialog);
    if (!internal::LookUpDialog(dialog)->ended) {
        if (QWidget* widget = internal::WindowWidget(dialog))
            widget->setWindowModality(Qt::ApplicationModal);
        ShowWindow(dialog, SW_SHOW);
        if (PromptResponder* responder = internal::CurrentPromptResponder())
            internal::DriveScripted(dialog, *responder);
        else
            internal::RunUntilEnded(dialog);
    }
    return internal::LookUpDialog(dialog)->result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    internal::DialogRecord* record = internal::LookUpDialog(dialog);
    if (!record)
        return FALSE;
    record->ended = true;
    record->result = result;
    // Hidden at once, as Win32 hides it: work that runs on meanwhile (a
    // loop of the procedure) sees the dialog is going.
    if (IsWindowVisible(dialog))
        ShowWindow(dialog, SW_HIDE);
    // Wakes the dialog's loop if it waits for a message.
    PostMessage(dialog, WM_NULL, 0, 0);
    return TRUE;
}

} // namespace win
