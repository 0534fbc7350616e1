#include "plugin/commands.h"

#include "imaging/pxerror.h"
#include "platform/dialogs/messagebox.h"
#include "platform/registry/registry.h"
#include "platform/win/menus.h"
#include "platform/win/paint.h"
#include "plugin/fullscreen.h"
#include "plugin/menuitems.h"
#include "plugin/menus.h"
#include "plugin/plugindialogs.h"
#include "plugin/toggles.h"
#include "stereo/stereomethods.h"
#include "viewer/displaycustomisation.h"
#include "viewer/webaddresses.h"

using namespace win;

namespace {

// The methods a quick menu can hold are those with an item bitmap.
bool IsQuickMenuCommand(int command) {
    const int method = command - kCommandQuickMenu;
    return method >= 1 && BitmapOfMethod(method) != 0;
}

void Flip(const PluginToggle& toggle) {
    PluginState& plugin = ThePlugin();
    int32_t& value = plugin.preferences.*toggle.preference;
    value = value ? 0 : 1;
    CheckPluginMenuItem(toggle.command, value != 0);
    if (toggle.common)
        plugin.registry.SetCommonValue(toggle.name, static_cast<uint32_t>(value), REG_DWORD);
    else
        plugin.registry.SetUserValue(toggle.name, static_cast<uint32_t>(value), REG_DWORD);
}

void ViewWithQuickMenuMethod(PluginInstance& This, int command) {
    const StereoViewMethod* method = GetStereoMethodByID(command - kCommandQuickMenu);
    if (!method) {
        pxLog("Bad viewing method from menu!");
        return;
    }
    This.method = method;
    StartFullScreen(This, method);
}

void SaveDownloadedFile(const PluginInstance& This) {
    if (!This.complete) {
        PluginMessage(This.hwnd, "Can't save image until it has finished downloading.");
        return;
    }
    SaveAs(This.tempFile.c_str(), This.hwnd, This.streamName.c_str());
}

void ChooseStereoView(int command) {
    PluginState& plugin = ThePlugin();
    plugin.method = GetStereoMethodByID(command - kCommandStereoView);
    if (!plugin.method)
        plugin.method = ChangeToFirstMethod("");
    if (!plugin.method)
        return;
    plugin.registry.SetCommonValue("StereoView", static_cast<uint32_t>(plugin.method->id),
                                   REG_DWORD);
    CheckPluginStereoView(plugin.method->id);
}

void ChooseInlineView(const PluginInstance& This, int command) {
    PluginState& plugin = ThePlugin();
    const int32_t view = command - kCommandInlineView;
    if (view == plugin.preferences.inlineView)
        return;
    if (view != 0)
        PluginMessage(This.hwnd,
                      "Warning!  You are about to change your inline viewing method.\nThis will "
                      "change the way stereo images appear in your web\nbrowser.  It is perfectly "
                      "fine to do this, but you should be\naware that stereo images embedded in a "
                      "web page may not\nappear as the author intended.",
                      "Binoxa Notification", MB_ICONINFORMATION);
    plugin.preferences.inlineView = view;
    plugin.registry.SetCommonValue("InlineView", static_cast<uint32_t>(view), REG_DWORD);
    CheckPluginInlineView(view);
    for (const HWND window : plugin.windowTable) {
        if (!window)
            continue;
        if (auto* other = InstanceOfWindow(window))
            other->rebuildConverted = 1;
        InvalidateRect(window, nullptr, This.mode == NP_FULL ? TRUE : FALSE);
    }
}

void CustomizeQuickMenu(const PluginInstance& This) {
    CQuickMenuDlg(This.hwnd).DoModal();
}

void CustomizeDisplayForPlugin(const PluginInstance& This) {
    PluginState& plugin = ThePlugin();
    PluginPreferences& preferences = plugin.preferences;
    CustomizeDisplay(This.hwnd, plugin.method, plugin.excludedModes, preferences.displayMethod,
                     preferences.modeType, plugin.registry);
}

void ChoosePacketSize(PluginInstance& This) {
    CPacketSizeDlg(This.hwnd, &This.userPacketSize).DoModal();
    ThePlugin().registry.SetUserValue("UserPacketSize", static_cast<uint32_t>(This.userPacketSize),
                                      REG_DWORD);
}

void ShowAbout(const PluginInstance& This) {
    if (ShowPluginAbout(This.hwnd) != kAboutWebButton)
        return;
    const NPNetscapeFuncs* browser = ThePlugin().browser;
    if (browser && browser->geturl)
        browser->geturl(This.instance, BinoxaWebAddress(), "_self");
}

} // namespace

void TrackPluginPopupMenu(PluginInstance& This, int x, int y) {
    const HMENU menu = ThePlugin().popupMenu;
    if (!menu)
        return;
    POINT point{x, y};
    ClientToScreen(This.hwnd, &point);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, point.x, point.y, 0, This.hwnd, nullptr);
}

void OnPluginCommand(PluginInstance& This, int command) {
    if (IsQuickMenuCommand(command)) {
        ViewWithQuickMenuMethod(This, command);
        return;
    }
    for (const PluginToggle& toggle : kPluginToggles)
        if (toggle.command == command) {
            Flip(toggle);
            return;
        }
    if (command == kCommandSaveAs)
        SaveDownloadedFile(This);
    else if (command == kCommandCustomizeQuickMenu)
        CustomizeQuickMenu(This);
    else if (command == kCommandCustomizeDisplay)
        CustomizeDisplayForPlugin(This);
    else if (command == kCommandPacketSize)
        ChoosePacketSize(This);
    else if (command == kCommandAbout)
        ShowAbout(This);
    else if (command > kCommandStereoView && command <= kCommandStereoView + 22)
        ChooseStereoView(command);
    else if (command >= kCommandInlineView && command <= kCommandInlineView + kInlineViewCount)
        ChooseInlineView(This, command);
}
