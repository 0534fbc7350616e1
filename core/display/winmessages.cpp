// The display window's messages and alerts: its window procedure, paint,
// destroy and palette handling, the key wait of the in-frame message box,
// and the alert that tells the user and the owning window.
#include "display/handlebits.h"
#include "display/windisp.h"

#include "imaging/pxerror.h"
#include "platform/dialogs/messagebox.h"
#include "platform/gdi/gdi.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace {

constexpr win::WPARAM kEscape = 27;
// WM_KEYFIRST to WM_KEYLAST.
constexpr win::UINT kFirstKeyboardMessage = win::WM_KEYDOWN;
constexpr win::UINT kLastKeyboardMessage = 0x0108;
constexpr const char* kAlertFrame = "***********************************************";

// Waits for keyboard messages of the calling thread; a quit or an error ends
// the wait early.
void WaitForKeyboardMessages(int keyboardMessages) {
    for (int i = 0; i < keyboardMessages; ++i) {
        win::MSG message;
        if (win::GetMessage(&message, nullptr, kFirstKeyboardMessage, kLastKeyboardMessage) <= 0)
            return;
    }
}

} // namespace

void WinDisp::InstallKeyWait() {
    pxSetKeyWaitHook(WaitForKeyboardMessages);
}

win::LRESULT WinDisp::Trampoline(win::HWND window, win::UINT message, win::WPARAM wParam,
                                 win::LPARAM lParam) {
    auto* display = reinterpret_cast<WinDisp*>(win::GetWindowLongPtr(window, 0));
    if (!display)
        return win::DefWindowProc(window, message, wParam, lParam);
    return display->WindowProc(window, message, wParam, lParam);
}

win::LRESULT WinDisp::WindowProc(win::HWND target, win::UINT message, win::WPARAM wParam,
                                 win::LPARAM lParam) {
    switch (message) {
    case win::WM_PAINT:
        HandlePaint(target);
        break;
    case win::WM_DESTROY:
        HandleDestroy();
        return 0;
    case win::WM_CHAR:
        if (wParam == kEscape)
            win::PostQuitMessage(0);
        break;
    case win::WM_QUERYNEWPALETTE:
        if (HandleQueryNewPalette())
            return 1;
        break;
    case win::WM_PALETTECHANGED:
        HandlePaletteChanged(target, reinterpret_cast<win::HWND>(wParam));
        break;
    default:
        break;
    }
    return win::DefWindowProc(target, message, wParam, lParam);
}

void WinDisp::HandlePaint(win::HWND target) {
    win::RECT update;
    if (!win::GetUpdateRect(target, &update, win::FALSE))
        return;
    win::ValidateRect(target, &update);
    RefreshMono(ctopx(update), true);
}

void WinDisp::HandleDestroy() {
    win::PostQuitMessage(0);
}

bool WinDisp::HandleQueryNewPalette() {
    if (directDrawInUse)
        return true;
    if (!gdiPalette)
        return false;
    ClearSystemPalette();
    win::SelectPalette(dc, gdiPalette, win::FALSE);
    win::RealizePalette(dc);
    Refresh();
    return true;
}

void WinDisp::HandlePaletteChanged(win::HWND ours, win::HWND changer) {
    if (directDrawInUse || !gdiPalette || changer == ours)
        return;
    win::SelectPalette(dc, gdiPalette, win::FALSE);
    win::RealizePalette(dc);
    win::UpdateColors(dc);
}

void WinDisp::_Alert(const char* text, bool post) {
    pxLog("\n%s", kAlertFrame);
    pxLog("Alert: %s", text ? text : "");
    pxLog("%s\n", kAlertFrame);
    if (post) {
        pxLog("WinDisp::_Alert -- Sending WM_WINDISP_ALERT message to %x", HandleBits(window));
        win::PostMessage(window, WM_WINDISP_ALERT, 0, 0);
    }
    win::MessageBox(window, text, errorTitle ? errorTitle->c_str() : nullptr, win::MB_OK);
}

void WinDisp::SetErrorTitle(const char* text) {
    if (text)
        errorTitle = text;
    else
        errorTitle.reset();
}
