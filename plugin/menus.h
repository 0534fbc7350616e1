// The right-click popup menu over the inline picture: the user's quick menu
// of full-screen methods, Save As, the Settings submenu and About. One popup
// serves every instance, so its check marks show the process's settings.
#pragma once

#include "platform/win/wintypes.h"

#include <cstdint>

// Builds the popup from the quick-menu list; null when the popup itself
// could not be made. Parts that fail are reported and left out.
win::HMENU CreateRightClickPopupMenu(const int32_t* menuList, int32_t count);
// Builds the plug-in's popup (again) from its quick-menu list, with the
// radio checks on the current method and inline view; false when it failed.
bool RebuildPluginPopupMenu();
// Deletes the popup and the bitmaps of its items.
void DestroyPluginPopupMenu();

// Unchecks every id from first to last, then checks the one given.
void myCheckMenuRadioItem(win::HMENU menu, win::UINT first, win::UINT last, win::UINT check);
// The radio checks of the plug-in's popup on the default method and on the
// inline view type.
void CheckPluginStereoView(int32_t method);
void CheckPluginInlineView(int32_t view);
// The check mark of a toggle's item in the plug-in's popup.
void CheckPluginMenuItem(int command, bool checked);
