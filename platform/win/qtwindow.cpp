#include "platform/win/qtwindow.h"

#include "platform/display/adapter.h"
#include "platform/display/presenter.h"
#include "platform/win/droppedfiles.h"
#include "platform/win/input.h"
#include "platform/win/keytranslation.h"
#include "platform/win/paint.h"
#include "platform/win/shownframebuffer.h"
#include "platform/win/windowframebuffer.h"
#include "platform/win/windowinternals.h"
#include "platform/win/windowwidget.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace win::internal {
namespace {

bool CoversVirtualScreen(const Window& window) {
    if (window.IsChild() || !(window.exStyle & WS_EX_TOPMOST))
        return false;
    const DisplayMode mode = DisplayAdapter::Instance().Current();
    return window.rect.left == 0 && window.rect.top == 0 && window.rect.right == mode.width &&
           window.rect.bottom == mode.height;
}

Qt::WindowFlags TopLevelFlags(const Window& window) {
    Qt::WindowFlags flags = Qt::Window;
    if (!(window.style & WS_CAPTION))
        flags |= Qt::FramelessWindowHint;
    if (window.exStyle & WS_EX_TOPMOST)
        flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

KeyState KeysOf(Qt::KeyboardModifiers modifiers) {
    return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
            modifiers.testFlag(Qt::AltModifier)};
}

WPARAM MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    WPARAM flags = 0;
    if (buttons.testFlag(Qt::LeftButton))
        flags |= MK_LBUTTON;
    if (buttons.testFlag(Qt::RightButton))
        flags |= MK_RBUTTON;
    if (buttons.testFlag(Qt::MiddleButton))
        flags |= MK_MBUTTON;
    if (modifiers.testFlag(Qt::ShiftModifier))
        flags |= MK_SHIFT;
    if (modifiers.testFlag(Qt::ControlModifier))
        flags |= MK_CONTROL;
    return flags;
}

void ResizedByWindowManager(HWND window, QSize size) {
    Window* record = LookUpWindow(window);
    if (!record || record->destroying)
        return;
    const int height = size.height() + record->menuBarHeight;
    if (size.width() == record->ClientWidth() && height == record->rect.bottom - record->rect.top)
        return;
    record->rect.right = record->rect.left + size.width();
    record->rect.bottom = record->rect.top + height;
    ClientSizeChanged(window);
}

} // namespace

QtWindow::QtWindow(HWND window, QWidget* parent) : QWidget(parent), handle(window) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAcceptDrops(true); // taken only by windows that accept dropped files
}

QRect QtWindow::FrameRect() const {
    const Window* record = LookUpWindow(handle);
    if (!record)
        return {};
    const QSize frame(record->Shown().width, record->Shown().height);
    if (isFullScreen() && CoversVirtualScreen(*record))
        return PresentedRect(frame, size());
    return QRect(QPoint(0, record->menuBarHeight), frame);
}

POINT QtWindow::ClientPointOf(QPointF widgetPoint) const {
    const Window* record = LookUpWindow(handle);
    const QRect frame = FrameRect();
    if (!record || frame.isEmpty())
        return {};
    const double scaleX = static_cast<double>(record->framebuffer.width) / frame.width();
    const double scaleY = static_cast<double>(record->framebuffer.height) / frame.height();
    return {static_cast<LONG>((widgetPoint.x() - frame.left()) * scaleX),
            static_cast<LONG>((widgetPoint.y() - frame.top()) * scaleY)};
}

QPoint QtWindow::WidgetPointOf(POINT client) const {
    const Window* record = LookUpWindow(handle);
    const QRect frame = FrameRect();
    if (!record || record->framebuffer.width == 0 || record->framebuffer.height == 0)
        return frame.topLeft();
    return {frame.left() + client.x * frame.width() / record->framebuffer.width,
            frame.top() + client.y * frame.height() / record->framebuffer.height};
}

