#include "view/excludemodes.h"

#include "devices/modeavailability.h"
#include "display/excludedmodes.h"
#include "imaging/pxerror.h"
#include "platform/dialogs/messagebox.h"
#include "platform/gdi/text.h"
#include "platform/registry/registry.h"
#include "stereo/stereomethods.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kPreferencesKey = "Software\\Norvane\\BinoxaViewer\\Preferences";
constexpr int kGroupBox = 3300;
constexpr int kColumns = 5;
constexpr int kRowHeight = 25;
// The dialog is laid out for three rows of modes and grows for more.
constexpr int kRowsLaidOut = 3;
constexpr int kGroupTop = 62;
constexpr int kGroupHeight = kRowsLaidOut * kRowHeight + 30;
constexpr int kColumnWidth = 110;
constexpr int kDialogWidth = 600;
constexpr int kDialogHeight = kGroupTop + kGroupHeight + 20;

win::DialogTemplate ExcludeModesTemplate() {
    win::DialogTemplate dialog;
    dialog.caption = "Advanced Setup-- Custom Mode Selection";
    dialog.x = 40;
    dialog.y = 40;
    dialog.cx = kDialogWidth;
    dialog.cy = kDialogHeight;
    const char* lines[] = {
        "Select the modes that you would like Binoxa to include when calculating the proper",
        ("display resolution to use.  Any modes selected here will also show up in the right "
         "click menu"),
        "of Binoxa Viewer for easy mode switching.  You MUST select at least one mode.",
    };
    for (int i = 0; i < 3; ++i)
        dialog.items.push_back(
            {"STATIC", lines[i], win::WS_VISIBLE | win::SS_LEFT, 10, 8 + 16 * i, 480, 16, -1});
    dialog.items.push_back({"BUTTON", "OK",
                            win::WS_VISIBLE | win::WS_TABSTOP | win::BS_DEFPUSHBUTTON, 505, 8, 85,
                            24, win::IDOK});
    dialog.items.push_back({"BUTTON", "Cancel",
                            win::WS_VISIBLE | win::WS_TABSTOP | win::BS_PUSHBUTTON, 505, 36, 85, 24,
                            win::IDCANCEL});
    dialog.items.push_back({"BUTTON", "Available Modes", win::WS_VISIBLE | win::BS_GROUPBOX, 10,
                            kGroupTop, kDialogWidth - 20, kGroupHeight, kGroupBox});
    return dialog;
}

} // namespace

bool IsModeListed(const std::vector<ModeStruct>& modes, const ModeStruct& mode) {
    for (const ModeStruct& listed : modes)
        if (listed.width == mode.width && listed.height == mode.height && listed.bpp == mode.bpp)
            return true;
    return false;
}

void StoreExcludedModes(const std::vector<ModeStruct>& modes) {
    ClearExcludedModes(kExcludedModesKey);
    // Created when missing: a first exclusion on a fresh account must not be lost.
    win::HKEY preferences = nullptr;
    long result = win::RegCreateKeyEx(win::HKEY_CURRENT_USER, kPreferencesKey, 0, nullptr,
                                      win::REG_OPTION_NON_VOLATILE, win::KEY_ALL_ACCESS, nullptr,
                                      &preferences, nullptr);
    if (result != win::ERROR_SUCCESS) {
        pxLog("ERROR: getting preferences: %ld", result);
        return;
    }
    win::HKEY excluded = nullptr;
    result = win::RegCreateKeyEx(preferences, "ExModes", 0, nullptr, win::REG_OPTION_NON_VOLATILE,
                                 win::KEY_ALL_ACCESS, nullptr, &excluded, nullptr);
    win::RegCloseKey(preferences);
    if (result != win::ERROR_SUCCESS) {
        pxLog("ERROR: getting preferences 2: %ld", result);
        return;
    }
    for (const ModeStruct& mode : modes) {
        const std::string name = ExcludedModeName(mode);
        result = win::RegSetValueEx(excluded, name.c_str(), 0, win::REG_SZ,
                                    reinterpret_cast<const win::BYTE*>(name.c_str()),
                                    static_cast<win::DWORD>(name.size()));
        if (result != win::ERROR_SUCCESS)
            pxLog("ERROR: setting value '%s': %ld", name.c_str(), result);
    }
    win::RegCloseKey(excluded);
}

