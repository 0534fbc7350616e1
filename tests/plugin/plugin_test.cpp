// The browser plug-in driven through its entry points by a test browser, as
// a browser drives it: start-up with the preferences, instances with their
// EMBED attributes and windows, and files streamed in packets of the sizes
// the plug-in asks for.
#include "pluginhost.h"

#include "bxpack/pxrwriter.h"
#include "platform/dialogs/messagebox.h"
#include "platform/npapi/npapi.h"
#include "platform/registry/registry.h"
#include "platform/sys/versioninfo.h"
#include "platform/win/menus.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"
#include "platform/win/windowframebuffer.h"
#include "plugin/fullscreen.h"
#include "plugin/plugin.h"
#include "stereo/stereomethods.h"
#include "view/bxview.h"
#include "viewer/pxrinput.h"
#include "viewer/webaddresses.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

TEST_F(Plugin, EntryPointsCheckTheirTablesAndTheBrowsersVersion) {
    EXPECT_EQ(NP_GetEntryPoints(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
    EXPECT_EQ(NP_Initialize(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
    ASSERT_EQ(NP_GetEntryPoints(&functions), NPERR_NO_ERROR);
    EXPECT_EQ(functions.version, 11);
    EXPECT_NE(functions.newp, nullptr);
    EXPECT_NE(functions.write, nullptr);
    EXPECT_EQ(functions.event, nullptr);

    // A browser of API version 1.x is refused before anything starts.
    browser.version = 1 << 8;
    EXPECT_EQ(NP_Initialize(&browser), NPERR_INCOMPATIBLE_VERSION_ERROR);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_FALSE(StoredWord(kCommonKey, "StereoView"));

    // 0.8 gets no URL notifications, 0.11 does.
    browser.version = 8;
    StoreWord(kCommonKey, "StereoView", 4);
    EXPECT_EQ(NP_Initialize(&browser), NPERR_NO_ERROR);
    EXPECT_EQ(functions.urlnotify, nullptr);
    NP_Shutdown();
    browser.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
    EXPECT_EQ(NP_Initialize(&browser), NPERR_NO_ERROR);
    EXPECT_NE(functions.urlnotify, nullptr);
    EXPECT_EQ(ThePlugin().method->id, 4);
    EXPECT_TRUE(prompts.boxes.empty());
}

// What a browser reads from the library's version information to route files
// to it.
TEST_F(Plugin, TheLibraryDeclaresItsTypesExtensionsAndOpenDialogNames) {
    win::DWORD handle = 0;
    const win::DWORD size = win::GetFileVersionInfoSize(PLUGIN_LIBRARY, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(win::GetFileVersionInfo(PLUGIN_LIBRARY, handle, size, block.data()));
    const auto query = [&](const char* name) {
        void* value = nullptr;
        win::UINT length = 0;
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
        return win::VerQueryValue(block.data(), path.c_str(), &value, &length)
                   ? std::string(static_cast<const char*>(value))
                   : "(none)";
    };
    EXPECT_EQ(query("MIMEType"), "image/x-jps|image/x-pns|image/x-pxr|image/x-mpo");
    EXPECT_EQ(query("FileExtents"), "jps|pns|pxr|mpo");
    EXPECT_EQ(query("FileOpenName"), "Stereo JPEG files (*.jps)|Stereo PNG files (*.pns)|Norvane "
                                     "Resource files (*.pxr)|MPO files (*.mpo)");
}

TEST_F(Plugin, AFirstStartChoosesTheFirstMethodAndReadsThePreferences) {
    StoreWord(kUserKey, "AutoView", 1);
    StoreWord(kCommonKey, "UserPacketSize", 512);
    win::HKEY key = nullptr;
    win::RegCreateKeyEx(win::HKEY_CURRENT_USER, kCommonKey, 0, nullptr, 0, win::KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
    const char quickMenu[] = "1,4,5,";
    win::RegSetValueEx(key, "QuickMenu", 0, win::REG_SZ,
                       reinterpret_cast<const win::BYTE*>(quickMenu), sizeof quickMenu - 1);
    win::RegCloseKey(key);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);

    const StereoViewMethod* first = GetStereoMethodByIndex(0);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].caption, "Binoxa Error");
    EXPECT_EQ(prompts.boxes[0].text,
              std::string("Invalid FullScreen View method!  Your FullScreen viewing method will "
                          "be changed to '") +
                  MethodDisplayName(first, "") + "'.");
    EXPECT_EQ(StoredWord(kCommonKey, "StereoView"), static_cast<uint32_t>(first->id));
    const PluginState& plugin = ThePlugin();
    EXPECT_EQ(plugin.preferences.autoView, 1);
    EXPECT_EQ(plugin.quickMenuCount, 3);
    EXPECT_EQ(std::vector<int32_t>(plugin.quickMenu, plugin.quickMenu + 4),
              (std::vector<int32_t>{1, 4, 5, -1}));

    // Instances start with the preferences: the user's packet size, and
    // AutoView turns the quick help off for the session.
    NPP instance = New({});
    EXPECT_EQ(Of(instance).userPacketSize, 512);
    EXPECT_EQ(Of(instance).autoView, 1);
    EXPECT_EQ(plugin.preferences.dontShowQuickHelp, 1);
}

TEST_F(Plugin, EmbedAttributesApplyInTheirOrder) {
    StoreWord(kCommonKey, "StereoView", 4);
    StoreWord(kCommonKey, "InlineView", 8);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);

    // BGCOLOR alone: the bar inverts it, the text takes it.
    const PluginInstance& yellow = Of(New({{"src", "a.jps"},
                                           {"BgColor", "#FFFF00"},
                                           {"width", "320"},
                                           {"HEIGHT", "120"},
                                           {"type", "image/X-JPS"},
                                           {"psize", "4000"},
                                           {"view", "anaglyphrb"}}));
    EXPECT_EQ(yellow.backgroundColour, 0x00FFFFu);
    EXPECT_EQ(yellow.progressBarColour, 0xFF0000u);
    EXPECT_EQ(yellow.progressTextColour, 0x00FFFFu);
    EXPECT_EQ(yellow.width, 320);
    EXPECT_EQ(yellow.height, 120);
    EXPECT_EQ(yellow.mimeType, MIME_JPS);
    EXPECT_EQ(yellow.pageSize, 4000);
    EXPECT_EQ(yellow.inlineView, 3);

    // A bar colour before BGCOLOR is kept; one after replaces the computed one.
    const PluginInstance& before = Of(New({{"PROGBARCOLOR", "#102030"}, {"BGCOLOR", "#FFFFFF"}}));
    EXPECT_EQ(before.progressBarColour, 0x302010u);
    EXPECT_EQ(before.progressTextColour, 0xFFFFFFu);
    const PluginInstance& after = Of(New({{"BGCOLOR", "#FFFFFF"},
                                          {"PROGBARCOLOR", "#102030"},
                                          {"VIEW", "xyz"},
                                          {"TYPE", "image/gif"}}));
    EXPECT_EQ(after.progressBarColour, 0x302010u);
    EXPECT_EQ(after.inlineView, 0);

    // A VIEW without a value ends the walk; a bad colour is shown, not taken.
    const PluginInstance& cut = Of(New({{"VIEW", nullptr}, {"WIDTH", "99"}}));
    EXPECT_EQ(cut.width, 0);
    prompts.boxes.clear();
    const PluginInstance& bad = Of(New({{"BG", "red"}, {"PROGTEXTCOLOR", "#12345G"}}));
    EXPECT_EQ(bad.backgroundColour, 0u);
    ASSERT_EQ(prompts.boxes.size(), 2u);
    EXPECT_EQ(prompts.boxes[0].text, "MakeColorRef -- Invalid hex color string: 'red'");
    EXPECT_EQ(prompts.boxes[1].text, "HexDigitToDecimal -- invalid character");
    EXPECT_EQ(after.mimeType, MIME_UNKNOWN);
    EXPECT_NE(log.Text().find("WARNING: Unknown MIME Type: 'image/gif'\n"), std::string::npos);
}

TEST_F(Plugin, InstancesTakeNumbersAndWindowsAndGiveThemBack) {
    StoreWord(kCommonKey, "StereoView", 4);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    NPP first = New({});
    NPP second = New({});
    EXPECT_EQ(Of(first).instanceNumber, 0);
    EXPECT_EQ(Of(second).instanceNumber, 1);
    EXPECT_EQ(ThePlugin().windowTable.size(), 2u);
    NPP third = New({});
    EXPECT_EQ(Of(third).instanceNumber, 2);
    EXPECT_EQ(ThePlugin().windowTable.size(), 4u);

    const win::HWND window = Window(second, 300, 200);
    EXPECT_EQ(ThePlugin().windowTable[1], window);
    EXPECT_EQ(Of(second).windowWidth, 300);
    EXPECT_EQ(Of(second).windowHeight, 200);
    EXPECT_EQ(win::GetProp(window, "instance->pdata"), &Of(second));
    EXPECT_NE(win::GetWindowLongPtr(window, win::GWLP_WNDPROC),
              reinterpret_cast<win::LONG_PTR>(win::DefWindowProc));
    // Destroyed, the instance gives the window its procedure back.
    EXPECT_EQ(functions.destroy(second, nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(second->pdata, nullptr);
    EXPECT_EQ(win::GetWindowLongPtr(window, win::GWLP_WNDPROC),
              reinterpret_cast<win::LONG_PTR>(win::DefWindowProc));
    EXPECT_EQ(win::GetProp(window, "instance->pdata"), nullptr);
    EXPECT_EQ(ThePlugin().windowTable[1], nullptr);
    EXPECT_EQ(functions.destroy(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
}

TEST_F(Plugin, PacketSizesFollowTheStreamThePageAndTheUser) {
    StoreWord(kCommonKey, "StereoView", 4);
    StoreWord(kUserKey, "DontShowQuickHelp", 1);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    const std::string picture = Slurp(kScene);
    const auto sizesFor = [&](std::vector<std::pair<const char*, const char*>> attributes,
                              uint32_t announced) {
        NPP instance = New(attributes);
        NPStream stream;
        stream.url = "http://example.org/pictures/scene.jps";
        stream.end = announced;
        uint16_t type = NP_NORMAL;
        functions.newstream(instance, const_cast<char*>("image/x-jps"), &stream, 0, &type);
        std::vector<int32_t> sizes{functions.writeready(instance, &stream)};
        // Past the first 2 KB.
        functions.write(instance, &stream, 0, 2048, const_cast<char*>(picture.data()));
        sizes.push_back(functions.writeready(instance, &stream));
        functions.destroystream(instance, &stream, NPRES_USER_BREAK);
        return sizes;
    };
    EXPECT_EQ(sizesFor({}, 500 * 1024), (std::vector<int32_t>{2048, 5120}));
    EXPECT_EQ(sizesFor({}, 50 * 1024 * 1024), (std::vector<int32_t>{2048, 65536}));
    EXPECT_EQ(sizesFor({}, 20000), (std::vector<int32_t>{2048, 1024}));
    EXPECT_EQ(sizesFor({{"PSIZE", "4000"}}, 500 * 1024), (std::vector<int32_t>{2048, 4000}));
    ThePlugin().preferences.userPacketSize = 512;
    EXPECT_EQ(sizesFor({}, 500 * 1024), (std::vector<int32_t>{2048, 1024}));
    ThePlugin().preferences.userPacketSize = 30000;
    EXPECT_EQ(sizesFor({}, 500 * 1024), (std::vector<int32_t>{2048, 30000}));
}

TEST_F(Plugin, APictureArrivesIntoItsTemporaryFileAndIsReadAsItComes) {
    StoreWord(kCommonKey, "StereoView", 4);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    const std::string picture = Slurp(kScene);
    NPP instance = New({{"TYPE", "image/x-jps"}, {"WIDTH", "400"}, {"HEIGHT", "150"}});
    Window(instance, 400, 150);
    prompts.dialogScripts.push_back([](win::DialogSession& dialog) {
        dialog.Click(1203);
        dialog.Click(1205);
    });
    const std::vector<int32_t> sizes =
        Stream(instance, "image/x-jps", "http://h/a/scene.jps", picture);
    const PluginInstance& This = Of(instance);
    EXPECT_EQ(This.complete, 1);
    EXPECT_EQ(This.streamName, "scene.jps");
    EXPECT_EQ(This.bytesReceived, picture.size());
    EXPECT_EQ(Slurp(This.tempFile), picture);
    EXPECT_EQ(std::filesystem::path(This.tempFile).filename().string().rfind("bx", 0), 0u);
    EXPECT_EQ(This.inlineImage->GetWidth(), 1600);
    // The decoder goes with the stream; what it found stays for showing it.
    EXPECT_EQ(This.imageInfo->rowsDone, 600);
    EXPECT_FALSE(This.imageInfo->stream);
    EXPECT_FALSE(This.imageInfo->decoderState);
    EXPECT_EQ(sizes.front(), 2048);
    // A finished download shows the quick help; its link opens the tutorial
    // in the page's frame, and the box ticked is kept.
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].caption, "Binoxa Quick Help");
    EXPECT_EQ(opened, (std::vector<std::string>{std::string(TutorialWebAddress()) + " _self"}));
    EXPECT_EQ(StoredWord(kUserKey, "DontShowQuickHelp"), 1u);

    // Destroying the instance removes its file.
    functions.destroy(instance, nullptr);
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});

    // A file under 2 KB is read at its last byte, in one step.
    const std::string small = scratch.File("small.jps");
    ASSERT_EQ(
        std::system(
            ("convert -size 32x16 gradient:red-blue -quality 50 jpeg:'" + small + "'").c_str()),
        0);
    const std::string bytes = Slurp(small);
    ASSERT_LT(bytes.size(), 2048u);
    NPP second = New({{"TYPE", "image/x-jps"}});
    EXPECT_EQ(Stream(second, "image/x-jps", "small.jps", bytes), std::vector<int32_t>{2048});
    EXPECT_EQ(Of(second).complete, 1);
    EXPECT_EQ(Of(second).inlineImage->GetWidth(), 32);
    EXPECT_EQ(Of(second).streamName, "small.jps");
}

TEST_F(Plugin, ErrorPagesBrokenAndCutShortDownloadsAreRefusedOrKept) {
    StoreWord(kCommonKey, "StereoView", 4);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    // The server's error page: the message, a refused stream, no file.
    NPP missing = New({{"TYPE", "image/x-jps"}});
    EXPECT_TRUE(Stream(missing, "text/html", "http://h/gone.jps", "<html>404</html>").empty());
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text,
              "The file (http://h/gone.jps) referenced in the EMBED tag of this HTML page does "
              "not exist or cannot be accessed at this time.  Please try again later.  If "
              "problems persist please contact the author of this web page.");
    EXPECT_EQ(Of(missing).badStream, 1);
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
    EXPECT_TRUE(prompts.dialogs.empty()) << "a refused stream gets no quick help";

    // Garbage: the reader's message once, then every packet refused.
    NPP garbage = New({{"TYPE", "image/x-jps"}});
    Stream(garbage, "image/x-jps", "x.jps", std::string(10000, 'x'));
    EXPECT_EQ(Of(garbage).badStream, 1);
    EXPECT_EQ(prompts.boxes.size(), 2u);
    EXPECT_NE(log.Text().find("NPP_Write: bad stream, returning 0"), std::string::npos);
    EXPECT_EQ(prompts.dialogs.size(), 1u) << "the quick help follows a refused download";

    // A download cut short keeps what it has and ends the quick help for
    // the session.
    const std::string picture = Slurp(kScene);
    NPP cut = New({{"TYPE", "image/x-jps"}});
    Stream(cut, "image/x-jps", "scene.jps", picture, true, picture.size() / 2);
    EXPECT_EQ(Of(cut).complete, 0);
    EXPECT_GT(Of(cut).bytesReceived, 0u);
    EXPECT_EQ(ThePlugin().preferences.dontShowQuickHelp, 1);
    NPP whole = New({{"TYPE", "image/x-jps"}});
    Stream(whole, "image/x-jps", "scene.jps", picture);
    EXPECT_EQ(Of(whole).complete, 1);
    EXPECT_EQ(prompts.dialogs.size(), 1u);
}

TEST_F(Plugin, APresentationShowsTheFirstFrameOfTheAnimationItWraps) {
    StoreWord(kCommonKey, "StereoView", 4);
    StoreWord(kUserKey, "DontShowQuickHelp", 1);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    const std::string animation = Slurp(std::string(BINOXA_SAMPLES_DIR) + "/orbit.avi");
    const std::string container = scratch.File("orbit.pxr");
    PxrWriter writer(container);
    writer.Add({77, false, std::nullopt, std::nullopt, PxrBytes(300, 1)});
    writer.Add({PXR_BLOCK_WRAP, true, std::nullopt, std::nullopt,
                PxrWrapBody("orbit.avi", PxrBytes(animation.begin(), animation.end()))});
    writer.Finish();

    NPP instance = New({{"TYPE", "image/x-pxr"}});
    Stream(instance, "image/x-pxr", "orbit.pxr", Slurp(container));
    const PluginInstance& This = Of(instance);
    EXPECT_EQ(This.badStream, 0);
    EXPECT_EQ(This.complete, 1);
    EXPECT_EQ(This.blockDone, 1);
    EXPECT_EQ(This.blockFile.substr(This.blockFile.size() - 4), ".avi");
    EXPECT_EQ(Slurp(This.blockFile), animation);
    EXPECT_EQ(This.inlineImage->GetWidth(), 256);
    EXPECT_EQ(This.inlineImage->GetBytesPerPixel(), 3);
    // Top row first: the sky (blue, 230) above the grey floor (186).
    const auto blueAt = [&](int row) { return This.inlineImage->Row(row)[128 * 3]; };
    EXPECT_NEAR(blueAt(2), 230, 12);
    EXPECT_NEAR(blueAt(380), 186, 12);
    EXPECT_NE(log.Text().find("ReadImageAndShowInClientWindow:  Unsupported PXR block: 77"),
              std::string::npos);
    // The extracted file and its name's placeholder go with the instance.
    functions.destroy(instance, nullptr);
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
}

// While a full-screen view runs its loop, a timer presses Escape on it, and
// first asks for a second session, which must be ignored.
struct FullScreenCloser {
    static inline PluginInstance* instance = nullptr;
    static inline int closes = 0;
    static inline int secondAnswer = -1;

    static void Tick(win::HWND, win::UINT, win::UINT_PTR, win::DWORD) {
        if (!FullScreenView() || !FullScreenWaiting())
            return;
        const win::HWND view = FullScreenView()->GetSafeHwnd();
        secondAnswer = StartFullScreen(*instance, nullptr);
        ++closes;
        win::PostMessage(view, win::WM_CHAR, 27, 0);
    }
};

TEST_F(Plugin, AClickShowsThePictureFullScreenOnceAndThePresentationOnlyWithTheGlasses) {
    StoreWord(kCommonKey, "StereoView", 4);
    StoreWord(kUserKey, "DontShowQuickHelp", 1);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    NPP instance = New({{"TYPE", "image/x-jps"}});
    const win::HWND page = Window(instance, 400, 150);
    Stream(instance, "image/x-jps", "scene.jps", Slurp(kScene));
    FullScreenCloser::instance = &Of(instance);
    const win::UINT_PTR timer = win::SetTimer(nullptr, 0, 20, FullScreenCloser::Tick);

    // The click opens the view; the timer's second request is ignored while
    // it runs; Escape closes it and the instance keeps its method.
    win::SendMessage(page, win::WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(FullScreenCloser::closes, 1);
    EXPECT_EQ(FullScreenCloser::secondAnswer, 1);
    EXPECT_EQ(FullScreenView(), nullptr);
    EXPECT_EQ(Of(instance).method, ThePlugin().method);

    // A picture without a descriptor asks first when told to; No starts nothing.
    const std::string plain = scratch.File("plain.jps");
    ASSERT_EQ(std::system(("convert -size 64x32 gradient:red-blue jpeg:'" + plain + "'").c_str()),
              0);
    ThePlugin().preferences.warnOnNoDescriptor = 1;
    NPP undescribed = New({{"TYPE", "image/x-jps"}});
    Window(undescribed, 200, 100);
    Stream(undescribed, "image/x-jps", "plain.jps", Slurp(plain));
    prompts.dialogScripts.push_back([](win::DialogSession& dialog) {
        dialog.Click(1013);
        dialog.Click(win::IDNO);
    });
    EXPECT_EQ(StartFullScreen(Of(undescribed), nullptr), 1);
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].caption, "Stereoscopic Descriptor not found!");
    EXPECT_EQ(FullScreenCloser::closes, 1);
    EXPECT_EQ(StoredWord(kUserKey, "WarnOnNoDescriptor"), 0u);

    // A presentation under Crosseye names the methods it needs, and its
    // button opens the glasses' page in a new window.
    const std::string animation = Slurp(std::string(BINOXA_SAMPLES_DIR) + "/orbit.avi");
    const std::string container = scratch.File("orbit.pxr");
    PxrWriter writer(container);
    writer.Add({PXR_BLOCK_WRAP, true, std::nullopt, std::nullopt,
                PxrWrapBody("orbit.avi", PxrBytes(animation.begin(), animation.end()))});
    writer.Finish();
    NPP presentation = New({{"TYPE", "image/x-pxr"}});
    Window(presentation, 256, 384);
    Stream(presentation, "image/x-pxr", "orbit.pxr", Slurp(container));
    prompts.dialogScripts.push_back([](win::DialogSession& dialog) { dialog.Click(1217); });
    EXPECT_EQ(StartFullScreen(Of(presentation), nullptr), 0);
    ASSERT_EQ(prompts.dialogs.size(), 2u);
    EXPECT_EQ(prompts.dialogs[1].caption, "Binoxa PXR File Notification");
    EXPECT_EQ(prompts.dialogs[1].Control(1219)->text, "Crosseye");
    EXPECT_EQ(prompts.dialogs[1].Control(1216)->items,
              (std::vector<std::string>{"Tessel Classic", "Tessel Web (OSPI)"}));
    EXPECT_EQ(opened, (std::vector<std::string>{std::string(GlassesWebAddress()) + " _new"}));
    EXPECT_EQ(FullScreenCloser::closes, 1);

    // A refused download cannot be shown.
    Of(instance).badStream = 1;
    EXPECT_EQ(StartFullScreen(Of(instance), nullptr), 0);
    EXPECT_NE(prompts.boxes.back().text.find("You can't view this image"), std::string::npos);
    win::KillTimer(nullptr, timer);
}

