// The Qt widget behind each window: shows the window's framebuffer and
// turns Qt input into queued Win32 messages.
#pragma once

#include "platform/win/wintypes.h"

#include <QWidget>

namespace win::internal {

class QtWindow : public QWidget {
public:
    QtWindow(HWND window, QWidget* parent);

    HWND Handle() const { return handle; }
    // Set while the windows layer itself moves or resizes the widget, so
    // that only changes made by the window manager come back as WM_SIZE.
    bool applyingGeometry = false;

    // Where a client position of this window lands in the widget.
    QPoint WidgetPointOf(POINT client) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void QueueKey(QKeyEvent* event, bool keyUp);
    void QueueMouse(UINT message, QMouseEvent* event);
    // The framebuffer's rectangle in the widget.
    QRect FrameRect() const;
    POINT ClientPointOf(QPointF widgetPoint) const;

    HWND handle;
};

// Where a screen position of the virtual screen lies on the real screen,
// seen from the given window.
QPoint RealScreenPoint(HWND window, POINT screen);

} // namespace win::internal
