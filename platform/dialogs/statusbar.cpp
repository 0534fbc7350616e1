// The status bar is a static text control that places itself at the bottom
// of its parent and takes its text by SB_SETTEXT.
#include "platform/dialogs/statusbar.h"

#include "platform/dialogs/controlstate.h"
#include "platform/gdi/objects.h"
#include "platform/win/messages.h"

namespace win {
namespace {

const char* const kStaticProcedure = "StatusBarStaticProcedure";

void TakePlace(HWND bar) {
    RECT parent;
    if (!GetClientRect(GetParent(bar), &parent))
        return;
    MoveWindow(bar, 0, parent.bottom - kStatusBarHeight, parent.right, kStatusBarHeight, TRUE);
}

LRESULT StatusBarProcedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == SB_SETTEXT) {
        SetWindowText(bar, reinterpret_cast<const char*>(lParam));
        return TRUE;
    }
    if (message == WM_SIZE)
        TakePlace(bar);
    if (message == WM_ERASEBKGND) {
        // The bar's own face, whatever the parent shows around it.
        RECT face;
        GetClientRect(bar, &face);
        FillRect(reinterpret_cast<HDC>(wParam), &face,
                 reinterpret_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
        return 1;
    }
    const auto staticProcedure = reinterpret_cast<WNDPROC>(GetProp(bar, kStaticProcedure));
    return CallWindowProc(staticProcedure, bar, message, wParam, lParam);
}

} // namespace

HWND CreateStatusWindow(LONG style, const char* text, HWND parent, UINT id) {
    internal::EnsureControlClasses();
    const HWND bar = CreateWindowEx(
        0, "STATIC", text, static_cast<DWORD>(style) | WS_CHILD, 0, 0, 0, kStatusBarHeight, parent,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
    if (!bar)
        return nullptr;
    const LONG_PTR staticProcedure =
        SetWindowLongPtr(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StatusBarProcedure));
    SetProp(bar, kStaticProcedure, reinterpret_cast<HANDLE>(staticProcedure));
    TakePlace(bar);
    return bar;
}

} // namespace win
