#include "wintestsupport.h"

#include "platform/win/application.h"

#include <algorithm>

namespace wintest {

using namespace win;

std::vector<Received>& Log() {
    static std::vector<Received> log;
    return log;
}

std::vector<UINT> MessagesOf(HWND window, std::vector<UINT> only) {
    std::vector<UINT> numbers;
    for (const Received& received : Log())
        if (received.window == window &&
            (only.empty() || std::count(only.begin(), only.end(), received.message)))
            numbers.push_back(received.message);
    return numbers;
}

LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back({window, message, wParam, lParam});
    return DefWindowProc(window, message, wParam, lParam);
}

const char* TestClass() {
    static const char* name = [] {
        WNDCLASS windowClass;
        windowClass.lpfnWndProc = RecordingProcedure;
        windowClass.cbWndExtra = 16;
        windowClass.lpszClassName = "WinTest";
        RegisterClass(&windowClass);
        return "WinTest";
    }();
    return name;
}

HWND MakeWindow(DWORD style, RECT rect, HWND parent, DWORD exStyle) {
    return CreateWindowEx(exStyle, TestClass(), "test", style, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, nullptr,
                          nullptr);
}

void Drain() {
    MSG message;
    for (int round = 0; round < 1000 && PeekMessage(&message, nullptr, 0, 0, PM_REMOVE); ++round)
        if (message.message != WM_QUIT) {
            TranslateMessage(&message);
            DispatchMessage(&message);
        }
}

void WindowsTest::SetUp() {
    internal::EnsureApplication();
    Drain();
    Log().clear();
}

void WindowsTest::TearDown() {
    for (HWND window : made)
        if (IsWindow(window))
            DestroyWindow(window);
    Drain();
}

HWND WindowsTest::Make(DWORD style, RECT rect, HWND parent, DWORD exStyle) {
    const HWND window = MakeWindow(style, rect, parent, exStyle);
    made.push_back(window);
    return window;
}

} // namespace wintest
