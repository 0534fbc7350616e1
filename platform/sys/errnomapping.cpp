#include "platform/sys/errnomapping.h"

#include "platform/sys/lasterror.h"

#include <cerrno>

namespace win::internal {

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOSPC:
    case EFBIG:
        return ERROR_WRITE_FAULT;
    case EIO:
        return ERROR_READ_FAULT;
    default:
        // EACCES, EPERM, EISDIR, EROFS, EBUSY and the rest: Win32 reports
        // all of these as a refused access.
        return ERROR_ACCESS_DENIED;
    }
}

BOOL FailFromErrno() {
    SetLastError(ErrorFromErrno(errno));
    return FALSE;
}

BOOL FailCreatingFromErrno() {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
    return FALSE;
}

} // namespace win::internal
