// The viewer's main window: a small launcher frame with no picture of its
// own. Files opened from its File menu or dropped on it are shown one after
// another in a full-screen view made for the occasion; its Preferences menu
// changes the settings the views are made with.
#pragma once

#include "platform/dialogs/framewindow.h"

#include <string>
#include <vector>

class BxView;

class CMainWindow : public win::FrameWindow {
public:
    // Command ids of the menus.
    static constexpr win::UINT kFileOpen = 57601;
    static constexpr win::UINT kAppExit = 57665;
    static constexpr win::UINT kAppAbout = 57664;
    static constexpr win::UINT kFirstStereoItem = 52000;
    static constexpr win::UINT kLastStereoItem = 52100;
    static constexpr win::UINT kAlwaysStretch = 52910;
    static constexpr win::UINT kFullScreenStatusBar = 52920;
    static constexpr win::UINT kAllowAdjustments = 32807;
    static constexpr win::UINT kLoopAnimation = 32808;
    static constexpr win::UINT kCustomizeDisplay = 52900;

    // Makes the frame with its menus, accelerators and status bar.
    bool Create();

    void OnFileOpen();
    void OnDropFiles(win::HDROP drop) override;
    void OnStereoSelect(win::UINT command);
    void OnCustomizeModes();

    // The "Stereo View" popup (menu bar position 2, popup position 0).
    win::HMENU StereoMenu() const;

protected:
    bool OnCreate() override;
    void OnCommand(win::UINT id) override;
    void OnInitMenuPopup(win::HMENU popup) override;

private:
    void BuildStereoMenu();
    void Toggle(win::UINT command);
    // Shows the files in turn in one view, until one is closed with Escape;
    // throws pxError, also when there is no current method.
    void ShowFiles(const std::vector<std::string>& files);
};

// The paths a multiple-selection open dialog answered: the one file, or the
// directory joined with each name. Empty when the platform gives no list.
std::vector<std::string> ExpandFileList(const char* dialogResult);
