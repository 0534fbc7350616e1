// Each registry test works on a registry file of its own in a fresh
// temporary directory, named through BINOXA_REGISTRY.
#pragma once

#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets or clears an environment variable until the test ends.
    void SetEnvironment(const char* name, const char* value);

    // Creates (or opens) the key below HKEY_CURRENT_USER with full access.
    win::HKEY CreateKey(const char* path);
    win::LONG SetDword(win::HKEY key, const char* name, win::DWORD value);
    // The value, or none when it cannot be read as a 4-byte value.
    std::optional<win::DWORD> QueryDword(win::HKEY key, const char* name);

    std::string directory; // removed with everything in it after the test
    std::string file;      // the registry file

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnvironment;
};

std::string ReadTextFile(const std::string& path);
void WriteTextFile(const std::string& path, const std::string& text);

// Runs `body` in a child process and gives its exit code (-1 if it died).
int RunInChild(const std::function<int()>& body);
