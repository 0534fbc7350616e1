// Menus and their items.
#include "platform/win/menus.h"

#include "platform/sys/lasterror.h"
#include "platform/win/menustore.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace win {
namespace {

constexpr UINT kTypeFlags = MF_BITMAP | MF_SEPARATOR | MF_POPUP | MF_MENUBARBREAK | MF_MENUBREAK;
constexpr UINT kEnableFlags = MF_GRAYED | MF_DISABLED;
constexpr UINT kAppendPosition = 0xFFFFFFFF;

struct MenuTable {
    std::map<std::uintptr_t, std::unique_ptr<internal::Menu>> menus;
    std::uintptr_t nextHandle = 0x10000;
};

MenuTable& Table() {
    static MenuTable table;
    return table;
}

HMENU NewMenu(bool popup) {
    MenuTable& table = Table();
    const std::uintptr_t key = table.nextHandle++;
    auto menu = std::make_unique<internal::Menu>();
    menu->popup = popup;
    table.menus.emplace(key, std::move(menu));
    return reinterpret_cast<HMENU>(key);
}

// Where an item lives: its menu and index there.
struct ItemPlace {
    internal::Menu* menu = nullptr;
    std::size_t index = 0;

    internal::MenuItem& Item() const { return menu->items[index]; }
};

bool FindByCommand(internal::Menu* menu, UINT id, ItemPlace* place) {
    for (std::size_t index = 0; index < menu->items.size(); ++index) {
        const internal::MenuItem& item = menu->items[index];
        if (item.IsCommand() && item.id == id) {
            *place = {menu, index};
            return true;
        }
        if (internal::Menu* submenu = internal::LookUpMenu(item.submenu))
            if (FindByCommand(submenu, id, place))
                return true;
    }
    return false;
}

bool FindItem(HMENU handle, UINT item, UINT flags, ItemPlace* place) {
    internal::Menu* menu = internal::LookUpMenu(handle);
    if (!menu)
        return false;
    if (!(flags & MF_BYPOSITION))
        return FindByCommand(menu, item, place);
    if (item >= menu->items.size())
        return false;
    *place = {menu, item};
    return true;
}

// An item as AppendMenu, InsertMenu and ModifyMenu describe it.
internal::MenuItem MakeItem(UINT flags, UINT_PTR idNewItem, const char* newItem) {
    internal::MenuItem item;
    item.flags = flags & (kTypeFlags | kEnableFlags | MF_CHECKED);
    if (flags & MF_POPUP)
        item.submenu = reinterpret_cast<HMENU>(idNewItem);
    else
        item.id = idNewItem;
    if (flags & MF_BITMAP)
        item.bitmap = reinterpret_cast<HBITMAP>(const_cast<char*>(newItem));
    else if (!(flags & MF_SEPARATOR) && newItem)
        item.text = newItem;
    return item;
}

bool IsValidNewItem(UINT flags, UINT_PTR idNewItem) {
    return !(flags & MF_POPUP) || internal::LookUpMenu(reinterpret_cast<HMENU>(idNewItem));
}

BOOL Remove(HMENU menu, UINT position, UINT flags, bool destroySubmenu) {
    ItemPlace place;
    if (!FindItem(menu, position, flags, &place))
        return FALSE;
    const HMENU submenu = place.Item().submenu;
    place.menu->items.erase(place.menu->items.begin() + static_cast<std::ptrdiff_t>(place.index));
    if (destroySubmenu && submenu)
        DestroyMenu(submenu);
    return TRUE;
}

} // namespace

namespace internal {
Menu* LookUpMenu(HMENU menu) {
    MenuTable& table = Table();
    const auto found = table.menus.find(reinterpret_cast<std::uintptr_t>(menu));
    return found == table.menus.end() ? nullptr : found->second.get();
}
} // namespace internal

HMENU CreateMenu() {
    return NewMenu(false);
}

HMENU CreatePopupMenu() {
    return NewMenu(true);
}

