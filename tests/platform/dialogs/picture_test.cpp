#include "dialogs/scriptedprompts.h"

#include "platform/dialogs/dialog.h"
#include "platform/gdi/bitmaps.h"
#include "platform/win/bitmapresources.h"
#include "platform/win/paint.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace win;

namespace {

std::vector<std::uint8_t> Bits(HBITMAP bitmap) {
    BITMAP size{};
    GetObject(bitmap, sizeof size, &size);
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(size.bmWidthBytes) * size.bmHeight);
    GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), bits.data());
    return bits;
}

INT_PTR Leave(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

TEST(Picture, LoadsTheProgramsBitmapAndShowsItInAPictureControl) {
    // Resource 7 of this program: red 10x + 1, green 20y + 2, blue 3.
    const HBITMAP loaded = LoadBitmap(nullptr, MAKEINTRESOURCE(7));
    ASSERT_NE(loaded, nullptr);
    BITMAP size{};
    ASSERT_NE(GetObject(loaded, sizeof size, &size), 0);
    EXPECT_EQ(size.bmWidth, 3);
    EXPECT_EQ(size.bmHeight, 2);
    const std::vector<std::uint8_t> bits = Bits(loaded);
    if (size.bmBitsPixel == 32) {
        // Top row first, blue, green, red.
        EXPECT_EQ(bits[0], 3);
        EXPECT_EQ(bits[1], 2);
        EXPECT_EQ(bits[2], 1);
        EXPECT_EQ(bits[4 * 2 + 2], 21);
        EXPECT_EQ(bits[size.bmWidthBytes + 1], 22);
    }
    const HBITMAP byName = LoadBitmap(nullptr, "#7");
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(Bits(byName), bits);
    EXPECT_EQ(LoadBitmap(nullptr, MAKEINTRESOURCE(8)), nullptr);
    EXPECT_EQ(LoadBitmap(nullptr, "seven"), nullptr);

    DialogTemplate dialog;
    dialog.caption = "Picture";
    dialog.cx = 200;
    dialog.cy = 100;
    DialogItemTemplate picture;
    picture.className = "STATIC";
    picture.text = "#7";
    picture.style = WS_VISIBLE | SS_BITMAP;
    picture.x = 10;
    picture.y = 10;
    picture.cx = 50;
    picture.cy = 50;
    picture.id = 20;
    dialog.items.push_back(picture);

    dialogtest::ScriptedPrompts prompts;
    prompts.dialogScripts.push_back([&](DialogSession& session) {
        const DialogPrompt shown = session.Shown();
        const DialogControlPrompt* control = shown.Control(20);
        ASSERT_NE(control, nullptr);
        ASSERT_NE(control->image, nullptr);
        // The picture takes the bitmap's size and shows its pixels.
        EXPECT_EQ(control->rect.right - control->rect.left, 3);
        EXPECT_EQ(control->rect.bottom - control->rect.top, 2);
        const HWND window = GetDlgItem(shown.dialog, 20);
        const auto shownBits = [window] {
            const HDC dc = GetDC(window);
            const HDC memory = CreateCompatibleDC(dc);
            const HBITMAP copy = CreateCompatibleBitmap(dc, 3, 2);
            const HGDIOBJ previous = SelectObject(memory, copy);
            BitBlt(memory, 0, 0, 3, 2, dc, 0, 0, SRCCOPY);
            SelectObject(memory, previous);
            DeleteDC(memory);
            ReleaseDC(window, dc);
            std::vector<std::uint8_t> result = Bits(copy);
            DeleteObject(copy);
            return result;
        };
        EXPECT_EQ(shownBits(), bits);

        // Another bitmap: the template's own goes, the caller's stays his.
        const HBITMAP black = CreateCompatibleBitmap(GetDC(nullptr), 3, 2);
        EXPECT_EQ(SendDlgItemMessage(shown.dialog, 20, STM_SETIMAGE, IMAGE_BITMAP,
                                     reinterpret_cast<LPARAM>(black)),
                  0);
        EXPECT_EQ(SendDlgItemMessage(shown.dialog, 20, STM_GETIMAGE, IMAGE_BITMAP, 0),
                  reinterpret_cast<LRESULT>(black));
        EXPECT_EQ(shownBits(), Bits(black));
        EXPECT_EQ(SendDlgItemMessage(shown.dialog, 20, STM_SETIMAGE, IMAGE_BITMAP,
                                     reinterpret_cast<LPARAM>(byName)),
                  reinterpret_cast<LRESULT>(black));
        EXPECT_EQ(shownBits(), bits);
        EXPECT_TRUE(DeleteObject(black));
    });
    DialogBoxIndirectParam(nullptr, &dialog, nullptr, Leave, 0);
    EXPECT_TRUE(DeleteObject(byName));
    EXPECT_TRUE(DeleteObject(loaded));
}

} // namespace
