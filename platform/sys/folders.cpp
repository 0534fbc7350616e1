#include "platform/sys/folders.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#ifndef BINOXA_DEFAULT_SYSTEM_DIR
#error "BINOXA_DEFAULT_SYSTEM_DIR must name the installed library directory"
#endif

namespace win::internal {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string HomeDirectory() {
    std::string home = Environment("HOME");
    if (!home.empty()) {
        return home;
    }
    std::vector<char> scratch(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, scratch.data(), scratch.size(), &found) == 0 && found &&
        found->pw_dir) {
        return found->pw_dir;
    }
    return ".";
}

} // namespace

std::string ProgramFile() {
    std::error_code error;
    const std::filesystem::path file = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : file.string();
}

std::string ProgramDirectory() {
    return std::filesystem::path(ProgramFile()).parent_path().string();
}

std::string SystemDirectory() {
    const std::string configured = Environment("BINOXA_SYSTEM_DIR");
    return WithoutTrailingSlashes(configured.empty() ? BINOXA_DEFAULT_SYSTEM_DIR : configured);
}

std::string ConfigDirectory() {
    std::string base = Environment("XDG_CONFIG_HOME");
    if (base.empty()) {
        base = HomeDirectory() + "/.config";
    }
    return WithoutTrailingSlashes(base) + "/binoxa";
}

std::string TempDirectory() {
    const std::string configured = Environment("TMPDIR");
    return WithoutTrailingSlashes(configured.empty() ? "/tmp" : configured) + "/";
}

} // namespace win::internal
