// The view's life (construction, Create, Destroy) and the showing of
// pictures: ShowImage, the match of the resolution to the picture, Update,
// the status line, clearing and the zoom steps.
#include "view/bxview.h"

#include "devices/nuvision.h"
#include "devices/nuvisionstatus.h"
#include "devices/ospi.h"
#include "devices/tessel.h"
#include "devices/tesselprobe.h"
#include "display/availablemodes.h"
#include "imaging/pixelops.h"
#include "imaging/pxerror.h"
#include "platform/dialogs/messagebox.h"
#include "platform/gdi/objects.h"
#include "platform/win/cursor.h"
#include "platform/win/input.h"
#include "platform/win/modalloop.h"
#include "stereo/cpair.h"
#include "stereo/stereomethods.h"

#include <cmath>

namespace {

constexpr double kFitZoom = -1.0;
constexpr double kZoomStep = 0.05;
constexpr double kSmallestZoom = 0.1;

bool HasDeviceFlag(const StereoViewMethod* method, uint32_t flag) {
    return method && (method->deviceFlags & flag) != 0;
}

// The method's picture for resolution matching: one eye for the methods that
// show one eye per page.
int32_t SizingOutputType(const StereoViewMethod& method) {
    return (method.deviceFlags & DEVICE_ONE_EYE_AT_A_TIME) ? OUTPUT_ONE_EYE : method.outputType;
}

int32_t SurfaceTypeFor(const StereoViewMethod& method) {
    if (method.deviceFlags & DEVICE_NUVISION)
        return DDSurfFlipChain;
    if (method.deviceFlags & DEVICE_PAGE_FLIP)
        return DDSurfStereoPair;
    return DDSurfSingle;
}

// Throws the driver's failure as the view reports it: the log line with the
// step, the status name, and the text.
[[noreturn]] void ThrowNuVisionError(const char* step, const char* format, win::LONG status,
                                     bool logStatusName) {
    char text[128];
    std::snprintf(text, sizeof text, format, static_cast<int>(status));
    pxLog("BxView::Update [%s] -- %s", step, text);
    if (logStatusName)
        NuVLogStatus(status);
    throw pxError("%s", text);
}

} // namespace

BxView::BxView() {
    windowClass = RegisterWindowClass(
        win::CS_HREDRAW | win::CS_VREDRAW, win::LoadCursor(nullptr, win::IDC_ARROW),
        reinterpret_cast<win::HBRUSH>(win::GetStockObject(win::BLACK_BRUSH)));
    display = std::make_unique<WinDisp>();
    display->SetErrorTitle(kErrorTitle);
    if (TesselClassicInstalled()) {
        tessel = std::make_unique<TesselDevice>();
        tesselInstalled = tessel->Status() == 0;
        if (!tesselInstalled)
            tessel.reset();
    }
    NuVisionDriver& nuvision = TheNuVisionDriver();
    nuvisionLoaded = nuvision.Load();
    if (nuvisionLoaded) {
        win::LONG major = 0, minor = 0, build = 0;
        const win::LONG version = nuvision.GetVersion(&major, &minor, &build);
        if (version != NUV_OK) {
            pxLog("BxView::BxView -- Error getting version of NuVision! (%d)",
                  static_cast<int>(version));
            NuVLogStatus(version);
        }
        NuVHandle handle = 0;
        const win::LONG enabled = nuvision.EnableStereo(&handle, 1);
        if (enabled != NUV_OK)
            pxLog("BxView::BxView -- Error initializing NuVision! (%d)", static_cast<int>(enabled));
        nuvisionHandle = handle;
    }
    hooks.reserve(kMaxCommandHooks);
}

BxView::~BxView() {
    active = false;
    for (win::HMENU* menu : {&rightClickMenu, &methodsMenu, &resolutionsMenu}) {
        if (*menu && win::IsMenu(*menu))
            win::DestroyMenu(*menu);
        *menu = nullptr;
    }
    tessel.reset();
    TheOspiInterface().Exit();
    if (nuvisionLoaded) {
        TheNuVisionDriver().DisableStereo(nuvisionHandle);
        TheNuVisionDriver().Unload();
    }
    // The display gives the window back (cooperative level, palette) first.
    display.reset();
    DestroyWindow();
}

