#include "display/availablemodes.h"

#include "display/directdraw.h"
#include "imaging/pxerror.h"
#include "platform/display/displaysettings.h"
#include "platform/gdi/devicecaps.h"
#include "platform/win/paint.h"

namespace {

bool IsExcludedGDI(const win::DEVMODE& mode, const ModeStruct* excluded, int32_t excludedCount) {
    for (int32_t i = 0; i < excludedCount; ++i)
        if (excluded[i].width == mode.dmPelsWidth && excluded[i].height == mode.dmPelsHeight &&
            excluded[i].bpp == mode.dmBitsPerPel && excluded[i].refresh == mode.dmDisplayFrequency)
            return true;
    return false;
}

// DirectDraw reports no refresh rate, so only size and depth count.
bool IsExcludedDD(const win::DDSURFACEDESC& mode, const DDEnumModeStruct& context) {
    if (!context.excluded)
        return false;
    for (int32_t i = 0; i < context.excludedCount; ++i)
        if (context.excluded[i].width == mode.dwWidth &&
            context.excluded[i].height == mode.dwHeight &&
            context.excluded[i].bpp == mode.ddpfPixelFormat.dwRGBBitCount)
            return true;
    return false;
}

} // namespace

int32_t CalculateAvailableModes(int32_t dispType, ModeStruct* modes, int32_t* count,
                                const ModeStruct* excluded, int32_t excludedCount) {
    if (!modes || !count)
        return 0;
    if (dispType == DisplayGDI) {
        CalculateAvailableModesGDI(modes, count, excluded, excludedCount);
    } else if (win::HMODULE library; win::IDirectDraw* directDraw = CreateDirectDraw(&library)) {
        *count = CalculateAvailableModesDD(directDraw, modes, count, excluded, excludedCount);
        ReleaseDirectDraw(directDraw, library);
    } else if (dispType == DisplayDontCare) {
        CalculateAvailableModesGDI(modes, count, excluded, excludedCount);
    } else {
        pxLog("CalculateAvailableModes: dispType was DirectDraw, but couldn't init DirectDraw!");
        *count = 0;
        return 0;
    }
    if (*count < 1)
        return *count;
    SortModes(modes, *count);
    return *count;
}

int32_t CalculateAvailableModesGDI(ModeStruct* modes, int32_t* count, const ModeStruct* excluded,
                                   int32_t excludedCount) {
    const int32_t capacity = *count;
    *count = 0;
    bool more = true;
    for (win::DWORD number = 0; more; ++number) {
        win::DEVMODE mode{};
        mode.dmSize = sizeof mode;
        more = win::EnumDisplaySettings(nullptr, number, &mode) != win::FALSE;
        if (excluded && IsExcludedGDI(mode, excluded, excludedCount))
            continue;
        mode.dmFields = win::DM_BITSPERPEL | win::DM_PELSWIDTH | win::DM_PELSHEIGHT;
        if (win::ChangeDisplaySettings(&mode, win::CDS_TEST) != win::DISP_CHANGE_SUCCESSFUL ||
            mode.dmPelsWidth == 0)
            continue;
        if (*count >= capacity) {
            pxLog("CalculateAvailableModesGDI: maximum mode count (%d) exceeded.  Returning",
                  static_cast<int>(*count));
            return *count;
        }
        modes[*count] = {mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel,
                         mode.dmDisplayFrequency};
        ++*count;
    }
    return *count;
}

int32_t CalculateAvailableModesDD(win::IDirectDraw* directDraw, ModeStruct* modes, int32_t* count,
                                  const ModeStruct* excluded, int32_t excludedCount) {
    if (!directDraw) {
        pxLog("CalculateAvailableModesDD:  Invalid DirectDraw object!");
        return 0;
    }
    DDEnumModeStruct context{*count, 0, modes, excludedCount, excluded};
    const win::HRESULT result =
        directDraw->EnumDisplayModes(0, nullptr, &context, EnumModesCallback);
    if (win::FAILED(result)) {
        pxLog("CalculateAvailableModesDD: ERROR on EnumDisplayModes %d", static_cast<int>(result));
        LogDDError(result);
        return 0;
    }
    *count = context.count;
    return *count;
}

win::HRESULT EnumModesCallback(win::DDSURFACEDESC* mode, void* context) {
    auto* modeList = static_cast<DDEnumModeStruct*>(context);
    if (!modeList) {
        pxLog("EnumModesCallback: Canceling enumeration, no lpContext!");
        return win::DDENUMRET_CANCEL;
    }
    if (!modeList->modes) {
        pxLog("EnumModesCallback: Canceling enumeration, invalid mode list in DDEnumModeStruct!");
        return win::DDENUMRET_CANCEL;
    }
    if (!mode || IsExcludedDD(*mode, *modeList))
        return win::DDENUMRET_OK;
    if (modeList->count >= modeList->capacity) {
        pxLog("EnumModesCallback: Maximum number of modes (%d) has been exceeded!",
              static_cast<int>(modeList->capacity));
        return win::DDENUMRET_CANCEL;
    }
    modeList->modes[modeList->count] = {mode->dwWidth, mode->dwHeight,
                                        mode->ddpfPixelFormat.dwRGBBitCount, 0};
    ++modeList->count;
    return win::DDENUMRET_OK;
}

ModeStruct CurrentDesktopMode() {
    const win::HDC screen = win::GetDC(nullptr);
    const int bpp = win::GetDeviceCaps(screen, win::BITSPIXEL);
    win::ReleaseDC(nullptr, screen);
    return {static_cast<uint32_t>(win::GetSystemMetrics(win::SM_CXSCREEN)),
            static_cast<uint32_t>(win::GetSystemMetrics(win::SM_CYSCREEN)),
            static_cast<uint32_t>(bpp), 0};
}
