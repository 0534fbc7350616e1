#include "platform/registry/registry.h"

#include "platform/registry/registrystore.h"
#include "platform/registry/registrytree.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace win {

namespace {

using internal::KeyPath;
using internal::RegistryKey;
using internal::RegistryRoot;
using internal::RegistryStore;
using internal::RegistryTree;
using internal::RegistryValue;

// What a handle stands for: a key by its path, so that it follows the file
// as other processes change it.
struct OpenKey {
    RegistryRoot root;
    KeyPath path;
    REGSAM access;
    bool predefined = false;
};

const OpenKey kClassesRoot{RegistryRoot::ClassesRoot, {}, KEY_ALL_ACCESS, true};
const OpenKey kCurrentUser{RegistryRoot::CurrentUser, {}, KEY_ALL_ACCESS, true};

class Registry {
public:
    // One call at a time: the plug-in calls from two threads.
    std::mutex mutex;

    // Null for a handle that is not open.
    const OpenKey* Lookup(HKEY key) const {
        if (key == HKEY_CLASSES_ROOT)
            return &kClassesRoot;
        if (key == HKEY_CURRENT_USER)
            return &kCurrentUser;
        const auto found = handles.find(reinterpret_cast<std::uintptr_t>(key));
        return found == handles.end() ? nullptr : &found->second;
    }

    // Handle values are never reused, so a closed handle stays invalid.
    HKEY Open(OpenKey key) {
        const std::uintptr_t handle = nextHandle;
        nextHandle += 4;
        handles.emplace(handle, std::move(key));
        return reinterpret_cast<HKEY>(handle);
    }

    bool Close(HKEY key) { return handles.erase(reinterpret_cast<std::uintptr_t>(key)) == 1; }

