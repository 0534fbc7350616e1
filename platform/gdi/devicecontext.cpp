#include "platform/gdi/devicecontext.h"

#include "platform/gdi/objects.h"
#include "platform/gdi/realisation.h"
#include "platform/gdi/windowdc.h"
#include "platform/win/windowframebuffer.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace win::internal {
namespace {

std::unordered_map<HDC, std::unique_ptr<DeviceContext>>& Contexts() {
    // Never destroyed: windows released while the process exits still find it.
    static auto* contexts = new std::unordered_map<HDC, std::unique_ptr<DeviceContext>>;
    return *contexts;
}

} // namespace

DeviceContext* FindDeviceContext(HDC dc) {
    const auto found = Contexts().find(dc);
    return found == Contexts().end() ? nullptr : found->second.get();
}

Framebuffer* DrawableTarget(const DeviceContext& dc) {
    Framebuffer* frame = dc.target;
    const int depth = frame->bitsPerPixel;
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32)
        return nullptr;
    if (frame->width < 0 || frame->height < 0 ||
        std::int64_t{frame->stride} < std::int64_t{frame->width} * (depth / 8))
        return nullptr;
    if (frame->pixels.size() <
        static_cast<std::uint64_t>(frame->stride) * static_cast<std::uint64_t>(frame->height))
        return nullptr;
    return frame;
}

void FinishDrawing(DeviceContext& dc) {
    if (dc.target->bitsPerPixel == 8)
        dc.drawnWith = CurrentSystemColours();
    ShowAgain(dc);
}

void ShowAgain(const DeviceContext& dc) {
    if (dc.window)
        FramebufferChanged(dc.window);
}

HDC CreateFramebufferDC(Framebuffer* target, HWND window) {
    if (!target)
        return nullptr;
    auto context = std::make_unique<DeviceContext>();
    context->target = target;
    context->window = window;
    context->brush = &StockBrush(WHITE_BRUSH);
    context->palette = &DefaultPalette();
    ++context->brush->selections;
    ++context->palette->selections;
    context->drawnWith = CurrentSystemColours();
    const HDC handle = reinterpret_cast<HDC>(context.get());
    Contexts().emplace(handle, std::move(context));
    return handle;
}

bool DeleteFramebufferDC(HDC dc) {
    DeviceContext* context = FindDeviceContext(dc);
    if (!context)
        return false;
    --context->brush->selections;
    --context->palette->selections;
    if (context->bitmap)
        --context->bitmap->selections;
    Contexts().erase(dc);
    return true;
}

void DeleteWindowDCs(HWND window) {
    std::vector<HDC> owned;
    for (const auto& [handle, context] : Contexts())
        if (context->window == window)
            owned.push_back(handle);
    for (HDC dc : owned)
        DeleteFramebufferDC(dc);
}

} // namespace win::internal
