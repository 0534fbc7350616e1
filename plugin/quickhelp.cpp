#include "plugin/quickhelp.h"

#include "platform/dialogs/controls.h"
#include "platform/dialogs/messagebox.h"
#include "platform/registry/registry.h"
#include "viewer/webaddresses.h"

using namespace win;

namespace {

DialogTemplate QuickHelpTemplate() {
    DialogTemplate dialog;
    dialog.caption = "Binoxa Quick Help";
    dialog.x = 60;
    dialog.y = 60;
    dialog.cx = 380;
    dialog.cy = 190;
    dialog.items = {
        {"STATIC",
         "Click the picture with the left mouse button to see it in stereo, full screen.  "
         "Click it with the right mouse button to change how it is shown and the plug-in's "
         "settings.",
         WS_VISIBLE | SS_LEFT, 12, 12, 356, 64, -1},
        {"BUTTON", "Don't show this dialog again.", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 12,
         88, 356, 20, CQuickHelpDlg::kDontShowAgain},
        {"BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 296, 150, 72, 26, IDOK},
        {"BUTTON", "Binoxa Tutorial", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 12, 150, 130, 26,
         CQuickHelpDlg::kTutorial},
        {"BUTTON", "Check out the Tessel!", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 150, 150, 138,
         26, CQuickHelpDlg::kTessel},
    };
    return dialog;
}

} // namespace

CQuickHelpDlg::CQuickHelpDlg(HWND parent) : DialogHandler(QuickHelpTemplate(), parent) {}

void CQuickHelpDlg::OnOK() {
    End(IDOK);
}

bool CQuickHelpDlg::OnCommand(int id, WORD, HWND) {
    if (id != kTutorial && id != kTessel)
        return false;
    End(id);
    return true;
}

void CQuickHelpDlg::End(int id) {
    PluginState& plugin = ThePlugin();
    plugin.preferences.dontShowQuickHelp = IsDlgButtonChecked(Handle(), kDontShowAgain) ? 1 : 0;
    plugin.registry.SetUserValue("DontShowQuickHelp",
                                 static_cast<uint32_t>(plugin.preferences.dontShowQuickHelp),
                                 REG_DWORD);
    EndDialog(id);
}

void ShowQuickHelp(PluginInstance& This) {
    const INT_PTR chosen = CQuickHelpDlg(This.hwnd).DoModal();
    const char* page = chosen == CQuickHelpDlg::kTutorial ? TutorialWebAddress()
                       : chosen == CQuickHelpDlg::kTessel ? GlassesWebAddress()
                                                          : nullptr;
    const NPNetscapeFuncs* browser = ThePlugin().browser;
    if (page && browser && browser->geturl)
        browser->geturl(This.instance, page, "_self");
}
