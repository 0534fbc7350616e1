// Modal dialogs built from a template of controls with ids, driven by a
// dialog procedure. Positions and sizes in templates are pixels: the dialog's
// position is relative to its owner's client area (the screen without an
// owner), a control's to the dialog's client area.
//
// Each dialog goes through the prompt responder when one is set
// (platform/win/promptresponder.h): the responder drives the live dialog
// instead of the user.
#pragma once

#include "platform/dialogs/controls.h"

#include <cstdint>
#include <string>
#include <vector>

namespace win {

using INT_PTR = std::intptr_t;
using DLGPROC = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// wParam: the control that gets the focus; lParam: the value given to
// DialogBoxIndirectParam.
constexpr UINT WM_INITDIALOG = 0x0110;

constexpr DWORD DS_MODALFRAME = 0x00000080;

struct DialogItemTemplate {
    const char* className = "BUTTON"; // "BUTTON", "STATIC", "COMBOBOX", "LISTBOX"
    std::string text;
    DWORD style = WS_VISIBLE; // WS_CHILD is added
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    int id = 0;
};

struct DialogTemplate {
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    std::string caption;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    std::vector<DialogItemTemplate> items;
};

// Creates the dialog and its controls, sends WM_INITDIALOG and runs the
// dialog modally until EndDialog. The procedure answers TRUE for a message
// it handled (for WM_CTLCOLORSTATIC: the brush); for what it leaves, the
// dialog does the default: WM_CLOSE and Escape send WM_COMMAND IDCANCEL,
// Enter sends the default button's command (IDOK without one). Answers the
// value given to EndDialog, -1 when the dialog could not be created.
INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const DialogTemplate* dialogTemplate, HWND owner,
                               DLGPROC procedure, LPARAM initParam);
// Marks the dialog to end with the result once the procedure returns, and
// hides it.
BOOL EndDialog(HWND dialog, INT_PTR result);

// The direct child with the id, or null.
HWND GetDlgItem(HWND dialog, int id);
// Zero when there is no such control.
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

BOOL SetDlgItemText(HWND dialog, int id, const char* text);
// Copies at most maxCount - 1 characters and a terminator; answers the number
// copied. A drop-down list's text is its selected item.
UINT GetDlgItemText(HWND dialog, int id, char* text, int maxCount);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
// Skips leading blanks and reads a decimal number (with a minus sign when
// signed) up to the first other character; translated tells whether there
// were digits and the value fitted. Answers 0 when not translated.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);

BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks the one button and unchecks every other id from first to last.
BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);

} // namespace win
