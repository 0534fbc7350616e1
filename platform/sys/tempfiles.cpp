#include "platform/sys/tempfiles.h"

#include "platform/sys/errnomapping.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/windowsname.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace win {

namespace {

constexpr UINT largestUnique = 0xFFFF;

std::string TempName(const std::string& directory, const std::string& prefix, UINT unique) {
    char number[8];
    std::snprintf(number, sizeof number, "%.4X", unique & largestUnique);
    return directory + prefix + number + ".tmp";
}

// Where the search for an unused number starts: different for each call and
// each process, so that names rarely collide and the search stays short.
UINT NextStartingNumber() {
    static std::atomic<UINT> next{static_cast<UINT>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ (getpid() << 4))};
    return next.fetch_add(1);
}

} // namespace

UINT GetTempFileName(const char* pathName, const char* prefixString, UINT unique,
                     char* tempFileName) {
    if (!pathName || !tempFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string directory = internal::NativeFileName(pathName);
    if (!directory.empty() && directory.back() != '/') {
        directory.push_back('/');
    }
    const std::string prefix = std::string(prefixString ? prefixString : "").substr(0, 3);
    if (TempName(directory, prefix, 0).size() >= MAX_PATH) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (unique != 0) {
        const std::string name = TempName(directory, prefix, unique);
        std::memcpy(tempFileName, name.c_str(), name.size() + 1);
        return unique;
    }
    const UINT start = NextStartingNumber();
    for (UINT attempt = 0; attempt < largestUnique; ++attempt) {
        const UINT number = (start + attempt) % largestUnique + 1; // 0 means "choose one"
        const std::string name = TempName(directory, prefix, number);
        const int file = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (file >= 0) {
            close(file);
            std::memcpy(tempFileName, name.c_str(), name.size() + 1);
            return number;
        }
        if (errno != EEXIST) {
            internal::FailCreatingFromErrno();
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

} // namespace win
