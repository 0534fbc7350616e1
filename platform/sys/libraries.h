// Loading shared libraries by their Windows names, as the core loads its
// display and glasses drivers. A name without a directory is looked for in
// the program's directory, then the system directory, then along the dynamic
// loader's usual path; a name with a directory is used as given. The module
// handle is the dynamic loader's handle.
//
// A library may export an entry point, as Win32 libraries do:
//   extern "C" BOOL DllMain(HINSTANCE instance, DWORD reason, void* reserved);
// LoadLibrary calls it with DLL_PROCESS_ATTACH when it loads the library for
// the first time (not when it only counts one more load); FALSE fails the
// load with ERROR_DLL_INIT_FAILED after a DLL_PROCESS_DETACH call. The
// FreeLibrary that releases the last load calls it with DLL_PROCESS_DETACH
// before the library goes. The loader is serialised: an entry point may load
// and free other libraries itself.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

// Win32 declares it as returning INT_PTR; a function type without result or
// arguments is the one compilers let callers cast to any other without warning.
using FARPROC = void (*)();

// The reasons an entry point is called for; the thread reasons are never
// given here, as every library is free of thread-local set-up.
constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

constexpr LONG ERROR_DLL_INIT_FAILED = 1114;

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
