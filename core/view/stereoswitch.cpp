// The view's glasses devices and display modes: switching a method's device
// on and off, changing the method or the resolution while a picture is shown
// (going back where the change fails), and the list of modes the view offers.
#include "view/bxview.h"

#include "devices/modeavailability.h"
#include "devices/nuvision.h"
#include "devices/nuvisionstatus.h"
#include "devices/ospi.h"
#include "devices/tessel.h"
#include "imaging/pxerror.h"
#include "platform/win/messages.h"
#include "stereo/stereomethods.h"

#include <cstdio>
#include <cstring>

namespace {

// The method whose menu entry was last checked, for every view of the process.
int32_t lastCheckedMethodId = -1;
bool lastCheckedKnown = false;

constexpr const char* kTesselMissing =
    "The Tessel Classic drivers were not detected on your system.  If you are\ntrying to use "
    "Binoxa with the Tessel Classic, please install\nthe Tessel Classic Pack first.\n\nIf you "
    "don't have the Tessel Classic Pack, please change your Stereo Viewing method.";
constexpr const char* kNuVisionMissing =
    "The WinSPEX/3D drivers were not detected on your system.  If you are trying to use Binoxa "
    "with WinSPEX/3D, please install WinSPEX/3D first.\n\nIf you don't have WinSPEX/3D, please "
    "change your Stereo Viewing method.";

bool SameMode(const ModeStruct& a, const ModeStruct& b) {
    return a.width == b.width && a.height == b.height && a.bpp == b.bpp && a.refresh == b.refresh;
}

// A failed driver call as StereoOn and StereoOff report it.
[[noreturn]] void ThrowNuVisionFailure(const char* logFormat, const char* textFormat,
                                       win::LONG status, bool logStatusName) {
    char text[128];
    std::snprintf(text, sizeof text, textFormat, static_cast<int>(status));
    pxLog(logFormat, text);
    if (logStatusName)
        NuVLogStatus(status);
    throw pxError("%s", text);
}

} // namespace

void BxView::StereoOn(const StereoViewMethod* on) {
    if (!display) {
        pxLog("BxView::StereoOn -- no display!");
        throw pxError("No display!  Can't enable 3D mode");
    }
    if (!on) {
        pxLog("BxView::StereoOn -- Invalid stereo view method");
        throw pxError("Invalid stereo viewing method.  Cannot turn on stereo");
    }
    if (on->deviceFlags & DEVICE_TESSEL) {
        if (!tesselInstalled || !tessel)
            throw pxError("%s", kTesselMissing);
        const win::LONG status = tessel->On();
        if (status != 0)
            throw pxError("%s", TesselErrorText(status));
    }
    if (on->deviceFlags == DEVICE_OSPI) {
        OspiInterface& ospi = TheOspiInterface();
        OspiRenderDevice device{};
        if (display->UsesDirectDraw()) {
            device.kind = OSPI_RENDER_DEVICE_DIRECTDRAW;
            device.primary = display->GetPrimarySurface();
        } else {
            device.kind = OSPI_RENDER_DEVICE_GDI;
            device.window = GetSafeHwnd();
        }
        const OspiModeQuery query{static_cast<win::WORD>(display->MonoWidth()),
                                  static_cast<win::WORD>(display->MonoHeight()),
                                  static_cast<win::WORD>(display->Bpp() * 8), 0};
        OspiModeInfo mode{};
        const win::LONG found = ospi.EnumStereoModes(query, 0, &mode);
        if (found != OSPI_OK)
            throw pxError("Could not enumerate OSPI mode: %dx%dx%d\n\n[%d] '%s'", query.width,
                          query.height, query.bitsPerPixel, static_cast<int>(found),
                          ospi.StatusText(found).c_str());
        if (!(mode.flags & OSPI_MODE_HALF_HEIGHT) || (mode.flags & OSPI_MODE_EXCLUSIVE))
            throw pxError("Unable to use this OSPI Mode (%dx%dx%d) with Binoxa.\nIn this version "
                          "of Binoxa, only half-height interleaved modes are supported",
                          query.width, query.height, query.bitsPerPixel);
        const win::LONG onStatus = ospi.StereoOn(query, device, mode);
        if (onStatus != OSPI_OK)
            throw pxError("Could not turn on OSPI Stereo for mode: %dx%dx%d\n\n[%d] %s",
                          query.width, query.height, query.bitsPerPixel, static_cast<int>(onStatus),
                          ospi.StatusText(onStatus).c_str());
    }
    if (on->deviceFlags & DEVICE_NUVISION) {
        if (!nuvisionLoaded)
            throw pxError("%s", kNuVisionMissing);
        const NuVisionDriver& driver = TheNuVisionDriver();
        const win::LONG flipping =
            driver.EnableStereoSurfaceFlipping(nuvisionHandle, display->GetPrimarySurface(), 0);
        if (flipping != NUV_OK)
            ThrowNuVisionFailure("BxView::StereoOn [NuVEnableStereoSurfaceFlipping] -- %s",
                                 "Error enabling NuVision 3D! (%d)", flipping, true);
        const win::LONG queued = driver.QueueStereoPair(
            nuvisionHandle, display->GetPrimarySurface(), display->GetSecondSurface(), 1);
        if (queued != NUV_OK)
            ThrowNuVisionFailure("BxView::StereoOn [NuVQueueStereoPair] -- %s",
                                 "Error enabling NuVision 3D! (%d)", queued, true);
        NuVStereoStatus status{};
        status.size = sizeof status;
        const win::LONG got = driver.GetStereoStatus(nuvisionHandle, &status);
        if (got != NUV_OK)
            ThrowNuVisionFailure("BxView::StereoOn [NuVGetStereoStatus] -- %s",
                                 "Error enabling NuVision 3D! (%d)", got, false);
    }
}

