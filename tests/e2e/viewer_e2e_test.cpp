// The viewer program on a real X server, started and driven as a user would:
// a picture named on the command line must reach the screen as bxconvert
// makes it and Escape must end the program; without a file the main window
// must open files through the real file dialog, one after another, stop
// the sequence at Escape, take a dropped file, refuse a broken one with a
// message box and stay usable; and none of it may store a setting. An
// animation plays for the shutter glasses, frame after frame, and ends. The
// sample presentation shows its pictures in turn, a click or a key moving
// on, until Escape.
#include "screenharness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using e2e::Area;
using e2e::Screenshot;

// The X screen (see the CMake test) and the one display mode of the
// adapter, so that the view's frame is the screen.
constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 1200;
constexpr int kStatusLineHeight = 16;

// The main window (no window manager: at the origin): a white client area
// under the menu bar and the grey status bar at its bottom.
constexpr win::COLORREF kWhite = 0xFFFFFF;
constexpr win::COLORREF kStatusBarFace = 0xC0C0C0;

bool MainWindowShown(const Screenshot& shot) {
    return shot.At(200, 100) == kWhite && shot.At(300, 190) == kStatusBarFace &&
           shot.At(800, 600) == 0;
}

Area Centred(int width, int height) {
    return {((kScreenWidth - width) / 2) & ~1, ((kScreenHeight - height) / 2) & ~1, width, height};
}

bool Shows(const Screenshot& shot, const Screenshot& picture) {
    return e2e::SeemsShown(shot, picture, Centred(picture.width, picture.height));
}

class ViewerEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under Xvfb (see the CMake test)";
        ::setenv("BINOXA_SYSTEM_DIR", TEST_SYSTEM_DIR, 1);
        e2e::UseAdapterProfile("mode 1600x1200x32\n"
                               "desktop 1600x1200x32\n");
    }

    // A fresh home for the viewer's registry, and a folder of pictures.
    void SetUp() override {
        work = fs::absolute("viewer-e2e-" + std::to_string(::getpid()));
        fs::remove_all(work);
        fs::create_directories(work / "home");
        ::setenv("HOME", (work / "home").c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override { fs::remove_all(work); }

    // The values stored (start-up opens its keys, which may create them).
    int RegistryValues() const {
        std::ifstream registry(work / "home/.config/binoxa/registry.reg");
        int values = 0;
        for (std::string line; std::getline(registry, line);)
            values += line.find('=') != std::string::npos;
        return values;
    }

    fs::path work;
};

TEST_F(ViewerEndToEnd, APictureOnTheCommandLineIsShownUntilEscapeEndsTheProgram) {
    const Screenshot crossEyed = e2e::Converted(BXCONVERT, "crosseye", SAMPLE_PICTURE);
    ASSERT_EQ(crossEyed.width, 1600);
    ASSERT_EQ(crossEyed.height, 600);
    const Area centred = Centred(crossEyed.width, crossEyed.height);

    e2e::ChildProcess viewer({BXVIEWER, "-oform=crosseye", SAMPLE_PICTURE});
    const Screenshot shot =
        e2e::TakeScreenshotWhen([&](const Screenshot& s) { return Shows(s, crossEyed); }, 20000);
    e2e::SavePng(shot, "viewer-1-command-line");
    EXPECT_EQ(e2e::DifferingPixels(shot, crossEyed, centred), 0);
    EXPECT_EQ(e2e::DrawnArea(shot, kStatusLineHeight), centred);

    e2e::Xdotool("key Escape");
    const int status = viewer.WaitForExit(10000);
    ASSERT_TRUE(WIFEXITED(status)) << "the viewer did not end";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(RegistryValues(), 0);
}

TEST_F(ViewerEndToEnd, ACameraMpoIsShownInTheLeastSquaresAnaglyph) {
    const std::string mpo = (work / "camera.mpo").string();
    const std::string command =
        std::string(BXCONVERT) + " -oform=parallel '" + SAMPLE_PICTURE + "' '" + mpo + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Screenshot anaglyph = e2e::Converted(BXCONVERT, "dubois_rc", mpo);
    ASSERT_EQ(anaglyph.width, 800);
    const Area centred = Centred(anaglyph.width, anaglyph.height);

    e2e::ChildProcess viewer({BXVIEWER, "-oform=dubois_rc", mpo});
    const Screenshot shot =
        e2e::TakeScreenshotWhen([&](const Screenshot& s) { return Shows(s, anaglyph); }, 20000);
    e2e::SavePng(shot, "viewer-mpo-dubois");
    EXPECT_EQ(e2e::DifferingPixels(shot, anaglyph, centred), 0);
    e2e::Xdotool("key Escape");
    const int status = viewer.WaitForExit(10000);
    ASSERT_TRUE(WIFEXITED(status)) << "the viewer did not end";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(ViewerEndToEnd, TheMainWindowShowsOpenedAndDroppedFilesAndStaysUsable) {
    // A second picture that cannot be mistaken for the first: half the size.
    const fs::path first = work / "first.jps", second = work / "second.jps";
    fs::copy_file(SAMPLE_PICTURE, first);
    const std::string left = (work / "left.ppm").string(), right = (work / "right.ppm").string();
    ASSERT_EQ(std::system(("'" BXSCENE "' --noise '" + left + "' '" + right + "' 400 300").c_str()),
              0);
    ASSERT_EQ(std::system(("'" BXCONVERT "' -oform=crosseye '" + left + "' '" + right + "' '" +
                           second.string() + "'")
                              .c_str()),
              0);
    std::ofstream(work / "broken.jps") << "not a picture at all";
    const Screenshot firstShown = e2e::Converted(BXCONVERT, "anaglyph_c_rb", first.string());
    const Screenshot secondShown = e2e::Converted(BXCONVERT, "anaglyph_c_rb", second.string());
    ASSERT_EQ(secondShown.width, 400);

    e2e::ChildProcess viewer({BXVIEWER, "-oform=anaglyph_c_rb"}, "", work.string());
    const auto waitForMainWindow = [](const char* name) {
        const Screenshot shot = e2e::TakeScreenshotWhen(MainWindowShown, 20000);
        e2e::SavePng(shot, name);
        return MainWindowShown(shot);
    };
    ASSERT_TRUE(waitForMainWindow("viewer-2-main-window")) << "no main window";
    const auto openThroughTheDialog = [&](const std::string& typedNames) {
        e2e::Xdotool("mousemove 200 100 key ctrl+o");
        const Screenshot dialog =
            e2e::TakeScreenshotWhen([](const Screenshot& s) { return !MainWindowShown(s); }, 10000);
        ASSERT_FALSE(MainWindowShown(dialog)) << "no open dialog";
        e2e::Xdotool("type --delay 20 '" + typedNames + "'");
        e2e::Xdotool("key Return");
    };

    // A broken file: the reader's message in a box, then the window again.
    openThroughTheDialog("broken.jps");
    Screenshot shot = e2e::TakeScreenshotWhen(
        [](const Screenshot& s) { return !MainWindowShown(s) && s.At(800, 600) != 0; }, 10000);
    e2e::SavePng(shot, "viewer-3-broken-file");
    e2e::Xdotool("key Return");
    ASSERT_TRUE(waitForMainWindow("viewer-4-after-broken-file"));

    // Two files: the first until its view's Exit, then the second until Escape.
    openThroughTheDialog("\"first.jps\" \"second.jps\"");
    shot =
        e2e::TakeScreenshotWhen([&](const Screenshot& s) { return Shows(s, firstShown); }, 20000);
    e2e::SavePng(shot, "viewer-5-first-file");
    EXPECT_EQ(e2e::DifferingPixels(shot, firstShown, Centred(800, 600)), 0);
    e2e::Xdotool("mousemove 1400 1000 click 3");
    e2e::PumpFor(500);
    e2e::Xdotool("key Up Return");
    shot =
        e2e::TakeScreenshotWhen([&](const Screenshot& s) { return Shows(s, secondShown); }, 20000);
    e2e::SavePng(shot, "viewer-6-second-file");
    EXPECT_EQ(e2e::DifferingPixels(shot, secondShown, Centred(400, 300)), 0);
    e2e::Xdotool("key Escape");
    ASSERT_TRUE(waitForMainWindow("viewer-7-after-second-file"));

    // Escape in the first ends the sequence: the second is never shown.
    openThroughTheDialog("\"first.jps\" \"second.jps\"");
    shot =
        e2e::TakeScreenshotWhen([&](const Screenshot& s) { return Shows(s, firstShown); }, 20000);
    ASSERT_TRUE(Shows(shot, firstShown));
    e2e::Xdotool("key Escape");
    ASSERT_TRUE(waitForMainWindow("viewer-8-escape-in-first"));
    e2e::PumpFor(1500);
    shot = e2e::TakeScreenshot();
    EXPECT_TRUE(MainWindowShown(shot));
    EXPECT_FALSE(Shows(shot, secondShown));

    // A file dropped on the window is shown.
    e2e::ChildProcess source({DRAG_SOURCE, "1000", "700", second.string()});
    ASSERT_TRUE(e2e::PumpUntil([] { return e2e::TakeScreenshot().At(1100, 800) != 0; }, 10000))
        << "no drag source";
    e2e::Xdotool("mousemove 1100 800 mousedown 1 sleep 0.3 mousemove 1000 600 sleep 0.3 "
                 "mousemove 210 100 sleep 0.3 mousemove 200 100 sleep 0.3 mouseup 1");
    shot =
        e2e::TakeScreenshotWhen([&](const Screenshot& s) { return Shows(s, secondShown); }, 20000);
    e2e::SavePng(shot, "viewer-9-dropped-file");
    EXPECT_TRUE(Shows(shot, secondShown));
    e2e::Xdotool("key Escape");
    ASSERT_TRUE(waitForMainWindow("viewer-10-after-drop"));

    // File, Exit ends the program.
    e2e::Xdotool("mousemove 20 8 click 1");
    e2e::PumpFor(500);
    e2e::Xdotool("key Up Return");
    const int status = viewer.WaitForExit(10000);
    ASSERT_TRUE(WIFEXITED(status)) << "the viewer did not end";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(RegistryValues(), 0);
}

TEST_F(ViewerEndToEnd, AnAnimationPlaysForTheShutterGlassesAndEndsTheProgram) {
    // The Tessel pack is installed and its simulated driver takes the mode.
    fs::create_directories(work / "home/.config/binoxa");
    std::ofstream(work / "home/.config/binoxa/z_tessel.ini") << "[INSTALL]\nFinished_Install=yes\n";
    std::ofstream(work / "tessel.conf") << "mode 1600 1200 32\n";
    ::setenv("BINOXA_TSLFT16_CONFIG", (work / "tessel.conf").c_str(), 1);

    e2e::ChildProcess viewer({BXVIEWER, "-oform=tessel", SAMPLE_ANIMATION});
    const auto drawn = [](const Screenshot& s) { return e2e::DrawnArea(s, 0).width > 0; };
    const Screenshot first = e2e::TakeScreenshotWhen(drawn, 20000);
    ASSERT_TRUE(drawn(first)) << "no frame came up";
    e2e::PumpFor(250);
    const Screenshot later = e2e::TakeScreenshot();
    e2e::SavePng(first, "viewer-11-animation");
    e2e::SavePng(later, "viewer-12-animation-later");
    int differing = 0;
    for (int y = 0; y < first.height; ++y)
        for (int x = 0; x < first.width; ++x)
            differing += first.At(x, y) != later.At(x, y);
    EXPECT_GT(differing, 1000) << "the frames did not advance";

    // 24 frames at 15 a second: the view closes by itself, and the program ends.
    const int status = viewer.WaitForExit(15000);
    ::unsetenv("BINOXA_TSLFT16_CONFIG");
    ASSERT_TRUE(WIFEXITED(status)) << "the viewer did not end";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(ViewerEndToEnd, TheSampleTourShowsItsPicturesInTurnOnClicksAndKeysUntilEscape) {
    const Screenshot scene = e2e::Converted(BXCONVERT, "anaglyph_c_rb", SAMPLE_PICTURE);
    const Screenshot sway = e2e::Converted(BXCONVERT, "anaglyph_c_rb", SAMPLE_SWAY);
    ASSERT_GT(e2e::DifferingPixels(scene, sway, {0, 0, scene.width, scene.height}), 1000)
        << "the tour's two pictures look alike";

    e2e::ChildProcess viewer({BXVIEWER, "-oform=anaglyph_c_rb", SAMPLE_TOUR});
    Screenshot shot =
        e2e::TakeScreenshotWhen([&](const Screenshot& s) { return Shows(s, scene); }, 20000);
    e2e::SavePng(shot, "viewer-13-tour-first");
    ASSERT_TRUE(Shows(shot, scene)) << "the tour did not start with the scene";

    e2e::Xdotool("mousemove 800 600 click 1");
    shot = e2e::TakeScreenshotWhen([&](const Screenshot& s) { return Shows(s, sway); }, 20000);
    e2e::SavePng(shot, "viewer-14-tour-second");
    ASSERT_TRUE(Shows(shot, sway)) << "a click did not move on";

    // A key moves on too, and the script loops back to its start.
    e2e::Xdotool("key space");
    shot = e2e::TakeScreenshotWhen([&](const Screenshot& s) { return Shows(s, scene); }, 20000);
    e2e::SavePng(shot, "viewer-15-tour-again");
    ASSERT_TRUE(Shows(shot, scene)) << "the tour did not loop back";

    e2e::Xdotool("key Escape");
    const int status = viewer.WaitForExit(10000);
    ASSERT_TRUE(WIFEXITED(status)) << "Escape did not end the tour";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
