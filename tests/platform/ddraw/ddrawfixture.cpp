#include "ddrawfixture.h"

#include "platform/sys/libraries.h"
#include "platform/win/window.h"

#include <algorithm>
#include <cstdlib>

namespace ddrawtest {

using namespace win;

DDSURFACEDESC PrimaryDescription(DWORD caps) {
    DDSURFACEDESC description;
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | caps;
    return description;
}

DDSURFACEDESC FlipChainDescription(DWORD backBuffers, DWORD extraCaps) {
    DDSURFACEDESC description = PrimaryDescription(DDSCAPS_FLIP | DDSCAPS_COMPLEX | extraCaps);
    description.dwFlags |= DDSD_BACKBUFFERCOUNT;
    description.dwBackBufferCount = backBuffers;
    return description;
}

DDSURFACEDESC LeftPrimaryDescription(int width, int height) {
    DDSURFACEDESC description;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    description.dwWidth = static_cast<DWORD>(width);
    description.dwHeight = static_cast<DWORD>(height);
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACELEFT | DDSCAPS_VIDEOMEMORY;
    return description;
}

void Fill(IDirectDrawSurface* surface, std::uint8_t value) {
    DDSURFACEDESC locked;
    ASSERT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    auto* bytes = static_cast<std::uint8_t*>(locked.lpSurface);
    std::fill(bytes, bytes + static_cast<std::size_t>(locked.lPitch) * locked.dwHeight, value);
    ASSERT_EQ(surface->Unlock(locked.lpSurface), DD_OK);
}

std::uint8_t FirstByte(IDirectDrawSurface* surface) {
    DDSURFACEDESC locked;
    if (surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK)
        return 0xEE;
    const std::uint8_t first = *static_cast<std::uint8_t*>(locked.lpSurface);
    surface->Unlock(locked.lpSurface);
    return first;
}

namespace {

const char* TestClass() {
    static const char* name = [] {
        WNDCLASS windowClass;
        windowClass.lpfnWndProc = DefWindowProc;
        windowClass.lpszClassName = "DirectDrawTest";
        RegisterClass(&windowClass);
        return "DirectDrawTest";
    }();
    return name;
}

} // namespace

void DirectDrawTest::SetUp() {
    AdapterTest::SetUp();
    setenv("BINOXA_SYSTEM_DIR", DDRAW_SYSTEM_DIR, 1);
    // Loaded once for the whole program, as the display code keeps it loaded.
    static const HMODULE library = LoadLibraryEx("ddraw.dll", nullptr, 0);
    ASSERT_NE(library, nullptr);
    create =
        reinterpret_cast<DirectDrawCreateFunction>(GetProcAddress(library, "DirectDrawCreate"));
    ASSERT_NE(create, nullptr);
    window = CreateWindowEx(0, TestClass(), "DirectDraw", WS_POPUP, 0, 0, 320, 200, nullptr,
                            nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
}

void DirectDrawTest::TearDown() {
    DestroyWindow(window);
    unsetenv("BINOXA_SYSTEM_DIR");
    AdapterTest::TearDown();
}

Held<IDirectDraw> DirectDrawTest::Create() {
    IDirectDraw* made = nullptr;
    EXPECT_EQ(create(nullptr, &made, nullptr), DD_OK);
    return Held<IDirectDraw>(made);
}

Held<IDirectDraw> DirectDrawTest::CreateExclusive() {
    Held<IDirectDraw> made = Create();
    EXPECT_EQ(made->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    return made;
}

Held<IDirectDrawSurface> DirectDrawTest::Make(IDirectDraw* directDraw, DDSURFACEDESC description) {
    IDirectDrawSurface* made = nullptr;
    if (directDraw->CreateSurface(&description, &made, nullptr) != DD_OK)
        return nullptr;
    return Held<IDirectDrawSurface>(made);
}

} // namespace ddrawtest
