// The resources our binaries carry (bitmaps made at build time), embedded by
// the CMake function binoxa_resources in the ELF section ".binoxa_resources"
// and found again by module, type and id, as Win32 finds a module's
// resources. The section holds records, each
//   "BXRS", type, id, size (little-endian 32-bit words), size bytes of data,
// padded with zeros to a multiple of four; zeros between records are
// skipped, as sections of several objects are joined with padding.
#pragma once

#include "platform/win/wintypes.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace win {

constexpr WORD RT_BITMAP = 2;

using HRSRC = struct ResourceInfoTag*;
using HGLOBAL = struct ResourceDataTag*;

// A module's resource as Win32 gives it (null module: the program; name and
// type are ids made with MAKEINTRESOURCE or texts "#<id>"). The data is read
// once and stays until the process ends, so nothing is ever freed. Null when
// the module has no such resource (the last error tells why).
HRSRC FindResource(HMODULE module, const char* name, const char* type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The resource's bytes; null for a null handle.
const void* LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);

namespace internal {

constexpr std::string_view resourceSectionName = ".binoxa_resources";

// The data of the resource in a section's contents; nothing when it is
// absent or the records contradict themselves before it.
std::optional<std::vector<std::byte>> FindResourceRecord(std::span<const std::byte> section,
                                                         DWORD type, DWORD id);

// The resource of the module's file (null: the program). The name is an id
// made with MAKEINTRESOURCE or a text "#<id>"; other names are not found.
// Failures set the last error (ERROR_RESOURCE_TYPE_NOT_FOUND when the file
// carries no such resource).
std::optional<std::vector<std::byte>> LoadModuleResource(HMODULE module, DWORD type,
                                                         const char* name);

} // namespace internal
} // namespace win
