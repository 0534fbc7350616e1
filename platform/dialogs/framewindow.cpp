#include "platform/dialogs/framewindow.h"

#include "platform/dialogs/filedrop.h"
#include "platform/dialogs/statusbar.h"
#include "platform/gdi/objects.h"
#include "platform/win/menus.h"

namespace win {
namespace {

const char* const kFrameClass = "BinoxaFrame";
const char* const kFrameProperty = "FrameWindow";
const char* const kIdleText = "Ready";
constexpr WORD kMenuClosed = 0xFFFF;

void EnsureFrameClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    WNDCLASS windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = kFrameClass;
    // A frame without a view shows an empty client area in the window colour.
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClass(&windowClass);
}

} // namespace

FrameWindow::~FrameWindow() {
    if (handle)
        DestroyWindow(handle);
    DestroyAcceleratorTable(accelerators);
}

bool FrameWindow::Create(FrameResources frameResources, DWORD style, DWORD exStyle, int width,
                         int height) {
    resources = std::move(frameResources);
    EnsureFrameClass(Procedure);
    if (!resources.accelerators.empty())
        accelerators = CreateAcceleratorTable(resources.accelerators.data(),
                                              static_cast<int>(resources.accelerators.size()));
    handle = CreateWindowEx(exStyle, kFrameClass, resources.title.c_str(), style, CW_USEDEFAULT,
                            CW_USEDEFAULT, width, height, nullptr, resources.menu, nullptr, this);
    return handle != nullptr;
}

int FrameWindow::Run() {
    MSG message;
    while (GetMessage(&message, nullptr, 0, 0) > 0)
        Dispatch(message);
    return static_cast<int>(message.wParam);
}

void FrameWindow::Dispatch(MSG& message) {
    if (handle && TranslateAccelerator(handle, accelerators, &message))
        return;
    TranslateMessage(&message);
    DispatchMessage(&message);
}

void FrameWindow::OnDropFiles(HDROP drop) {
    DragFinish(drop);
}

void FrameWindow::OnDestroy() {
    PostQuitMessage(0);
}

LRESULT FrameWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* frame = static_cast<FrameWindow*>(
            reinterpret_cast<const CREATESTRUCT*>(lParam)->lpCreateParams);
        frame->handle = window;
        SetProp(window, kFrameProperty, frame);
    }
    auto* frame = static_cast<FrameWindow*>(GetProp(window, kFrameProperty));
    if (!frame)
        return DefWindowProc(window, message, wParam, lParam);
    return frame->HandleMessage(message, wParam, lParam);
}

LRESULT FrameWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        statusBar = CreateStatusWindow(WS_CHILD | WS_VISIBLE, kIdleText, handle, kStatusBarId);
        return statusBar && OnCreate() ? 0 : -1;
    case WM_SIZE:
        if (statusBar)
            SendMessage(statusBar, WM_SIZE, wParam, lParam);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kStatusBarId && statusBar)
            ShowWindow(statusBar, StatusBarShown() ? SW_HIDE : SW_SHOW);
        else
            OnCommand(LOWORD(wParam));
        return 0;
    case WM_INITMENUPOPUP: {
        const auto popup = reinterpret_cast<HMENU>(wParam);
        CheckMenuItem(popup, kStatusBarId,
                      MF_BYCOMMAND | (StatusBarShown() ? MF_CHECKED : MF_UNCHECKED));
        OnInitMenuPopup(popup);
        return 0;
    }
    case WM_MENUSELECT:
        ShowPrompt(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_NCDESTROY:
        RemoveProp(handle, kFrameProperty);
        handle = nullptr;
        statusBar = nullptr;
        return 0;
    default:
        return DefWindowProc(handle, message, wParam, lParam);
    }
}

// Shown as far as the bar itself goes, whether or not the frame is.
bool FrameWindow::StatusBarShown() const {
    return statusBar && (GetWindowLong(statusBar, GWL_STYLE) & WS_VISIBLE) != 0;
}

// The menu closed: the idle text; a sub-menu or separator: nothing; a
// command: its prompt, or nothing without one.
void FrameWindow::ShowPrompt(UINT id, UINT flags) {
    if (!statusBar)
        return;
    std::string text;
    if (flags == kMenuClosed) {
        text = kIdleText;
    } else if (id != 0 && !(flags & (MF_POPUP | MF_SEPARATOR))) {
        const auto found = resources.prompts.find(id);
        if (found != resources.prompts.end())
            text = found->second.substr(0, found->second.find('\n'));
    }
    SendMessage(statusBar, SB_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

} // namespace win
