// BxView's glasses devices, method changes and resolution changes, through
// the simulated drivers and the virtual adapter: what each device kind is
// told, what the user is told when a switch fails, what comes back on
// afterwards, and which eye lands on which surface.
#include "viewfixture.h"

#include "devices/devicefixture.h"
#include "support/thrownmessage.h"

#include "platform/win/menus.h"
#include "platform/win/messages.h"
#include "stereo/cpair.h"
#include "stereo/stereomethods.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kOspi = 21;

constexpr const char* kTesselMissing =
    "The Tessel Classic drivers were not detected on your system.  If you are\ntrying to use "
    "Binoxa with the Tessel Classic, please install\nthe Tessel Classic Pack first.\n\nIf you "
    "don't have the Tessel Classic Pack, please change your Stereo Viewing method.";
constexpr const char* kWinSpexMissing =
    "The WinSPEX/3D drivers were not detected on your system.  If you are trying to use Binoxa "
    "with WinSPEX/3D, please install WinSPEX/3D first.\n\nIf you don't have WinSPEX/3D, please "
    "change your Stereo Viewing method.";
constexpr const char* kTesselUnavailable =
    "The requested mode is unavailable.\n\nYour current video configuration does not support the "
    "attempted 3D mode.\nThis application may be attempting a page-flipped mode.\nPage flipped "
    "modes are unavailable in Window.\nExit Windows and try running a DOS version of this "
    "application (if available).\nSee the Troubleshooting section of the online manual if you "
    "have problems.\n";
constexpr const char* kTesselUnconfigured =
    "The requested mode is unconfigured.\n\nTo possibly fix this, run \"Go To DOS Apps\" from the "
    "Tessel program group.\nPress 'a' to begin the advanced mode configuration.\nFollow the "
    "directions from there.\n";
constexpr const char* kNoHardwareFlipping =
    "ERROR: Creating DirectDraw page flipping surface.\n\nYour display adapter/driver does not "
    "support hardware page flipping";

const StereoViewMethod* Method(int32_t id) {
    return GetStereoMethodByID(id);
}

std::string Boxed(const std::string& text) {
    return std::string(BxView::kErrorTitle) + ": " + text;
}

// The red byte at (x, y) of a 32-bit surface, or -1 when it cannot be read.
int SurfaceRed(win::IDirectDrawSurface* surface, int x, int y) {
    win::DDSURFACEDESC locked{};
    if (!surface || win::FAILED(surface->Lock(nullptr, &locked, 0, nullptr)))
        return -1;
    const auto* memory = static_cast<const uint8_t*>(locked.lpSurface);
    const int red = memory[y * locked.lPitch + x * 4 + 2];
    surface->Unlock(locked.lpSurface);
    return red;
}

// The view's list as "WxHxB " entries.
std::string ModeSizes(const BxView& view) {
    std::string text;
    for (const ModeStruct& mode : view.GetModeList())
        text += std::to_string(mode.width) + "x" + std::to_string(mode.height) + "x" +
                std::to_string(mode.bpp) + " ";
    return text;
}

bool Checked(win::HMENU menu, win::UINT command) {
    return (win::GetMenuState(menu, command, win::MF_BYCOMMAND) & win::MF_CHECKED) != 0;
}

// Whether the text holds the pieces in this order.
bool InOrder(const std::string& text, const std::vector<std::string>& lines) {
    std::size_t at = 0;
    for (const std::string& line : lines) {
        at = text.find(line, at);
        if (at == std::string::npos)
            return false;
        at += line.size();
    }
    return true;
}