void QtWindow::paintEvent(QPaintEvent*) {
    const Window* record = LookUpWindow(handle);
    if (!record)
        return;
    QPainter painter(this);
    const QRect frame = FrameRect();
    if (frame != rect().adjusted(0, record->menuBarHeight, 0, 0))
        painter.fillRect(rect(), Qt::black);
    const QImage image = PresentedImage(record->Shown());
    if (!image.isNull())
        painter.drawImage(frame, image);
}

void QtWindow::QueueKey(QKeyEvent* event, bool keyUp) {
    const Window* record = LookUpWindow(handle);
    const WPARAM virtualKey =
        VirtualKeyOf(event->key(), event->modifiers().testFlag(Qt::KeypadModifier));
    if (!record || record->destroying || virtualKey == 0) {
        event->ignore();
        return;
    }
    // Keys go to the focus window when it lies in this top-level window.
    HWND target = GetFocus();
    if (!target || TopLevelOf(target) != TopLevelOf(handle))
        target = handle;
    const KeyState keys = KeysOf(event->modifiers());
    const bool system = keys.alt || virtualKey == VK_MENU;
    MSG message;
    message.hwnd = target;
    message.message =
        system ? (keyUp ? WM_SYSKEYUP : WM_SYSKEYDOWN) : (keyUp ? WM_KEYUP : WM_KEYDOWN);
    message.wParam = virtualKey;
    message.lParam = KeyMessageLParam(virtualKey, keyUp, event->isAutoRepeat(), keys.alt);
    message.time = MessageTime();
    message.pt = PointerPosition();
    EnqueueInput(message, keys);
    event->accept();
}

void QtWindow::QueueMouse(UINT messageNumber, QMouseEvent* event) {
    const Window* record = LookUpWindow(handle);
    if (!record || record->destroying)
        return;
    const POINT client = ClientPointOf(event->position());
    POINT screen = client;
    ClientToScreen(handle, &screen);
    SetPointerPosition(screen);
    NotePointerOver(handle);
    HWND target = GetCapture();
    POINT position = client;
    if (target && target != handle) {
        position = screen;
        ScreenToClient(target, &position);
    } else {
        target = handle;
    }
    MSG message;
    message.hwnd = target;
    message.message = messageNumber;
    message.wParam = MouseKeyFlags(event->buttons(), event->modifiers());
    message.lParam = MAKELPARAM(static_cast<WORD>(position.x), static_cast<WORD>(position.y));
    message.time = MessageTime();
    message.pt = screen;
    EnqueueInput(message, KeysOf(event->modifiers()));
    event->accept();
}

void QtWindow::keyPressEvent(QKeyEvent* event) {
    QueueKey(event, false);
}

void QtWindow::keyReleaseEvent(QKeyEvent* event) {
    QueueKey(event, true);
}

void QtWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        QueueMouse(WM_LBUTTONDOWN, event);
    else if (event->button() == Qt::RightButton)
        QueueMouse(WM_RBUTTONDOWN, event);
}

// The window classes here do not ask for double clicks, so Win32 reports
// the second click as a plain button press.
void QtWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void QtWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        QueueMouse(WM_LBUTTONUP, event);
    else if (event->button() == Qt::RightButton)
        QueueMouse(WM_RBUTTONUP, event);
}

void QtWindow::mouseMoveEvent(QMouseEvent* event) {
    QueueMouse(WM_MOUSEMOVE, event);
}

// Closing is the window procedure's decision (DefWindowProc destroys).
void QtWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (LookUpWindow(handle))
        PostMessage(handle, WM_CLOSE, 0, 0);
}

void QtWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const Window* record = LookUpWindow(handle);
    if (!record)
        return;
    if (record->menuBar)
        record->menuBar->setGeometry(0, 0, width(), record->menuBarHeight);
    if (applyingGeometry || record->IsChild() || isFullScreen())
        return;
    const HWND window = handle;
    const QSize client(width(), height() - record->menuBarHeight);
    Defer([window, client] { ResizedByWindowManager(window, client); });
}

void QtWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() ||
        GetForegroundWindow() == handle)
        return;
    const HWND window = handle;
    Defer([window] {
        if (LookUpWindow(window))
            SetForegroundWindow(window);
    });
}

void QtWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && DropTargetOf(handle))
        event->acceptProposedAction();
}

void QtWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toLocal8Bit().toStdString());
    if (files.empty() || !DropTargetOf(handle))
        return;
    FilesDropped(handle, files, ClientPointOf(event->position()));
    event->acceptProposedAction();
}

void Defer(std::function<void()> call) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
}

void ApplyPresentation(HWND window) {
    Window* record = LookUpWindow(window);
    if (!record || !record->widget)
        return;
    QtWindow* widget = record->widget;
    widget->applyingGeometry = true;
    const bool visible = (record->style & WS_VISIBLE) != 0;
    const QRect geometry(record->rect.left, record->rect.top,
                         record->rect.right - record->rect.left,
                         record->rect.bottom - record->rect.top);
    if (record->IsChild()) {
        const Window* parent = LookUpWindow(record->parent);
        widget->setGeometry(geometry.translated(0, parent ? parent->menuBarHeight : 0));
        widget->setVisible(visible);
    } else {
        const Qt::WindowFlags flags = TopLevelFlags(*record);
        if (widget->windowFlags() != flags)
            widget->setWindowFlags(flags); // hides the widget; shown again below
        if (!visible) {
            widget->hide();
        } else if (CoversVirtualScreen(*record)) {
            // Without a window manager the full-screen state alone keeps
            // the widget's default size, so cover the screen ourselves.
            widget->setGeometry(widget->screen()->geometry());
            widget->showFullScreen();
        } else {
            if (widget->isFullScreen())
                widget->showNormal();
            widget->setGeometry(geometry);
            widget->show();
        }
    }
    if (record->menuBar)
        record->menuBar->setGeometry(0, 0, widget->width(), record->menuBarHeight);
    widget->applyingGeometry = false;
    widget->update();
}

QPoint RealScreenPoint(HWND window, POINT screen) {
    const Window* record = LookUpWindow(TopLevelOf(window));
    if (!record || !record->widget || !record->widget->isFullScreen())
        return {screen.x, screen.y};
    POINT client = screen;
    ScreenToClient(record->handle, &client);
    return record->widget->mapToGlobal(record->widget->WidgetPointOf(client));
}

int CurrentDepth() {
    return DisplayAdapter::Instance().Current().bitsPerPixel;
}

void WatchDisplayMode() {
    static bool watching = false;
    if (watching)
        return;
    watching = true;
    DisplayAdapter::Instance().AddModeListener([] {
        for (HWND window : AllWindows()) {
            Window* record = LookUpWindow(window);
            record->framebuffer.Reset(record->ClientWidth(), record->ClientHeight(),
                                      CurrentDepth());
            InvalidateRect(window, nullptr, TRUE);
            ApplyPresentation(window);
        }
    });
}

Framebuffer* WindowFramebuffer(HWND window) {
    Window* record = LookUpWindow(window);
    return record ? &record->framebuffer : nullptr;
}

void FramebufferChanged(HWND window) {
    if (const Window* record = LookUpWindow(window); record && record->widget)
        record->widget->update();
}

void ShowFramebufferInstead(HWND window, const Framebuffer* frame) {
    Window* record = LookUpWindow(window);
    if (!record)
        return;
    record->shownInstead = frame;
    if (record->widget)
        record->widget->update();
}

const Framebuffer* ShownFramebuffer(HWND window) {
    const Window* record = LookUpWindow(window);
    return record ? &record->Shown() : nullptr;
}

QWidget* WindowWidget(HWND window) {
    const Window* record = LookUpWindow(window);
    return record ? record->widget : nullptr;
}

} // namespace win::internal