void BxView::SetExcludedModes(const ModeStruct* modes, int32_t count) {
    excludedModes = modes;
    excludedCount = modes ? count : 0;
}

void BxView::Create(int32_t dispType, int32_t surfType, const ModeType& modeType,
                    uint32_t rightClickFlags) {
    if (active)
        throw pxError("BxView is already active!");
    displayType = dispType;
    int32_t width = 0, height = 0, bpp = 0;
    switch (modeType.type) {
    case ModeCurrent:
    case ModeClosest:
    case ModeGeometric: {
        const ModeStruct desktop = CurrentDesktopMode();
        width = static_cast<int32_t>(desktop.width);
        height = static_cast<int32_t>(desktop.height);
        bpp = static_cast<int32_t>(desktop.bpp);
        break;
    }
    case ModeFixed:
        width = modeType.width;
        height = modeType.height;
        bpp = modeType.bpp;
        break;
    default:
        pxLog("BxView::Create -- bad modeType.type");
        break;
    }
    SetDisplay(width, height, bpp / 8, dispType, surfType);
    win::SetForegroundWindow(GetSafeHwnd());
    active = true;
    matchImage = modeType.type == ModeClosest || modeType.type == ModeGeometric;
    CreateRightClickMenu(rightClickFlags);
}

void BxView::SetDisplay(int32_t width, int32_t height, int32_t bytesPerPixel, int32_t dispType,
                        int32_t surfType) {
    displayType = dispType;
    if (!CreateEx(win::WS_EX_TOPMOST, windowClass, "Binoxa Viewer", win::WS_POPUP, 0, 0, width,
                  height, nullptr, nullptr))
        throw pxError("BxView::SetDisplay -- CreateEx failed!");
    const win::HWND window = GetSafeHwnd();
    win::ShowWindow(window, win::SW_SHOW);
    win::SetWindowPos(window, win::HWND_TOPMOST, 0, 0, 0, 0,
                      win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_SHOWWINDOW);
    const bool wide = bytesPerPixel == 2 || bytesPerPixel == 4;
    const WinDispStruct params{
        width, height, wide ? 3 : bytesPerPixel, bytesPerPixel, window, 0, dispType, surfType};
    display->Create(&params);
    TheOspiInterface().Init(display->UsesDirectDraw() ? OSPI_RENDER_DIRECTDRAW : OSPI_RENDER_GDI);
}

void BxView::Destroy(int result) {
    if (!active) {
        pxLog("BxView::Destroy -- WARNING: not active, nothing to destroy");
        return;
    }
    // Whoever holds the lock gives it back from a message: wait for them
    // rather than spin while none is queued.
    while (locked)
        if (!PumpMessages(nullptr) && locked)
            win::WaitMessage();
    active = false;
    if (method)
        StereoOff(method);
    // The loop runs for the window, which is gone once destroyed.
    const win::HWND window = GetSafeHwnd();
    DestroyWindow();
    popupShowing = false;
    win::EndModalLoop(window, result);
}

void BxView::InternalDestroy(int result) {
    if (autoDestroy)
        Destroy(result);
    else if (IsInModalLoop())
        EndModalLoop(result);
    else
        pxLog("BxView::InternalDestroy -- bAutoDestroy = FALSE and not in a modal loop....");
}

int BxView::ShowImage(const pxImage& stereoImage, const pxPalette* palette, uint32_t layout,
                      int32_t id) {
    methodId = id;
    method = GetStereoMethodByID(id);
    if (!method) {
        pxLog("BxView::ShowImage -- Invalid stereo view method %d!", id);
        Destroy(2);
        return 0;
    }
    settings = ConversionSettings{};
    settings.stereoImage = stereoImage;
    if (palette)
        settings.palette = *palette;
    settings.layout = layout;
    if (!CommonShowImage()) {
        Destroy(2);
        return 0;
    }
    return 1;
}

