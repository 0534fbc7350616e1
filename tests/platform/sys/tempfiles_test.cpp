#include "platform/sys/directories.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/tempfiles.h"
#include "support/sysfixture.h"

#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

using systest::ScopedEnvironment;
using systest::ScratchDirectory;

std::string TempPath() {
    char path[win::MAX_PATH] = {};
    win::GetTempPath(sizeof path, path);
    return path;
}

TEST(TempFiles, TempPathFollowsTmpdirWithATrailingSlash) {
    ScratchDirectory scratch;
    {
        ScopedEnvironment tmpdir("TMPDIR", (scratch.Path() + "//").c_str());
        EXPECT_EQ(TempPath(), scratch.Path() + "/");
        // Too small: the size needed, zero included, and the buffer untouched.
        char small[4] = "abc";
        EXPECT_EQ(win::GetTempPath(sizeof small, small), scratch.Path().size() + 2);
        EXPECT_EQ(std::string(small), "abc");
    }
    ScopedEnvironment unset("TMPDIR", nullptr);
    EXPECT_EQ(TempPath(), "/tmp/");
    char path[win::MAX_PATH];
    EXPECT_EQ(win::GetTempPath(sizeof path, path), 5u);
}

TEST(TempFiles, ChosenNamesAreUniquePrefixedAndCreated) {
    ScratchDirectory scratch;
    std::set<std::string> names;
    for (int i = 0; i < 300; ++i) {
        char name[win::MAX_PATH] = {};
        const win::UINT number = win::GetTempFileName(scratch.Path().c_str(), "bxstream", 0, name);
        ASSERT_NE(number, 0u);
        const std::string file = name;
        const std::string expectedStart = scratch.Path() + "/bxs";
        ASSERT_EQ(file.size(), expectedStart.size() + 8) << file;
        EXPECT_EQ(file.substr(0, expectedStart.size()), expectedStart);
        EXPECT_EQ(file.substr(file.size() - 4), ".tmp");
        EXPECT_EQ(std::stoul(file.substr(expectedStart.size(), 4), nullptr, 16), number);
        EXPECT_TRUE(std::filesystem::is_regular_file(file));
        EXPECT_EQ(std::filesystem::file_size(file), 0u);
        names.insert(file);
    }
    EXPECT_EQ(names.size(), 300u);

    // An empty prefix, and a directory given without its slash in Windows form.
    char name[win::MAX_PATH] = {};
    ASSERT_NE(win::GetTempFileName((scratch.Path() + "\\").c_str(), "", 0, name), 0u);
    EXPECT_EQ(std::string(name).size(), scratch.Path().size() + 1 + 8);
}

TEST(TempFiles, AGivenNumberOnlyFormsTheName) {
    ScratchDirectory scratch;
    char name[win::MAX_PATH] = {};
    EXPECT_EQ(win::GetTempFileName(scratch.Path().c_str(), "pxr", 0x1A2B, name), 0x1A2Bu);
    EXPECT_EQ(std::string(name), scratch.Path() + "/pxr1A2B.tmp");
    EXPECT_FALSE(systest::Exists(name));
    EXPECT_EQ(win::GetTempFileName(scratch.Path().c_str(), "b", 0x12345, name), 0x12345u);
    EXPECT_EQ(std::string(name), scratch.Path() + "/b2345.tmp");
}

TEST(TempFiles, FailuresSetTheLastError) {
    char name[win::MAX_PATH] = {};
    EXPECT_EQ(win::GetTempFileName("/nonexistent/directory", "bx", 0, name), 0u);
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_PATH_NOT_FOUND));
    const std::string tooLong(win::MAX_PATH, 'd');
    EXPECT_EQ(win::GetTempFileName(tooLong.c_str(), "bx", 0, name), 0u);
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_INVALID_PARAMETER));
    EXPECT_EQ(win::GetTempFileName(nullptr, "bx", 0, name), 0u);
    EXPECT_EQ(win::GetTempFileName("/tmp", "bx", 0, nullptr), 0u);
}

} // namespace
