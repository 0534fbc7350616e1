// Reads arbitrary bytes as an ELF file carrying version information, and
// as the version section itself, then queries every kind of value.
#include "platform/sys/elfsection.h"
#include "platform/sys/versionblock.h"
#include "platform/sys/versioninfo.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace {

void QueryAll(const std::vector<std::byte>& block) {
    if (block.empty()) {
        return;
    }
    for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904B0\\",
                             "\\StringFileInfo\\040904B0\\ProductName",
                             "\\StringFileInfo\\040904B0\\FileVersion", "\\StringFileInfo"}) {
        void* value = nullptr;
        win::UINT length = 0;
        win::VerQueryValue(block.data(), path, &value, &length);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto bytes = std::as_bytes(std::span(data, size));
    const std::optional<std::vector<std::byte>> section = win::internal::ReadElfSection(
        win::internal::ReadFromMemory(bytes), win::internal::versionSectionName, 64 * 1024);
    if (section) {
        QueryAll(win::internal::MakeVersionBlock(*section));
    }
    QueryAll(win::internal::MakeVersionBlock(bytes));
    return 0;
}
