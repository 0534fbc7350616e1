#include "platform/sys/versioninfo.h"

#include "platform/sys/elfsection.h"
#include "platform/sys/errnomapping.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/versionblock.h"
#include "platform/sys/windowsname.h"

#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <vector>

namespace win {

namespace {

// Far more than the strings of any binary; a larger section is not ours.
constexpr std::size_t largestVersionSection = 64 * 1024;

std::optional<std::vector<std::byte>> VersionBlockOfFile(const char* fileName) {
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    const int file = open(internal::NativeFileName(fileName).c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        internal::FailFromErrno();
        return std::nullopt;
    }
    const std::optional<std::vector<std::byte>> section = internal::ReadElfSection(
        internal::ReadFromDescriptor(file), internal::versionSectionName, largestVersionSection);
    close(file);
    std::vector<std::byte> block =
        section ? internal::MakeVersionBlock(*section) : std::vector<std::byte>();
    if (block.empty()) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return std::nullopt;
    }
    return block;
}

} // namespace

DWORD GetFileVersionInfoSize(const char* fileName, DWORD* handle) {
    if (handle) {
        *handle = 0;
    }
    const std::optional<std::vector<std::byte>> block = VersionBlockOfFile(fileName);
    return block ? static_cast<DWORD>(block->size()) : 0;
}

BOOL GetFileVersionInfo(const char* fileName, DWORD, DWORD size, void* data) {
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::optional<std::vector<std::byte>> block = VersionBlockOfFile(fileName);
    if (!block) {
        return FALSE;
    }
    if (!internal::CopyVersionBlock(*block, data, size)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    return TRUE;
}

BOOL VerQueryValue(const void* block, const char* subBlock, void** buffer, UINT* length) {
    if (!block || !subBlock || !buffer || !length) {
        return FALSE;
    }
    return internal::QueryVersionBlock(block, subBlock, buffer, length) ? TRUE : FALSE;
}

} // namespace win
