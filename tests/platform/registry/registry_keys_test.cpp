// Opening, creating, enumerating and deleting keys, with the error codes
// Win32 gives.
#include "registryfixture.h"

#include <string>
#include <vector>

using namespace win;

namespace {

std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyEx(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return names;
        names.emplace_back(name, length);
    }
}

} // namespace

TEST_F(RegistryTest, CreateReportsNewOrExistingAndOpenFindsKeysWithoutRegardToCase) {
    HKEY created = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Norvane\\Common\\Preferences", 0,
                             nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &created,
                             &disposition),
              ERROR_SUCCESS);
    EXPECT_NE(created, nullptr);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);

    HKEY again = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\norvane\\COMMON\\preferences\\", 0,
                             nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &again,
                             &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_NE(again, created);

    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "software\\NORVANE", 0, KEY_READ, &opened),
              ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(opened), std::vector<std::string>{"Common"}); // case kept

    HKEY missing = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Nobody", 0, KEY_READ, &missing),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(RegOpenKeyEx(opened, "Common\\Preferences\\Deeper", 0, KEY_READ, &missing),
              ERROR_FILE_NOT_FOUND);

    // A subkey relative to an open key, and the key itself again.
    HKEY relative = nullptr;
    ASSERT_EQ(RegOpenKeyEx(opened, "Common\\Preferences", 0, KEY_ALL_ACCESS, &relative),
              ERROR_SUCCESS);
    EXPECT_EQ(SetDword(relative, "StereoView", 4), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(created, "StereoView"), 4u);
    HKEY self = nullptr;
    ASSERT_EQ(RegOpenKeyEx(relative, nullptr, 0, KEY_READ, &self), ERROR_SUCCESS);
    EXPECT_NE(self, relative);
    EXPECT_EQ(QueryDword(self, "StereoView"), 4u);

    // Predefined keys open as themselves.
    HKEY root = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "", 0, KEY_READ, &root), ERROR_SUCCESS);
    EXPECT_EQ(root, HKEY_CURRENT_USER);

    for (HKEY key : {created, again, opened, relative, self})
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(created), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(created, "StereoView"), std::nullopt); // closed handle
}

