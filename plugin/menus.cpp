#include "plugin/menus.h"

#include "imaging/pxerror.h"
#include "platform/gdi/objects.h"
#include "platform/win/bitmapresources.h"
#include "platform/win/menus.h"
#include "plugin/menuitems.h"
#include "plugin/plugin.h"
#include "plugin/toggles.h"
#include "stereo/stereomethods.h"

#include <iterator>

using namespace win;

namespace {

constexpr UINT kFirstMethodCommand = kCommandStereoView + 1;
constexpr UINT kLastMethodCommand = kCommandStereoView + 25;
constexpr UINT kFirstInlineCommand = kCommandInlineView;
constexpr UINT kLastInlineCommand = kCommandInlineView + 19;

// The default full-screen method popup's methods, 0 for a separator.
constexpr int32_t kStereoViewItems[] = {1, 21, 22, 2, 3,  4,  5,  6,  7,  0, 8,
                                        9, 10, 11, 0, 12, 13, 14, 15, 16, 19};
// The inline view popup's types, -1 for a separator.
constexpr int32_t kInlineViewItems[] = {0,  1,  2, 7, 8, -1, 14, 15, 10, 11,
                                        12, 13, 3, 4, 5, 6,  -1, 16, 17, 18};

// The artwork's bitmap, kept for shutdown; null (logged) when missing.
HBITMAP ItemBitmap(int id) {
    PluginState& plugin = ThePlugin();
    const HBITMAP bitmap = LoadBitmap(plugin.module, MAKEINTRESOURCE(id));
    if (!bitmap) {
        pxLog("bitmap was NULL");
        return nullptr;
    }
    plugin.menuBitmaps.push_back(bitmap);
    return bitmap;
}

void AppendItem(HMENU menu, UINT command, int bitmap, UINT flags = 0) {
    AppendMenu(menu, MF_BITMAP | flags, command, reinterpret_cast<const char*>(ItemBitmap(bitmap)));
}

void AppendPopup(HMENU menu, HMENU popup, int bitmap) {
    AppendMenu(menu, MF_POPUP | MF_BITMAP, reinterpret_cast<UINT_PTR>(popup),
               reinterpret_cast<const char*>(ItemBitmap(bitmap)));
}

void AppendToggle(HMENU menu, const PluginToggle& toggle) {
    const bool on = ThePlugin().preferences.*toggle.preference != 0;
    AppendItem(menu, static_cast<UINT>(toggle.command), toggle.bitmap,
               on ? MF_CHECKED : MF_UNCHECKED);
}

// Null (reported) when the popup could not be made.
HMENU NewPopup(const char* failure) {
    const HMENU popup = CreatePopupMenu();
    if (!popup)
        PluginMessage(nullptr, failure);
    return popup;
}

void AppendQuickMenu(HMENU menu, const int32_t* menuList, int32_t count) {
    int entries = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int bitmap = BitmapOfMethod(menuList[i]);
        if (!bitmap) {
            pxLog("CreateRightClickPopupMenu -- bad item in menuList: %d", menuList[i]);
            PluginMessage(nullptr,
                          "Invalid viewing method for \"quick menu\".  You may need to "
                          "re-customize your right click menu (in Binoxa Settings).",
                          nullptr);
            continue;
        }
        AppendItem(menu, static_cast<UINT>(kCommandQuickMenu + menuList[i]), bitmap);
        ++entries;
    }
    if (entries > 0)
        AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
}

