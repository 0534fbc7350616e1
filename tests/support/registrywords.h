// Preferences as the registry holds them, for tests that set some before a
// program starts and check what it stored.
#pragma once

#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

// The 4-byte value of the current user's key, if it is there.
inline std::optional<uint32_t> StoredWord(const char* key, const char* name) {
    win::HKEY opened = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, key, 0, win::KEY_READ, &opened) != 0)
        return std::nullopt;
    uint32_t value = 0;
    win::DWORD size = sizeof value;
    const long result = win::RegQueryValueEx(opened, name, nullptr, nullptr,
                                             reinterpret_cast<win::BYTE*>(&value), &size);
    win::RegCloseKey(opened);
    return result == 0 ? std::optional(value) : std::nullopt;
}

// Stores a 4-byte value in the current user's key, making the key.
inline void StoreWord(const char* key, const char* name, uint32_t value) {
    win::HKEY opened = nullptr;
    ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_CURRENT_USER, key, 0, nullptr, 0, win::KEY_ALL_ACCESS,
                                  nullptr, &opened, nullptr),
              0);
    win::RegSetValueEx(opened, name, 0, win::REG_DWORD, reinterpret_cast<win::BYTE*>(&value),
                       sizeof value);
    win::RegCloseKey(opened);
}
