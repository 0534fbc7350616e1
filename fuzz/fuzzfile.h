// The file a fuzz target's inputs go to, for code that reads files by name.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// In memory where possible; removed at exit.
class FuzzFile {
public:
    explicit FuzzFile(const char* extension) {
        struct stat status {};
        const char* tmp = std::getenv("TMPDIR");
        const std::string dir = ::stat("/dev/shm", &status) == 0 ? "/dev/shm" : tmp ? tmp : "/tmp";
        name = dir + "/binoxa-fuzz-" + std::to_string(::getpid()) + "." + extension;
    }
    ~FuzzFile() { ::unlink(name.c_str()); }

    // The file holds the input, and nothing else.
    void Write(const uint8_t* data, size_t size) const {
        if (std::FILE* file = std::fopen(name.c_str(), "wb")) {
            std::fwrite(data, 1, size, file);
            std::fclose(file);
        }
    }

    std::string name;
};
