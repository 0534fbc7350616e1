#include "devicefixture.h"

#include "devices/tessel.h"

namespace {

class TesselTest : public DeviceTest {
protected:
    void SetUp() override { ASSERT_TRUE(tslft16.Loaded()); }

    // A system directory with the platform's library as a copy of tslft32,
    // or of one of its incomplete forms.
    std::string PlatformDirectory(const std::string& libraryName,
                                  const std::string& shutterLibrary = "libtslft32.so",
                                  const std::string& shutterDirectory = TEST_SYSTEM_DIR) {
        const std::string directory =
            ImpostorDirectory(scratch, libraryName, shutterLibrary, shutterDirectory);
        std::filesystem::create_symlink(std::string(TEST_SYSTEM_DIR) + "/libtslft16.so",
                                        directory + "/libtslft16.so");
        return directory;
    }

    SimulatedDriver tslft16{"TSLFT16.dll"};
};

TEST_F(TesselTest, ADeviceInitialisesSwitchesListsModesAndExits) {
    {
        const TesselDevice device;
        EXPECT_EQ(device.Status(), 0);
        EXPECT_EQ(device.On(), 0);
        EXPECT_TRUE(device.HasMode(800, 600));
        EXPECT_FALSE(device.HasMode(800, 480));
        EXPECT_EQ(device.Off(), 0);
        EXPECT_STREQ(device.StatusString(1), "Bad handle") << "the API's own text";
    }
    // Each call starts so; the mode information calls go on with their pointer.
    const std::vector<std::string> expected = {
        "tslInitialize()",
        "tslGetStatus(7E55 0001)",
        "tsl3dOn(7E55 0001 00F5)",
        "tslGetStatus(7E55 0001)",
        "tslNum3dModes(7E55 0001)",
        "tsl3dModeInfo(7E55 0001 0000 ",
        "tsl3dModeInfo(7E55 0001 0001 ",
        "tslNum3dModes(7E55 0001)",
        "tsl3dModeInfo(7E55 0001 0000 ",
        "tsl3dModeInfo(7E55 0001 0001 ",
        "tsl3dOff(7E55 0001)",
        "tslGetStatus(7E55 0001)",
        "tslStatusString(0000 0001)",
        "tslExit(7E55 0001)",
    };
    const std::vector<std::string> lines = Lines(tslft16.Calls());
    ASSERT_EQ(lines.size(), expected.size()) << tslft16.Calls();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind(expected[i], 0), 0u) << lines[i];
    }
    EXPECT_EQ(boxes.Captioned(), std::vector<std::string>{});
}

TEST_F(TesselTest, ModesAndStatusFromTheConfiguration) {
    Configure("BINOXA_TSLFT16_CONFIG", "mode 1024 768 16\n"
                                       "status 6\n");
    tslft16.Reset();
    const TesselDevice device;
    EXPECT_EQ(device.Status(), 6);
    EXPECT_TRUE(device.HasMode(1024, 768));
    EXPECT_FALSE(device.HasMode(640, 480)) << "the configured list replaces the built-in one";
    tslft16.FailNext("tsl3dOn", 0);
    tslft16.FailNext("tslGetStatus", 3);
    EXPECT_EQ(device.On(), 3) << "the status after the call counts";
}

TEST_F(TesselTest, TheLibraryFollowsThePlatform) {
    for (const auto& [platform, library] :
         {std::pair{"nt", "libtslnt32.so"}, std::pair{"win32s", "libtslut32.so"}}) {
        std::filesystem::remove_all(scratch.File("impostor"));
        const std::string directory = PlatformDirectory(library);
        systest::ScopedEnvironment systemDir("BINOXA_SYSTEM_DIR", directory.c_str());
        systest::ScopedEnvironment os("BINOXA_OS_PLATFORM", platform);
        EXPECT_EQ(TesselDevice().Status(), 0) << platform;
        // The Windows 95 library is not there.
        systest::ScopedEnvironment windows("BINOXA_OS_PLATFORM", "windows");
        EXPECT_EQ(TesselDevice().Status(), TESSEL_DLL_NOT_FOUND) << platform;
    }
    EXPECT_EQ(boxes.Captioned(), std::vector<std::string>{}) << "a missing library shows no box";
}

TEST_F(TesselTest, AnUnknownOrUntellablePlatformIsReported) {
    {
        systest::ScopedEnvironment os("BINOXA_OS_PLATFORM", "os2");
        const TesselDevice device;
        EXPECT_EQ(device.Status(), TESSEL_DLL_NOT_FOUND);
        EXPECT_STREQ(device.StatusString(device.Status()), "Tessel DLL not found");
    }
    {
        systest::ScopedEnvironment os("BINOXA_OS_PLATFORM", "fail");
        const TesselDevice device;
        EXPECT_EQ(device.Status(), TESSEL_NO_VERSION_INFO);
        EXPECT_EQ(device.On(), TESSEL_NO_VERSION_INFO) << "a missing function answers the status";
        EXPECT_FALSE(device.HasMode(640, 480));
        EXPECT_STREQ(device.StatusString(8), "Unknown Tessel Error #1");
        EXPECT_STREQ(device.StatusString(10), "Tessel not initialized");
    }
    EXPECT_EQ(boxes.Captioned(),
              (std::vector<std::string>{"Error: Unknown operating system.",
                                        "Error: Could not obtain OS version info."}));
    EXPECT_EQ(tslft16.Calls(), "");
}