// Takes the full-screen view's picture, hands the plug-in the rest of the
// file while the view is up, takes the picture again and closes the view.
struct DownloadDuringView {
    static inline NPPluginFuncs* functions = nullptr;
    static inline NPP instance = nullptr;
    static inline NPStream* stream = nullptr;
    static inline const std::string* bytes = nullptr;
    static inline size_t offset = 0;
    static inline win::Framebuffer before, after;
    static inline bool done = false;

    static void Tick(win::HWND, win::UINT, win::UINT_PTR, win::DWORD) {
        if (done || !FullScreenView() || !FullScreenWaiting())
            return;
        done = true;
        const win::HWND view = FullScreenView()->GetSafeHwnd();
        win::UpdateWindow(view);
        before = *win::internal::WindowFramebuffer(view);
        while (offset < bytes->size()) {
            const auto size =
                std::min<size_t>(static_cast<size_t>(functions->writeready(instance, stream)),
                                 bytes->size() - offset);
            const int32_t taken = functions->write(instance, stream, static_cast<int32_t>(offset),
                                                   static_cast<int32_t>(size),
                                                   const_cast<char*>(bytes->data() + offset));
            if (taken <= 0)
                break;
            offset += static_cast<size_t>(taken);
        }
        // The page repaints its picture, which refreshes the view instead.
        const win::HWND page = static_cast<PluginInstance*>(instance->pdata)->hwnd;
        win::UpdateWindow(page);
        win::UpdateWindow(view);
        after = *win::internal::WindowFramebuffer(view);
        win::PostMessage(view, win::WM_CHAR, 27, 0);
    }
};

