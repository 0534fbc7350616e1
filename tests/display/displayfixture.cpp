#include "displayfixture.h"

#include "platform/gdi/systempalette.h"
#include "platform/win/messages.h"

namespace {

constexpr int kMaxQueued = 1000;

} // namespace

void DisplayTest::SetUp() {
    AdapterTest::SetUp();
    registry = std::make_unique<systest::ScopedEnvironment>("BINOXA_REGISTRY",
                                                            scratch.File("registry.reg").c_str());
    WithDirectDraw(false);
    TakeQueuedMessages();
}

void DisplayTest::TearDown() {
    TakeQueuedMessages();
    systemDir.reset();
    registry.reset();
    AdapterTest::TearDown();
}

void DisplayTest::WithDirectDraw(bool present) {
    WithSystemDirectory(present ? TEST_SYSTEM_DIR : scratch.Path());
}

void DisplayTest::WithSystemDirectory(const std::string& directory) {
    systemDir.reset();
    systemDir =
        std::make_unique<systest::ScopedEnvironment>("BINOXA_SYSTEM_DIR", directory.c_str());
}

std::vector<win::UINT> DisplayTest::TakeQueuedMessages() {
    std::vector<win::UINT> messages;
    win::MSG message;
    // Painting is handed to the windows: it stays queued until they validate.
    for (int taken = 0;
         taken < kMaxQueued && win::PeekMessage(&message, nullptr, 0, 0, win::PM_REMOVE); ++taken) {
        if (message.message == win::WM_PAINT)
            win::DispatchMessage(&message);
        else
            messages.push_back(message.message);
    }
    return messages;
}

win::COLORREF PixelAt(const win::Framebuffer& frame, int x, int y) {
    const std::uint8_t* pixel = frame.Row(y) + x * frame.BytesPerPixel();
    switch (frame.bitsPerPixel) {
    case 8: {
        win::PALETTEENTRY colours[256];
        win::internal::GetSystemPaletteColours(colours);
        const win::PALETTEENTRY& entry = colours[pixel[0]];
        return win::RGB(entry.peRed, entry.peGreen, entry.peBlue);
    }
    case 16: {
        const unsigned word = pixel[0] | (pixel[1] << 8);
        const unsigned red = (word >> 11) & 31;
        const unsigned green = (word >> 5) & 63;
        const unsigned blue = word & 31;
        return win::RGB(static_cast<win::BYTE>(red << 3 | red >> 2),
                        static_cast<win::BYTE>(green << 2 | green >> 4),
                        static_cast<win::BYTE>(blue << 3 | blue >> 2));
    }
    default:
        return win::RGB(pixel[2], pixel[1], pixel[0]);
    }
}

std::string ProfileOfManyModes(int count) {
    std::string profile;
    for (int width = 100; width < 100 + count; ++width)
        profile += "mode " + std::to_string(width) + "x100x8\n";
    return profile;
}
