// The registry's keys and values in memory: two root keys, each a tree of
// named subkeys holding typed values. Names compare without regard to case
// and keep the case they were created with.
#pragma once

#include "platform/win/wintypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace win::internal {

// Key names below a root, outermost first.
using KeyPath = std::vector<std::string>;

// As deep as Win32 lets a registry tree grow; it also bounds the recursion
// over the tree.
constexpr size_t kMaxKeyDepth = 512;

bool SameName(std::string_view a, std::string_view b);

// Splits names joined by single backslashes; false for an empty name.
bool SplitKeyPath(std::string_view names, KeyPath& path);

// The bytes a value of the type holds for the caller's bytes: a string keeps
// its text up to the first terminator and always ends with one terminator;
// every other type keeps the bytes as they are.
std::vector<BYTE> StoredBytes(DWORD type, const BYTE* data, size_t size);

struct RegistryValue {
    std::string name; // empty for the key's default value
    DWORD type = 0;
    std::vector<BYTE> data;

    bool operator==(const RegistryValue&) const = default;
};

class RegistryKey {
public:
    explicit RegistryKey(std::string name = {}) : name(std::move(name)) {}

    const std::string& Name() const { return name; }
    // Ordered by name without regard to case, as enumeration gives them.
    const std::vector<RegistryKey>& Subkeys() const { return subkeys; }
    // In the order they were first set.
    const std::vector<RegistryValue>& Values() const { return values; }

    const RegistryKey* Find(const KeyPath& path) const;
    RegistryKey* Find(const KeyPath& path);
    // Finds the key at the path, creating the missing ones; `created` tells
    // whether the last one is new.
    RegistryKey& FindOrCreate(const KeyPath& path, bool& created);
    bool RemoveSubkey(std::string_view subkeyName);

    const RegistryValue* FindValue(std::string_view valueName) const;
    // Replaces the data and type of a value of that name (which keeps its
    // first spelling) or adds the value at the end.
    void SetValue(std::string_view valueName, DWORD type, std::vector<BYTE> data);
    bool RemoveValue(std::string_view valueName);

    bool operator==(const RegistryKey&) const = default;

private:
    template <typename Key> static Key* Descend(Key* key, const KeyPath& path);

    std::string name;
    std::vector<RegistryKey> subkeys;
    std::vector<RegistryValue> values;
};

enum class RegistryRoot { ClassesRoot, CurrentUser };
constexpr RegistryRoot kRegistryRoots[] = {RegistryRoot::ClassesRoot, RegistryRoot::CurrentUser};

const char* RootName(RegistryRoot root);

struct RegistryTree {
    RegistryKey classesRoot{RootName(RegistryRoot::ClassesRoot)};
    RegistryKey currentUser{RootName(RegistryRoot::CurrentUser)};

    RegistryKey& Root(RegistryRoot root) {
        return root == RegistryRoot::ClassesRoot ? classesRoot : currentUser;
    }
    const RegistryKey& Root(RegistryRoot root) const {
        return root == RegistryRoot::ClassesRoot ? classesRoot : currentUser;
    }

    bool operator==(const RegistryTree&) const = default;
};

} // namespace win::internal
