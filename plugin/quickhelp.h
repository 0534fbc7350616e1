// The quick help shown when a download ends: what a left and a right click
// do, two links to the maker's pages, and a box to stop showing it.
#pragma once

#include "platform/dialogs/dialoghandler.h"
#include "plugin/plugin.h"

class CQuickHelpDlg : public win::DialogHandler {
public:
    enum Control { kDontShowAgain = 1203, kTutorial = 1205, kTessel = 1206 };

    explicit CQuickHelpDlg(win::HWND parent);

protected:
    void OnOK() override;
    bool OnCommand(int id, win::WORD code, win::HWND control) override;

private:
    // Any button keeps the box's choice and ends the dialog with its id.
    void End(int id);
};

// Shows the dialog over the instance's window and opens the page a link
// button names in the same browser frame.
void ShowQuickHelp(PluginInstance& This);
