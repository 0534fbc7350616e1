// The calls on a dialog's controls by id.
#include "platform/dialogs/controlstate.h"
#include "platform/dialogs/dialog.h"
#include "platform/win/messages.h"
#include "platform/win/windowtable.h"

#include <algorithm>
#include <climits>
#include <string>

namespace win {

HWND GetDlgItem(HWND dialog, int id) {
    const internal::Window* record = internal::LookUpWindow(dialog);
    if (!record)
        return nullptr;
    for (HWND child : record->children)
        if (GetWindowLongPtr(child, GWLP_ID) == id)
            return child;
    return nullptr;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND control = GetDlgItem(dialog, id);
    return control ? SendMessage(control, message, wParam, lParam) : 0;
}

BOOL SetDlgItemText(HWND dialog, int id, const char* text) {
    const HWND control = GetDlgItem(dialog, id);
    return control ? SetWindowText(control, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, char* text, int maxCount) {
    const HWND control = GetDlgItem(dialog, id);
    if (!text || maxCount <= 0)
        return 0;
    if (!control) {
        text[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowText(control, text, maxCount));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    const std::string text =
        isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
    return SetDlgItemText(dialog, id, text.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    if (translated)
        *translated = FALSE;
    const internal::Window* control = internal::LookUpWindow(GetDlgItem(dialog, id));
    if (!control)
        return 0;
    const std::string& text = control->title;
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string::npos)
        return 0;
    const bool negative = isSigned && text[at] == '-';
    if (negative)
        ++at;
    const long long limit = isSigned ? (negative ? -static_cast<long long>(INT_MIN) : INT_MAX)
                                     : static_cast<long long>(UINT_MAX);
    long long value = 0;
    std::size_t digits = 0;
    for (; at + digits < text.size() && text[at + digits] >= '0' && text[at + digits] <= '9';
         ++digits) {
        value = value * 10 + (text[at + digits] - '0');
        if (value > limit)
            return 0;
    }
    if (digits == 0)
        return 0;
    if (translated)
        *translated = TRUE;
    return static_cast<UINT>(negative ? -value : value);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    const HWND control = GetDlgItem(dialog, id);
    if (!control)
        return FALSE;
    SendMessage(control, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    return static_cast<UINT>(SendDlgItemMessage(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id)
        CheckDlgButton(dialog, id, id == checkId ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

} // namespace win
