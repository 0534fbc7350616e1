// Creating and destroying windows, their procedures, words and properties,
// and the default window procedure.
#include "platform/gdi/objects.h"
#include "platform/gdi/windowdc.h"
#include "platform/sys/lasterror.h"
#include "platform/win/application.h"
#include "platform/win/input.h"
#include "platform/win/menus.h"
#include "platform/win/paint.h"
#include "platform/win/qtwindow.h"
#include "platform/win/windowinternals.h"

#include <algorithm>
#include <cstring>

namespace win {
namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

internal::Window* LookUpOrFail(HWND window) {
    internal::Window* record = internal::LookUpWindow(window);
    if (!record)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return record;
}

// Owned windows first, then the window and its children.
void CollectDestroyOrder(HWND window, std::vector<HWND>* tree) {
    tree->push_back(window);
    if (const internal::Window* record = internal::LookUpWindow(window))
        for (HWND child : record->children)
            CollectDestroyOrder(child, tree);
}

void SendDestroyMessages(HWND window) {
    internal::CallProcedure(window, WM_DESTROY, 0, 0);
    if (const internal::Window* record = internal::LookUpWindow(window)) {
        const std::vector<HWND> children = record->children;
        for (HWND child : children)
            SendDestroyMessages(child);
    }
}

void FreeWindow(HWND window) {
    internal::Window* record = internal::LookUpWindow(window);
    if (!record)
        return;
    const std::vector<HWND> children = record->children;
    for (HWND child : children)
        FreeWindow(child);
    internal::CallProcedure(window, WM_NCDESTROY, 0, 0);
    record = internal::LookUpWindow(window);
    if (!record)
        return;
    internal::KillTimersOf(window);
    internal::DiscardMessagesFor(window);
    internal::ForgetInputWindow(window);
    if (record->menu)
        DestroyMenu(record->menu);
    if (internal::Window* parent = internal::LookUpWindow(record->parent))
        std::erase(parent->children, window);
    --record->windowClass->windowCount;
    internal::DeleteWindowDCs(window);
    internal::RemoveWindow(window);
}

std::uint8_t* ExtraBytes(internal::Window* record, int offset, std::size_t size) {
    if (offset < 0 || static_cast<std::size_t>(offset) + size > record->extraBytes.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return nullptr;
    }
    return record->extraBytes.data() + offset;
}

// The window's long at a negative index, or its extra bytes at an offset.
template <typename Value> Value GetLong(HWND window, int index) {
    internal::Window* record = LookUpOrFail(window);
    if (!record)
        return 0;
    switch (index) {
    case GWLP_WNDPROC:
        return static_cast<Value>(reinterpret_cast<LONG_PTR>(record->procedure));
    case GWLP_HINSTANCE:
        return static_cast<Value>(reinterpret_cast<LONG_PTR>(record->instance));
    case GWLP_HWNDPARENT:
        return static_cast<Value>(
            reinterpret_cast<LONG_PTR>(record->parent ? record->parent : record->owner));
    case GWLP_ID:
        return static_cast<Value>(record->id);
    case GWL_STYLE:
        return static_cast<Value>(record->style);
    case GWL_EXSTYLE:
        return static_cast<Value>(record->exStyle);
    case GWLP_USERDATA:
        return static_cast<Value>(record->userData);
    default: {
        Value value = 0;
        if (const std::uint8_t* bytes = ExtraBytes(record, index, sizeof(Value)))
            std::memcpy(&value, bytes, sizeof(Value));
        return value;
    }
    }
}

template <typename Value> Value SetLong(HWND window, int index, Value value) {
    internal::Window* record = LookUpOrFail(window);
    if (!record)
        return 0;
    const Value previous = GetLong<Value>(window, index);
    switch (index) {
    case GWLP_WNDPROC:
        record->procedure = reinterpret_cast<WNDPROC>(static_cast<LONG_PTR>(value));
        break;
    case GWLP_ID:
        record->id = static_cast<UINT_PTR>(value);
        break;
    case GWL_STYLE: {
        const DWORD visible = record->style & WS_VISIBLE;
        record->style = (static_cast<DWORD>(value) & ~WS_VISIBLE) | visible;
        break;
    }
    case GWL_EXSTYLE:
        record->exStyle = static_cast<DWORD>(value);
        internal::ApplyPresentation(window);
        break;
    case GWLP_USERDATA:
        record->userData = static_cast<LONG_PTR>(value);
        break;
    case GWLP_HINSTANCE:
    case GWLP_HWNDPARENT:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    default:
        if (std::uint8_t* bytes = ExtraBytes(record, index, sizeof(Value)))
            std::memcpy(bytes, &value, sizeof(Value));
        else
            return 0;
    }
    return previous;
}

LRESULT EraseBackground(HWND window, HDC dc) {
    const internal::Window* record = internal::LookUpWindow(window);
    if (!record || !record->windowClass->info.hbrBackground || !dc)
        return 0;
    const QRegion area = record->painting
                             ? record->paintRegion
                             : QRegion(0, 0, record->ClientWidth(), record->ClientHeight());
    for (const QRect& part : area) {
        const RECT rect{part.left(), part.top(), part.left() + part.width(),
                        part.top() + part.height()};
        FillRect(dc, &rect, record->windowClass->info.hbrBackground);
    }
    return 1;
}

} // namespace

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu,
                    HINSTANCE instance, void* param) {
    internal::EnsureApplication();
    internal::WindowClass* windowClass = internal::LookUpClass(className);
    if (!windowClass) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return nullptr;
    }
    internal::Window* parentRecord = internal::LookUpWindow(parent);
    if (parent && !parentRecord) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const bool child = (style & WS_CHILD) != 0;
    if (child && !parentRecord) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    internal::WatchDisplayMode();

    auto record = std::make_unique<internal::Window>();
    record->windowClass = windowClass;
    record->procedure = windowClass->info.lpfnWndProc;
    record->style = style & ~WS_VISIBLE; // shown after WM_CREATE, as Win32 does
    record->exStyle = exStyle;
    record->parent = child ? parent : nullptr;
    record->owner = child ? nullptr : internal::TopLevelOf(parent);
    record->id = child ? reinterpret_cast<UINT_PTR>(menu) : 0;
    record->instance = instance;
    record->extraBytes.assign(static_cast<std::size_t>(windowClass->info.cbWndExtra), 0);
    record->title = windowName ? windowName : "";
    if (x == CW_USEDEFAULT)
        x = y = 0;
    if (width == CW_USEDEFAULT) {
        width = kDefaultWidth;
        height = kDefaultHeight;
    }
    record->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    record->framebuffer.Reset(record->ClientWidth(), record->ClientHeight(),
                              internal::CurrentDepth());
    internal::Window* created = record.get();
    const HWND handle = internal::AddWindow(std::move(record));
    ++windowClass->windowCount;
    // Owned top-level windows are not children: only a child leaves its
    // parent's list when it goes.
    if (child)
        parentRecord->children.push_back(handle);
    created->widget = new internal::QtWindow(handle, parentRecord ? parentRecord->widget : nullptr);
    created->widget->setWindowTitle(QString::fromLocal8Bit(created->title.c_str()));
    internal::ApplyCursor(handle);
    internal::ApplyPresentation(handle);

    CREATESTRUCT create;
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parent;
    create.cx = width;
    create.cy = height;
    create.x = x;
    create.y = y;
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;
    const LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    // The menu is there for WM_CREATE, as in Win32 (a frame fills it then).
    if (!child && menu)
        SetMenu(handle, menu);
    if (!internal::CallProcedure(handle, WM_NCCREATE, 0, createParam) ||
        internal::CallProcedure(handle, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (internal::Window* shown = internal::LookUpWindow(handle))
        internal::CallProcedure(handle, WM_SIZE, SIZE_RESTORED,
                                MAKELPARAM(static_cast<WORD>(shown->ClientWidth()),
                                           static_cast<WORD>(shown->ClientHeight())));
    if (style & WS_VISIBLE)
        ShowWindow(handle, SW_SHOW);
    return IsWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND window) {
    internal::Window* record = LookUpOrFail(window);
    if (!record || record->destroying)
        return FALSE;
    for (HWND other : internal::TopLevelWindows())
        if (const internal::Window* owned = internal::LookUpWindow(other);
            owned && owned->owner == window)
            DestroyWindow(other);

    std::vector<HWND> tree;
    CollectDestroyOrder(window, &tree);
    for (HWND member : tree)
        internal::LookUpWindow(member)->destroying = true;
    if (record->style & WS_VISIBLE) {
        record->style &= ~WS_VISIBLE;
        record->widget->hide();
    }
    SendDestroyMessages(window);
    // Deleting the widget deletes the widgets of its children with it.
    delete record->widget;
    for (HWND member : tree)
        if (internal::Window* gone = internal::LookUpWindow(member))
            gone->widget = nullptr;
    FreeWindow(window);
    return TRUE;
}

BOOL IsWindow(HWND window) {
    return internal::WindowExists(window) ? TRUE : FALSE;
}

HWND GetParent(HWND window) {
    const internal::Window* record = LookUpOrFail(window);
    if (!record)
        return nullptr;
    return record->IsChild() ? record->parent : record->owner;
}

LRESULT CallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return EraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !internal::IsSelfOrDescendant(window, GetFocus()))
            SetFocus(window);
        return 0;
    default:
        return 0;
    }
}

