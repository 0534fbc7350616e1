#include "viewer/winregistry.h"

#include "imaging/pxerror.h"
#include "platform/registry/registry.h"

#include <cstring>
#include <vector>

namespace {

std::string KeyPath(const char* company, const char* product, const char* section) {
    std::string path = std::string("Software\\") + company + "\\" + product;
    if (section)
        path += std::string("\\") + section;
    return path;
}

// An open registry key, closed when it goes.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (key)
            win::RegCloseKey(key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    long Open(win::HKEY parent, const char* path) {
        return win::RegOpenKeyEx(parent, path, 0, win::KEY_READ, &key);
    }
    long Create(win::HKEY parent, const char* path) {
        return win::RegCreateKeyEx(parent, path, 0, nullptr, win::REG_OPTION_NON_VOLATILE,
                                   win::KEY_ALL_ACCESS, nullptr, &key, nullptr);
    }
    win::HKEY Get() const { return key; }

private:
    win::HKEY key = nullptr;
};

// A user value name "sub\value" names value in the subkey sub; the split is
// at the last backslash, if that lies past the name's second character.
struct SplitName {
    std::optional<std::string> subkey;
    std::string value;
};

SplitName Split(const char* name, bool withSubkeys) {
    const std::string whole(name);
    const std::size_t slash = whole.rfind('\\');
    if (!withSubkeys || slash == std::string::npos || slash <= 1)
        return {std::nullopt, whole};
    return {whole.substr(0, slash), whole.substr(slash + 1)};
}

// Opens (or creates) the location and the subkey of the name, then hands the
// key and the value name to the action.
template <typename Action>
long WithKey(const std::optional<std::string>& location, const char* name, bool withSubkeys,
             bool create, Action action) {
    if (!location)
        return win::ERROR_BADKEY;
    const SplitName split = Split(name, withSubkeys);
    OpenKey key;
    long result = create ? key.Create(win::HKEY_CURRENT_USER, location->c_str())
                         : key.Open(win::HKEY_CURRENT_USER, location->c_str());
    if (result != win::ERROR_SUCCESS)
        return result;
    if (!split.subkey)
        return action(key.Get(), split.value.c_str());
    OpenKey subkey;
    result = create ? subkey.Create(key.Get(), split.subkey->c_str())
                    : subkey.Open(key.Get(), split.subkey->c_str());
    if (result != win::ERROR_SUCCESS)
        return result;
    return action(subkey.Get(), split.value.c_str());
}

long WriteWord(win::HKEY key, const char* name, uint32_t value, uint32_t type) {
    return win::RegSetValueEx(key, name, 0, type, reinterpret_cast<const win::BYTE*>(&value),
                              sizeof value);
}

// Only a value of exactly the destination's size is taken, so a stray text
// or a short value never leaves a half-written setting.
long ReadExactly(win::HKEY key, const char* name, void* destination, uint32_t size) {
    std::vector<win::BYTE> data(size);
    win::DWORD length = size;
    const long result = win::RegQueryValueEx(key, name, nullptr, nullptr, data.data(), &length);
    if (result != win::ERROR_SUCCESS)
        return result;
    if (length != size)
        return win::ERROR_INVALID_DATA;
    std::memcpy(destination, data.data(), size);
    return win::ERROR_SUCCESS;
}

// Texts come back terminated; one that does not fit leaves the buffer as it was.
long ReadText(win::HKEY key, const char* name, char* buffer, uint32_t size) {
    if (!buffer || size == 0)
        return win::ERROR_INVALID_PARAMETER;
    std::vector<win::BYTE> data(size);
    win::DWORD length = size - 1;
    const long result = win::RegQueryValueEx(key, name, nullptr, nullptr, data.data(), &length);
    if (result != win::ERROR_SUCCESS)
        return result;
    std::memcpy(buffer, data.data(), length);
    buffer[length] = '\0';
    return win::ERROR_SUCCESS;
}

} // namespace

int WinRegistry::SetUserLocation(const char* company, const char* product, const char* section) {
    userLocation = KeyPath(company, product, section);
    return 1;
}

int WinRegistry::SetCommonLocation(const char* company, const char* product, const char* section) {
    commonLocation = KeyPath(company, product, section);
    return 1;
}

long WinRegistry::SetUserValue(const char* name, uint32_t value, uint32_t type) {
    if (!userLocation)
        throw pxError("WinRegistry::SetUserValue -- UserLocation undefined.");
    return WithKey(userLocation, name, true, true, [&](win::HKEY key, const char* valueName) {
        return WriteWord(key, valueName, value, type);
    });
}

long WinRegistry::SetCommonValue(const char* name, uint32_t value, uint32_t type) {
    if (!commonLocation)
        throw pxError("WinRegistry::SetCommonValue -- CommonLocation undefined.");
    return WithKey(commonLocation, name, false, true, [&](win::HKEY key, const char* valueName) {
        return WriteWord(key, valueName, value, type);
    });
}

long WinRegistry::GetUserValue(const char* name, void* destination, uint32_t size) const {
    return WithKey(userLocation, name, true, false, [&](win::HKEY key, const char* valueName) {
        return ReadExactly(key, valueName, destination, size);
    });
}

long WinRegistry::GetCommonValue(const char* name, void* destination, uint32_t size) const {
    return WithKey(commonLocation, name, false, false, [&](win::HKEY key, const char* valueName) {
        return ReadExactly(key, valueName, destination, size);
    });
}

long WinRegistry::GetValue(const char* name, void* destination, uint32_t size) const {
    const long result = GetUserValue(name, destination, size);
    return result == win::ERROR_SUCCESS ? result : GetCommonValue(name, destination, size);
}

long WinRegistry::SetUserString(const char* name, const char* text, uint32_t type) {
    return WithKey(userLocation, name, false, true, [&](win::HKEY key, const char* valueName) {
        return win::RegSetValueEx(key, valueName, 0, type, reinterpret_cast<const win::BYTE*>(text),
                                  static_cast<win::DWORD>(std::strlen(text)));
    });
}

long WinRegistry::GetUserString(const char* name, char* buffer, uint32_t size) const {
    return WithKey(userLocation, name, true, false, [&](win::HKEY key, const char* valueName) {
        return ReadText(key, valueName, buffer, size);
    });
}

long WinRegistry::GetCommonString(const char* name, char* buffer, uint32_t size) const {
    return WithKey(commonLocation, name, false, false, [&](win::HKEY key, const char* valueName) {
        return ReadText(key, valueName, buffer, size);
    });
}

long WinRegistry::GetString(const char* name, char* buffer, uint32_t size) const {
    const long result = GetUserString(name, buffer, size);
    return result == win::ERROR_SUCCESS ? result : GetCommonString(name, buffer, size);
}
