#include "viewer/mainwindow.h"

#include "imaging/pxerror.h"
#include "platform/dialogs/filedialog.h"
#include "platform/dialogs/filedrop.h"
#include "platform/dialogs/messagebox.h"
#include "platform/registry/registry.h"
#include "platform/sys/osversion.h"
#include "platform/win/menus.h"
#include "stereo/stereomethods.h"
#include "view/bxview.h"
#include "viewer/aboutbox.h"
#include "viewer/displaycustomisation.h"
#include "viewer/preferences.h"
#include "viewer/showfile.h"
#include "viewer/viewerapp.h"

#include <array>
#include <cstring>
#include <memory>

namespace {

constexpr const char* kNoMethod =
    "Invalid stereo viewing method!\nPlease choose a viewing method before proceeding.";
constexpr const char* kTitle = "Binoxa Viewer";
// The result of a view closed with Escape: the rest of a sequence is skipped.
constexpr int kClosedWithEscape = 2;

// The open dialog's filters: pairs of description and pattern, and an empty
// text at the end.
constexpr char kOpenFilters[] = "Binoxa files (*.jps, *.pns)\0*.jps;*.pns\0"
                                "Stereo JPEG files (*.jps)\0*.jps\0"
                                "Stereo PNG files (*.pns)\0*.pns\0"
                                "Bitmap files (*.bmp)\0*.bmp\0"
                                "Targa files (*.tga)\0*.tga\0"
                                "JPEG files (*.jpg)\0*.jpg\0"
                                "Norvane Resource files (*.pxr)\0*.pxr\0"
                                "All image files\0*.bmp;*.jps;*.jpg;*.tga;*.pxr;*.pns;*.mpo\0"
                                "All files (*.*)\0*.*\0";

win::HMENU Popup(std::initializer_list<std::pair<win::UINT, const char*>> items) {
    const win::HMENU popup = win::CreatePopupMenu();
    for (const auto& [id, text] : items)
        if (text)
            win::AppendMenu(popup, win::MF_STRING, id, text);
        else
            win::AppendMenu(popup, win::MF_SEPARATOR, 0, nullptr);
    return popup;
}

void AppendPopup(win::HMENU menu, win::HMENU popup, const char* text) {
    win::AppendMenu(menu, win::MF_POPUP, reinterpret_cast<win::UINT_PTR>(popup), text);
}

win::FrameResources MainWindowResources() {
    win::FrameResources resources;
    resources.title = kTitle;
    const win::HMENU file = Popup({{CMainWindow::kFileOpen, "&Open...\tCtrl+O"},
                                   {0, nullptr},
                                   {CMainWindow::kAppExit, "E&xit"}});
    const win::HMENU view = Popup({{win::FrameWindow::kStatusBarId, "&Status Bar"}});
    // The methods replace the placeholder when the window is made.
    const win::HMENU stereo = Popup({{CMainWindow::kFirstStereoItem, "(methods)"}});
    const win::HMENU more =
        Popup({{CMainWindow::kAlwaysStretch, "Always Stretch Image To Maximum Size"},
               {CMainWindow::kFullScreenStatusBar, "Show FullScreen Status Bar"},
               {CMainWindow::kAllowAdjustments, "Allow FullScreen Adjustments"}});
    const win::HMENU animation = Popup({{CMainWindow::kLoopAnimation, "Loop animation"}});
    const win::HMENU preferences = win::CreatePopupMenu();
    AppendPopup(preferences, stereo, "S&tereo View");
    AppendPopup(preferences, more, "More Preferences");
    AppendPopup(preferences, animation, "Animation");
    win::AppendMenu(preferences, win::MF_SEPARATOR, 0, nullptr);
    win::AppendMenu(preferences, win::MF_STRING, CMainWindow::kCustomizeDisplay,
                    "Customize Display...");
    const win::HMENU help = Popup({{CMainWindow::kAppAbout, "&About BxViewer..."}});
    resources.menu = win::CreateMenu();
    AppendPopup(resources.menu, file, "&File");
    AppendPopup(resources.menu, view, "&View");
    AppendPopup(resources.menu, preferences, "&Preferences");
    AppendPopup(resources.menu, help, "&Help");
    resources.accelerators = {{win::FVIRTKEY | win::FCONTROL, 'O', CMainWindow::kFileOpen}};
    resources.prompts = {
        {CMainWindow::kFileOpen, "Open an existing image\nOpen"},
        {CMainWindow::kAppExit, "Exit Binoxa Viewer\nExit"},
        {win::FrameWindow::kStatusBarId, "Show or hide the status bar\nToggle StatusBar"},
        {CMainWindow::kAlwaysStretch, "Automatically stretch image to maximum size."},
        {CMainWindow::kFullScreenStatusBar, "Show or hide the Full Screen Status Bar"},
        {CMainWindow::kAllowAdjustments,
         "Enables you to adjust the parallax of the image while viewing it."},
        {CMainWindow::kLoopAnimation,
         "Automatically replay the animation when the end is reached."},
        {CMainWindow::kCustomizeDisplay,
         "Customize the Display modes/methods that are used with Binoxa Viewer."},
    };
    return resources;
}

win::UINT CheckFlag(int32_t on) {
    return win::MF_BYCOMMAND | (on ? win::MF_CHECKED : win::MF_UNCHECKED);
}

// The registry write of each toggle, and the setting it flips.
struct ToggleEntry {
    win::UINT command;
    const char* name;
    bool userLocation;
    int32_t ViewerSettings::*setting;
};
constexpr std::array kToggles{
    ToggleEntry{CMainWindow::kAlwaysStretch, "FullScreen", false, &ViewerSettings::fullScreen},
    ToggleEntry{CMainWindow::kFullScreenStatusBar, "StatusBar", true, &ViewerSettings::statusBar},
    ToggleEntry{CMainWindow::kAllowAdjustments, "AllowFullScreenAdjustments", false,
                &ViewerSettings::allowFullScreenAdjustments},
    ToggleEntry{CMainWindow::kLoopAnimation, "LoopAnimation", false,
                &ViewerSettings::loopAnimation},
};

std::string Joined(const std::vector<std::string>& files) {
    std::string joined;
    for (const std::string& file : files)
        joined += (joined.empty() ? "" : " ") + file;
    return joined;
}

} // namespace

