// The reasons the loader passes to a library's entry point, DllMain, with
// the values Win32 gives them.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

} // namespace win
