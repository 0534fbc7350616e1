// The records behind window handles and window classes. GUI thread only,
// except WindowExists.
#pragma once

#include "platform/gdi/framebuffer.h"
#include "platform/win/window.h"

#include <QRegion>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QMenuBar;

namespace win::internal {

class QtWindow;

struct WindowClass {
    std::string name;
    WNDCLASSEX info;
    int windowCount = 0;
};

struct Window {
    HWND handle = nullptr;
    WindowClass* windowClass = nullptr;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr; // child windows
    HWND owner = nullptr;  // top-level windows
    UINT_PTR id = 0;
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    std::vector<std::uint8_t> extraBytes;
    std::map<std::string, HANDLE> properties; // lower-case names
    std::string title;
    // Screen coordinates (top-level) or the parent's client coordinates
    // (child); the menu bar, if any, is the top of it.
    RECT rect;
    HMENU menu = nullptr;
    int menuBarHeight = 0;
    QMenuBar* menuBar = nullptr;
    bool shownOnce = false;
    bool destroying = false;

    QRegion updateRegion; // client coordinates
    bool eraseNeeded = false;
    bool painting = false;
    QRegion paintRegion; // what BeginPaint took, until EndPaint

    Framebuffer framebuffer;
    // What the window shows in place of its framebuffer (DirectDraw's
    // primary); null shows the framebuffer.
    const Framebuffer* shownInstead = nullptr;
    std::vector<HWND> children;
    QtWindow* widget = nullptr;

    int ClientWidth() const { return rect.right - rect.left; }
    int ClientHeight() const {
        const int height = rect.bottom - rect.top - menuBarHeight;
        return height > 0 ? height : 0;
    }
    bool IsChild() const { return (style & WS_CHILD) != 0; }
    const Framebuffer& Shown() const { return shownInstead ? *shownInstead : framebuffer; }
};

// Null for no such window (also for one whose WM_NCDESTROY has passed).
Window* LookUpWindow(HWND window);
// Safe from any thread.
bool WindowExists(HWND window);
HWND AddWindow(std::unique_ptr<Window> window);
void RemoveWindow(HWND window);
// Every window in the order they were created.
std::vector<HWND> AllWindows();
std::vector<HWND> TopLevelWindows();
HWND TopLevelOf(HWND window);
// The window or one of its descendants.
bool IsSelfOrDescendant(HWND ancestor, HWND window);

WindowClass* LookUpClass(const char* name);

// A key for names that compare without regard to case.
std::string FoldedName(const char* name);

} // namespace win::internal
