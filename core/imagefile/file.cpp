#include "imagefile/file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

pxFileError::pxFileError(Code code, const char* format, va_list args)
    : pxError(Formatted{}, format, args), code(code) {}

void pxThrowFileError(pxFileError::Code code, const char* format, ...) {
    va_list args;
    va_start(args, format);
    pxFileError error(code, format, args);
    va_end(args);
    throw error;
}

std::FILE* OpenImageFile(const char* name) {
    // Without O_NONBLOCK, opening a pipe waits for a writer; with it the open
    // returns at once and the file's type can be looked at first.
    const int descriptor = ::open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        pxThrowFileError(pxFileError::OPEN_FAILED, kNotRegularFile, name);
    }
    // Reads from here on are ordinary ones.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(descriptor, "rb");
    if (!file)
        ::close(descriptor);
    return file;
}

namespace {

bool IsReadMode(char mode) {
    return mode == 'r' || mode == 'R';
}

bool IsWriteMode(char mode) {
    return mode == 'w' || mode == 'W';
}

} // namespace

File::File(const char* fileName, char openMode) : mode(openMode), name(fileName ? fileName : "") {
    if (!IsReadMode(mode) && !IsWriteMode(mode))
        pxThrowFileError(pxFileError::BAD_MODE, "Bad argument '%c' to File::File", mode);
    // A file that is not there is reported as not opened, not as denied.
    if (IsReadMode(mode) && ::access(name.c_str(), R_OK) != 0 && errno != ENOENT)
        pxThrowFileError(pxFileError::ACCESS_DENIED, "Read access_denied for '%s'", name.c_str());
    stream = IsReadMode(mode) ? OpenImageFile(name.c_str()) : std::fopen(name.c_str(), "wb");
    if (!stream)
        pxThrowFileError(pxFileError::OPEN_FAILED, "Cannot open file '%s'", name.c_str());
}

File::~File() {
    std::fclose(stream);
}

void File::Read(void* buffer, long count) {
    if (count < 0 ||
        std::fread(buffer, 1, static_cast<size_t>(count), stream) != static_cast<size_t>(count))
        pxThrowFileError(pxFileError::READ_FAILED, "Cannot read %ld bytes", count);
}

void File::Write(const void* buffer, long count) {
    if (count < 0 ||
        std::fwrite(buffer, 1, static_cast<size_t>(count), stream) != static_cast<size_t>(count))
        pxThrowFileError(pxFileError::WRITE_FAILED, "Cannot write %ld bytes", count);
}

int File::ReadChar() {
    return std::fgetc(stream);
}

void File::SeekSet(long offset) {
    Seek(offset, SEEK_SET);
}

void File::SeekCurrent(long offset) {
    Seek(offset, SEEK_CUR);
}

void File::SeekEnd(long offset) {
    Seek(offset, SEEK_END);
}

void File::Seek(long offset, int origin) {
    if (std::fseek(stream, offset, origin) != 0)
        FailSeek(offset);
}

long File::Tell() const {
    const long position = std::ftell(stream);
    if (position < 0)
        FailSeek(0);
    return position;
}

std::optional<uint64_t> StreamSize(std::FILE* stream) {
    struct stat status {};
    if (::fstat(::fileno(stream), &status) != 0)
        return std::nullopt;
    return static_cast<uint64_t>(status.st_size);
}

long File::Size() const {
    const std::optional<uint64_t> size = StreamSize(stream);
    if (!size)
        FailSeek(0);
    return static_cast<long>(*size);
}

void File::FailSeek(long offset) const {
    pxThrowFileError(IsReadMode(mode) ? pxFileError::READ_FAILED : pxFileError::WRITE_FAILED,
                     "Cannot Seek %ld bytes", offset);
}
