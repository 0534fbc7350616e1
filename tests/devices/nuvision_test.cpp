#include "devicefixture.h"

#include "devices/nuvision.h"
#include "devices/nuvisionstatus.h"
#include "support/capturedlog.h"

namespace {

using win::IDirectDrawSurface;

class NuVisionTest : public DeviceTest {
protected:
    SimulatedDriver winspex{"winspex3d.dll"};
    NuVisionDriver driver;
    // The driver only compares surface pointers.
    int surfaces[2] = {};
    IDirectDrawSurface* primary = reinterpret_cast<IDirectDrawSurface*>(&surfaces[0]);
    IDirectDrawSurface* second = reinterpret_cast<IDirectDrawSurface*>(&surfaces[1]);
};

TEST_F(NuVisionTest, AViewsCallsReachTheDriverInOrderWithTheirArguments) {
    ASSERT_TRUE(driver.Load());
    EXPECT_TRUE(driver.Loaded());

    win::LONG version[3] = {};
    EXPECT_EQ(driver.GetVersion(&version[0], &version[1], &version[2]), NUV_OK);
    EXPECT_EQ(version[0], 3);
    NuVHandle handle = 0;
    EXPECT_EQ(driver.EnableStereo(&handle, 1), NUV_OK);
    EXPECT_EQ(handle, 0x4E560001u);
    EXPECT_EQ(driver.EnableStereoSurfaceFlipping(handle, primary, 0), NUV_OK);
    EXPECT_EQ(driver.QueueStereoPair(handle, primary, second, 1), NUV_OK);
    NuVStereoStatus status{};
    status.size = sizeof status;
    EXPECT_EQ(driver.GetStereoStatus(handle, &status), NUV_OK);
    EXPECT_EQ(status.flipping, 1) << "the word at byte 28 while the pair flips";
    EXPECT_EQ(driver.PauseStereoFlipping(handle, 0, 1), NUV_OK);
    win::WORD primaryAnswer = 0;
    win::WORD secondAnswer = 0;
    EXPECT_EQ(driver.IsFlippingSurface(handle, primary, &primaryAnswer), NUV_OK);
    EXPECT_EQ(driver.IsFlippingSurface(handle, second, &secondAnswer), NUV_OK);
    EXPECT_EQ(primaryAnswer, NUV_SURFACE_RIGHT_SHOWING);
    EXPECT_EQ(secondAnswer, NUV_SURFACE_LEFT_SHOWING);
    EXPECT_EQ(driver.ResumeStereoFlipping(handle), NUV_OK);
    EXPECT_EQ(driver.DisableStereoSurfaceFlipping(handle, 1), NUV_OK);
    EXPECT_EQ(driver.DisableStereo(handle), NUV_OK);

    const std::string h = std::to_string(handle);
    const std::string p = PointerText(primary);
    const std::string s = PointerText(second);
    EXPECT_EQ(winspex.Calls(),
              "_NuVGetVersion(" + PointerText(&version[0]) + ", " + PointerText(&version[1]) +
                  ", " + PointerText(&version[2]) + ")\n" + "_NuVEnableStereo(" +
                  PointerText(&handle) + ", 1)\n" + "_NuVEnableStereoSurfaceFlipping(" + h + ", " +
                  p + ", 0)\n" + "_NuVQueueStereoPair(" + h + ", " + p + ", " + s + ", 1)\n" +
                  "_NuVGetStereoStatus(" + h + ", " + PointerText(&status) + ")\n" +
                  "_NuVPauseStereoFlipping(" + h + ", 0, 1)\n" + "_NuVIsFlippingSurface(" + h +
                  ", " + p + ", " + PointerText(&primaryAnswer) + ")\n" + "_NuVIsFlippingSurface(" +
                  h + ", " + s + ", " + PointerText(&secondAnswer) + ")\n" +
                  "_NuVResumeStereoFlipping(" + h + ")\n" + "_NuVDisableStereoSurfaceFlipping(" +
                  h + ", 1)\n" + "_NuVDisableStereo(" + h + ")\n");
    driver.Unload();
    EXPECT_FALSE(driver.Loaded());
    EXPECT_EQ(driver.DisableStereo(handle), NUV_NOT_INSTALLED) << "unloaded: every slot empty";
}

TEST_F(NuVisionTest, TheConfigurationShapesTheAnswersAndReachesErrors) {
    Configure("BINOXA_WINSPEX_CONFIG", "flipping 0\n"
                                       "answers 3 2   # surfaces swapped\n"
                                       "fail _NuVGetVersion -27\n");
    winspex.Reset();
    ASSERT_TRUE(driver.Load());
    win::LONG version[3] = {};
    EXPECT_EQ(driver.GetVersion(&version[0], &version[1], &version[2]), NUV_VXD_ERROR);
    EXPECT_EQ(driver.GetVersion(&version[0], &version[1], &version[2]), NUV_VXD_ERROR)
        << "every time";
    NuVHandle handle = 0;
    ASSERT_EQ(driver.EnableStereo(&handle, 1), NUV_OK);
    EXPECT_EQ(driver.EnableStereo(&handle, 1), NUV_STEREO_BUSY);
    ASSERT_EQ(driver.EnableStereoSurfaceFlipping(handle, primary, 0), NUV_OK);
    ASSERT_EQ(driver.QueueStereoPair(handle, primary, second, 1), NUV_OK);
    NuVStereoStatus status{};
    status.size = sizeof status;
    EXPECT_EQ(driver.GetStereoStatus(handle, &status), NUV_OK);
    EXPECT_EQ(status.flipping, 0);
    win::WORD answer = 0;
    EXPECT_EQ(driver.IsFlippingSurface(handle, second, &answer), NUV_OK);
    EXPECT_EQ(answer, NUV_SURFACE_LEFT);

    // Any named code on request, once.
    for (win::LONG code = NUV_IN_MIDDLE_OF_TEST; code <= NUV_NOT_ENABLED; ++code) {
        winspex.FailNext("_NuVResumeStereoFlipping", code);
        EXPECT_EQ(driver.ResumeStereoFlipping(handle), code);
    }
    EXPECT_EQ(driver.ResumeStereoFlipping(handle), NUV_NOT_PAUSED) << "the driver's own answer";
    EXPECT_EQ(driver.GetStereoStatus(handle + 1, &status), NUV_WRONG_INSTANCE);
    EXPECT_EQ(driver.DisableStereo(handle), NUV_OK);
}

// Without the fixture, which holds the driver loaded for its controls.
TEST(NuVisionLoad, AMissingDriverIsNotSearchedForAgain) {
    NuVisionDriver driver;
    {
        systest::ScopedEnvironment elsewhere("BINOXA_SYSTEM_DIR", "/nonexistent");
        EXPECT_FALSE(driver.Load());
    }
    systest::ScopedEnvironment systemDir("BINOXA_SYSTEM_DIR", TEST_SYSTEM_DIR);
    EXPECT_FALSE(driver.Load()) << "remembered, though the driver is there now";
    EXPECT_FALSE(driver.Loaded());
    NuVHandle handle = 0;
    EXPECT_EQ(driver.EnableStereo(&handle, 1), NUV_NOT_INSTALLED);
    EXPECT_EQ(win::GetModuleHandle("winspex3d.dll"), nullptr);
}

TEST_F(NuVisionTest, MissingFunctionsAnswerNotInstalled) {
    // A library under the driver's name that has none of its functions.
    const std::string directory = ImpostorDirectory(scratch, "libwinspex3d.so", "libospi32.so");
    systest::ScopedEnvironment impostor("BINOXA_SYSTEM_DIR", directory.c_str());
    ASSERT_TRUE(driver.Load());
    NuVHandle handle = 0;
    win::LONG version = 0;
    NuVStereoStatus status{};
    win::WORD answer = 0;
    EXPECT_EQ(driver.GetVersion(&version, &version, &version), NUV_NOT_INSTALLED);
    EXPECT_EQ(driver.EnableStereo(&handle, 1), NUV_NOT_INSTALLED);
    EXPECT_EQ(driver.EnableStereoSurfaceFlipping(handle, primary, 0), NUV_NOT_INSTALLED);
    EXPECT_EQ(driver.QueueStereoPair(handle, primary, second, 1), NUV_NOT_INSTALLED);
    EXPECT_EQ(driver.GetStereoStatus(handle, &status), NUV_NOT_INSTALLED);
    EXPECT_EQ(driver.PauseStereoFlipping(handle, 0, 1), NUV_NOT_INSTALLED);
    EXPECT_EQ(driver.IsFlippingSurface(handle, primary, &answer), NUV_NOT_INSTALLED);
    EXPECT_EQ(driver.ResumeStereoFlipping(handle), NUV_NOT_INSTALLED);
    EXPECT_EQ(driver.DisableStereoSurfaceFlipping(handle, 1), NUV_NOT_INSTALLED);
    EXPECT_EQ(driver.DisableStereo(handle), NUV_NOT_INSTALLED);
    EXPECT_EQ(winspex.Calls(), "");
}

TEST(NuVisionStatus, EveryCodeHasItsName) {
    const char* const names[] = {
        "not enabled",
        "Unknown",
        "bad params",
        "alloc fail",
        "surfaces not flipping",
        "insufficient surfaces",
        "no goggle togling",
        "stereo pair",
        "stereo busy",
        "wrong instance",
        "surfaces not enabled",
        "invalidated",
        "queue full",
        "cant pause",
        "free run not optional",
        "cant stop at eye",
        "not paused",
        "all surfaces busy",
        "not installed",
        "not ready for queue",
        "pause conflict",
        "reverse not supported",
        "surface queued",
        "rendering started",
        "rendering not started",
        "renderings not displayed",
        "vxd error",
        "invalid database",
        "in middle of test",
    };
    for (int i = 0; i < 29; ++i) {
        EXPECT_STREQ(NuVStatusName(-1 - i), names[i]) << -1 - i;
    }
    for (const win::LONG other :
         {0, 1, -30, -1000, 0x7FFFFFFF, static_cast<win::LONG>(0x80000000)}) {
        EXPECT_STREQ(NuVStatusName(other), "Unknown") << other;
    }

    CapturedLog log;
    NuVLogStatus(NUV_QUEUE_FULL);
    NuVLogStatus(-2);
    EXPECT_EQ(log.Text(), "[NuVision Error] queue full\n[NuVision Error] Unknown\n");
}

} // namespace
