#include "plugin/pluginwindow.h"

#include "platform/gdi/objects.h"
#include "platform/gdi/palette.h"
#include "platform/win/cursor.h"
#include "platform/win/input.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "plugin/commands.h"
#include "plugin/fullscreen.h"
#include "plugin/inline.h"
#include "plugin/pluginpalette.h"
#include "view/bxview.h"

using namespace win;

namespace {

void FillBackground(HDC dc, HWND window, COLORREF colour) {
    RECT client{};
    GetClientRect(window, &client);
    const HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
}

// The pointer tells a stereo picture from a flat one while it is over the
// window; the capture tells when it leaves.
void TrackPointer(const PluginInstance& This, LPARAM position) {
    const PluginState& plugin = ThePlugin();
    if (plugin.showingMessage || FullScreenView())
        return;
    RECT client{};
    GetClientRect(This.hwnd, &client);
    const POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    if (point.x >= client.left && point.x < client.right && point.y >= client.top &&
        point.y < client.bottom) {
        SetCursor(This.imageInfo->hasDescriptor ? plugin.stereoCursor : plugin.flatCursor);
        if (GetCapture() != This.hwnd)
            SetCapture(This.hwnd);
    } else {
        ReleaseCapture();
        SetCursor(plugin.arrowCursor);
    }
}

} // namespace

LRESULT PluginWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PluginInstance* This = InstanceOfWindow(window);
    if (!This)
        return DefWindowProc(window, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND:
        FillBackground(reinterpret_cast<HDC>(wParam), window, This->backgroundColour);
        return 1;
    case WM_PAINT: {
        // Until the header is read there is only the download to show.
        const bool hasPicture = This->inlineImage->GetPixels() != nullptr;
        if (hasPicture && FullScreenWaiting()) {
            // The full-screen view follows the download instead.
            ValidateRect(window, nullptr);
            BxView& view = *FullScreenView();
            view.Lock();
            view.StatusBarMessage("Updating...");
            view.Update(true);
            view.UnLock();
        } else if (hasPicture && !FullScreenView() &&
                   (ThePlugin().preferences.progressiveDisplay || This->complete)) {
            PaintInline(*This);
        } else {
            PaintDownload(*This);
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        TrackPointer(*This, lParam);
        return 0;
    case WM_LBUTTONDOWN:
        StartFullScreen(*This, nullptr);
        return 0;
    case WM_RBUTTONUP:
        TrackPluginPopupMenu(*This, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_COMMAND:
        OnPluginCommand(*This, LOWORD(wParam));
        return 0;
    case WM_QUERYNEWPALETTE: {
        const HDC dc = GetDC(window);
        RealisePluginPalette(window, dc);
        ReleaseDC(window, dc);
        return TRUE;
    }
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) != window) {
            const HDC dc = GetDC(window);
            if (RealisePluginPalette(window, dc) > 0)
                UpdateColors(dc);
            ReleaseDC(window, dc);
        }
        return 0;
    default:
        return This->oldWindowProc
                   ? CallWindowProc(This->oldWindowProc, window, message, wParam, lParam)
                   : DefWindowProc(window, message, wParam, lParam);
    }
}
