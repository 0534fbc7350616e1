// The surface arrangements: a primary, a flip chain, the stereo pair; video
// memory; what the cooperative window shows; reference counts.
#include "ddrawfixture.h"

#include "platform/win/application.h"
#include "platform/win/shownframebuffer.h"
#include "platform/win/window.h"
#include "platform/win/windowframebuffer.h"

#include <QCoreApplication>

#include <chrono>
#include <thread>
#include <vector>

namespace ddrawtest {
namespace {

using namespace win;

struct Attached {
    std::vector<IDirectDrawSurface*> surfaces;
    std::vector<DWORD> caps;
    std::vector<ULONG> references; // each surface's count as the callback got it
};

// Notes the surface and gives back the reference the enumeration handed over.
HRESULT CollectSurface(IDirectDrawSurface* surface, DDSURFACEDESC* description, void* context) {
    auto* attached = static_cast<Attached*>(context);
    attached->surfaces.push_back(surface);
    attached->caps.push_back(description->ddsCaps.dwCaps);
    attached->references.push_back(surface->AddRef() - 1);
    surface->Release();
    surface->Release();
    return DDENUMRET_OK;
}

std::uint8_t ShownFirstByte(HWND window) {
    const Framebuffer* shown = internal::ShownFramebuffer(window);
    return shown && !shown->pixels.empty() ? shown->pixels.front() : 0xEE;
}

TEST_F(DirectDrawTest, PrimaryIsWhatTheWindowShows) {
    Held<IDirectDraw> directDraw = CreateExclusive();
    Held<IDirectDrawSurface> primary =
        Make(directDraw.get(), PrimaryDescription(DDSCAPS_VIDEOMEMORY));
    ASSERT_TRUE(primary);
    DDSURFACEDESC described;
    ASSERT_EQ(primary->GetSurfaceDesc(&described), DD_OK);
    EXPECT_EQ(described.dwWidth, 640u);
    EXPECT_EQ(described.dwHeight, 480u);
    EXPECT_EQ(described.ddpfPixelFormat.dwRGBBitCount, 8u);
    EXPECT_EQ(described.ddsCaps.dwCaps,
              DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | DDSCAPS_VIDEOMEMORY);

    Fill(primary.get(), 0x5A);
    EXPECT_EQ(ShownFirstByte(window), 0x5A);
    EXPECT_NE(internal::ShownFramebuffer(window), internal::WindowFramebuffer(window));

    DDSURFACEDESC again = PrimaryDescription(0);
    IDirectDrawSurface* second = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&again, &second, nullptr),
              DDERR_PRIMARYSURFACEALREADYEXISTS);
    EXPECT_EQ(second, nullptr);

    primary.reset();
    EXPECT_EQ(internal::ShownFramebuffer(window), internal::WindowFramebuffer(window));
}

TEST_F(DirectDrawTest, WindowMayGoBeforeItsSurfaces) {
    UseProfile("mode 640x480x8\nhardware-stereo yes\n");
    Held<IDirectDraw> directDraw = CreateExclusive();
    Held<IDirectDrawSurface> right = Make(directDraw.get(), PrimaryDescription(0));
    Held<IDirectDrawSurface> left = Make(directDraw.get(), LeftPrimaryDescription(640, 480));
    ASSERT_TRUE(right && left);
    DestroyWindow(window);
    Fill(right.get(), 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 8), DD_OK);
    EXPECT_EQ(internal::ShownFramebuffer(window), nullptr);
}