class StereoSwitching : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        configHome.emplace("XDG_CONFIG_HOME", scratch.Path().c_str());
        osPlatform.emplace("BINOXA_OS_PLATFORM", nullptr);
        WithDirectDraw(true);
        SetOspiDirectory(std::string(TEST_SYSTEM_DIR) + "/");
        winspex = std::make_unique<SimulatedDriver>("winspex3d.dll");
        ospi32 = std::make_unique<SimulatedDriver>("ospi32.dll");
        tslft16 = std::make_unique<SimulatedDriver>("TSLFT16.dll");
        ASSERT_TRUE(winspex->Loaded() && ospi32->Loaded() && tslft16->Loaded());
    }

    void TearDown() override {
        winspex.reset();
        ospi32.reset();
        tslft16.reset();
        configurations.Clear();
        osPlatform.reset();
        configHome.reset();
        ViewTest::TearDown();
    }

    void InstallTesselPack() const {
        systest::WriteFile(scratch.File("binoxa/z_tessel.ini"),
                           "[INSTALL]\nFinished_Install=yes\n");
    }

    // Points the driver's configuration variable at the text; read at the
    // driver's next reset.
    void Configure(const char* variable, const std::string& text) {
        configurations.Configure(scratch, variable, text);
    }

    // The build tree's system directory without the WinSPEX/3D driver.
    void WithoutWinSpex() {
        // A driver loaded here would be found by name wherever the view looks.
        winspex.reset();
        const std::string directory = scratch.File("nowinspex");
        std::filesystem::create_directories(directory);
        for (const auto& entry : std::filesystem::directory_iterator(TEST_SYSTEM_DIR))
            if (entry.path().filename().string().find("winspex") == std::string::npos)
                std::filesystem::create_symlink(entry.path(),
                                                directory + "/" + entry.path().filename().string());
        WithSystemDirectory(directory);
    }

    // A view through DirectDraw in a fixed mode with the surfaces asked for.
    std::unique_ptr<BxView> DirectDrawView(int width, int height, int bpp, int32_t surfType) {
        auto view = std::make_unique<BxView>();
        view->SetStatusBar(false);
        view->Create(DisplayDirectDraw, surfType, {ModeFixed, width, height, bpp, 0}, 0x000F0007);
        return view;
    }

    // The driver loads once per process: a view made earlier in this process
    // without it leaves it unloaded for good.
    bool WinSpexReachedTheView() const {
        return winspex->Calls().find("_NuVEnableStereo(") != std::string::npos;
    }

    // The drivers' calls from here on are what Since answers (a reset would
    // also put the devices back in their first state, behind the view's back).
    void Mark() {
        marks = {winspex->Calls().size(), ospi32->Calls().size(), tslft16->Calls().size()};
    }
    std::string Since(const std::unique_ptr<SimulatedDriver>& driver) const {
        const std::size_t mark = &driver == &winspex  ? marks[0]
                                 : &driver == &ospi32 ? marks[1]
                                                      : marks[2];
        const std::string calls = driver->Calls();
        return mark <= calls.size() ? calls.substr(mark) : calls;
    }

    std::string Log() const { return log.Text(); }
    bool Logged(const std::string& line) const {
        return log.Text().find(line) != std::string::npos;
    }

    std::unique_ptr<SimulatedDriver> winspex, ospi32, tslft16;

private:
    std::array<std::size_t, 3> marks{};
    std::optional<systest::ScopedEnvironment> configHome, osPlatform;
    DriverConfigurations configurations;
};

} // namespace

