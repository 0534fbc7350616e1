#include "plugin/pluginwindow.h"

#include "platform/gdi/objects.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "plugin/fullscreen.h"
#include "plugin/inline.h"
#include "view/bxview.h"

using namespace win;

namespace {

PluginInstance* InstanceOf(HWND window) {
    return static_cast<PluginInstance*>(GetProp(window, "instance->pdata"));
}

void FillBackground(HDC dc, HWND window, COLORREF colour) {
    RECT client{};
    GetClientRect(window, &client);
    const HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
}

} // namespace

LRESULT PluginWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PluginInstance* This = InstanceOf(window);
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
    case WM_LBUTTONDOWN:
        StartFullScreen(*This, nullptr);
        return 0;
    default:
        return This->oldWindowProc
                   ? CallWindowProc(This->oldWindowProc, window, message, wParam, lParam)
                   : DefWindowProc(window, message, wParam, lParam);
    }
}
