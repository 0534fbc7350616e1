// One open file for the image readers, and the error its failures throw.
#pragma once

#include "imaging/pxerror.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// A failed file access, with a code that says which kind.
class pxFileError : public pxError {
public:
    enum Code {
        BAD_MODE = 0,      // a mode letter File does not know
        OPEN_FAILED = 1,   // the file could not be opened
        WRITE_FAILED = 2,  // write or seek on a file opened for writing
        READ_FAILED = 3,   // read or seek on a file opened for reading
        ACCESS_DENIED = 5, // the file exists but may not be read
    };

    pxFileError(Code code, const char* format, va_list args);

    Code GetCode() const { return code; }

private:
    Code code;
};

// Throws pxFileError with code and a printf-formatted message.
[[noreturn]] void pxThrowFileError(pxFileError::Code code, const char* format, ...) PX_PRINTF(2, 3);

// Opens a file to read an image from, as bytes. Only regular files are
// opened: a pipe would block the open until something writes to it, and a
// device such as /dev/zero never ends. nullptr when the file cannot be opened
// (errno says why); pxFileError (OPEN_FAILED) with kNotRegularFile for
// anything but a regular file.
std::FILE* OpenImageFile(const char* name);

// The size in bytes of an open file, or nullopt when the system cannot tell.
std::optional<uint64_t> StreamSize(std::FILE* stream);

// The message for what is not a regular file (with its name).
constexpr const char* kNotRegularFile = "Cannot read '%s': it is not a regular file";

// A file opened by name as bytes, 'r'/'R' for reading or 'w'/'W' for writing.
// Every failure throws pxFileError; the destructor closes the file. Only
// regular files are opened for reading (see OpenImageFile).
class File {
public:
    File(const char* name, char mode);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // The whole count or pxFileError.
    void Read(void* buffer, long count);
    void Write(const void* buffer, long count);
    // The next byte, or EOF at the end of the file.
    int ReadChar();

    void SeekSet(long offset);
    void SeekCurrent(long offset);
    void SeekEnd(long offset);
    long Tell() const;
    long Size() const;

    const std::string& GetName() const { return name; }

private:
    void Seek(long offset, int origin);
    [[noreturn]] void FailSeek(long offset) const;

    char mode;
    std::string name;
    std::FILE* stream = nullptr;
};
