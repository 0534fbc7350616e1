// The viewer program's start-up: the preferences, the command line, and then
// either the file named there in a full-screen view or the main window.
#pragma once

#include "viewer/mainwindow.h"

#include <memory>

class BxView;

class CViewerApp {
public:
    // False when the program is to end at once with a failure; true with or
    // without a main window (MainWindow() tells).
    bool InitInstance(int argc, const char* const* argv, int showCommand);
    CMainWindow* MainWindow() const { return mainWindow.get(); }

private:
    std::unique_ptr<CMainWindow> mainWindow;
};

// The full-screen view every file of the viewer is shown in, made with the
// current settings: an alignment view when adjustments are allowed. The
// caller owns it.
std::unique_ptr<BxView> CreateViewerView();
