// Finding one named section in an ELF file, for the version information that
// our binaries carry. The file may be hostile or cut short: every offset and
// size it states is checked against the file before anything is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace win::internal {

// Fills out with the bytes at offset; false when the file does not hold them all.
using ReadAt = std::function<bool(std::uint64_t offset, std::span<std::byte> out)>;

ReadAt ReadFromMemory(std::span<const std::byte> file);
// Reads through the open file descriptor, which must stay open while used.
ReadAt ReadFromDescriptor(int descriptor);

// The contents of the section called name in a 64-bit little-endian ELF
// file; nothing when the file is no such file, lacks the section, contradicts
// itself or the section is larger than largestSection bytes.
std::optional<std::vector<std::byte>> ReadElfSection(const ReadAt& read, std::string_view name,
                                                     std::size_t largestSection);

} // namespace win::internal
