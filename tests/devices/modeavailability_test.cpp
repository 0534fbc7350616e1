#include "devicefixture.h"

#include "devices/modeavailability.h"
#include "devices/ospi.h"
#include "stereo/stereomethods.h"
#include "support/capturedlog.h"
#include "support/thrownmessage.h"

namespace {

StereoViewMethod MethodWithDevice(std::uint32_t deviceFlags) {
    return {1, "test method", 1, 0, 0, 0, deviceFlags, 0, 0};
}

class ModeAvailabilityTest : public DeviceTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(tslft16.Loaded());
        ASSERT_TRUE(ospi32.Loaded());
        SetOspiDirectory(std::string(TEST_SYSTEM_DIR) + "/");
    }
    void TearDown() override { TheOspiInterface().Exit(); }

    bool Available(std::uint32_t deviceFlags, int width, int height, int bits) {
        const StereoViewMethod method = MethodWithDevice(deviceFlags);
        return IsStereoModeAvailable(&method, width, height, bits);
    }

    SimulatedDriver tslft16{"TSLFT16.dll"};
    SimulatedDriver ospi32{"ospi32.dll"};
    CapturedLog log;
};

TEST_F(ModeAvailabilityTest, NoMethodIsAnError) {
    EXPECT_EQ(ThrownMessage([] { IsStereoModeAvailable(nullptr, 640, 480, 8); }),
              "IsStereoModeAvailable:  Invalid Stereo Viewing Method.");
}

TEST_F(ModeAvailabilityTest, MethodsWithoutTesselOrOspiTakeEveryMode) {
    for (const std::uint32_t flags : {0u, 0x04u, 0x10u, 0x40u, 0x14u}) {
        EXPECT_TRUE(Available(flags, 123, 45, 8)) << flags;
    }
    EXPECT_EQ(tslft16.Calls() + ospi32.Calls(), "");
}

TEST_F(ModeAvailabilityTest, TesselTakesItsModesBySizeAtEveryDepth) {
    WriteTesselProfile("[INSTALL]\nFinished_Install=Yes\n");
    for (const int bits : {8, 16, 24, 32}) {
        EXPECT_TRUE(Available(DEVICE_TESSEL, 640, 480, bits)) << bits;
        EXPECT_TRUE(Available(DEVICE_TESSEL, 800, 600, bits)) << bits;
        EXPECT_FALSE(Available(DEVICE_TESSEL, 1024, 768, bits)) << bits;
        EXPECT_FALSE(Available(DEVICE_TESSEL, 640, 600, bits)) << bits;
    }
    EXPECT_TRUE(Available(DEVICE_TESSEL | DEVICE_OSPI, 640, 480, 8)) << "Tessel comes first";
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(ospi32.Calls(), "");
    // Each question has a device of its own, from initialise to exit.
    const std::vector<std::string> lines = Lines(tslft16.Calls());
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "tslInitialize()");
    EXPECT_EQ(lines[1], "tslGetStatus(7E55 0001)");
    EXPECT_EQ(lines[2], "tslNum3dModes(7E55 0001)");
    EXPECT_EQ(lines[4 - 1].rfind("tsl3dModeInfo(7E55 0001 0000 ", 0), 0u);
    EXPECT_EQ(lines[4], "tslExit(7E55 0001)") << "640x480 is the first mode";
}

TEST_F(ModeAvailabilityTest, TesselWithoutThePackOrWithAFailedDeviceTakesNone) {
    EXPECT_FALSE(Available(DEVICE_TESSEL, 640, 480, 8));
    EXPECT_EQ(log.Text(), "IsStereoModeAvailable:  Tessel is not installed\n");
    EXPECT_EQ(tslft16.Calls(), "") << "not even loaded";

    WriteTesselProfile("[INSTALL]\nFinished_Install=YES\n");
    Configure("BINOXA_TSLFT16_CONFIG", "status 2\n");
    tslft16.Reset();
    EXPECT_FALSE(Available(DEVICE_TESSEL, 640, 480, 8));
    systest::ScopedEnvironment unknown("BINOXA_OS_PLATFORM", "beos");
    EXPECT_FALSE(Available(DEVICE_TESSEL, 640, 480, 8));
    EXPECT_EQ(log.Text(), "IsStereoModeAvailable:  Tessel is not installed\n"
                          "IsStereoModeAvailable: ERROR initializing classic pack: 2\n"
                          "IsStereoModeAvailable: ERROR initializing classic pack: 9\n");
    EXPECT_EQ(boxes.Captioned(), std::vector<std::string>{"Error: Unknown operating system."});
}

