// The viewer program's start-up, preferences, main window and display
// dialogs, driven headless through the prompt responder and the registry.
#include "../display/displayfixture.h"
#include "../platform/dialogs/scriptedprompts.h"
#include "../support/registrywords.h"

#include "bxpack/pxrwriter.h"
#include "platform/dialogs/dialog.h"
#include "platform/dialogs/filedialog.h"
#include "platform/dialogs/messagebox.h"
#include "platform/registry/registry.h"
#include "platform/sys/clock.h"
#include "platform/win/input.h"
#include "platform/win/menus.h"
#include "platform/win/messages.h"
#include "platform/win/timers.h"
#include "stereo/stereomethods.h"
#include "view/bxview.h"
#include "view/excludemodes.h"
#include "view/modesdlg.h"
#include "viewer/mainwindow.h"
#include "viewer/preferences.h"
#include "viewer/pxrinput.h"
#include "viewer/viewerapp.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

const std::string kScene = std::string(BINOXA_SAMPLES_DIR) + "/scene.jps";
constexpr const char* kUserKey = "Software\\Norvane\\BinoxaViewer\\Preferences";
constexpr const char* kCommonKey = "Software\\Norvane\\Common\\Preferences";

// Message boxes, dialogs and file dialogs answered from scripts.
struct Prompts : dialogtest::ScriptedPrompts {
    // A message box as "caption: text".
    std::string Box(std::size_t index) const {
        return boxes.at(index).caption + ": " + boxes.at(index).text;
    }
};

std::vector<std::string> ValueNames(const char* key) {
    std::vector<std::string> names;
    win::HKEY opened = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, key, 0, win::KEY_READ, &opened) != 0)
        return names;
    for (win::DWORD i = 0;; ++i) {
        char name[64];
        win::DWORD length = sizeof name;
        if (win::RegEnumValue(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != 0)
            break;
        names.emplace_back(name);
    }
    win::RegCloseKey(opened);
    return names;
}

// While a view runs its modal loop, a thread timer sends it one key or
// click per shown picture, as the user would.
struct ViewCloser {
    static inline win::HWND mainWindow = nullptr;
    static inline int closes = 0;
    static inline bool withEscape = true;

    static void Tick(win::HWND, win::UINT, win::UINT_PTR, win::DWORD) {
        const win::HWND view = win::GetForegroundWindow();
        if (!view || view == mainWindow || !win::IsWindow(view))
            return;
        ++closes;
        if (withEscape)
            win::PostMessage(view, win::WM_CHAR, 27, 0);
        else
            win::PostMessage(view, win::WM_LBUTTONDOWN, 0, 0);
    }
};

class ViewerTest : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        UseProfile("mode 640x480x32\nmode 800x600x16\nmode 800x600x32\nmode 1024x768x32\n"
                   "desktop 1024x768x32\n");
        TheViewerSettings() = ViewerSettings{};
        TheViewerRegistry() = WinRegistry{};
        ViewCloser::closes = 0;
        ViewCloser::mainWindow = nullptr;
        timer = win::SetTimer(nullptr, 0, 20, ViewCloser::Tick);
    }
    void TearDown() override {
        win::KillTimer(nullptr, timer);
        DisplayTest::TearDown();
    }
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = scratch.Path() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    Prompts prompts;
    win::UINT_PTR timer = 0;
};

// Lets the window system settle (activations arrive late) before a view opens.
void Settle() {
    const win::DWORD until = win::timeGetTime() + 100;
    win::MSG message;
    while (win::timeGetTime() < until)
        while (win::PeekMessage(&message, nullptr, 0, 0, win::PM_REMOVE)) {
            win::TranslateMessage(&message);
            win::DispatchMessage(&message);
        }
}

bool Start(CViewerApp& app, std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "bxviewer");
    return app.InitInstance(static_cast<int>(arguments.size()), arguments.data(),
                            win::SW_SHOWNORMAL);
}

