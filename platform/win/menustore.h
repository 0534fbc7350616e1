// The records behind menu handles. GUI thread only.
#pragma once

#include "platform/win/menus.h"

#include <string>
#include <vector>

namespace win::internal {

struct MenuItem {
    UINT flags = 0; // MF_* type and state bits, MFT_RADIOCHECK
    UINT_PTR id = 0;
    std::string text;
    HBITMAP bitmap = nullptr;
    HMENU submenu = nullptr;

    bool IsSeparator() const { return (flags & MF_SEPARATOR) != 0; }
    bool IsCommand() const { return !IsSeparator() && !submenu; }
    bool IsEnabled() const { return !(flags & (MF_GRAYED | MF_DISABLED)); }
};

struct Menu {
    bool popup = false;
    std::vector<MenuItem> items;
};

// Null for no such menu.
Menu* LookUpMenu(HMENU menu);

} // namespace win::internal