ExcludeModes::ExcludeModes(win::HWND parent) : DialogHandler(ExcludeModesTemplate(), parent) {}

void ExcludeModes::SetModes(std::vector<ModeStruct> availableModes,
                            std::vector<ModeStruct> excludedModes) {
    available = std::move(availableModes);
    excluded = std::move(excludedModes);
}

win::BOOL ExcludeModes::OnInitDialog() {
    DialogHandler::OnInitDialog();
    const win::HWND dialog = Handle();
    for (std::size_t i = 0; i < available.size(); ++i) {
        const int column = static_cast<int>(i) % kColumns;
        const int row = static_cast<int>(i) / kColumns;
        const int id = kFirstModeBox + static_cast<int>(i);
        win::CreateWindowEx(
            0, "BUTTON", ExcludedModeName(available[i]).c_str(),
            win::WS_CHILD | win::WS_VISIBLE | win::WS_TABSTOP | win::BS_AUTOCHECKBOX,
            20 + column * kColumnWidth, kGroupTop + 20 + row * kRowHeight, kColumnWidth - 10, 20,
            dialog, reinterpret_cast<win::HMENU>(static_cast<std::intptr_t>(id)), nullptr, nullptr);
        const bool on = !IsModeListed(excluded, available[i]);
        win::CheckDlgButton(dialog, id, on ? win::BST_CHECKED : win::BST_UNCHECKED);
    }
    const int rows = (static_cast<int>(available.size()) + kColumns - 1) / kColumns;
    if (rows > kRowsLaidOut) {
        const int grow = (rows - kRowsLaidOut) * kRowHeight;
        win::RECT frame;
        win::GetWindowRect(dialog, &frame);
        win::MoveWindow(dialog, frame.left, frame.top, frame.right - frame.left,
                        frame.bottom - frame.top + grow, win::TRUE);
        win::MoveWindow(Item(kGroupBox), 10, kGroupTop, kDialogWidth - 20, kGroupHeight + grow,
                        win::TRUE);
    }
    const char* method = MethodDisplayName(stereoViewMethod, "Unknown");
    const char* display = displayType == DisplayGDI          ? "GDI"
                          : displayType == DisplayDirectDraw ? "DirectDraw"
                                                             : "Don't Care";
    char caption[256];
    std::snprintf(caption, sizeof caption, "Available modes using %s with %s", method, display);
    win::SetWindowText(dialog, caption);
    return win::TRUE;
}

win::HBRUSH ExcludeModes::OnCtlColor(win::HDC dc, win::HWND control) {
    const win::HBRUSH brush = DialogHandler::OnCtlColor(dc, control);
    for (std::size_t i = 0; i < available.size(); ++i) {
        if (Item(kFirstModeBox + static_cast<int>(i)) != control)
            continue;
        const ModeStruct& mode = available[i];
        if (!IsStereoModeAvailable(stereoViewMethod, static_cast<int>(mode.width),
                                   static_cast<int>(mode.height), static_cast<int>(mode.bpp)))
            win::SetTextColor(dc, win::RGB(100, 100, 100));
    }
    return brush;
}

void ExcludeModes::OnOK() {
    std::vector<ModeStruct> unticked;
    for (std::size_t i = 0; i < available.size(); ++i)
        if (win::IsDlgButtonChecked(Handle(), kFirstModeBox + static_cast<int>(i)) !=
            win::BST_CHECKED)
            unticked.push_back(available[i]);
    if (unticked.size() == available.size()) {
        win::MessageBox(Handle(), "You need to check at least one mode.", "Binoxa Viewer",
                        win::MB_OK);
        return;
    }
    excluded = std::move(unticked);
    StoreExcludedModes(excluded);
    EndDialog(win::IDOK);
}
