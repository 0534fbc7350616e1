// The version information block that GetFileVersionInfo hands out and
// VerQueryValue reads: a header with the fixed file information and the
// number of valid bytes, then the strings as "name\0value\0" pairs.
#pragma once

#include "platform/win/wintypes.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace win::internal {

// The ELF section in which binoxa_version_info puts the "name\0value\0" pairs.
constexpr std::string_view versionSectionName = ".binoxa_version";

// The block for a section's contents; empty when it holds no complete pair.
std::vector<std::byte> MakeVersionBlock(std::span<const std::byte> section);

// Copies as much of the block as fits and records how much that was; false
// when not even the header fits.
bool CopyVersionBlock(std::span<const std::byte> block, void* out, DWORD size);

// Finds a value by its VerQueryValue path within the block's valid bytes.
bool QueryVersionBlock(const void* block, std::string_view path, void** value, UINT* length);

} // namespace win::internal