    // The store of the file named now; tests and users may name another
    // file between calls.
    RegistryStore& Store() {
        std::string path = internal::RegistryFilePath();
        if (!store || store->Path() != path)
            store = std::make_unique<RegistryStore>(std::move(path));
        return *store;
    }

private:
    std::map<std::uintptr_t, OpenKey> handles;
    std::uintptr_t nextHandle = 0x1000;
    std::unique_ptr<RegistryStore> store;
};

Registry& State() {
    // Never destroyed: a plug-in may still close its keys while the process ends.
    static Registry* registry = new Registry;
    return *registry;
}

bool Allows(const OpenKey& key, REGSAM needed) {
    return (key.access & needed) == needed;
}

// The handle's key, or null when it was deleted after the handle was opened.
const RegistryKey* KeyOf(const RegistryTree& tree, const OpenKey& key) {
    return tree.Root(key.root).Find(key.path);
}
RegistryKey* KeyOf(RegistryTree& tree, const OpenKey& key) {
    return tree.Root(key.root).Find(key.path);
}

// The line-based file cannot hold a line break in a name.
bool ValidName(std::string_view name) {
    return name.find_first_of("\r\n") == std::string_view::npos;
}

// A subkey argument as names below the key: null and "" name the key itself,
// and one trailing backslash is allowed.
bool ParseSubKey(const char* subKey, KeyPath& relative) {
    std::string_view names = subKey ? subKey : "";
    if (names.size() > 1 && names.ends_with('\\'))
        names.remove_suffix(1);
    return names.empty() || (ValidName(names) && internal::SplitKeyPath(names, relative));
}

OpenKey Below(const OpenKey& from, const KeyPath& relative, REGSAM access) {
    OpenKey below{from.root, from.path, access};
    below.path.insert(below.path.end(), relative.begin(), relative.end());
    return below;
}

// A name into the caller's buffer of *length characters with its terminator;
// *length becomes the length without it.
LONG CopyName(std::string_view name, char* buffer, DWORD* length) {
    if (*length <= name.size())
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *length = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Value data into the caller's buffer of *size bytes; *size becomes the size
// of the data, also when the buffer is too small or there is none.
LONG CopyData(const RegistryValue& value, DWORD* type, BYTE* data, DWORD* size) {
    if (type)
        *type = value.type;
    if (!size)
        return ERROR_SUCCESS;
    const auto needed = static_cast<DWORD>(value.data.size());
    const bool fits = *size >= needed;
    if (data && fits)
        std::copy(value.data.begin(), value.data.end(), data);
    *size = needed;
    return data && !fits ? ERROR_MORE_DATA : ERROR_SUCCESS;
}

void Put(DWORD* out, size_t value) {
    if (out)
        *out = static_cast<DWORD>(value);
}

// A new handle for a subkey argument that names the key itself.
LONG ReopenSelf(HKEY key, const OpenKey& self, REGSAM access, HKEY* result) {
    // A predefined key stays itself, as Win32 hands it back.
    if (self.predefined) {
        *result = key;
        return ERROR_SUCCESS;
    }
    OpenKey copy = self;
    copy.access = access;
    *result = State().Open(std::move(copy));
    return ERROR_SUCCESS;
}

// Runs read on the key an open handle names, after the checks every reading
// call makes in Win32's order: the handle, the arguments, the access right.
// Another process may have deleted the key since the handle was opened.
template <typename Read>
LONG ReadThroughHandle(HKEY key, bool argumentsValid, REGSAM access, Read read) {
    std::lock_guard guard(State().mutex);
    const OpenKey* open = State().Lookup(key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    if (!argumentsValid)
        return ERROR_INVALID_PARAMETER;
    if (!Allows(*open, access))
        return ERROR_ACCESS_DENIED;
    return State().Store().Read([&](const RegistryTree& tree) -> LONG {
        const RegistryKey* found = KeyOf(tree, *open);
        return found ? read(*found) : ERROR_KEY_DELETED;
    });
}

} // namespace

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result) {
    std::lock_guard guard(State().mutex);
    if (result)
        *result = nullptr;
    const OpenKey* from = State().Lookup(key);
    if (!from)
        return ERROR_INVALID_HANDLE;
    KeyPath relative;
    if (!result || options != 0 || !ParseSubKey(subKey, relative))
        return ERROR_INVALID_PARAMETER;
    OpenKey opened = Below(*from, relative, access);
    const LONG status = State().Store().Read([&](const RegistryTree& tree) {
        if (!KeyOf(tree, *from))
            return ERROR_KEY_DELETED;
        return KeyOf(tree, opened) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (status != ERROR_SUCCESS)
        return status;
    if (relative.empty())
        return ReopenSelf(key, *from, access, result);
    *result = State().Open(std::move(opened));
    return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* /*keyClass*/, DWORD options,
                    REGSAM access, const SECURITY_ATTRIBUTES* /*security*/, HKEY* result,
                    DWORD* disposition) {
    std::lock_guard guard(State().mutex);
    if (result)
        *result = nullptr;
    const OpenKey* from = State().Lookup(key);
    if (!from)
        return ERROR_INVALID_HANDLE;
    KeyPath relative;
    if (!result || !subKey || reserved != 0 || options != REG_OPTION_NON_VOLATILE ||
        !ParseSubKey(subKey, relative) ||
        from->path.size() + relative.size() > internal::kMaxKeyDepth)
        return ERROR_INVALID_PARAMETER;
    bool created = false;
    const LONG status = State().Store().Modify([&](RegistryTree& tree) {
        RegistryKey* parent = KeyOf(tree, *from);
        if (!parent)
            return ERROR_KEY_DELETED;
        if (!parent->Find(relative) && !Allows(*from, KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        parent->FindOrCreate(relative, created);
        return ERROR_SUCCESS;
    });
    if (status != ERROR_SUCCESS)
        return status;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    if (relative.empty())
        return ReopenSelf(key, *from, access, result);
    *result = State().Open(Below(*from, relative, access));
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    std::lock_guard guard(State().mutex);
    if (key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER)
        return ERROR_SUCCESS;
    return State().Close(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegDeleteKey(HKEY key, const char* subKey) {
    std::lock_guard guard(State().mutex);
    const OpenKey* from = State().Lookup(key);
    if (!from)
        return ERROR_INVALID_HANDLE;
    KeyPath relative;
    if (!subKey || !ParseSubKey(subKey, relative))
        return ERROR_INVALID_PARAMETER;
    const OpenKey doomed = Below(*from, relative, 0);
    return State().Store().Modify([&](RegistryTree& tree) {
        if (!KeyOf(tree, *from))
            return ERROR_KEY_DELETED;
        if (doomed.path.empty())
            return ERROR_ACCESS_DENIED; // a root key
        const RegistryKey* victim = KeyOf(tree, doomed);
        if (!victim)
            return ERROR_FILE_NOT_FOUND;
        if (!victim->Subkeys().empty())
            return ERROR_ACCESS_DENIED;
        const KeyPath parentPath(doomed.path.begin(), doomed.path.end() - 1);
        tree.Root(doomed.root).Find(parentPath)->RemoveSubkey(doomed.path.back());
        return ERROR_SUCCESS;
    });
}

LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* dataSize) {
    const bool argumentsValid = !(reserved || (data && !dataSize));
    return ReadThroughHandle(key, argumentsValid, KEY_QUERY_VALUE, [&](const RegistryKey& found) {
        const RegistryValue* value = found.FindValue(valueName ? valueName : "");
        return value ? CopyData(*value, type, data, dataSize) : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD dataSize) {
    std::lock_guard guard(State().mutex);
    const OpenKey* open = State().Lookup(key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    const std::string_view name = valueName ? valueName : "";
    if (reserved != 0 || (!data && dataSize > 0) || !ValidName(name))
        return ERROR_INVALID_PARAMETER;
    if (!Allows(*open, KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    std::vector<BYTE> bytes = internal::StoredBytes(type, data, data ? dataSize : 0);
    return State().Store().Modify([&](RegistryTree& tree) {
        RegistryKey* found = KeyOf(tree, *open);
        if (!found)
            return ERROR_KEY_DELETED;
        found->SetValue(name, type, bytes);
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValue(HKEY key, const char* valueName) {
    std::lock_guard guard(State().mutex);
    const OpenKey* open = State().Lookup(key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    if (!Allows(*open, KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    return State().Store().Modify([&](RegistryTree& tree) {
        RegistryKey* found = KeyOf(tree, *open);
        if (!found)
            return ERROR_KEY_DELETED;
        return found->RemoveValue(valueName ? valueName : "") ? ERROR_SUCCESS
                                                              : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegQueryValue(HKEY key, const char* subKey, char* data, LONG* dataSize) {
    std::lock_guard guard(State().mutex);
    const OpenKey* open = State().Lookup(key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    KeyPath relative;
    if ((data && !dataSize) || !ParseSubKey(subKey, relative))
        return ERROR_INVALID_PARAMETER;
    // A subkey is opened for querying on the caller's behalf.
    if (relative.empty() && !Allows(*open, KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    const OpenKey target = Below(*open, relative, KEY_QUERY_VALUE);
    DWORD size = dataSize ? static_cast<DWORD>(std::max<LONG>(*dataSize, 0)) : 0;
    const LONG status = State().Store().Read([&](const RegistryTree& tree) {
        if (!KeyOf(tree, *open))
            return ERROR_KEY_DELETED;
        const RegistryKey* found = KeyOf(tree, target);
        if (!found)
            return ERROR_FILE_NOT_FOUND;
        // A key without a default value reads as an empty string.
        static const RegistryValue kNoDefault{"", REG_SZ, {0}};
        const RegistryValue* value = found->FindValue("");
        return CopyData(value ? *value : kNoDefault, nullptr, reinterpret_cast<BYTE*>(data),
                        dataSize ? &size : nullptr);
    });
    if (dataSize && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA))
        *dataSize = static_cast<LONG>(size);
    return status;
}

LONG RegEnumValue(HKEY key, DWORD index, char* valueName, DWORD* valueNameLength, DWORD* reserved,
                  DWORD* type, BYTE* data, DWORD* dataSize) {
    const bool argumentsValid =
        !(!valueName || !valueNameLength || reserved || (data && !dataSize));
    return ReadThroughHandle(key, argumentsValid, KEY_QUERY_VALUE, [&](const RegistryKey& found) {
        if (index >= found.Values().size())
            return ERROR_NO_MORE_ITEMS;
        const RegistryValue& value = found.Values()[index];
        const LONG named = CopyName(value.name, valueName, valueNameLength);
        const LONG copied = CopyData(value, type, data, dataSize);
        return named != ERROR_SUCCESS ? named : copied;
    });
}

LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved,
                  char* keyClass, DWORD* keyClassLength, FILETIME* /*lastWriteTime*/) {
    const bool argumentsValid =
        !(!name || !nameLength || reserved || (keyClass && !keyClassLength));
    return ReadThroughHandle(
        key, argumentsValid, KEY_ENUMERATE_SUB_KEYS, [&](const RegistryKey& found) {
            if (index >= found.Subkeys().size())
                return ERROR_NO_MORE_ITEMS;
            LONG status = CopyName(found.Subkeys()[index].Name(), name, nameLength);
            if (status == ERROR_SUCCESS && keyClass)
                status = CopyName("", keyClass, keyClassLength); // keys have no class
            return status;
        });
}

LONG RegQueryInfoKey(HKEY key, char* keyClass, DWORD* keyClassLength, DWORD* reserved,
                     DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values,
                     DWORD* maxValueNameLength, DWORD* maxValueLength,
                     DWORD* securityDescriptorSize, FILETIME* /*lastWriteTime*/) {
    const bool argumentsValid = !(reserved || (keyClass && !keyClassLength));
    return ReadThroughHandle(key, argumentsValid, KEY_QUERY_VALUE, [&](const RegistryKey& found) {
        if (keyClass) {
            if (const LONG status = CopyName("", keyClass, keyClassLength); status != ERROR_SUCCESS)
                return status;
        }
        Put(keyClassLength, 0);
        size_t longestSubkey = 0, longestName = 0, largestData = 0;
        for (const RegistryKey& subkey : found.Subkeys())
            longestSubkey = std::max(longestSubkey, subkey.Name().size());
        for (const RegistryValue& value : found.Values()) {
            longestName = std::max(longestName, value.name.size());
            largestData = std::max(largestData, value.data.size());
        }
        Put(subKeys, found.Subkeys().size());
        Put(maxSubKeyLength, longestSubkey);
        Put(maxClassLength, 0);
        Put(values, found.Values().size());
        Put(maxValueNameLength, longestName);
        Put(maxValueLength, largestData);
        Put(securityDescriptorSize, 0);
        return ERROR_SUCCESS;
    });
}

} // namespace win
