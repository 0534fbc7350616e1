#include "viewer/viewerapp.h"

#include "imaging/pxerror.h"
#include "platform/dialogs/messagebox.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "stereo/stereomethods.h"
#include "view/bxview.h"
#include "view/editview.h"
#include "viewer/preferences.h"
#include "viewer/showfile.h"

std::unique_ptr<BxView> CreateViewerView() {
    const ViewerSettings& settings = TheViewerSettings();
    std::unique_ptr<BxView> view;
    if (settings.allowFullScreenAdjustments)
        view = std::make_unique<EditView>();
    else
        view = std::make_unique<BxView>();
    view->SetStatusBar(settings.statusBar != 0);
    view->SetFullScreen(settings.fullScreen != 0);
    view->SetExcludedModes(settings.excludedModes.data(),
                           static_cast<int32_t>(settings.excludedModes.size()));
    const int32_t surfType = settings.stereoView ? settings.stereoView->surfType : 0;
    view->Create(settings.displayMethod, surfType, settings.modeType, 0);
    return view;
}

bool CViewerApp::InitInstance(int argc, const char* const* argv, int showCommand) {
    try {
        ViewerSettings& settings = TheViewerSettings();
        LoadPreferences(TheViewerRegistry(), settings);
        ParseCommandLine(argc, argv, settings);
        if (settings.displayMethod < DisplayGDI || settings.displayMethod > DisplayDontCare)
            settings.displayMethod = DisplayDontCare;
        if (const char* file = FileArgument(argc, argv)) {
            if (!settings.stereoView)
                throw pxError("Unsupported command line viewing method!");
            const std::unique_ptr<BxView> view = CreateViewerView();
            ReadAndDisplayFile(file, *view);
            if (view->IsActive()) {
                view->SetAutoDestroy(false);
                view->RunModalLoop();
            }
            return true;
        }
        mainWindow = std::make_unique<CMainWindow>();
        if (!mainWindow->Create())
            throw pxError("Cannot create the main window.");
        win::ShowWindow(mainWindow->Handle(), showCommand);
        win::UpdateWindow(mainWindow->Handle());
        return true;
    } catch (const pxError& error) {
        win::MessageBox(nullptr, error.what(), "Binoxa Viewer Error", win::MB_OK);
        mainWindow.reset();
        return false;
    }
}