TEST_F(StereoSwitching, EachDeviceKindIsSwitchedOnAndOffAndItsFailuresAreReported) {
    // Methods without a device, and no method at all.
    UseProfile("mode 640x480x16\nmode 800x600x16\nmode 1024x768x16\nmode 800x600x8\n"
               "mode 1280x1024x24\ndesktop 640x480x16\n");
    {
        const auto view = MakeView(640, 480, 16);
        Mark();
        EXPECT_EQ(ThrownMessage([&] { view->StereoOn(Method(kCrossEye)); }), "");
        EXPECT_EQ(ThrownMessage([&] { view->StereoOff(Method(kCrossEye)); }), "");
        EXPECT_EQ(Since(ospi32) + Since(tslft16), "");
        EXPECT_EQ(ThrownMessage([&] { view->StereoOn(nullptr); }),
                  "Invalid stereo viewing method.  Cannot turn on stereo");
        EXPECT_TRUE(Logged("BxView::StereoOn -- Invalid stereo view method\n"));
        EXPECT_EQ(ThrownMessage([&] { view->StereoOff(nullptr); }),
                  "Invalid stereo viewing method [turning off 3d mode]");
        EXPECT_TRUE(Logged("BxView::StereoOff -- invalid stereo viewing method\n"));

        // The Tessel Classic without its pack: on is refused, off does nothing.
        EXPECT_EQ(ThrownMessage([&] { view->StereoOn(Method(kTesselClassic)); }), kTesselMissing);
        EXPECT_EQ(ThrownMessage([&] { view->StereoOff(Method(kTesselClassic)); }), "");
        EXPECT_EQ(Since(tslft16), "");

        // OSPI through GDI: the window and the display's mode.
        EXPECT_EQ(ThrownMessage([&] { view->StereoOn(Method(kOspi)); }), "");
        EXPECT_EQ(ThrownMessage([&] { view->StereoOff(Method(kOspi)); }), "");
        const std::vector<std::string> calls = Lines(Since(ospi32));
        ASSERT_EQ(calls.size(), 3u) << Since(ospi32);
        EXPECT_EQ(calls[0].rfind("_ospiMetaEnumStereoModes(" + std::to_string(0x05910001) +
                                     ", 640x480x16, 0, ",
                                 0),
                  0u)
            << calls[0];
        EXPECT_EQ(calls[1].rfind("_ospiMetaStereoOn(" + std::to_string(0x05910001) +
                                     ", 640x480x16, 0, 6, ",
                                 0),
                  0u)
            << calls[1];
        EXPECT_EQ(calls[2], "_ospiMetaStereoOff(" + std::to_string(0x05910001) + ")");
        // The driver refusing to switch on.
        ospi32->FailNext("_ospiMetaStereoOn", 6);
        EXPECT_EQ(ThrownMessage([&] { view->StereoOn(Method(kOspi)); }),
                  "Could not turn on OSPI Stereo for mode: 640x480x16\n\n[6] Stereo is already on");
        view->Destroy(1);
    }
    // OSPI modes the view cannot use: full height, exclusive, or not listed.
    for (const auto& [width, height, bpp, text] :
         {std::tuple{1024, 768, 16,
                     std::string("Unable to use this OSPI Mode (1024x768x16) with Binoxa.\nIn this "
                                 "version of Binoxa, only half-height interleaved modes are "
                                 "supported")},
          std::tuple{800, 600, 8,
                     std::string("Unable to use this OSPI Mode (800x600x8) with Binoxa.\nIn this "
                                 "version of Binoxa, only half-height interleaved modes are "
                                 "supported")},
          std::tuple{1280, 1024, 24,
                     std::string("Could not enumerate OSPI mode: 1280x1024x24\n\n[5] 'No such "
                                 "stereo mode'")}}) {
        const auto view = MakeView(width, height, bpp);
        Mark();
        EXPECT_EQ(ThrownMessage([&] { view->StereoOn(Method(kOspi)); }), text);
        EXPECT_EQ(Since(ospi32).find("_ospiMetaStereoOn"), std::string::npos) << text;
        view->Destroy(1);
    }

    // The Tessel Classic with its pack: the view's device is switched, and a
    // status after switching on is the error's text.
    InstallTesselPack();
    {
        const auto view = MakeView(640, 480, 16);
        Mark();
        EXPECT_EQ(ThrownMessage([&] { view->StereoOn(Method(kTesselClassic)); }), "");
        EXPECT_EQ(ThrownMessage([&] { view->StereoOff(Method(kTesselClassic)); }), "");
        EXPECT_TRUE(InOrder(Since(tslft16), {"tsl3dOn(7E55 0001 00F5)", "tslGetStatus(7E55 0001)",
                                             "tsl3dOff(7E55 0001)"}))
            << Since(tslft16);
        tslft16->FailNext("tsl3dOn", 6);
        EXPECT_EQ(ThrownMessage([&] { view->StereoOn(Method(kTesselClassic)); }),
                  kTesselUnavailable);
        view->Destroy(1);
    }

    // WinSPEX/3D on a flip chain: both surfaces queued as a pair, and each
    // failing call named in the log with its status.
    UseProfile("mode 640x480x32\ndesktop 640x480x32\n");
    const auto view = DirectDrawView(640, 480, 32, DDSurfFlipChain);
    if (!WinSpexReachedTheView())
        GTEST_SKIP() << "the WinSPEX/3D driver failed to load earlier in this process";
    const std::string calls = winspex->Calls();
    const std::string primary = PointerText(view->GetDisplay()->GetPrimarySurface());
    const std::string second = PointerText(view->GetDisplay()->GetSecondSurface());
    EXPECT_EQ(ThrownMessage([&] { view->StereoOn(Method(kWinSpex)); }), "");
    EXPECT_EQ(ThrownMessage([&] { view->StereoOff(Method(kWinSpex)); }), "");
    const std::string after = winspex->Calls().substr(calls.size());
    // The driver numbers its stereo instances.
    const std::size_t open = after.find('(') + 1;
    const std::string handle = after.substr(open, after.find(',') - open);
    EXPECT_EQ(std::stoul(handle) & 0xFFFF0000u, 0x4E560000u) << after;
    EXPECT_TRUE(
        InOrder(after, {"_NuVEnableStereoSurfaceFlipping(" + handle + ", " + primary + ", 0)\n",
                        "_NuVQueueStereoPair(" + handle + ", " + primary + ", " + second + ", 1)\n",
                        "_NuVGetStereoStatus(" + handle + ", ",
                        "_NuVDisableStereoSurfaceFlipping(" + handle + ", 1)\n"}))
        << after;
    for (const auto& [function, status, name] :
         {std::tuple{"_NuVEnableStereoSurfaceFlipping", -9, "stereo busy"},
          std::tuple{"_NuVQueueStereoPair", -13, "queue full"}}) {
        winspex->FailNext(function, status);
        const std::string text = "Error enabling NuVision 3D! (" + std::to_string(status) + ")";
        EXPECT_EQ(ThrownMessage([&] { view->StereoOn(Method(kWinSpex)); }), text);
        EXPECT_TRUE(Logged("BxView::StereoOn [" + std::string(function + 1) + "] -- " + text +
                           "\n[NuVision Error] " + name + "\n"))
            << Log();
        ThrownMessage([&] { view->StereoOff(Method(kWinSpex)); });
    }
    winspex->FailNext("_NuVGetStereoStatus", -29);
    EXPECT_EQ(ThrownMessage([&] { view->StereoOn(Method(kWinSpex)); }),
              "Error enabling NuVision 3D! (-29)");
    EXPECT_TRUE(
        Logged("BxView::StereoOn [NuVGetStereoStatus] -- Error enabling NuVision 3D! (-29)"));
    EXPECT_FALSE(Logged("in middle of test")) << "no status name for this one";
    // Switched off already: the driver says its surfaces are not enabled.
    view->StereoOff(Method(kWinSpex));
    EXPECT_EQ(ThrownMessage([&] { view->StereoOff(Method(kWinSpex)); }),
              "Error disabling NuVision 3D! (-11)");
    EXPECT_TRUE(Logged("BxView::StereoOff -- Error disabling NuVision 3D! (-11)\n[NuVision Error] "
                       "surfaces not enabled\n"));
    view->Destroy(1);
}

