#include "platform/registry/registrytree.h"

#include "platform/registry/registry.h"

#include <algorithm>

namespace win::internal {

namespace {

// Names are ANSI; only the ASCII letters have a case to ignore.
char Folded(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool NameBefore(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(Folded(x)) < static_cast<unsigned char>(Folded(y));
    });
}

// The subkey of that name, or where it would go; for const and non-const
// lists alike.
template <typename Keys> auto SubkeyPosition(Keys& subkeys, std::string_view name) {
    return std::lower_bound(
        subkeys.begin(), subkeys.end(), name,
        [](const RegistryKey& k, std::string_view wanted) { return NameBefore(k.Name(), wanted); });
}

template <typename Keys>
bool IsAt(Keys& subkeys, decltype(subkeys.begin()) position, std::string_view name) {
    return position != subkeys.end() && SameName(position->Name(), name);
}

template <typename Values> auto ValuePosition(Values& values, std::string_view name) {
    return std::find_if(values.begin(), values.end(),
                        [&](const RegistryValue& v) { return SameName(v.name, name); });
}

} // namespace

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return Folded(x) == Folded(y); });
}

bool SplitKeyPath(std::string_view names, KeyPath& path) {
    for (;;) {
        const size_t separator = names.find('\\');
        const std::string_view name = names.substr(0, separator);
        if (name.empty())
            return false;
        path.emplace_back(name);
        if (separator == std::string_view::npos)
            return true;
        names.remove_prefix(separator + 1);
    }
}

std::vector<BYTE> StoredBytes(DWORD type, const BYTE* data, size_t size) {
    if (type != REG_SZ)
        return std::vector<BYTE>(data, data + size);
    const BYTE* end = std::find(data, data + size, BYTE{0});
    std::vector<BYTE> text(data, end);
    text.push_back(0);
    return text;
}

template <typename Key> Key* RegistryKey::Descend(Key* key, const KeyPath& path) {
    for (const std::string& part : path) {
        auto position = SubkeyPosition(key->subkeys, part);
        if (!IsAt(key->subkeys, position, part))
            return nullptr;
        key = &*position;
    }
    return key;
}

const RegistryKey* RegistryKey::Find(const KeyPath& path) const {
    return Descend(this, path);
}

RegistryKey* RegistryKey::Find(const KeyPath& path) {
    return Descend(this, path);
}

RegistryKey& RegistryKey::FindOrCreate(const KeyPath& path, bool& created) {
    created = false;
    RegistryKey* key = this;
    for (const std::string& part : path) {
        auto position = SubkeyPosition(key->subkeys, part);
        created = !IsAt(key->subkeys, position, part);
        if (created)
            position = key->subkeys.insert(position, RegistryKey(part));
        key = &*position;
    }
    return *key;
}

bool RegistryKey::RemoveSubkey(std::string_view subkeyName) {
    auto position = SubkeyPosition(subkeys, subkeyName);
    if (!IsAt(subkeys, position, subkeyName))
        return false;
    subkeys.erase(position);
    return true;
}

const RegistryValue* RegistryKey::FindValue(std::string_view valueName) const {
    auto found = ValuePosition(values, valueName);
    return found == values.end() ? nullptr : &*found;
}

void RegistryKey::SetValue(std::string_view valueName, DWORD type, std::vector<BYTE> data) {
    auto found = ValuePosition(values, valueName);
    if (found == values.end()) {
        values.push_back({std::string(valueName), type, std::move(data)});
        return;
    }
    found->type = type;
    found->data = std::move(data);
}

bool RegistryKey::RemoveValue(std::string_view valueName) {
    auto found = ValuePosition(values, valueName);
    if (found == values.end())
        return false;
    values.erase(found);
    return true;
}

const char* RootName(RegistryRoot root) {
    return root == RegistryRoot::ClassesRoot ? "HKEY_CLASSES_ROOT" : "HKEY_CURRENT_USER";
}

} // namespace win::internal
