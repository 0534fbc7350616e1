#include "plugin/fullscreen.h"

#include "imagefile/readimage.h"
#include "imaging/pxerror.h"
#include "platform/dialogs/messagebox.h"
#include "platform/win/cursor.h"
#include "platform/win/input.h"
#include "plugin/plugindialogs.h"
#include "stereo/stereomethods.h"
#include "view/bxview.h"
#include "view/editview.h"
#include "viewer/animation.h"
#include "viewer/webaddresses.h"

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr uint32_t kEveryMenuItem = RCM_EXIT | RCM_STEREO_METHODS | RCM_RESOLUTIONS | RCM_REDUCE |
                                    RCM_ENLARGE | RCM_FILL_SCREEN | RCM_ACTUAL_SIZE;

// The process-wide session state; the flags keep their meaning from a
// design in which the session had a thread of its own.
struct Session {
    std::unique_ptr<BxView> view;
    bool launchInProgress = false;
    bool viewBeingCreated = false;
    bool waitingPhaseOff = true;
    PluginInstance* instance = nullptr;
    bool instanceGone = false; // destroyed by the page while the session ran
};

Session& TheSession() {
    static Session session;
    return session;
}

// The block file's name says it: it ends in "avi" for an animation.
bool IsAnimationBlock(const PluginInstance& This) {
    return This.mimeType == MIME_PXR && !This.blockFile.empty() && This.renameBlockFile;
}

void ShowIn(PluginInstance& This, BxView& view) {
    PluginState& plugin = ThePlugin();
    const PluginPreferences& preferences = plugin.preferences;
    view.SetStatusBar(preferences.statusBar != 0);
    view.SetFullScreen(preferences.fullScreen != 0);
    view.SetExcludedModes(plugin.excludedModes.data(),
                          static_cast<int32_t>(plugin.excludedModes.size()));
    const ModeType mode{preferences.modeType.type, preferences.modeType.width,
                        preferences.modeType.height, preferences.modeType.bpp, 0};
    view.Create(preferences.displayMethod, This.method->surfType, mode, 0);
    TheSession().viewBeingCreated = true;
    if (IsAnimationBlock(This)) {
        PrepareAnimationMenu(view, preferences.loopAnimation != 0);
        PlayAnimation(This.blockFile.c_str(), view, This.method, preferences.loopAnimation != 0);
    } else {
        view.CreateRightClickMenu(kEveryMenuItem);
        view.StatusBarMessage("Updating...");
        const _ImageInfo& info = *This.imageInfo;
        view.ShowImage(*This.inlineImage, nullptr,
                       info.hasDescriptor ? info.layout : kJpegDefaultLayout, This.method->id);
    }
    TheSession().waitingPhaseOff = false;
    if (view.IsActive())
        view.RunModalLoop();
}

// The session, on the page's thread: its modal loop keeps the page's
// messages (and so the downloads) flowing.
void FullScreenViewerHandler(PluginInstance& This) {
    Session& session = TheSession();
    PluginState& plugin = ThePlugin();
    plugin.showingMessage = true;
    win::ReleaseCapture();
    win::SetCursor(win::LoadCursor(nullptr, win::IDC_ARROW));
    session.instance = &This;
    std::string error;
    try {
        if (plugin.preferences.allowFullScreenAdjustments)
            session.view = std::make_unique<EditView>();
        else
            session.view = std::make_unique<BxView>();
        ShowIn(This, *session.view);
    } catch (const pxError& thrown) {
        error.assign(thrown.GetMessage(), strnlen(thrown.GetMessage(), 511));
    } catch (...) {
        error = "Unknown Exception";
    }
    This.method = plugin.method;
    session.viewBeingCreated = false;
    session.launchInProgress = false;
    session.waitingPhaseOff = true;
    session.view.reset();
    session.instance = nullptr;
    if (!error.empty()) {
        pxLog("FullScreenViewerHandler [ERROR]: '%s'", error.c_str());
        PluginMessage(session.instanceGone ? nullptr : This.hwnd, error.c_str(),
                      "Binoxa Viewer Error");
    }
    plugin.showingMessage = false;
    if (session.instanceGone) {
        session.instanceGone = false;
        FreeInstance(This);
    }
}

void RequestFullScreen(PluginInstance& This) {
    Session& session = TheSession();
    if (session.launchInProgress)
        return;
    session.launchInProgress = true;
    if (!session.viewBeingCreated)
        FullScreenViewerHandler(This);
}

} // namespace

BxView* FullScreenView() {
    return TheSession().view.get();
}

bool FullScreenWaiting() {
    const Session& session = TheSession();
    return session.view && session.view->IsActive() && !session.waitingPhaseOff;
}

bool HandOverToSession(PluginInstance& This) {
    Session& session = TheSession();
    if (session.instance != &This)
        return false;
    session.instanceGone = true;
    if (session.view && session.view->IsActive())
        session.view->Destroy(0);
    return true;
}

int StartFullScreen(PluginInstance& This, const StereoViewMethod* method) {
    if (This.badStream) {
        PluginMessage(This.hwnd,
                      "You can't view this image because it doesn't exist or cannot be accessed "
                      "at this time.  Please contact the author of this web page concerning this "
                      "problem.");
        return 0;
    }
    This.method = method ? method : ThePlugin().method;
    if (This.tempFile.empty() || !This.method)
        return 1;
    if (This.mimeType == MIME_PXR) {
        if (This.blockFile.empty()) {
            PluginMessage(This.hwnd,
                          "Can't view this PXR in Fullscreen mode yet.  (No block headers "
                          "downloaded)");
            return 0;
        }
        if (IsAnimationBlock(This) && !This.complete) {
            PluginMessage(This.hwnd,
                          "Animations must be completely downloaded before viewing.  Wait for the "
                          "animation to finish downloading and then you will be able to view it.",
                          "Binoxa Notification");
            return 0;
        }
        if (!CanPlayAnimations(This.method)) {
            const win::INT_PTR chosen =
                CPxrNotificationDlg(This.hwnd, kAnimationMethods, This.method).DoModal();
            const NPNetscapeFuncs* browser = ThePlugin().browser;
            const char* page = chosen == CPxrNotificationDlg::kTessel   ? GlassesWebAddress()
                               : chosen == CPxrNotificationDlg::kBinoxa ? BinoxaWebAddress()
                                                                        : nullptr;
            if (page && browser && browser->geturl)
                browser->geturl(This.instance, page, "_new");
            return 0;
        }
    }
    if (!This.imageInfo->hasDescriptor && ThePlugin().preferences.warnOnNoDescriptor &&
        CDescriptorWarningDlg(This.hwnd).DoModal() != win::IDYES)
        return 1;
    RequestFullScreen(This);
    return 1;
}
