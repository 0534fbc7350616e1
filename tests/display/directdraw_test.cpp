// Displays through the DirectDraw stand-in: every surface arrangement, the
// failures an adapter profile injects, and drawing into the surfaces.
#include "display/availablemodes.h"
#include "display/surfacelist.h"
#include "display/windisp.h"
#include "displayfixture.h"
#include "support/thrownmessage.h"

#include "imaging/pixelops.h"
#include "platform/display/displaysettings.h"
#include "platform/sys/libraries.h"
#include "platform/win/window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

class WinDispDirectDraw : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        WithDirectDraw(true);
    }

    void TearDown() override {
        display.reset();
        DisplayTest::TearDown();
    }

    // The error Create throws, "" when it succeeds.
    std::string Open(const std::string& profile, int32_t bytesPerPixel, int32_t dispType,
                     int32_t surfType) {
        UseProfile(profile);
        const WinDispStruct params = {
            0, 0, bytesPerPixel == 1 ? 1 : 3, bytesPerPixel, nullptr, 0, dispType, surfType};
        display = std::make_unique<WinDisp>();
        return ThrownMessage([&] { display->Create(&params); });
    }

    bool Logged(const std::string& line) const {
        return log.Text().find(line) != std::string::npos;
    }

    std::unique_ptr<WinDisp> display;
};

// The bytes of pixel (x, y) of a surface, read through Lock.
std::string SurfaceBytes(win::IDirectDrawSurface* surface, int x, int y, int bytesPerPixel) {
    win::DDSURFACEDESC locked{};
    if (!surface || win::FAILED(surface->Lock(nullptr, &locked, 0, nullptr)))
        return "unlockable";
    const auto* memory = static_cast<const uint8_t*>(locked.lpSurface);
    std::string bytes;
    for (int i = 0; i < bytesPerPixel; ++i)
        bytes += std::to_string(memory[y * locked.lPitch + x * bytesPerPixel + i]) + " ";
    surface->Unlock(locked.lpSurface);
    return bytes;
}

// A failure's result and name as the log shows them.
std::string Named(win::HRESULT result, const char* name) {
    return std::to_string(static_cast<int>(result)) + "\n" + name + "\n";
}

// Puts the adapter into another mode behind the display's back, which loses
// its surfaces.
void ChangeModeElsewhere(win::DWORD bits) {
    win::DEVMODE mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = win::DM_BITSPERPEL | win::DM_PELSWIDTH | win::DM_PELSHEIGHT;
    mode.dmPelsWidth = 320;
    mode.dmPelsHeight = 200;
    mode.dmBitsPerPel = bits;
    ASSERT_EQ(win::ChangeDisplaySettings(&mode, 0), win::DISP_CHANGE_SUCCESSFUL);
}

constexpr const char* kEightBit = "mode 320x200x8\nmode 320x200x32\ndesktop 320x200x8\n";
constexpr const char* kTrueColour = "mode 320x200x8\nmode 320x200x32\ndesktop 320x200x32\n";

} // namespace

TEST_F(WinDispDirectDraw, ASinglePrimaryTakesIndexedPicturesCutToTheSurface) {
    ASSERT_EQ(Open(kEightBit, 1, DisplayDirectDraw, DDSurfSingle), "");
    EXPECT_TRUE(display->UsesDirectDraw());
    EXPECT_TRUE(display->IsDisplayValid());
    ASSERT_EQ(display->GetModeCount(), 2);
    EXPECT_EQ(display->GetModes()[0].refresh, 0u);

    pxImage picture({2, 1}, 1, 4);
    picture.Row(0)[0] = 77;
    picture.Row(0)[1] = 78;
    const px2Pnt at{3, 2};
    display->BltImage(picture, display->GetBitmapHeader(), &at);
    EXPECT_EQ(SurfaceBytes(display->GetPrimarySurface(), 3, 2, 1), "77 ");
    EXPECT_EQ(SurfaceBytes(display->GetPrimarySurface(), 4, 2, 1), "78 ");

    // A frame larger than the display lands centred and cut.
    display->Resize({360, 220}, PAIR_OVER_UNDER_RIGHT_TOP, 1, 4, 1);
    pxFillRect(display->whole, display->whole.GetRect(), pxColor::FromValue(5));
    pxFillRect(display->whole, {20, 10, 1, 1}, pxColor::FromValue(9));
    display->Refresh();
    EXPECT_EQ(SurfaceBytes(display->GetPrimarySurface(), 0, 0, 1), "9 ");
    EXPECT_EQ(SurfaceBytes(display->GetPrimarySurface(), 319, 199, 1), "5 ");

    // DirectDraw takes a palette of any length.
    pxPalette shortPalette;
    shortPalette.SetCount(255);
    EXPECT_EQ(ThrownMessage([&] { display->SetPalette(shortPalette); }), "");
    EXPECT_FALSE(Logged("failed"));
}

