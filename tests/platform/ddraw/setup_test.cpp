// Creating DirectDraw objects, cooperative levels, display modes and caps.
#include "ddrawfixture.h"

#include "platform/win/window.h"

#include <string>
#include <vector>

namespace ddrawtest {
namespace {

using namespace win;

HRESULT CollectMode(DDSURFACEDESC* mode, void* context) {
    static_cast<std::vector<DDSURFACEDESC>*>(context)->push_back(*mode);
    return DDENUMRET_OK;
}

HRESULT StopAtFirst(DDSURFACEDESC* mode, void* context) {
    static_cast<std::vector<DDSURFACEDESC>*>(context)->push_back(*mode);
    return DDENUMRET_CANCEL;
}

TEST_F(DirectDrawTest, CreateTakesOnlyTheDefaultDriver) {
    IDirectDraw* made = nullptr;
    GUID other;
    EXPECT_EQ(create(&other, &made, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
    EXPECT_EQ(made, nullptr);
    int outer = 0;
    EXPECT_EQ(create(nullptr, &made, &outer), DDERR_INVALIDPARAMS);
    EXPECT_EQ(create(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
    ASSERT_EQ(create(nullptr, &made, nullptr), DD_OK);
    EXPECT_EQ(made->AddRef(), 2u);
    EXPECT_EQ(made->Release(), 1u);
    EXPECT_EQ(made->Release(), 0u);
}

TEST_F(DirectDrawTest, CooperativeLevels) {
    Held<IDirectDraw> first = Create();
    DDSURFACEDESC primary = PrimaryDescription(0);
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(first->CreateSurface(&primary, &surface, nullptr), DDERR_NOCOOPERATIVELEVELSET);
    EXPECT_EQ(first->SetCooperativeLevel(window, DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(first->SetCooperativeLevel(window, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(first->SetCooperativeLevel(window, DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(first->SetCooperativeLevel(window, DDSCL_NORMAL | DDSCL_ALLOWMODEX),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(first->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(first->SetCooperativeLevel(window, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(first->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);

    // The exclusive window is made to cover the screen.
    EXPECT_EQ(first->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN |
                                                     DDSCL_ALLOWREBOOT | DDSCL_ALLOWMODEX),
              DD_OK);
    RECT covered;
    GetWindowRect(window, &covered);
    EXPECT_EQ(covered.right - covered.left, 640);
    EXPECT_EQ(covered.bottom - covered.top, 480);

    Held<IDirectDraw> second = Create();
    EXPECT_EQ(second->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
              DDERR_EXCLUSIVEMODEALREADYSET);
    EXPECT_EQ(second->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    first.reset();
    EXPECT_EQ(second->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);

    // The window stays while the object has surfaces.
    Held<IDirectDrawSurface> held = Make(second.get(), PrimaryDescription(0));
    ASSERT_TRUE(held);
    const HWND other = CreateWindowEx(0, "DirectDrawTest", "Other", WS_POPUP, 0, 0, 10, 10, nullptr,
                                      nullptr, nullptr, nullptr);
    EXPECT_EQ(second->SetCooperativeLevel(other, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
              DDERR_HWNDALREADYSET);
    DestroyWindow(other);
}

TEST_F(DirectDrawTest, EnumeratesEachSizeAndDepthOnce) {
    UseProfile("mode 640x480x8@60\nmode 640x480x8@75\nmode 641x400x16\nmode 800x600x24\n"
               "mode 800x600x32@85\n");
    Held<IDirectDraw> directDraw = Create();
    std::vector<DDSURFACEDESC> modes;
    ASSERT_EQ(directDraw->EnumDisplayModes(0, nullptr, &modes, CollectMode), DD_OK);
    ASSERT_EQ(modes.size(), 4u);
    EXPECT_EQ(modes[0].dwWidth, 640u);
    EXPECT_EQ(modes[0].ddpfPixelFormat.dwRGBBitCount, 8u);
    EXPECT_EQ(modes[0].ddpfPixelFormat.dwFlags, DDPF_RGB | DDPF_PALETTEINDEXED8);
    EXPECT_EQ(modes[0].dwRefreshRate, 0u);
    EXPECT_EQ(modes[1].dwWidth, 641u);
    EXPECT_EQ(modes[1].dwHeight, 400u);
    EXPECT_EQ(modes[1].lPitch, 1284); // 641 x 2 bytes, rows in whole words
    EXPECT_EQ(modes[1].ddpfPixelFormat.dwRBitMask, 0xF800u);
    EXPECT_EQ(modes[1].ddpfPixelFormat.dwGBitMask, 0x07E0u);
    EXPECT_EQ(modes[1].ddpfPixelFormat.dwBBitMask, 0x001Fu);
    EXPECT_EQ(modes[2].ddpfPixelFormat.dwRGBBitCount, 24u);
    EXPECT_EQ(modes[2].lPitch, 2400);
    EXPECT_EQ(modes[3].ddpfPixelFormat.dwRBitMask, 0xFF0000u);
    EXPECT_EQ(modes[3].lPitch, 3200);

    modes.clear();
    ASSERT_EQ(directDraw->EnumDisplayModes(DDEDM_REFRESHRATES, nullptr, &modes, CollectMode),
              DD_OK);
    ASSERT_EQ(modes.size(), 5u);
    EXPECT_EQ(modes[0].dwRefreshRate, 60u);
    EXPECT_EQ(modes[1].dwRefreshRate, 75u);

    modes.clear();
    ASSERT_EQ(directDraw->EnumDisplayModes(0, nullptr, &modes, StopAtFirst), DD_OK);
    EXPECT_EQ(modes.size(), 1u);

    modes.clear();
    DDSURFACEDESC pattern;
    pattern.dwFlags = DDSD_WIDTH;
    pattern.dwWidth = 800;
    ASSERT_EQ(directDraw->EnumDisplayModes(0, &pattern, &modes, CollectMode), DD_OK);
    EXPECT_EQ(modes.size(), 2u);

    EXPECT_EQ(directDraw->EnumDisplayModes(0, nullptr, &modes, nullptr), DDERR_INVALIDPARAMS);
    pattern.dwSize = 4;
    EXPECT_EQ(directDraw->EnumDisplayModes(0, &pattern, &modes, CollectMode), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, SetDisplayModeChangesTheAdapterUntilReleased) {
    DisplayAdapter& adapter = UseProfile("mode 640x480x8\nmode 800x600x16@72\nmode 1024x768x32\n"
                                         "refuse set-display-mode 1024x768x32\n");
    Held<IDirectDraw> normal = Create();
    ASSERT_EQ(normal->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(normal->SetDisplayMode(800, 600, 16), DDERR_NOEXCLUSIVEMODE);
    normal.reset();

    Held<IDirectDraw> directDraw = CreateExclusive();
    EXPECT_EQ(directDraw->SetDisplayMode(800, 600, 16), DD_OK);
    EXPECT_EQ(adapter.Current(), (DisplayMode{800, 600, 16, 72}));
    RECT covered;
    GetWindowRect(window, &covered);
    EXPECT_EQ(covered.right, 800);
    EXPECT_EQ(covered.bottom, 600);

    DDSURFACEDESC current;
    ASSERT_EQ(directDraw->GetDisplayMode(&current), DD_OK);
    EXPECT_EQ(current.dwWidth, 800u);
    EXPECT_EQ(current.dwRefreshRate, 72u);

    EXPECT_EQ(directDraw->SetDisplayMode(800, 600, 8), DDERR_INVALIDMODE);
    EXPECT_EQ(directDraw->SetDisplayMode(1024, 768, 32), DDERR_UNSUPPORTEDMODE);
    EXPECT_EQ(adapter.Current().width, 800);

    directDraw.reset();
    EXPECT_EQ(adapter.Current(), adapter.Desktop());

    directDraw = CreateExclusive();
    ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 16), DD_OK);
    EXPECT_EQ(directDraw->RestoreDisplayMode(), DD_OK);
    EXPECT_EQ(adapter.Current(), adapter.Desktop());

    // Leaving exclusive mode gives the desktop its mode back, too.
    ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 16), DD_OK);
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(adapter.Current(), adapter.Desktop());
    EXPECT_EQ(directDraw->RestoreDisplayMode(), DDERR_NOEXCLUSIVEMODE);
}

TEST_F(DirectDrawTest, CapsFollowTheProfile) {
    UseProfile("mode 640x480x8\nvideo-memory 1000000\n");
    Held<IDirectDraw> directDraw = CreateExclusive();
    DDCAPS driver;
    DDCAPS emulation;
    ASSERT_EQ(directDraw->GetCaps(&driver, &emulation), DD_OK);
    EXPECT_EQ(driver.dwCaps & DDCAPS_STEREOVIEW, 0u);
    EXPECT_EQ(driver.dwSVCaps & DDSVCAPS_FLICKER, 0u);
    EXPECT_EQ(driver.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACELEFT, 0u);
    EXPECT_EQ(driver.dwVidMemTotal, 1000000u);
    EXPECT_EQ(driver.dwVidMemFree, 1000000u);
    EXPECT_NE(driver.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY, 0u);
    EXPECT_EQ(emulation.dwVidMemTotal, 0u);
    EXPECT_NE(emulation.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);

    {
        Held<IDirectDrawSurface> primary =
            Make(directDraw.get(), PrimaryDescription(DDSCAPS_VIDEOMEMORY));
        ASSERT_TRUE(primary);
        ASSERT_EQ(directDraw->GetCaps(&driver, nullptr), DD_OK);
        EXPECT_EQ(driver.dwVidMemFree, 1000000u - 640u * 480u);
    }
    ASSERT_EQ(directDraw->GetCaps(&driver, nullptr), DD_OK);
    EXPECT_EQ(driver.dwVidMemFree, 1000000u);

    UseProfile("mode 640x480x8\nhardware-stereo yes\n");
    ASSERT_EQ(directDraw->GetCaps(&driver, &emulation), DD_OK);
    EXPECT_EQ(driver.dwCaps & DDCAPS_STEREOVIEW, DDCAPS_STEREOVIEW);
    EXPECT_EQ(driver.dwSVCaps & DDSVCAPS_FLICKER, DDSVCAPS_FLICKER);
    EXPECT_EQ(emulation.dwCaps & DDCAPS_STEREOVIEW, 0u);

    driver.dwSize = 364;
    EXPECT_EQ(directDraw->GetCaps(&driver, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->GetCaps(nullptr, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, EachFailLineMakesItsCallAnswerGeneric) {
    constexpr const char* kStereo = "mode 640x480x8\nhardware-stereo yes\n";
    IDirectDraw* made = nullptr;
    UseProfile(std::string(kStereo) + "fail direct-draw-create\n");
    EXPECT_EQ(create(nullptr, &made, nullptr), DDERR_GENERIC);
    EXPECT_EQ(made, nullptr);

    UseProfile(std::string(kStereo) + "fail get-caps\n");
    Held<IDirectDraw> directDraw = CreateExclusive();
    DDCAPS driver;
    EXPECT_EQ(directDraw->GetCaps(&driver, nullptr), DDERR_GENERIC);

    // Each kind of surface fails alone.
    IDirectDrawSurface* surface = nullptr;
    UseProfile(std::string(kStereo) + "fail create-flip-chain\n");
    DDSURFACEDESC chain = FlipChainDescription(1, 0);
    EXPECT_EQ(directDraw->CreateSurface(&chain, &surface, nullptr), DDERR_GENERIC);
    EXPECT_EQ(surface, nullptr);
    UseProfile(std::string(kStereo) + "fail create-primary\nfail create-left-primary\n");
    DDSURFACEDESC primary = PrimaryDescription(0);
    EXPECT_EQ(directDraw->CreateSurface(&primary, &surface, nullptr), DDERR_GENERIC);
    Held<IDirectDrawSurface> front = Make(directDraw.get(), FlipChainDescription(1, 0));
    ASSERT_TRUE(front);
    DDSURFACEDESC left = LeftPrimaryDescription(640, 480);
    EXPECT_EQ(directDraw->CreateSurface(&left, &surface, nullptr), DDERR_GENERIC);
    EXPECT_EQ(surface, nullptr);

    UseProfile(std::string(kStereo) + "fail enum-attached-surfaces\nfail set-entries\n");
    front.reset();
    front = Make(directDraw.get(), FlipChainDescription(1, 0));
    ASSERT_TRUE(front);
    int calls = 0;
    EXPECT_EQ(front->EnumAttachedSurfaces(&calls,
                                          [](IDirectDrawSurface*, DDSURFACEDESC*, void* counted) {
                                              ++*static_cast<int*>(counted);
                                              return DDENUMRET_OK;
                                          }),
              DDERR_GENERIC);
    EXPECT_EQ(calls, 0);
    PALETTEENTRY colours[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, colours, &palette, nullptr), DD_OK);
    Held<IDirectDrawPalette> held(palette);
    EXPECT_EQ(palette->SetEntries(0, 0, 256, colours), DDERR_GENERIC);
    EXPECT_EQ(directDraw->GetCaps(&driver, nullptr), DD_OK);
}

} // namespace
} // namespace ddrawtest