TEST_F(ViewerTest, TheRegistryPrefersTheUserKeyAndKeepsDefaultsForWhatItCannotRead) {
    WinRegistry registry;
    EXPECT_THROW(
        {
            try {
                registry.SetUserValue("StatusBar", 1, win::REG_DWORD);
            } catch (const pxError& error) {
                EXPECT_STREQ(error.what(), "WinRegistry::SetUserValue -- UserLocation undefined.");
                throw;
            }
        },
        pxError);
    EXPECT_THROW(registry.SetCommonValue("FullScreen", 1, win::REG_DWORD), pxError);
    ViewerSettings settings;
    StoreWord(kCommonKey, "StatusBar", 0);
    StoreWord(kCommonKey, "DisplayMethod", 1);
    StoreWord(kUserKey, "DisplayMethod", 2);
    // A value of the wrong size keeps the default.
    win::HKEY key = nullptr;
    win::RegCreateKeyEx(win::HKEY_CURRENT_USER, kCommonKey, 0, nullptr, 0, win::KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
    win::RegSetValueEx(key, "DDModeWidth", 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>("7"),
                       1);
    win::RegCloseKey(key);
    LoadPreferences(registry, settings);
    EXPECT_EQ(settings.statusBar, 0);     // only in the common key
    EXPECT_EQ(settings.displayMethod, 2); // the user key wins
    EXPECT_EQ(settings.modeType.width, 0);
    EXPECT_EQ(settings.fullScreen, 0);
    EXPECT_EQ(settings.stereoView, nullptr);

    // A backslash past the second character names a subkey of the user key.
    EXPECT_EQ(registry.SetUserValue("Extra\\Depth", 24, win::REG_DWORD), 0);
    EXPECT_EQ(StoredWord((std::string(kUserKey) + "\\Extra").c_str(), "Depth"), 24u);
    uint32_t depth = 0;
    EXPECT_EQ(registry.GetValue("Extra\\Depth", &depth, sizeof depth), 0);
    EXPECT_EQ(depth, 24u);
    EXPECT_EQ(registry.SetUserValue("\\x", 5, win::REG_DWORD), 0);
    EXPECT_EQ(StoredWord(kUserKey, "\\x"), 5u);
    uint32_t untouched = 77;
    EXPECT_NE(registry.GetValue("Missing", &untouched, sizeof untouched), 0);
    EXPECT_EQ(untouched, 77u);

    EXPECT_EQ(registry.SetUserString("QuickMenu", "1,2,", win::REG_SZ), 0);
    char text[3] = "ab";
    EXPECT_NE(registry.GetString("QuickMenu", text, sizeof text), 0); // too long: kept
    EXPECT_STREQ(text, "ab");
    char whole[16];
    EXPECT_EQ(registry.GetString("QuickMenu", whole, sizeof whole), 0);
    EXPECT_STREQ(whole, "1,2,");
}

TEST_F(ViewerTest, TheCommandLineFollowsItsPrefixRules) {
    ViewerSettings settings;
    const auto parse = [&](std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), "bxviewer");
        ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), settings);
    };
    parse({"-oform=Crosseye", "pic.jps"});
    ASSERT_NE(settings.stereoView, nullptr);
    EXPECT_EQ(settings.stereoView->id, 4);
    parse({"pic.jps", "-oform:ANAGLYPHRB"}); // options may follow the file
    EXPECT_EQ(settings.stereoView->id, 12);
    parse({"-oform=nonsense", "-oform", "-oform="});
    EXPECT_EQ(settings.stereoView->id, 12);
    parse({"-disp=DD"});
    EXPECT_EQ(settings.displayMethod, DisplayDirectDraw);
    parse({"-disp=gdi"});
    EXPECT_EQ(settings.displayMethod, DisplayGDI);
    parse({"-disp=xyz"});
    EXPECT_EQ(settings.displayMethod, DisplayDontCare);
    EXPECT_NE(log.Text().find("WARNING: invalid option: -disp=xyz\n"), std::string::npos);
    EXPECT_NE(log.Text().find("Supported displays are: GDI or DD\n"), std::string::npos);
    parse({"-FULLSCREEN"});
    EXPECT_EQ(settings.fullScreen, 1);
    settings.fullScreen = 0;
    parse({"-fullsize", "-full"});
    EXPECT_EQ(settings.fullScreen, 1);

    const char* twoFiles[] = {"bxviewer", "-disp=dd", "a.jps", "b.jps"};
    EXPECT_STREQ(FileArgument(4, twoFiles), "a.jps");
    const char* none[] = {"bxviewer", "-oform=crosseye"};
    EXPECT_EQ(FileArgument(2, none), nullptr);
}

