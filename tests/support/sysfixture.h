// Test helpers around the system services: a scratch directory that is
// removed afterwards, environment variables set for one test, small file helpers.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <unistd.h>

namespace systest {

// With BINOXA_KEEP_TEST_FILES set to a folder, the files a test made in the
// directory (hostile ones included) are copied there before it is removed:
// starting points for the fuzz targets (tools/make-fuzz-seeds.sh).
inline void KeepTestFiles(const std::string& directory) {
    const char* keep = std::getenv("BINOXA_KEEP_TEST_FILES");
    if (!keep || directory.empty())
        return;
    static int kept = 0;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory, ignored))
        if (entry.is_regular_file(ignored) && entry.file_size(ignored) <= 64 * 1024)
            std::filesystem::copy_file(entry.path(),
                                       std::filesystem::path(keep) /
                                           (std::to_string(getpid()) + "-" +
                                            std::to_string(++kept) + "-" +
                                            entry.path().filename().string()),
                                       ignored);
}

class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "binoxa-sys-XXXXXX").string();
        path = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchDirectory() {
        KeepTestFiles(path);
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
};

// Sets (or, with a null value, removes) a variable until the end of the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) {
            previous = old;
        }
        Set(value);
    }
    ~ScopedEnvironment() { Set(previous ? previous->c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void Set(const char* value) {
        if (value) {
            setenv(name.c_str(), value, 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    std::string name;
    std::optional<std::string> previous;
};

inline void WriteFile(const std::string& path, const std::string& contents) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

} // namespace systest
