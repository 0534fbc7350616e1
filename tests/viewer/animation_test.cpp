// Stereo animations in a full-screen view, on AVI files that FFmpeg's tool
// writes from frames of one colour each (frame i has red 8 × i), under a
// clock the test drives: the refusals, the schedule, the menu's commands and
// the view closed at the end.
#include "../display/displayfixture.h"

#include "platform/sys/clock.h"
#include "platform/win/menus.h"
#include "platform/win/messages.h"
#include "platform/win/windowframebuffer.h"
#include "stereo/stereomethods.h"
#include "view/bxview.h"
#include "viewer/animation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kFrames = 30;
constexpr int32_t kTesselClassic = 1;
constexpr int32_t kCrossEye = 4;

class Animation : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        UseProfile("mode 640x480x32\nmode 640x480x8\ndesktop 640x480x32\n");
        // The shutter library and its simulated driver from the build tree.
        WithDirectDraw(true);
        configHome.emplace("XDG_CONFIG_HOME", scratch.Path().c_str());
        // The Tessel pack is installed, so the shutter method switches on.
        systest::WriteFile(scratch.File("binoxa/z_tessel.ini"),
                           "[INSTALL]\nFinished_Install=yes\n");
        TheAnimationState() = AnimationState{};
    }
    void TearDown() override {
        win::internal::SetClockSource({});
        configHome.reset();
        DisplayTest::TearDown();
    }

    // An AVI of 30 frames (unless told) of 64 x 48 (unless told) at 15 frames a
    // second.
    std::string Encode(const std::string& name, const std::string& options, int width = 64,
                       int height = 48, int frames = kFrames) {
        for (int i = 0; i < kFrames; ++i)
            std::remove(scratch.File("frame" + std::to_string(i) + ".ppm").c_str());
        for (int i = 0; i < frames; ++i) {
            std::ofstream frame(scratch.File("frame" + std::to_string(i) + ".ppm"),
                                std::ios::binary);
            frame << "P6\n" << width << " " << height << "\n255\n";
            for (int p = 0; p < width * height; ++p)
                frame << static_cast<char>(8 * i) << '\0' << static_cast<char>(100);
        }
        const std::string path = scratch.File(name);
        const std::string command = "ffmpeg -v error -y -framerate 15 -i '" + scratch.Path() +
                                    "/frame%d.ppm' " + options + " '" + path + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }

    std::unique_ptr<BxView> MakeView(int bpp) {
        auto view = std::make_unique<BxView>();
        view->Create(DisplayGDI, DDSurfSingle, ModeType{ModeFixed, 640, 480, bpp, 0}, 0);
        return view;
    }

    // The frame shown at the centre of the view, by its red; none while the
    // centre is black.
    static std::optional<int> ShownFrame(const BxView& view) {
        const win::Framebuffer* shown = win::internal::WindowFramebuffer(view.GetSafeHwnd());
        if (!shown)
            return std::nullopt;
        const win::COLORREF colour = PixelAt(*shown, 320, 240);
        if (colour == 0)
            return std::nullopt;
        return ((colour & 0xFF) + 4) / 8;
    }

    std::string Thrown(const std::function<void()>& action) {
        try {
            action();
        } catch (const pxError& error) {
            return error.GetMessage();
        }
        return "";
    }

    std::optional<systest::ScopedEnvironment> configHome;
};

// The test's clock: each reading moves it on by two milliseconds and runs
// what is due by then.
struct DrivenClock {
    win::DWORD now = 1000;
    std::vector<std::pair<win::DWORD, std::function<void()>>> due;

    void Install() {
        win::internal::SetClockSource([this] {
            now += 2;
            for (auto& [at, action] : due)
                if (action && now >= at) {
                    auto run = std::move(action);
                    action = nullptr;
                    run();
                }
            return now;
        });
    }
};

