#include "platform/dialogs/framewindow.h"

#include "platform/dialogs/dialog.h"
#include "platform/dialogs/filedrop.h"
#include "platform/dialogs/statusbar.h"
#include "platform/win/input.h"
#include "platform/win/menus.h"
#include "platform/win/windowwidget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace win;

constexpr UINT kOpen = 57601;
constexpr UINT kExit = 57665;
constexpr UINT kCustomize = 52900;

class Viewer : public FrameWindow {
public:
    std::vector<UINT> commands;
    std::vector<HMENU> opened;
    int droppedFiles = -1;
    bool failCreation = false;

protected:
    bool OnCreate() override { return !failCreation; }
    void OnCommand(UINT id) override { commands.push_back(id); }
    void OnInitMenuPopup(HMENU popup) override { opened.push_back(popup); }
    void OnDropFiles(HDROP drop) override {
        droppedFiles = static_cast<int>(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0));
        FrameWindow::OnDropFiles(drop);
    }
};

FrameResources ViewerResources(HMENU* view) {
    FrameResources resources;
    resources.title = "Binoxa Viewer";
    const HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, kOpen, "&Open...\tCtrl+O");
    AppendMenu(file, MF_SEPARATOR, 0, nullptr);
    AppendMenu(file, MF_STRING, kExit, "E&xit");
    *view = CreatePopupMenu();
    AppendMenu(*view, MF_STRING, FrameWindow::kStatusBarId, "&Status Bar");
    resources.menu = CreateMenu();
    AppendMenu(resources.menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenu(resources.menu, MF_POPUP, reinterpret_cast<UINT_PTR>(*view), "&View");
    resources.accelerators = {{FVIRTKEY | FCONTROL, 'O', kOpen}};
    resources.prompts = {{kOpen, "Open an existing image\nOpen"},
                         {kExit, "Exit Binoxa Viewer\nExit"},
                         {kCustomize, "Customize the Display modes/methods that are used with "
                                      "Binoxa Viewer."}};
    return resources;
}

std::string TextOf(HWND window) {
    char text[256];
    GetWindowText(window, text, sizeof text);
    return text;
}

// Dispatches everything queued, as the frame's own loop would, and forgets
// the quit a destroyed frame leaves.
void Pump(FrameWindow& frame) {
    MSG message;
    while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message != WM_QUIT)
            frame.Dispatch(message);
}

class FrameWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(viewer.Create(ViewerResources(&view), WS_OVERLAPPEDWINDOW, WS_EX_ACCEPTFILES,
                                  420, 200));
    }
    void TearDown() override {
        DestroyWindow(viewer.Handle());
        Pump(viewer);
    }

    void Press(int key, Qt::KeyboardModifiers modifiers) {
        QWidget* widget = internal::WindowWidget(viewer.Handle());
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(widget, &release);
        Pump(viewer);
    }

    HMENU view = nullptr;
    Viewer viewer;
};

TEST_F(FrameWindowTest, TheStatusBarShowsTheHighlightedCommandsPromptOrTheIdleText) {
    const HWND bar = viewer.StatusBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetDlgItem(viewer.Handle(), FrameWindow::kStatusBarId), bar);
    EXPECT_EQ(TextOf(bar), "Ready");
    EXPECT_EQ(TextOf(viewer.Handle()), "Binoxa Viewer");
    const HWND frame = viewer.Handle();
    const LPARAM menu = reinterpret_cast<LPARAM>(GetMenu(frame));

    SendMessage(frame, WM_MENUSELECT, MAKEWPARAM(kOpen, MF_STRING), menu);
    EXPECT_EQ(TextOf(bar), "Open an existing image");
    SendMessage(frame, WM_MENUSELECT, MAKEWPARAM(kCustomize, MF_STRING), menu);
    EXPECT_EQ(TextOf(bar), "Customize the Display modes/methods that are used with Binoxa Viewer.");
    SendMessage(frame, WM_MENUSELECT, MAKEWPARAM(1, MF_POPUP), menu);
    EXPECT_EQ(TextOf(bar), "");
    SendMessage(frame, WM_MENUSELECT, MAKEWPARAM(kExit, MF_STRING), menu);
    EXPECT_EQ(TextOf(bar), "Exit Binoxa Viewer");
    SendMessage(frame, WM_MENUSELECT, MAKEWPARAM(32807, MF_STRING), menu);
    EXPECT_EQ(TextOf(bar), "");
    SendMessage(frame, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(TextOf(bar), "Ready");
}

