// A dialog driven by a handler object, as an application framework's dialog
// class drives it: OnInitDialog when it opens, OnOK and OnCancel for the two
// standard buttons, OnCommand for the other controls and OnCtlColor for the
// text colour of each static text, check box and radio button.
#pragma once

#include "platform/dialogs/dialog.h"

namespace win {

class DialogHandler {
public:
    // The instance is the module the template's resources (pictures) come
    // from; null is the program.
    DialogHandler(DialogTemplate dialogTemplate, HWND parent, HINSTANCE instance = nullptr);
    virtual ~DialogHandler() = default;
    DialogHandler(const DialogHandler&) = delete;
    DialogHandler& operator=(const DialogHandler&) = delete;

    // Runs the dialog; answers the value it ended with (-1 when it could not
    // be created).
    INT_PTR DoModal();
    // The dialog window while it runs, else null.
    HWND Handle() const { return handle; }
    HWND Item(int id) const { return GetDlgItem(handle, id); }

protected:
    // Answer TRUE to give the focus to the first control.
    virtual BOOL OnInitDialog();
    // End the dialog with IDOK and IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // A command other than IDOK and IDCANCEL; answers whether it was handled.
    virtual bool OnCommand(int id, WORD code, HWND control);
    // Answers the brush for the control's background; the default leaves the
    // standard text colour, so an override sets its colour after calling it.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control);

    void EndDialog(INT_PTR result);

private:
    static INT_PTR Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    DialogTemplate dialogTemplate;
    HWND parent;
    HINSTANCE instance;
    HWND handle = nullptr;
};

} // namespace win
