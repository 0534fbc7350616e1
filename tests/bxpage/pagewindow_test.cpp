// The page's window with its child windows for the embedded files: where
// they are placed, that every move or change of the visible part is told and
// nothing else, its ticks, and closing only when the listener agrees.
#include "bxpage/pagewindow.h"

#include "platform/gdi/gdi.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <vector>

using namespace bxpage;

namespace {

struct Recorder : PageWindow::Listener {
    void Placed(std::size_t embed, const NPWindow& where) override {
        placed.push_back({embed, where});
    }
    void Tick() override { ++ticks; }
    bool Closing() override {
        ++closings;
        return mayClose;
    }

    struct Told {
        std::size_t embed;
        NPWindow where;
    };
    std::vector<Told> placed;
    int ticks = 0;
    int closings = 0;
    bool mayClose = false;
};

bool quitSeen = false;

// Dispatches messages until done() holds, for two seconds at most.
bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done() && std::chrono::steady_clock::now() < end) {
        win::MSG message;
        while (win::PeekMessage(&message, nullptr, 0, 0, win::PM_REMOVE)) {
            if (message.message == win::WM_QUIT)
                quitSeen = true;
            else
                win::DispatchMessage(&message);
        }
    }
    return done();
}

// "x,y wxh clip left,top-right,bottom"
std::string Where(const NPWindow& where) {
    const NPRect& clip = where.clipRect;
    return std::to_string(where.x) + "," + std::to_string(where.y) + " " +
           std::to_string(where.width) + "x" + std::to_string(where.height) + " clip " +
           std::to_string(clip.left) + "," + std::to_string(clip.top) + "-" +
           std::to_string(clip.right) + "," + std::to_string(clip.bottom);
}

// Pixels of the area of the window's own drawing that are not white.
int InkedPixels(win::HWND window, const win::RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const win::HDC screen = win::GetDC(window);
    const win::HDC memory = win::CreateCompatibleDC(screen);
    const win::HBITMAP bitmap = win::CreateCompatibleBitmap(screen, width, height);
    const win::HGDIOBJ old = win::SelectObject(memory, bitmap);
    win::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, 0x00CC0020);
    win::BITMAP info{};
    win::GetObject(bitmap, sizeof info, &info);
    std::vector<unsigned char> bits(static_cast<std::size_t>(info.bmWidthBytes) * height);
    win::GetBitmapBits(bitmap, static_cast<win::LONG>(bits.size()), bits.data());
    win::SelectObject(memory, old);
    win::DeleteObject(bitmap);
    win::DeleteDC(memory);
    win::ReleaseDC(window, screen);
    EXPECT_GE(info.bmBitsPixel, 24);
    const int bytes = info.bmBitsPixel / 8;
    int inked = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* pixel =
                bits.data() + static_cast<std::size_t>(y) * info.bmWidthBytes + x * bytes;
            inked += pixel[0] != 0xFF || pixel[1] != 0xFF || pixel[2] != 0xFF;
        }
    return inked;
}

void Resize(win::HWND window, int width, int height) {
    win::SetWindowPos(window, nullptr, 0, 0, width, height, win::SWP_NOMOVE | win::SWP_NOZORDER);
}

} // namespace

TEST(PageWindow, PlacesEmbedsInChildWindowsAndTellsOfEveryMove) {
    // "Pictures:" is 72 pixels; in 400 - 16 the first box fits beside it,
    // the second does not.
    const Page page = ParsePage("<p>Pictures: <embed width=200 height=100> "
                                "<embed width=300 height=50></p>");
    Recorder recorder;
    PageWindow window(page, recorder);
    ASSERT_TRUE(window.Create("bxpage - two", 400, 300));
    char title[64] = {};
    win::GetWindowText(window.Handle(), title, sizeof title);
    EXPECT_STREQ(title, "bxpage - two");

    ASSERT_EQ(recorder.placed.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const win::HWND child = window.EmbedWindow(i);
        ASSERT_TRUE(win::IsWindow(child));
        EXPECT_EQ(win::GetParent(child), window.Handle());
        const auto style = static_cast<win::DWORD>(win::GetWindowLong(child, win::GWL_STYLE));
        EXPECT_EQ(style & (win::WS_CHILD | win::WS_VISIBLE), win::WS_CHILD | win::WS_VISIBLE);
        EXPECT_EQ(recorder.placed[i].embed, i);
        EXPECT_EQ(recorder.placed[i].where.window, child);
        EXPECT_EQ(recorder.placed[i].where.type, NPWindowTypeWindow);
        win::RECT client;
        win::GetClientRect(child, &client);
        EXPECT_EQ(client.right, static_cast<win::LONG>(recorder.placed[i].where.width));
        EXPECT_EQ(client.bottom, static_cast<win::LONG>(recorder.placed[i].where.height));
    }
    EXPECT_EQ(Where(recorder.placed[0].where), "88,8 200x100 clip 88,8-288,108");
    EXPECT_EQ(Where(recorder.placed[1].where), "8,108 300x50 clip 8,108-308,158");
    EXPECT_EQ(Where(window.Where(1)), Where(recorder.placed[1].where));
    // The text stands on the foot of its line, beside the first box.
    win::UpdateWindow(window.Handle());
    EXPECT_GT(InkedPixels(window.Handle(), {8, 92, 80, 108}), 20);
    EXPECT_EQ(InkedPixels(window.Handle(), {8, 8, 80, 90}), 0);
    EXPECT_EQ(InkedPixels(window.Handle(), {320, 180, 400, 300}), 0);

    // Wider: the second box moves up beside the first; the first stays put
    // and is not told again.
    Resize(window.Handle(), 700, 300);
    ASSERT_EQ(recorder.placed.size(), 3u);
    EXPECT_EQ(recorder.placed[2].embed, 1u);
    EXPECT_EQ(Where(recorder.placed[2].where), "296,58 300x50 clip 296,58-596,108");
    Resize(window.Handle(), 700, 300);
    EXPECT_EQ(recorder.placed.size(), 3u);
    // Lower: part of the first is hidden, all of the second.
    Resize(window.Handle(), 700, 50);
    ASSERT_EQ(recorder.placed.size(), 5u);
    EXPECT_EQ(Where(recorder.placed[3].where), "88,8 200x100 clip 88,8-288,50");
    EXPECT_EQ(Where(recorder.placed[4].where), "296,58 300x50 clip 0,0-0,0");

    window.StartTicks(20);
    EXPECT_TRUE(PumpUntil([&] { return recorder.ticks >= 2; }));
    window.StopTicks();

    // Closing waits for the listener's word.
    win::PostMessage(window.Handle(), win::WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return recorder.closings == 1; }));
    EXPECT_TRUE(win::IsWindow(window.Handle()));
    EXPECT_FALSE(quitSeen);
    recorder.mayClose = true;
    const win::HWND handle = window.Handle();
    const win::HWND child = window.EmbedWindow(0);
    win::PostMessage(handle, win::WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !win::IsWindow(handle); }));
    EXPECT_FALSE(win::IsWindow(child));
    EXPECT_EQ(window.Handle(), nullptr);
    // Its going ends the message loop.
    EXPECT_TRUE(PumpUntil([] { return quitSeen; }));
}
