// Puts the process-wide adapter on a profile written by the test.
#pragma once

#include "platform/display/adapter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

class AdapterTest : public testing::Test {
protected:
    // The adapter exists before a test's own profile, which is then read once.
    void SetUp() override { UseProfile("mode 640x480x8\n"); }

    void TearDown() override {
        unsetenv("BINOXA_ADAPTER");
        std::filesystem::remove(ProfilePath());
    }

    // Writes the profile, names it in BINOXA_ADAPTER and reloads the adapter.
    static win::DisplayAdapter& UseProfile(const std::string& text) {
        std::ofstream(ProfilePath()) << text;
        setenv("BINOXA_ADAPTER", ProfilePath().c_str(), 1);
        win::DisplayAdapter& adapter = win::DisplayAdapter::Instance();
        adapter.Reload();
        return adapter;
    }

    static std::string ProfilePath() {
        return (std::filesystem::temp_directory_path() /
                ("display_tests_" + std::to_string(getpid()) + ".profile"))
            .string();
    }
};
