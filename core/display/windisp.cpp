// The display window's life: the window class, creation through DirectDraw
// or GDI, mode changes, the frame's size and the way back to the desktop.
#include "display/windisp.h"

#include "display/availablemodes.h"
#include "display/directdraw.h"
#include "display/sharedpalette.h"
#include "imaging/pxerror.h"
#include "platform/display/displaysettings.h"
#include "platform/gdi/gdi.h"
#include "platform/win/cursor.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

#include <algorithm>
#include <cstdint>
#include <limits>

win::HINSTANCE WinDisp::instance = nullptr;

namespace {

constexpr int kWindowExtraBytes = 8;
constexpr int32_t kFrameRowAlign = 4;
constexpr int32_t kFrameBottomUp = 1;
constexpr win::LONG kPixelsPerMetre = 1000;

bool IsPageFlippedType(int32_t surfType) {
    return surfType == DDSurfFlipChain || surfType == DDSurfStereoPair;
}

// Both eyes side by side or one over the other: the frame is twice one
// eye's size in that direction.
px2Size BothEyesSize(px2Size eye, int32_t pairType) {
    const auto doubled = [](int32_t side) {
        return static_cast<int32_t>(
            std::min<int64_t>(2 * int64_t{side}, std::numeric_limits<int32_t>::max()));
    };
    if (pairType >= PAIR_INTERLEAVED_LEFT_FIRST && pairType <= PAIR_OVER_UNDER_RIGHT_TOP)
        return {eye.width, doubled(eye.height)};
    if (pairType == PAIR_SIDE_BY_SIDE_LEFT_FIRST || pairType == PAIR_SIDE_BY_SIDE_RIGHT_FIRST)
        return {doubled(eye.width), eye.height};
    return eye;
}

} // namespace

bool WinDisp::Initialize(win::HINSTANCE moduleInstance) {
    if (instance)
        return true;
    win::WNDCLASS windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = Trampoline;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = kWindowExtraBytes;
    windowClass.hInstance = moduleInstance;
    windowClass.hCursor = win::LoadCursor(nullptr, win::IDC_ARROW);
    windowClass.hbrBackground =
        reinterpret_cast<win::HBRUSH>(win::GetStockObject(win::BLACK_BRUSH));
    windowClass.lpszClassName = kWinDispClassName;
    if (!win::RegisterClass(&windowClass))
        return false;
    instance = moduleInstance;
    InstallKeyWait();
    return true;
}

WinDisp::WinDisp() : textColour(win::RGB(0, 200, 0)) {
    if (!instance)
        throw pxError("Error, instance not initialized");
    const ModeStruct desktop = CurrentDesktopMode();
    desktopWidth = static_cast<int32_t>(desktop.width);
    desktopHeight = static_cast<int32_t>(desktop.height);
    desktopBpp = static_cast<int32_t>(desktop.bpp);
    modes = std::make_unique<ModeStruct[]>(kModeCapacity);
}

WinDisp::~WinDisp() {
    if (!directDrawInUse && modeCount > 0) {
        const int32_t desktop = FindExactMode(
            modes.get(), static_cast<uint32_t>(modeCount), static_cast<uint32_t>(desktopWidth),
            static_cast<uint32_t>(desktopHeight), static_cast<uint32_t>(desktopBpp));
        if (desktop >= 0)
            ChangeDisplayGDI(desktop);
    }
    if (savedGdiPalette) {
        win::SelectPalette(dc, savedGdiPalette, win::FALSE);
        win::RealizePalette(dc);
        win::DeleteObject(gdiPalette);
    }
    // Also after a set-up that failed before DirectDraw was marked in use.
    DDTerm();
    if (dc)
        win::ReleaseDC(window, dc);
    if (window)
        win::DestroyWindow(window);
}

