#include "platform/gdi/devicecaps.h"

#include "platform/display/adapter.h"
#include "platform/gdi/devicecontext.h"

namespace win {
namespace {

constexpr int kPaletteSize = 256;
constexpr int kReservedColours = 20;
// Palette entries hold 8 bits for each of red, green and blue.
constexpr int kPaletteColourBits = 24;

} // namespace

int GetDeviceCaps(HDC dc, int index) {
    const internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context)
        return 0;
    const int depth = context->target->bitsPerPixel;
    const bool palette = depth == 8;
    switch (index) {
    case HORZRES:
        return DisplayAdapter::Instance().Current().width;
    case VERTRES:
        return DisplayAdapter::Instance().Current().height;
    case BITSPIXEL:
        return depth;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return palette ? kReservedColours : -1;
    case RASTERCAPS:
        return RC_DIBTODEV | RC_STRETCHDIB | (palette ? RC_PALETTE : 0);
    case SIZEPALETTE:
        return palette ? kPaletteSize : 0;
    case NUMRESERVED:
        return palette ? kReservedColours : 0;
    case COLORRES:
        return palette || depth > 16 ? kPaletteColourBits : depth;
    default:
        return 0;
    }
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
        return DisplayAdapter::Instance().Current().width;
    case SM_CYSCREEN:
        return DisplayAdapter::Instance().Current().height;
    default:
        return 0;
    }
}

} // namespace win
