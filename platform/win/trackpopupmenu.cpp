// TrackPopupMenu: the choice comes from the prompt responder, or from a
// real QMenu at the position.
#include "platform/win/menustore.h"
#include "platform/win/promptresponder.h"
#include "platform/win/qtmenu.h"
#include "platform/win/qtwindow.h"
#include "platform/win/windowinternals.h"

#include <QMenu>

namespace win {
namespace {

std::vector<MenuPromptItem> PromptItemsOf(HMENU menu) {
    std::vector<MenuPromptItem> shown;
    const internal::Menu* record = internal::LookUpMenu(menu);
    if (!record)
        return shown;
    for (const internal::MenuItem& item : record->items) {
        MenuPromptItem entry;
        entry.id = item.IsCommand() ? static_cast<UINT>(item.id) : 0;
        entry.text = item.text;
        entry.bitmap = item.bitmap;
        entry.checked = (item.flags & MF_CHECKED) != 0;
        entry.radio = (item.flags & MFT_RADIOCHECK) != 0;
        entry.grayed = !item.IsEnabled();
        entry.separator = item.IsSeparator();
        entry.columnBreak = (item.flags & (MF_MENUBREAK | MF_MENUBARBREAK)) != 0;
        entry.hasSubmenu = item.submenu != nullptr;
        if (item.submenu)
            entry.submenu = PromptItemsOf(item.submenu);
        shown.push_back(std::move(entry));
    }
    return shown;
}

// Whether a chosen id is a command the user could have picked.
bool IsEnabledCommand(HMENU menu, UINT id) {
    const internal::Menu* record = internal::LookUpMenu(menu);
    if (!record || id == 0)
        return false;
    for (const internal::MenuItem& item : record->items) {
        if (item.IsCommand() && item.id == id && item.IsEnabled())
            return true;
        if (item.submenu && item.IsEnabled() && IsEnabledCommand(item.submenu, id))
            return true;
    }
    return false;
}

UINT ChooseWithQt(HMENU menu, UINT flags, int x, int y, HWND owner) {
    QMenu popup;
    internal::FillQtMenu(&popup, menu, owner);
    QPoint at = internal::RealScreenPoint(owner, {x, y});
    const QSize size = popup.sizeHint();
    if (flags & TPM_RIGHTALIGN)
        at.rx() -= size.width();
    else if (flags & TPM_CENTERALIGN)
        at.rx() -= size.width() / 2;
    if (flags & TPM_BOTTOMALIGN)
        at.ry() -= size.height();
    else if (flags & TPM_VCENTERALIGN)
        at.ry() -= size.height() / 2;
    const QAction* chosen = popup.exec(at);
    internal::CallProcedure(owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    return chosen ? static_cast<UINT>(chosen->data().toULongLong()) : 0;
}

} // namespace

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    if (!internal::LookUpMenu(menu) || !internal::LookUpWindow(owner))
        return FALSE;
    internal::CallProcedure(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                            MAKELPARAM(0, FALSE));
    UINT chosen = 0;
    if (PromptResponder* responder = internal::CurrentPromptResponder()) {
        MenuPrompt prompt;
        prompt.owner = owner;
        prompt.position = {x, y};
        prompt.flags = flags;
        prompt.items = PromptItemsOf(menu);
        chosen = responder->ChooseMenuItem(prompt);
    } else {
        chosen = ChooseWithQt(menu, flags, x, y, owner);
    }
    if (!IsEnabledCommand(menu, chosen))
        chosen = 0;
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    // The command is posted: it arrives after TrackPopupMenu has returned.
    if (chosen != 0 && !(flags & TPM_NONOTIFY))
        PostMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
    return TRUE;
}

} // namespace win
