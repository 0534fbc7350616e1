#include "platform/registry/registrystore.h"

#include "platform/registry/registrytext.h"
#include "platform/sys/systemlog.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win::internal {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeDirectory() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        if (const passwd* user = getpwuid(getuid()))
            home = user->pw_dir;
    }
    return home;
}

// Holds an exclusive advisory lock on the file while it lives.
class FileLock {
public:
    explicit FileLock(const std::string& lockPath)
        : fd(open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        int locked = -1;
        while (fd >= 0 && (locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (fd >= 0 && locked != 0) {
            close(fd);
            fd = -1;
        }
    }
    ~FileLock() {
        if (fd >= 0)
            close(fd);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return fd >= 0; }

private:
    int fd;
};

bool ReadAll(int fd, std::string& text) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0 && errno != EINTR)
            return false;
        if (got > 0)
            text.append(buffer, static_cast<size_t>(got));
    }
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno != EINTR)
            return false;
        if (put > 0)
            done += static_cast<size_t>(put);
    }
    return true;
}

// The rename into place lasts across a power failure only once the
// directory itself is on disk.
void SyncDirectory(const std::string& file) {
    const std::filesystem::path directory = std::filesystem::path(file).parent_path();
    const int fd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

std::string TimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return stamp;
}

RegistryFileIdentity IdentityOf(const struct stat& info) {
    return {true,
            static_cast<unsigned long long>(info.st_dev),
            static_cast<unsigned long long>(info.st_ino),
            static_cast<long long>(info.st_size),
            static_cast<long long>(info.st_mtim.tv_sec),
            static_cast<long long>(info.st_mtim.tv_nsec),
            static_cast<long long>(info.st_ctim.tv_sec),
            static_cast<long long>(info.st_ctim.tv_nsec)};
}

bool Exists(const std::string& file) {
    struct stat info;
    return lstat(file.c_str(), &info) == 0;
}

} // namespace

std::string RegistryFilePath() {
    if (std::string named = Environment("BINOXA_REGISTRY"); !named.empty())
        return named;
    std::string config = Environment("XDG_CONFIG_HOME");
    // Relative values are invalid by the XDG rules and are ignored.
    if (config.empty() || config.front() != '/')
        config = HomeDirectory() + "/.config";
    return config + "/binoxa/registry.reg";
}

LONG RegistryStore::Read(const std::function<LONG(const RegistryTree&)>& look) {
    if (const LONG status = Refresh(false); status != ERROR_SUCCESS)
        return status;
    return look(tree);
}

LONG RegistryStore::Modify(const std::function<LONG(RegistryTree&)>& change) {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::path(path).parent_path();
    if (!directory.empty())
        std::filesystem::create_directories(directory, error);
    if (error)
        return ERROR_CANTWRITE;
    const FileLock lock(path + ".lock");
    if (!lock.Held())
        return ERROR_CANTWRITE;
    if (const LONG status = Refresh(true); status != ERROR_SUCCESS)
        return status;
    RegistryTree updated = tree;
    const LONG status = change(updated);
    if (status != ERROR_SUCCESS || updated == tree)
        return status;
    if (!WriteAtomically(PrintRegistryText(updated)))
        return ERROR_CANTWRITE;
    tree = std::move(updated);
    return ERROR_SUCCESS;
}

LONG RegistryStore::Refresh(bool locked) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return ERROR_CANTREAD;
        StartEmpty();
        return ERROR_SUCCESS;
    }
    if (loaded == IdentityOf(info))
        return ERROR_SUCCESS;

    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            return ERROR_CANTREAD;
        StartEmpty(); // set aside by another process since the stat
        return ERROR_SUCCESS;
    }
    std::string text;
    const bool read = fstat(fd, &info) == 0 && ReadAll(fd, text);
    close(fd);
    if (!read)
        return ERROR_CANTREAD;

    RegistryParseResult parsed = ParseRegistryText(text);
    if (parsed.tree) {
        tree = std::move(*parsed.tree);
        loaded = IdentityOf(info);
        return ERROR_SUCCESS;
    }
    if (locked)
        return SetAside(parsed.line, parsed.problem);
    // Another process may be setting it aside or replacing it right now:
    // decide under the lock, on what the file holds then.
    const FileLock lock(path + ".lock");
    if (!lock.Held())
        return ERROR_CANTREAD;
    return Refresh(true);
}

LONG RegistryStore::SetAside(int line, const std::string& problem) {
    const std::string stem = path + ".broken-" + TimeStamp();
    std::string aside = stem;
    for (int n = 2; Exists(aside); ++n)
        aside = stem + "-" + std::to_string(n);
    if (rename(path.c_str(), aside.c_str()) != 0) {
        AppendLogLine("RegistryStore::Load -- ERROR: cannot read '" + path + "' (line " +
                      std::to_string(line) + ": " + problem + ") nor move it aside");
        return ERROR_BADDB;
    }
    AppendLogLine("RegistryStore::Load -- ERROR: cannot read '" + path + "' (line " +
                  std::to_string(line) + ": " + problem + "); moved it to '" + aside +
                  "' and started empty");
    StartEmpty();
    return ERROR_SUCCESS;
}

bool RegistryStore::WriteAtomically(const std::string& text) {
    // Only the holder of the lock writes, so one temporary name serves.
    const std::string temporary = path + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, text) && fsync(fd) == 0;
    if (close(fd) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    SyncDirectory(path);
    // Nobody else writes while the lock is held: what is there now is ours.
    struct stat info;
    if (stat(path.c_str(), &info) == 0)
        loaded = IdentityOf(info);
    else
        loaded.reset();
    return true;
}

void RegistryStore::StartEmpty() {
    tree = RegistryTree{};
    loaded = RegistryFileIdentity{};
}

} // namespace win::internal
