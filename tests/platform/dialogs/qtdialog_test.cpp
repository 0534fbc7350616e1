// Dialogs without a responder run their real Qt widgets.
#include "platform/dialogs/dialog.h"

#include "platform/dialogs/messagebox.h"
#include "platform/win/input.h"
#include "platform/win/messages.h"
#include "platform/win/windowwidget.h"

#include <QCheckBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using namespace win;

constexpr int kCheck = 1013;
constexpr UINT kPressQtButtons = WM_USER + 1;

bool checkedWhenOk = false;

// Once shown, the dialog clicks its own Qt widgets, as the user would.
INT_PTR SelfClickingDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        PostMessage(dialog, kPressQtButtons, 0, 0);
        return TRUE;
    case kPressQtButtons:
        internal::WindowWidget(GetDlgItem(dialog, kCheck))->findChild<QCheckBox*>()->click();
        internal::WindowWidget(GetDlgItem(dialog, IDOK))->findChild<QPushButton*>()->click();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            checkedWhenOk = IsDlgButtonChecked(dialog, kCheck) == BST_CHECKED;
            EndDialog(dialog, LOWORD(wParam));
        }
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR KeyedDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        PostMessage(dialog, WM_KEYDOWN, static_cast<WPARAM>(lParam), 0);
        return TRUE;
    }
    if (message == WM_COMMAND) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

DialogTemplate WarningDialog(DWORD okStyle) {
    DialogTemplate dialog;
    dialog.caption = "Stereoscopic Descriptor not found!";
    dialog.cx = 300;
    dialog.cy = 120;
    DialogItemTemplate check;
    check.text = "Please warn me about images with a missing Stereoscopic Descriptor.";
    check.style = WS_VISIBLE | BS_AUTOCHECKBOX;
    check.id = kCheck;
    check.cx = 280;
    check.cy = 20;
    DialogItemTemplate yes;
    yes.text = "Yes";
    yes.style = WS_VISIBLE | okStyle;
    yes.id = IDYES;
    yes.y = 40;
    yes.cx = 80;
    yes.cy = 24;
    DialogItemTemplate ok = yes;
    ok.text = "OK";
    ok.id = IDOK;
    ok.style = WS_VISIBLE;
    ok.x = 100;
    dialog.items = {check, yes, ok};
    return dialog;
}

TEST(QtDialog, TheUsersClicksOnTheQtWidgetsReachTheDialogProcedure) {
    const DialogTemplate dialog = WarningDialog(BS_PUSHBUTTON);
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &dialog, nullptr, SelfClickingDialog, 0), IDOK);
    EXPECT_TRUE(checkedWhenOk);
}

TEST(QtDialog, EscapeCancelsAndEnterPressesTheDefaultButton) {
    DialogTemplate dialog = WarningDialog(BS_DEFPUSHBUTTON);
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &dialog, nullptr, KeyedDialog, VK_ESCAPE), IDCANCEL);
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &dialog, nullptr, KeyedDialog, VK_RETURN), IDYES);
    dialog = WarningDialog(BS_PUSHBUTTON);
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &dialog, nullptr, KeyedDialog, VK_RETURN), IDOK);
}

} // namespace