TEST_F(StereoSwitching, AFailedSwitchAlertsAndTurnsThePreviousMethodBackOn) {
    UseProfile("mode 640x480x16\ndesktop 640x480x16\n");
    const auto view = MakeView(640, 480, 16);
    // The new one works: nothing to tell.
    EXPECT_EQ(view->StereoOnOrRestore(Method(kOspi), Method(kCrossEye), true), 0);
    view->StereoOff(Method(kOspi));
    EXPECT_TRUE(boxes.shown.empty());

    // The Tessel Classic is not there: its text is shown, OSPI goes on again.
    Mark();
    EXPECT_EQ(view->StereoOnOrRestore(Method(kTesselClassic), Method(kOspi), true), 1);
    EXPECT_EQ(boxes.Captioned(), std::vector<std::string>{Boxed(kTesselMissing)});
    EXPECT_NE(Since(ospi32).find("_ospiMetaStereoOn("), std::string::npos) << Since(ospi32);
    EXPECT_EQ(TakeQueuedMessages(), std::vector<win::UINT>{}) << "alerts are not posted";
    view->StereoOff(Method(kOspi));

    // Without the alert flag nobody is told.
    EXPECT_EQ(view->StereoOnOrRestore(Method(kTesselClassic), Method(kCrossEye), false), 1);
    EXPECT_EQ(boxes.shown.size(), 1u);

    // Both fail: both texts, in order.
    boxes.shown.clear();
    ospi32->FailNext("_ospiMetaStereoOn", 6);
    EXPECT_EQ(view->StereoOnOrRestore(Method(kTesselClassic), Method(kOspi), true), 2);
    EXPECT_EQ(boxes.Captioned(),
              (std::vector<std::string>{
                  Boxed(kTesselMissing),
                  Boxed("Could not turn on OSPI Stereo for mode: 640x480x16\n\n[6] Stereo is "
                        "already on")}));
    view->Destroy(1);
}

TEST_F(StereoSwitching, ChangingTheMethodOnGdiRendersTheNewOneOrKeepsTheOld) {
    UseProfile("mode 1024x768x24\nmode 800x600x24\ndesktop 1024x768x24\n");
    const auto view = MakeView(1024, 768, 24, /*fullScreen=*/false);
    view->SetStatusBar(false);
    const pxImage picture = SideBySidePicture({200, 150});
    ASSERT_EQ(view->ShowImage(picture, nullptr, LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, kCrossEye),
              1);
    const win::HMENU menu = view->GetRightClickMenu();
    EXPECT_TRUE(Checked(menu, ID_STEREO_METHOD_FIRST + kCrossEye));
    // The red byte of the picture's left half: cross-eyed shows the right eye there.
    const auto leftHalfRed = [&] {
        const pxImage& frame = view->GetDisplay()->whole;
        const px2Rect drawn = DrawnArea(frame);
        return frame.Row(drawn.y + drawn.height / 2)[(drawn.x + drawn.width / 4) * 3 + 2];
    };
    EXPECT_EQ(leftHalfRed(), 40);

    // An unknown id.
    EXPECT_EQ(view->ChangeViewMethod(17), 0);
    EXPECT_TRUE(Logged("BxView::ChangeViewMethod -- Invalid stereo view method 17\n"));
    EXPECT_EQ(boxes.Captioned(),
              std::vector<std::string>{Boxed("Invalid stereo view method which changing viewing "
                                             "method.  Please exit program and try again.")});
    EXPECT_EQ(view->GetMethodId(), kCrossEye);

    // A method for DirectDraw only: refused, the cross-eyed picture stays.
    boxes.shown.clear();
    EXPECT_EQ(view->ChangeViewMethod(kPageFlip), 0);
    EXPECT_EQ(view->GetDisplay()->GetStatusBarMessage().value_or(""),
              "Changing viewing method from Crosseye to Hardware Page Flipping");
    EXPECT_EQ(boxes.Captioned(),
              std::vector<std::string>{
                  Boxed("You need a DirectDraw display to use the Hardware Page Flipping viewing "
                        "method.\nYou can change your Display from the View menu in\nthe Binoxa "
                        "Viewer main window.")});
    EXPECT_EQ(view->GetMethodId(), kCrossEye);
    EXPECT_EQ(view->GetDisplay()->GetSurfType(), DDSurfSingle);
    EXPECT_EQ(leftHalfRed(), 40);

    // The Tessel Classic without its pack: its text, and cross-eyed stays.
    boxes.shown.clear();
    EXPECT_EQ(view->ChangeViewMethod(kTesselClassic), 0);
    EXPECT_EQ(boxes.Captioned(), std::vector<std::string>{Boxed(kTesselMissing)});
    EXPECT_TRUE(Logged("BxView::ChangeViewMethod -- StereoOnOrRestore error: 1\n"));
    EXPECT_EQ(view->GetMethodId(), kCrossEye);
    EXPECT_EQ(view->GetMethod(), Method(kCrossEye));

    // Parallel: shown at once, the menu follows, the left eye is on the left.
    boxes.shown.clear();
    EXPECT_EQ(view->ChangeViewMethod(kParallel), 1);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(view->GetMethodId(), kParallel);
    EXPECT_EQ(view->GetConversionSettings().swapEyes, 0);
    EXPECT_EQ(leftHalfRed(), 200);
    EXPECT_TRUE(Checked(menu, ID_STEREO_METHOD_FIRST + kParallel));
    EXPECT_FALSE(Checked(menu, ID_STEREO_METHOD_FIRST + kCrossEye));
    // And a colour anaglyph after it: one entry checked still.
    EXPECT_EQ(view->ChangeViewMethod(kColourAnaglyph), 1);
    EXPECT_EQ(view->GetConversionSettings().outputType, OUTPUT_COLOR);
    EXPECT_TRUE(Checked(menu, ID_STEREO_METHOD_FIRST + kColourAnaglyph));
    EXPECT_FALSE(Checked(menu, ID_STEREO_METHOD_FIRST + kParallel));
    view->Destroy(1);
}

