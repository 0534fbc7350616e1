// The sample page in bxpage on a real X server, its pictures arriving from a
// slow local web server: the plug-in first shows the download, then the
// picture growing from the top as rows are decoded, then the whole picture;
// a click shows it full screen and Escape returns to the page.
#include "screenharness.h"

#include <gtest/gtest.h>

#include <cstdio>
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

// The rows of area in which the two screenshots differ.
std::vector<bool> DifferingRows(const Screenshot& a, const Screenshot& b, const Area& area) {
    std::vector<bool> rows(static_cast<size_t>(area.height), false);
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width && !rows[y]; ++x)
            rows[y] = a.At(area.x + x, area.y + y) != b.At(area.x + x, area.y + y);
    return rows;
}

// Where the two screenshots differ at all.
Area Changed(const Screenshot& a, const Screenshot& b) {
    int left = a.width, top = a.height, right = -1, bottom = -1;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.At(x, y) != b.At(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? Area{} : Area{left, top, right - left + 1, bottom - top + 1};
}

// Pixels of the second picture's watermark: its letters brightened by 96
// on the page's black.
int WatermarkPixels(const Screenshot& shot) {
    int count = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            count += shot.At(x, y) == win::RGB(96, 96, 96);
    return count;
}

TEST(BxpageEndToEnd, TheSamplePageShowsItsPicturesArrivingRowByRowAndFullScreenOnAClick) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under Xvfb (see the CMake test)";
    const fs::path work = fs::absolute("bxpage-e2e-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work / "home/.config/binoxa");
    ::setenv("HOME", (work / "home").c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("BINOXA_PLUGIN_DIR", PLUGIN_DIR, 1);
    ::setenv("BINOXA_SYSTEM_DIR", TEST_SYSTEM_DIR, 1);
    // Rows are drawn as they arrive; no quick help at the end.
    std::ofstream(work / "home/.config/binoxa/registry.reg")
        << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Norvane\\Binoxa\\Preferences]\n"
           "\"ProgressiveDisplay\"=dword:00000001\n\"DontShowQuickHelp\"=dword:00000001\n\n"
           "[HKEY_CURRENT_USER\\Software\\Norvane\\Common\\Preferences]\n"
           "\"StereoView\"=dword:00000004\n";

    e2e::ChildProcess server({"/usr/bin/env", "python3", TEST_SERVER, SAMPLES_DIR},
                             (work / "server.out").string());
    int port = 0;
    ASSERT_TRUE(e2e::PumpUntil(
        [&] {
            std::ifstream output(work / "server.out");
            std::string word;
            return output >> word >> port && word == "port";
        },
        20000));
    const std::string page = "http://127.0.0.1:" + std::to_string(port) + "/slow/page.html";

    const Screenshot before = e2e::TakeScreenshot();
    e2e::ChildProcess bxpage({BXPAGE, page});
    // The page's text comes first: the screen is no longer what it was.
    const Screenshot early = e2e::TakeScreenshotWhen(
        [&](const Screenshot& s) { return Changed(before, s).width > 0; }, 20000);
    // Until rows arrive, the watermark stands for the picture.
    const Screenshot download = e2e::TakeScreenshotWhen(
        [](const Screenshot& s) { return WatermarkPixels(s) > 200; }, 20000);
    e2e::SavePng(download, "bxpage-1-download");
    ASSERT_GT(WatermarkPixels(download), 200) << "no watermark while the pictures download";
    // 120 KB at 40 KB a second: partway after a second and a half.
    e2e::PumpFor(1500);
    const Screenshot partial = e2e::TakeScreenshot();
    e2e::SavePng(partial, "bxpage-2-rows-arriving");
    // Done when two shots a second apart agree.
    Screenshot done = partial;
    ASSERT_TRUE(e2e::PumpUntil(
        [&] {
            e2e::PumpFor(1000);
            const Screenshot next = e2e::TakeScreenshot();
            const bool settled = Changed(done, next).width == 0;
            done = next;
            return settled;
        },
        30000))
        << "the pictures never finished";
    e2e::SavePng(done, "bxpage-3-complete");
    EXPECT_EQ(WatermarkPixels(done), 0) << "the complete pictures still show the watermark";

    // The pictures' area: what the download changed after the first shot.
    const Area pictures = Changed(early, done);
    ASSERT_GT(pictures.width, 100);
    ASSERT_GT(pictures.height, 100);
    // Partway, the top rows already show what they finally show and the
    // bottom rows do not yet: the picture grows from the top.
    const std::vector<bool> rows = DifferingRows(partial, done, pictures);
    const int firstDiffering =
        static_cast<int>(std::find(rows.begin(), rows.end(), true) - rows.begin());
    EXPECT_GT(firstDiffering, 10) << "no rows were complete partway";
    EXPECT_LT(firstDiffering, pictures.height) << "the picture was complete at once";
    // The first picture is a red/blue anaglyph: no green anywhere in it.
    int green = 0, coloured = 0;
    for (int y = pictures.y; y < pictures.y + 150; ++y)
        for (int x = pictures.x; x < pictures.x + pictures.width; ++x) {
            const win::COLORREF pixel = done.At(x, y);
            green += win::GetGValue(pixel) != 0;
            coloured += win::GetRValue(pixel) != 0 || win::GetBValue(pixel) != 0;
        }
    EXPECT_EQ(green, 0) << "the first picture is no red/blue anaglyph";
    EXPECT_GT(coloured, pictures.width * 100);

    // A click on the first picture shows it full screen (the screen no longer
    // shows the page's white); Escape brings the page back as it was.
    const int clickX = pictures.x + pictures.width / 2;
    const int clickY = pictures.y + pictures.height / 4;
    e2e::Xdotool("mousemove " + std::to_string(clickX) + " " + std::to_string(clickY) + " click 1");
    const auto pageShown = [&](const Screenshot& s) { return Changed(done, s).width == 0; };
    const Screenshot full = e2e::TakeScreenshotWhen(
        [&](const Screenshot& s) { return s.At(2, 2) != done.At(2, 2); }, 20000);
    e2e::SavePng(full, "bxpage-4-full-screen");
    ASSERT_FALSE(pageShown(full)) << "the click showed nothing full screen";
    e2e::Xdotool("key Escape");
    const Screenshot back = e2e::TakeScreenshotWhen(pageShown, 20000);
    e2e::SavePng(back, "bxpage-5-back");
    EXPECT_TRUE(pageShown(back)) << "the page did not come back";

    bxpage.Terminate();
    const int status = bxpage.WaitForExit(10000);
    ASSERT_TRUE(WIFEXITED(status)) << "bxpage did not end";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    fs::remove_all(work);
}

} // namespace
