// The registry file: where it is, what it holds, and how processes share it.
#include "registryfixture.h"

#include "platform/registry/registrytext.h"

#include <filesystem>
#include <random>
#include <thread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace win;
using internal::ParseRegistryText;
using internal::RegistryParseResult;

namespace {

std::vector<std::string> FilesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

DWORD ValueCount(HKEY key) {
    DWORD count = 0;
    EXPECT_EQ(RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                              nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    return count;
}

} // namespace

TEST_F(RegistryTest, EveryChangeIsInTheFileAtOnceAndReadsBackFresh) {
    const HKEY key = CreateKey("Software\\Norvane\\Common\\Preferences");
    SetDword(key, "StereoView", 42);
    const char text[] = "quote \" and \\ backslash";
    RegSetValueEx(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text - 1);
    RegCloseKey(key);
    EXPECT_EQ(ReadTextFile(file), "REGEDIT4\n"
                                  "\n"
                                  "[HKEY_CURRENT_USER\\Software]\n"
                                  "\n"
                                  "[HKEY_CURRENT_USER\\Software\\Norvane]\n"
                                  "\n"
                                  "[HKEY_CURRENT_USER\\Software\\Norvane\\Common]\n"
                                  "\n"
                                  "[HKEY_CURRENT_USER\\Software\\Norvane\\Common\\Preferences]\n"
                                  "\"StereoView\"=dword:0000002a\n"
                                  "\"Text\"=\"quote \\\" and \\\\ backslash\"\n"
                                  "\n");

    // A copy of the file under another name is read from scratch.
    const std::string copy = directory + "/copy.reg";
    std::filesystem::copy_file(file, copy);
    SetEnvironment("BINOXA_REGISTRY", copy.c_str());
    HKEY reread = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Norvane\\Common\\Preferences", 0, KEY_READ,
                           &reread),
              ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(reread, "StereoView"), 42u);
    char back[64] = {};
    DWORD size = sizeof back;
    ASSERT_EQ(
        RegQueryValueEx(reread, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(back), &size),
        ERROR_SUCCESS);
    EXPECT_STREQ(back, text);
    RegCloseKey(reread);

    // Reading alone never writes the file.
    const auto written = std::filesystem::last_write_time(copy);
    HKEY readOnly = nullptr;
    RegCreateKeyEx(HKEY_CURRENT_USER, "Software", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                   nullptr, &readOnly, nullptr);
    RegCloseKey(readOnly);
    EXPECT_EQ(std::filesystem::last_write_time(copy), written);
}

TEST_F(RegistryTest, ChangesMadeByOtherProcessesAreSeenAtTheNextCall) {
    const HKEY key = CreateKey("Shared");
    SetDword(key, "Counter", 1);
    ASSERT_EQ(QueryDword(key, "Counter"), 1u);

    EXPECT_EQ(RunInChild([] {
                  HKEY child = nullptr;
                  RegOpenKeyEx(HKEY_CURRENT_USER, "Shared", 0, KEY_ALL_ACCESS, &child);
                  const DWORD two = 2;
                  return RegSetValueEx(child, "Counter", 0, REG_DWORD,
                                       reinterpret_cast<const BYTE*>(&two), 4) == ERROR_SUCCESS
                             ? 0
                             : 1;
              }),
              0);
    EXPECT_EQ(QueryDword(key, "Counter"), 2u);

    // An editor rewriting the file in place.
    WriteTextFile(file, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Shared]\n\"Counter\"=dword:00000003\n");
    EXPECT_EQ(QueryDword(key, "Counter"), 3u);

    // Another process deleting the key under an open handle.
    WriteTextFile(file, "REGEDIT4\n");
    EXPECT_EQ(RegQueryValueEx(key, "Counter", nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    std::filesystem::remove(file);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Shared", 0, KEY_READ, nullptr),
              ERROR_INVALID_PARAMETER);
    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Shared", 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryTest, TwoProcessesWritingAtTheSameTimeLoseNothing) {
    constexpr int kWrites = 150;
    RegCloseKey(CreateKey("Race"));
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            close(start[1]);
            char go;
            if (read(start[0], &go, 1) != 0) // both start when the pipe closes
                _exit(2);
            HKEY key = nullptr;
            if (RegOpenKeyEx(HKEY_CURRENT_USER, "Race", 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
                _exit(3);
            for (int i = 0; i < kWrites; ++i) {
                const std::string name = (w == 0 ? "A" : "B") + std::to_string(i);
                const DWORD value = static_cast<DWORD>(i);
                if (RegSetValueEx(key, name.c_str(), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&value), 4) != ERROR_SUCCESS)
                    _exit(4);
            }
            _exit(0);
        }
    }
    close(start[0]);
    close(start[1]);
    for (pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Race", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(ValueCount(key), 2u * kWrites);
    for (int i = 0; i < kWrites; ++i) {
        EXPECT_EQ(QueryDword(key, ("A" + std::to_string(i)).c_str()), static_cast<DWORD>(i));
        EXPECT_EQ(QueryDword(key, ("B" + std::to_string(i)).c_str()), static_cast<DWORD>(i));
    }
    RegCloseKey(key);
}

