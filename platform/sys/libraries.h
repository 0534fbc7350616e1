// Loading shared libraries by their Windows names, as the core loads its
// display and glasses drivers. A name without a directory is looked for in
// the program's directory, then the system directory, then along the dynamic
// loader's usual path; a name with a directory is used as given. The module
// handle is the dynamic loader's handle.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

// Win32 declares it as returning INT_PTR; a function type without result or
// arguments is the one compilers let callers cast to any other without warning.
using FARPROC = void (*)();

// LoadLibraryEx flags this stand-in understands; dependencies are always
// resolved by the dynamic loader's own rules, so the altered search path
// changes nothing.
constexpr DWORD LOAD_WITH_ALTERED_SEARCH_PATH = 0x00000008;

HMODULE LoadLibrary(const char* fileName);
HMODULE LoadLibraryEx(const char* fileName, HANDLE reserved, DWORD flags);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, const char* procName);
// A library already loaded (no reference is added); null names the program.
HMODULE GetModuleHandle(const char* moduleName);
// Null names the program. A name longer than the buffer is cut to size - 1
// characters and a zero, the result is size and the error ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileName(HMODULE module, char* fileName, DWORD size);

} // namespace win