TEST_F(Plugin, TheFullScreenViewFollowsTheDownloadThatContinuesBehindIt) {
    StoreWord(kCommonKey, "StereoView", 4);
    StoreWord(kUserKey, "DontShowQuickHelp", 1);
    StoreWord(kUserKey, "ProgressiveDisplay", 1);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    NPP instance = New({{"TYPE", "image/x-jps"}});
    const win::HWND page = Window(instance, 400, 150);
    const std::string scene = Slurp(kScene);
    NPStream stream;
    stream.url = "scene.jps";
    stream.end = static_cast<uint32_t>(scene.size());
    uint16_t streamType = NP_NORMAL;
    ASSERT_EQ(
        functions.newstream(instance, const_cast<char*>("image/x-jps"), &stream, 0, &streamType),
        NPERR_NO_ERROR);
    // A third of the file: the top of the picture only.
    size_t offset = 0;
    while (offset < scene.size() / 3) {
        const auto size = static_cast<size_t>(functions.writeready(instance, &stream));
        offset += static_cast<size_t>(
            functions.write(instance, &stream, static_cast<int32_t>(offset),
                            static_cast<int32_t>(size), const_cast<char*>(scene.data() + offset)));
    }
    ASSERT_LT(Of(instance).imageInfo->rowsDone, Of(instance).inlineImage->GetHeight());

    DownloadDuringView::functions = &functions;
    DownloadDuringView::instance = instance;
    DownloadDuringView::stream = &stream;
    DownloadDuringView::bytes = &scene;
    DownloadDuringView::offset = offset;
    const win::UINT_PTR timer = win::SetTimer(nullptr, 0, 20, DownloadDuringView::Tick);
    win::SendMessage(page, win::WM_LBUTTONDOWN, 0, 0);
    win::KillTimer(nullptr, timer);
    ASSERT_TRUE(DownloadDuringView::done) << "the view never waited for the download";
    EXPECT_EQ(Of(instance).complete, 1);
    functions.destroystream(instance, &stream, NPRES_DONE);

    // The lower rows the download brought now show in the view.
    const win::Framebuffer& before = DownloadDuringView::before;
    const win::Framebuffer& after = DownloadDuringView::after;
    ASSERT_EQ(before.width, after.width);
    ASSERT_EQ(before.height, after.height);
    int changedTop = 0, changedBottom = 0;
    for (int y = 0; y < after.height; ++y)
        for (int x = 0; x < after.width; ++x)
            if (PixelAt(before, x, y) != PixelAt(after, x, y))
                (y < after.height / 4 ? changedTop : changedBottom)++;
    EXPECT_GT(changedBottom, after.width * 10) << "the view did not take the new rows";
    EXPECT_LT(changedTop, changedBottom / 10) << "the rows shown before changed too";
}

