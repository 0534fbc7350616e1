// The one place every prompt to the user goes through (popup menus,
// message boxes, dialogs and file dialogs). A test sets
// a responder that answers from a script and records what was shown;
// without one, the real Qt widgets appear.
#pragma once

#include "platform/win/wintypes.h"

#include <string>
#include <vector>

namespace win {

// One item of a popup menu as it is shown.
struct MenuPromptItem {
    UINT id = 0;      // command id; 0 for separators and sub-menus
    std::string text; // empty for bitmap items and separators
    HBITMAP bitmap = nullptr;
    bool checked = false;
    bool radio = false; // the check is a radio bullet
    bool grayed = false;
    bool separator = false;
    bool columnBreak = false;            // starts a new column
    std::vector<MenuPromptItem> submenu; // the items of a sub-menu item
    bool hasSubmenu = false;
};

struct MenuPrompt {
    HWND owner = nullptr;
    POINT position; // screen coordinates
    UINT flags = 0; // the TPM_* flags
    std::vector<MenuPromptItem> items;
};

struct MessageBoxPrompt {
    HWND owner = nullptr;
    std::string text;
    std::string caption; // as shown: "Error" when the caller gave none
    UINT type = 0;       // the MB_* flags
};

// One control of a dialog as it is shown.
struct DialogControlPrompt {
    int id = 0;
    std::string className; // "BUTTON", "STATIC", "COMBOBOX", "LISTBOX"
    DWORD style = 0;
    std::string text;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    std::vector<std::string> items; // of drop-down lists and list boxes
    int selection = -1;
    COLORREF textColour = 0;
    HBITMAP image = nullptr; // the bitmap a picture shows
    RECT rect;               // in the dialog's client coordinates
};

struct DialogPrompt {
    HWND dialog = nullptr;
    HWND owner = nullptr;
    std::string caption;
    RECT rect; // the dialog's window rectangle, screen coordinates
    std::vector<DialogControlPrompt> controls;

    // Null when the dialog has no control with the id.
    const DialogControlPrompt* Control(int id) const;
};

// A live dialog, driven as the user would drive it. Every action sends the
// dialog what the user's action sends, and returns once the dialog's
// procedure has handled it (a nested dialog or message box goes to the
// responder meanwhile). Actions on a hidden or disabled control do nothing
// and answer false.
class DialogSession {
public:
    virtual ~DialogSession() = default;
    // The dialog as it is now.
    virtual DialogPrompt Shown() const = 0;
    // A button, check box or radio button.
    virtual bool Click(int id) = 0;
    // Picks an item of a drop-down list or list box.
    virtual bool ChooseItem(int id, int index) = 0;
    virtual bool DoubleClickItem(int id, int index) = 0;
    // The close box.
    virtual void Close() = 0;
    virtual bool Ended() const = 0;
};

// A filter as the dialog offers it.
struct FileFilterPrompt {
    std::string description;
    std::string pattern; // e.g. "*.jps;*.pns"
};

struct FileDialogPrompt {
    HWND owner = nullptr;
    bool save = false;
    std::string title;
    std::vector<FileFilterPrompt> filters;
    int filterIndex = 1; // the filter shown first, from 1
    std::string initialDirectory;
    std::string fileName; // the name the dialog starts with
    std::string defaultExtension;
    DWORD flags = 0; // the OFN_* flags
};

struct FileDialogAnswer {
    bool ok = false;
    // Full paths; more than one only when multiple selection was allowed.
    std::vector<std::string> files;
    int filterIndex = 1; // the filter chosen last, from 1
};

class PromptResponder {
public:
    virtual ~PromptResponder() = default;

    // The command id chosen from the menu (or one of its sub-menus); 0
    // dismisses it. An id that is not an enabled command of the menu counts
    // as dismissing it.
    virtual UINT ChooseMenuItem(const MenuPrompt& menu);

    // The id of the button pressed (IDOK, IDCANCEL, IDYES, IDNO). An id the
    // box does not offer counts as closing it. By default the first button.
    virtual int AnswerMessageBox(const MessageBoxPrompt& box);

    // Drives the dialog after WM_INITDIALOG. A dialog still open when this
    // returns is closed as its close box closes it, and ends with -1 if it
    // refuses. By default it is closed at once.
    virtual void DriveDialog(DialogSession& dialog);

    // What the user chose in an open-file or save-file dialog. By default
    // the dialog is cancelled.
    virtual FileDialogAnswer AnswerFileDialog(const FileDialogPrompt& dialog);
};

// Null restores the real Qt widgets. The responder is not owned.
void SetPromptResponder(PromptResponder* responder);

namespace internal {
PromptResponder* CurrentPromptResponder();
} // namespace internal

} // namespace win
