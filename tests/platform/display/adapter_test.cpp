#include "adapterfixture.h"

#include "platform/display/adapter.h"

#include <sstream>
#include <vector>

using win::DisplayMode;
using win::RefusedCall;

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

TEST_F(AdapterTest, KeepsMoreModesThanAnyFixedList) {
    std::ostringstream profile;
    for (int i = 0; i < 100; ++i)
        profile << "mode " << 320 + 8 * i << "x" << 200 + 4 * i << "x" << (i % 2 ? 16 : 8) << "\n";
    win::DisplayAdapter& adapter = UseProfile(profile.str());
    ASSERT_EQ(adapter.Modes().size(), 100u);
    EXPECT_EQ(adapter.Modes()[99], (DisplayMode{1112, 596, 16, 60}));
    // Without a desktop line the adapter starts in the first mode.
    EXPECT_EQ(adapter.Desktop(), (DisplayMode{320, 200, 8, 60}));
    EXPECT_EQ(adapter.Current(), adapter.Desktop());
}

TEST_F(AdapterTest, DesktopIsAlwaysOneOfTheModes) {
    win::DisplayAdapter& adapter = UseProfile("mode 640x480x8@60\n"
                                              "mode 1024x768x32@72\n"
                                              "mode 1024x768x32@85\n"
                                              "desktop 1024x768x32\n");
    EXPECT_EQ(adapter.Desktop(), (DisplayMode{1024, 768, 32, 72})); // the first listed refresh
    EXPECT_EQ(adapter.Modes().size(), 3u);

    UseProfile("mode 640x480x8\ndesktop 800x600x16@75");
    ASSERT_EQ(adapter.Modes().size(), 2u);
    EXPECT_EQ(adapter.Modes()[1], (DisplayMode{800, 600, 16, 75}));
    EXPECT_EQ(adapter.Current(), (DisplayMode{800, 600, 16, 75}));

    UseProfile("desktop 800x600x24");
    ASSERT_EQ(adapter.Modes().size(), 1u);
    EXPECT_EQ(adapter.Modes()[0], (DisplayMode{800, 600, 24, 60}));
}

TEST_F(AdapterTest, AnswersTheProfileFacts) {
    win::DisplayAdapter& adapter = UseProfile("mode 640x480x8@60\n"
                                              "mode 640x480x8@75\n"
                                              "video-memory 1048576\n"
                                              "hardware-stereo yes\n"
                                              "refuse set-display-mode 640x480x8@75\n"
                                              "refuse change-display all\n");
    EXPECT_EQ(adapter.VideoMemoryBytes(), 1048576u);
    EXPECT_TRUE(adapter.HardwareStereo());
    EXPECT_TRUE(adapter.Refuses(RefusedCall::SetDisplayMode, {640, 480, 8, 75}));
    EXPECT_FALSE(adapter.Refuses(RefusedCall::SetDisplayMode, {640, 480, 8, 60}));
    EXPECT_TRUE(adapter.Refuses(RefusedCall::ChangeDisplay, {640, 480, 8, 60}));
    EXPECT_FALSE(adapter.Refuses(RefusedCall::TestDisplay, {640, 480, 8, 60}));

    ASSERT_NE(adapter.FindMode(640, 480, 8, 0), nullptr);
    EXPECT_EQ(adapter.FindMode(640, 480, 8, 0)->refresh, 60);
    EXPECT_EQ(adapter.FindMode(640, 480, 8, 75)->refresh, 75);
    EXPECT_EQ(adapter.FindMode(640, 480, 16, 0), nullptr);
    EXPECT_EQ(adapter.FindMode(640, 480, 8, 85), nullptr);

    UseProfile("mode 640x480x8\nrefuse test-display 640x480x8");
    EXPECT_FALSE(adapter.HardwareStereo());
    EXPECT_EQ(adapter.VideoMemoryBytes(), win::AdapterProfile::kDefaultVideoMemory);
    EXPECT_TRUE(adapter.Refuses(RefusedCall::TestDisplay, {640, 480, 8, 60}));
    EXPECT_TRUE(adapter.Refuses(RefusedCall::TestDisplay, {640, 480, 8, 85}));
}

