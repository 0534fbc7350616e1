#include "platform/win/windowobject.h"

#include "platform/win/input.h"
#include "platform/win/messages.h"
#include "platform/win/modalloop.h"

#include <cstdio>

namespace win {

namespace {

constexpr WORD LowWord(std::uintptr_t value) {
    return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HighWord(std::uintptr_t value) {
    return static_cast<WORD>((value >> 16) & 0xFFFF);
}

POINT PointOf(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

} // namespace

WindowObject::~WindowObject() {
    DestroyWindow();
}

std::string WindowObject::RegisterWindowClass(UINT style, HCURSOR cursor, HBRUSH background,
                                              HICON icon) {
    char name[96];
    std::snprintf(name, sizeof name, "Binoxa:%x:%p:%p:%p", style, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    WNDCLASS existing;
    if (GetClassInfo(nullptr, name, &existing))
        return name;
    WNDCLASS windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = Procedure;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.hIcon = icon;
    windowClass.lpszClassName = name;
    RegisterClass(&windowClass);
    return name;
}

BOOL WindowObject::CreateEx(DWORD exStyle, const std::string& className, const char* windowName,
                            DWORD style, int x, int y, int width, int height, HWND parent,
                            HMENU menu) {
    if (handle)
        return FALSE;
    // Procedure takes the object from the creation parameter at WM_NCCREATE.
    return CreateWindowEx(exStyle, className.c_str(), windowName, style, x, y, width, height,
                          parent, menu, nullptr, this) != nullptr;
}

BOOL WindowObject::DestroyWindow() {
    if (!handle)
        return FALSE;
    return win::DestroyWindow(handle);
}

int WindowObject::RunModalLoop() {
    return handle ? win::RunModalLoop(handle) : -1;
}

BOOL WindowObject::EndModalLoop(int result) {
    return handle ? win::EndModalLoop(handle, result) : FALSE;
}

bool WindowObject::IsInModalLoop() const {
    return handle && win::IsInModalLoop(handle);
}

LRESULT WindowObject::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* object = reinterpret_cast<WindowObject*>(GetWindowLongPtr(window, GWLP_USERDATA));
    if (!object && message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCT*>(lParam);
        object = static_cast<WindowObject*>(create->lpCreateParams);
        if (object) {
            object->handle = window;
            SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        }
    }
    if (!object)
        return DefWindowProc(window, message, wParam, lParam);
    const LRESULT result = object->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtr(window, GWLP_USERDATA, 0);
        object->handle = nullptr;
    }
    return result;
}

// Handlers may send messages of their own: the message being handled is
// kept for Default around each one.
LRESULT WindowObject::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const MSG outer = current;
    current = {handle, message, wParam, lParam, 0, {}};
    const LRESULT result = WindowProc(message, wParam, lParam);
    current = outer;
    return result;
}

LRESULT WindowObject::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const UINT repeat = LowWord(static_cast<std::uintptr_t>(lParam));
    const UINT flags = HighWord(static_cast<std::uintptr_t>(lParam));
    switch (message) {
    case WM_COMMAND:
        return OnCommand(wParam, lParam) ? 0 : Default();
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), PointOf(lParam));
        return 0;
    case WM_RBUTTONDOWN:
        OnRButtonDown(static_cast<UINT>(wParam), PointOf(lParam));
        return 0;
    case WM_CHAR:
        OnChar(static_cast<UINT>(wParam), repeat, flags);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam), repeat, flags);
        return 0;
    case WM_KEYUP:
        OnKeyUp(static_cast<UINT>(wParam), repeat, flags);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_QUERYNEWPALETTE:
        return OnQueryNewPalette();
    case WM_PALETTECHANGED:
        OnPaletteChanged(reinterpret_cast<HWND>(wParam));
        return 0;
    default:
        return Default();
    }
}

BOOL WindowObject::OnCommand(WPARAM wParam, LPARAM) {
    return OnCommandMessage(LowWord(wParam), HighWord(wParam)) ? TRUE : FALSE;
}

bool WindowObject::OnCommandMessage(UINT, UINT) {
    return false;
}

void WindowObject::OnLButtonDown(UINT, POINT) {
    Default();
}
void WindowObject::OnRButtonDown(UINT, POINT) {
    Default();
}
void WindowObject::OnChar(UINT, UINT, UINT) {
    Default();
}
void WindowObject::OnKeyDown(UINT, UINT, UINT) {
    Default();
}
void WindowObject::OnKeyUp(UINT, UINT, UINT) {
    Default();
}
void WindowObject::OnPaint() {
    Default();
}
BOOL WindowObject::OnQueryNewPalette() {
    return static_cast<BOOL>(Default());
}
void WindowObject::OnPaletteChanged(HWND) {
    Default();
}

LRESULT WindowObject::Default() {
    return handle ? DefWindowProc(handle, current.message, current.wParam, current.lParam) : 0;
}

} // namespace win
