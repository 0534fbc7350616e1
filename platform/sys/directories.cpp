#include "platform/sys/directories.h"

#include "platform/sys/folders.h"

#include <cstring>
#include <string>

namespace win {

namespace {

DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
    if (!buffer || size <= text.size()) {
        return static_cast<DWORD>(text.size() + 1);
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

} // namespace

UINT GetSystemDirectory(char* buffer, UINT size) {
    return CopyOut(internal::SystemDirectory(), buffer, size);
}

DWORD GetTempPath(DWORD size, char* buffer) {
    return CopyOut(internal::TempDirectory(), buffer, size);
}

} // namespace win
