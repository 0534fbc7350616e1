#include "platform/sys/libraries.h"

#include "platform/sys/folders.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/windowsname.h"

#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace win {

namespace {

// The handles this layer gave out, with the number of LoadLibrary calls not
// yet matched by FreeLibrary (0 for one known only from GetModuleHandle).
// Only these are passed on to the dynamic loader, which crashes on others.
class ModuleTable {
public:
    // Counts one more load; true when it is the first.
    bool AddLoad(void* handle) {
        std::lock_guard lock(mutex);
        return ++loadCounts[handle] == 1;
    }
    void AddKnown(void* handle) {
        std::lock_guard lock(mutex);
        loadCounts.try_emplace(handle, 0);
    }
    bool Knows(void* handle) {
        std::lock_guard lock(mutex);
        return loadCounts.contains(handle);
    }
    enum class Released { None, Some, Last };
    // Takes one load away.
    Released Release(void* handle) {
        std::lock_guard lock(mutex);
        const auto entry = loadCounts.find(handle);
        if (entry == loadCounts.end() || entry->second == 0) {
            return Released::None;
        }
        if (--entry->second == 0) {
            loadCounts.erase(entry);
            return Released::Last;
        }
        return Released::Some;
    }

private:
    std::mutex mutex;
    std::map<void*, unsigned> loadCounts;
};

// The table and the lock below are never destroyed: objects with static
// lifetime free their libraries as the process ends, after any static table
// would be gone.
ModuleTable& Modules() {
    static auto* table = new ModuleTable;
    return *table;
}

HMODULE ToModule(void* handle) {
    return static_cast<HMODULE>(handle);
}

// Held across a whole load or release, entry point included, as the Win32
// loader lock is; recursive because entry points load libraries too.
std::recursive_mutex& LoaderLock() {
    static auto* lock = new std::recursive_mutex;
    return *lock;
}

using EntryPoint = BOOL (*)(HINSTANCE instance, DWORD reason, void* reserved);

// The library's own DllMain; dlsym would also find one of a library it
// depends on, which is that library's business.
EntryPoint FindEntryPoint(void* handle) {
    void* symbol = dlsym(handle, "DllMain");
    link_map* library = nullptr;
    link_map* owner = nullptr;
    Dl_info info{};
    if (!symbol || dlinfo(handle, RTLD_DI_LINKMAP, &library) != 0 ||
        dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 ||
        owner != library) {
        return nullptr;
    }
    return reinterpret_cast<EntryPoint>(symbol);
}

// Whether the entry point, if any, accepted the reason.
bool CallEntryPoint(void* handle, DWORD reason) {
    const EntryPoint entry = FindEntryPoint(handle);
    return !entry || entry(ToModule(handle), reason, nullptr) != FALSE;
}

// A first load runs the entry point; a library that refuses it is released.
HMODULE Attach(void* handle) {
    if (!Modules().AddLoad(handle) || CallEntryPoint(handle, DLL_PROCESS_ATTACH)) {
        return ToModule(handle);
    }
    CallEntryPoint(handle, DLL_PROCESS_DETACH);
    Modules().Release(handle);
    dlclose(handle);
    SetLastError(ERROR_DLL_INIT_FAILED);
    return nullptr;
}

std::vector<std::string> SearchCandidates(const std::string& nativeName) {
    if (internal::HasDirectoryPart(nativeName)) {
        return {nativeName};
    }
    return {internal::ProgramDirectory() + "/" + nativeName,
            internal::SystemDirectory() + "/" + nativeName, nativeName};
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

// The loader's name for a loaded object that the native name means: the same
// file when it has a directory, else the same file name in any directory.
std::string FindLoadedObject(const std::string& nativeName) {
    struct Search {
        const std::string* wanted;
        bool byPath;
        std::string found;
    } search{&nativeName, internal::HasDirectoryPart(nativeName), {}};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto* search = static_cast<Search*>(data);
            const std::string loaded = info->dlpi_name ? info->dlpi_name : "";
            if (loaded.empty()) {
                return 0;
            }
            const bool matches = search->byPath
                                     ? SameFile(loaded, *search->wanted)
                                     : std::filesystem::path(loaded).filename() == *search->wanted;
            if (matches) {
                search->found = loaded;
            }
            return matches ? 1 : 0;
        },
        &search);
    return search.found;
}

std::string ModulePath(HMODULE module) {
    link_map* map = nullptr;
    if (module && dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name &&
        map->l_name[0] != '\0') {
        return map->l_name;
    }
    return internal::ProgramFile(); // the program's own entry has no name
}

} // namespace

HMODULE LoadLibrary(const char* fileName) {
    return LoadLibraryEx(fileName, nullptr, 0);
}

HMODULE LoadLibraryEx(const char* fileName, HANDLE reserved, DWORD flags) {
    if (!fileName || reserved || (flags & ~LOAD_WITH_ALTERED_SEARCH_PATH) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string nativeName = internal::NativeLibraryName(fileName);
    if (!nativeName.empty()) {
        std::lock_guard lock(LoaderLock());
        for (const std::string& candidate : SearchCandidates(nativeName)) {
            // Local binding: like Windows libraries, each keeps its own symbols.
            if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
                return Attach(handle);
            }
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
    std::lock_guard lock(LoaderLock());
    const ModuleTable::Released released = Modules().Release(module);
    if (released == ModuleTable::Released::None) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (released == ModuleTable::Released::Last) {
        CallEntryPoint(module, DLL_PROCESS_DETACH);
    }
    dlclose(module);
    return TRUE;
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
    if (!Modules().Knows(module)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // Win32 also takes an export's ordinal in the low word; our libraries
    // export by name only.
    constexpr std::uintptr_t largestOrdinal = 0xFFFF;
    if (reinterpret_cast<std::uintptr_t>(procName) <= largestOrdinal) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = dlsym(module, procName);
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

HMODULE GetModuleHandle(const char* moduleName) {
    void* handle = nullptr;
    if (!moduleName) {
        handle = dlopen(nullptr, RTLD_NOW);
    } else if (const std::string loaded = FindLoadedObject(internal::NativeLibraryName(moduleName));
               !loaded.empty()) {
        // The extra reference of this look-up is given back at once: the
        // object stays loaded through whoever loaded it, as Win32 has it.
        handle = dlopen(loaded.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle) {
            dlclose(handle);
        }
    }
    if (!handle) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    Modules().AddKnown(handle);
    return ToModule(handle);
}

DWORD GetModuleFileName(HMODULE module, char* fileName, DWORD size) {
    if (module && !Modules().Knows(module)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!fileName || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::string path = ModulePath(module);
    if (path.size() >= size) {
        std::memcpy(fileName, path.data(), size - 1);
        fileName[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

} // namespace win
