#include "display/excludedmodes.h"

#include "imaging/pxerror.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr win::DWORD kLoadNameLength = 24;
constexpr win::DWORD kClearNameLength = 64;

win::LONG ValueName(win::HKEY key, win::DWORD index, char* name, win::DWORD capacity) {
    win::DWORD length = capacity;
    return win::RegEnumValue(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
}

// One decimal number as atoi reads it, but held to the 32-bit range instead
// of overflowing.
uint32_t ReadNumber(const char* text) {
    const long value = std::strtol(text, nullptr, 10);
    return static_cast<uint32_t>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

} // namespace

std::string ExcludedModeName(const ModeStruct& mode) {
    return std::to_string(mode.width) + "x" + std::to_string(mode.height) + "x" +
           std::to_string(mode.bpp);
}

ModeStruct ModeFromExcludedName(const char* name) {
    uint32_t fields[3] = {0, 0, 0};
    const char* piece = name;
    for (uint32_t& field : fields) {
        if (!piece)
            break;
        field = ReadNumber(piece);
        piece = std::strchr(piece, 'x');
        if (piece)
            ++piece;
    }
    return {fields[0], fields[1], fields[2], 0};
}

void LoadExcludedModes(const char* keyPath, ModeStruct** modes, int32_t* count) {
    win::HKEY key = nullptr;
    const win::LONG opened =
        win::RegCreateKeyEx(win::HKEY_CURRENT_USER, keyPath, 0, nullptr,
                            win::REG_OPTION_NON_VOLATILE, win::KEY_READ, nullptr, &key, nullptr);
    if (opened != win::ERROR_SUCCESS) {
        pxLog("LoadExcludedModes -- ERROR: creating/opening key: %d '%s'", static_cast<int>(opened),
              keyPath ? keyPath : "");
        return;
    }

    char name[kLoadNameLength];
    int32_t found = 0;
    while (ValueName(key, static_cast<win::DWORD>(found), name, sizeof name) == win::ERROR_SUCCESS)
        ++found;

    auto* list = new ModeStruct[static_cast<size_t>(found)];
    int32_t loaded = 0;
    // The key may have lost values since they were counted.
    while (loaded < found && ValueName(key, static_cast<win::DWORD>(loaded), name, sizeof name) ==
                                 win::ERROR_SUCCESS) {
        list[loaded] = ModeFromExcludedName(name);
        ++loaded;
    }
    *modes = list;
    *count = loaded;
    win::RegCloseKey(key);
}

void ClearExcludedModes(const char* keyPath) {
    win::HKEY key = nullptr;
    const win::LONG opened = win::RegOpenKeyEx(win::HKEY_CURRENT_USER, keyPath, 0,
                                               win::KEY_READ | win::KEY_SET_VALUE, &key);
    if (opened != win::ERROR_SUCCESS) {
        pxLog("ClearExcludedModes -- ERROR: opening key: %d", static_cast<int>(opened));
        return;
    }
    win::DWORD values = 0;
    win::RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
    // From the last value down, so that deleting never shifts one not yet
    // seen; below index 0 the index wraps and the enumeration ends.
    for (win::DWORD index = values - 1;; --index) {
        char name[kClearNameLength];
        const win::LONG listed = ValueName(key, index, name, sizeof name);
        if (listed == win::ERROR_MORE_DATA)
            continue; // a name too long for the buffer is not an excluded mode
        if (listed != win::ERROR_SUCCESS)
            break; // ERROR_NO_MORE_ITEMS once past index 0
        const win::LONG deleted = win::RegDeleteValue(key, name);
        if (deleted != win::ERROR_SUCCESS) {
            pxLog("ClearExcludedModes -- ERROR: deleting value: %s %d", name,
                  static_cast<int>(deleted));
            break;
        }
    }
    win::RegCloseKey(key);
}
