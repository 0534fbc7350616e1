// A frame window as an application framework's frame makes it: a top-level
// window with a menu bar, an accelerator table and a one-pane status bar.
// The status bar shows the prompt of the menu command under the pointer
// (the text before the first line break of the command's prompt string) and
// the idle text "Ready" otherwise. The command of the status bar's own id
// shows or hides it, and its menu item is checked while it is shown.
#pragma once

#include "platform/dialogs/accelerators.h"
#include "platform/win/window.h"

#include <map>
#include <string>
#include <vector>

namespace win {

// What a frame loads from its resources.
struct FrameResources {
    std::string title;
    HMENU menu = nullptr; // owned by the window once created
    std::vector<ACCEL> accelerators;
    std::map<UINT, std::string> prompts; // per command id: "prompt\ntip"
};

class FrameWindow {
public:
    // The standard status bar's id (and the command that shows and hides it).
    static constexpr UINT kStatusBarId = 59393;

    FrameWindow() = default;
    virtual ~FrameWindow();
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    // Creates the window with the style, extended style and size, then the
    // status bar and OnCreate; answers false when any of them fails.
    bool Create(FrameResources resources, DWORD style, DWORD exStyle, int width, int height);
    HWND Handle() const { return handle; }
    HWND StatusBar() const { return statusBar; }
    // Runs the message loop, with the accelerators, until WM_QUIT; answers
    // its exit code.
    int Run();
    // Dispatches one message the way Run does.
    void Dispatch(MSG& message);

protected:
    // After the window and its status bar exist; false makes creation fail.
    virtual bool OnCreate() { return true; }
    virtual void OnCommand(UINT) {}
    // Before a menu of the menu bar opens: set its checks here.
    virtual void OnInitMenuPopup(HMENU) {}
    // The default frees the drop.
    virtual void OnDropFiles(HDROP drop);
    // Closing the frame ends the program's message loop.
    virtual void OnDestroy();

private:
    static LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ShowPrompt(UINT id, UINT flags);
    bool StatusBarShown() const;

    FrameResources resources;
    HWND handle = nullptr;
    HWND statusBar = nullptr;
    HACCEL accelerators = nullptr;
};

} // namespace win