TEST_F(DirectDrawTest, DescriptionsThatAskForNoPrimaryOrContradictThemselves) {
    Held<IDirectDraw> directDraw = CreateExclusive();
    IDirectDrawSurface* made = nullptr;
    DDSURFACEDESC description = PrimaryDescription(DDSCAPS_VIDEOMEMORY | DDSCAPS_SYSTEMMEMORY);
    EXPECT_EQ(directDraw->CreateSurface(&description, &made, nullptr), DDERR_INVALIDCAPS);
    description = PrimaryDescription(DDSCAPS_FLIP);
    EXPECT_EQ(directDraw->CreateSurface(&description, &made, nullptr), DDERR_INVALIDCAPS);
    description = FlipChainDescription(0, 0);
    EXPECT_EQ(directDraw->CreateSurface(&description, &made, nullptr), DDERR_INVALIDPARAMS);
    description = PrimaryDescription(0);
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    EXPECT_EQ(directDraw->CreateSurface(&description, &made, nullptr), DDERR_UNSUPPORTED);
    description = PrimaryDescription(0);
    description.dwFlags |= DDSD_WIDTH;
    description.dwWidth = 800;
    EXPECT_EQ(directDraw->CreateSurface(&description, &made, nullptr), DDERR_INVALIDPARAMS);
    description = PrimaryDescription(0);
    description.dwFlags |= DDSD_PIXELFORMAT;
    description.ddpfPixelFormat.dwRGBBitCount = 16;
    EXPECT_EQ(directDraw->CreateSurface(&description, &made, nullptr), DDERR_INVALIDPIXELFORMAT);
    description = PrimaryDescription(0);
    description.dwSize = 108;
    EXPECT_EQ(directDraw->CreateSurface(&description, &made, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->CreateSurface(nullptr, &made, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(made, nullptr);
}

TEST_F(DirectDrawTest, VideoMemoryRunsOutAndSystemMemoryDoesNot) {
    // One 640x480x8 primary fits, a chain with a back buffer does not.
    UseProfile("mode 640x480x8\nvideo-memory 400000\n");
    Held<IDirectDraw> directDraw = CreateExclusive();
    IDirectDrawSurface* made = nullptr;
    DDSURFACEDESC chain = FlipChainDescription(1, DDSCAPS_VIDEOMEMORY);
    EXPECT_EQ(directDraw->CreateSurface(&chain, &made, nullptr), DDERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(made, nullptr);
    {
        Held<IDirectDrawSurface> primary =
            Make(directDraw.get(), PrimaryDescription(DDSCAPS_VIDEOMEMORY));
        ASSERT_TRUE(primary);
    }
    Held<IDirectDrawSurface> chained = Make(directDraw.get(), FlipChainDescription(1, 0));
    ASSERT_TRUE(chained);
    DDSURFACEDESC described;
    ASSERT_EQ(chained->GetSurfaceDesc(&described), DD_OK);
    EXPECT_NE(described.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
    chained.reset();

    // Too little for even one primary: the retry without video memory works.
    UseProfile("mode 640x480x8\nvideo-memory 200000\n");
    DDSURFACEDESC single = PrimaryDescription(DDSCAPS_VIDEOMEMORY);
    EXPECT_EQ(directDraw->CreateSurface(&single, &made, nullptr), DDERR_OUTOFVIDEOMEMORY);
    EXPECT_TRUE(Make(directDraw.get(), PrimaryDescription(0)));
}

TEST_F(DirectDrawTest, FlipChainShowsTheBackBufferAfterFlip) {
    Held<IDirectDraw> directDraw = CreateExclusive();
    Held<IDirectDrawSurface> front =
        Make(directDraw.get(), FlipChainDescription(1, DDSCAPS_VIDEOMEMORY));
    ASSERT_TRUE(front);
    DDSURFACEDESC described;
    ASSERT_EQ(front->GetSurfaceDesc(&described), DD_OK);
    EXPECT_EQ(described.dwBackBufferCount, 1u);
    EXPECT_NE(described.ddsCaps.dwCaps & DDSCAPS_FRONTBUFFER, 0u);

    Attached attached;
    ASSERT_EQ(front->EnumAttachedSurfaces(&attached, CollectSurface), DD_OK);
    ASSERT_EQ(attached.surfaces.size(), 1u);
    EXPECT_NE(attached.caps[0] & DDSCAPS_BACKBUFFER, 0u);
    IDirectDrawSurface* back = attached.surfaces[0];

    DDSCAPS backCaps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* found = nullptr;
    ASSERT_EQ(front->GetAttachedSurface(&backCaps, &found), DD_OK);
    EXPECT_EQ(found, back);
    EXPECT_EQ(found->Release(), 0u);
    DDSCAPS left{DDSCAPS_PRIMARYSURFACELEFT};
    EXPECT_EQ(front->GetAttachedSurface(&left, &found), DDERR_NOTFOUND);

    Fill(front.get(), 1);
    Fill(back, 2);
    EXPECT_EQ(ShownFirstByte(window), 1);
    ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(FirstByte(front.get()), 2);
    EXPECT_EQ(FirstByte(back), 1);
    EXPECT_EQ(ShownFirstByte(window), 2);
    EXPECT_EQ(front->Flip(back, 0), DD_OK);
    EXPECT_EQ(ShownFirstByte(window), 1);

    EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(front->DeleteAttachedSurface(0, nullptr), DDERR_CANNOTDETACHSURFACE);
    EXPECT_EQ(front->DeleteAttachedSurface(0, front.get()), DDERR_SURFACENOTATTACHED);
    EXPECT_EQ(back->Restore(), DDERR_IMPLICITLYCREATED);
    // The chain keeps its back buffer.
    ASSERT_EQ(front->GetAttachedSurface(&backCaps, &found), DD_OK);
    EXPECT_EQ(found, back);
    found->Release();
}

TEST_F(DirectDrawTest, LongerChainsPassTheirBuffersRound) {
    Held<IDirectDraw> directDraw = CreateExclusive();
    Held<IDirectDrawSurface> front = Make(directDraw.get(), FlipChainDescription(2, 0));
    ASSERT_TRUE(front);
    DDSCAPS chainCaps{DDSCAPS_FLIP};
    IDirectDrawSurface* first = nullptr;
    IDirectDrawSurface* second = nullptr;
    ASSERT_EQ(front->GetAttachedSurface(&chainCaps, &first), DD_OK);
    ASSERT_EQ(first->GetAttachedSurface(&chainCaps, &second), DD_OK);
    IDirectDrawSurface* beyond = nullptr;
    EXPECT_EQ(second->GetAttachedSurface(&chainCaps, &beyond), DDERR_NOTFOUND);
    Fill(front.get(), 10);
    Fill(first, 11);
    Fill(second, 12);
    ASSERT_EQ(front->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(FirstByte(front.get()), 11);
    EXPECT_EQ(FirstByte(first), 12);
    EXPECT_EQ(FirstByte(second), 10);
    // Held back buffers outlive their chain, lost.
    front.reset();
    EXPECT_EQ(first->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(first->Release(), 0u);
    EXPECT_EQ(second->Release(), 0u);
}

TEST_F(DirectDrawTest, FlipChainAndLeftPrimaryNeedExclusiveMode) {
    UseProfile("mode 640x480x8\nhardware-stereo yes\n");
    Held<IDirectDraw> directDraw = Create();
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    IDirectDrawSurface* made = nullptr;
    DDSURFACEDESC chain = FlipChainDescription(1, 0);
    EXPECT_EQ(directDraw->CreateSurface(&chain, &made, nullptr), DDERR_NOEXCLUSIVEMODE);
    DDSURFACEDESC left = LeftPrimaryDescription(640, 480);
    EXPECT_EQ(directDraw->CreateSurface(&left, &made, nullptr), DDERR_NOEXCLUSIVEMODE);
    Held<IDirectDrawSurface> primary = Make(directDraw.get(), PrimaryDescription(0));
    ASSERT_TRUE(primary);
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
}

TEST_F(DirectDrawTest, StereoPairNeedsHardwareStereo) {
    Held<IDirectDraw> directDraw = CreateExclusive();
    IDirectDrawSurface* made = nullptr;
    DDSURFACEDESC left = LeftPrimaryDescription(640, 480);
    EXPECT_EQ(directDraw->CreateSurface(&left, &made, nullptr), DDERR_INVALIDCAPS);
}

TEST_F(DirectDrawTest, StereoPairAlternatesEachRefresh) {
    UseProfile("mode 640x480x8@120\nhardware-stereo yes\n");
    Held<IDirectDraw> directDraw = CreateExclusive();
    Held<IDirectDrawSurface> right =
        Make(directDraw.get(), PrimaryDescription(DDSCAPS_VIDEOMEMORY));
    ASSERT_TRUE(right);
    IDirectDrawSurface* made = nullptr;
    DDSURFACEDESC wrongSize = LeftPrimaryDescription(320, 240);
    EXPECT_EQ(directDraw->CreateSurface(&wrongSize, &made, nullptr), DDERR_INVALIDPARAMS);
    Held<IDirectDrawSurface> left = Make(directDraw.get(), LeftPrimaryDescription(640, 480));
    ASSERT_TRUE(left);
    EXPECT_EQ(directDraw->CreateSurface(&wrongSize, &made, nullptr), DDERR_INVALIDPARAMS);
    DDSURFACEDESC leftAgain = LeftPrimaryDescription(640, 480);
    EXPECT_EQ(directDraw->CreateSurface(&leftAgain, &made, nullptr),
              DDERR_PRIMARYSURFACEALREADYEXISTS);
    Fill(right.get(), 0x52);
    Fill(left.get(), 0x4C);

    // The left eye is shown first, then the presenter alternates; both eyes
    // must show up within a bounded number of refreshes.
    EXPECT_EQ(ShownFirstByte(window), 0x4C);
    bool sawRight = false;
    bool sawLeftAgain = false;
    for (int turn = 0; turn < 2000 && !(sawRight && sawLeftAgain); ++turn) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::uint8_t shown = ShownFirstByte(window);
        sawRight = sawRight || shown == 0x52;
        sawLeftAgain = sawLeftAgain || (sawRight && shown == 0x4C);
    }
    EXPECT_TRUE(sawRight);
    EXPECT_TRUE(sawLeftAgain);

    left.reset();
    EXPECT_EQ(ShownFirstByte(window), 0x52);
}

TEST_F(DirectDrawTest, ReferenceCounts) {
    Held<IDirectDraw> directDraw = CreateExclusive();
    IDirectDrawSurface* front = nullptr;
    DDSURFACEDESC chain = FlipChainDescription(1, 0);
    ASSERT_EQ(directDraw->CreateSurface(&chain, &front, nullptr), DD_OK);
    EXPECT_EQ(front->AddRef(), 2u);
    EXPECT_EQ(front->Release(), 1u);

    // Enumeration hands the callback a reference of its own.
    Attached attached;
    ASSERT_EQ(front->EnumAttachedSurfaces(&attached, CollectSurface), DD_OK);
    EXPECT_EQ(attached.references, std::vector<ULONG>{1});

    DDSCAPS backCaps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* back = nullptr;
    ASSERT_EQ(front->GetAttachedSurface(&backCaps, &back), DD_OK);
    EXPECT_EQ(back->AddRef(), 2u);
    EXPECT_EQ(back->Release(), 1u);
    EXPECT_EQ(back->Release(), 0u);
    // Nobody holds the back buffer now; it lives with its primary.
    EXPECT_EQ(back->Release(), 0u);
    EXPECT_EQ(front->Flip(nullptr, 0), DD_OK);

    PALETTEENTRY colours[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, colours, &palette, nullptr), DD_OK);
    ASSERT_EQ(front->SetPalette(palette), DD_OK);
    // The surface holds the palette until it goes.
    EXPECT_EQ(palette->Release(), 1u);
    EXPECT_EQ(directDraw->AddRef(), 2u);
    EXPECT_EQ(directDraw->Release(), 1u);

    // Surfaces held past their DirectDraw object are lost for good.
    directDraw.reset();
    EXPECT_EQ(front->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(front->Restore(), DDERR_INVALIDOBJECT);
    DDSURFACEDESC locked;
    EXPECT_EQ(front->Lock(nullptr, &locked, 0, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(front->Release(), 0u);
    EXPECT_EQ(internal::ShownFramebuffer(window), internal::WindowFramebuffer(window));
}

} // namespace
} // namespace ddrawtest