TEST_F(StereoSwitching, PageFlippedMethodsPutEachEyeOnItsOwnSurface) {
    UseProfile("mode 640x480x32\nmode 800x600x32\ndesktop 640x480x32\nhardware-stereo yes\n");
    const pxImage picture = SideBySidePicture({200, 150});
    const auto show = [&](BxView& view) {
        view.SetFullScreen(false);
        return view.ShowImage(picture, nullptr, LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, kCrossEye);
    };
    // The red byte in the middle of each surface: the right eye has red 40,
    // the left eye red 200.
    const auto eyes = [](const BxView& view) {
        const WinDisp& display = *view.GetDisplay();
        return std::pair{SurfaceRed(display.GetPrimarySurface(), 320, 240),
                         SurfaceRed(display.GetSecondSurface(), 320, 240)};
    };
    {
        const auto view = DirectDrawView(640, 480, 32, DDSurfSingle);
        ASSERT_EQ(show(*view), 1);
        EXPECT_EQ(view->ChangeViewMethod(kPageFlip), 1);
        EXPECT_EQ(view->GetDisplay()->GetSurfType(), DDSurfStereoPair);
        EXPECT_EQ(eyes(*view), std::pair(40, 200));
        view->Destroy(1);
    }

    // WinSPEX/3D: the eyes follow what the driver says each surface shows.
    for (const auto& [answers, expected] :
         {std::pair{"", std::pair{40, 200}}, std::pair{"answers 3 2\n", std::pair{40, 200}},
          std::pair{"answers 4 5\n", std::pair{200, 40}},
          std::pair{"answers 5 5\n", std::pair{200, 40}},
          std::pair{"answers 2 4\n", std::pair{200, 40}}}) {
        SCOPED_TRACE(answers);
        Configure("BINOXA_WINSPEX_CONFIG", answers);
        winspex->Reset();
        const auto view = DirectDrawView(640, 480, 32, DDSurfSingle);
        if (!WinSpexReachedTheView())
            GTEST_SKIP() << "the WinSPEX/3D driver failed to load earlier in this process";
        ASSERT_EQ(show(*view), 1);
        EXPECT_EQ(view->ChangeViewMethod(kWinSpex), 1);
        EXPECT_TRUE(boxes.shown.empty()) << boxes.Captioned()[0];
        EXPECT_EQ(view->GetDisplay()->GetSurfType(), DDSurfFlipChain);
        EXPECT_EQ(eyes(*view), expected);
        EXPECT_TRUE(
            InOrder(winspex->Calls(), {"_NuVQueueStereoPair(", "_NuVPauseStereoFlipping(",
                                       "_NuVIsFlippingSurface(", "_NuVResumeStereoFlipping("}))
            << winspex->Calls();
        view->Destroy(1);
    }
    // A driver not flipping: no pause, the eyes as drawn.
    Configure("BINOXA_WINSPEX_CONFIG", "flipping 0\nanswers 4 5\n");
    winspex->Reset();
    {
        const auto view = DirectDrawView(640, 480, 32, DDSurfSingle);
        ASSERT_EQ(show(*view), 1);
        EXPECT_EQ(view->ChangeViewMethod(kWinSpex), 1);
        EXPECT_EQ(eyes(*view), std::pair(40, 200));
        EXPECT_TRUE(Logged("BxView::Update -- jumping to update\n"));
        EXPECT_EQ(winspex->Calls().find("_NuVPauseStereoFlipping("), std::string::npos);
        view->Destroy(1);
    }
}

