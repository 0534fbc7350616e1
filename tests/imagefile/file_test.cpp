#include "imagefile/plainfixtures.h"

#include "imagefile/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace fixtures;

namespace {

// The code and message of the pxFileError f throws.
template <typename F> std::pair<int, std::string> FileError(F f) {
    try {
        f();
    } catch (const pxFileError& e) {
        return {e.GetCode(), e.GetMessage()};
    }
    return {-1, "no error"};
}

} // namespace

TEST(File, WritesReadsAndSeeks) {
    const TempDir dir;
    const std::string path = dir.Write("f", {});
    {
        File out(path.c_str(), 'W');
        out.Write("0123456789", 10);
        out.SeekSet(2);
        out.Write("ab", 2);
    }
    File in(path.c_str(), 'R');
    EXPECT_EQ(in.Size(), 10);
    char text[5] = {};
    in.Read(text, 4);
    EXPECT_STREQ(text, "01ab");
    in.SeekCurrent(2);
    EXPECT_EQ(in.ReadChar(), '6');
    in.SeekEnd(-1);
    EXPECT_EQ(in.Tell(), 9);
    EXPECT_EQ(in.ReadChar(), '9');
    EXPECT_EQ(in.ReadChar(), EOF);
    EXPECT_EQ(in.GetName(), path);
}

TEST(File, FailuresCarryTheirCodes) {
    const TempDir dir;
    const std::string path = dir.Write("f", {'a', 'b', 'c'});
    using Result = std::pair<int, std::string>;

    EXPECT_EQ(FileError([&] { File f(path.c_str(), 'a'); }),
              Result(pxFileError::BAD_MODE, "Bad argument 'a' to File::File"));
    EXPECT_EQ(FileError([&] { File f("/no/such/file", 'r'); }),
              Result(pxFileError::OPEN_FAILED, "Cannot open file '/no/such/file'"));
    EXPECT_EQ(FileError([&] { File f("/no/such/dir/file", 'w'); }),
              Result(pxFileError::OPEN_FAILED, "Cannot open file '/no/such/dir/file'"));

    File in(path.c_str(), 'r');
    char buffer[8];
    EXPECT_EQ(FileError([&] { in.Read(buffer, 4); }),
              Result(pxFileError::READ_FAILED, "Cannot read 4 bytes"));
    EXPECT_EQ(FileError([&] { in.Read(buffer, -1); }),
              Result(pxFileError::READ_FAILED, "Cannot read -1 bytes"));
    EXPECT_EQ(FileError([&] { in.SeekSet(-5); }),
              Result(pxFileError::READ_FAILED, "Cannot Seek -5 bytes"));
    EXPECT_EQ(FileError([&] { in.Write("x", 1); }),
              Result(pxFileError::WRITE_FAILED, "Cannot write 1 bytes"));

    File out(dir.Write("g", {}).c_str(), 'w');
    EXPECT_EQ(FileError([&] { out.SeekCurrent(-5); }),
              Result(pxFileError::WRITE_FAILED, "Cannot Seek -5 bytes"));

    if (std::filesystem::exists("/dev/full")) {
        File full("/dev/full", 'w');
        const std::vector<char> block(1 << 16);
        EXPECT_EQ(FileError([&] { full.Write(block.data(), long(block.size())); }),
                  Result(pxFileError::WRITE_FAILED, "Cannot write 65536 bytes"));
    }
}

TEST(File, ReadAccessIsCheckedFirst) {
    const TempDir dir;
    const std::string path = dir.Write("f", {'a'});
    std::filesystem::permissions(path, std::filesystem::perms::none);
    if (::access(path.c_str(), R_OK) == 0)
        GTEST_SKIP() << "permissions do not apply to this user";
    EXPECT_EQ(
        FileError([&] { File f(path.c_str(), 'r'); }),
        std::make_pair(int(pxFileError::ACCESS_DENIED), "Read access_denied for '" + path + "'"));
}
