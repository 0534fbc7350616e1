#include "devicefixture.h"

#include "devices/ospi.h"

namespace {

class OspiTest : public DeviceTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(ospi32.Loaded());
        SetOspiDirectory(std::string(TEST_SYSTEM_DIR) + "/");
    }
    void TearDown() override { ospi.Exit(); }

    SimulatedDriver ospi32{"ospi32.dll"};
    OspiInterface ospi;
    OspiModeQuery query{640, 480, 16, 0};
};

TEST_F(OspiTest, TheLibraryPathComesFromTheRegistry) {
    EXPECT_EQ(OspiLibraryPath(), std::string(TEST_SYSTEM_DIR) + "/ospi32.dll");
    SetOspiDirectory("C:\\Program Files\\Tessel\\");
    EXPECT_EQ(OspiLibraryPath(), "C:\\Program Files\\Tessel\\ospi32.dll");
    SetOspiDirectory("/opt/tessel");
    EXPECT_EQ(OspiLibraryPath(), "/opt/tessel\\ospi32.dll") << "a missing separator is added";
    SetOspiDirectory(std::string(300, 'd') + "/");
    EXPECT_EQ(OspiLibraryPath(), "ospi32.dll") << "longer than 256 characters: none";
    ASSERT_EQ(win::RegDeleteKey(win::HKEY_CLASSES_ROOT, "OSPI"), win::ERROR_SUCCESS);
    EXPECT_EQ(OspiLibraryPath(), "ospi32.dll");
}

TEST_F(OspiTest, OpensListsSwitchesAndClosesTheDevice) {
    EXPECT_EQ(ospi.Status(), OSPI_NOT_INITIALIZED);
    ASSERT_EQ(ospi.Init(OSPI_RENDER_DIRECTDRAW), OSPI_OK);
    EXPECT_EQ(ospi.Handle(), 0x05910001u);
    EXPECT_EQ(ospi.StatusText(OSPI_STEREO_NOT_ON), "Stereo is not on") << "the driver's text";

    win::DWORD count = 0;
    EXPECT_EQ(ospi.NumStereoModes(query, &count), OSPI_OK);
    EXPECT_EQ(count, 1u);
    OspiModeInfo mode{};
    EXPECT_EQ(ospi.EnumStereoModes(query, 0, &mode), OSPI_OK);
    EXPECT_EQ(mode.kind, OSPI_MODE_INTERLEAVED);
    EXPECT_EQ(mode.flags, OSPI_MODE_HALF_HEIGHT);
    EXPECT_EQ(ospi.EnumStereoModes(query, 1, &mode), OSPI_NO_SUCH_MODE);
    EXPECT_EQ(ospi.Status(), OSPI_NO_SUCH_MODE) << "the last status";

    int surface = 0;
    OspiRenderDevice device{};
    device.kind = OSPI_RENDER_DEVICE_DIRECTDRAW;
    device.primary = reinterpret_cast<win::IDirectDrawSurface*>(&surface);
    EXPECT_EQ(ospi.StereoOn(query, device, mode), OSPI_OK);
    EXPECT_EQ(ospi.StereoOn(query, device, mode), OSPI_STEREO_ALREADY_ON);
    EXPECT_EQ(ospi.StereoOff(), OSPI_OK);
    ospi.Exit();
    EXPECT_EQ(ospi.Handle(), 0u);
    EXPECT_EQ(ospi.Status(), OSPI_NOT_INITIALIZED);

    const std::string h = std::to_string(0x05910001);
    const std::string stereoOn = "_ospiMetaStereoOn(" + h + ", 640x480x16, 0, 7, " +
                                 PointerText(&surface) + ", " + PointerText(&mode) + ")";
    const std::vector<std::string> expected = {
        "_ospiMetaStatusString(" + h + ", 7)",
        "_ospiMetaNumStereoModes(" + h + ", " + PointerText(&count) + ", 640x480x16)",
        "_ospiMetaEnumStereoModes(" + h + ", 640x480x16, 0, " + PointerText(&mode) + ")",
        "_ospiMetaEnumStereoModes(" + h + ", 640x480x16, 1, " + PointerText(&mode) + ")",
        stereoOn,
        stereoOn,
        "_ospiMetaStereoOff(" + h + ")",
    };
    const std::vector<std::string> lines = Lines(ospi32.Calls());
    ASSERT_EQ(lines.size(), 9u);
    // The handle's and the buffer's addresses are the interface's own.
    EXPECT_EQ(lines[0].rfind("_ospiMetaInit(0x", 0), 0u) << lines[0];
    EXPECT_TRUE(lines[0].ends_with(", 0, \"DirectDraw\", 512)")) << lines[0];
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end() - 1), expected);
    EXPECT_EQ(lines[8], "_ospiMetaExit(" + h + ", \"Simulated OSPI device open\")")
        << "given the message buffer";
}