bool CMainWindow::Create() {
    return FrameWindow::Create(MainWindowResources(), win::WS_OVERLAPPEDWINDOW,
                               win::WS_EX_ACCEPTFILES, 420, 200);
}

bool CMainWindow::OnCreate() {
    if (!TheViewerSettings().stereoView)
        win::MessageBox(Handle(), kNoMethod, kTitle, win::MB_OK);
    BuildStereoMenu();
    return true;
}

win::HMENU CMainWindow::StereoMenu() const {
    return win::GetSubMenu(win::GetSubMenu(win::GetMenu(Handle()), 2), 0);
}

void CMainWindow::BuildStereoMenu() {
    const win::HMENU menu = StereoMenu();
    win::RemoveMenu(menu, 0, win::MF_BYPOSITION);
    int sinceSeparator = 0;
    for (const int32_t id : MethodMenuOrder()) {
        if (id == 0) {
            if (sinceSeparator > 0)
                win::AppendMenu(menu, win::MF_SEPARATOR, 0, nullptr);
            sinceSeparator = 0;
        } else if (const StereoViewMethod* method = GetStereoMethodByID(id)) {
            win::AppendMenu(menu, win::MF_STRING, kFirstStereoItem + id, method->name.c_str());
            ++sinceSeparator;
        }
    }
    if (const StereoViewMethod* current = TheViewerSettings().stereoView)
        win::CheckMenuItem(menu, kFirstStereoItem + current->id, CheckFlag(1));
}

void CMainWindow::OnCommand(win::UINT id) {
    if (id >= kFirstStereoItem && id <= kLastStereoItem) {
        OnStereoSelect(id);
        return;
    }
    switch (id) {
    case kFileOpen:
        OnFileOpen();
        break;
    case kAppExit:
        win::DestroyWindow(Handle());
        break;
    case kAppAbout:
        CAboutDlg(Handle()).DoModal();
        break;
    case kCustomizeDisplay:
        OnCustomizeModes();
        break;
    default:
        Toggle(id);
    }
}

void CMainWindow::OnInitMenuPopup(win::HMENU popup) {
    const ViewerSettings& settings = TheViewerSettings();
    for (const ToggleEntry& toggle : kToggles)
        win::CheckMenuItem(popup, toggle.command, CheckFlag(settings.*toggle.setting));
    for (win::UINT id = kFirstStereoItem; id <= kLastStereoItem; ++id)
        win::EnableMenuItem(popup, id, win::MF_BYCOMMAND | win::MF_ENABLED);
}

void CMainWindow::Toggle(win::UINT command) {
    for (const ToggleEntry& toggle : kToggles) {
        if (toggle.command != command)
            continue;
        int32_t& setting = TheViewerSettings().*toggle.setting;
        setting = setting ? 0 : 1;
        WinRegistry& registry = TheViewerRegistry();
        const uint32_t value = static_cast<uint32_t>(setting);
        if (toggle.userLocation)
            registry.SetUserValue(toggle.name, value, win::REG_DWORD);
        else
            registry.SetCommonValue(toggle.name, value, win::REG_DWORD);
    }
}

