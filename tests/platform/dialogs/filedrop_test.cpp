#include "platform/dialogs/filedrop.h"

#include "platform/win/messages.h"
#include "platform/win/window.h"
#include "platform/win/windowwidget.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace win;

const char* DropClass() {
    static const char* name = [] {
        WNDCLASS windowClass;
        windowClass.lpfnWndProc = DefWindowProc;
        windowClass.lpszClassName = "DropTest";
        RegisterClass(&windowClass);
        return "DropTest";
    }();
    return name;
}

// Drops the files on the window's widget at a point of its client area, as
// the user's drag and drop ends.
bool DropOn(HWND window, const std::vector<QString>& files, QPoint at) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    QWidget* widget = internal::WindowWidget(window);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    return drop.isAccepted();
}

HDROP TakeDrop(HWND window) {
    MSG message;
    while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_DROPFILES) {
            EXPECT_EQ(message.hwnd, window);
            return reinterpret_cast<HDROP>(message.wParam);
        }
    }
    return nullptr;
}

class FileDropTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (frame)
            DestroyWindow(frame);
    }
    HWND frame = nullptr;
};

TEST_F(FileDropTest, ADropOnAnAcceptingWindowPostsTheFilesAndThePoint) {
    frame = CreateWindowEx(WS_EX_ACCEPTFILES, DropClass(), "Binoxa Viewer", WS_OVERLAPPEDWINDOW, 0,
                           0, 420, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(DropOn(frame, {"/pictures/one.pxr", "/pictures/two.jps"}, {30, 40}));
    const HDROP drop = TakeDrop(frame);
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFile(drop, 0, nullptr, 0), 17u);
    char name[260] = {};
    EXPECT_EQ(DragQueryFile(drop, 1, name, sizeof name), 17u);
    EXPECT_STREQ(name, "/pictures/two.jps");
    char shortName[5];
    EXPECT_EQ(DragQueryFile(drop, 0, shortName, sizeof shortName), 4u);
    EXPECT_STREQ(shortName, "/pic");
    EXPECT_EQ(DragQueryFile(drop, 2, name, sizeof name), 0u);
    EXPECT_EQ(DragQueryFile(drop, 0, name, 0), 0u);
    POINT point;
    EXPECT_TRUE(DragQueryPoint(drop, &point));
    EXPECT_EQ(point.x, 30);
    EXPECT_EQ(point.y, 40);
    DragFinish(drop);
    // A finished drop is gone.
    EXPECT_EQ(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 0u);
    EXPECT_FALSE(DragQueryPoint(drop, &point));
}

TEST_F(FileDropTest, AChildPassesTheDropToItsAcceptingParentAndOthersRefuseIt) {
    frame = CreateWindowEx(0, DropClass(), "frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                           nullptr, nullptr, nullptr);
    const HWND child = CreateWindowEx(0, DropClass(), "", WS_CHILD | WS_VISIBLE, 50, 20, 100, 100,
                                      frame, nullptr, nullptr, nullptr);
    EXPECT_FALSE(DropOn(child, {"/a.jps"}, {5, 5}));
    EXPECT_EQ(TakeDrop(frame), nullptr);

    DragAcceptFiles(frame, TRUE);
    EXPECT_NE(GetWindowLong(frame, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    ASSERT_TRUE(DropOn(child, {"/a.jps"}, {5, 6}));
    const HDROP drop = TakeDrop(frame);
    ASSERT_NE(drop, nullptr);
    POINT point;
    EXPECT_TRUE(DragQueryPoint(drop, &point));
    EXPECT_EQ(point.x, 55);
    EXPECT_EQ(point.y, 26);
    DragFinish(drop);

    DragAcceptFiles(frame, FALSE);
    EXPECT_FALSE(DropOn(frame, {"/a.jps"}, {5, 5}));
}

} // namespace