TEST_F(ViewerTest, AFileOnTheCommandLineIsShownAndEndsTheProgram) {
    // The command line's method shows the file and is not stored.
    CViewerApp app;
    EXPECT_TRUE(Start(app, {"-oform=crosseye", kScene.c_str()}));
    EXPECT_EQ(app.MainWindow(), nullptr);
    EXPECT_EQ(ViewCloser::closes, 1);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(StoredWord(kCommonKey, "StereoView"), std::nullopt);
    EXPECT_EQ(StoredWord(kUserKey, "StereoView"), std::nullopt);

    // No method anywhere.
    CViewerApp noMethod;
    TheViewerSettings() = ViewerSettings{};
    EXPECT_FALSE(Start(noMethod, {kScene.c_str()}));
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.Box(0), "Binoxa Viewer Error: Unsupported command line viewing method!");

    // An unreadable file, a file that is no picture and an animation for a
    // method that cannot play one: their texts, and the program ends.
    const std::string text = WriteFile("notes.jps", "no picture here");
    const std::string animation = WriteFile("clip.avi", std::string("RIFF\0\0\0\0AVI LIST", 16));
    const std::string missing = scratch.Path() + "/missing.jps";
    for (const auto& [file, says] :
         {std::pair{missing, missing}, std::pair{text, std::string("Not a JPEG file")},
          std::pair{animation, std::string("Sorry.  At the moment, animation support is only "
                                           "available for Tessel users")}}) {
        prompts.boxes.clear();
        CViewerApp bad;
        TheViewerSettings() = ViewerSettings{};
        EXPECT_FALSE(Start(bad, {"-oform=parallel", file.c_str()})) << file;
        ASSERT_EQ(prompts.boxes.size(), 1u) << file;
        EXPECT_EQ(prompts.Box(0).rfind("Binoxa Viewer Error: ", 0), 0u) << prompts.Box(0);
        EXPECT_NE(prompts.Box(0).find(says), std::string::npos) << prompts.Box(0);
    }
}

