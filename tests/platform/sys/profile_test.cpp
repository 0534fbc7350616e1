#include "platform/sys/lasterror.h"
#include "platform/sys/profile.h"
#include "support/sysfixture.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using systest::ScopedEnvironment;
using systest::ScratchDirectory;

class Profile : public ::testing::Test {
protected:
    Profile() {
        systest::WriteFile(config.File("binoxa/z_tessel.ini"),
                           "; written by the Tessel installer\r\n"
                           "orphan=before any section\r\n"
                           "[INSTALL]\r\n"
                           "  Finished_Install = YES  \r\n"
                           "Path=\"C:\\TESSEL \"\r\n"
                           "Empty=\r\n"
                           "Finished_Install=second\r\n"
                           "no value line\r\n"
                           "[ Display ]\r\n"
                           "Mode='800x600'\r\n"
                           "Long=abcdefghij\r\n");
    }

    // The value and the result of one call with a buffer of the given size.
    std::pair<std::string, win::DWORD> Read(const char* section, const char* key,
                                            const char* defaultValue, win::DWORD size = 64,
                                            const char* file = "z_tessel.ini") {
        std::string buffer(size + 1, '#');
        const win::DWORD result =
            win::GetPrivateProfileString(section, key, defaultValue, buffer.data(), size, file);
        return {std::string(buffer.c_str()), result};
    }

    ScratchDirectory config;
    ScopedEnvironment configHome{"XDG_CONFIG_HOME", config.Path().c_str()};
};

using Result = std::pair<std::string, win::DWORD>;

TEST_F(Profile, FindsValuesIgnoringCase) {
    EXPECT_EQ(Read("INSTALL", "Finished_Install", "No", 32), Result("YES", 3));
    EXPECT_EQ(Read("install", "FINISHED_INSTALL", "No", 32), Result("YES", 3));
    EXPECT_EQ(Read("Install", "path", ""), Result("C:\\TESSEL ", 10)); // quotes removed
    EXPECT_EQ(Read("DISPLAY", "mode", ""), Result("800x600", 7));
    EXPECT_EQ(Read("install", "empty", "No"), Result("", 0));
}

TEST_F(Profile, AnswersTheDefaultForWhatIsMissing) {
    win::SetLastError(win::ERROR_SUCCESS);
    EXPECT_EQ(Read("INSTALL", "Finished_Install", "No", 32, "missing.ini"), Result("No", 2));
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Read("NoSuchSection", "Finished_Install", "No"), Result("No", 2));
    EXPECT_EQ(Read("INSTALL", "NoSuchKey", "No"), Result("No", 2));
    EXPECT_EQ(Read("INSTALL", "orphan", "No"), Result("No", 2));
    EXPECT_EQ(Read("INSTALL", "no value line", "No"), Result("No", 2));
    EXPECT_EQ(Read("INSTALL", "NoSuchKey", nullptr), Result("", 0));
    EXPECT_EQ(Read("INSTALL", "NoSuchKey", "No   "), Result("No", 2)); // trailing blanks go
}

TEST_F(Profile, CutsValuesToTheBufferAsWin32Does) {
    EXPECT_EQ(Read("display", "long", "", 11), Result("abcdefghij", 10));
    EXPECT_EQ(Read("display", "long", "", 10), Result("abcdefghi", 9));
    EXPECT_EQ(Read("display", "long", "", 1), Result("", 0));
    EXPECT_EQ(Read("display", "missing", "0123456789", 4), Result("012", 3));

    char untouched = '#';
    EXPECT_EQ(win::GetPrivateProfileString("display", "long", "", &untouched, 0, "z_tessel.ini"),
              0u);
    EXPECT_EQ(untouched, '#');
    EXPECT_EQ(win::GetPrivateProfileString("display", "long", "", nullptr, 10, "z_tessel.ini"), 0u);
}

TEST_F(Profile, ListsSectionsAndKeysEachEndedByAZero) {
    const auto list = [](const char* section, win::DWORD size, win::DWORD* result) {
        std::string buffer(size, '#');
        *result = win::GetPrivateProfileString(section, nullptr, "default", buffer.data(), size,
                                               "z_tessel.ini");
        return buffer;
    };
    win::DWORD result = 0;
    EXPECT_EQ(list(nullptr, 20, &result), std::string("INSTALL\0Display\0\0###", 20));
    EXPECT_EQ(result, 16u);
    EXPECT_EQ(list("display", 12, &result), std::string("Mode\0Long\0\0#", 12));
    EXPECT_EQ(result, 10u);
    // Too small: the last name is cut and two zeros end the list.
    EXPECT_EQ(list(nullptr, 11, &result), std::string("INSTALL\0D\0\0", 11));
    EXPECT_EQ(result, 9u);
    EXPECT_EQ(list("nosuchsection", 4, &result), std::string("\0###", 4));
    EXPECT_EQ(result, 0u);
}

TEST_F(Profile, NamesWithADirectoryAreUsedAsGiven) {
    ScratchDirectory elsewhere;
    systest::WriteFile(elsewhere.File("settings.ini"), "[a]\nb=c\n");
    const std::string windowsStyle = elsewhere.Path() + "\\settings.ini";
    EXPECT_EQ(Read("A", "B", "", 64, windowsStyle.c_str()), Result("c", 1));
    EXPECT_EQ(Read("A", "B", "none", 64, "settings.ini"), Result("none", 4));
}

} // namespace
