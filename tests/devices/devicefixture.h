// What the device binding tests share: a scratch home for the registry, the
// profile files and the drivers' configuration files, the build tree's system
// directory as the place drivers are loaded from, message boxes answered and
// recorded, and the test controls of a simulated driver.
#pragma once

#include "drivers/testcontrols.h"
#include "platform/dialogs/messagebox.h"
#include "platform/registry/registry.h"
#include "platform/sys/libraries.h"
#include "platform/win/promptresponder.h"
#include "support/recordedboxes.h"
#include "support/sysfixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// A simulated driver loaded for its test controls; the reference held here
// keeps its state while the code under test loads and frees it.
class SimulatedDriver {
public:
    explicit SimulatedDriver(const char* fileName) : module(win::LoadLibrary(fileName)) {
        if (module) {
            Reset();
        }
    }
    ~SimulatedDriver() {
        if (module) {
            win::FreeLibrary(module);
        }
    }
    SimulatedDriver(const SimulatedDriver&) = delete;
    SimulatedDriver& operator=(const SimulatedDriver&) = delete;

    bool Loaded() const { return module != nullptr; }
    // Forgets the calls and reads the configuration again.
    void Reset() const { Control<SimResetFunction>("SimReset")(); }
    void FailNext(const char* function, long status) const {
        Control<SimFailNextFunction>("SimFailNext")(function, status);
    }
    std::string Calls() const { return Control<SimCallsFunction>("SimCalls")(); }

private:
    template <typename Function> Function Control(const char* name) const {
        return reinterpret_cast<Function>(win::GetProcAddress(module, name));
    }
    win::HMODULE module;
};

// The simulated drivers' configuration files, each named by its variable
// for as long as this lives.
class DriverConfigurations {
public:
    void Configure(const systest::ScratchDirectory& scratch, const char* variable,
                   const std::string& text) {
        const std::string path = scratch.File(std::string(variable) + ".conf");
        systest::WriteFile(path, text);
        variables.push_back(std::make_unique<systest::ScopedEnvironment>(variable, path.c_str()));
    }
    void Clear() { variables.clear(); }

private:
    std::vector<std::unique_ptr<systest::ScopedEnvironment>> variables;
};

// The default value of HKEY_CLASSES_ROOT\OSPI, where the OSPI library is.
inline void SetOspiDirectory(const std::string& directory) {
    win::HKEY key = nullptr;
    ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_CLASSES_ROOT, "OSPI", 0, nullptr, 0,
                                  win::KEY_ALL_ACCESS, nullptr, &key, nullptr),
              win::ERROR_SUCCESS);
    EXPECT_EQ(win::RegSetValueEx(key, nullptr, 0, win::REG_SZ,
                                 reinterpret_cast<const win::BYTE*>(directory.c_str()),
                                 static_cast<win::DWORD>(directory.size() + 1)),
              win::ERROR_SUCCESS);
    win::RegCloseKey(key);
}

class DeviceTest : public ::testing::Test {
protected:
    DeviceTest()
        : systemDir("BINOXA_SYSTEM_DIR", TEST_SYSTEM_DIR),
          registry("BINOXA_REGISTRY", scratch.File("registry.reg").c_str()),
          configHome("XDG_CONFIG_HOME", scratch.Path().c_str()),
          platform("BINOXA_OS_PLATFORM", nullptr) {}

    // Writes a configuration file for the driver that reads `variable` and
    // points the variable at it; the driver reads it at its next reset.
    void Configure(const char* variable, const std::string& text) {
        configurations.Configure(scratch, variable, text);
    }

    // Writes z_tessel.ini where the profile functions look for it.
    void WriteTesselProfile(const std::string& text) const {
        systest::WriteFile(scratch.File("binoxa/z_tessel.ini"), text);
    }

    systest::ScratchDirectory scratch;
    RecordedBoxes boxes;

private:
    systest::ScopedEnvironment systemDir;
    systest::ScopedEnvironment registry;
    systest::ScopedEnvironment configHome;
    systest::ScopedEnvironment platform;
    DriverConfigurations configurations;
};

// A system directory holding one library (from the build tree's system
// directory unless told) under another library's name, as a damaged or
// foreign installation would.
inline std::string ImpostorDirectory(const systest::ScratchDirectory& scratch,
                                     const std::string& name, const std::string& realName,
                                     const std::string& realDirectory = TEST_SYSTEM_DIR) {
    const std::string directory = scratch.File("impostor");
    std::filesystem::create_directories(directory);
    std::filesystem::create_symlink(realDirectory + "/" + realName, directory + "/" + name);
    return directory;
}

// How the simulated drivers show a pointer argument.
inline std::string PointerText(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return text;
}

// The lines of a call record, without their newlines.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         start = end + 1, end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}