TEST_F(WinDispDirectDraw, ATrueColourPrimaryTakesColourPicturesAndChangesMode) {
    ASSERT_EQ(Open(kTrueColour, 4, DisplayDirectDraw, DDSurfSingle), "");
    pxImage picture({1, 1}, 3, 4);
    pxFillRect(picture, picture.GetRect(), pxColor::Rgb(200, 100, 50));
    const px2Pnt at{5, 6};
    display->BltImage(picture, display->GetBitmapHeader(), &at);
    EXPECT_EQ(SurfaceBytes(display->GetPrimarySurface(), 5, 6, 4), "50 100 200 0 ");

    EXPECT_EQ(display->ChangeDisplay(320, 200, 8, 0, DDSurfSingle), 0);
    EXPECT_EQ(display->Bpp(), 1u);
    EXPECT_EQ(display->whole.GetBytesPerPixel(), 1);
}

TEST_F(WinDispDirectDraw, AFlipChainHoldsTheRightEyeInFrontAndTheLeftInTheBackBuffer) {
    ASSERT_EQ(Open(kEightBit, 1, DisplayDirectDraw, DDSurfFlipChain), "");
    ASSERT_NE(display->GetSecondSurface(), nullptr);
    // The back buffer lives with its chain; the display holds no reference.
    EXPECT_EQ(display->GetSecondSurface()->AddRef(), 1u);
    EXPECT_EQ(display->GetSecondSurface()->Release(), 0u);
    EXPECT_EQ(display->GetSurfType(), DDSurfFlipChain);
    EXPECT_EQ(display->whole.GetHeight(), 400);
    EXPECT_EQ(display->MonoHeight(), 200u);
    pxFillRect(display->whole, {0, 0, 320, 200}, pxColor::FromValue(10));
    pxFillRect(display->whole, {0, 200, 320, 200}, pxColor::FromValue(20));
    display->SetStatusBarMessage("Both eyes");
    display->Refresh();
    EXPECT_EQ(SurfaceBytes(display->GetPrimarySurface(), 100, 0, 1), "10 ");
    EXPECT_EQ(SurfaceBytes(display->GetSecondSurface(), 100, 0, 1), "20 ");
    EXPECT_EQ(SurfaceBytes(display->GetSecondSurface(), 100, 199 - 16, 1), "20 ");
    EXPECT_FALSE(Logged("DD err"));

    // A mode change rebuilds the chain at the new depth.
    EXPECT_EQ(display->ChangeDisplay(320, 200, 32, 0, DDSurfFlipChain), 0);
    ASSERT_NE(display->GetSecondSurface(), nullptr);
    EXPECT_EQ(display->whole.GetBytesPerPixel(), 3);
    pxFillRect(display->whole, {0, 200, 320, 200}, pxColor::Rgb(1, 2, 3));
    display->Refresh();
    EXPECT_EQ(SurfaceBytes(display->GetSecondSurface(), 9, 9, 4), "3 2 1 0 ");
    EXPECT_EQ(display->ChangeDisplay(320, 200, 32, 0, DDSurfSingle), 0);
    EXPECT_EQ(display->GetSecondSurface(), nullptr);
    EXPECT_EQ(display->GetSurfType(), DDSurfSingle);
    EXPECT_EQ(display->whole.GetHeight(), 200);
}

TEST_F(WinDispDirectDraw, TheSurfaceListKeepsOneReferencePerSurfaceAndReleasesTheRest) {
    ASSERT_EQ(Open(kEightBit, 1, DisplayDirectDraw, DDSurfFlipChain), "");
    win::IDirectDrawSurface* back = display->GetSecondSurface();
    ASSERT_NE(back, nullptr);
    // As the enumeration does: each surface comes with a reference added.
    const auto handed = [back] {
        back->AddRef();
        return back;
    };
    const size_t start = log.Text().size();
    DDSurfaceList list;
    EXPECT_EQ(EnumSurfacesCallback(handed(), nullptr, &list), win::DDENUMRET_OK);
    EXPECT_EQ(EnumSurfacesCallback(handed(), nullptr, &list), win::DDENUMRET_OK);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.surfaces[0], back);
    EXPECT_EQ(EnumSurfacesCallback(handed(), nullptr, nullptr), win::DDENUMRET_CANCEL);
    DDSurfaceList full;
    full.count = DDSurfaceList::kCapacity;
    EXPECT_EQ(EnumSurfacesCallback(handed(), nullptr, &full), win::DDENUMRET_CANCEL);
    EXPECT_EQ(log.Text().substr(start),
              "EnumSurfacesCallback: Canceling enumeration, no lpContext!\n"
              "EnumSurfacesCallback: Canceling enumeration, maximum surface count exceeded!\n");
    // Only the listed one is still held, by the list.
    EXPECT_EQ(back->AddRef(), 2u);
    back->Release();
    ReleaseListedSurfaces(list);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(back->AddRef(), 1u);
    back->Release();
}