void BxView::StereoOff(const StereoViewMethod* off) {
    if (!off) {
        pxLog("BxView::StereoOff -- invalid stereo viewing method");
        throw pxError("Invalid stereo viewing method [turning off 3d mode]");
    }
    if ((off->deviceFlags & DEVICE_TESSEL) && tesselInstalled && tessel)
        tessel->Off();
    if (off->deviceFlags & DEVICE_OSPI)
        TheOspiInterface().StereoOff();
    if ((off->deviceFlags & DEVICE_NUVISION) && nuvisionLoaded) {
        const win::LONG status =
            TheNuVisionDriver().DisableStereoSurfaceFlipping(nuvisionHandle, 1);
        if (status != NUV_OK)
            ThrowNuVisionFailure("BxView::StereoOff -- %s", "Error disabling NuVision 3D! (%d)",
                                 status, true);
    }
}

int BxView::StereoOnOrRestore(const StereoViewMethod* newMethod, const StereoViewMethod* oldMethod,
                              bool alert) {
    try {
        StereoOn(newMethod);
        return 0;
    } catch (const pxError& error) {
        if (alert)
            Alert(error.GetMessage(), false);
    }
    try {
        StereoOn(oldMethod);
        return 1;
    } catch (const pxError& error) {
        if (alert)
            Alert(error.GetMessage(), false);
        return 2;
    }
}

