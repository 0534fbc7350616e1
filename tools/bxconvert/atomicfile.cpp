#include "atomicfile.h"

#include "imaging/pxerror.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace {

// Pictures are megabytes: write them in few large pieces.
constexpr size_t kBufferBytes = size_t{256} << 10;

// Unique among the writers of this process and of others at the same time.
std::string TemporaryNameFor(const std::string& fileName) {
    static std::atomic<unsigned> serial{0};
    return fileName + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
}

std::string DirectoryOf(const std::string& fileName) {
    const size_t slash = fileName.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : fileName.substr(0, slash);
}

// The one named temporary file of the process, removed by the signals that
// end a program before it is complete (its name lives in static storage, as
// a handler may touch nothing else).
char pendingName[4096];
std::atomic<bool> pending{false};

extern "C" void RemovePendingAndDie(int signal) {
    if (pending.load())
        ::unlink(pendingName);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void WatchPending(const std::string& name) {
    static std::once_flag installed;
    std::call_once(installed, [] {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            std::signal(signal, RemovePendingAndDie);
    });
    if (name.size() < sizeof pendingName) {
        std::memcpy(pendingName, name.c_str(), name.size() + 1);
        pending.store(true);
    }
}

// A new file that only exists once linked into a directory, or -1 where the
// file system cannot make one.
int OpenUnnamed(const std::string& fileName) {
    return ::open(DirectoryOf(fileName).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

} // namespace

AtomicFile::AtomicFile(const char* fileName) : finalName(fileName) {
    int descriptor = OpenUnnamed(finalName);
    if (descriptor < 0) {
        temporaryName = TemporaryNameFor(finalName);
        // O_EXCL: never take over a file that happens to have the name already.
        descriptor = ::open(temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0)
            throw pxError("Cannot create the file '%s': %s", fileName, std::strerror(errno));
        WatchPending(temporaryName);
    }
    stream = ::fdopen(descriptor, "wb");
    if (!stream) {
        const int error = errno;
        ::close(descriptor);
        if (!temporaryName.empty())
            std::remove(temporaryName.c_str());
        throw pxError("Cannot create the file '%s': %s", fileName, std::strerror(error));
    }
    buffer = std::make_unique<char[]>(kBufferBytes);
    std::setvbuf(stream, buffer.get(), _IOFBF, kBufferBytes);
}

AtomicFile::~AtomicFile() {
    if (stream)
        std::fclose(stream);
    if (!committed && !temporaryName.empty()) {
        std::remove(temporaryName.c_str());
        pending.store(false);
    }
}

// An unnamed file is linked under a temporary name first: the rename then
// replaces an older file of the real name in one step.
void AtomicFile::GiveTemporaryName() {
    const std::string self = "/proc/self/fd/" + std::to_string(::fileno(stream));
    const std::string linked = TemporaryNameFor(finalName);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, linked.c_str(), AT_SYMLINK_FOLLOW) != 0)
        throw pxError("Cannot create the file '%s': %s", finalName.c_str(), std::strerror(errno));
    temporaryName = linked;
    WatchPending(temporaryName);
}

void AtomicFile::Commit() {
    if (std::fflush(stream) != 0 || std::ferror(stream))
        throw pxError("Cannot write the file '%s': %s", finalName.c_str(), std::strerror(errno));
    if (temporaryName.empty())
        GiveTemporaryName();
    const bool closed = std::fclose(stream) == 0;
    const int error = errno;
    stream = nullptr;
    if (!closed)
        throw pxError("Cannot write the file '%s': %s", finalName.c_str(), std::strerror(error));
    if (std::rename(temporaryName.c_str(), finalName.c_str()) != 0)
        throw pxError("Cannot create the file '%s': %s", finalName.c_str(), std::strerror(errno));
    pending.store(false);
    committed = true;
}
