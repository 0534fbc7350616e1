// The viewer's preferences in the registry: a key of its own and a key it
// shares with the browser plug-in, both below HKEY_CURRENT_USER. Reading
// prefers the user key; values are 4-byte words or texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class WinRegistry {
public:
    // "Software\company\product[\section]"; replaces a location set before.
    int SetUserLocation(const char* company, const char* product, const char* section);
    int SetCommonLocation(const char* company, const char* product, const char* section);

    // Each answers the registry's error code, 0 on success. A user value name
    // with a backslash past its second character names a subkey of the user
    // key (created when writing) and the value in it.
    long SetUserValue(const char* name, uint32_t value, uint32_t type);
    long SetCommonValue(const char* name, uint32_t value, uint32_t type);
    long GetUserValue(const char* name, void* destination, uint32_t size) const;
    long GetCommonValue(const char* name, void* destination, uint32_t size) const;
    // The user value, or else the common one; the destination is untouched
    // when neither can be read.
    long GetValue(const char* name, void* destination, uint32_t size) const;

    // Texts are written without their terminator.
    long SetUserString(const char* name, const char* text, uint32_t type);
    long GetUserString(const char* name, char* buffer, uint32_t size) const;
    long GetCommonString(const char* name, char* buffer, uint32_t size) const;
    long GetString(const char* name, char* buffer, uint32_t size) const;

private:
    std::optional<std::string> userLocation;
    std::optional<std::string> commonLocation;
};