// The popup's items as ids: 0 for a separator, -1 for a sub-menu.
std::vector<int> Ids(const std::vector<win::MenuPromptItem>& items) {
    std::vector<int> ids;
    for (const win::MenuPromptItem& item : items)
        ids.push_back(item.separator ? 0 : item.hasSubmenu ? -1 : static_cast<int>(item.id));
    return ids;
}

// The item with the command, searched through the sub-menus.
const win::MenuPromptItem* Find(const std::vector<win::MenuPromptItem>& items, win::UINT id) {
    for (const win::MenuPromptItem& item : items) {
        if (!item.separator && !item.hasSubmenu && item.id == id)
            return &item;
        if (const win::MenuPromptItem* inside = Find(item.submenu, id))
            return inside;
    }
    return nullptr;
}

bool Checked(const win::MenuPrompt& menu, win::UINT id) {
    const win::MenuPromptItem* item = Find(menu.items, id);
    return item && item->checked;
}

void StoreQuickMenu(const char* text) {
    win::HKEY key = nullptr;
    win::RegCreateKeyEx(win::HKEY_CURRENT_USER, kUserKey, 0, nullptr, 0, win::KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
    win::RegSetValueEx(key, "QuickMenu", 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>(text),
                       static_cast<win::DWORD>(std::strlen(text) + 1));
    win::RegCloseKey(key);
}

std::string StoredQuickMenu() {
    win::HKEY key = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, kUserKey, 0, win::KEY_READ, &key) != 0)
        return "(no key)";
    char text[200] = {};
    win::DWORD size = sizeof text - 1;
    win::DWORD type = 0;
    win::RegQueryValueEx(key, "QuickMenu", nullptr, &type, reinterpret_cast<win::BYTE*>(text),
                         &size);
    win::RegCloseKey(key);
    return type == win::REG_SZ ? text : "(not a text)";
}

