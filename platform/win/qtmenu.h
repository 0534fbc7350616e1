// Menus shown with Qt: a QMenu filled from a menu record, for popups and
// for the pull-down menus of a menu bar.
#pragma once

#include "platform/win/wintypes.h"

class QMenu;

namespace win::internal {

// Fills the QMenu with the menu's items (actions carry their command id
// as data); sub-menus are filled when they open, after WM_INITMENUPOPUP to
// the owner. Hovering an item sends WM_MENUSELECT to the owner.
void FillQtMenu(QMenu* target, HMENU menu, HWND owner);

} // namespace win::internal
