// Pieces the benchmarks share: scratch files and a headless display.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

// A file name of this run in the temporary directory.
inline std::string ScratchFile(const char* name) {
    const char* directory = std::getenv("TMPDIR");
    return std::string(directory ? directory : "/tmp") + "/bxbench-" + std::to_string(::getpid()) +
           "-" + name;
}

// The environment views need: the offscreen Qt platform and a virtual
// adapter (one per process) of every mode the benchmarks use, set once
// before the first view.
inline void HeadlessAdapter() {
    static const bool done = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static const std::string profile = ScratchFile("adapter.profile");
        std::ofstream(profile) << "mode 1920x1080x8\n"
                                  "mode 1920x1080x32\n"
                                  "mode 1024x768x32\n"
                                  "desktop 1920x1080x32\n";
        ::setenv("BINOXA_ADAPTER", profile.c_str(), 1);
        std::atexit([] { std::remove(profile.c_str()); });
        return true;
    }();
    (void)done;
}