TEST_F(StereoSwitching, AFailedSurfaceChangeGoesBackToTheOldMethodOrEndsTheView) {
    // No hardware page flipping: the stereo pair cannot be built; the text is
    // shown and cross-eyed is drawn again on one surface.
    UseProfile("mode 640x480x32\ndesktop 640x480x32\n");
    const pxImage picture = SideBySidePicture({200, 150});
    {
        const auto view = DirectDrawView(640, 480, 32, DDSurfSingle);
        view->SetFullScreen(false);
        ASSERT_EQ(
            view->ShowImage(picture, nullptr, LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, kCrossEye),
            1);
        EXPECT_EQ(view->ChangeViewMethod(kPageFlip), 0);
        EXPECT_EQ(boxes.Captioned(), std::vector<std::string>{Boxed(kNoHardwareFlipping)});
        EXPECT_TRUE(view->IsActive());
        EXPECT_EQ(view->GetMethodId(), kCrossEye);
        EXPECT_EQ(view->GetDisplay()->GetSurfType(), DDSurfSingle);
        EXPECT_EQ(view->GetDisplay()->GetSecondSurface(), nullptr);
        // Redrawn: the right eye on the left of the picture.
        const px2Rect drawn = DrawnArea(view->GetDisplay()->whole);
        ASSERT_FALSE(drawn.IsEmpty());
        EXPECT_EQ(SurfaceRed(view->GetDisplay()->GetPrimarySurface(), drawn.x + 50, 240), 40);
        view->Destroy(1);
    }

    // The Tessel Classic cannot come back on after WinSPEX/3D's flip chain
    // failed: the text of each failure, and the view ends with result 2.
    InstallTesselPack();
    UseProfile("mode 640x480x32\ndesktop 640x480x32\nfail create-flip-chain\n");
    boxes.shown.clear();
    const auto view = DirectDrawView(640, 480, 32, DDSurfSingle);
    view->SetFullScreen(false);
    ASSERT_EQ(
        view->ShowImage(picture, nullptr, LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, kTesselClassic),
        1);
    Mark();
    tslft16->FailNext("tsl3dOn", 6);
    EXPECT_EQ(view->ChangeViewMethod(kWinSpex), 0);
    EXPECT_EQ(boxes.Captioned(),
              (std::vector<std::string>{
                  Boxed("ERROR: Creating right flipping surface.\nAttempted resolution was: "
                        "640x480x32"),
                  Boxed(kTesselUnavailable)}));
    EXPECT_TRUE(Logged(std::string("BxView::ChangeViewMethod [attempting to restore] -- ") +
                       kTesselUnavailable));
    EXPECT_TRUE(InOrder(Since(tslft16), {"tsl3dOff(", "tsl3dOn("})) << Since(tslft16);
    EXPECT_FALSE(view->IsActive()) << "destroyed";
    EXPECT_EQ(view->GetSafeHwnd(), nullptr);
}

