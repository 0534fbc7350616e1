#include "platform/win/qtmenu.h"

#include "platform/display/presenter.h"
#include "platform/gdi/gdiobjects.h"
#include "platform/win/menustore.h"
#include "platform/win/messages.h"
#include "platform/win/windowinternals.h"

#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QWidgetAction>

namespace win::internal {
namespace {

// A bitmap item without a live bitmap shows its id.
QString LabelOf(const MenuItem& item) {
    if (item.flags & MF_BITMAP)
        return QStringLiteral("#%1").arg(item.id);
    return QString::fromLocal8Bit(item.text.c_str());
}

// The item's picture, with a check mark drawn at its left when checked.
QPixmap PictureOf(const MenuItem& item) {
    const Bitmap* bitmap =
        item.flags & MF_BITMAP ? FindBitmap(reinterpret_cast<HGDIOBJ>(item.bitmap)) : nullptr;
    if (!bitmap)
        return QPixmap();
    QImage image = PresentedImage(bitmap->pixels);
    if (image.isNull())
        return QPixmap();
    if (item.flags & MF_CHECKED) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 2));
        const int middle = image.height() / 2;
        painter.drawLine(4, middle, 8, middle + 4);
        painter.drawLine(8, middle + 4, 15, middle - 4);
    }
    return QPixmap::fromImage(image);
}

// Qt's menus draw icons small and square: a bitmap item is a label of its
// own, which passes the pointer's events on to the menu that holds it.
QAction* AddPictureAction(QMenu* target, const QPixmap& picture) {
    auto* action = new QWidgetAction(target);
    auto* label = new QLabel;
    label->setPixmap(picture);
    label->setStyleSheet(QStringLiteral("QLabel { border: 1px solid transparent; }"
                                        "QLabel:hover { border: 1px solid palette(highlight); }"));
    label->setAttribute(Qt::WA_Hover);
    action->setDefaultWidget(label);
    target->addAction(action);
    return action;
}

} // namespace

void FillQtMenu(QMenu* target, HMENU menu, HWND owner) {
    target->clear();
    const Menu* record = LookUpMenu(menu);
    if (!record)
        return;
    for (std::size_t position = 0; position < record->items.size(); ++position) {
        const MenuItem& item = record->items[position];
        if (item.IsSeparator()) {
            target->addSeparator();
            continue;
        }
        QAction* action = nullptr;
        const QPixmap picture = PictureOf(item);
        if (item.submenu) {
            auto* submenu = new QMenu(LabelOf(item), target);
            if (picture.isNull()) {
                target->addMenu(submenu);
                action = submenu->menuAction();
            } else {
                action = AddPictureAction(target, picture);
                action->setMenu(submenu);
            }
            const HMENU submenuHandle = item.submenu;
            const LPARAM where = MAKELPARAM(static_cast<WORD>(position), FALSE);
            QObject::connect(submenu, &QMenu::aboutToShow, submenu,
                             [submenu, submenuHandle, owner, where] {
                                 CallProcedure(owner, WM_INITMENUPOPUP,
                                               reinterpret_cast<WPARAM>(submenuHandle), where);
                                 FillQtMenu(submenu, submenuHandle, owner);
                             });
        } else {
            action = picture.isNull() ? target->addAction(LabelOf(item))
                                      : AddPictureAction(target, picture);
            action->setData(QVariant::fromValue<qulonglong>(item.id));
        }
        action->setEnabled(item.IsEnabled());
        action->setCheckable((item.flags & MF_CHECKED) != 0);
        action->setChecked((item.flags & MF_CHECKED) != 0);
        const UINT itemId = static_cast<UINT>(item.id);
        const UINT itemFlags = item.flags & 0xFFFF;
        QObject::connect(action, &QAction::hovered, target, [owner, menu, itemId, itemFlags] {
            CallProcedure(owner, WM_MENUSELECT,
                          MAKEWPARAM(static_cast<WORD>(itemId), static_cast<WORD>(itemFlags)),
                          reinterpret_cast<LPARAM>(menu));
        });
    }
}

} // namespace win::internal
