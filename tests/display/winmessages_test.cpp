// The display window's procedure, the key wait of the in-frame message box,
// and alerts.
#include "display/windisp.h"
#include "displayfixture.h"
#include "support/logicalpalette.h"

#include "imaging/pixelops.h"
#include "platform/dialogs/messagebox.h"
#include "platform/gdi/gdi.h"
#include "platform/win/cursor.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/windowframebuffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class WinDispMessages : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        UseProfile("mode 320x200x24\n");
        const WinDispStruct params = {
            0, 0, 3, 3, nullptr, static_cast<int32_t>(win::WS_POPUP), DisplayGDI, DDSurfSingle};
        display = std::make_unique<WinDisp>();
        display->Create(&params);
        TakeQueuedMessages();
    }

    void TearDown() override {
        display.reset();
        DisplayTest::TearDown();
    }

    std::string LogSince(size_t start) const { return log.Text().substr(start); }

    std::unique_ptr<WinDisp> display;
};

constexpr const char* kStars = "***********************************************";

} // namespace

TEST_F(WinDispMessages, AnAlertIsLoggedFramedPostedWhenAskedAndShownInABox) {
    display->SetErrorTitle("Binoxa Viewer Error");
    size_t start = log.Text().size();
    display->_Alert("The picture is too large.", true);
    char sending[96];
    std::snprintf(sending, sizeof sending,
                  "WinDisp::_Alert -- Sending WM_WINDISP_ALERT message to %x\n",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(display->GetWindow())));
    EXPECT_EQ(LogSince(start), "\n" + std::string(kStars) + "\nAlert: The picture is too large.\n" +
                                   kStars + "\n\n" + sending);
    EXPECT_EQ(TakeQueuedMessages(), std::vector<win::UINT>{WM_WINDISP_ALERT});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].owner, display->GetWindow());
    EXPECT_EQ(boxes.shown[0].text, "The picture is too large.");
    EXPECT_EQ(boxes.shown[0].caption, "Binoxa Viewer Error");
    EXPECT_EQ(boxes.shown[0].type, win::MB_OK);

    display->SetErrorTitle(nullptr);
    start = log.Text().size();
    display->_Alert("Again", false);
    EXPECT_EQ(LogSince(start), "\n" + std::string(kStars) + "\nAlert: Again\n" + kStars + "\n\n");
    EXPECT_EQ(TakeQueuedMessages(), std::vector<win::UINT>{});
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].caption, "Error");
}

