#include "platform/sys/profile.h"

#include "platform/sys/folders.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/profileparser.h"
#include "platform/sys/windowsname.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace win {

namespace {

std::string ProfilePath(const char* fileName) {
    // Win32 falls back to its own settings file for a null name.
    const std::string name = internal::NativeFileName(fileName ? fileName : "win.ini");
    return internal::HasDirectoryPart(name) ? name : internal::ConfigDirectory() + "/" + name;
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

DWORD CopyValue(std::string_view value, char* returned, DWORD size) {
    const std::size_t copied = std::min<std::size_t>(value.size(), size - 1);
    std::memcpy(returned, value.data(), copied);
    returned[copied] = '\0';
    return static_cast<DWORD>(copied);
}

// Each name ends with a zero and the list with one more; a list too long for
// the buffer has its last name cut and still ends with two zeros.
DWORD CopyList(const std::vector<std::string_view>& names, char* returned, DWORD size) {
    std::string list;
    for (std::string_view name : names) {
        list.append(name);
        list.push_back('\0');
    }
    if (list.size() + 1 <= size) {
        std::memcpy(returned, list.data(), list.size());
        returned[list.size()] = '\0';
        return static_cast<DWORD>(list.size());
    }
    if (size < 2) {
        returned[0] = '\0';
        return 0;
    }
    std::memcpy(returned, list.data(), size - 2);
    returned[size - 2] = '\0';
    returned[size - 1] = '\0';
    return size - 2;
}

std::string_view DefaultValue(const char* defaultValue) {
    std::string_view value = defaultValue ? defaultValue : "";
    while (!value.empty() && value.back() == ' ') {
        value.remove_suffix(1);
    }
    return value;
}

} // namespace

DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                              char* returned, DWORD size, const char* fileName) {
    if (!returned || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::optional<std::string> text = ReadFile(ProfilePath(fileName));
    const internal::Profile profile = internal::ParseProfile(text ? *text : std::string());
    if (!section) {
        std::vector<std::string_view> names;
        for (const internal::ProfileSection& s : profile) {
            names.push_back(s.name);
        }
        return CopyList(names, returned, size);
    }
    const internal::ProfileSection* found = internal::FindSection(profile, section);
    if (!key) {
        std::vector<std::string_view> keys;
        if (found) {
            for (const internal::ProfileEntry& entry : found->entries) {
                keys.push_back(entry.key);
            }
        }
        return CopyList(keys, returned, size);
    }
    if (const internal::ProfileEntry* entry = found ? internal::FindEntry(*found, key) : nullptr) {
        return CopyValue(entry->value, returned, size);
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return CopyValue(DefaultValue(defaultValue), returned, size);
}

} // namespace win
