// Files by name and by handle, as Win32 offers them: CreateFile (with
// delete-on-close for the extracted temporary files), WriteFile, CloseHandle,
// DeleteFile and CopyFile. Share modes are accepted and ignored: Linux does
// not lock files against other openers.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;

constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD FILE_SHARE_DELETE = 0x00000004;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x00000100;
// The file is removed when its handle is closed.
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;

struct SECURITY_ATTRIBUTES {
    DWORD nLength = 0;
    void* lpSecurityDescriptor = nullptr;
    BOOL bInheritHandle = FALSE;
};

// Fails with INVALID_HANDLE_VALUE. Opening an existing file with
// CREATE_ALWAYS or OPEN_ALWAYS succeeds and sets ERROR_ALREADY_EXISTS.
HANDLE CreateFile(const char* fileName, DWORD desiredAccess, DWORD shareMode,
                  SECURITY_ATTRIBUTES* security, DWORD creationDisposition,
                  DWORD flagsAndAttributes, HANDLE templateFile);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
               void* overlapped);
// Closes a file handle of CreateFile; a delete-on-close file is removed now.
BOOL CloseHandle(HANDLE handle);

BOOL DeleteFile(const char* fileName);
// Copies contents and permissions. With failIfExists an existing target is
// kept and the call fails with ERROR_FILE_EXISTS; otherwise it is replaced.
BOOL CopyFile(const char* existingFileName, const char* newFileName, BOOL failIfExists);

} // namespace win