TEST_F(RegistryTest, BadHandlesAndArgumentsAreRefused) {
    HKEY key = nullptr;
    const HKEY closed = CreateKey("Closed");
    RegCloseKey(closed);
    const HKEY bogus = reinterpret_cast<HKEY>(0x12345);
    for (HKEY bad : {closed, bogus, static_cast<HKEY>(nullptr)}) {
        EXPECT_EQ(RegOpenKeyEx(bad, "x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCreateKeyEx(bad, "x", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr,
                                 &key, nullptr),
                  ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegSetValueEx(bad, "v", 0, REG_BINARY, nullptr, 0), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegQueryValueEx(bad, "v", nullptr, nullptr, nullptr, nullptr),
                  ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegDeleteValue(bad, "v"), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegDeleteKey(bad, "x"), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegQueryInfoKey(bad, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr, nullptr),
                  ERROR_INVALID_HANDLE);
    }

    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Closed", 0, KEY_READ, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Closed", 1, KEY_READ, &key),
              ERROR_INVALID_PARAMETER);
    for (const char* badPath : {"\\Leading", "Double\\\\Backslash", "Line\nBreak"}) {
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, badPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ, nullptr, &key, nullptr),
                  ERROR_INVALID_PARAMETER)
            << badPath;
    }
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, nullptr, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_READ, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "x", 1, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                             nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "x", 0, nullptr, 1 /* volatile */, KEY_READ,
                             nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "x", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                             nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    std::string deep = "k";
    for (int i = 1; i < 513; ++i)
        deep += "\\k";
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, deep.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_READ, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, nullptr), ERROR_INVALID_PARAMETER);
    // None of the refused calls made a key.
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "x", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, SubkeysEnumerateInNameOrderUntilNoMoreItems) {
    const HKEY parent = CreateKey("Parent");
    for (const char* name : {"beta", "Alpha", "GAMMA", "delta\\Inner"})
        RegCloseKey(CreateKey((std::string("Parent\\") + name).c_str()));
    EXPECT_EQ(SubkeyNames(parent), (std::vector<std::string>{"Alpha", "beta", "delta", "GAMMA"}));

    char name[8];
    DWORD length = 5; // "Alpha" needs 6 with its terminator
    EXPECT_EQ(RegEnumKeyEx(parent, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    EXPECT_EQ(length, 5u);
    length = 6;
    char keyClass[4] = "xyz";
    DWORD classLength = sizeof keyClass;
    EXPECT_EQ(RegEnumKeyEx(parent, 0, name, &length, nullptr, keyClass, &classLength, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "Alpha");
    EXPECT_EQ(length, 5u);
    EXPECT_STREQ(keyClass, "");
    EXPECT_EQ(classLength, 0u);

    length = sizeof name;
    EXPECT_EQ(RegEnumKeyEx(parent, 4, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumKeyEx(parent, 0xFFFFFFFF, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumKeyEx(parent, 0, nullptr, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    DWORD reserved = 0;
    EXPECT_EQ(RegEnumKeyEx(parent, 0, name, &length, &reserved, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, QueryInfoKeyCountsSubkeysAndValues) {
    const HKEY key = CreateKey("Info");
    RegCloseKey(CreateKey("Info\\Short"));
    RegCloseKey(CreateKey("Info\\MuchLongerName"));
    SetDword(key, "A", 1);
    const char text[] = "twelve bytes";
    RegSetValueEx(key, "LongestValueName", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 12);

    DWORD subKeys = 0, maxSubKey = 0, maxClass = 9, values = 0, maxName = 0, maxValue = 0,
          security = 9, classLength = 16;
    char keyClass[16] = "junk";
    ASSERT_EQ(RegQueryInfoKey(key, keyClass, &classLength, nullptr, &subKeys, &maxSubKey, &maxClass,
                              &values, &maxName, &maxValue, &security, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(keyClass, "");
    EXPECT_EQ(classLength, 0u);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSubKey, 14u);
    EXPECT_EQ(maxClass, 0u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxName, 16u);
    EXPECT_EQ(maxValue, 13u); // the string with its terminator
    EXPECT_EQ(security, 0u);

    // Every output is optional.
    EXPECT_EQ(RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                              nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegQueryInfoKey(key, keyClass, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    classLength = 0;
    EXPECT_EQ(RegQueryInfoKey(key, keyClass, &classLength, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
}

TEST_F(RegistryTest, DeleteKeyTakesOnlyKeysWithoutSubkeys) {
    const HKEY outer = CreateKey("Outer");
    const HKEY inner = CreateKey("Outer\\Inner");
    SetDword(inner, "Value", 7);

    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Outer"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(outer, "Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(outer, "INNER"), ERROR_SUCCESS);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(outer, "Inner", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    // The handle of a deleted key stays open but reaches nothing.
    EXPECT_EQ(QueryDword(inner, "Value"), std::nullopt);
    EXPECT_EQ(RegQueryValueEx(inner, "Value", nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(SetDword(inner, "Value", 8), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKeyEx(inner, "Sub", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr,
                             &key, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(inner), ERROR_SUCCESS);

    // A key deletes itself through its own handle; root keys cannot go.
    EXPECT_EQ(RegDeleteKey(outer, ""), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Outer", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
    RegCloseKey(outer);
}

TEST_F(RegistryTest, HandlesAllowOnlyTheAccessTheyWereOpenedWith) {
    RegCloseKey(CreateKey("Prefs\\Existing"));
    HKEY reader = nullptr, writer = nullptr, key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Prefs", 0, KEY_READ, &reader), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Prefs", 0, KEY_WRITE, &writer), ERROR_SUCCESS);

    EXPECT_EQ(SetDword(writer, "Value", 5), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(reader, "Value", 6), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(reader, "Value"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(QueryDword(reader, "Value"), 5u);
    EXPECT_EQ(RegQueryValueEx(writer, "Value", nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    char name[32];
    DWORD length = sizeof name;
    EXPECT_EQ(RegEnumValue(writer, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegEnumKeyEx(writer, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);

    // Creating needs the right to make subkeys; opening an existing one does not.
    EXPECT_EQ(RegCreateKeyEx(reader, "New", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr,
                             &key, nullptr),
              ERROR_ACCESS_DENIED);
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyEx(reader, "Existing", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                             nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
    EXPECT_EQ(RegCreateKeyEx(writer, "New", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr,
                             &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);

    // A key opened with no rights at all still opens.
    HKEY nothing = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Prefs", 0, 0, &nothing), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(nothing, "Value"), std::nullopt);
    for (HKEY open : {reader, writer, key, nothing})
        RegCloseKey(open);
}