TEST_F(ModeAvailabilityTest, OspiTakesHalfHeightInterleavedModesOnly) {
    EXPECT_FALSE(Available(DEVICE_OSPI, 1024, 768, 16));
    EXPECT_EQ(TheOspiInterface().Status(), OSPI_NOT_INITIALIZED) << "closed: it opened it";
    EXPECT_FALSE(Available(DEVICE_OSPI, 640, 480, 8));
    EXPECT_FALSE(Available(DEVICE_OSPI, 640, 480, 24)) << "no mode at that depth";
    EXPECT_EQ(log.Text(), "IsStereoModeAvailable: not half height\n"
                          "IsStereoModeAvailable: mode is not interleaved\n");

    EXPECT_TRUE(Available(DEVICE_OSPI, 640, 480, 16));
    EXPECT_NE(TheOspiInterface().Handle(), 0u) << "left open for the display set-up";
    EXPECT_TRUE(Available(DEVICE_OSPI, 800, 600, 32));
    EXPECT_FALSE(Available(DEVICE_OSPI, 1024, 768, 16));
    EXPECT_NE(TheOspiInterface().Handle(), 0u) << "opened before: stays open";

    const std::vector<std::string> lines = Lines(ospi32.Calls());
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines[0].ends_with(", 0, \"DirectDraw\", 512)")) << lines[0];
}

TEST_F(ModeAvailabilityTest, OspiThatCannotOpenTakesNoneAndTriesAgainEachTime) {
    const std::string notLoaded = "IsStereoModeAvailable -- after ospiInit: 'Could not load "
                                  "OSPI DLL - OSPI May not be installed properly'\n";
    const std::string refused =
        "IsStereoModeAvailable -- after ospiInit: 'Simulated OSPI device refused to open'\n";
    std::string expectedLog;
    SetOspiDirectory("/nonexistent/");
    for (int question = 0; question < 3; ++question) {
        EXPECT_FALSE(Available(DEVICE_OSPI, 640, 480, 16)) << question;
        EXPECT_EQ(TheOspiInterface().Status(), OSPI_NOT_LOADED) << question;
        expectedLog += notLoaded;
        EXPECT_EQ(log.Text(), expectedLog) << question;
    }

    SetOspiDirectory(std::string(TEST_SYSTEM_DIR) + "/");
    Configure("BINOXA_OSPI_CONFIG", "fail _ospiMetaInit 9\n");
    ospi32.Reset();
    for (int question = 0; question < 3; ++question) {
        EXPECT_FALSE(Available(DEVICE_OSPI, 640, 480, 16)) << question;
        EXPECT_EQ(TheOspiInterface().Status(), OSPI_NO_DEVICE) << question;
        expectedLog += refused;
        EXPECT_EQ(log.Text(), expectedLog) << question;
        const std::vector<std::string> lines = Lines(ospi32.Calls());
        ASSERT_EQ(lines.size(), question + 1u) << "one init per question, nothing else";
        EXPECT_EQ(lines.back().rfind("_ospiMetaInit(", 0), 0u) << lines.back();
    }

    // Once the device is there, the next question gets it.
    Configure("BINOXA_OSPI_CONFIG", "");
    ospi32.Reset();
    EXPECT_TRUE(Available(DEVICE_OSPI, 640, 480, 16));
    EXPECT_EQ(TheOspiInterface().Status(), OSPI_OK);
    EXPECT_EQ(log.Text(), expectedLog);
}

} // namespace
