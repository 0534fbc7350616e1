// The DirectDraw tests load libddraw.so by its Windows name, as the display
// code does, and run it on an adapter profile of their own with a window to
// cooperate with.
#pragma once

#include "display/adapterfixture.h"
#include "platform/ddraw/ddraw.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ddrawtest {

// Releases a DirectDraw object, surface or palette once.
struct Releaser {
    template <typename Interface> void operator()(Interface* object) const { object->Release(); }
};
template <typename Interface> using Held = std::unique_ptr<Interface, Releaser>;

win::DDSURFACEDESC PrimaryDescription(win::DWORD caps);
win::DDSURFACEDESC FlipChainDescription(win::DWORD backBuffers, win::DWORD extraCaps);
win::DDSURFACEDESC LeftPrimaryDescription(int width, int height);

// Every byte of the surface's memory (through Lock) set to the value.
void Fill(win::IDirectDrawSurface* surface, std::uint8_t value);
// The first byte of the surface's memory.
std::uint8_t FirstByte(win::IDirectDrawSurface* surface);

class DirectDrawTest : public AdapterTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new DirectDraw object from the library's entry point.
    Held<win::IDirectDraw> Create();
    // A new object at the exclusive full-screen level for the test's window.
    Held<win::IDirectDraw> CreateExclusive();
    // A surface made from the description; null when that fails.
    static Held<win::IDirectDrawSurface> Make(win::IDirectDraw* directDraw,
                                              win::DDSURFACEDESC description);

    win::DirectDrawCreateFunction create = nullptr;
    win::HWND window = nullptr;
};

} // namespace ddrawtest