class PluginMenu : public Plugin {
protected:
    // A right click on the window, and the command chosen from the popup;
    // the popup as it was shown.
    win::MenuPrompt Choose(win::HWND window, win::UINT command) {
        prompts.menuChoices.push_back(command);
        const size_t shown = prompts.menus.size();
        win::SendMessage(window, win::WM_RBUTTONUP, 0, win::MAKELPARAM(10, 10));
        win::MSG message;
        while (win::PeekMessage(&message, nullptr, 0, 0, win::PM_REMOVE))
            win::DispatchMessage(&message);
        EXPECT_EQ(prompts.menus.size(), shown + 1) << "no popup for a right click";
        return prompts.menus.empty() ? win::MenuPrompt{} : prompts.menus.back();
    }
};

TEST_F(PluginMenu, ThePopupOffersTheQuickMenuSaveAsTheSettingsAndAboutDrawnFromBitmaps) {
    StoreWord(kCommonKey, "StereoView", 4);
    StoreWord(kUserKey, "ProgressiveDisplay", 1);
    StoreQuickMenu("4,5,99,");
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text,
              "Invalid viewing method for \"quick menu\".  You may need to re-customize your "
              "right click menu (in Binoxa Settings).");
    EXPECT_NE(log.Text().find("CreateRightClickPopupMenu -- bad item in menuList: 99"),
              std::string::npos);

    const win::HWND window = Window(New({}), 200, 100);
    const win::MenuPrompt menu = Choose(window, 0);
    EXPECT_EQ(Ids(menu.items), (std::vector<int>{7004, 7005, 0, 7060, 0, -1, 0, 7200}));
    ASSERT_EQ(menu.items.size(), 8u);
    const std::vector<win::MenuPromptItem>& settings = menu.items[5].submenu;
    EXPECT_EQ(Ids(settings), (std::vector<int>{-1, -1, 0, 7071, 7074, 7078, 7075, 7072, 7079, -1,
                                               7080, 7077, 0, 7076}));
    ASSERT_EQ(settings.size(), 14u);
    EXPECT_EQ(Ids(settings[0].submenu),
              (std::vector<int>{7201, 7221, 7222, 7202, 7203, 7204, 7205, 7206, 7207, 0,   7208,
                                7209, 7210, 7211, 0,    7212, 7213, 7214, 7215, 7216, 7219}));
    EXPECT_EQ(Ids(settings[1].submenu),
              (std::vector<int>{7400, 7401, 7402, 7407, 7408, 0,    7414, 7415, 7410, 7411,
                                7412, 7413, 7403, 7404, 7405, 7406, 0,    7416, 7417, 7418}));
    EXPECT_EQ(Ids(settings[9].submenu), (std::vector<int>{7081}));

    // Every item and sub-menu is a picture of our artwork.
    const std::function<void(const std::vector<win::MenuPromptItem>&)> drawn =
        [&](const std::vector<win::MenuPromptItem>& items) {
            for (const win::MenuPromptItem& item : items) {
                if (item.separator)
                    continue;
                EXPECT_NE(item.bitmap, nullptr) << "item " << item.id;
                EXPECT_TRUE(item.text.empty());
                drawn(item.submenu);
            }
        };
    drawn(menu.items);
    EXPECT_EQ(log.Text().find("bitmap was NULL"), std::string::npos);

    // The checks show the settings: the method, the inline view, the toggles.
    EXPECT_TRUE(Checked(menu, 7204));
    EXPECT_FALSE(Checked(menu, 7201));
    EXPECT_TRUE(Checked(menu, 7400));
    EXPECT_TRUE(Checked(menu, 7074));
    EXPECT_FALSE(Checked(menu, 7071));
}