TEST_F(WinDispMessages, EscapeAndDestroyEndTheLoopAndPaintRedrawsTheFrame) {
    const win::HWND window = display->GetWindow();
    win::SendMessage(window, win::WM_CHAR, 'a', 0);
    EXPECT_EQ(TakeQueuedMessages(), std::vector<win::UINT>{});
    win::SendMessage(window, win::WM_CHAR, 27, 0);
    win::MSG quit;
    ASSERT_TRUE(win::PeekMessage(&quit, nullptr, 0, 0, win::PM_REMOVE));
    EXPECT_EQ(quit.message, win::WM_QUIT);
    EXPECT_EQ(quit.wParam, 0u);

    EXPECT_EQ(display->WindowProc(window, win::WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(TakeQueuedMessages(), std::vector<win::UINT>{win::WM_QUIT});

    pxFillRect(display->whole, display->whole.GetRect(), pxColor::Rgb(0, 0, 255));
    win::InvalidateRect(window, nullptr, win::FALSE);
    win::UpdateWindow(window);
    EXPECT_EQ(PixelAt(*win::internal::WindowFramebuffer(window), 5, 5), win::RGB(0, 0, 255));
    win::RECT update;
    EXPECT_FALSE(win::GetUpdateRect(window, &update, win::FALSE));

    // Under GDI a new palette is taken up at once and answered as handled.
    EXPECT_EQ(win::SendMessage(window, win::WM_QUERYNEWPALETTE, 0, 0), 1);
}

TEST_F(WinDispMessages, TheInFrameMessageWaitsForTwoKeyboardMessagesAndPutsTheFrameBack) {
    const win::HWND window = display->GetWindow();
    pxFillRect(display->whole, display->whole.GetRect(), pxColor::Rgb(0, 255, 0));
    display->Refresh();
    win::PostMessage(window, win::WM_KEYDOWN, 0x0D, 0);
    win::PostMessage(window, win::WM_TIMER, 1, 0);
    win::PostMessage(window, win::WM_KEYUP, 0x0D, 0);
    display->Message("Hello");
    // Both keyboard messages were taken; the timer is still waiting.
    EXPECT_EQ(TakeQueuedMessages(), std::vector<win::UINT>{win::WM_TIMER});
    EXPECT_EQ(PixelAt(*win::internal::WindowFramebuffer(window), 1, 1), win::RGB(0, 255, 0));
    EXPECT_EQ(display->whole.Row(1)[1], 255);
}

TEST_F(WinDispMessages, TheCursorIsTheNamedOneOrNone) {
    const win::HCURSOR cross = win::LoadCursor(nullptr, win::IDC_CROSS);
    display->SetCursor(win::IDC_CROSS);
    EXPECT_EQ(win::GetCursor(), cross);
    EXPECT_NE(win::GetCursor(), nullptr);
    // Replacing a cursor destroys it, which leaves a shared system cursor
    // usable.
    display->SetCursor(win::IDC_WAIT);
    EXPECT_EQ(win::GetCursor(), win::LoadCursor(nullptr, win::IDC_WAIT));
    EXPECT_EQ(win::LoadCursor(nullptr, win::IDC_CROSS), cross);
    display->SetCursor(win::IDC_CROSS);
    EXPECT_EQ(win::GetCursor(), cross);
    display->SetCursor(nullptr);
    EXPECT_EQ(win::GetCursor(), nullptr);
    display->SetCursor(win::MAKEINTRESOURCE(9001));
    EXPECT_EQ(win::GetCursor(), nullptr);
}

TEST_F(WinDispMessages, APaletteChangedByAnotherWindowIsTakenBackAndTheColoursKept) {
    display.reset();
    UseProfile("mode 320x200x8\n");
    const WinDispStruct params = {
        0, 0, 1, 1, nullptr, static_cast<int32_t>(win::WS_POPUP), DisplayGDI, DDSurfSingle};
    display = std::make_unique<WinDisp>();
    ASSERT_EQ(display->Create(&params), 1);
    const win::HWND window = display->GetWindow();
    pxPalette palette;
    for (int i = 0; i < 256; ++i)
        palette[i] = pxColor::Rgb(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7);
    display->SetPalette(palette);
    pxImage picture({1, 1}, 1, 4);
    picture.Row(0)[0] = 100;
    display->BltImage(picture, display->GetBitmapHeader());
    const win::Framebuffer& shown = *win::internal::WindowFramebuffer(window);
    ASSERT_EQ(PixelAt(shown, 0, 0), win::RGB(100, 155, 7));

    // Someone else's palette takes over the system palette.
    const win::HDC screen = win::GetDC(nullptr);
    const win::HPALETTE foreign = MakePalette(
        std::vector<win::PALETTEENTRY>(256, win::PALETTEENTRY{1, 2, 3, win::PC_NOCOLLAPSE}));
    const win::HPALETTE before = win::SelectPalette(screen, foreign, win::FALSE);
    win::RealizePalette(screen);
    win::SelectPalette(screen, before, win::FALSE);
    win::ReleaseDC(nullptr, screen);
    ASSERT_EQ(PixelAt(shown, 0, 0), win::RGB(1, 2, 3));

    // Our own change is not answered; another window's is.
    win::SendMessage(window, win::WM_PALETTECHANGED, reinterpret_cast<win::WPARAM>(window), 0);
    EXPECT_EQ(PixelAt(shown, 0, 0), win::RGB(1, 2, 3));
    const win::HWND other = win::CreateWindow(kWinDispClassName, "Other", win::WS_POPUP, 0, 0, 10,
                                              10, nullptr, nullptr, WinDisp::instance, nullptr);
    win::SendMessage(window, win::WM_PALETTECHANGED, reinterpret_cast<win::WPARAM>(other), 0);
    EXPECT_EQ(PixelAt(shown, 0, 0), win::RGB(100, 155, 7));
    win::DestroyWindow(other);
    win::DeleteObject(foreign);
}
