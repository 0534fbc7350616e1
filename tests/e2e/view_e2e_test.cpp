// The full-screen view on a real X server, driven as a user would: a stereo
// picture shown in colour anaglyph must reach the screen pixel for pixel as
// bxconvert makes it, "+" and "-" must zoom it, Tab must show the status line,
// the right-click menu must switch the method, and Escape must leave the
// view's modal loop with result 2.
//
// The view runs in its own process (viewhost), so that its modal loop runs
// as in a viewer while this program takes screenshots and presses keys.
#include "screenharness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// The X screen (see the CMake test) and a display mode of the same size, so
// that the presenter shows the frame unscaled at the screen's origin.
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kStatusLineHeight = 16;

constexpr int kColourAnaglyph = 6;
const char* const kColourAnaglyphName = "Color Anaglyph (Red/Blue)";
const char* const kGreyAnaglyphName = "Grey Anaglyph (Red/Blue)";

using e2e::Area;

// The picture bxconvert makes of the sample for a method.
e2e::Screenshot Converted(const char* methodName) {
    return e2e::Converted(BXCONVERT, methodName, SAMPLE_PICTURE);
}

// Where the view centres a picture of the size on the screen: on even
// coordinates, so that interleaved rows keep their eyes.
Area Centred(int width, int height) {
    return {((kScreenWidth - width) / 2) & ~1, ((kScreenHeight - height) / 2) & ~1, width, height};
}

Area DrawnArea(const e2e::Screenshot& shot) {
    return e2e::DrawnArea(shot, kStatusLineHeight);
}

int LitPixelsOfStatusLine(const e2e::Screenshot& shot) {
    int lit = 0;
    for (int y = shot.height - kStatusLineHeight; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.At(x, y) != 0)
                ++lit;
    return lit;
}

int DifferingFrom(const e2e::Screenshot& a, const e2e::Screenshot& b) {
    if (a.width != b.width || a.height != b.height)
        return a.width * a.height;
    int differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.At(x, y) != b.At(x, y))
                ++differing;
    return differing;
}

std::string StatusLine(const char* method, int zoomPercent) {
    return std::string("status: Method: ") + method + "  Zoom: " + std::to_string(zoomPercent) +
           "%  Display: 1024x768x32 (GDI)";
}

// viewhost in the background, its output lines collected from a file.
class ViewHost {
public:
    explicit ViewHost(int methodId)
        : outputPath("viewhost-" + std::to_string(::getpid()) + ".out"),
          process({VIEW_HOST, SAMPLE_PICTURE, std::to_string(methodId),
                   std::to_string(kScreenWidth), std::to_string(kScreenHeight), "32"},
                  outputPath) {}
    ~ViewHost() { std::remove(outputPath.c_str()); }

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::ifstream file(outputPath);
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }
    bool HasLine(const std::string& wanted) const {
        const std::vector<std::string> lines = Lines();
        return std::find(lines.begin(), lines.end(), wanted) != lines.end();
    }
    std::string LastLine() const {
        const std::vector<std::string> lines = Lines();
        return lines.empty() ? "" : lines.back();
    }
    // The last status line reported, or "" before any.
    std::string LastStatus() const {
        std::string last;
        for (const std::string& line : Lines())
            if (line.rfind("status:", 0) == 0)
                last = line;
        return last;
    }
    bool WaitForLastStatus(const std::string& wanted) const {
        return e2e::PumpUntil([&] { return LastStatus() == wanted; }, 10000);
    }
    int WaitForExit(int timeoutMs) { return process.WaitForExit(timeoutMs); }
    bool Running() const { return process.Running(); }

private:
    std::string outputPath;
    e2e::ChildProcess process;
};

class ViewEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under Xvfb (see the CMake test)";
        ::setenv("BINOXA_SYSTEM_DIR", TEST_SYSTEM_DIR, 1);
        e2e::UseAdapterProfile("mode 1024x768x32\n"
                               "mode 640x480x32\n"
                               "desktop 1024x768x32\n");
    }
};