TEST_F(OspiTest, CallsWithoutAnOpenDeviceAnswerNotInitialized) {
    win::DWORD count = 0;
    OspiModeInfo mode{};
    const OspiRenderDevice device{};
    EXPECT_EQ(ospi.NumStereoModes(query, &count), OSPI_NOT_INITIALIZED);
    EXPECT_EQ(ospi.EnumStereoModes(query, 0, &mode), OSPI_NOT_INITIALIZED);
    EXPECT_EQ(ospi.StereoOn(query, device, mode), OSPI_NOT_INITIALIZED);
    EXPECT_EQ(ospi.StereoOff(), OSPI_NOT_INITIALIZED);
    EXPECT_EQ(ospi32.Calls(), "") << "nothing reaches the driver";
}

TEST_F(OspiTest, AFailedInitUnloadsAndTheMessageDescribesIt) {
    ospi32.FailNext("_ospiMetaInit", OSPI_NO_DEVICE);
    EXPECT_EQ(ospi.Init(OSPI_RENDER_GDI), OSPI_NO_DEVICE);
    EXPECT_EQ(ospi.Status(), OSPI_NO_DEVICE);
    EXPECT_EQ(ospi.Handle(), 0u);
    // Unloaded, so the driver's texts are gone; the message buffer says why.
    EXPECT_EQ(ospi.StatusText(OSPI_NO_DEVICE), "Simulated OSPI device refused to open");
    EXPECT_TRUE(ospi32.Calls().ends_with(", 0, \"GDI\", 512)\n")) << ospi32.Calls();

    // Every named code the driver has comes through, from its configuration too.
    Configure("BINOXA_OSPI_CONFIG", "fail _ospiMetaStereoOff 6\n");
    ospi32.Reset();
    ASSERT_EQ(ospi.Init(OSPI_RENDER_GDI), OSPI_OK);
    EXPECT_EQ(ospi.StereoOff(), OSPI_STEREO_ALREADY_ON);
    for (win::LONG code = OSPI_INVALID_HANDLE; code <= OSPI_NO_DEVICE; ++code) {
        ospi32.FailNext("_ospiMetaNumStereoModes", code);
        win::DWORD count = 0;
        EXPECT_EQ(ospi.NumStereoModes(query, &count), code);
    }
    EXPECT_EQ(ospi.StatusText(77), "Simulated OSPI device open") << "no text: the message";
}

TEST_F(OspiTest, StatusTextsOfTheInterface) {
    EXPECT_EQ(ospi.StatusText(0), "No Error - Command executed successfully");
    EXPECT_EQ(ospi.StatusText(2), "Stereo Device Not Initialized");
    EXPECT_EQ(ospi.StatusText(8), "Could not load OSPI DLL - OSPI May not be installed properly");
    EXPECT_EQ(ospi.StatusText(5), "") << "nothing loaded, nothing written yet";
}

TEST_F(OspiTest, AMissingLibraryOrFunctionAnswersNotLoaded) {
    SetOspiDirectory("/nonexistent/");
    EXPECT_EQ(ospi.Init(OSPI_RENDER_DIRECTDRAW), OSPI_NOT_LOADED);
    EXPECT_EQ(ospi.Status(), OSPI_NOT_LOADED);

    const std::string directory = ImpostorDirectory(scratch, "libospi32.so", "libwinspex3d.so");
    SetOspiDirectory(directory + "/");
    EXPECT_EQ(ospi.Init(OSPI_RENDER_DIRECTDRAW), OSPI_NOT_LOADED);
    EXPECT_EQ(ospi32.Calls(), "");
}

TEST(OspiExit, NeverLoadsTheLibraryJustToCloseIt) {
    systest::ScopedEnvironment systemDir("BINOXA_SYSTEM_DIR", TEST_SYSTEM_DIR);
    OspiInterface ospi;
    ospi.Exit();
    EXPECT_EQ(win::GetModuleHandle("ospi32.dll"), nullptr);
    EXPECT_EQ(ospi.Status(), OSPI_NOT_INITIALIZED);
}

} // namespace
