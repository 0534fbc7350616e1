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
    void Add(void* handle, unsigned loads) {
        std::lock_guard lock(mutex);
        loadCounts[handle] += loads;
    }
    bool Knows(void* handle) {
        std::lock_guard lock(mutex);
        return loadCounts.contains(handle);
    }
    // Takes one load away; false when there was none to take.
    bool Release(void* handle) {
        std::lock_guard lock(mutex);
        const auto entry = loadCounts.find(handle);
        if (entry == loadCounts.end() || entry->second == 0) {
            return false;
        }
        if (--entry->second == 0) {
            loadCounts.erase(entry);
        }
        return true;
    }

private:
    std::mutex mutex;
    std::map<void*, unsigned> loadCounts;
};

ModuleTable& Modules() {
    static ModuleTable table;
    return table;
}

HMODULE ToModule(void* handle) {
    return static_cast<HMODULE>(handle);
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
        for (const std::string& candidate : SearchCandidates(nativeName)) {
            // Local binding: like Windows libraries, each keeps its own symbols.
            if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
                Modules().Add(handle, 1);
                return ToModule(handle);
            }
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
    if (!Modules().Release(module)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
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
    Modules().Add(handle, 0);
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