BOOL DestroyMenu(HMENU menu) {
    MenuTable& table = Table();
    const auto found = table.menus.find(reinterpret_cast<std::uintptr_t>(menu));
    if (found == table.menus.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::unique_ptr<internal::Menu> destroyed = std::move(found->second);
    table.menus.erase(found);
    for (const internal::MenuItem& item : destroyed->items)
        if (item.submenu)
            DestroyMenu(item.submenu);
    return TRUE;
}

BOOL IsMenu(HMENU menu) {
    return internal::LookUpMenu(menu) ? TRUE : FALSE;
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idNewItem, const char* newItem) {
    return InsertMenu(menu, kAppendPosition, flags | MF_BYPOSITION, idNewItem, newItem);
}

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, const char* newItem) {
    internal::Menu* record = internal::LookUpMenu(menu);
    if (!record || !IsValidNewItem(flags, idNewItem)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ItemPlace place{record, record->items.size()};
    const bool append = (flags & MF_BYPOSITION) && position >= record->items.size();
    if (!append && !FindItem(menu, position, flags, &place))
        return FALSE;
    place.menu->items.insert(place.menu->items.begin() + static_cast<std::ptrdiff_t>(place.index),
                             MakeItem(flags, idNewItem, newItem));
    return TRUE;
}

BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, const char* newItem) {
    ItemPlace place;
    if (!FindItem(menu, position, flags, &place) || !IsValidNewItem(flags, idNewItem))
        return FALSE;
    const HMENU oldSubmenu = place.Item().submenu;
    place.Item() = MakeItem(flags, idNewItem, newItem);
    if (oldSubmenu && oldSubmenu != place.Item().submenu)
        DestroyMenu(oldSubmenu);
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
    return Remove(menu, position, flags, true);
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
    return Remove(menu, position, flags, false);
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
    ItemPlace place;
    if (!FindItem(menu, item, flags, &place))
        return kNoMenuItem;
    UINT& itemFlags = place.Item().flags;
    const DWORD previous = itemFlags & MF_CHECKED;
    itemFlags = (itemFlags & ~(MF_CHECKED | MFT_RADIOCHECK)) | (flags & MF_CHECKED);
    return previous;
}

DWORD EnableMenuItem(HMENU menu, UINT item, UINT flags) {
    ItemPlace place;
    if (!FindItem(menu, item, flags, &place))
        return kNoMenuItem;
    UINT& itemFlags = place.Item().flags;
    const DWORD previous = itemFlags & kEnableFlags;
    itemFlags = (itemFlags & ~kEnableFlags) | (flags & kEnableFlags);
    return previous;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    ItemPlace checked;
    if (!FindItem(menu, check, flags, &checked))
        return FALSE;
    std::vector<internal::MenuItem>& items = checked.menu->items;
    for (std::size_t index = 0; index < items.size(); ++index) {
        internal::MenuItem& item = items[index];
        const UINT key =
            (flags & MF_BYPOSITION) ? static_cast<UINT>(index) : static_cast<UINT>(item.id);
        if (!item.IsCommand() || key < first || key > last)
            continue;
        item.flags &= ~(MF_CHECKED | MFT_RADIOCHECK);
        if (index == checked.index)
            item.flags |= MF_CHECKED | MFT_RADIOCHECK;
    }
    return TRUE;
}

int GetMenuItemCount(HMENU menu) {
    const internal::Menu* record = internal::LookUpMenu(menu);
    return record ? static_cast<int>(record->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
    ItemPlace place;
    if (position < 0 || !FindItem(menu, static_cast<UINT>(position), MF_BYPOSITION, &place) ||
        place.Item().submenu || place.Item().id == 0)
        return kNoMenuItem;
    return static_cast<UINT>(place.Item().id);
}

int GetMenuString(HMENU menu, UINT item, char* text, int maxCount, UINT flags) {
    ItemPlace place;
    if (!FindItem(menu, item, flags, &place))
        return 0;
    const std::string& itemText = place.Item().text;
    if (!text)
        return static_cast<int>(itemText.size());
    if (maxCount <= 0)
        return 0;
    const std::size_t copied = std::min(itemText.size(), static_cast<std::size_t>(maxCount - 1));
    std::memcpy(text, itemText.data(), copied);
    text[copied] = '\0';
    return static_cast<int>(copied);
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    ItemPlace place;
    if (!FindItem(menu, item, flags, &place))
        return kNoMenuItem;
    const internal::MenuItem& found = place.Item();
    UINT state = found.flags;
    if (const internal::Menu* submenu = internal::LookUpMenu(found.submenu))
        state = (state & 0xFF) |
                (static_cast<UINT>(std::min<std::size_t>(submenu->items.size(), 0xFF)) << 8);
    return state;
}

HMENU GetSubMenu(HMENU menu, int position) {
    ItemPlace place;
    if (position < 0 || !FindItem(menu, static_cast<UINT>(position), MF_BYPOSITION, &place))
        return nullptr;
    return place.Item().submenu;
}

} // namespace win