TEST_F(WinDispDirectDraw, AStereoPairNeedsHardwareStereo) {
    EXPECT_EQ(Open(kEightBit, 1, DisplayDirectDraw, DDSurfStereoPair),
              "ERROR: Creating DirectDraw page flipping surface.\n\nYour display adapter/driver "
              "does not support hardware page flipping");

    ASSERT_EQ(Open(std::string(kEightBit) + "hardware-stereo yes\n", 1, DisplayDirectDraw,
                   DDSurfStereoPair),
              "");
    pxFillRect(display->whole, {0, 0, 320, 200}, pxColor::FromValue(30));
    pxFillRect(display->whole, {0, 200, 320, 200}, pxColor::FromValue(40));
    display->Refresh();
    EXPECT_EQ(SurfaceBytes(display->GetPrimarySurface(), 7, 7, 1), "30 ");
    EXPECT_EQ(SurfaceBytes(display->GetSecondSurface(), 7, 7, 1), "40 ");
}

TEST_F(WinDispDirectDraw, ShortVideoMemoryIsRetriedForOnePrimaryAndReportedForAFlipChain) {
    // Room for one 320x200x8 surface, not for two.
    const std::string shortMemory = std::string(kEightBit) + "video-memory 100000\n";
    ASSERT_EQ(Open(shortMemory, 1, DisplayDirectDraw, DDSurfSingle), "");
    EXPECT_NE(display->GetPrimarySurface(), nullptr);
    EXPECT_FALSE(Logged("CreateSurface failed"));
    display.reset();

    EXPECT_EQ(Open(shortMemory, 1, DisplayDirectDraw, DDSurfFlipChain),
              "ERROR: Creating right flipping surface.  Not enough video memory!\nTry a lower "
              "resolution and/or color depth.\nAttempted resolution was: 320x200x8");
    EXPECT_TRUE(Logged("WinDisp::SetupDDSurfaces -- Creating primary (right) surface.  Not enough "
                       "video memory (320x200x8)\n"));
    EXPECT_EQ(display->GetPrimarySurface(), nullptr);
}

TEST_F(WinDispDirectDraw, ARefusedModeFallsBackToGdiOnlyWhenAllowed) {
    const std::string refusing = std::string(kEightBit) + "refuse set-display-mode all\n";
    EXPECT_EQ(Open(refusing, 1, DisplayDirectDraw, DDSurfSingle), "DDSetMode failed! (320x200x8)");
    EXPECT_TRUE(Logged("DDSetMode failed! (320x200x8)\n"));

    ASSERT_EQ(Open(refusing, 1, DisplayDontCare, DDSurfSingle), "");
    EXPECT_FALSE(display->UsesDirectDraw());
    EXPECT_TRUE(display->IsDisplayValid());
    // A GDI display with a palette of its own answers a new palette.
    EXPECT_TRUE(display->HandleQueryNewPalette());
}

TEST_F(WinDispDirectDraw, TheDirectDrawListStopsAtTheCapacity) {
    UseProfile(ProfileOfManyModes(70));
    ModeStruct modes[64];
    int32_t count = 64;
    EXPECT_EQ(CalculateAvailableModes(DisplayDontCare, modes, &count, nullptr, 0), 64);
    EXPECT_EQ(modes[0].refresh, 0u);
    EXPECT_TRUE(Logged("EnumModesCallback: Maximum number of modes (64) has been exceeded!\n"));

    // Excluded by size and depth alone.
    const ModeStruct excluded[] = {{100, 100, 8, 60}};
    count = 64;
    CalculateAvailableModes(DisplayDirectDraw, modes, &count, excluded, 1);
    EXPECT_EQ(modes[0].width, 101u);
}

