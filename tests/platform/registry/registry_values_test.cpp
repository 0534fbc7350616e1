// Setting, reading, enumerating and deleting values of each type, and the
// calls in the order the display, device and viewer code makes them.
#include "registryfixture.h"

#include <cstring>
#include <string>
#include <vector>

using namespace win;

namespace {

LONG SetString(HKEY key, const char* name, const char* text, DWORD size) {
    return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size);
}

// The value's type and bytes, read with a buffer of exactly the reported size.
std::pair<DWORD, std::vector<BYTE>> Query(HKEY key, const char* name) {
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueEx(key, name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    std::vector<BYTE> data(size);
    EXPECT_EQ(RegQueryValueEx(key, name, nullptr, &type, data.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, data.size());
    return {type, data};
}

std::vector<BYTE> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

} // namespace

TEST_F(RegistryTest, ValuesOfEachTypeComeBackAsStored) {
    const HKEY key = CreateKey("Types");
    ASSERT_EQ(SetDword(key, "DisplayMethod", 0xDEADBEEF), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "DisplayMethod"),
              std::make_pair(REG_DWORD, std::vector<BYTE>{0xEF, 0xBE, 0xAD, 0xDE}));

    const BYTE binary[] = {0, 1, 0, 0xFF, 0};
    ASSERT_EQ(RegSetValueEx(key, "Binary", 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "Binary"),
              std::make_pair(REG_BINARY, std::vector<BYTE>{0, 1, 0, 0xFF, 0}));
    ASSERT_EQ(RegSetValueEx(key, "Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "Empty"), std::make_pair(REG_BINARY, std::vector<BYTE>{}));

    // Strings are stored with or without their terminator in the size and
    // always come back with one; the text ends at an embedded terminator.
    ASSERT_EQ(SetString(key, "NoTerminator", "800x600x16", 10), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "NoTerminator"), std::make_pair(REG_SZ, Bytes({"800x600x16\0", 11})));
    ASSERT_EQ(SetString(key, "Terminated", "1,4,5,", 7), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "Terminated"), std::make_pair(REG_SZ, Bytes({"1,4,5,\0", 7})));
    ASSERT_EQ(SetString(key, "Embedded", "ab\0cd", 5), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "Embedded"), std::make_pair(REG_SZ, Bytes({"ab\0", 3})));
    ASSERT_EQ(SetString(key, "Blank", "", 0), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "Blank"), std::make_pair(REG_SZ, Bytes({"\0", 1})));

    // Setting a value again replaces its type and data.
    ASSERT_EQ(SetString(key, "DisplayMethod", "two", 3), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "DisplayMethod"), std::make_pair(REG_SZ, Bytes({"two\0", 4})));

    EXPECT_EQ(RegSetValueEx(key, "Bad", 0, REG_BINARY, nullptr, 3), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(key, "Bad", 1, REG_BINARY, binary, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(key, "Line\nBreak", 0, REG_BINARY, binary, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueEx(key, "Bad", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, QueryReportsMissingValuesAndTheSizeASmallBufferNeeds) {
    const HKEY key = CreateKey("Query");
    SetString(key, "Path", "C:\\OSPI\\", 8);

    DWORD type = 0, size = 0;
    char buffer[16] = {};
    EXPECT_EQ(RegQueryValueEx(key, "Missing", nullptr, &type, nullptr, &size),
              ERROR_FILE_NOT_FOUND);

    size = 8; // one short: the terminator does not fit
    EXPECT_EQ(RegQueryValueEx(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 9u);
    EXPECT_EQ(type, REG_SZ);
    size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 9u);
    size = sizeof buffer;
    EXPECT_EQ(
        RegQueryValueEx(key, "PATH", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(size, 9u);
    EXPECT_STREQ(buffer, "C:\\OSPI\\");

    // Only the type, or nothing but whether it exists.
    type = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Path", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Path", &reserved, &type, nullptr, &size),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(
        RegQueryValueEx(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(buffer), nullptr),
        ERROR_INVALID_PARAMETER);

    // Null and "" both name the default value.
    SetString(key, nullptr, "default", 7);
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueEx(key, "", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "default");
}

TEST_F(RegistryTest, NamesCompareWithoutRegardToCaseAndKeepTheirFirstSpelling) {
    const HKEY key = CreateKey("Case");
    SetDword(key, "StereoView", 4);
    SetDword(key, "STEREOVIEW", 5);
    EXPECT_EQ(QueryDword(key, "stereoview"), 5u);

    char name[32];
    DWORD length = sizeof name;
    ASSERT_EQ(RegEnumValue(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "StereoView");
    length = sizeof name;
    EXPECT_EQ(RegEnumValue(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);

    EXPECT_EQ(RegDeleteValue(key, "sTeReOvIeW"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "StereoView"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(QueryDword(key, "StereoView"), std::nullopt);
}

TEST_F(RegistryTest, EnumValueGivesNamesAndDataInOrderUntilNoMoreItems) {
    const HKEY key = CreateKey("Enum");
    SetDword(key, "First", 1);
    SetString(key, "", "default", 7);
    SetString(key, "Third", "text", 4);

    std::vector<std::string> names;
    std::vector<DWORD> types;
    for (DWORD i = 0;; ++i) {
        char name[24];
        DWORD length = sizeof name, type = 0;
        BYTE data[16];
        DWORD size = sizeof data;
        const LONG status = RegEnumValue(key, i, name, &length, nullptr, &type, data, &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        EXPECT_EQ(length, std::strlen(name));
        names.emplace_back(name);
        types.push_back(type);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"First", "", "Third"}));
    EXPECT_EQ(types, (std::vector<DWORD>{REG_DWORD, REG_SZ, REG_SZ}));

    // A name buffer without room for the terminator: the length is left
    // alone. A small data buffer: the size needed is reported.
    char name[5];
    DWORD length = sizeof name;
    EXPECT_EQ(RegEnumValue(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    EXPECT_EQ(length, 5u);
    char longName[8];
    length = sizeof longName;
    BYTE data[2];
    DWORD size = sizeof data;
    EXPECT_EQ(RegEnumValue(key, 2, longName, &length, nullptr, nullptr, data, &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    EXPECT_STREQ(longName, "Third");
    size = 0;
    length = sizeof longName;
    EXPECT_EQ(RegEnumValue(key, 2, longName, &length, nullptr, nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);

    EXPECT_EQ(RegEnumValue(key, 0, nullptr, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegEnumValue(key, 0, name, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, ExcludedModesAreWrittenListedAndClearedAsTheDisplayCodeDoes) {
    // Writing: the preferences key, then its ExModes subkey, one string per mode.
    const HKEY preferences = CreateKey("Software\\Norvane\\BinoxaViewer\\Preferences");
    HKEY modes = nullptr;
    ASSERT_EQ(RegCreateKeyEx(preferences, "ExModes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS, nullptr, &modes, nullptr),
              ERROR_SUCCESS);
    for (const char* mode : {"640x480x8", "800x600x16", "1024x768x32"})
        ASSERT_EQ(SetString(modes, mode, mode, static_cast<DWORD>(std::strlen(mode))),
                  ERROR_SUCCESS);
    RegCloseKey(modes);
    RegCloseKey(preferences);

    // Loading: create-or-open for reading, count the names until enumeration fails.
    const char* path = "Software\\Norvane\\BinoxaViewer\\Preferences\\ExModes";
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                             nullptr, &modes, nullptr),
              ERROR_SUCCESS);
    std::vector<std::string> names;
    char name[24];
    for (DWORD length = sizeof name;
         RegEnumValue(modes, static_cast<DWORD>(names.size()), name, &length, nullptr, nullptr,
                      nullptr, nullptr) == ERROR_SUCCESS;
         length = sizeof name)
        names.emplace_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"640x480x8", "800x600x16", "1024x768x32"}));
    RegCloseKey(modes);

    // Clearing: from the last index down, deleting by name, until no more items.
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &modes), ERROR_SUCCESS);
    DWORD count = 0;
    ASSERT_EQ(RegQueryInfoKey(modes, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                              nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(count, 3u);
    int deleted = 0;
    for (DWORD index = count - 1;; --index) {
        char longName[64];
        DWORD length = sizeof longName;
        const LONG status =
            RegEnumValue(modes, index, longName, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        ASSERT_EQ(RegDeleteValue(modes, longName), ERROR_SUCCESS);
        ++deleted;
    }
    EXPECT_EQ(deleted, 3);
    ASSERT_EQ(RegQueryInfoKey(modes, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                              nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(count, 0u);
    RegCloseKey(modes);
}

TEST_F(RegistryTest, PreferencesLiveInSubkeysOfTheUserKeyAsFourByteValues) {
    // Writing opens or creates the user key, then the subkey named before the
    // last backslash of the value name.
    HKEY user = nullptr, sub = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Norvane\\BinoxaViewer\\Preferences", 0,
                             nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &user,
                             nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyEx(user, "Window", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                             nullptr, &sub, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetDword(sub, "Left", 120), ERROR_SUCCESS);
    RegCloseKey(sub);
    RegCloseKey(user);

    // Reading opens without creating and reads into a 4-byte destination.
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER,
                           "Software\\Norvane\\BinoxaViewer\\Preferences\\Window", 0, KEY_READ,
                           &sub),
              ERROR_SUCCESS);
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(
        RegQueryValueEx(sub, "Left", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 120u);
    RegCloseKey(sub);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Norvane\\Common\\Preferences", 0, KEY_READ,
                           &sub),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, QueryValueReadsTheDefaultValueOfAClassesRootKey) {
    char path[257];
    LONG size = sizeof path;
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, "OSPI", path, &size), ERROR_FILE_NOT_FOUND);

    HKEY ospi = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, "OSPI", 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS, nullptr, &ospi, nullptr),
              ERROR_SUCCESS);
    // A key without a default value reads as the empty string.
    size = sizeof path;
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, "OSPI", path, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 1);
    EXPECT_STREQ(path, "");

    SetString(ospi, nullptr, "/opt/tessel/", 12);
    size = sizeof path;
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, "ospi", path, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 13);
    EXPECT_STREQ(path, "/opt/tessel/");
    size = sizeof path;
    EXPECT_EQ(RegQueryValue(ospi, nullptr, path, &size), ERROR_SUCCESS);
    EXPECT_STREQ(path, "/opt/tessel/");

    size = 12;
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, "OSPI", path, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 13);
    size = -5; // a negative size is no room at all
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, "OSPI", path, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 13);
    size = 0;
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, "OSPI", nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 13);
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, "OSPI", path, nullptr), ERROR_INVALID_PARAMETER);

    // The two root keys are apart.
    EXPECT_EQ(RegQueryValue(HKEY_CURRENT_USER, "OSPI", nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(ospi);
}