int32_t WinDisp::Create(const WinDispStruct* params) {
    if (!params) // no record: no depth to create with
        throw pxError("Invalid image BPP creating WinDisp = %d", 0);
    if (params->imageBpp != 1 && params->imageBpp != 3)
        throw pxError("Invalid image BPP creating WinDisp = %d",
                      static_cast<int>(params->imageBpp));
    if (params->displayBpp < 1 || params->displayBpp > 4)
        throw pxError("Invalid display BPP creating WinDisp = %d",
                      static_cast<int>(params->displayBpp));
    if (params->imageBpp < params->displayBpp && params->displayBpp != 4)
        throw pxError("Image bpp (%d) must be greater or equal to display bpp (%d)",
                      static_cast<int>(params->imageBpp), static_cast<int>(params->displayBpp));
    imageBpp = params->imageBpp;
    displayBpp = params->displayBpp;
    surfType = params->surfType;

    if (!params->window) {
        displayWidth = win::GetSystemMetrics(win::SM_CXSCREEN);
        displayHeight = win::GetSystemMetrics(win::SM_CYSCREEN);
        window = win::CreateWindow(kWinDispClassName, "TAMBER",
                                   static_cast<win::DWORD>(params->windowStyle), 0, 0, displayWidth,
                                   displayHeight, nullptr, nullptr, instance, nullptr);
        if (!window)
            throw pxError("Error, could not create window\n");
    } else {
        win::RECT rect;
        win::GetWindowRect(params->window, &rect);
        displayWidth = rect.right - rect.left;
        displayHeight = rect.bottom - rect.top;
        window = params->window;
    }

    win::SetWindowLongPtr(window, 0, reinterpret_cast<win::LONG_PTR>(this));
    win::ShowWindow(window, win::SW_SHOW);
    CommonConstructor(params->dispType, params->surfType);
    beingCreated = false;
    return 1;
}

void WinDisp::CommonConstructor(int32_t dispType, int32_t requestedSurfType) {
    const int32_t bits = displayBpp * 8;
    if (dispType == DisplayDirectDraw || dispType == DisplayDontCare) {
        if (DDInit()) {
            if (DDSetMode(displayWidth, displayHeight, bits)) {
                SetupDDSurfaces(displayWidth, displayHeight, bits, requestedSurfType);
                directDrawInUse = true;
                dc = nullptr;
            } else {
                pxLog("DDSetMode failed! (%dx%dx%d)", static_cast<int>(displayWidth),
                      static_cast<int>(displayHeight), static_cast<int>(bits));
                if (dispType == DisplayDirectDraw)
                    throw pxError("DDSetMode failed! (%dx%dx%d)", static_cast<int>(displayWidth),
                                  static_cast<int>(displayHeight), static_cast<int>(bits));
                DDTerm();
            }
        } else if (dispType == DisplayDirectDraw) {
            throw pxError("ERROR: Could not initialize DirectDraw display");
        }
    }

    if (!directDrawInUse) {
        if (requestedSurfType != DDSurfSingle)
            throw pxError("ERROR: Cannot do page flipping without DirectDraw");
        dc = win::GetDC(window);
        win::GetSystemPaletteEntries(dc, 0, kPaletteEntries, SharedPaletteEntries());
        SelectGdiPaletteFromRecord();
    }

    modeCount = kModeCapacity;
    CalculateAvailableModes(directDrawInUse ? DisplayDirectDraw : DisplayGDI, modes.get(),
                            &modeCount, nullptr, 0);
    if (modeCount < 1) {
        pxLog("WinDisp::CommonConstructor -- no modes (%d) after CalculateAvailableModes",
              static_cast<int>(modeCount));
        modeCount = 0;
        throw pxError("You don't have any available resolutions!\n\nYou may need to run Binoxa "
                      "Viewer from the Program Group and select\nPreferences | Customize Display "
                      "Modes.  Then click on Excluded Modes\nand make sure you have something "
                      "selected.");
    }

    currentModeIndex = -1;
    const auto count = static_cast<uint32_t>(modeCount);
    int32_t index =
        FindExactMode(modes.get(), count, static_cast<uint32_t>(displayWidth),
                      static_cast<uint32_t>(displayHeight), static_cast<uint32_t>(bits));
    if (index < 0)
        index = FindClosestMode(modes.get(), count, static_cast<uint32_t>(displayWidth),
                                static_cast<uint32_t>(displayHeight), bits);
    ChangeDisplay(index, requestedSurfType);
}

