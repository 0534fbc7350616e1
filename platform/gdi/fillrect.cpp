#include "platform/gdi/devicecontext.h"
#include "platform/gdi/ink.h"
#include "platform/gdi/objects.h"

#include <algorithm>

namespace win {

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    const internal::SolidBrush* fill = internal::FindBrush(internal::AsObject(brush));
    if (!context || !rect || !fill)
        return 0;
    Framebuffer* frame = internal::DrawableTarget(*context);
    if (!frame || fill->hollow)
        return 1;
    const int left = std::max<LONG>(rect->left, 0);
    const int right = std::min<LONG>(rect->right, frame->width);
    const int top = std::max<LONG>(rect->top, 0);
    const int bottom = std::min<LONG>(rect->bottom, frame->height);
    const internal::Ink ink =
        internal::InkMaker(*context, frame->bitsPerPixel).ForColour(fill->colour);
    const int bytes = frame->BytesPerPixel();
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            internal::Put(frame->Row(y) + x * bytes, ink, bytes);
    internal::FinishDrawing(*context);
    return 1;
}

} // namespace win
