// A file written under a temporary name in the same directory and renamed
// to its real name only when complete, so that a failed write leaves no
// partial file behind (and keeps any older file of that name).
#pragma once

#include <cstdio>
#include <memory>
#include <string>

class AtomicFile {
public:
    // Creates the temporary file; throws pxError naming fileName.
    explicit AtomicFile(const char* fileName);
    // Removes the temporary file unless Commit succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    std::FILE* Stream() const { return stream; }
    // Flushes and closes the file and gives it its real name; throws pxError
    // when anything written was lost.
    void Commit();

private:
    std::string finalName;
    std::string temporaryName;
    // Declared before the stream, which uses it until it is closed.
    std::unique_ptr<char[]> buffer;
    std::FILE* stream = nullptr;
    bool committed = false;
};