void WinDisp::SelectGdiPaletteFromRecord() {
    const win::HPALETTE created = win::CreatePalette(SharedPalette());
    const win::HPALETTE previous = win::SelectPalette(dc, created, win::FALSE);
    win::RealizePalette(dc);
    if (!savedGdiPalette)
        savedGdiPalette = previous;
    else
        win::DeleteObject(previous);
    gdiPalette = created;
}

int32_t WinDisp::ChangeDisplay(int32_t modeIndex, int32_t newSurfType) {
    if (modeIndex < 0 || modeIndex >= modeCount) {
        pxLog("WinDisp::ChangeDisplay -- change failed!");
        return 2;
    }
    displayValid = false;
    int32_t result;
    if (!directDrawInUse) {
        if (IsPageFlippedType(newSurfType))
            throw pxError("ERROR: Cannot do page flipping with Windows GDI (need DirectDraw).");
        result = ChangeDisplayGDI(modeIndex);
    } else {
        result = ChangeDisplayDD(modeIndex, newSurfType);
    }
    if (result != 0) {
        pxLog("WinDisp::ChangeDisplay -- change failed!");
        return result;
    }

    const ModeStruct& mode = modes[static_cast<size_t>(modeIndex)];
    displayWidth = static_cast<int32_t>(mode.width);
    displayHeight = static_cast<int32_t>(mode.height);
    win::SetWindowPos(window, win::HWND_TOPMOST, 0, 0, displayWidth, displayHeight,
                      win::SWP_SHOWWINDOW);
    Resize({displayWidth, displayHeight}, PAIR_OVER_UNDER_RIGHT_TOP, mode.bpp == 8 ? 1 : 3,
           kFrameRowAlign, kFrameBottomUp);
    displayBpp = static_cast<int32_t>(mode.bpp / 8);
    currentModeIndex = modeIndex;
    displayValid = true;
    return 0;
}

int32_t WinDisp::ChangeDisplay(int32_t width, int32_t height, int32_t bpp, int32_t refresh,
                               int32_t newSurfType) {
    const int32_t index = GetModeIndex(width, height, bpp, refresh);
    if (index < 0) {
        pxLog("WinDisp::ChangeDisplay -- %dx%dx%d,%d was not found in the AvailableModes list:",
              static_cast<int>(width), static_cast<int>(height), static_cast<int>(bpp),
              static_cast<int>(refresh));
        for (int32_t i = 0; i < modeCount; ++i)
            pxLog("\t%d: %dx%dx%d,%d", static_cast<int>(i), static_cast<int>(modes[i].width),
                  static_cast<int>(modes[i].height), static_cast<int>(modes[i].bpp),
                  static_cast<int>(modes[i].refresh));
        throw pxError("Could not change display to %dx%dx%d,%d  mode not found in list of "
                      "available mode.  See tamber.log file for details",
                      static_cast<int>(width), static_cast<int>(height), static_cast<int>(bpp),
                      static_cast<int>(refresh));
    }
    return ChangeDisplay(index, newSurfType);
}

int32_t WinDisp::GetModeIndex(int32_t width, int32_t height, int32_t bpp, int32_t refresh) const {
    for (int32_t i = 0; i < modeCount; ++i) {
        const ModeStruct& mode = modes[static_cast<size_t>(i)];
        if (mode.width == static_cast<uint32_t>(width) &&
            mode.height == static_cast<uint32_t>(height) &&
            mode.bpp == static_cast<uint32_t>(bpp) &&
            mode.refresh == static_cast<uint32_t>(refresh))
            return i;
    }
    return -1;
}

