#include "wintestsupport.h"

#include "platform/display/adapter.h"
#include "platform/sys/lasterror.h"
#include "platform/win/input.h"
#include "platform/win/windowframebuffer.h"
#include "platform/win/windowwidget.h"

#include <QWidget>

#include <cstring>

using namespace win;
using wintest::Log;
using wintest::MessagesOf;

namespace {

class Windows : public wintest::WindowsTest {};

HWND createdWindow = nullptr;
CREATESTRUCT seenCreate;
LRESULT createAnswer = 0;

LRESULT CreateWatcher(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        createdWindow = window;
        seenCreate = *reinterpret_cast<const CREATESTRUCT*>(lParam);
        return createAnswer;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

// A subclass that answers WM_USER itself and passes the rest on.
WNDPROC previousProcedure = nullptr;
LRESULT Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER)
        return 77;
    return CallWindowProc(previousProcedure, window, message, wParam + 1, lParam);
}

} // namespace

TEST_F(Windows, ClassesRegisterOnceAndCannotGoWhileInUse) {
    WNDCLASS windowClass;
    windowClass.lpfnWndProc = CreateWatcher;
    windowClass.lpszClassName = "CreateWatcher";
    EXPECT_NE(RegisterClass(&windowClass), 0);
    windowClass.lpszClassName = "createwatcher";
    EXPECT_EQ(RegisterClass(&windowClass), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    int parameter = 5;
    createAnswer = 0;
    const HWND window =
        CreateWindowEx(WS_EX_TOPMOST, "CREATEWATCHER", "Binoxa Viewer", WS_POPUP | WS_VISIBLE, 10,
                       20, 300, 200, nullptr, nullptr, nullptr, &parameter);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(createdWindow, window);
    EXPECT_EQ(seenCreate.lpCreateParams, &parameter);
    EXPECT_EQ(seenCreate.x, 10);
    EXPECT_EQ(seenCreate.cy, 200);
    EXPECT_EQ(seenCreate.dwExStyle, WS_EX_TOPMOST);
    EXPECT_STREQ(seenCreate.lpszName, "Binoxa Viewer");
    EXPECT_TRUE(IsWindowVisible(window));

    EXPECT_FALSE(UnregisterClass("CreateWatcher", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(DestroyWindow(window));

    // A window that refuses WM_CREATE is never handed out.
    createAnswer = -1;
    EXPECT_EQ(CreateWindowEx(0, "CreateWatcher", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr),
              nullptr);
    EXPECT_FALSE(IsWindow(createdWindow));
    EXPECT_TRUE(UnregisterClass("CreateWatcher", nullptr));
    EXPECT_EQ(CreateWindowEx(0, "CreateWatcher", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
}

TEST_F(Windows, CreationAndDestructionSendTheirMessagesInOrder) {
    const HWND parent = Make(WS_OVERLAPPEDWINDOW, {0, 0, 200, 100});
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {5, 5, 50, 50}, parent);
    EXPECT_EQ(MessagesOf(parent), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE}));
    EXPECT_EQ(GetParent(child), parent);
    Log().clear();

    DestroyWindow(parent);
    std::vector<std::pair<HWND, UINT>> order;
    for (const auto& received : Log())
        if (received.message == WM_DESTROY || received.message == WM_NCDESTROY)
            order.emplace_back(received.window, received.message);
    const std::vector<std::pair<HWND, UINT>> expected{
        {parent, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(IsWindow(child));
}

TEST_F(Windows, SubclassingCallsThroughToTheOldProcedure) {
    const HWND window = Make(WS_POPUP, {0, 0, 10, 10});
    previousProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
    EXPECT_EQ(previousProcedure, wintest::RecordingProcedure);
    EXPECT_EQ(GetWindowLongPtr(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(Subclass));

    Log().clear();
    EXPECT_EQ(SendMessage(window, WM_USER, 0, 0), 77);
    EXPECT_TRUE(Log().empty());
    SendMessage(window, WM_USER + 1, 10, 20);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].wParam, 11u);
    EXPECT_EQ(Log()[0].lParam, 20);

    // Restoring the old procedure ends the subclass.
    SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure));
    EXPECT_EQ(SendMessage(window, WM_USER, 0, 0), 0);
}

TEST_F(Windows, ExtraWordsUserDataAndProperties) {
    const HWND window = Make(WS_POPUP, {0, 0, 10, 10});
    int object = 0;
    EXPECT_EQ(GetWindowLongPtr(window, 0), 0);
    EXPECT_EQ(SetWindowLongPtr(window, 0, reinterpret_cast<LONG_PTR>(&object)), 0);
    EXPECT_EQ(GetWindowLongPtr(window, 0), reinterpret_cast<LONG_PTR>(&object));
    EXPECT_EQ(SetWindowLong(window, 12, 0x12345678), 0);
    EXPECT_EQ(GetWindowLong(window, 12), 0x12345678);
    EXPECT_EQ(GetWindowLong(window, 8), 0);
    // Words reaching past the 16 extra bytes are refused.
    EXPECT_EQ(SetWindowLong(window, 13, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(GetWindowLongPtr(window, 9), 0);
    EXPECT_EQ(GetWindowLong(window, -100), 0);

    SetWindowLongPtr(window, GWLP_USERDATA, 42);
    EXPECT_EQ(GetWindowLongPtr(window, GWLP_USERDATA), 42);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLong(window, GWL_STYLE)) & WS_POPUP, WS_POPUP);

    EXPECT_TRUE(SetProp(window, "instance->pdata", &object));
    EXPECT_EQ(GetProp(window, "INSTANCE->PDATA"), &object);
    EXPECT_EQ(RemoveProp(window, "instance->pdata"), &object);
    EXPECT_EQ(GetProp(window, "instance->pdata"), nullptr);
    EXPECT_EQ(RemoveProp(window, "instance->pdata"), nullptr);
}

TEST_F(Windows, ChildWindowsMeasureFromTheirParentsClientArea) {
    const HWND parent = Make(WS_POPUP | WS_VISIBLE, {100, 50, 500, 350});
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {20, 30, 220, 130}, parent);
    RECT rect;
    GetClientRect(child, &rect);
    EXPECT_EQ(rect.right, 200);
    EXPECT_EQ(rect.bottom, 100);
    GetWindowRect(child, &rect);
    EXPECT_EQ(rect.left, 120);
    EXPECT_EQ(rect.top, 80);
    EXPECT_EQ(rect.right, 320);
    EXPECT_EQ(rect.bottom, 180);
    POINT point{5, 6};
    ClientToScreen(child, &point);
    EXPECT_EQ(point.x, 125);
    EXPECT_EQ(point.y, 86);
    ScreenToClient(parent, &point);
    EXPECT_EQ(point.x, 25);
    EXPECT_EQ(point.y, 36);

    // A hidden parent hides its visible child.
    ShowWindow(parent, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_EQ(ShowWindow(parent, SW_SHOW), FALSE);
    EXPECT_TRUE(IsWindowVisible(child));

    Log().clear();
    MoveWindow(child, 0, 0, 40, 30, TRUE);
    ASSERT_EQ(MessagesOf(child, {WM_SIZE}).size(), 1u);
    EXPECT_EQ(Log().back().lParam, MAKELPARAM(40, 30));
    const Framebuffer* frame = internal::WindowFramebuffer(child);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->width, 40);
    EXPECT_EQ(frame->height, 30);
}

TEST_F(Windows, ATopMostWindowCoveringTheVirtualScreenIsShownFullScreen) {
    const DisplayMode mode = DisplayAdapter::Instance().Current();
    const HWND window = Make(WS_POPUP, {0, 0, 100, 100});
    EXPECT_EQ(internal::WindowFramebuffer(window)->bitsPerPixel, mode.bitsPerPixel);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, mode.width, mode.height, SWP_SHOWWINDOW);
    EXPECT_TRUE(static_cast<DWORD>(GetWindowLong(window, GWL_EXSTYLE)) & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_TRUE(internal::WindowWidget(window)->isFullScreen());
    EXPECT_EQ(internal::WindowFramebuffer(window)->width, mode.width);

    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(internal::WindowWidget(window)->isFullScreen());
    EXPECT_EQ(internal::WindowWidget(window)->size(), QSize(mode.width, mode.height));
}
