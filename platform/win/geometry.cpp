// Showing, placing and measuring windows.
#include "platform/sys/lasterror.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/qtwindow.h"
#include "platform/win/windowinternals.h"

#include <algorithm>

namespace win {
namespace {

internal::Window* LookUpOrFail(HWND window) {
    internal::Window* record = internal::LookUpWindow(window);
    if (!record)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return record;
}

// Where the window's client area starts, in screen coordinates.
POINT ClientOrigin(const internal::Window& window) {
    POINT origin{window.rect.left, window.rect.top + window.menuBarHeight};
    if (window.IsChild())
        if (const internal::Window* parent = internal::LookUpWindow(window.parent)) {
            const POINT parentOrigin = ClientOrigin(*parent);
            origin.x += parentOrigin.x;
            origin.y += parentOrigin.y;
        }
    return origin;
}

// A window that becomes visible has all of itself (and its visible
// children) to paint.
void InvalidateShownTree(HWND window) {
    const internal::Window* record = internal::LookUpWindow(window);
    if (!record || !(record->style & WS_VISIBLE))
        return;
    InvalidateRect(window, nullptr, TRUE);
    for (HWND child : record->children)
        InvalidateShownTree(child);
}

void SetVisible(HWND window, bool visible, bool activate) {
    internal::Window* record = internal::LookUpWindow(window);
    if (!record)
        return;
    const bool wasVisible = (record->style & WS_VISIBLE) != 0;
    if (visible)
        record->style |= WS_VISIBLE;
    else
        record->style &= ~WS_VISIBLE;
    internal::ApplyPresentation(window);
    if (visible && !wasVisible)
        InvalidateShownTree(window);
    if (visible && activate && !record->IsChild())
        SetForegroundWindow(window);
}

} // namespace

namespace internal {
void ClientSizeChanged(HWND window) {
    Window* record = LookUpWindow(window);
    if (!record)
        return;
    record->framebuffer.Reset(record->ClientWidth(), record->ClientHeight(), CurrentDepth());
    record->updateRegion = QRegion();
    InvalidateRect(window, nullptr, TRUE);
    ApplyPresentation(window);
    CallProcedure(window, WM_SIZE, SIZE_RESTORED,
                  MAKELPARAM(static_cast<WORD>(record->ClientWidth()),
                             static_cast<WORD>(record->ClientHeight())));
}
} // namespace internal

BOOL ShowWindow(HWND window, int command) {
    const internal::Window* record = LookUpOrFail(window);
    if (!record)
        return FALSE;
    const BOOL wasVisible = (record->style & WS_VISIBLE) ? TRUE : FALSE;
    switch (command) {
    case SW_HIDE:
        SetVisible(window, false, false);
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
        SetVisible(window, true, false);
        break;
    default:
        SetVisible(window, true, true);
        break;
    }
    return wasVisible;
}

BOOL IsWindowVisible(HWND window) {
    for (const internal::Window* record = internal::LookUpWindow(window); record;
         record = internal::LookUpWindow(record->parent)) {
        if (!(record->style & WS_VISIBLE))
            return FALSE;
        if (!record->IsChild())
            return TRUE;
    }
    return FALSE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    internal::Window* record = LookUpOrFail(window);
    if (!record)
        return FALSE;
    if (!(flags & SWP_NOZORDER) && !record->IsChild()) {
        if (insertAfter == HWND_TOPMOST)
            record->exStyle |= WS_EX_TOPMOST;
        else if (insertAfter == HWND_NOTOPMOST)
            record->exStyle &= ~WS_EX_TOPMOST;
    }
    const int oldWidth = record->ClientWidth();
    const int oldHeight = record->rect.bottom - record->rect.top;
    if (!(flags & SWP_NOMOVE)) {
        record->rect.right += x - record->rect.left;
        record->rect.bottom += y - record->rect.top;
        record->rect.left = x;
        record->rect.top = y;
    }
    if (!(flags & SWP_NOSIZE)) {
        record->rect.right = record->rect.left + std::max(width, 0);
        record->rect.bottom = record->rect.top + std::max(height, 0);
    }
    if (record->ClientWidth() != oldWidth || record->rect.bottom - record->rect.top != oldHeight)
        internal::ClientSizeChanged(window);
    else
        internal::ApplyPresentation(window);
    record = internal::LookUpWindow(window); // WM_SIZE may have destroyed it
    if (!record)
        return TRUE;
    if (flags & SWP_HIDEWINDOW)
        SetVisible(window, false, false);
    else if (flags & SWP_SHOWWINDOW)
        SetVisible(window, true, !(flags & SWP_NOACTIVATE));
    else if (!(flags & SWP_NOACTIVATE) && !record->IsChild() && (record->style & WS_VISIBLE))
        SetForegroundWindow(window);
    if (!(flags & SWP_NOZORDER) && record->widget)
        insertAfter == HWND_BOTTOM ? record->widget->lower() : record->widget->raise();
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    if (!SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE))
        return FALSE;
    if (repaint)
        InvalidateRect(window, nullptr, TRUE);
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    const internal::Window* record = LookUpOrFail(window);
    if (!record || !rect)
        return FALSE;
    *rect = {0, 0, record->ClientWidth(), record->ClientHeight()};
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    const internal::Window* record = LookUpOrFail(window);
    if (!record || !rect)
        return FALSE;
    const POINT origin = ClientOrigin(*record);
    const int top = origin.y - record->menuBarHeight;
    *rect = {origin.x, top, origin.x + record->ClientWidth(),
             top + record->rect.bottom - record->rect.top};
    return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
    const internal::Window* record = LookUpOrFail(window);
    if (!record || !point)
        return FALSE;
    const POINT origin = ClientOrigin(*record);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
    const internal::Window* record = LookUpOrFail(window);
    if (!record || !point)
        return FALSE;
    const POINT origin = ClientOrigin(*record);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

} // namespace win