TEST_F(ViewerTest, TheMainWindowBuildsItsStereoMenuAndWritesEachChangeAtOnce) {
    StoreWord(kCommonKey, "DisplayMethod", 7); // behaves as "don't care"
    CViewerApp app;
    ASSERT_TRUE(Start(app, {"-oform=anaglyphrb"}));
    CMainWindow* window = app.MainWindow();
    ASSERT_NE(window, nullptr);
    ViewCloser::mainWindow = window->Handle();
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(TheViewerSettings().displayMethod, DisplayDontCare);

    // The methods in their fixed groups; ids the table lacks leave no trace.
    const win::HMENU stereo = window->StereoMenu();
    std::string items;
    for (int i = 0; i < win::GetMenuItemCount(stereo); ++i) {
        const bool separator =
            (win::GetMenuState(stereo, static_cast<win::UINT>(i), win::MF_BYPOSITION) &
             win::MF_SEPARATOR) != 0;
        const win::UINT id = win::GetMenuItemID(stereo, i);
        items += (i ? "," : "") + (separator ? std::string("|") : std::to_string(id - 52000));
    }
    EXPECT_EQ(items,
              "1,21,22,|,2,3,4,5,|,6,7,|,8,9,10,11,|,12,13,14,15,|,25,26,27,|,16,19,|,23,24");
    const auto checked = [&](int id) {
        const win::UINT state = win::GetMenuState(stereo, 52000 + id, win::MF_BYCOMMAND);
        return state != 0xFFFFFFFF && (state & win::MF_CHECKED) != 0;
    };
    EXPECT_TRUE(checked(12));

    // A method that needs DirectDraw is refused while the display is not set to it.
    window->OnStereoSelect(52016);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.Box(0),
              "Binoxa Viewer: You can't use Hardware Page Flipping unless your Display Options "
              "are\nset to Direct Draw.  Change your Display Options before selecting Hardware "
              "Page Flipping\nConsult the Binoxa help if you need assistance.");
    EXPECT_TRUE(checked(12));
    EXPECT_FALSE(checked(16));
    EXPECT_EQ(StoredWord(kCommonKey, "StereoView"), std::nullopt);
    window->OnStereoSelect(52004);
    EXPECT_TRUE(checked(4));
    EXPECT_FALSE(checked(12));
    EXPECT_EQ(StoredWord(kCommonKey, "StereoView"), 4u);
    window->OnStereoSelect(52099);
    EXPECT_NE(log.Text().find("CMainWindow::OnStereoSelect -- fatal error: invalid view method "
                              "from menu! (99)"),
              std::string::npos);

    // The toggles, each written at once where it belongs.
    const win::HWND frame = window->Handle();
    for (const win::UINT command : {52910u, 52920u, 32807u, 32808u})
        win::SendMessage(frame, win::WM_COMMAND, command, 0);
    EXPECT_EQ(StoredWord(kCommonKey, "FullScreen"), 1u);
    EXPECT_EQ(StoredWord(kUserKey, "StatusBar"), 0u); // from its default 1
    EXPECT_EQ(StoredWord(kCommonKey, "StatusBar"), std::nullopt);
    EXPECT_EQ(StoredWord(kCommonKey, "AllowFullScreenAdjustments"), 1u);
    EXPECT_EQ(StoredWord(kCommonKey, "LoopAnimation"), 1u);
    win::SendMessage(frame, win::WM_COMMAND, 52910, 0);
    EXPECT_EQ(StoredWord(kCommonKey, "FullScreen"), 0u);
    // Nothing else was written.
    EXPECT_EQ(StoredWord(kCommonKey, "DisplayMethod"), 7u);
    EXPECT_EQ(StoredWord(kCommonKey, "DDModeType"), std::nullopt);
    win::DestroyWindow(frame);
}

TEST_F(ViewerTest, OpenedFilesShowInTurnUntilOneIsLeftWithEscape) {
    StoreWord(kCommonKey, "StereoView", 5);
    CViewerApp app;
    ASSERT_TRUE(Start(app, {}));
    CMainWindow* window = app.MainWindow();
    ViewCloser::mainWindow = window->Handle();
    // The dialog answers files of one directory.
    const std::string scene = scratch.File("scene.jps");
    std::filesystem::copy_file(kScene, scene);
    const std::string bad = WriteFile("bad.jps", "not a picture");

    // Escape in the first view skips the rest.
    prompts.fileAnswers.push_back({true, {scene, bad}, 8});
    Settle();
    window->OnFileOpen();
    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    EXPECT_EQ(prompts.fileDialogs[0].filters.size(), 9u);
    EXPECT_EQ(prompts.fileDialogs[0].filters[7].pattern,
              "*.bmp;*.jps;*.jpg;*.tga;*.pxr;*.pns;*.mpo");
    EXPECT_EQ(ViewCloser::closes, 1);
    EXPECT_TRUE(prompts.boxes.empty());

    // A click goes on to the next file, whose failure is shown; the filter
    // chosen last is offered again.
    ViewCloser::withEscape = false;
    prompts.fileAnswers.push_back({true, {scene, bad}, 2});
    Settle();
    window->OnFileOpen();
    ViewCloser::withEscape = true;
    EXPECT_EQ(prompts.fileDialogs[1].filterIndex, 8);
    EXPECT_EQ(ViewCloser::closes, 2);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.Box(0).rfind("Binoxa Viewer: ", 0), 0u);
    EXPECT_NE(prompts.Box(0).find("Not a JPEG file"), std::string::npos) << prompts.Box(0);
    EXPECT_NE(log.Text().find("error with file: '" + scene + " " + bad + "'"), std::string::npos);
    EXPECT_NE(log.Text().find("CMainWindow::OnFileOpen -- caught exception!"), std::string::npos);

    // Cancelled: nothing happens. The window is still usable afterwards.
    window->OnFileOpen();
    EXPECT_EQ(ViewCloser::closes, 2);
    EXPECT_TRUE(win::IsWindow(window->Handle()));
    win::DestroyWindow(window->Handle());
}

