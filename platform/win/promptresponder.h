// The one place every prompt to the user goes through (popup menus and
// message boxes; dialogs join it as further virtual calls). A test sets
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
};

// Null restores the real Qt widgets. The responder is not owned.
void SetPromptResponder(PromptResponder* responder);

namespace internal {
PromptResponder* CurrentPromptResponder();
} // namespace internal

} // namespace win