TEST_F(Animation, RefusesWhatItCannotPlay) {
    const std::string colour = Encode("colour.avi", "-c:v rawvideo -pix_fmt bgr24");
    const StereoViewMethod* tessel = GetStereoMethodByID(kTesselClassic);

    auto view = MakeView(32);
    PrepareAnimationMenu(*view, false);
    EXPECT_EQ(Thrown([&] {
                  PlayAnimation(colour.c_str(), *view, GetStereoMethodByID(kCrossEye), false);
              }),
              "Sorry.  At the moment, animation support is only available for Tessel users");
    view->Destroy(1);
    // One view at a time, as in the programs: the shutter driver is one.
    view.reset();
    view = MakeView(8);
    EXPECT_EQ(Thrown([&] { PlayAnimation(colour.c_str(), *view, tessel, false); }),
              "Binoxa cannot play this animation file on an 8 bit (256 color) display.  The "
              "attempted resolution was 640x480x8.  Please try using a resolution with a 16, 24, "
              "or 32 bit color depth.  You can change the resolution that Binoxa uses by "
              "selecting the \"Customize Display\" option.");
    view->Destroy(1);
    view.reset();

    // 16-bit frames are kept as they are, which a 24-bit blit cannot take.
    view = MakeView(32);
    const std::string sixteen = Encode("sixteen.avi", "-c:v rawvideo -pix_fmt rgb555le");
    EXPECT_EQ(Thrown([&] { PlayAnimation(sixteen.c_str(), *view, tessel, false); }),
              "Error playing animation.  See tamber.log for details");
    const std::string logged = log.Text();
    EXPECT_NE(logged.find("Error with iptr!"), std::string::npos);
    EXPECT_NE(logged.find(" : 64x48x2"), std::string::npos) << logged; // the 16-bit frame
    EXPECT_NE(logged.find(" : 64x48x3"), std::string::npos) << logged; // the blit's picture
    view->Destroy(1);

    const std::string text = scratch.File("text.avi");
    systest::WriteFile(text, "not a video");
    view.reset();
    view = MakeView(32);
    EXPECT_EQ(Thrown([&] { PlayAnimation(text.c_str(), *view, tessel, false); }),
              "Unable to open " + text);
    EXPECT_NE(log.Text().find("badformat"), std::string::npos);
    view->Destroy(1);
}

TEST_F(Animation, PlaysEveryFrameOnScheduleAndClosesTheViewAtTheEnd) {
    for (const char* options : {"-c:v rawvideo -pix_fmt bgr24", "-c:v rawvideo -pix_fmt pal8"}) {
        SCOPED_TRACE(options);
        const std::string path = Encode("scheduled.avi", options);
        auto view = MakeView(32);
        PrepareAnimationMenu(*view, false);
        // "Play from beginning", "Stop", "Loop", separator, "Exit".
        const win::HMENU menu = view->GetRightClickMenu();
        ASSERT_EQ(win::GetMenuItemCount(menu), 5);
        EXPECT_EQ(win::GetMenuItemID(menu, 0), ID_ANIM_PLAY);
        EXPECT_EQ(win::GetMenuItemID(menu, 2), ID_ANIM_LOOP);

        DrivenClock clock;
        std::vector<int> seen;
        // Every 10 ms, the frame on the screen.
        for (win::DWORD at = 1010; at < 3200; at += 10)
            clock.due.emplace_back(at, [&] {
                if (const std::optional<int> frame = ShownFrame(*view);
                    frame && (seen.empty() || seen.back() != *frame))
                    seen.push_back(*frame);
            });
        clock.Install();
        const win::DWORD start = clock.now;
        PlayAnimation(path.c_str(), *view, GetStereoMethodByID(kTesselClassic), false);
        // 30 frames at 15 a second last 2 s; the view then closes itself.
        EXPECT_NEAR(static_cast<double>(clock.now - start), 2000.0, 40.0);
        EXPECT_FALSE(view->IsActive());
        // Uncompressed true colour keeps each frame's red; FFmpeg's palette
        // frames hold its fixed palette's nearest colours, dithered.
        if (std::string(options).find("bgr24") != std::string::npos) {
            std::vector<int> inOrder;
            for (int i = 0; i < kFrames; ++i)
                inOrder.push_back(i);
            EXPECT_EQ(seen, inOrder);
        } else {
            EXPECT_GE(seen.size(), 5u);
        }
    }
}

TEST_F(Animation, TheMenuStopsRestartsAndLoops) {
    const std::string path = Encode("menu.avi", "-c:v rawvideo -pix_fmt bgr24");
    auto view = MakeView(32);
    PrepareAnimationMenu(*view, true);
    const win::HWND window = view->GetSafeHwnd();
    const auto command = [window](uint32_t id) {
        return [window, id] { win::PostMessage(window, win::WM_COMMAND, id, 0); };
    };
    DrivenClock clock;
    std::optional<int> atStop, afterStop, afterRestart, afterLoopOff;
    // Looping: still playing after one pass (2 s) and more.
    clock.due.emplace_back(3500, command(ID_ANIM_STOP));
    clock.due.emplace_back(3600, [&] { atStop = ShownFrame(*view); });
    clock.due.emplace_back(5600, [&] { afterStop = ShownFrame(*view); });
    clock.due.emplace_back(5700, command(ID_ANIM_PLAY));
    clock.due.emplace_back(5750, [&] { afterRestart = ShownFrame(*view); });
    clock.due.emplace_back(5800, command(ID_ANIM_LOOP));
    std::optional<bool> loopChecked;
    clock.due.emplace_back(5850, [&] {
        loopChecked =
            (win::GetMenuState(view->GetRightClickMenu(), ID_ANIM_LOOP, win::MF_BYCOMMAND) &
             win::MF_CHECKED) != 0;
    });
    clock.Install();
    PlayAnimation(path.c_str(), *view, GetStereoMethodByID(kTesselClassic), true);

    // Stopped at 2.5 s into the animation (frame 7 of the second pass), held
    // there for two seconds; "Play from beginning" starts again from frame 0
    // and, looping now off, the pass ends 2 s later and closes the view.
    ASSERT_TRUE(atStop && afterStop && afterRestart);
    EXPECT_NEAR(*atStop, 7, 1);
    EXPECT_EQ(*afterStop, *atStop);
    EXPECT_LE(*afterRestart, 1);
    EXPECT_FALSE(TheAnimationState().looping);
    EXPECT_NEAR(static_cast<double>(clock.now), 5700.0 + 2000.0, 100.0);
    EXPECT_FALSE(view->IsActive());
    ASSERT_TRUE(loopChecked);
    EXPECT_FALSE(*loopChecked);
}

