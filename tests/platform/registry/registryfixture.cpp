#include "registryfixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

using namespace win;

void RegistryTest::SetUp() {
    char pattern[] = "/tmp/binoxa-registry-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory = pattern;
    file = directory + "/registry.reg";
    SetEnvironment("BINOXA_REGISTRY", file.c_str());
}

void RegistryTest::TearDown() {
    for (auto it = savedEnvironment.rbegin(); it != savedEnvironment.rend(); ++it) {
        if (it->second)
            setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            unsetenv(it->first.c_str());
    }
    std::filesystem::remove_all(directory);
}

void RegistryTest::SetEnvironment(const char* name, const char* value) {
    const char* old = std::getenv(name);
    savedEnvironment.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

HKEY RegistryTest::CreateKey(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
}

LONG RegistryTest::SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                         sizeof value);
}

std::optional<DWORD> RegistryTest::QueryDword(HKEY key, const char* name) {
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

int RunInChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