TEST_F(TesselTest, ALibraryWithoutTslInitializeIsCorrupt) {
    const std::string directory = ImpostorDirectory(scratch, "libtslnt32.so", "libwinspex3d.so");
    systest::ScopedEnvironment systemDir("BINOXA_SYSTEM_DIR", directory.c_str());
    systest::ScopedEnvironment os("BINOXA_OS_PLATFORM", "nt");
    const TesselDevice device;
    EXPECT_EQ(device.Status(), TESSEL_DLL_NOT_FOUND);
    EXPECT_EQ(boxes.Captioned(),
              std::vector<std::string>{"Error: Error getting function addresses in tslnt32.dll.\n"
                                       "A corrupt file perhaps?"});
}

TEST_F(TesselTest, AFunctionTheLibraryLacksNeverPassesForSuccess) {
    struct Case {
        const char* hidden;
        win::LONG status, on, off;
        std::vector<std::string> calls;
    };
    const std::string initialize = "tslInitialize()", getStatus = "tslGetStatus(7E55 0001)",
                      on = "tsl3dOn(7E55 0001 00F5)", off = "tsl3dOff(7E55 0001)",
                      exit = "tslExit(7E55 0001)";
    const win::LONG missing = TESSEL_NOT_INITIALIZED;
    const std::vector<Case> cases = {
        {"tslGetStatus", missing, missing, missing, {initialize, on, off, exit}},
        // No status follows an operation that did not run.
        {"tsl3dOn", 0, missing, 0, {initialize, getStatus, off, getStatus, exit}},
        {"tsl3dOff", 0, 0, missing, {initialize, getStatus, on, getStatus, exit}},
    };
    systest::ScopedEnvironment os("BINOXA_OS_PLATFORM", "nt");
    for (const Case& c : cases) {
        std::filesystem::remove_all(scratch.File("impostor"));
        const std::string directory = PlatformDirectory(
            "libtslnt32.so", std::string("libtslft32_without_") + c.hidden + ".so",
            TEST_INCOMPLETE_DIR);
        systest::ScopedEnvironment systemDir("BINOXA_SYSTEM_DIR", directory.c_str());
        tslft16.Reset();
        {
            const TesselDevice device;
            EXPECT_EQ(device.Status(), c.status) << c.hidden;
            EXPECT_EQ(device.On(), c.on) << c.hidden;
            EXPECT_EQ(device.Off(), c.off) << c.hidden;
        }
        EXPECT_EQ(Lines(tslft16.Calls()), c.calls) << c.hidden;
    }
    EXPECT_EQ(boxes.Captioned(), std::vector<std::string>{}) << "tslInitialize is there";
}

TEST(TesselErrorText, EveryStatusHasItsText) {
    EXPECT_STREQ(TesselErrorText(0), "Everything is OK");
    EXPECT_STREQ(
        TesselErrorText(1),
        "Bad Handle\n\nIf you are running more than 1 3D application, exit all 3D applications "
        "and run only 1 application at a time.\nIf a 3D application you were running previously "
        "had crashed, you may need to reboot your computer.\nIf closing all 3D applications and "
        "rebooting your computer does not solve the problem,\nplease read the Troubleshooting "
        "section of the online manual or contact technical support.");
    EXPECT_STREQ(TesselErrorText(2),
                 "TSbios not detected.\n\nTSbios should be loaded from your autoexec file before "
                 "Windows starts.\nSee the Troubleshooting section of the online manual if you "
                 "have problems.");
    EXPECT_STREQ(TesselErrorText(3),
                 "The requested mode is unconfigured.\n\nTo possibly fix this, run \"Go To DOS "
                 "Apps\" from the Tessel program group.\nPress 'a' to begin the advanced mode "
                 "configuration.\nFollow the directions from there.\n");
    EXPECT_STREQ(TesselErrorText(4), "This application has attempted to access a function of "
                                     "Tessel that has not been implemented yet.\nPlease contact "
                                     "technical support.");
    EXPECT_STREQ(TesselErrorText(5), "This application has passed an invalid value to "
                                     "Tessel.\nPlease contact technical support.\n");
    EXPECT_STREQ(TesselErrorText(6),
                 "The requested mode is unavailable.\n\nYour current video configuration does not "
                 "support the attempted 3D mode.\nThis application may be attempting a "
                 "page-flipped mode.\nPage flipped modes are unavailable in Window.\nExit Windows "
                 "and try running a DOS version of this application (if available).\nSee the "
                 "Troubleshooting section of the online manual if you have problems.\n");
    EXPECT_STREQ(TesselErrorText(7), "The application has attempted to access a Tessel function "
                                     "that is not available in 2D mode.\nPlease contact technical "
                                     "support.");
    EXPECT_STREQ(TesselErrorText(9),
                 "A DLL file that is required by windows to run\nin 3D mode cannot be "
                 "found.\n\nPlease reinstall the Tessel system files.\nSee the Troubleshooting "
                 "section of the online manual if you have problems.");
    EXPECT_STREQ(TesselErrorText(10),
                 "Tessel not initialized.\n\nPlease contact technical support.");
    for (const win::LONG other : {8, 11, -1, 0x10000}) {
        EXPECT_STREQ(TesselErrorText(other),
                     "Unknown Tessel error.\n\nPlease contact technical support.")
            << other;
    }
}

} // namespace