TEST_F(RegistryTest, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    // The writer adds V0, V1, V2, ... one value per change; whenever it is
    // killed, the file must hold exactly V0 to Vn for some n.
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> delay(0, 30000);
    RegCloseKey(CreateKey("Killed"));
    for (int round = 0; round < 25; ++round) {
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            HKEY key = nullptr;
            RegOpenKeyEx(HKEY_CURRENT_USER, "Killed", 0, KEY_ALL_ACCESS, &key);
            for (DWORD next = ValueCount(key);; ++next) {
                const std::string name = "V" + std::to_string(next);
                RegSetValueEx(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&next),
                              4);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);

        const RegistryParseResult parsed = ParseRegistryText(ReadTextFile(file));
        ASSERT_TRUE(parsed.tree) << "round " << round << ", line " << parsed.line << ": "
                                 << parsed.problem;
        const internal::RegistryKey* key = parsed.tree->currentUser.Find({"Killed"});
        ASSERT_NE(key, nullptr);
        for (size_t i = 0; i < key->Values().size(); ++i)
            ASSERT_EQ(key->Values()[i].name, "V" + std::to_string(i)) << "round " << round;
    }
    for (const std::string& name : FilesIn(directory))
        EXPECT_EQ(name.find("broken"), std::string::npos) << name;

    // What the killed writers left behind does not stop the next one.
    HKEY key = CreateKey("Killed");
    const DWORD before = ValueCount(key);
    EXPECT_EQ(SetDword(key, "After", 1), ERROR_SUCCESS);
    EXPECT_EQ(ValueCount(key), before + 1);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AFileThatCannotBeReadIsKeptAsideAndLogged) {
    const std::string broken = "REGEDIT4\n[HKEY_CURRENT_USER\\Prefs]\n\"Oops\"=dword:xyz\n";
    WriteTextFile(file, broken);
    const auto workingDirectory = std::filesystem::current_path();
    std::filesystem::current_path(directory); // the log goes to the current directory

    HKEY key = nullptr;
    const LONG opened = RegOpenKeyEx(HKEY_CURRENT_USER, "Prefs", 0, KEY_READ, &key);
    std::filesystem::current_path(workingDirectory);
    EXPECT_EQ(opened, ERROR_FILE_NOT_FOUND); // the registry starts empty

    const std::vector<std::string> names = FilesIn(directory);
    ASSERT_EQ(names.size(), 3u); // TAMBER.LOG, registry.reg.broken-<time>, registry.reg.lock
    EXPECT_EQ(names[0], "TAMBER.LOG");
    EXPECT_TRUE(names[1].starts_with("registry.reg.broken-")) << names[1];
    EXPECT_EQ(names[2], "registry.reg.lock");
    const std::string aside = directory + "/" + names[1];
    EXPECT_EQ(ReadTextFile(aside), broken);
    EXPECT_EQ(ReadTextFile(directory + "/TAMBER.LOG"),
              "RegistryStore::Load -- ERROR: cannot read '" + file +
                  "' (line 3: dword: needs 1 to 8 hex digits); moved it to '" + aside +
                  "' and started empty\n");

    // The next change starts a new file and leaves the broken one alone.
    key = CreateKey("Prefs");
    EXPECT_EQ(SetDword(key, "Fine", 1), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(ParseRegistryText(ReadTextFile(file)).tree);
    EXPECT_EQ(ReadTextFile(aside), broken);

    // A second broken file gets a name of its own.
    WriteTextFile(file, broken);
    std::filesystem::current_path(directory);
    EXPECT_EQ(QueryDword(HKEY_CURRENT_USER, "Fine"), std::nullopt);
    std::filesystem::current_path(workingDirectory);
    int asides = 0;
    for (const std::string& name : FilesIn(directory))
        asides += name.starts_with("registry.reg.broken-");
    EXPECT_EQ(asides, 2);
}

TEST_F(RegistryTest, TheFileLivesInTheUserConfigDirectoryUnlessNamed) {
    SetEnvironment("BINOXA_REGISTRY", nullptr);
    SetEnvironment("XDG_CONFIG_HOME", (directory + "/config").c_str());
    EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "Where", 1), ERROR_SUCCESS); // directories made
    EXPECT_TRUE(std::filesystem::exists(directory + "/config/binoxa/registry.reg"));

    SetEnvironment("XDG_CONFIG_HOME", nullptr);
    SetEnvironment("HOME", (directory + "/home").c_str());
    EXPECT_EQ(QueryDword(HKEY_CURRENT_USER, "Where"), std::nullopt);
    EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "Where", 2), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(directory + "/home/.config/binoxa/registry.reg"));

    SetEnvironment("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(QueryDword(HKEY_CURRENT_USER, "Where"), 2u);
}

TEST_F(RegistryTest, AFileThatCannotBeWrittenOrReadGivesRegistryErrors) {
    WriteTextFile(directory + "/plain", "not a directory");
    SetEnvironment("BINOXA_REGISTRY", (directory + "/plain/registry.reg").c_str());
    EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "Value", 1), ERROR_CANTWRITE);
    EXPECT_EQ(RegQueryValueEx(HKEY_CURRENT_USER, "Value", nullptr, nullptr, nullptr, nullptr),
              ERROR_CANTREAD);
}