TEST_F(WinDispDirectDraw, DirectDrawThatCannotBeSetUpIsLoggedWhereItFailed) {
    // The driver refuses to make an object.
    EXPECT_EQ(Open(std::string(kEightBit) + "fail direct-draw-create\n", 1, DisplayDirectDraw,
                   DDSurfSingle),
              "ERROR: Could not initialize DirectDraw display");
    EXPECT_TRUE(Logged("CreateDirectDraw -- ERROR on DirectDrawCreate " +
                       Named(win::DDERR_GENERIC, "generic") +
                       "WinDisp::DDInit -- CreateDirectDraw failed!\n"));

    // A ddraw.dll without the entry point.
    WithSystemDirectory(SYSTEM_DIR_WITHOUT_DIRECTDRAW_ENTRY);
    EXPECT_EQ(Open(kEightBit, 1, DisplayDirectDraw, DDSurfSingle),
              "ERROR: Could not initialize DirectDraw display");
    EXPECT_TRUE(Logged("CreateDirectDraw -- Couldn't load function: DirectDrawCreate from "
                       "ddraw.dll\nWinDisp::DDInit -- CreateDirectDraw failed!\n"));

    // Another object holds the display exclusively: only DontCare goes on, with GDI.
    WithDirectDraw(true);
    const win::HMODULE library = win::LoadLibraryEx("ddraw.dll", nullptr, 0);
    ASSERT_NE(library, nullptr);
    const auto create = reinterpret_cast<win::DirectDrawCreateFunction>(
        win::GetProcAddress(library, "DirectDrawCreate"));
    ASSERT_NE(create, nullptr);
    win::IDirectDraw* holder = nullptr;
    ASSERT_EQ(create(nullptr, &holder, nullptr), win::DD_OK);
    const win::HWND other = win::CreateWindow(kWinDispClassName, "Other", win::WS_POPUP, 0, 0, 10,
                                              10, nullptr, nullptr, WinDisp::instance, nullptr);
    ASSERT_EQ(holder->SetCooperativeLevel(other, win::DDSCL_EXCLUSIVE | win::DDSCL_FULLSCREEN),
              win::DD_OK);
    const auto refusal = [this] {
        char line[96];
        std::snprintf(
            line, sizeof line, "WinDisp::DDInit -- ERROR on SetCooperativeLevel(%x, ...) [",
            static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(display->GetWindow())));
        return line + std::to_string(static_cast<int>(win::DDERR_EXCLUSIVEMODEALREADYSET)) +
               "]\nexclusive mode already set\n";
    };
    EXPECT_EQ(Open(kEightBit, 1, DisplayDirectDraw, DDSurfSingle),
              "ERROR: Could not initialize DirectDraw display");
    EXPECT_TRUE(Logged(refusal()));
    ASSERT_EQ(Open(kEightBit, 1, DisplayDontCare, DDSurfSingle), "");
    EXPECT_TRUE(Logged(refusal()));
    EXPECT_FALSE(display->UsesDirectDraw());
    EXPECT_TRUE(display->IsDisplayValid());
    display.reset();
    holder->Release();
    win::DestroyWindow(other);
    win::FreeLibrary(library);
}

