#include "imaging/pxerror.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs each test in a fresh directory so the log lands where we can read it.
class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = std::filesystem::current_path();
        dir = std::filesystem::temp_directory_path() /
              ("binoxa-log-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        pxSetLogName(nullptr);
    }
    void TearDown() override {
        pxSetLogName(nullptr);
        pxSetExceptionLogging(false);
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path previous;
    std::filesystem::path dir;
};

} // namespace

TEST(PxError, MessagesAreFormattedCutAndSharedByCopies) {
    EXPECT_STREQ(pxError().GetMessage(), "<UNDEFINED EXCEPTION>");
    EXPECT_STREQ(pxError("Bad depth match in CopyImage: dest=%d  src=%d", 1, 3).GetMessage(),
                 "Bad depth match in CopyImage: dest=1  src=3");

    const std::string longText(5000, 'x');
    const pxError cut("%s", longText.c_str());
    EXPECT_EQ(std::string(cut.GetMessage()), longText.substr(0, pxError::kMaxMessage));

    // A copy must stay readable after the original is gone (the thrown object
    // is destroyed before a handler's copy).
    std::optional<pxError> original(std::in_place, "lost %s", "pixels");
    const pxError copy = *original;
    original.reset();
    EXPECT_STREQ(copy.GetMessage(), "lost pixels");
    EXPECT_STREQ(copy.what(), "lost pixels");

    try {
        throw pxError("code %d", 7);
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "code 7");
    }
}

TEST_F(LogTest, AppendsOneLinePerCallToTamberLogInTheCurrentDirectory) {
    EXPECT_EQ(pxGetLogName(), "TAMBER.LOG");
    pxLog("WinDisp::SetupDDSurfaces -- %s", "first");
    EXPECT_EQ(ReadFile(dir / "TAMBER.LOG"), "WinDisp::SetupDDSurfaces -- first\n");
    pxLog("second %d", 2);
    EXPECT_EQ(ReadFile(dir / "TAMBER.LOG"), "WinDisp::SetupDDSurfaces -- first\nsecond 2\n");
    // The file is closed after every line: removing it between calls is fine.
    std::filesystem::remove(dir / "TAMBER.LOG");
    pxLog("third");
    EXPECT_EQ(ReadFile(dir / "TAMBER.LOG"), "third\n");
}

TEST_F(LogTest, VeryLongLineIsCutToTheGrownBuffer) {
    const std::string line(50000, 'L');
    pxLog("%s", line.c_str());
    const std::string written = ReadFile(dir / "TAMBER.LOG");
    // 102 characters doubled until above 10,000 gives 13,056: 13,055 and the
    // terminator.
    ASSERT_EQ(written.size(), 13055u + 1);
    EXPECT_EQ(written, std::string(13055, 'L') + "\n");

    // Lines that fit are never cut.
    std::filesystem::remove(dir / "TAMBER.LOG");
    const std::string fits(9000, 'f');
    pxLog("%s", fits.c_str());
    EXPECT_EQ(ReadFile(dir / "TAMBER.LOG"), fits + "\n");
}

TEST_F(LogTest, ReplacementNameUnwritableFileAndExceptionLogging) {
    pxSetLogName("other.log");
    pxLog("to the other file");
    EXPECT_EQ(ReadFile(dir / "other.log"), "to the other file\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "TAMBER.LOG"));

    pxSetLogName((dir / "no-such-dir" / "x.log").c_str());
    EXPECT_NO_THROW(pxLog("dropped"));

    pxSetLogName(nullptr);
    { pxError quiet("not logged"); }
    EXPECT_FALSE(std::filesystem::exists(dir / "TAMBER.LOG"));
    pxSetExceptionLogging(true);
    { pxError loud("Problem %s", "generating colormap"); }
    { pxError undefined; }
    EXPECT_EQ(ReadFile(dir / "TAMBER.LOG"), "Exception: Problem generating colormap\n\n");
}
