// The registry calls the display, device, viewer and plug-in code makes, with
// Win32's names, arguments, results and error codes. Keys and values live in
// one REGEDIT4 text file shared by every process of the user (see
// registrystore.h for where it is and how it is shared).
#pragma once

#include "platform/win/wintypes.h"

namespace win {

// An open key; the predefined root keys below are always open.
using HKEY = struct RegistryKeyTag*;
using REGSAM = DWORD;

// Only passed through; the registry keeps no security descriptors and no
// write times.
struct SECURITY_ATTRIBUTES;
struct FILETIME;

// Win32 gives the predefined keys these values, sign-extended to a pointer.
inline const HKEY HKEY_CLASSES_ROOT =
    reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<LONG>(0x80000000)));
inline const HKEY HKEY_CURRENT_USER =
    reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<LONG>(0x80000001)));

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// Access rights of a key handle.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_EXECUTE = KEY_READ;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// RegCreateKeyEx options and dispositions.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                    REGSAM access, const SECURITY_ATTRIBUTES* security, HKEY* result,
                    DWORD* disposition);
LONG RegCloseKey(HKEY key);
LONG RegDeleteKey(HKEY key, const char* subKey);

LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* dataSize);
LONG RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD dataSize);
LONG RegDeleteValue(HKEY key, const char* valueName);
// The default value of the key or of its subkey, as a string.
LONG RegQueryValue(HKEY key, const char* subKey, char* data, LONG* dataSize);

LONG RegEnumValue(HKEY key, DWORD index, char* valueName, DWORD* valueNameLength, DWORD* reserved,
                  DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved,
                  char* keyClass, DWORD* keyClassLength, FILETIME* lastWriteTime);
LONG RegQueryInfoKey(HKEY key, char* keyClass, DWORD* keyClassLength, DWORD* reserved,
                     DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values,
                     DWORD* maxValueNameLength, DWORD* maxValueLength,
                     DWORD* securityDescriptorSize, FILETIME* lastWriteTime);

} // namespace win