LONG GetWindowLong(HWND window, int index) {
    return GetLong<LONG>(window, index);
}

LONG SetWindowLong(HWND window, int index, LONG value) {
    return SetLong<LONG>(window, index, value);
}

LONG_PTR GetWindowLongPtr(HWND window, int index) {
    return GetLong<LONG_PTR>(window, index);
}

LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value) {
    return SetLong<LONG_PTR>(window, index, value);
}

BOOL SetProp(HWND window, const char* name, HANDLE data) {
    internal::Window* record = LookUpOrFail(window);
    if (!record || !name)
        return FALSE;
    record->properties[internal::FoldedName(name)] = data;
    return TRUE;
}

HANDLE GetProp(HWND window, const char* name) {
    const internal::Window* record = LookUpOrFail(window);
    if (!record || !name)
        return nullptr;
    const auto found = record->properties.find(internal::FoldedName(name));
    return found == record->properties.end() ? nullptr : found->second;
}

HANDLE RemoveProp(HWND window, const char* name) {
    internal::Window* record = LookUpOrFail(window);
    if (!record || !name)
        return nullptr;
    const auto found = record->properties.find(internal::FoldedName(name));
    if (found == record->properties.end())
        return nullptr;
    const HANDLE data = found->second;
    record->properties.erase(found);
    return data;
}

int GetWindowText(HWND window, char* text, int maxCount) {
    const internal::Window* record = LookUpOrFail(window);
    if (!record || !text || maxCount <= 0)
        return 0;
    const std::size_t copied =
        std::min(record->title.size(), static_cast<std::size_t>(maxCount - 1));
    std::memcpy(text, record->title.data(), copied);
    text[copied] = '\0';
    return static_cast<int>(copied);
}

BOOL SetWindowText(HWND window, const char* text) {
    internal::Window* record = LookUpOrFail(window);
    if (!record)
        return FALSE;
    record->title = text ? text : "";
    record->widget->setWindowTitle(QString::fromLocal8Bit(record->title.c_str()));
    return TRUE;
}

} // namespace win
