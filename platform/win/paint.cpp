// Update regions, WM_PAINT and the device contexts of windows.
#include "platform/win/paint.h"

#include "platform/display/adapter.h"
#include "platform/gdi/windowdc.h"
#include "platform/sys/lasterror.h"
#include "platform/win/windowframebuffer.h"
#include "platform/win/windowinternals.h"

namespace win {
namespace {

QRegion ClientArea(const internal::Window& window) {
    return QRegion(0, 0, window.ClientWidth(), window.ClientHeight());
}

QRegion AreaOf(const internal::Window& window, const RECT* rect) {
    if (!rect)
        return ClientArea(window);
    return QRegion(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top) &
           ClientArea(window);
}

RECT BoundsOf(const QRegion& region) {
    if (region.isEmpty())
        return {};
    const QRect bounds = region.boundingRect();
    return {bounds.left(), bounds.top(), bounds.left() + bounds.width(),
            bounds.top() + bounds.height()};
}

// Sends WM_ERASEBKGND when the update region asked for it; answers whether
// the background is still to be erased.
bool EraseIfAsked(internal::Window* record, HDC dc) {
    if (!record->eraseNeeded)
        return false;
    record->eraseNeeded = false;
    return internal::CallProcedure(record->handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc),
                                   0) == 0;
}

} // namespace

namespace internal {
bool TakePaint(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
    const bool wanted =
        (filterMin == 0 && filterMax == 0) || (WM_PAINT >= filterMin && WM_PAINT <= filterMax);
    if (!wanted)
        return false;
    for (HWND candidate : AllWindows()) {
        const Window* record = LookUpWindow(candidate);
        if (record->updateRegion.isEmpty() || !IsWindowVisible(candidate) ||
            (window && window != candidate))
            continue;
        *message = MSG{};
        message->hwnd = candidate;
        message->message = WM_PAINT;
        message->time = MessageTime();
        message->pt = PointerPosition();
        return true;
    }
    return false;
}
} // namespace internal

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    if (!window) {
        // The whole screen: every top-level window.
        for (HWND topLevel : internal::TopLevelWindows())
            InvalidateRect(topLevel, nullptr, erase);
        return TRUE;
    }
    internal::Window* record = internal::LookUpWindow(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const QRegion area = AreaOf(*record, rect);
    if (area.isEmpty())
        return TRUE;
    record->updateRegion |= area;
    if (erase)
        record->eraseNeeded = true;
    internal::WakeGuiThread();
    return TRUE;
}

BOOL ValidateRect(HWND window, const RECT* rect) {
    internal::Window* record = internal::LookUpWindow(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    record->updateRegion -= AreaOf(*record, rect);
    if (record->updateRegion.isEmpty())
        record->eraseNeeded = false;
    return TRUE;
}

BOOL UpdateWindow(HWND window) {
    const internal::Window* record = internal::LookUpWindow(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!record->updateRegion.isEmpty() && IsWindowVisible(window))
        internal::CallProcedure(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL GetUpdateRect(HWND window, RECT* rect, BOOL erase) {
    internal::Window* record = internal::LookUpWindow(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (rect)
        *rect = BoundsOf(record->updateRegion);
    if (record->updateRegion.isEmpty())
        return FALSE;
    if (erase && record->eraseNeeded) {
        const HDC dc = GetDC(window);
        if (EraseIfAsked(record, dc))
            record->eraseNeeded = true;
        ReleaseDC(window, dc);
    }
    return TRUE;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    internal::Window* record = internal::LookUpWindow(window);
    if (!record || !paint) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    *paint = PAINTSTRUCT{};
    record->paintRegion = record->updateRegion;
    record->updateRegion = QRegion();
    record->painting = true;
    paint->rcPaint = BoundsOf(record->paintRegion);
    paint->hdc = internal::CreateFramebufferDC(&record->framebuffer, window);
    paint->fErase = EraseIfAsked(record, paint->hdc) ? TRUE : FALSE;
    return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (paint && paint->hdc)
        internal::DeleteFramebufferDC(paint->hdc);
    if (internal::Window* record = internal::LookUpWindow(window)) {
        record->painting = false;
        record->paintRegion = QRegion();
    }
    internal::FramebufferChanged(window);
    return TRUE;
}

HDC GetDC(HWND window) {
    if (!window)
        return internal::CreateFramebufferDC(&internal::ScreenFramebuffer(), nullptr);
    Framebuffer* framebuffer = internal::WindowFramebuffer(window);
    if (!framebuffer) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return internal::CreateFramebufferDC(framebuffer, window);
}

// Windows here have no frame, so the whole window is the client area.
HDC GetWindowDC(HWND window) {
    return GetDC(window);
}

int ReleaseDC(HWND window, HDC dc) {
    if (!internal::DeleteFramebufferDC(dc))
        return 0;
    internal::FramebufferChanged(window);
    return 1;
}

} // namespace win