TEST_F(ViewerTest, APresentationAndAPictureDroppedTogetherAreShownOneAfterTheOther) {
    StoreWord(kCommonKey, "StereoView", 5);
    CViewerApp app;
    ASSERT_TRUE(Start(app, {}));
    CMainWindow* window = app.MainWindow();
    ViewCloser::mainWindow = window->Handle();
    ViewCloser::withEscape = false;
    // The presentation shows the scene and waits for a click, which ends it
    // and closes its view; the picture then needs a view of its own.
    // Opened together, as a drop of the two opens them.
    const std::string presentation = scratch.File("show.pxr");
    PxrWriter writer(presentation);
    writer.Add({PXR_BLOCK_SCRIPT, false, std::nullopt, std::nullopt,
                PxrTextBody("image p\np.load \"" + kScene +
                            "\"\ndisplay p\nwait { on click x do goto end }")});
    writer.Finish();
    const std::string scene = scratch.File("scene.jps");
    std::filesystem::copy_file(kScene, scene);
    prompts.fileAnswers.push_back({true, {presentation, scene}, 8});
    Settle();
    window->OnFileOpen();
    ViewCloser::withEscape = true;
    EXPECT_EQ(ViewCloser::closes, 2);
    EXPECT_TRUE(prompts.boxes.empty());
    const std::string logged = log.Text();
    const size_t presented = logged.find("done BxScript");
    ASSERT_NE(presented, std::string::npos);
    EXPECT_EQ(logged.find("BxView::Destroy -- WARNING: not active", presented), std::string::npos);
    win::DestroyWindow(window->Handle());
}