TEST_F(PluginMenu, ChoicesChangeTheSettingsEverywhereAndStoreThemAtOnce) {
    StoreWord(kCommonKey, "StereoView", 4);
    StoreQuickMenu("12,");
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    NPP first = New({});
    NPP second = New({});
    const win::HWND window = Window(first, 200, 100);
    Window(second, 200, 100);

    // Each toggle flips, shows its check and is written where it belongs.
    const std::tuple<win::UINT, const char*, const char*> toggles[] = {
        {7071, "WarnOnNoDescriptor", kUserKey}, {7072, "AutoView", kUserKey},
        {7074, "ProgressiveDisplay", kUserKey}, {7075, "FullScreen", kCommonKey},
        {7078, "StatusBar", kCommonKey},        {7079, "AllowFullScreenAdjustments", kCommonKey},
        {7081, "LoopAnimation", kCommonKey},
    };
    for (const auto& [command, name, key] : toggles) {
        Choose(window, command);
        EXPECT_EQ(StoredWord(key, name), 1u) << name;
        EXPECT_TRUE(Checked(Choose(window, command), command)) << name;
        EXPECT_EQ(StoredWord(key, name), 0u) << name;
        EXPECT_FALSE(Checked(Choose(window, 0), command)) << name;
    }

    // The default method: stored, and the check moves.
    Choose(window, 7205);
    EXPECT_EQ(StoredWord(kCommonKey, "StereoView"), 5u);
    EXPECT_EQ(ThePlugin().method->id, 5);
    const win::MenuPrompt moved = Choose(window, 0);
    EXPECT_TRUE(Checked(moved, 7205));
    EXPECT_FALSE(Checked(moved, 7204));

    // A new inline view warns, is stored and redraws every instance; the
    // same one again, or "none", says nothing.
    prompts.boxes.clear();
    Of(second).rebuildConverted = 0;
    Choose(window, 7403);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].caption, "Binoxa Notification");
    EXPECT_EQ(prompts.boxes[0].text.rfind("Warning!  You are about to change your inline viewing "
                                          "method.\nThis will change the way stereo images",
                                          0),
              0u);
    EXPECT_EQ(StoredWord(kCommonKey, "InlineView"), 3u);
    EXPECT_EQ(Of(second).rebuildConverted, 1);
    Of(second).rebuildConverted = 0;
    EXPECT_TRUE(Checked(Choose(window, 7403), 7403));
    EXPECT_EQ(Of(second).rebuildConverted, 0);
    Choose(window, 7400);
    EXPECT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(StoredWord(kCommonKey, "InlineView"), 0u);
    EXPECT_EQ(Of(second).rebuildConverted, 1);

    // A quick-menu entry takes its method for this picture only.
    Of(first).badStream = 1;
    Choose(window, 7012);
    EXPECT_EQ(Of(first).method->id, 12);
    EXPECT_EQ(ThePlugin().method->id, 5);
    EXPECT_NE(prompts.boxes.back().text.find("You can't view this image"), std::string::npos);
}