TEST_F(FrameWindowTest, TheStatusBarLiesAlongTheBottomAndItsCommandShowsAndHidesIt) {
    const HWND bar = viewer.StatusBar();
    RECT client;
    GetClientRect(viewer.Handle(), &client);
    RECT barRect;
    GetWindowRect(bar, &barRect);
    POINT topLeft{barRect.left, barRect.top};
    ScreenToClient(viewer.Handle(), &topLeft);
    EXPECT_EQ(topLeft.x, 0);
    EXPECT_EQ(topLeft.y, client.bottom - kStatusBarHeight);
    EXPECT_EQ(barRect.right - barRect.left, client.right);

    SetWindowPos(viewer.Handle(), nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(viewer.Handle(), &client);
    GetWindowRect(bar, &barRect);
    topLeft = {barRect.left, barRect.top};
    ScreenToClient(viewer.Handle(), &topLeft);
    EXPECT_EQ(topLeft.y, client.bottom - kStatusBarHeight);
    EXPECT_EQ(barRect.right - barRect.left, 500);

    SendMessage(viewer.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 1);
    EXPECT_EQ(GetMenuState(view, FrameWindow::kStatusBarId, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    SendMessage(viewer.Handle(), WM_COMMAND, FrameWindow::kStatusBarId, 0);
    EXPECT_EQ(GetWindowLong(bar, GWL_STYLE) & WS_VISIBLE, 0);
    SendMessage(viewer.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 1);
    EXPECT_EQ(GetMenuState(view, FrameWindow::kStatusBarId, MF_BYCOMMAND) & MF_CHECKED, 0u);
    SendMessage(viewer.Handle(), WM_COMMAND, FrameWindow::kStatusBarId, 0);
    EXPECT_NE(GetWindowLong(bar, GWL_STYLE) & WS_VISIBLE, 0);
    // The status bar's command is the frame's own; the others reach the handlers.
    EXPECT_TRUE(viewer.commands.empty());
    EXPECT_EQ(viewer.opened, (std::vector<HMENU>{view, view}));
}

TEST_F(FrameWindowTest, CtrlOIsTheOpenCommandAndOKeysAloneAreKeys) {
    Press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(viewer.commands, (std::vector<UINT>{kOpen}));
    Press(Qt::Key_O, Qt::NoModifier);
    Press(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(viewer.commands.size(), 1u);

    // A character entry matches WM_CHAR.
    const ACCEL entry{0, 'x', kExit};
    const HACCEL table = CreateAcceleratorTable(&entry, 1);
    MSG character;
    character.hwnd = viewer.Handle();
    character.message = WM_CHAR;
    character.wParam = 'x';
    EXPECT_TRUE(TranslateAccelerator(viewer.Handle(), table, &character));
    character.wParam = 'X';
    EXPECT_FALSE(TranslateAccelerator(viewer.Handle(), table, &character));
    EXPECT_TRUE(DestroyAcceleratorTable(table));
    EXPECT_FALSE(DestroyAcceleratorTable(table));
    EXPECT_FALSE(TranslateAccelerator(viewer.Handle(), table, &character));
    EXPECT_EQ(viewer.commands, (std::vector<UINT>{kOpen, kExit}));
}

TEST_F(FrameWindowTest, DroppedFilesReachTheHandler) {
    ASSERT_NE(GetWindowLong(viewer.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    QWidget* widget = internal::WindowWidget(viewer.Handle());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/a.pxr"), QUrl::fromLocalFile("/b.jps")});
    QDragEnterEvent enter(QPoint(10, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    QDropEvent drop(QPointF(10, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    Pump(viewer);
    EXPECT_EQ(viewer.droppedFiles, 2);
}

TEST(FrameWindow, FailingCreationLeavesNoWindow) {
    HMENU view = nullptr;
    Viewer viewer;
    viewer.failCreation = true;
    EXPECT_FALSE(viewer.Create(ViewerResources(&view), WS_OVERLAPPEDWINDOW, 0, 420, 200));
    EXPECT_EQ(viewer.Handle(), nullptr);
    EXPECT_EQ(viewer.StatusBar(), nullptr);
    Pump(viewer);
}

} // namespace