int BxView::ShowImage(const pxImage* left, const px2Rect* leftRect, const pxImage* right,
                      const px2Rect* rightRect, const pxPalette* palette, int32_t id) {
    methodId = id;
    method = GetStereoMethodByID(id);
    if (!method) {
        pxLog("BxView::ShowImage -- Invalid stereo view method %d!", id);
        Destroy(2);
        return 0;
    }
    settings = ConversionSettings{};
    if (left)
        settings.left = *left;
    if (right)
        settings.right = *right;
    if (leftRect)
        settings.leftRect = *leftRect;
    if (rightRect)
        settings.rightRect = *rightRect;
    if (palette)
        settings.palette = *palette;
    if (!CommonShowImage()) {
        Destroy(2);
        return 0;
    }
    return 1;
}

int BxView::CommonShowImage() {
    if (!active)
        return 0;
    settings.display = display.get();
    settings.outputType = method->outputType;
    settings.swapEyes = method->swapEyes;
    settings.halfWidth = method->halfWidth;
    settings.interleaved = method->interleavedFlag;
    settings.destination = display->whole;
    settings.zoom = fullScreen ? kFitZoom : 1.0;
    BuildModeList(true, true);
    if (matchImage && !ChangeResolutionToMatchImage())
        pxLog("BxView::CommonShowImage -- changing display to match image resolution failed!");
    BuildResolutionsMenu(resolutionsMenu);
    CheckCurrentModeItem();
    StereoOn(method);
    // Only the method now shown is checked, whatever an earlier picture used.
    for (int i = 0; i < NumStereoMethods(); ++i)
        CheckMethodItem(GetStereoMethodByIndex(i)->id, false);
    CheckMethodItem(methodId, true);
    Update(true);
    return 1;
}

int BxView::ChangeResolutionToMatchImage() {
    if (!method)
        return 0;
    std::optional<pxCPair> pair;
    int32_t depth = 0;
    if (settings.stereoImage) {
        pair.emplace(settings.layout, *settings.stereoImage);
        depth = settings.stereoImage->GetBytesPerPixel() * 8;
    } else {
        if (!settings.left || !settings.right)
            return 0;
        pair.emplace(settings.layout, *settings.left, *settings.right);
        depth = settings.left->GetBytesPerPixel() * 8;
    }
    if (method->outputType == OUTPUT_INTERLEAVED)
        pair->halveRows = 1;
    const px2Size size = pair->CalcConvertSize(SizingOutputType(*method));
    const int32_t index = FindClosestMode(modeList.data(), static_cast<uint32_t>(modeList.size()),
                                          static_cast<uint32_t>(size.width),
                                          static_cast<uint32_t>(size.height), depth);
    if (index < 0) {
        pxLog("BxView::ChangeResolutionToMatchImage -- couldn't find an appropriate mode (%d)",
              index);
        return 0;
    }
    return ChangeResolution(index, SurfaceTypeFor(*method));
}

int BxView::Update(bool clear) {
    if (!active) {
        pxLog("BxView::Update -- display is not active, returning");
        return 0;
    }
    const bool nuvision = nuvisionLoaded && HasDeviceFlag(method, DEVICE_NUVISION);
    int32_t firstPass = 1; // the right eye
    int32_t secondPass = 0;
    NuVisionDriver& driver = TheNuVisionDriver();
    if (nuvision) {
        NuVStereoStatus status{};
        status.size = sizeof status;
        const win::LONG got = driver.GetStereoStatus(nuvisionHandle, &status);
        if (got != NUV_OK)
            ThrowNuVisionError("NuVGetStereoStatus", "Error enabling NuVision 3D! (%d)", got,
                               false);
        if (status.flipping == 0) {
            pxLog("BxView::Update -- jumping to update");
        } else {
            const win::LONG paused = driver.PauseStereoFlipping(nuvisionHandle, 0, 1);
            if (paused != NUV_OK)
                ThrowNuVisionError("NuVPauseStereoFlipping", "Error pausing NuVision 3D! (%d)",
                                   paused, true);
            win::WORD primary = 0, second = 0;
            for (const auto& [surface, answer] :
                 {std::pair{display->GetPrimarySurface(), &primary},
                  std::pair{display->GetSecondSurface(), &second}}) {
                const win::LONG asked = driver.IsFlippingSurface(nuvisionHandle, surface, answer);
                if (asked != NUV_OK)
                    ThrowNuVisionError("NuVIsFlippingSurface",
                                       "Error determining NuVision flipping surface (%d)", asked,
                                       false);
            }
            const bool primaryIsRight =
                primary == NUV_SURFACE_RIGHT_SHOWING || primary == NUV_SURFACE_RIGHT;
            const bool secondIsLeft =
                second == NUV_SURFACE_LEFT_SHOWING || second == NUV_SURFACE_LEFT;
            if (!primaryIsRight || !secondIsLeft)
                std::swap(firstPass, secondPass);
        }
    }
    if (clear)
        Clear(false);
    if (!HasDeviceFlag(method, DEVICE_PAGE_FLIP | DEVICE_NUVISION)) {
        // The frame as it is now: a resolution change rebuilds it.
        settings.destination = display->whole;
        RenderSettings();
    } else {
        settings.outputType = OUTPUT_ONE_EYE;
        settings.destination = display->right;
        settings.swapEyes = firstPass;
        RenderSettings();
        Refresh();
        settings.destination = display->left;
        settings.swapEyes = secondPass;
        RenderSettings();
    }
    Refresh();
    if (nuvision) {
        const win::LONG resumed = driver.ResumeStereoFlipping(nuvisionHandle);
        if (resumed != NUV_OK) {
            char text[64];
            std::snprintf(text, sizeof text, "Error resuming NuVision 3D! (%d)",
                          static_cast<int>(resumed));
            pxLog("BxView::Update [NuVResumeFlipping] -- %s", text);
            NuVLogStatus(resumed);
        }
    }
    return 1;
}