int BxView::ChangeViewMethod(int32_t id) {
    const StereoViewMethod* newMethod = GetStereoMethodByID(id);
    if (!newMethod) {
        pxLog("BxView::ChangeViewMethod -- Invalid stereo view method %d", id);
        Alert("Invalid stereo view method which changing viewing method.  Please exit program "
              "and try again.",
              false);
        return 0;
    }
    if (!lastCheckedKnown) {
        lastCheckedMethodId = methodId;
        lastCheckedKnown = true;
    }
    if (progressMessages) {
        char text[256];
        std::snprintf(text, sizeof text, "Changing viewing method from %s to %s",
                      MethodDisplayName(method, "Unnamed"),
                      MethodDisplayName(newMethod, "Unnamed"));
        StatusBarMessage(text);
    }
    if ((newMethod->displayFlags & DISPLAY_NEEDS_DIRECTDRAW) && !display->UsesDirectDraw()) {
        char text[512];
        std::snprintf(text, sizeof text,
                      "You need a DirectDraw display to use the %s viewing method.\nYou can "
                      "change your Display from the View menu in\nthe Binoxa Viewer main window.",
                      newMethod->name.c_str());
        Alert(text, false);
        return 0;
    }
    const StereoViewMethod* oldMethod = method;
    StereoOff(oldMethod);
    if (!(newMethod->displayFlags & DISPLAY_STEREO_AFTER_SURFACES)) {
        const int restored = StereoOnOrRestore(newMethod, oldMethod, true);
        if (restored != 0) {
            pxLog("BxView::ChangeViewMethod -- StereoOnOrRestore error: %d", restored);
            return 0;
        }
    }
    if (display->GetSurfType() != newMethod->surfType) {
        try {
            Clear(true);
            display->ChangeDisplay(display->GetCurrentModeIndex(), newMethod->surfType);
            if (newMethod->displayFlags & DISPLAY_STEREO_AFTER_SURFACES)
                StereoOn(newMethod);
        } catch (const pxError& error) {
            Alert(error.GetMessage(), false);
            try {
                if (display->ChangeDisplay(display->GetCurrentModeIndex(), oldMethod->surfType) ==
                    2)
                    throw pxError("Error restoring previous display mode!");
                StereoOn(oldMethod);
                Update(true);
            } catch (const pxError& restoring) {
                pxLog("BxView::ChangeViewMethod [attempting to restore] -- %s",
                      restoring.GetMessage());
                Alert(restoring.GetMessage(), false);
                Destroy(2);
            }
            return 0;
        }
    }
    CheckMethodItem(lastCheckedMethodId, false);
    CheckMethodItem(methodId, false);
    CheckMethodItem(id, true);
    lastCheckedMethodId = id;

    methodId = id;
    method = newMethod;
    settings.outputType = method->outputType;
    settings.swapEyes = method->swapEyes;
    settings.interleaved = method->interleavedFlag;
    settings.halfWidth = method->halfWidth;
    settings.destination = display->whole;
    if (fullScreen)
        settings.zoom = -1.0;
    UpdateResolutionsMenu();
    Update(true);
    return 1;
}

