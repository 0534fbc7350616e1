#include "plugin/plugindialogs.h"

#include "imaging/pxerror.h"
#include "platform/dialogs/controls.h"
#include "platform/dialogs/filedialog.h"
#include "platform/dialogs/messagebox.h"
#include "platform/registry/registry.h"
#include "platform/sys/files.h"
#include "plugin/menuitems.h"
#include "plugin/menus.h"
#include "plugin/plugin.h"
#include "stereo/stereomethods.h"
#include "viewer/aboutbox.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace win;

namespace {

DialogTemplate DescriptorWarningTemplate() {
    DialogTemplate dialog;
    dialog.caption = "Stereoscopic Descriptor not found!";
    dialog.x = 60;
    dialog.y = 60;
    dialog.cx = 400;
    dialog.cy = 190;
    dialog.items = {
        {"STATIC",
         "No Stereoscopic Descriptor was found in this image.  The stereo format of this image "
         "is unknown.  This image may appear squashed, in pseudo-stereo, or just screwed up.  Do "
         "you want to try and view the image in stereo anyway?",
         WS_VISIBLE | SS_LEFT, 12, 12, 376, 80, -1},
        {"BUTTON", "Please warn me about images with a missing Stereoscopic Descriptor.",
         WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 12, 100, 376, 20,
         CDescriptorWarningDlg::kWarnAgain},
        {"BUTTON", "Yes", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 224, 150, 72, 26, IDYES},
        {"BUTTON", "No", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 304, 150, 72, 26, IDNO},
    };
    return dialog;
}

DialogTemplate PxrNotificationTemplate() {
    DialogTemplate dialog;
    dialog.caption = "Binoxa PXR File Notification";
    dialog.x = 60;
    dialog.y = 60;
    dialog.cx = 420;
    dialog.cy = 240;
    dialog.items = {
        {"STATIC", "Your current viewing method is:", WS_VISIBLE | SS_LEFT, 12, 12, 190, 18, -1},
        {"STATIC", "", WS_VISIBLE | SS_LEFT, 206, 12, 200, 18, CPxrNotificationDlg::kChosen},
        {"STATIC", "This PXR file can only be viewed with one of the following viewing methods:",
         WS_VISIBLE | SS_LEFT, 12, 40, 396, 36, -1},
        {"LISTBOX", "", WS_VISIBLE | WS_TABSTOP, 12, 80, 396, 80, CPxrNotificationDlg::kAllowed},
        {"BUTTON", "Tessel Homepage", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 12, 200, 130, 26,
         CPxrNotificationDlg::kTessel},
        {"BUTTON", "Binoxa Homepage", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 150, 200, 130, 26,
         CPxrNotificationDlg::kBinoxa},
        {"BUTTON", "Close", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 336, 200, 72, 26, IDCANCEL},
    };
    return dialog;
}

// The packet sizes' buttons, in the dialog's order.
constexpr std::pair<int, int32_t> kPacketSizes[] = {
    {CPacketSizeDlg::k1024, 1024},   {CPacketSizeDlg::k2048, 2048},
    {CPacketSizeDlg::k4096, 4096},   {CPacketSizeDlg::k8192, 8192},
    {CPacketSizeDlg::k16384, 16384}, {CPacketSizeDlg::k32768, 32768},
    {CPacketSizeDlg::k65536, 65536},
};
constexpr int32_t kAdaptivePacketSize = 7;

DialogTemplate PacketSizeTemplate() {
    DialogTemplate dialog;
    dialog.caption = "Binoxa Packet Size";
    dialog.x = 60;
    dialog.y = 60;
    dialog.cx = 220;
    dialog.cy = 250;
    int y = 12;
    for (const auto& [id, size] : kPacketSizes) {
        const DWORD group = id == CPacketSizeDlg::k1024 ? WS_GROUP : 0;
        dialog.items.push_back({"BUTTON", std::to_string(size) + " bytes",
                                WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON | group, 16, y, 180,
                                20, id});
        y += 24;
    }
    dialog.items.push_back({"BUTTON", "Adaptive", WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON, 16,
                            y, 180, 20, CPacketSizeDlg::kAdaptive});
    dialog.items.push_back({"BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON | WS_GROUP,
                            40, 214, 72, 26, IDOK});
    dialog.items.push_back(
        {"BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 120, 214, 72, 26, IDCANCEL});
    return dialog;
}

// The methods the quick menu can offer, in the dialog's order.
constexpr int32_t kQuickMenuMethods[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,
                                         10, 11, 12, 13, 14, 15, 16, 19, 21};

DialogTemplate QuickMenuTemplate() {
    DialogTemplate dialog;
    dialog.caption = "Customize Right Click Menu";
    dialog.x = 60;
    dialog.y = 60;
    dialog.cx = 460;
    dialog.cy = 300;
    constexpr int rows = 9;
    int index = 0;
    for (const int32_t method : kQuickMenuMethods) {
        const int x = 12 + (index / rows) * 220;
        const int y = 12 + (index % rows) * 26;
        dialog.items.push_back({"BUTTON", MethodDisplayName(GetStereoMethodByID(method), ""),
                                WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, x, y, 212, 22,
                                CQuickMenuDlg::kFirstMethodBox + method});
        ++index;
    }
    dialog.items.push_back(
        {"BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 292, 262, 72, 26, IDOK});
    dialog.items.push_back(
        {"BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 372, 262, 72, 26, IDCANCEL});
    return dialog;
}

DialogTemplate AboutTemplate() {
    DialogTemplate dialog;
    dialog.caption = "About Binoxa";
    dialog.x = 40;
    dialog.y = 40;
    dialog.cx = 340;
    dialog.cy = 176;
    dialog.items = {
        {"STATIC", "#111", WS_VISIBLE | SS_BITMAP, 12, 12, 100, 120, 1209},
        {"STATIC", "program name", WS_VISIBLE | SS_LEFT, 126, 14, 200, 16, 1210},
        {"STATIC", "version", WS_VISIBLE | SS_LEFT, 126, 34, 200, 16, 1211},
        {"STATIC", "program copyright", WS_VISIBLE | SS_LEFT, 126, 54, 200, 16, 1212},
        {"STATIC", "binoxa core info", WS_VISIBLE | SS_LEFT, 126, 74, 200, 16, 1215},
        {"STATIC", "build info", SS_LEFT, 126, 94, 200, 16, 1213},
        {"BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 256, 140, 72, 26, IDOK},
        {"BUTTON", "Credits", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 12, 140, 72, 26, 1011},
        {"BUTTON", "Binoxa on the Web", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 92, 140, 156, 26,
         kAboutWebButton},
    };
    return dialog;
}

} // namespace

CDescriptorWarningDlg::CDescriptorWarningDlg(HWND parent)
    : DialogHandler(DescriptorWarningTemplate(), parent) {}

BOOL CDescriptorWarningDlg::OnInitDialog() {
    CheckDlgButton(Handle(), kWarnAgain,
                   ThePlugin().preferences.warnOnNoDescriptor ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

bool CDescriptorWarningDlg::OnCommand(int id, WORD, HWND) {
    if (id != IDYES && id != IDNO)
        return false;
    PluginState& plugin = ThePlugin();
    plugin.preferences.warnOnNoDescriptor = IsDlgButtonChecked(Handle(), kWarnAgain) ? 1 : 0;
    plugin.registry.SetUserValue("WarnOnNoDescriptor",
                                 static_cast<uint32_t>(plugin.preferences.warnOnNoDescriptor),
                                 REG_DWORD);
    CheckPluginMenuItem(kCommandWarnOnNoDescriptor, plugin.preferences.warnOnNoDescriptor != 0);
    EndDialog(id);
    return true;
}

CPxrNotificationDlg::CPxrNotificationDlg(HWND parent, const int32_t* allowedMethods,
                                         const StereoViewMethod* chosen)
    : DialogHandler(PxrNotificationTemplate(), parent), chosen(chosen) {
    for (const int32_t* id = allowedMethods; id && *id != -1; ++id)
        allowed.push_back(*id);
}

BOOL CPxrNotificationDlg::OnInitDialog() {
    SetWindowText(Item(kChosen), MethodDisplayName(chosen, ""));
    for (const int32_t id : allowed)
        if (const char* name = MethodDisplayName(GetStereoMethodByID(id), ""); *name)
            SendDlgItemMessage(Handle(), kAllowed, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    return TRUE;
}

bool CPxrNotificationDlg::OnCommand(int id, WORD, HWND) {
    if (id != kTessel && id != kBinoxa)
        return false;
    EndDialog(id);
    return true;
}

CPacketSizeDlg::CPacketSizeDlg(HWND parent, int32_t* packetSize)
    : DialogHandler(PacketSizeTemplate(), parent), packetSize(packetSize) {}

BOOL CPacketSizeDlg::OnInitDialog() {
    if (!packetSize) {
        pxLog("PacketSizeDlgProc [WM_INITDIALOG]: no initial packet size given!");
        return TRUE;
    }
    int checked = kAdaptive;
    if (*packetSize != kAdaptivePacketSize) {
        // The largest size the value reaches, 1024 for anything smaller.
        checked = k1024;
        for (const auto& [id, size] : kPacketSizes)
            if (*packetSize >= size)
                checked = id;
    }
    CheckDlgButton(Handle(), checked, BST_CHECKED);
    return TRUE;
}

void CPacketSizeDlg::OnOK() {
    if (!packetSize) {
        pxLog("PacketSizeDlgProc [WM_COMMAND:IDOK]: no initial packet size given!");
        EndDialog(IDOK);
        return;
    }
    *packetSize = kAdaptivePacketSize;
    for (const auto& [id, size] : kPacketSizes)
        if (IsDlgButtonChecked(Handle(), id))
            *packetSize = size;
    EndDialog(*packetSize);
}

CQuickMenuDlg::CQuickMenuDlg(HWND parent) : DialogHandler(QuickMenuTemplate(), parent) {}

BOOL CQuickMenuDlg::OnInitDialog() {
    PluginState& plugin = ThePlugin();
    ReadQuickMenu(plugin);
    for (int32_t i = 0; i < plugin.quickMenuCount; ++i)
        CheckDlgButton(Handle(), kFirstMethodBox + plugin.quickMenu[i], BST_CHECKED);
    return TRUE;
}

void CQuickMenuDlg::OnOK() {
    constexpr size_t kLongest = 128;
    std::string text;
    for (int id = kFirstMethodBox; id <= kFirstMethodBox + 22; ++id) {
        if (!IsDlgButtonChecked(Handle(), id))
            continue;
        const std::string entry = std::to_string(id - kFirstMethodBox) + ",";
        if (text.size() + entry.size() > kLongest)
            break;
        text += entry;
    }
    PluginState& plugin = ThePlugin();
    plugin.registry.SetUserString("QuickMenu", text.c_str(), REG_SZ);
    ReadQuickMenu(plugin);
    RebuildPluginPopupMenu();
    EndDialog(IDOK);
}

INT_PTR ShowPluginAbout(HWND parent) {
    AboutBoxControls controls;
    controls.name = 1210;
    controls.version = 1211;
    controls.copyright = 1212;
    controls.build = 1213;
    controls.core = 1215;
    controls.picture = 1209;
    controls.credits = 1011;
    controls.endsWithOwnId = kAboutWebButton;
    controls.creditsBitmap = 152;
    const HINSTANCE module = ThePlugin().module;
    CAboutBox box(AboutTemplate(), controls, parent, module);
    return box.DoModal();
}

int SaveAs(const char* sourceFile, HWND owner, const char* defaultName) {
    static DWORD filterIndex = 1; // remembered from one Save As to the next
    char file[300] = {};
    char title[40] = {};
    std::snprintf(file, sizeof file, "%s", defaultName ? defaultName : "");
    // "name.jps" saves as .jps unless the user types another extension.
    const size_t length = std::strlen(file);
    const char* extension = length >= 4 && file[length - 4] == '.' ? file + length - 3 : nullptr;
    OPENFILENAME dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "All Files (*.*)\0*.*\0";
    dialog.nFilterIndex = filterIndex;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrFileTitle = title;
    dialog.nMaxFileTitle = sizeof title;
    dialog.lpstrTitle = "Save As...";
    dialog.lpstrDefExt = extension;
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (GetSaveFileName(&dialog)) {
        filterIndex = dialog.nFilterIndex;
        if (!CopyFile(sourceFile, file, FALSE)) {
            char text[400];
            std::snprintf(text, sizeof text, "Couldn't save the picture as '%s'.", file);
            PluginMessage(owner, text);
        }
    }
    return 1;
}
