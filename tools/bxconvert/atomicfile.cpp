#include "atomicfile.h"

#include "imaging/pxerror.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr size_t kBufferBytes = size_t{1} << 20;

// Unique among the writers of this process and of others at the same time.
std::string TemporaryNameFor(const std::string& fileName) {
    static std::atomic<unsigned> serial{0};
    return fileName + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
}

} // namespace

AtomicFile::AtomicFile(const char* fileName)
    : finalName(fileName), temporaryName(TemporaryNameFor(fileName)) {
    // "x": never take over a file that happens to have the name already.
    stream = std::fopen(temporaryName.c_str(), "wbx");
    if (!stream)
        throw pxError("Cannot create the file '%s': %s", fileName, std::strerror(errno));
    // Pictures are megabytes: write them in few large pieces.
    buffer = std::make_unique<char[]>(kBufferBytes);
    std::setvbuf(stream, buffer.get(), _IOFBF, kBufferBytes);
}

AtomicFile::~AtomicFile() {
    if (stream)
        std::fclose(stream);
    if (!committed)
        std::remove(temporaryName.c_str());
}

void AtomicFile::Commit() {
    const bool written = std::fflush(stream) == 0 && !std::ferror(stream);
    int error = errno;
    const bool closed = std::fclose(stream) == 0;
    stream = nullptr;
    if (written && !closed)
        error = errno;
    if (!written || !closed)
        throw pxError("Cannot write the file '%s': %s", finalName.c_str(), std::strerror(error));
    if (std::rename(temporaryName.c_str(), finalName.c_str()) != 0)
        throw pxError("Cannot create the file '%s': %s", finalName.c_str(), std::strerror(errno));
    committed = true;
}