TEST_F(StereoSwitching, ResolutionChangesReportAndUndoTheirFailures) {
    UseProfile("mode 640x480x24\nmode 800x600x24\nmode 1024x768x24\ndesktop 1024x768x24\n");
    const auto view = MakeView(1024, 768, 24);
    ASSERT_EQ(
        view->ShowImage(SideBySidePicture({200, 150}), nullptr, LAYOUT_SIDE_BY_SIDE, kParallel), 1);
    ASSERT_EQ(view->GetModeList().size(), 3u);
    EXPECT_EQ(view->GetModeIndexFromDisplay(), 2);
    const win::HMENU menu = view->GetRightClickMenu();
    EXPECT_TRUE(Checked(menu, ID_RESOLUTION_FIRST + 2));
    TakeQueuedMessages();

    // To 640 x 480: the status line says so, the frame is the new size and
    // cleared, the menu follows and the next rendering fits the screen.
    view->SetStatusBar(false);
    EXPECT_EQ(view->ChangeResolution(0, DDSurfSingle), 1);
    EXPECT_EQ(view->GetDisplay()->GetStatusBarMessage().value_or(""),
              "Changing resolution from 1024x768x24 to 640x480x24...");
    EXPECT_EQ(view->GetModeIndexFromDisplay(), 0);
    EXPECT_EQ(view->GetDisplay()->whole.GetWidth(), 640);
    EXPECT_TRUE(DrawnArea(view->GetDisplay()->whole).IsEmpty());
    EXPECT_TRUE(Checked(menu, ID_RESOLUTION_FIRST + 0));
    EXPECT_FALSE(Checked(menu, ID_RESOLUTION_FIRST + 2));
    EXPECT_EQ(view->GetConversionSettings().zoom, -1.0);
    EXPECT_TRUE(boxes.shown.empty());

    // Indices outside the list change nothing.
    for (const int32_t index : {3, -1}) {
        EXPECT_EQ(view->ChangeResolution(index, DDSurfSingle), 0) << index;
        EXPECT_EQ(view->GetModeIndexFromDisplay(), 0);
    }
    EXPECT_EQ(ThrownMessage([&] { view->ChangeResolution(800, 600, 24, DDSurfSingle); }),
              "BxView::ChangeResolution -- this particular function not implemented yet.  Use "
              "ChangeResolution(ModeStruct, ...);");

    // The adapter refusing the mode: a failure, told and posted.
    UseProfile("mode 640x480x24\nmode 800x600x24\nmode 1024x768x24\ndesktop 640x480x24\n"
               "refuse change-display 800x600x24\n");
    TakeQueuedMessages();
    EXPECT_EQ(view->ChangeResolution(1, DDSurfSingle), 0);
    EXPECT_EQ(boxes.Captioned(),
              std::vector<std::string>{Boxed("Could not change the display to 800x600x24")});
    const std::vector<win::UINT> queued = TakeQueuedMessages();
    EXPECT_NE(std::find(queued.begin(), queued.end(), WM_WINDISP_ALERT), queued.end());
    EXPECT_FALSE(Checked(menu, ID_RESOLUTION_FIRST + 1));
    EXPECT_EQ(view->GetModeIndexFromDisplay(), 0);
    EXPECT_TRUE(view->GetDisplay()->IsDisplayValid()) << "still drawing in the old mode";
    view->Destroy(1);

    // Made again on an adapter without 800 x 600, the view's list is the old
    // one until the next picture: that entry is out of sync.
    boxes.shown.clear();
    UseProfile("mode 640x480x24\nmode 1024x768x24\ndesktop 1024x768x24\n");
    view->Create(DisplayGDI, DDSurfSingle, {ModeFixed, 1024, 768, 24, 0}, 0x000F0007);
    TakeQueuedMessages();
    EXPECT_EQ(view->ChangeResolution(1, DDSurfSingle), 0);
    EXPECT_EQ(boxes.Captioned(),
              std::vector<std::string>{Boxed("Mode lists are out of sync!  1:800x600x24")});
    EXPECT_EQ(TakeQueuedMessages(), std::vector<win::UINT>{WM_WINDISP_ALERT});
    view->Destroy(1);
}

TEST_F(StereoSwitching, AResolutionTheDeviceRefusesGoesBackToThePreviousOne) {
    UseProfile("mode 640x480x16\nmode 800x600x16\nmode 800x600x8\ndesktop 640x480x16\n");
    const auto view = MakeView(640, 480, 16);
    ASSERT_EQ(view->ShowImage(SideBySidePicture({200, 150}), nullptr, LAYOUT_SIDE_BY_SIDE, kOspi),
              1);
    ASSERT_EQ(ModeSizes(*view), "640x480x16 800x600x8 800x600x16 ");
    TakeQueuedMessages();

    // 800 x 600 x 16 works.
    EXPECT_EQ(view->ChangeResolution(2, DDSurfSingle), 1);
    EXPECT_EQ(view->GetModeIndexFromDisplay(), 2);
    EXPECT_EQ(view->ChangeResolution(0, DDSurfSingle), 1);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Captioned()[0];

    // 800 x 600 x 8 is a mode OSPI needs to itself: told (not posted), and
    // 640 x 480 x 16 is back with the device on.
    Mark();
    EXPECT_EQ(view->ChangeResolution(1, DDSurfSingle), 0);
    EXPECT_EQ(boxes.Captioned(),
              std::vector<std::string>{
                  Boxed("Unable to use this OSPI Mode (800x600x8) with Binoxa.\nIn this version of "
                        "Binoxa, only half-height interleaved modes are supported")});
    EXPECT_EQ(TakeQueuedMessages(), std::vector<win::UINT>{});
    EXPECT_EQ(view->GetModeIndexFromDisplay(), 0);
    EXPECT_EQ(view->GetDisplay()->Bpp(), 2u);
    EXPECT_TRUE(
        InOrder(Since(ospi32), {"_ospiMetaStereoOff(", "_ospiMetaEnumStereoModes(", "800x600x8",
                                "_ospiMetaEnumStereoModes(", "640x480x16", "_ospiMetaStereoOn("}))
        << Since(ospi32);

    // Going back fails too: logged, and that text is posted.
    boxes.shown.clear();
    ospi32->FailNext("_ospiMetaStereoOn", 6);
    EXPECT_EQ(view->ChangeResolution(1, DDSurfSingle), 0);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text,
              "Could not turn on OSPI Stereo for mode: 640x480x16\n\n[6] Stereo is already on");
    EXPECT_TRUE(Logged("BxView::ChangeResolution -- error changing back to previous resolution "
                       "(after an error)\n"));
    EXPECT_EQ(TakeQueuedMessages(), std::vector<win::UINT>{WM_WINDISP_ALERT});
    view->Destroy(1);
}