TEST_F(WinDispDirectDraw, SurfaceSetUpFailuresAreLoggedAndReportedWithTheirTexts) {
    constexpr const char* kNoHardwareFlipping =
        "ERROR: Creating flipping surface.\n  Perhaps your video adapter does not support "
        "hardware page flipping?\nAttempted resolution was: 320x200x8";
    const std::string generic = Named(win::DDERR_GENERIC, "generic");
    struct Case {
        const char* profile;
        int32_t surfType;
        std::string error;
        std::string logged;
    };
    const Case cases[] = {
        {"fail create-primary\n", DDSurfSingle,
         "ERROR: Creating DirectDraw Surface for 320x200x8.  Please locate a tamber.log file for "
         "details.",
         "WinDisp::SetupDDSurfaces -- CreateSurface failed! (320x200x8) " + generic},
        {"fail create-flip-chain\n", DDSurfFlipChain,
         "ERROR: Creating right flipping surface.\nAttempted resolution was: 320x200x8",
         "WinDisp::SetupDDSurfaces -- Creating primary (right) surface failed. (320x200x8) " +
             generic},
        {"fail enum-attached-surfaces\n", DDSurfFlipChain,
         "ERROR: Creating left flipping surface.  Attempted resolution was: 320x200x8",
         "WinDisp::SetupDDSurfaces -- Enumeration of primary (right) surface failed\n"
         "WinDisp::SetupDDSurfaces -- Could not create left flipping surface. (320x200x8) " +
             generic},
        // Room for no surface, then for one.
        {"hardware-stereo yes\nvideo-memory 50000\n", DDSurfStereoPair,
         "ERROR: Creating right flipping surface.  Not enough video memory!\nTry a lower "
         "resolution and/or color depth.\nAttempted resolution was: 320x200x8",
         "WinDisp::SetupDDSurfaces -- Creating primary (right) surface.  Not enough video memory "
         "(320x200x8)\n"},
        {"hardware-stereo yes\nfail create-primary\n", DDSurfStereoPair, kNoHardwareFlipping,
         "WinDisp::SetupDDSurfaces -- Creating primary (right) surface failed. (320x200x8) " +
             generic},
        {"hardware-stereo yes\nvideo-memory 100000\n", DDSurfStereoPair,
         "ERROR: Creating left flipping surface.  Not enough video memory!\nTry a lower "
         "resolution and/or color depth.\nAttempted resolution was: 320x200x8",
         "WinDisp::SetupDDSurfaces -- Creating PRIMARYLEFT (left) surface.  Not enough video "
         "memory (320x200x8)\n"},
        {"hardware-stereo yes\nfail create-left-primary\n", DDSurfStereoPair, kNoHardwareFlipping,
         "WinDisp::SetupDDSurfaces -- Creating PRIMARYLEFT (left) surface failed. (320x200x8) " +
             generic},
        // Without caps the adapter is taken to have no stereo hardware.
        {"hardware-stereo yes\nfail get-caps\n", DDSurfStereoPair,
         "ERROR: Creating DirectDraw page flipping surface.\n\nYour display adapter/driver does "
         "not support hardware page flipping",
         "WinDisp::CanDoHardwarePageFlipping -- error getting DirectDraw caps\ngeneric\n"},
        {"", 7, "Unknown surface type (7)",
         "WinDisp::SetupDDSurfaces -- Unknown surface type (7)\n"},
    };
    for (const Case& failing : cases) {
        SCOPED_TRACE(failing.profile);
        const size_t start = log.Text().size();
        EXPECT_EQ(
            Open(std::string(kEightBit) + failing.profile, 1, DisplayDirectDraw, failing.surfType),
            failing.error);
        EXPECT_NE(log.Text().find(failing.logged, start), std::string::npos)
            << log.Text().substr(start);
        // Nothing is left half made.
        EXPECT_EQ(display->GetPrimarySurface(), nullptr);
        EXPECT_EQ(display->GetSecondSurface(), nullptr);
        EXPECT_FALSE(display->IsDisplayValid());
        display.reset();
    }
}

TEST_F(WinDispDirectDraw, ALostPrimaryIsRestoredInItsOwnModeAndReportedInAnother) {
    ASSERT_EQ(Open(kEightBit, 1, DisplayDirectDraw, DDSurfSingle), "");
    pxImage picture({1, 1}, 1, 4);
    picture.Row(0)[0] = 77;
    const px2Pnt at{4, 4};

    ChangeModeElsewhere(32);
    EXPECT_EQ(display->GetPrimarySurface()->IsLost(), win::DDERR_SURFACELOST);
    size_t start = log.Text().size();
    display->BltImage(picture, display->GetBitmapHeader(), &at);
    EXPECT_EQ(log.Text().substr(start), "WinDisp::DDBlt -- restore failed!\nwrong mode\n"
                                        "surface lost\n");

    ChangeModeElsewhere(8);
    EXPECT_EQ(display->GetPrimarySurface()->IsLost(), win::DDERR_SURFACELOST);
    start = log.Text().size();
    display->BltImage(picture, display->GetBitmapHeader(), &at);
    EXPECT_EQ(log.Text().substr(start), "");
    EXPECT_EQ(display->GetPrimarySurface()->IsLost(), win::DD_OK);
    EXPECT_EQ(SurfaceBytes(display->GetPrimarySurface(), 4, 4, 1), "77 ");
}

TEST_F(WinDispDirectDraw, PaletteFailuresAreLoggedForThePaletteAndForEachSurface) {
    ASSERT_EQ(
        Open(std::string(kEightBit) + "fail set-entries\n", 1, DisplayDirectDraw, DDSurfFlipChain),
        "");
    pxPalette palette;
    size_t start = log.Text().size();
    display->SetPalette(palette);
    EXPECT_EQ(log.Text().substr(start), "SetEntries failed for direct draw palette!\ngeneric\n");

    ChangeModeElsewhere(32);
    start = log.Text().size();
    display->SetPalette(palette);
    EXPECT_EQ(log.Text().substr(start), "SetEntries failed for direct draw palette!\ngeneric\n"
                                        "SetPalette failed on right surface!\nsurface lost\n"
                                        "SetPalette failed on left surface!\nsurface lost\n");
}