void CMainWindow::OnStereoSelect(win::UINT command) {
    const int32_t id = static_cast<int32_t>(command - kFirstStereoItem);
    const StereoViewMethod* method = GetStereoMethodByID(id);
    if (!method) {
        pxLog("CMainWindow::OnStereoSelect -- fatal error: invalid view method from menu! (%d)",
              id);
        win::MessageBox(
            Handle(), "Invalid view method selected from menu.\nPlease contact technical support.",
            kTitle, win::MB_OK);
        return;
    }
    ViewerSettings& settings = TheViewerSettings();
    if ((method->displayFlags & DISPLAY_NEEDS_DIRECTDRAW) &&
        settings.displayMethod != DisplayDirectDraw) {
        const std::string name = MethodDisplayName(method, "Unknown");
        const std::string text = "You can't use " + name +
                                 " unless your Display Options are\n"
                                 "set to Direct Draw.  Change your Display Options before "
                                 "selecting " +
                                 name + "\nConsult the Binoxa help if you need assistance.";
        win::MessageBox(Handle(), text.c_str(), kTitle, win::MB_OK | win::MB_ICONINFORMATION);
        return;
    }
    const win::HMENU menu = StereoMenu();
    if (settings.stereoView)
        win::CheckMenuItem(menu, kFirstStereoItem + settings.stereoView->id, CheckFlag(0));
    settings.stereoView = method;
    win::CheckMenuItem(menu, command, CheckFlag(1));
    TheViewerRegistry().SetCommonValue("StereoView", static_cast<uint32_t>(id), win::REG_DWORD);
}

void CMainWindow::OnCustomizeModes() {
    ViewerSettings& settings = TheViewerSettings();
    if (!settings.stereoView) {
        pxLog("CMainWindow::OnCustomizeModes -- Invalid stereo view method!");
        win::MessageBox(
            Handle(),
            "Invalid stereo viewing method!\nPlease choose a viewing method before proceeding",
            kTitle, win::MB_OK);
        return;
    }
    CustomizeDisplay(nullptr, settings.stereoView, settings.excludedModes, settings.displayMethod,
                     settings.modeType, TheViewerRegistry());
}

void CMainWindow::OnFileOpen() {
    std::array<char, 300> files{};
    std::array<char, 40> title{};
    win::OPENFILENAME dialog;
    dialog.hwndOwner = Handle();
    dialog.lpstrFilter = kOpenFilters;
    dialog.nFilterIndex = TheViewerSettings().openFilterIndex;
    dialog.lpstrFile = files.data();
    dialog.nMaxFile = static_cast<win::DWORD>(files.size());
    dialog.lpstrFileTitle = title.data();
    dialog.nMaxFileTitle = static_cast<win::DWORD>(title.size());
    dialog.Flags = win::OFN_EXPLORER | win::OFN_FILEMUSTEXIST | win::OFN_ALLOWMULTISELECT |
                   win::OFN_HIDEREADONLY;
    if (!win::GetOpenFileName(&dialog))
        return;
    TheViewerSettings().openFilterIndex = dialog.nFilterIndex;
    const std::vector<std::string> paths = ExpandFileList(files.data());
    if (paths.empty())
        return;
    try {
        ShowFiles(paths);
    } catch (const pxError& error) {
        pxLog("CMainWindow::OnFileOpen -- caught exception!");
        pxLog("CMainWindow::OnFileOpen -- error with file: '%s'\n%s", Joined(paths).c_str(),
              error.what());
        win::MessageBox(Handle(), error.what(), kTitle, win::MB_OK);
    }
}

void CMainWindow::OnDropFiles(win::HDROP drop) {
    const win::UINT count = win::DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    for (win::UINT i = 0; i < count; ++i) {
        std::array<char, 260> name{};
        win::DragQueryFile(drop, i, name.data(), static_cast<win::UINT>(name.size()));
        paths.emplace_back(name.data());
    }
    win::DragFinish(drop);
    try {
        ShowFiles(paths);
    } catch (const pxError& error) {
        pxLog("CMainWindow::OnDropFiles -- %s", error.what());
        win::MessageBox(Handle(), error.what(), kTitle, win::MB_OK);
    }
}

void CMainWindow::ShowFiles(const std::vector<std::string>& files) {
    if (files.empty())
        return;
    if (!TheViewerSettings().stereoView)
        throw pxError("%s", kNoMethod);
    std::unique_ptr<BxView> view;
    for (const std::string& file : files) {
        // Animations and presentations close their view when they end; the
        // next file needs a new one.
        if (!view || !view->IsActive())
            view = CreateViewerView();
        ReadAndDisplayFile(file.c_str(), *view);
        if (!view->IsActive())
            continue;
        view->SetAutoDestroy(false);
        if (view->RunModalLoop() == kClosedWithEscape)
            break;
    }
}

std::vector<std::string> ExpandFileList(const char* dialogResult) {
    win::OSVERSIONINFO version;
    version.dwOSVersionInfoSize = sizeof version;
    if (!win::GetVersionEx(&version)) {
        win::MessageBox(nullptr, "Could not obtain OS version info.", nullptr, win::MB_OK);
        return {};
    }
    const bool win32s = version.dwPlatformId == win::VER_PLATFORM_WIN32s;
    const bool explorer = version.dwPlatformId == win::VER_PLATFORM_WIN32_WINDOWS ||
                          version.dwPlatformId == win::VER_PLATFORM_WIN32_NT;
    const std::string first(dialogResult);
    const char* next = dialogResult + first.size() + 1;
    if ((explorer && *next == '\0') || (win32s && first.find(' ') == std::string::npos))
        return {first};
    if (!explorer)
        return {};
    // The directory, then each name; the dialog gives paths with '/'.
    std::vector<std::string> paths;
    for (; *next; next += std::strlen(next) + 1)
        paths.push_back(first + "/" + next);
    return paths;
}
