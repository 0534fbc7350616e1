// Surface memory: Lock and its bounds, device contexts on surfaces, and the
// loss of surfaces when the display mode changes.
#include "ddrawfixture.h"

#include "platform/display/displaysettings.h"
#include "platform/gdi/objects.h"

namespace ddrawtest {
namespace {

using namespace win;

class SurfaceMemoryTest : public DirectDrawTest, public testing::WithParamInterface<const char*> {};

// Every depth, with a width whose rows need padding to whole words.
TEST_P(SurfaceMemoryTest, LockedMemoryHoldsEveryRow) {
    UseProfile(std::string("mode ") + GetParam() + "\n");
    Held<IDirectDraw> directDraw = CreateExclusive();
    Held<IDirectDrawSurface> primary = Make(directDraw.get(), PrimaryDescription(0));
    ASSERT_TRUE(primary);
    const DisplayMode mode = DisplayAdapter::Instance().Current();
    DDSURFACEDESC locked;
    ASSERT_EQ(primary->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(locked.dwWidth, static_cast<DWORD>(mode.width));
    EXPECT_EQ(locked.dwHeight, static_cast<DWORD>(mode.height));
    EXPECT_EQ(locked.ddpfPixelFormat.dwRGBBitCount, static_cast<DWORD>(mode.bitsPerPixel));
    EXPECT_GE(locked.lPitch, mode.width * mode.bitsPerPixel / 8);
    EXPECT_EQ(locked.lPitch % 4, 0);
    // The last byte of the last row is writable (ASan checks the bounds).
    auto* bytes = static_cast<std::uint8_t*>(locked.lpSurface);
    bytes[static_cast<std::size_t>(locked.lPitch) * locked.dwHeight - 1] = 0x7F;
    ASSERT_EQ(primary->Unlock(locked.lpSurface), DD_OK);

    DDSURFACEDESC enumerated;
    ASSERT_EQ(directDraw->GetDisplayMode(&enumerated), DD_OK);
    EXPECT_EQ(enumerated.lPitch, locked.lPitch);
}

INSTANTIATE_TEST_SUITE_P(Depths, SurfaceMemoryTest,
                         testing::Values("321x200x8", "321x200x16", "321x200x24", "321x200x32"));

TEST_F(DirectDrawTest, LockChecksItsRectangleAndItsState) {
    UseProfile("mode 640x480x16\n");
    Held<IDirectDraw> directDraw = CreateExclusive();
    Held<IDirectDrawSurface> primary = Make(directDraw.get(), PrimaryDescription(0));
    ASSERT_TRUE(primary);
    DDSURFACEDESC whole;
    ASSERT_EQ(primary->Lock(nullptr, &whole, 0, nullptr), DD_OK);
    DDSURFACEDESC again;
    EXPECT_EQ(primary->Lock(nullptr, &again, 0, nullptr), DDERR_SURFACEBUSY);
    HDC dc = nullptr;
    EXPECT_EQ(primary->GetDC(&dc), DDERR_SURFACEBUSY);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 16), DDERR_LOCKEDSURFACES);
    int elsewhere = 0;
    EXPECT_EQ(primary->Unlock(&elsewhere), DDERR_INVALIDPARAMS);
    ASSERT_EQ(primary->Unlock(nullptr), DD_OK);
    EXPECT_EQ(primary->Unlock(nullptr), DDERR_NOTLOCKED);

    RECT part{10, 20, 30, 40};
    DDSURFACEDESC partial;
    ASSERT_EQ(primary->Lock(&part, &partial, 0, nullptr), DD_OK);
    EXPECT_EQ(static_cast<std::uint8_t*>(partial.lpSurface),
              static_cast<std::uint8_t*>(whole.lpSurface) + 20 * whole.lPitch + 10 * 2);
    ASSERT_EQ(primary->Unlock(partial.lpSurface), DD_OK);