int32_t WinDisp::ChangeDisplayGDI(int32_t modeIndex) {
    if (modeIndex == currentModeIndex && displayValid)
        return 1;
    const ModeStruct& mode = modes[static_cast<size_t>(modeIndex)];
    win::DEVMODE settings{};
    settings.dmSize = sizeof settings;
    settings.dmFields = win::DM_BITSPERPEL | win::DM_PELSWIDTH | win::DM_PELSHEIGHT;
    settings.dmPelsWidth = mode.width;
    settings.dmPelsHeight = mode.height;
    settings.dmBitsPerPel = mode.bpp;
    const win::LONG result = win::ChangeDisplaySettings(&settings, 0);
    if (result == win::DISP_CHANGE_SUCCESSFUL)
        return 0;
    pxLog("WinDisp::ChangeDisplayGDI -- ERROR changing display (%ld)", static_cast<long>(result));
    return 2;
}

int32_t WinDisp::ChangeDisplayDD(int32_t modeIndex, int32_t newSurfType) {
    if (modeIndex == currentModeIndex && newSurfType == surfType && displayValid)
        return 1;
    const ModeStruct& mode = modes[static_cast<size_t>(modeIndex)];
    const auto width = static_cast<int32_t>(mode.width);
    const auto height = static_cast<int32_t>(mode.height);
    const auto bits = static_cast<int32_t>(mode.bpp);
    if (!DDSetMode(width, height, bits)) {
        pxLog("DDSetMode failed! (%dx%dx%d)", static_cast<int>(width), static_cast<int>(height),
              static_cast<int>(bits));
        throw pxError("DDSetMode failed! (%dx%dx%d)", static_cast<int>(width),
                      static_cast<int>(height), static_cast<int>(bits));
    }
    DropSurfaces();
    SetupDDSurfaces(width, height, bits, newSurfType);
    return 0;
}

bool WinDisp::IsPageFlipped() const {
    return IsPageFlippedType(surfType);
}

void WinDisp::Resize(px2Size size, int32_t pairType, int32_t bytesPerPixel, int32_t rowAlign,
                     int32_t bottomUp) {
    if (bytesPerPixel != 1 && bytesPerPixel != 3)
        throw pxError("Resize: Invalid BPP creating WinDisp (%d,%d,%d)",
                      static_cast<int>(size.width), static_cast<int>(size.height),
                      static_cast<int>(bytesPerPixel));
    const px2Size frameSize = IsPageFlipped() ? BothEyesSize(size, pairType) : size;
    pxDisp::Resize(frameSize, pairType, bytesPerPixel, rowAlign, bottomUp);
    imageXOffset = (displayWidth - whole.GetWidth()) / 2;
    imageYOffset = (displayHeight - whole.GetHeight()) / 2;

    auto header = std::make_unique<DisplayBitmapInfo>();
    header->bmiHeader = {sizeof(win::BITMAPINFOHEADER),
                         whole.GetWidth(),
                         whole.GetHeight(),
                         1,
                         static_cast<win::WORD>(bytesPerPixel * 8),
                         win::BI_RGB,
                         0,
                         kPixelsPerMetre,
                         kPixelsPerMetre,
                         kPaletteEntries,
                         kPaletteEntries};
    for (int i = 0; i < kPaletteEntries; ++i)
        header->bmiColors[i] = static_cast<win::WORD>(i);
    bitmapHeader = std::move(header);

    if (directDrawInUse && bytesPerPixel == 1) {
        if (ddPalette) {
            ddPalette->Release();
            ddPalette = nullptr;
        }
        const win::HRESULT result = directDraw->CreatePalette(
            win::DDPCAPS_8BIT, SharedPaletteEntries(), &ddPalette, nullptr);
        if (win::FAILED(result)) {
            ddPalette = nullptr;
            LogDDError(result);
        }
    }
}

const win::BITMAPINFO* WinDisp::GetBitmapHeader() const {
    return bitmapHeader ? bitmapHeader->Info() : nullptr;
}