TEST_F(AdapterTest, ModeChangeRecreatesTheScreenAndTellsListeners) {
    win::DisplayAdapter& adapter = UseProfile("mode 640x480x8@60\n"
                                              "mode 640x480x8@75\n"
                                              "mode 800x600x24@60\n");
    win::Framebuffer& screen = win::internal::ScreenFramebuffer();
    EXPECT_EQ(screen.width, 640);
    EXPECT_EQ(screen.height, 480);
    EXPECT_EQ(screen.bitsPerPixel, 8);
    screen.pixels[0] = 7;

    std::vector<DisplayMode> seen;
    const int id = adapter.AddModeListener([&] { seen.push_back(adapter.Current()); });
    EXPECT_TRUE(adapter.SetCurrent({640, 480, 8, 75})); // a new refresh keeps the pixels
    EXPECT_EQ(screen.pixels[0], 7);
    EXPECT_TRUE(adapter.SetCurrent({640, 480, 8, 75})); // no change, nobody told
    EXPECT_TRUE(adapter.SetCurrent({800, 600, 24, 60}));
    EXPECT_EQ(screen.width, 800);
    EXPECT_EQ(screen.height, 600);
    EXPECT_EQ(screen.bitsPerPixel, 24);
    EXPECT_EQ(screen.stride, 2400);
    EXPECT_EQ(screen.pixels.size(), 2400u * 600u);
    EXPECT_EQ(screen.pixels[0], 0);
    EXPECT_FALSE(adapter.SetCurrent({800, 600, 16, 60})); // not offered
    EXPECT_FALSE(adapter.SetCurrent({800, 600, 24, 0}));
    EXPECT_EQ(adapter.Current(), (DisplayMode{800, 600, 24, 60}));
    EXPECT_EQ(seen, (std::vector<DisplayMode>{{640, 480, 8, 75}, {800, 600, 24, 60}}));

    adapter.RemoveModeListener(id);
    EXPECT_TRUE(adapter.SetCurrent({640, 480, 8, 60}));
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(AdapterTest, ListenersMayRemoveThemselvesAndOthers) {
    win::DisplayAdapter& adapter = UseProfile("mode 640x480x8\nmode 800x600x8\n");
    int firstCalls = 0, secondCalls = 0;
    int second = 0;
    int first = 0;
    first = adapter.AddModeListener([&] {
        ++firstCalls;
        adapter.RemoveModeListener(first);
        adapter.RemoveModeListener(second);
    });
    second = adapter.AddModeListener([&] { ++secondCalls; });
    adapter.SetCurrent({800, 600, 8, 60});
    adapter.SetCurrent({640, 480, 8, 60});
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0);
}

TEST_F(AdapterTest, BrokenProfileIsReportedOnceAndTheRealScreenUsed) {
    const std::filesystem::path before = std::filesystem::current_path();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("display_tests_log_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    std::filesystem::remove("TAMBER.LOG");

    testing::internal::CaptureStderr();
    win::DisplayAdapter& adapter = UseProfile("mode 640x480x8\nmode 640x480x7\n");
    const std::string printed = testing::internal::GetCapturedStderr();
    const std::string logged = ReadFile("TAMBER.LOG");
    std::filesystem::current_path(before);
    std::filesystem::remove_all(folder);

    const std::string line = "DisplayAdapter::LoadProfile -- adapter profile '" + ProfilePath() +
                             "': line 2: the mode '640x480x7' must have 8, 16, 24 or 32 bits "
                             "per pixel; using the modes of the real screen\n";
    // Qt may add lines of its own while it opens the real screen.
    EXPECT_EQ(printed.find(line), 0u) << printed;
    EXPECT_EQ(printed.find(line, 1), std::string::npos) << printed;
    EXPECT_EQ(logged, line);
    // The off-screen platform's screen is not a 640x480x8 profile.
    EXPECT_GT(adapter.Modes().size(), 1u);
    EXPECT_EQ(adapter.Modes().size() % 4, 0u);
}