TEST_F(ViewEndToEnd, ShowsZoomsSwitchesMethodAndLeavesWithEscape) {
    const e2e::Screenshot colour = Converted("anaglyph_c_rb");
    const e2e::Screenshot grey = Converted("anaglyph_g_rb");
    ASSERT_EQ(colour.width, 800);
    ASSERT_EQ(colour.height, 600);
    ASSERT_EQ(grey.width, 800);
    ASSERT_EQ(grey.height, 600);
    const Area actualSize = Centred(800, 600);

    ViewHost host(kColourAnaglyph);
    ASSERT_TRUE(host.Running());
    ASSERT_TRUE(e2e::PumpUntil([&] { return host.HasLine("shown"); }, 15000))
        << "viewhost did not show the picture";

    // At zoom 1.0 in a mode of the screen's size: the converted picture
    // itself, centred on black, without a status line.
    e2e::Screenshot shot = e2e::TakeScreenshotWhen(
        [&](const e2e::Screenshot& s) { return e2e::SeemsShown(s, colour, actualSize); }, 10000);
    e2e::SavePng(shot, "view-1-colour-anaglyph");
    ASSERT_EQ(shot.width, kScreenWidth);
    ASSERT_EQ(shot.height, kScreenHeight);
    EXPECT_EQ(e2e::DifferingPixels(shot, colour, actualSize), 0);
    EXPECT_EQ(DrawnArea(shot), actualSize);
    EXPECT_EQ(LitPixelsOfStatusLine(shot), 0);

    // "+" enlarges by 5 per cent; the keyboard follows the pointer.
    const Area enlarged = Centred(static_cast<int>(800 * 1.05), static_cast<int>(600 * 1.05));
    e2e::Xdotool("mousemove 1000 20 key plus");
    shot = e2e::TakeScreenshotWhen(
        [&](const e2e::Screenshot& s) { return DrawnArea(s) == enlarged; }, 10000);
    e2e::SavePng(shot, "view-2-enlarged");
    EXPECT_EQ(DrawnArea(shot), enlarged);
    EXPECT_EQ(LitPixelsOfStatusLine(shot), 0);

    // Tab turns the status line on, at the enlarged zoom.
    e2e::Xdotool("key Tab");
    EXPECT_TRUE(host.WaitForLastStatus(StatusLine(kColourAnaglyphName, 105))) << host.LastStatus();
    shot = e2e::TakeScreenshotWhen(
        [](const e2e::Screenshot& s) { return LitPixelsOfStatusLine(s) > 100; }, 10000);
    e2e::SavePng(shot, "view-3-status-line");
    EXPECT_GT(LitPixelsOfStatusLine(shot), 100);
    EXPECT_EQ(DrawnArea(shot), enlarged);

    // "-" goes back to the actual size: the very same pixels as at first,
    // now under a status line that says 100%.
    e2e::Xdotool("key minus");
    EXPECT_TRUE(host.WaitForLastStatus(StatusLine(kColourAnaglyphName, 100))) << host.LastStatus();
    shot = e2e::TakeScreenshotWhen(
        [&](const e2e::Screenshot& s) { return DrawnArea(s) == actualSize; }, 10000);
    e2e::SavePng(shot, "view-4-reduced");
    EXPECT_EQ(DrawnArea(shot), actualSize);
    EXPECT_EQ(e2e::DifferingPixels(shot, colour, actualSize), 0);
    EXPECT_GT(LitPixelsOfStatusLine(shot), 100);

    // The right-click menu opens at the click; its first item is the method
    // submenu, whose tenth entry is the grey anaglyph (1, 21, 22, 2, 3, 4,
    // 5, 6, 7, 8).
    const e2e::Screenshot beforeMenu = shot;
    e2e::Xdotool("mousemove 900 300 click 3");
    shot = e2e::TakeScreenshotWhen(
        [&](const e2e::Screenshot& s) { return DifferingFrom(s, beforeMenu) > 1000; }, 10000);
    e2e::SavePng(shot, "view-5-menu");
    ASSERT_GT(DifferingFrom(shot, beforeMenu), 1000) << "no menu came up";
    const e2e::Screenshot menu = shot;
    e2e::Xdotool("mousemove 1010 700 key Down Right");
    shot = e2e::TakeScreenshotWhen(
        [&](const e2e::Screenshot& s) { return DifferingFrom(s, menu) > 1000; }, 10000);
    e2e::SavePng(shot, "view-6-method-submenu");
    ASSERT_GT(DifferingFrom(shot, menu), 1000) << "no submenu came up";
    e2e::Xdotool("key Down Down Down Down Down Down Down Down Down Return");
    shot = e2e::TakeScreenshotWhen(
        [&](const e2e::Screenshot& s) { return e2e::SeemsShown(s, grey, actualSize); }, 10000);
    e2e::SavePng(shot, "view-7-grey-anaglyph");
    EXPECT_EQ(e2e::DifferingPixels(shot, grey, actualSize), 0);
    EXPECT_EQ(DrawnArea(shot), actualSize);
    EXPECT_TRUE(host.WaitForLastStatus(StatusLine(kGreyAnaglyphName, 100))) << host.LastStatus();

    // Escape leaves the modal loop with 2.
    e2e::Xdotool("key Escape");
    const int status = host.WaitForExit(10000);
    ASSERT_TRUE(WIFEXITED(status)) << "viewhost did not end";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(host.HasLine("result: 2")) << host.LastLine();
}

} // namespace
