// Menus: popup menus and menu bars whose items carry command ids, texts or
// bitmaps, check marks, separators, sub-menus and column breaks.
#pragma once

#include "platform/win/window.h"

namespace win {

constexpr UINT MF_INSERT = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BITMAP = 0x0004;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_MENUBARBREAK = 0x0020;
constexpr UINT MF_MENUBREAK = 0x0040;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
// In GetMenuState's answer: the check is a radio bullet (CheckMenuRadioItem).
constexpr UINT MFT_RADIOCHECK = 0x0200;

// What the item calls answer for an item that does not exist.
constexpr DWORD kNoMenuItem = 0xFFFFFFFF;

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the sub-menus too.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);

// newItem is the text for MF_STRING and the bitmap (cast) for MF_BITMAP;
// idNewItem is the sub-menu (cast) for MF_POPUP.
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idNewItem, const char* newItem);
// Inserts before the item at the position or with the command; position
// 0xFFFFFFFF with MF_BYPOSITION appends.
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, const char* newItem);
// Replaces the item; a sub-menu it opened is destroyed.
BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, const char* newItem);
// DeleteMenu destroys a sub-menu the item opens, RemoveMenu keeps it.
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);

// MF_BYCOMMAND searches sub-menus too. The answers are the previous state
// (MF_CHECKED/MF_UNCHECKED, MF_ENABLED/MF_GRAYED/MF_DISABLED), or kNoMenuItem.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
DWORD EnableMenuItem(HMENU menu, UINT item, UINT flags);
// Checks one item with a radio bullet and unchecks the others of the range
// in the menu that holds it.
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);

int GetMenuItemCount(HMENU menu);
// kNoMenuItem for a sub-menu item, an item with id 0 or a position out of
// range.
UINT GetMenuItemID(HMENU menu, int position);
// Copies at most maxCount - 1 characters; a null text answers the length.
int GetMenuString(HMENU menu, UINT item, char* text, int maxCount, UINT flags);
// The item's MF_* flags; for a sub-menu item the high byte holds the
// sub-menu's item count.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
HMENU GetSubMenu(HMENU menu, int position);

// A top-level window's menu bar. Commands arrive as WM_COMMAND; before a
// menu opens its owner gets WM_INITMENUPOPUP, and WM_MENUSELECT as the
// pointer moves over items.
BOOL SetMenu(HWND window, HMENU menu);
HMENU GetMenu(HWND window);
BOOL DrawMenuBar(HWND window);

constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_VCENTERALIGN = 0x0010;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

// Shows the popup at (x, y), screen coordinates, and waits for the choice,
// asking the prompt responder when one is set (platform/win/promptresponder.h).
// A chosen command is posted to the owner as WM_COMMAND; with TPM_RETURNCMD
// it is answered instead (0 when the menu was dismissed). Without
// TPM_RETURNCMD a dismissed menu still answers TRUE.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* reservedRect);

} // namespace win