TEST_F(Animation, StopHoldsTheFrameUntilEscapeAndTheNextAnimationWaitsForPlay) {
    const std::string path = Encode("held.avi", "-c:v rawvideo -pix_fmt bgr24");
    const StereoViewMethod* tessel = GetStereoMethodByID(kTesselClassic);
    const auto post = [](BxView& view, win::UINT message, win::WPARAM wParam) {
        return
            [&view, message, wParam] { win::PostMessage(view.GetSafeHwnd(), message, wParam, 0); };
    };
    auto view = MakeView(32);
    PrepareAnimationMenu(*view, false);
    DrivenClock clock;
    std::optional<int> stopped, later;
    clock.due.emplace_back(1500, post(*view, win::WM_COMMAND, ID_ANIM_STOP));
    clock.due.emplace_back(1600, [&] { stopped = ShownFrame(*view); });
    clock.due.emplace_back(2900, [&] { later = ShownFrame(*view); });
    clock.due.emplace_back(3000, post(*view, win::WM_CHAR, 27));
    clock.Install();
    PlayAnimation(path.c_str(), *view, tessel, false);
    EXPECT_NEAR(static_cast<double>(clock.now), 3000.0, 20.0);
    EXPECT_FALSE(view->IsActive());
    ASSERT_TRUE(stopped && later);
    EXPECT_EQ(*later, *stopped);
    EXPECT_FALSE(TheAnimationState().playing);
    view.reset();

    // Still stopped: the next animation shows its first frame and waits.
    view = MakeView(32);
    PrepareAnimationMenu(*view, false);
    std::optional<int> waiting;
    clock.due.clear();
    clock.due.emplace_back(4000, [&] { waiting = ShownFrame(*view); });
    clock.due.emplace_back(4500, post(*view, win::WM_COMMAND, ID_ANIM_PLAY));
    PlayAnimation(path.c_str(), *view, tessel, false);
    EXPECT_EQ(waiting, 0);
    EXPECT_NEAR(static_cast<double>(clock.now), 4500.0 + 2000.0, 100.0);
    EXPECT_FALSE(view->IsActive());
}

TEST_F(Animation, PaletteFramesOnAnEightBitDisplayOneFrameAndLargerFramesPlay) {
    const StereoViewMethod* tessel = GetStereoMethodByID(kTesselClassic);
    const auto playUntil = [&](const std::string& path, int bpp, win::DWORD escapeAt) {
        auto view = MakeView(bpp);
        PrepareAnimationMenu(*view, false);
        DrivenClock clock;
        std::optional<int> shown;
        clock.due.emplace_back(escapeAt - 100, [&] { shown = ShownFrame(*view); });
        clock.due.emplace_back(escapeAt,
                               [&] { win::PostMessage(view->GetSafeHwnd(), win::WM_CHAR, 27, 0); });
        clock.Install();
        PlayAnimation(path.c_str(), *view, tessel, false);
        EXPECT_FALSE(view->IsActive());
        return std::pair{shown, clock.now};
    };

    // The palette goes to the display, and the indices are blitted.
    const std::string palette = Encode("palette.avi", "-c:v rawvideo -pix_fmt pal8");
    const auto [paletteShown, paletteEnd] = playUntil(palette, 8, 2000);
    EXPECT_TRUE(paletteShown.has_value());
    EXPECT_NEAR(static_cast<double>(paletteEnd), 2000.0, 20.0);

    // One frame stays until the view is closed.
    const std::string still = Encode("still.avi", "-c:v rawvideo -pix_fmt bgr24", 64, 48, 1);
    const auto [stillShown, stillEnd] = playUntil(still, 32, 5000);
    EXPECT_EQ(stillShown, 0);
    EXPECT_NEAR(static_cast<double>(stillEnd), 5000.0, 20.0);

    // A frame larger than the display shows its centre, inside the display.
    const std::string large = Encode("large.avi", "-c:v rawvideo -pix_fmt bgr24", 800, 600);
    const auto [largeShown, largeEnd] = playUntil(large, 32, 1500);
    EXPECT_TRUE(largeShown.has_value());
    EXPECT_EQ(log.Text().find("exceeds display"), std::string::npos);
}

} // namespace
