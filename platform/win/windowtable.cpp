#include "platform/win/windowtable.h"

#include <algorithm>
#include <cctype>
#include <mutex>

namespace win::internal {
namespace {

// Handles start above the small values Win32 gives special meanings
// (HWND_BOTTOM, HWND_BROADCAST).
constexpr std::uintptr_t kFirstHandle = 0x10000;

struct Table {
    std::mutex mutex; // other threads only read, under it; the GUI thread writes under it
    std::map<std::uintptr_t, std::unique_ptr<Window>> windows;
    std::uintptr_t nextHandle = kFirstHandle;
};

Table& TheTable() {
    static Table table;
    return table;
}

std::uintptr_t Key(HWND window) {
    return reinterpret_cast<std::uintptr_t>(window);
}

} // namespace

std::string FoldedName(const char* name) {
    std::string folded = name ? name : "";
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

Window* LookUpWindow(HWND window) {
    Table& table = TheTable();
    const auto found = table.windows.find(Key(window));
    return found == table.windows.end() ? nullptr : found->second.get();
}

bool WindowExists(HWND window) {
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    return table.windows.count(Key(window)) != 0;
}

HWND AddWindow(std::unique_ptr<Window> window) {
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    const std::uintptr_t key = table.nextHandle++;
    window->handle = reinterpret_cast<HWND>(key);
    table.windows.emplace(key, std::move(window));
    return reinterpret_cast<HWND>(key);
}

void RemoveWindow(HWND window) {
    Table& table = TheTable();
    std::unique_ptr<Window> removed;
    {
        std::lock_guard lock(table.mutex);
        const auto found = table.windows.find(Key(window));
        if (found == table.windows.end())
            return;
        removed = std::move(found->second);
        table.windows.erase(found);
    }
}

std::vector<HWND> AllWindows() {
    std::vector<HWND> handles;
    for (const auto& [key, window] : TheTable().windows)
        handles.push_back(window->handle);
    return handles;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> handles;
    for (const auto& [key, window] : TheTable().windows)
        if (!window->IsChild())
            handles.push_back(window->handle);
    return handles;
}

HWND TopLevelOf(HWND window) {
    Window* record = LookUpWindow(window);
    while (record && record->IsChild()) {
        window = record->parent;
        record = LookUpWindow(window);
    }
    return record ? window : nullptr;
}

bool IsSelfOrDescendant(HWND ancestor, HWND window) {
    for (Window* record = LookUpWindow(window); record; record = LookUpWindow(record->parent)) {
        if (record->handle == ancestor)
            return true;
        if (!record->IsChild())
            break;
    }
    return false;
}

} // namespace win::internal