TEST_F(PluginMenu, TheDialogsEditThePacketSizeQuickMenuAndDisplayAndSaveTheFile) {
    StoreWord(kCommonKey, "StereoView", 4);
    StoreWord(kUserKey, "DontShowQuickHelp", 1);
    StoreQuickMenu("1,4,5,");
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    NPP instance = New({});
    const win::HWND window = Window(instance, 200, 100);

    // 3000 bytes is shown as 2048 and stored so; Cancel keeps the value.
    Of(instance).userPacketSize = 3000;
    prompts.dialogScripts.push_back([](win::DialogSession& dialog) {
        EXPECT_EQ(dialog.Shown().caption, "Binoxa Packet Size");
        EXPECT_TRUE(dialog.Shown().Control(1221)->checked);
        EXPECT_FALSE(dialog.Shown().Control(1222)->checked);
        dialog.Click(win::IDOK);
    });
    Choose(window, 7080);
    EXPECT_EQ(Of(instance).userPacketSize, 2048);
    EXPECT_EQ(StoredWord(kUserKey, "UserPacketSize"), 2048u);
    prompts.dialogScripts.push_back([](win::DialogSession& dialog) {
        dialog.Click(1225);
        dialog.Click(win::IDOK);
    });
    Choose(window, 7080);
    EXPECT_EQ(StoredWord(kUserKey, "UserPacketSize"), 7u);
    prompts.dialogScripts.push_back([](win::DialogSession& dialog) {
        EXPECT_TRUE(dialog.Shown().Control(1225)->checked);
        dialog.Click(1227);
        dialog.Click(win::IDCANCEL);
    });
    Choose(window, 7080);
    EXPECT_EQ(Of(instance).userPacketSize, 7);

    // The quick menu's boxes start from the stored list; OK stores the
    // checked ones in order and the popup offers them at once.
    prompts.dialogScripts.push_back([](win::DialogSession& dialog) {
        const win::DialogPrompt shown = dialog.Shown();
        EXPECT_EQ(shown.caption, "Customize Right Click Menu");
        EXPECT_TRUE(shown.Control(1101)->checked);
        EXPECT_TRUE(shown.Control(1104)->checked);
        EXPECT_FALSE(shown.Control(1112)->checked);
        EXPECT_EQ(shown.Control(1119)->text, "WinSPEX/3D");
        dialog.Click(1104);
        dialog.Click(1112);
        dialog.Click(1121);
        dialog.Click(win::IDOK);
    });
    Choose(window, 7076);
    EXPECT_EQ(StoredQuickMenu(), "1,5,12,21,");
    EXPECT_EQ(Ids(Choose(window, 0).items),
              (std::vector<int>{7001, 7005, 7012, 7021, 0, 7060, 0, -1, 0, 7200}));

    // Customize Display stores the display and the resolution choice.
    prompts.dialogScripts.push_back([](win::DialogSession& dialog) { dialog.Click(win::IDOK); });
    Choose(window, 7077);
    EXPECT_TRUE(StoredWord(kCommonKey, "DisplayMethod").has_value());
    EXPECT_TRUE(StoredWord(kCommonKey, "DDModeType").has_value());
    EXPECT_TRUE(StoredWord(kCommonKey, "DDModeBpp").has_value());

    // The about box shows our artwork; its web button opens the maker's page
    // in the same frame.
    prompts.dialogScripts.push_back([](win::DialogSession& dialog) {
        EXPECT_EQ(dialog.Shown().caption, "About Binoxa");
        EXPECT_NE(dialog.Shown().Control(1209)->image, nullptr);
        dialog.Click(1010);
    });
    Choose(window, 7200);
    EXPECT_EQ(opened, (std::vector<std::string>{std::string(BinoxaWebAddress()) + " _self"}));

    // Save As waits for the whole file, then copies it where the user says.
    prompts.boxes.clear();
    Choose(window, 7060);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "Can't save image until it has finished downloading.");
    EXPECT_EQ(prompts.boxes[0].caption, "Binoxa Error");
    EXPECT_TRUE(prompts.fileDialogs.empty());
    Stream(instance, "image/x-jps", "http://example.org/pictures/scene.jps", Slurp(kScene));
    const std::string saved = scratch.File("saved.jps");
    prompts.fileAnswers.push_back({true, {saved}, 1});
    Choose(window, 7060);
    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    const win::FileDialogPrompt& asked = prompts.fileDialogs[0];
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.title, "Save As...");
    EXPECT_EQ(asked.fileName, "scene.jps");
    EXPECT_EQ(asked.defaultExtension, "jps");
    ASSERT_EQ(asked.filters.size(), 1u);
    EXPECT_EQ(asked.filters[0].pattern, "*.*");
    EXPECT_EQ(Slurp(saved), Slurp(kScene));
}

} // namespace