TEST_F(ViewerTest, TheDisplayDialogsRefuseWhatCannotWorkAndStoreTheirChoices) {
    const StereoViewMethod* pageFlip = GetStereoMethodByID(16);
    const StereoViewMethod* parallel = GetStereoMethodByID(5);
    ModeType mode{ModeCurrent, 0, 0, 0, 0};

    // Page flipping keeps Direct Draw.
    {
        CModesDlg dialog(nullptr);
        dialog.SetStereoViewMethod(pageFlip);
        dialog.SetDisplayType(DisplayDirectDraw);
        dialog.SetModeType(&mode);
        prompts.dialogScripts.push_back([](win::DialogSession& session) {
            session.Click(3503);
            EXPECT_TRUE(session.Shown().Control(3502)->checked);
            EXPECT_FALSE(session.Shown().Control(3503)->checked);
            session.Click(win::IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), win::IDCANCEL);
        ASSERT_EQ(prompts.boxes.size(), 1u);
        EXPECT_EQ(prompts.Box(0).substr(prompts.Box(0).find(": ") + 2),
                  "You can't use Hardware Page Flipping unless your Display Options are set to "
                  "Direct Draw.  \nChange your Stereo Viewing Method to something else and "
                  "then\nyou will be able to change your Display.  Consult the Binoxa help if "
                  "you need assistance.");
    }

    // A fixed resolution from the list; the list is enabled for it only.
    {
        CModesDlg dialog(nullptr);
        dialog.SetStereoViewMethod(parallel);
        dialog.SetDisplayType(DisplayGDI);
        dialog.SetModeType(&mode);
        prompts.dialogScripts.push_back([](win::DialogSession& session) {
            EXPECT_TRUE(session.Shown().Control(3100)->checked);
            EXPECT_FALSE(session.Shown().Control(3104)->enabled);
            EXPECT_FALSE(session.Shown().Control(3103)->visible);
            session.Click(3101);
            const win::DialogPrompt shown = session.Shown();
            const win::DialogControlPrompt* list = shown.Control(3104);
            ASSERT_TRUE(list->enabled);
            EXPECT_EQ(list->items[list->selection], "1024x768x32"); // the desktop's
            const auto at = std::find(list->items.begin(), list->items.end(), "800x600x16");
            ASSERT_NE(at, list->items.end());
            session.ChooseItem(3104, static_cast<int>(at - list->items.begin()));
            session.Click(win::IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), win::IDOK);
        EXPECT_EQ(mode.type, ModeFixed);
        EXPECT_EQ(mode.width, 800);
        EXPECT_EQ(mode.height, 600);
        EXPECT_EQ(mode.bpp, 16);
        EXPECT_EQ(dialog.DisplayType(), DisplayGDI);
    }

    // Excluded modes: not every box may be unticked; all but one may, and
    // each unticked mode is stored. The desktop's mode is then excluded, so
    // keeping the current resolution asks first.
    {
        prompts.boxes.clear();
        mode = {ModeCurrent, 0, 0, 0, 0};
        prompts.boxAnswers = {win::IDOK, win::IDNO};
        CModesDlg dialog(nullptr);
        dialog.SetStereoViewMethod(parallel);
        dialog.SetDisplayType(DisplayGDI);
        dialog.SetModeType(&mode);
        prompts.dialogScripts.push_back([](win::DialogSession& session) {
            session.Click(3200);
            session.Click(win::IDOK);
        });
        int boxCount = 0;
        prompts.dialogScripts.push_back([&](win::DialogSession& session) {
            const win::DialogPrompt shown = session.Shown();
            EXPECT_EQ(shown.caption, "Available modes using Parallel with GDI");
            for (const win::DialogControlPrompt& control : shown.controls)
                if (control.id >= ExcludeModes::kFirstModeBox) {
                    EXPECT_TRUE(control.checked);
                    session.Click(control.id);
                    ++boxCount;
                }
            session.Click(win::IDOK);
            EXPECT_FALSE(session.Ended());
            session.Click(ExcludeModes::kFirstModeBox);
            session.Click(win::IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), win::IDOK);
        ASSERT_EQ(boxCount, 4);
        ASSERT_EQ(prompts.boxes.size(), 2u);
        EXPECT_EQ(prompts.Box(0).substr(prompts.Box(0).find(": ") + 2),
                  "You need to check at least one mode.");
        EXPECT_EQ(prompts.Box(1).rfind("Binoxa Viewer Notification: WARNING: You have selected "
                                       "to use your current display resolution (1024x768x32) "
                                       "for viewing\nimages.",
                                       0),
                  0u)
            << prompts.Box(1);
        EXPECT_EQ(mode.type, ModeCurrent);
        EXPECT_EQ(dialog.ExcludedModes().size(), 3u);
        const std::vector<std::string> stored = ValueNames(kExcludedModesKey);
        EXPECT_EQ(stored.size(), 3u);
        for (const ModeStruct& excluded : dialog.ExcludedModes())
            EXPECT_NE(std::find(stored.begin(), stored.end(),
                                std::to_string(excluded.width) + "x" +
                                    std::to_string(excluded.height) + "x" +
                                    std::to_string(excluded.bpp)),
                      stored.end());
    }
}

} // namespace
