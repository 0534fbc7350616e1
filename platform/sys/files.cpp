#include "platform/sys/files.h"

#include "platform/sys/errnomapping.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/windowsname.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace win {

namespace {

struct OpenFile {
    int descriptor;
    std::string deleteOnClosePath; // empty unless the file goes when closed
};

// The handles CreateFile gave out and CloseHandle has not yet taken back;
// any other value is refused rather than followed.
class OpenFiles {
public:
    HANDLE Add(OpenFile* file) {
        std::lock_guard lock(mutex);
        files.insert(file);
        return file;
    }
    OpenFile* Find(HANDLE handle) {
        std::lock_guard lock(mutex);
        const auto found = files.find(static_cast<OpenFile*>(handle));
        return found == files.end() ? nullptr : *found;
    }
    OpenFile* Take(HANDLE handle) {
        std::lock_guard lock(mutex);
        const auto found = files.find(static_cast<OpenFile*>(handle));
        if (found == files.end()) {
            return nullptr;
        }
        OpenFile* file = *found;
        files.erase(found);
        return file;
    }

private:
    std::mutex mutex;
    std::set<OpenFile*> files;
};

OpenFiles& Files() {
    static OpenFiles table;
    return table;
}

bool WriteAll(int descriptor, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(descriptor, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

int OpenFlags(DWORD desiredAccess, DWORD creationDisposition) {
    const bool reads = (desiredAccess & GENERIC_READ) != 0;
    const bool writes = (desiredAccess & GENERIC_WRITE) != 0;
    const int access = writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (creationDisposition) {
    case CREATE_NEW:
        return access | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
        return access | O_CREAT | O_TRUNC;
    case OPEN_EXISTING:
        return access;
    case OPEN_ALWAYS:
        return access | O_CREAT;
    case TRUNCATE_EXISTING:
        return access | O_TRUNC;
    default:
        return -1;
    }
}

bool IsDirectory(int descriptor) {
    struct stat status {};
    return fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

HANDLE CreateFile(const char* fileName, DWORD desiredAccess, DWORD, SECURITY_ATTRIBUTES*,
                  DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
    const int flags = OpenFlags(desiredAccess, creationDisposition);
    if (!fileName || flags < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string path = internal::NativeFileName(fileName);
    const bool mayReplace =
        creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS;
    const bool existed = mayReplace && access(path.c_str(), F_OK) == 0;
    const int descriptor = open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        if (flags & O_CREAT) {
            internal::FailCreatingFromErrno();
        } else {
            internal::FailFromErrno();
        }
        return INVALID_HANDLE_VALUE;
    }
    if (IsDirectory(descriptor)) {
        close(descriptor);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    std::string deleteOnClosePath;
    if (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) {
        // Absolute, so a later change of directory cannot misdirect the removal.
        std::error_code error;
        deleteOnClosePath = std::filesystem::absolute(path, error).string();
    }
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return Files().Add(new OpenFile{descriptor, deleteOnClosePath});
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
               void* overlapped) {
    if (bytesWritten) {
        *bytesWritten = 0;
    }
    OpenFile* open = Files().Find(file);
    if (!open) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if ((!buffer && bytesToWrite > 0) || overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!WriteAll(open->descriptor, static_cast<const char*>(buffer), bytesToWrite)) {
        return internal::FailFromErrno();
    }
    if (bytesWritten) {
        *bytesWritten = bytesToWrite;
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    OpenFile* file = Files().Take(handle);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    close(file->descriptor);
    if (!file->deleteOnClosePath.empty()) {
        unlink(file->deleteOnClosePath.c_str());
    }
    delete file;
    return TRUE;
}

BOOL DeleteFile(const char* fileName) {
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (unlink(internal::NativeFileName(fileName).c_str()) != 0) {
        return internal::FailFromErrno();
    }
    return TRUE;
}

BOOL CopyFile(const char* existingFileName, const char* newFileName, BOOL failIfExists) {
    if (!existingFileName || !newFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string from = internal::NativeFileName(existingFileName);
    const std::string to = internal::NativeFileName(newFileName);
    const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        return internal::FailFromErrno();
    }
    struct stat sourceStatus {};
    struct stat targetStatus {};
    const bool isDirectory = fstat(source, &sourceStatus) != 0 || S_ISDIR(sourceStatus.st_mode);
    // Truncating the target would destroy a source that is the same file.
    const bool sameFile = stat(to.c_str(), &targetStatus) == 0 &&
                          targetStatus.st_dev == sourceStatus.st_dev &&
                          targetStatus.st_ino == sourceStatus.st_ino;
    if (isDirectory || sameFile) {
        close(source);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const int targetFlags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
    const int target = open(to.c_str(), targetFlags, sourceStatus.st_mode & 0777);
    if (target < 0) {
        const BOOL result = internal::FailCreatingFromErrno();
        close(source);
        return result;
    }
    char chunk[65536];
    ssize_t got = 0;
    bool copied = fchmod(target, sourceStatus.st_mode & 0777) == 0;
    while (copied && (got = read(source, chunk, sizeof chunk)) != 0) {
        if (got < 0 && errno == EINTR) {
            continue;
        }
        copied = got > 0 && WriteAll(target, chunk, static_cast<std::size_t>(got));
    }
    const int copyError = errno;
    close(source);
    if (close(target) != 0 || !copied) {
        // A part-copied file is worse than none.
        unlink(to.c_str());
        SetLastError(internal::ErrorFromErrno(copied ? errno : copyError));
        return FALSE;
    }
    return TRUE;
}

} // namespace win