void AppendSettings(HMENU menu) {
    const HMENU settings = NewPopup("Couldn't create Settings sub-menu");
    if (!settings)
        return;
    if (const HMENU methods = NewPopup("Couldn't create stereo view sub-menu")) {
        for (const int32_t method : kStereoViewItems) {
            if (method == 0)
                AppendMenu(methods, MF_SEPARATOR, 0, nullptr);
            else
                AppendItem(methods, static_cast<UINT>(kCommandStereoView + method),
                           BitmapOfMethod(method));
        }
        AppendPopup(settings, methods, kBitmapStereoViewMenu);
    }
    if (const HMENU views = NewPopup("Couldn't create inline view sub-menu")) {
        for (const int32_t view : kInlineViewItems) {
            if (view < 0)
                AppendMenu(views, MF_SEPARATOR, 0, nullptr);
            else
                AppendItem(views, static_cast<UINT>(kCommandInlineView + view),
                           kBitmapInlineViews + view);
        }
        AppendPopup(settings, views, kBitmapInlineViewMenu);
    }
    AppendMenu(settings, MF_SEPARATOR, 0, nullptr);
    const PluginToggle& loop = std::end(kPluginToggles)[-1];
    for (const PluginToggle& toggle : kPluginToggles)
        if (&toggle != &loop)
            AppendToggle(settings, toggle);
    if (const HMENU animation = NewPopup("Couldn't create Animation sub-menu")) {
        AppendToggle(animation, loop);
        AppendPopup(settings, animation, kBitmapAnimationMenu);
    }
    AppendItem(settings, kCommandPacketSize, kBitmapPacketSize);
    AppendItem(settings, kCommandCustomizeDisplay, kBitmapCustomizeDisplay);
    AppendMenu(settings, MF_SEPARATOR, 0, nullptr);
    AppendItem(settings, kCommandCustomizeQuickMenu, kBitmapCustomizeQuickMenu);
    AppendPopup(menu, settings, kBitmapSettings);
}

} // namespace

HMENU CreateRightClickPopupMenu(const int32_t* menuList, int32_t count) {
    const HMENU menu = CreatePopupMenu();
    if (!menu)
        return nullptr;
    AppendQuickMenu(menu, menuList, count);
    AppendItem(menu, kCommandSaveAs, kBitmapSaveAs);
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendSettings(menu);
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(menu, kCommandAbout, kBitmapAbout);
    return menu;
}

bool RebuildPluginPopupMenu() {
    DestroyPluginPopupMenu();
    PluginState& plugin = ThePlugin();
    plugin.popupMenu = CreateRightClickPopupMenu(plugin.quickMenu, plugin.quickMenuCount);
    if (!plugin.popupMenu)
        return false;
    if (plugin.method)
        CheckPluginStereoView(plugin.method->id);
    CheckPluginInlineView(plugin.preferences.inlineView);
    return true;
}

void DestroyPluginPopupMenu() {
    PluginState& plugin = ThePlugin();
    if (plugin.popupMenu)
        DestroyMenu(plugin.popupMenu);
    plugin.popupMenu = nullptr;
    for (const HBITMAP bitmap : plugin.menuBitmaps)
        DeleteObject(reinterpret_cast<HGDIOBJ>(bitmap));
    plugin.menuBitmaps.clear();
}

void myCheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check) {
    if (first >= last) {
        pxLog("first >= last");
        PluginMessage(nullptr, "first greater than last in myCheckMenuRadioItem", nullptr);
    }
    for (UINT id = first; id <= last; ++id)
        CheckMenuItem(menu, id, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(menu, check, MF_BYCOMMAND | MF_CHECKED);
}

void CheckPluginStereoView(int32_t method) {
    if (const HMENU menu = ThePlugin().popupMenu)
        myCheckMenuRadioItem(menu, kFirstMethodCommand, kLastMethodCommand,
                             static_cast<UINT>(kCommandStereoView + method));
}

void CheckPluginInlineView(int32_t view) {
    if (const HMENU menu = ThePlugin().popupMenu)
        myCheckMenuRadioItem(menu, kFirstInlineCommand, kLastInlineCommand,
                             static_cast<UINT>(kCommandInlineView + view));
}

void CheckPluginMenuItem(int command, bool checked) {
    if (const HMENU menu = ThePlugin().popupMenu)
        CheckMenuItem(menu, static_cast<UINT>(command),
                      MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}
