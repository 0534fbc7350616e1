// Window classes, registered by name for the whole process.
#include "platform/sys/lasterror.h"
#include "platform/win/windowtable.h"

#include <memory>

namespace win {
namespace {

std::map<std::string, std::unique_ptr<internal::WindowClass>>& Classes() {
    static std::map<std::string, std::unique_ptr<internal::WindowClass>> classes;
    return classes;
}

// Class atoms are counted from Win32's range of string atoms.
ATOM NextAtom() {
    static ATOM next = 0xC000;
    return next++;
}

} // namespace

namespace internal {
WindowClass* LookUpClass(const char* name) {
    if (!name)
        return nullptr;
    const auto found = Classes().find(FoldedName(name));
    return found == Classes().end() ? nullptr : found->second.get();
}
} // namespace internal

ATOM RegisterClassEx(const WNDCLASSEX* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !*windowClass->lpszClassName ||
        windowClass->cbWndExtra < 0 || windowClass->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string key = internal::FoldedName(windowClass->lpszClassName);
    if (Classes().count(key)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto record = std::make_unique<internal::WindowClass>();
    record->name = windowClass->lpszClassName;
    record->info = *windowClass;
    record->info.lpszClassName = nullptr; // the name lives in the record
    record->info.lpszMenuName = nullptr;
    Classes().emplace(key, std::move(record));
    return NextAtom();
}

ATOM RegisterClass(const WNDCLASS* windowClass) {
    if (!windowClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEX extended;
    extended.style = windowClass->style;
    extended.lpfnWndProc = windowClass->lpfnWndProc;
    extended.cbClsExtra = windowClass->cbClsExtra;
    extended.cbWndExtra = windowClass->cbWndExtra;
    extended.hInstance = windowClass->hInstance;
    extended.hIcon = windowClass->hIcon;
    extended.hCursor = windowClass->hCursor;
    extended.hbrBackground = windowClass->hbrBackground;
    extended.lpszMenuName = windowClass->lpszMenuName;
    extended.lpszClassName = windowClass->lpszClassName;
    return RegisterClassEx(&extended);
}

BOOL UnregisterClass(const char* className, HINSTANCE) {
    internal::WindowClass* record = internal::LookUpClass(className);
    if (!record) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (record->windowCount > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    Classes().erase(internal::FoldedName(className));
    return TRUE;
}

BOOL GetClassInfo(HINSTANCE, const char* className, WNDCLASS* windowClass) {
    const internal::WindowClass* record = internal::LookUpClass(className);
    if (!record || !windowClass) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    const WNDCLASSEX& info = record->info;
    windowClass->style = info.style;
    windowClass->lpfnWndProc = info.lpfnWndProc;
    windowClass->cbClsExtra = info.cbClsExtra;
    windowClass->cbWndExtra = info.cbWndExtra;
    windowClass->hInstance = info.hInstance;
    windowClass->hIcon = info.hIcon;
    windowClass->hCursor = info.hCursor;
    windowClass->hbrBackground = info.hbrBackground;
    windowClass->lpszMenuName = nullptr;
    windowClass->lpszClassName = record->name.c_str();
    return TRUE;
}

} // namespace win
