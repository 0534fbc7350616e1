#include "devicefixture.h"

#include "devices/tesselprobe.h"
#include "support/capturedlog.h"

namespace {

class TesselProbeTest : public DeviceTest {
protected:
    CapturedLog log;
};

TEST_F(TesselProbeTest, InstalledExactlyWhenTheInstallFinishedWithYes) {
    for (const char* yes : {"YES", "yes", "Yes", "yEs"}) {
        WriteTesselProfile(std::string("[INSTALL]\nFinished_Install=") + yes + "\n");
        EXPECT_TRUE(TesselClassicInstalled()) << yes;
    }
    for (const char* no : {"No", "NO", "YESS", "Y", "1", "true"}) {
        WriteTesselProfile(std::string("[INSTALL]\nFinished_Install=") + no + "\n");
        EXPECT_FALSE(TesselClassicInstalled()) << no;
    }
    WriteTesselProfile("[Install]\nfinished_install=YES\n");
    EXPECT_TRUE(TesselClassicInstalled()) << "names ignore case";
    WriteTesselProfile("[SETUP]\nFinished_Install=YES\n");
    EXPECT_FALSE(TesselClassicInstalled()) << "another section";
    EXPECT_EQ(log.Text(), "");
}

TEST_F(TesselProbeTest, AMissingFileMeansNotInstalledAndAnEmptyValueIsLogged) {
    EXPECT_FALSE(TesselClassicInstalled());
    EXPECT_EQ(log.Text(), "") << "the default \"No\" came back";
    WriteTesselProfile("[INSTALL]\nFinished_Install=\n");
    EXPECT_FALSE(TesselClassicInstalled());
    EXPECT_EQ(log.Text(), "ERROR: checking for tessel installation!\n");
}

} // namespace