    for (RECT outside : {RECT{-1, 0, 10, 10}, RECT{0, 0, 641, 10}, RECT{0, 0, 10, 481},
                         RECT{10, 10, 10, 20}, RECT{30, 10, 20, 20}}) {
        EXPECT_EQ(primary->Lock(&outside, &partial, 0, nullptr), DDERR_INVALIDRECT);
    }
    partial.dwSize = 108;
    EXPECT_EQ(primary->Lock(nullptr, &partial, 0, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(primary->Lock(nullptr, nullptr, 0, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, DeviceContextDrawsOnTheSurface) {
    UseProfile("mode 640x480x32\n");
    Held<IDirectDraw> directDraw = CreateExclusive();
    Held<IDirectDrawSurface> primary = Make(directDraw.get(), PrimaryDescription(0));
    ASSERT_TRUE(primary);
    HDC dc = nullptr;
    ASSERT_EQ(primary->GetDC(&dc), DD_OK);
    HDC second = nullptr;
    EXPECT_EQ(primary->GetDC(&second), DDERR_DCALREADYCREATED);
    DDSURFACEDESC locked;
    EXPECT_EQ(primary->Lock(nullptr, &locked, 0, nullptr), DDERR_SURFACEBUSY);
    const HBRUSH brush = CreateSolidBrush(RGB(200, 100, 50));
    const RECT area{0, 0, 2, 1};
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    EXPECT_EQ(primary->ReleaseDC(nullptr), DDERR_INVALIDPARAMS);
    ASSERT_EQ(primary->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(primary->ReleaseDC(dc), DDERR_NODC);

    ASSERT_EQ(primary->Lock(nullptr, &locked, 0, nullptr), DD_OK);
    const auto* pixel = static_cast<const std::uint8_t*>(locked.lpSurface);
    EXPECT_EQ(pixel[0], 50);  // blue
    EXPECT_EQ(pixel[1], 100); // green
    EXPECT_EQ(pixel[2], 200); // red
    EXPECT_EQ(pixel[8], 0);   // the third pixel was not filled
    primary->Unlock(nullptr);
}

TEST_F(DirectDrawTest, ModeChangesLoseSurfacesUntilRestoredInTheirMode) {
    DisplayAdapter& adapter = UseProfile("mode 640x480x8\nmode 800x600x8\n");
    Held<IDirectDraw> directDraw = CreateExclusive();
    Held<IDirectDrawSurface> front = Make(directDraw.get(), FlipChainDescription(1, 0));
    ASSERT_TRUE(front);
    DDSCAPS backCaps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* back = nullptr;
    ASSERT_EQ(front->GetAttachedSurface(&backCaps, &back), DD_OK);
    Held<IDirectDrawSurface> heldBack(back);
    Fill(front.get(), 9);
    EXPECT_EQ(front->IsLost(), DD_OK);

    ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 8), DD_OK);
    EXPECT_EQ(front->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST);
    DDSURFACEDESC locked;
    EXPECT_EQ(front->Lock(nullptr, &locked, 0, nullptr), DDERR_SURFACELOST);
    HDC dc = nullptr;
    EXPECT_EQ(front->GetDC(&dc), DDERR_SURFACELOST);
    EXPECT_EQ(front->Flip(nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(front->Restore(), DDERR_WRONGMODE);

    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 8), DD_OK);
    ASSERT_EQ(front->Restore(), DD_OK);
    EXPECT_EQ(front->IsLost(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK);
    EXPECT_EQ(FirstByte(front.get()), 0); // restored memory starts cleared
    // A change through the display settings loses them as well.
    DEVMODE other{};
    other.dmSize = sizeof(DEVMODE);
    other.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    other.dmPelsWidth = 800;
    other.dmPelsHeight = 600;
    other.dmBitsPerPel = 8;
    ASSERT_EQ(ChangeDisplaySettings(&other, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(front->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(adapter.Current().width, 800);
}

} // namespace
} // namespace ddrawtest
