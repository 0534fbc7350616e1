// Painting: the update region of a window, WM_PAINT and WM_ERASEBKGND, and
// device contexts on the window's framebuffer.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    BOOL fErase = FALSE; // the background still needs erasing
    RECT rcPaint;        // bounds of the region to paint, client coordinates
    BOOL fRestore = FALSE;
    BOOL fIncUpdate = FALSE;
    BYTE rgbReserved[32] = {};
};

// A null rectangle means the whole client area; erase asks BeginPaint to
// send WM_ERASEBKGND.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
// Sends WM_PAINT at once when the update region is not empty.
BOOL UpdateWindow(HWND window);
// Answers whether the update region is not empty; rect (may be null)
// receives its bounds.
BOOL GetUpdateRect(HWND window, RECT* rect, BOOL erase);

// Validates the update region, sends WM_ERASEBKGND when it was invalidated
// with erasing (DefWindowProc fills it with the class brush), and answers a
// device context on the window's framebuffer.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// A device context on the window's framebuffer; a null window gives the
// screen's. The window shows what was drawn once the context is released.
HDC GetDC(HWND window);
HDC GetWindowDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

} // namespace win
