#include "plugin/plugindialogs.h"

#include "platform/dialogs/controls.h"
#include "platform/dialogs/messagebox.h"
#include "platform/registry/registry.h"
#include "plugin/plugin.h"
#include "stereo/stereomethods.h"

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
