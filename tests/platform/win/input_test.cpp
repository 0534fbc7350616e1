#include "wintestsupport.h"

#include "platform/sys/lasterror.h"
#include "platform/win/cursor.h"
#include "platform/win/input.h"
#include "platform/win/windowwidget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <cstdint>

using namespace win;
using wintest::Log;
using wintest::MessagesOf;

namespace {

class Input : public wintest::WindowsTest {};

void PressKey(HWND window, int key, Qt::KeyboardModifiers modifiers, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(internal::WindowWidget(window), &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(internal::WindowWidget(window), &release);
}

void Mouse(HWND window, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* widget = internal::WindowWidget(window);
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

std::vector<MSG> TakeInput() {
    std::vector<MSG> taken;
    MSG message;
    while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_PAINT) {
            DispatchMessage(&message);
            continue;
        }
        taken.push_back(message);
        TranslateMessage(&message);
        DispatchMessage(&message);
    }
    return taken;
}

} // namespace

TEST_F(Input, KeysBecomeVirtualKeyMessagesAndCharacters) {
    const HWND window = Make(WS_POPUP | WS_VISIBLE, {0, 0, 50, 50});
    TakeInput();
    PressKey(window, Qt::Key_A, Qt::NoModifier, "a");
    PressKey(window, Qt::Key_A, Qt::ShiftModifier, "A");
    PressKey(window, Qt::Key_Plus, Qt::ShiftModifier, "+");
    PressKey(window, Qt::Key_Equal, Qt::NoModifier, "=");
    PressKey(window, Qt::Key_Escape, Qt::NoModifier);
    PressKey(window, Qt::Key_Left, Qt::NoModifier);
    const std::vector<MSG> taken = TakeInput();
    std::vector<std::pair<UINT, WPARAM>> seen;
    for (const MSG& message : taken)
        seen.emplace_back(message.message, message.wParam);
    const std::vector<std::pair<UINT, WPARAM>> expected{
        {WM_KEYDOWN, 'A'},         {WM_CHAR, 'a'},     {WM_KEYUP, 'A'},
        {WM_KEYDOWN, 'A'},         {WM_CHAR, 'A'},     {WM_KEYUP, 'A'},
        {WM_KEYDOWN, VK_OEM_PLUS}, {WM_CHAR, '+'},     {WM_KEYUP, VK_OEM_PLUS},
        {WM_KEYDOWN, VK_OEM_PLUS}, {WM_CHAR, '='},     {WM_KEYUP, VK_OEM_PLUS},
        {WM_KEYDOWN, VK_ESCAPE},   {WM_CHAR, 27},      {WM_KEYUP, VK_ESCAPE},
        {WM_KEYDOWN, VK_LEFT},     {WM_KEYUP, VK_LEFT}};
    EXPECT_EQ(seen, expected);
    ASSERT_GE(taken.size(), 3u);
    EXPECT_EQ(taken[0].hwnd, window);
    // Repeat count 1, scan code 0x1E for A, up: previous state and transition.
    EXPECT_EQ(static_cast<DWORD>(taken[0].lParam), 0x001E0001u);
    EXPECT_EQ(taken[1].lParam, taken[0].lParam);
    EXPECT_EQ(static_cast<DWORD>(taken[2].lParam), 0xC01E0001u);
    // Arrow keys are extended keys.
    EXPECT_EQ(static_cast<DWORD>(taken.back().lParam) & 0x01FF0000u, 0x014B0000u);
}

TEST_F(Input, MouseMessagesCarryKeyFlagsAndClientPositions) {
    const HWND parent = Make(WS_POPUP | WS_VISIBLE, {0, 0, 200, 200});
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {50, 60, 150, 160}, parent);
    TakeInput();
    Mouse(child, QEvent::MouseButtonPress, {7, 9}, Qt::LeftButton, Qt::LeftButton,
          Qt::ShiftModifier);
    Mouse(child, QEvent::MouseButtonRelease, {7, 9}, Qt::LeftButton, Qt::NoButton);
    Mouse(parent, QEvent::MouseButtonPress, {3, 4}, Qt::RightButton, Qt::RightButton);
    Mouse(parent, QEvent::MouseMove, {5, 6}, Qt::NoButton, Qt::RightButton);
    std::vector<MSG> taken = TakeInput();
    ASSERT_EQ(taken.size(), 4u);
    EXPECT_EQ(taken[0].hwnd, child);
    EXPECT_EQ(taken[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(taken[0].wParam, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(taken[0].lParam, MAKELPARAM(7, 9));
    EXPECT_EQ(taken[0].pt.x, 57);
    EXPECT_EQ(taken[0].pt.y, 69);
    EXPECT_EQ(taken[1].message, WM_LBUTTONUP);
    EXPECT_EQ(taken[1].wParam, 0u);
    EXPECT_EQ(taken[2].message, WM_RBUTTONDOWN);
    EXPECT_EQ(taken[2].hwnd, parent);
    EXPECT_EQ(taken[3].message, WM_MOUSEMOVE);
    EXPECT_EQ(taken[3].wParam, MK_RBUTTON);
    EXPECT_EQ(taken[3].lParam, MAKELPARAM(5, 6));

    // With the capture, the child gets the parent's mouse messages in its
    // own coordinates, negative ones included.
    EXPECT_EQ(SetCapture(child), nullptr);
    EXPECT_EQ(GetCapture(), child);
    Mouse(parent, QEvent::MouseMove, {10, 20}, Qt::NoButton, Qt::NoButton);
    taken = TakeInput();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].hwnd, child);
    EXPECT_EQ(GET_X_LPARAM(taken[0].lParam), -40);
    EXPECT_EQ(GET_Y_LPARAM(taken[0].lParam), -40);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Input, FocusAndActivationSendTheirMessages) {
    const HWND first = Make(WS_POPUP | WS_VISIBLE, {0, 0, 50, 50});
    const HWND second = Make(WS_POPUP, {0, 0, 50, 50});
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, second);
    EXPECT_EQ(GetForegroundWindow(), first);
    Log().clear();
    SetFocus(child);
    EXPECT_EQ(GetForegroundWindow(), second);
    EXPECT_EQ(GetFocus(), child);
    const std::vector<UINT> watched{WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_QUERYNEWPALETTE};
    EXPECT_EQ(MessagesOf(first, watched), (std::vector<UINT>{WM_ACTIVATE, WM_KILLFOCUS}));
    EXPECT_EQ(MessagesOf(second, watched),
              (std::vector<UINT>{WM_QUERYNEWPALETTE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS}));
    EXPECT_EQ(MessagesOf(child, watched), std::vector<UINT>{WM_SETFOCUS});

    DestroyWindow(child);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Input, CursorsAreTheSystemShapes) {
    const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    EXPECT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursor(nullptr, MAKEINTRESOURCE(9001)), nullptr);
    const HCURSOR wait = LoadCursor(nullptr, IDC_WAIT);
    const HCURSOR before = SetCursor(wait);
    EXPECT_EQ(SetCursor(arrow), wait);
    EXPECT_EQ(GetCursor(), arrow);
    // System cursors are shared: destroying one leaves it in use and loadable.
    EXPECT_TRUE(DestroyCursor(wait));
    EXPECT_TRUE(DestroyCursor(arrow));
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(LoadCursor(nullptr, IDC_WAIT), wait);
    EXPECT_EQ(SetCursor(wait), arrow);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(DestroyCursor(nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_CURSOR_HANDLE);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(DestroyCursor(reinterpret_cast<HCURSOR>(std::uintptr_t{9001})));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_CURSOR_HANDLE);
    SetCursor(before);
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
}
