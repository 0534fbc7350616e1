// A file that appears under its name only once it is completely written, so
// that a failed or interrupted write leaves no partial file behind (and keeps
// any older file of that name). It is written as an unnamed file in the same
// directory and linked into place when complete; where the file system has
// no unnamed files, under a temporary name that is removed on failure and on
// the signals that end a program.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

class AtomicFile {
public:
    // Creates the file; throws pxError naming fileName.
    explicit AtomicFile(const char* fileName);
    // Drops what was written unless Commit succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    std::FILE* Stream() const { return stream; }
    // Flushes the file and gives it its real name; throws pxError when
    // anything written was lost.
    void Commit();

private:
    void GiveTemporaryName();

    std::string finalName;
    std::string temporaryName; // empty while the file has no name
    // Declared before the stream, which uses it until it is closed.
    std::unique_ptr<char[]> buffer;
    std::FILE* stream = nullptr;
    bool committed = false;
};
