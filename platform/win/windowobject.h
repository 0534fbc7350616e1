// A window object that a class derives from, in the way an application
// framework's window class is used: it owns one window, receives all of the
// window's messages in one place (its message map) and hands them to virtual
// handlers, routes WM_COMMAND through a virtual OnCommand that falls back to
// the map's command entries, and runs and ends its own modal loop.
#pragma once

#include "platform/win/messages.h"
#include "platform/win/window.h"
#include "platform/win/wintypes.h"

#include <string>

namespace win {

class WindowObject {
public:
    WindowObject() = default;
    // Destroys the window if it is still there.
    virtual ~WindowObject();
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

    // Registers a window class whose windows are window objects' and answers
    // its name. The name follows from the arguments, so registering the same
    // class again (a second view) answers the same name.
    static std::string RegisterWindowClass(UINT style, HCURSOR cursor, HBRUSH background,
                                           HICON icon = nullptr);

    // Creates the window with a class registered by RegisterWindowClass; it
    // is this object's from its first message on. FALSE when it could not be
    // made or this object already has one.
    BOOL CreateEx(DWORD exStyle, const std::string& className, const char* windowName, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU menu);
    BOOL DestroyWindow();
    HWND GetSafeHwnd() const { return handle; }

    // Dispatches messages until EndModalLoop; answers its result (-1 when the
    // window went or WM_QUIT arrived first).
    int RunModalLoop();
    BOOL EndModalLoop(int result);
    bool IsInModalLoop() const;

protected:
    // Every message of the window. The default is the message map: the
    // handlers below, else the default procedure. A class adds entries by
    // overriding this and calling it for the rest.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND (the id in the low word of wParam, the notification code in
    // the high word): the default routes it to the map's command entries and
    // answers whether one took it.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // The map's command entries: answers whether the command was handled.
    virtual bool OnCommandMessage(UINT id, UINT code);

    // The map's message entries; each default is the base handling (Default).
    virtual void OnLButtonDown(UINT flags, POINT point);
    virtual void OnRButtonDown(UINT flags, POINT point);
    virtual void OnChar(UINT character, UINT repeatCount, UINT flags);
    virtual void OnKeyDown(UINT key, UINT repeatCount, UINT flags);
    virtual void OnKeyUp(UINT key, UINT repeatCount, UINT flags);
    virtual void OnPaint();
    virtual BOOL OnQueryNewPalette();
    virtual void OnPaletteChanged(HWND changer);

    // The base handling of the message being handled: the default procedure.
    LRESULT Default();

private:
    static LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle = nullptr;
    MSG current{};
};

} // namespace win
