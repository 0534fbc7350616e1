// The about box: the product name, copyright and version of the program's
// own file from its version information, when it was built, the version of
// the core library in the system directory, and a credits bitmap that rolls
// through its picture. CAboutBox is the box over any set of control ids and
// bitmaps (the plug-in has its own); CAboutDlg is the viewer's.
#pragma once

#include "platform/dialogs/dialoghandler.h"
#include "platform/win/wintypes.h"

#include <string>

// Which controls of the dialog show what, and the bitmaps it shows.
struct AboutBoxControls {
    int name = 0;
    int version = 0;
    int copyright = 0;
    int build = 0;
    int core = 0;
    int picture = 0;
    int credits = 0;             // the button that starts the roll
    int endsWithOwnId = 0;       // a button that ends the dialog with its id; 0 for none
    win::WORD creditsBitmap = 0; // the picture's own bitmap is named by the template
};

class CAboutBox : public win::DialogHandler {
public:
    // The version information and the bitmaps come from the module's file
    // (null: the program).
    CAboutBox(win::DialogTemplate dialogTemplate, const AboutBoxControls& controls,
              win::HWND parent, win::HINSTANCE module);
    ~CAboutBox() override;

    // The language block of the version strings: "040904B0", or "040904E4"
    // when set to that value (any other value keeps the default).
    void SetLanguageBlock(const std::string& block);
    // Whether the core library's version is shown (both front ends say yes).
    bool showCoreVersion = true;

    bool RollRunning() const { return rolling; }

protected:
    win::BOOL OnInitDialog() override;
    bool OnCommand(int id, win::WORD code, win::HWND control) override;

    // After each step of the roll has been drawn (step counts from 0).
    virtual void OnCreditsStep(int step);
    // The application's idle processing, done between the roll's messages.
    virtual void OnIdle();

private:
    void ShowVersionInformation();
    void LoadCredits();
    void ShowCoreVersion();
    void RollCredits();
    // Handles messages until the next step is due; false when the roll is
    // to stop.
    bool WaitForNextStep(win::DWORD& previousStep);

    AboutBoxControls controls;
    win::HINSTANCE module;
    std::string languageBlock = "040904B0";
    win::HBITMAP credits = nullptr;
    int creditsWidth = 0;
    int creditsHeight = 0;
    bool rolling = false;
};

// The viewer's about box, dialog 100 "About Binoxa Viewer".
class CAboutDlg : public CAboutBox {
public:
    explicit CAboutDlg(win::HWND parent);
};

// The viewer's dialog and its controls, as CAboutDlg shows them.
win::DialogTemplate ViewerAboutTemplate();
AboutBoxControls ViewerAboutControls();
