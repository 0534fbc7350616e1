#include "platform/sys/files.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/tempfiles.h"
#include "support/sysfixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

using systest::Exists;
using systest::ReadFile;
using systest::ScratchDirectory;

win::DWORD LastError() {
    return win::GetLastError();
}

constexpr win::DWORD Error(win::LONG code) {
    return static_cast<win::DWORD>(code);
}

TEST(Files, DeleteOnCloseRemovesTheFileWhenItsHandleCloses) {
    ScratchDirectory scratch;
    // The extraction of a wrapped animation: a unique "pxr" name with "avi"
    // for its last three characters, written and removed on closing.
    char name[win::MAX_PATH] = {};
    ASSERT_NE(win::GetTempFileName(scratch.Path().c_str(), "pxr", 0, name), 0u);
    std::string animation = name;
    animation.replace(animation.size() - 3, 3, "avi");

    win::HANDLE file = win::CreateFile(animation.c_str(), win::GENERIC_WRITE, 0, nullptr,
                                       win::CREATE_ALWAYS, win::FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, win::INVALID_HANDLE_VALUE);
    win::DWORD written = 0;
    EXPECT_TRUE(win::WriteFile(file, "RIFF1234", 8, &written, nullptr));
    EXPECT_EQ(written, 8u);
    EXPECT_EQ(ReadFile(animation), "RIFF1234"); // readable by name while open
    // A change of directory does not misdirect the removal.
    const auto directory = std::filesystem::current_path();
    std::filesystem::current_path("/");
    EXPECT_TRUE(win::CloseHandle(file));
    std::filesystem::current_path(directory);
    EXPECT_FALSE(Exists(animation));
    EXPECT_FALSE(win::CloseHandle(file));
    EXPECT_EQ(LastError(), Error(win::ERROR_INVALID_HANDLE));

    // The empty file the unique name left, found again with "tmp" put back.
    animation.replace(animation.size() - 3, 3, "tmp");
    EXPECT_TRUE(win::DeleteFile(animation.c_str()));
    EXPECT_FALSE(Exists(animation));
}

TEST(Files, CreateFileFollowsTheCreationDisposition) {
    ScratchDirectory scratch;
    const std::string path = scratch.File("data.bin");
    const auto create = [&path](win::DWORD disposition) {
        return win::CreateFile(path.c_str(), win::GENERIC_READ | win::GENERIC_WRITE,
                               win::FILE_SHARE_READ, nullptr, disposition,
                               win::FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    EXPECT_EQ(create(win::OPEN_EXISTING), win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), Error(win::ERROR_FILE_NOT_FOUND));

    win::HANDLE file = create(win::CREATE_NEW);
    ASSERT_NE(file, win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), Error(win::ERROR_SUCCESS));
    EXPECT_TRUE(win::WriteFile(file, "contents", 8, nullptr, nullptr));
    EXPECT_TRUE(win::CloseHandle(file));
    EXPECT_EQ(ReadFile(path), "contents");

    EXPECT_EQ(create(win::CREATE_NEW), win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), Error(win::ERROR_FILE_EXISTS));
    file = create(win::OPEN_ALWAYS);
    EXPECT_EQ(LastError(), Error(win::ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(win::CloseHandle(file));
    EXPECT_EQ(ReadFile(path), "contents");
    file = create(win::CREATE_ALWAYS);
    EXPECT_EQ(LastError(), Error(win::ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(win::CloseHandle(file));
    EXPECT_EQ(ReadFile(path), "");
    EXPECT_TRUE(Exists(path)); // no delete-on-close asked for

    EXPECT_EQ(create(99), win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), Error(win::ERROR_INVALID_PARAMETER));
    EXPECT_EQ(win::CreateFile(scratch.Path().c_str(), win::GENERIC_READ, 0, nullptr,
                              win::OPEN_EXISTING, 0, nullptr),
              win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), Error(win::ERROR_ACCESS_DENIED));
    int notAFile = 0;
    EXPECT_FALSE(win::WriteFile(&notAFile, "x", 1, nullptr, nullptr));
    EXPECT_EQ(LastError(), Error(win::ERROR_INVALID_HANDLE));
}

TEST(Files, CopyFileHonoursFailIfExists) {
    ScratchDirectory scratch;
    const std::string source = scratch.File("source.jps");
    const std::string target = scratch.File("target.jps");
    systest::WriteFile(source, std::string("stereo\0pair", 11));
    std::filesystem::permissions(source, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write |
                                             std::filesystem::perms::group_read);

    EXPECT_TRUE(win::CopyFile(source.c_str(), target.c_str(), win::TRUE));
    EXPECT_EQ(ReadFile(target), std::string("stereo\0pair", 11));
    EXPECT_EQ(std::filesystem::status(target).permissions(),
              std::filesystem::status(source).permissions());

    systest::WriteFile(target, "older");
    EXPECT_FALSE(win::CopyFile(source.c_str(), target.c_str(), win::TRUE));
    EXPECT_EQ(LastError(), Error(win::ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadFile(target), "older");
    EXPECT_TRUE(win::CopyFile(source.c_str(), target.c_str(), win::FALSE));
    EXPECT_EQ(ReadFile(target), std::string("stereo\0pair", 11));

    // Copying a file onto itself must not empty it.
    EXPECT_FALSE(win::CopyFile(source.c_str(), source.c_str(), win::FALSE));
    EXPECT_EQ(LastError(), Error(win::ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadFile(source), std::string("stereo\0pair", 11));

    EXPECT_FALSE(win::CopyFile(scratch.File("missing").c_str(), target.c_str(), win::FALSE));
    EXPECT_EQ(LastError(), Error(win::ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(win::CopyFile(source.c_str(), scratch.File("no/such/dir").c_str(), win::FALSE));
    EXPECT_EQ(LastError(), Error(win::ERROR_PATH_NOT_FOUND));
}

TEST(Files, DeleteFileReportsWhatStoodInTheWay) {
    ScratchDirectory scratch;
    EXPECT_FALSE(win::DeleteFile(scratch.File("missing").c_str()));
    EXPECT_EQ(LastError(), Error(win::ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(win::DeleteFile(scratch.Path().c_str()));
    EXPECT_EQ(LastError(), Error(win::ERROR_ACCESS_DENIED));
    EXPECT_FALSE(win::DeleteFile(nullptr));
    EXPECT_EQ(LastError(), Error(win::ERROR_INVALID_PARAMETER));
}

} // namespace