int BxView::Refresh(const px2Rect&) {
    if (!active) {
        pxLog("BxView::Refresh -- display is not active, returning");
        return 0;
    }
    if (!statusBar) {
        display->SetStatusBarMessage(nullptr);
    } else {
        const char* name = MethodDisplayName(method, "Unknown");
        display->SetStatusBarMessage(
            "Method: %s  Zoom: %d%%  Display: %dx%dx%d (%s)", name,
            static_cast<int>(settings.zoom * 100), settings.destination.GetWidth(),
            settings.destination.GetHeight(), static_cast<int>(display->Bpp() * 8),
            display->UsesDirectDraw() ? "DirectDraw" : "GDI");
    }
    display->Refresh();
    return 1;
}

int BxView::Refresh() {
    return Refresh(px2Rect{});
}

int BxView::Clear(bool refresh) {
    if (!active || !display)
        return 0;
    pxImage& frame = display->whole;
    if (frame.GetPixels()) {
        const pxColor fill = frame.GetBytesPerPixel() == 1 ? pxColor{} : background;
        pxFillImage(frame, fill);
    }
    if (refresh)
        display->Refresh();
    return 1;
}

void BxView::ShowProgress(const char* text) {
    if (progressMessages)
        StatusBarMessage(text);
}

void BxView::ReduceImage() {
    if (settings.zoom <= kSmallestZoom) {
        win::MessageBeep(0);
        return;
    }
    ShowProgress("Reducing image...");
    settings.zoom -= kZoomStep;
    Update(true);
}

void BxView::EnlargeImage() {
    ShowProgress("Enlarging image...");
    settings.zoom += kZoomStep;
    Update(true);
}

void BxView::EnlargeImageFull() {
    ShowProgress("Enlarging image to fill screen...");
    settings.zoom = kFitZoom;
    Update(true);
}

void BxView::OriginalSize() {
    if (settings.zoom == 1.0)
        return;
    ShowProgress("Scaling image to actual size...");
    settings.zoom = 1.0;
    Update(true);
}

int BxView::BltImage(const pxImage& image, const win::BITMAPINFO* header, const px2Pnt* point) {
    if (!active) {
        pxLog("BxView::BltImage -- display is not active, returning");
        return 0;
    }
    if (!display) {
        pxLog("BxView::BltImage -- m_disp is NULL!  returning.");
        return 0;
    }
    display->BltImage(image, header, point);
    return 1;
}

void BxView::StatusBarMessage(const char* text) {
    if (!display)
        return;
    if (text)
        display->SetStatusBarMessage("%s", text);
    else
        display->SetStatusBarMessage(nullptr);
}

void BxView::Alert(const char* text, bool post) {
    if (display)
        display->_Alert(text, post);
    else
        win::MessageBox(nullptr, text, kErrorTitle, win::MB_OK);
}
