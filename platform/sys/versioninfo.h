// The version information of our own binaries (product name, file version,
// copyright and, for the plug-in, its MIME types), embedded at build time by
// the CMake function binoxa_version_info and read back by file name as Win32
// reads version resources. Strings are in the one language block
// "\StringFileInfo\040904B0\" (U.S. English, Unicode code page).
#pragma once

#include "platform/win/wintypes.h"

namespace win {

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS; // major << 16 | minor
    DWORD dwFileVersionLS; // build << 16 | revision
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};

constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
constexpr DWORD VS_FFI_FILEFLAGSMASK = 0x0000003F;
constexpr DWORD VOS__WINDOWS32 = 0x00000004;
constexpr DWORD VFT_UNKNOWN = 0x00000000;

// The file name may be a Windows name (backslashes and
// ".dll" map as for LoadLibrary). 0 when the file has no version information.
DWORD GetFileVersionInfoSize(const char* fileName, DWORD* handle);
// A buffer smaller than the size keeps as much as fits (Win32's rule); the
// values cut off are then not found.
BOOL GetFileVersionInfo(const char* fileName, DWORD handle, DWORD size, void* data);
// subBlock: "\" for the VS_FIXEDFILEINFO, "\VarFileInfo\Translation" for the
// language and code page words, "\StringFileInfo\040904B0\<name>" for a
// string, whose length counts the terminating zero.
BOOL VerQueryValue(const void* block, const char* subBlock, void** buffer, UINT* length);

} // namespace win