TEST_F(StereoSwitching, TheModeListHonoursExclusionsAndTheDevicesModes) {
    UseProfile("mode 640x480x8\nmode 800x600x8\nmode 800x600x24\nmode 1024x768x16\n"
               "mode 1280x1024x24\ndesktop 1280x1024x24\n");
    const auto view = MakeView(1280, 1024, 24);
    const WinDisp& display = *view->GetDisplay();
    ASSERT_EQ(display.GetModeCount(), 5);
    // One entry equal in all four fields, one differing in its refresh only.
    ModeStruct excluded[2] = {display.GetModes()[2], display.GetModes()[0]};
    excluded[1].refresh += 1;
    view->SetExcludedModes(excluded, 2);
    ASSERT_EQ(view->ShowImage(SideBySidePicture({64, 48}), nullptr, LAYOUT_SIDE_BY_SIDE, kParallel),
              1);
    EXPECT_EQ(ModeSizes(*view), "640x480x8 800x600x8 1024x768x16 1280x1024x24 ");
    EXPECT_EQ(view->GetModeIndexFromDisplay(), 3);
    view->BuildModeList(false, false);
    EXPECT_EQ(ModeSizes(*view), "640x480x8 800x600x8 800x600x24 1024x768x16 1280x1024x24 ");
    EXPECT_EQ(view->GetModeIndexFromDisplay(), 4);
    view->Destroy(1);
    EXPECT_EQ(ThrownMessage([&] { view->BuildModeList(true, true); }),
              "BxView::BuildModeList -- display is not active!");
    EXPECT_EQ(ThrownMessage([&] { view->GetModeIndexFromDisplay(); }),
              "BxView::GetModeIndexFromDisplay -- display not active!");

    // The Tessel Classic keeps the sizes of its 3-D modes at every depth,
    // and its device is on again after the list is built.
    InstallTesselPack();
    Configure("BINOXA_TSLFT16_CONFIG", "mode 800 600 8\nmode 1024 768 8\n");
    tslft16->Reset();
    const auto tessel = MakeView(1280, 1024, 24);
    tessel->SetExcludedModes(excluded, 1);
    ASSERT_EQ(tessel->ShowImage(SideBySidePicture({64, 48}), nullptr, LAYOUT_SIDE_BY_SIDE,
                                kTesselClassic),
              1);
    tessel->BuildModeList(true, false);
    EXPECT_EQ(ModeSizes(*tessel), "800x600x8 800x600x24 1024x768x16 ");
    EXPECT_EQ(tessel->GetModeIndexFromDisplay(), -1) << "1280 x 1024 is not a 3-D mode";
    const std::vector<std::string> calls = Lines(tslft16->Calls());
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[calls.size() - 2], "tsl3dOn(7E55 0001 00F5)") << tslft16->Calls();
    tslft16->FailNext("tsl3dOn", 3);
    EXPECT_EQ(ThrownMessage([&] { tessel->BuildModeList(true, true); }), kTesselUnconfigured);
    tessel->Destroy(1);
}

// Last: a view made without the driver leaves it unloaded for the rest of
// the process.
TEST_F(StereoSwitching, WinSpexWithoutItsDriverGoesBackToTheSingleSurface) {
    WithoutWinSpex();
    UseProfile("mode 640x480x32\ndesktop 640x480x32\n");
    const auto view = DirectDrawView(640, 480, 32, DDSurfSingle);
    view->SetFullScreen(false);
    ASSERT_EQ(view->ShowImage(SideBySidePicture({200, 150}), nullptr,
                              LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST, kParallel),
              1);
    EXPECT_EQ(ThrownMessage([&] { view->StereoOn(Method(kWinSpex)); }), kWinSpexMissing);
    EXPECT_EQ(ThrownMessage([&] { view->StereoOff(Method(kWinSpex)); }), "");
    EXPECT_EQ(view->StereoOnOrRestore(Method(kWinSpex), Method(kParallel), true), 1);
    boxes.shown.clear();

    EXPECT_EQ(view->ChangeViewMethod(kWinSpex), 0);
    EXPECT_EQ(boxes.Captioned(), std::vector<std::string>{Boxed(kWinSpexMissing)});
    EXPECT_TRUE(view->IsActive());
    EXPECT_EQ(view->GetMethodId(), kParallel);
    EXPECT_EQ(view->GetDisplay()->GetSurfType(), DDSurfSingle);
    EXPECT_EQ(view->GetDisplay()->GetSecondSurface(), nullptr);
    const px2Rect drawn = DrawnArea(view->GetDisplay()->whole);
    ASSERT_FALSE(drawn.IsEmpty()) << "drawn again";
    EXPECT_EQ(SurfaceRed(view->GetDisplay()->GetPrimarySurface(), drawn.x + 50, 240), 200);
    view->Destroy(1);
}