int BxView::ChangeResolution(int32_t index, int32_t surfType) {
    const int32_t displayIndex = display->GetCurrentModeIndex();
    const int32_t oldIndex = GetModeIndexFromDisplay();
    if (index < 0 || index >= static_cast<int32_t>(modeList.size())) {
        pxLog("BxView::ChangeResolution -- no mode %d in the view's list", index);
        return 0;
    }
    const ModeStruct& wanted = modeList[static_cast<size_t>(index)];
    if (progressMessages && oldIndex >= 0) {
        const ModeStruct& current = modeList[static_cast<size_t>(oldIndex)];
        char text[160];
        std::snprintf(text, sizeof text, "Changing resolution from %dx%dx%d to %dx%dx%d...",
                      current.width, current.height, current.bpp, wanted.width, wanted.height,
                      wanted.bpp);
        StatusBarMessage(text);
    }
    try {
        StereoOff(method);
        // The entry's own refresh rate: one of 0 would miss every mode whose
        // rate the adapter reports.
        const int32_t displayMode = display->GetModeIndex(
            static_cast<int32_t>(wanted.width), static_cast<int32_t>(wanted.height),
            static_cast<int32_t>(wanted.bpp), static_cast<int32_t>(wanted.refresh));
        if (displayMode < 0)
            throw pxError("Mode lists are out of sync!  %d:%dx%dx%d", index, wanted.width,
                          wanted.height, wanted.bpp);
        // A mode the adapter refuses is answered, not thrown; the adapter
        // stays in the old mode, where the display is made valid again.
        if (display->ChangeDisplay(displayMode, surfType) == 2) {
            display->ChangeDisplay(displayIndex, method ? method->surfType : surfType);
            throw pxError("Could not change the display to %dx%dx%d", wanted.width, wanted.height,
                          wanted.bpp);
        }
    } catch (const pxError& error) {
        Alert(error.GetMessage(), true);
        return 0;
    }
    try {
        StereoOn(method);
    } catch (const pxError& error) {
        Alert(error.GetMessage(), false);
        try {
            display->ChangeDisplay(displayIndex, method ? method->surfType : surfType);
            StereoOn(method);
        } catch (const pxError& back) {
            pxLog("BxView::ChangeResolution -- error changing back to previous resolution "
                  "(after an error)");
            Alert(back.GetMessage(), true);
        }
        return 0;
    }
    if (resolutionsMenu) {
        if (oldIndex == -1)
            pxLog("BxView::ChangeResolution -- bad index from GetModeIndexFromDisplay()");
        else
            win::CheckMenuItem(resolutionsMenu,
                               ID_RESOLUTION_FIRST + static_cast<win::UINT>(oldIndex),
                               win::MF_BYCOMMAND | win::MF_UNCHECKED);
        win::CheckMenuItem(resolutionsMenu, ID_RESOLUTION_FIRST + static_cast<win::UINT>(index),
                           win::MF_BYCOMMAND | win::MF_CHECKED);
    }
    Clear(false);
    if (fullScreen)
        settings.zoom = -1.0;
    return 1;
}

int BxView::ChangeResolution(int32_t, int32_t, int32_t, int32_t) {
    throw pxError("BxView::ChangeResolution -- this particular function not implemented yet.  Use "
                  "ChangeResolution(ModeStruct, ...);");
}

void BxView::BuildModeList(bool checkAvailability, bool applyExclusions) {
    if (!active)
        throw pxError("BxView::BuildModeList -- display is not active!");
    if (tesselInstalled && tessel) {
        tessel->Off();
        tessel.reset();
    }
    std::vector<ModeStruct> list;
    list.reserve(static_cast<size_t>(display->GetModeCount()));
    const ModeStruct* modes = display->GetModes();
    for (int32_t i = 0; i < display->GetModeCount(); ++i) {
        const ModeStruct& mode = modes[i];
        bool excluded = false;
        for (int32_t e = 0; applyExclusions && e < excludedCount; ++e)
            excluded = excluded || SameMode(excludedModes[e], mode);
        if (excluded)
            continue;
        if (checkAvailability && method &&
            !IsStereoModeAvailable(method, static_cast<int>(mode.width),
                                   static_cast<int>(mode.height), static_cast<int>(mode.bpp)))
            continue;
        list.push_back(mode);
    }
    modeList = std::move(list);
    if (tesselInstalled) {
        tessel = std::make_unique<TesselDevice>();
        if (tessel->Status() != 0) {
            tessel.reset();
            tesselInstalled = false;
        } else if (method && (method->deviceFlags & DEVICE_TESSEL)) {
            const win::LONG status = tessel->On();
            if (status != 0)
                throw pxError("%s", TesselErrorText(status));
        }
    }
}

int32_t BxView::GetModeIndexFromDisplay() const {
    if (!active)
        throw pxError("BxView::GetModeIndexFromDisplay -- display not active!");
    const int32_t current = display->GetCurrentModeIndex();
    if (current < 0 || current >= display->GetModeCount())
        return -1;
    const ModeStruct& mode = display->GetModes()[current];
    for (size_t i = 0; i < modeList.size(); ++i)
        if (SameMode(modeList[i], mode))
            return static_cast<int32_t>(i);
    return -1;
}

bool BxView::IsStereoModeAvailable(const StereoViewMethod* asked, int width, int height, int bpp) {
    return ::IsStereoModeAvailable(asked, width, height, bpp);
}
