#include "platform/sys/directories.h"
#include "platform/sys/elfsection.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/versionblock.h"
#include "platform/sys/versioninfo.h"
#include "support/sysfixture.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using systest::ScopedEnvironment;
using systest::ScratchDirectory;

std::vector<char> VersionInfoOf(const std::string& file) {
    win::DWORD handle = 99;
    const win::DWORD size = win::GetFileVersionInfoSize(file.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    std::vector<char> block(size);
    if (size == 0 || !win::GetFileVersionInfo(file.c_str(), handle, size, block.data())) {
        return {};
    }
    return block;
}

// The string at path, or "(none)" when VerQueryValue finds nothing.
std::string Query(const std::vector<char>& block, const std::string& path) {
    void* value = nullptr;
    win::UINT length = 0;
    if (!win::VerQueryValue(block.data(), path.c_str(), &value, &length)) {
        return "(none)";
    }
    const char* text = static_cast<const char*>(value);
    EXPECT_EQ(length, std::strlen(text) + 1) << path;
    return text;
}

const std::string strings = "\\StringFileInfo\\040904B0\\";

TEST(VersionInfo, ReadsBackTheStringsEmbeddedAtBuildTime) {
    const std::vector<char> block = VersionInfoOf(VERSION_PROBE);
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(Query(block, strings + "ProductName"), "Binoxa Probe");
    EXPECT_EQ(Query(block, strings + "FileVersion"), "1.2.3.4");
    EXPECT_EQ(Query(block, strings + "ProductVersion"), "1.2.3.4");
    EXPECT_EQ(Query(block, strings + "LegalCopyright"), "Copyright \"Probe\" Makers\\2026");
    EXPECT_EQ(Query(block, strings + "FileDescription"), "Version information probe");
    EXPECT_EQ(Query(block, strings + "CompanyName"), "Norvane");
    EXPECT_EQ(Query(block, strings + "MIMEType"), "image/x-jps|image/x-pns|image/x-pxr");
    EXPECT_EQ(Query(block, strings + "FileExtents"), "jps|pns|pxr");
    EXPECT_EQ(Query(block, strings + "FileOpenName"),
              "Stereo JPEG files (*.jps)|Stereo PNG files (*.pns)|Norvane Resource files (*.pxr)");
    EXPECT_EQ(Query(block, "\\stringfileinfo\\040904b0\\productname"), "Binoxa Probe");
    EXPECT_EQ(Query(block, strings + "InternalName"), "(none)");
    EXPECT_EQ(Query(block, "\\StringFileInfo\\040904E4\\ProductName"), "(none)");
    EXPECT_EQ(Query(block, strings), "(none)");
    EXPECT_EQ(Query(block, "ProductName"), "(none)");

    void* value = nullptr;
    win::UINT length = 0;
    ASSERT_TRUE(win::VerQueryValue(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(win::VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const win::VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, win::VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010002u);

    ASSERT_TRUE(win::VerQueryValue(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    win::WORD translation[2];
    std::memcpy(translation, value, sizeof translation);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);

    EXPECT_FALSE(win::VerQueryValue(block.data(), nullptr, &value, &length));
    EXPECT_FALSE(win::VerQueryValue(nullptr, "\\", &value, &length));
}

TEST(VersionInfo, FindsTheCoreInTheSystemDirectoryByItsWindowsName) {
    // As the about box does: the system directory, a backslash and the DLL name.
    ScopedEnvironment systemDir("BINOXA_SYSTEM_DIR", PROBE_SYSTEM_DIR);
    char directory[win::MAX_PATH] = {};
    ASSERT_GT(win::GetSystemDirectory(directory, sizeof directory), 0u);
    const std::vector<char> block = VersionInfoOf(std::string(directory) + "\\BxVersionProbe.dll");
    EXPECT_EQ(Query(block, strings + "FileVersion"), "1.2.3.4");
}

TEST(VersionInfo, ASmallBufferKeepsWhatFits) {
    const win::DWORD size = win::GetFileVersionInfoSize(VERSION_PROBE, nullptr);
    ASSERT_GT(size, 64u);
    // The open-dialog names come last; ten bytes short cuts them off.
    std::vector<char> block(size - 10);
    ASSERT_TRUE(win::GetFileVersionInfo(VERSION_PROBE, 0, size - 10, block.data()));
    EXPECT_EQ(Query(block, strings + "FileOpenName"), "(none)");
    EXPECT_EQ(Query(block, strings + "FileExtents"), "jps|pns|pxr");

    std::vector<char> tiny(8);
    EXPECT_FALSE(win::GetFileVersionInfo(VERSION_PROBE, 0, 8, tiny.data()));
    EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(win::ERROR_INSUFFICIENT_BUFFER));
    EXPECT_FALSE(win::GetFileVersionInfo(VERSION_PROBE, 0, size, nullptr));
}

TEST(VersionInfo, FilesWithoutItFailWithoutHarm) {
    const auto expectNone = [](const std::string& file, win::LONG error) {
        win::SetLastError(win::ERROR_SUCCESS);
        EXPECT_EQ(win::GetFileVersionInfoSize(file.c_str(), nullptr), 0u) << file;
        EXPECT_EQ(win::GetLastError(), static_cast<win::DWORD>(error)) << file;
        std::vector<char> block(4096);
        EXPECT_FALSE(win::GetFileVersionInfo(file.c_str(), 0, 4096, block.data())) << file;
    };
    ScratchDirectory scratch;
    expectNone(PLAIN_PROBE, win::ERROR_RESOURCE_TYPE_NOT_FOUND);
    expectNone(scratch.File("missing.dll"), win::ERROR_FILE_NOT_FOUND);
    expectNone(scratch.Path(), win::ERROR_RESOURCE_TYPE_NOT_FOUND);

    std::mt19937 random(6);
    std::string garbage(8192, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random());
    }
    systest::WriteFile(scratch.File("garbage"), garbage);
    expectNone(scratch.File("garbage"), win::ERROR_RESOURCE_TYPE_NOT_FOUND);
    systest::WriteFile(scratch.File("elfgarbage"), "\x7f"
                                                   "ELF\x02\x01" +
                                                       garbage);
    expectNone(scratch.File("elfgarbage"), win::ERROR_RESOURCE_TYPE_NOT_FOUND);

    // Cut short anywhere, the probe loses its section headers (kept at the end).
    const std::string probe = systest::ReadFile(VERSION_PROBE);
    for (std::size_t length :
         {std::size_t{0}, std::size_t{4}, std::size_t{63}, std::size_t{64}, probe.size() / 3,
          probe.size() / 2, probe.size() - 65, probe.size() - 1}) {
        systest::WriteFile(scratch.File("cut"), probe.substr(0, length));
        expectNone(scratch.File("cut"), win::ERROR_RESOURCE_TYPE_NOT_FOUND);
    }
}

TEST(VersionInfo, HostileSectionTablesAreNotFollowed) {
    const std::string probe = systest::ReadFile(VERSION_PROBE);
    std::uint64_t tableOffset = 0;
    std::memcpy(&tableOffset, probe.data() + 0x28, sizeof tableOffset); // e_shoff
    ASSERT_LT(tableOffset, probe.size());
    const auto sectionOf = [](const std::string& file) {
        const auto bytes = std::as_bytes(std::span(file.data(), file.size()));
        return win::internal::ReadElfSection(win::internal::ReadFromMemory(bytes),
                                             win::internal::versionSectionName, 65536);
    };
    ASSERT_TRUE(sectionOf(probe).has_value());

    // Every byte of the section table in turn set to 0xFF: offsets, sizes and
    // name indexes point anywhere, and nothing may be read outside the file.
    for (std::size_t at = tableOffset; at < probe.size(); ++at) {
        std::string hostile = probe;
        hostile[at] = '\xFF';
        const auto section = sectionOf(hostile);
        if (section) {
            EXPECT_LE(section->size(), 65536u);
        }
    }
    std::string hugeTable = probe;
    std::memset(hugeTable.data() + 0x28, 0xFF, 8);
    EXPECT_FALSE(sectionOf(hugeTable).has_value());
}

TEST(VersionInfo, BlocksKeepOnlyCompletePairs) {
    const auto blockOf = [](std::string_view section) {
        return win::internal::MakeVersionBlock(std::as_bytes(std::span(section)));
    };
    EXPECT_TRUE(blockOf("").empty());
    EXPECT_TRUE(blockOf(std::string_view("\0\0\0", 3)).empty());
    EXPECT_TRUE(blockOf(std::string_view("ProductName\0Binoxa", 18)).empty());

    // Zeros between pairs (sections of several objects joined) are passed over.
    const auto bytes = blockOf(std::string_view("A\0one\0\0\0\0B\0\0C\0three", 19));
    std::vector<char> block(bytes.size());
    std::memcpy(block.data(), bytes.data(), bytes.size());
    EXPECT_EQ(Query(block, strings + "A"), "one");
    EXPECT_EQ(Query(block, strings + "B"), "");
    EXPECT_EQ(Query(block, strings + "C"), "(none)");
}

} // namespace
