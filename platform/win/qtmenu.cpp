#include "platform/win/qtmenu.h"

#include "platform/win/menustore.h"
#include "platform/win/messages.h"
#include "platform/win/windowinternals.h"

#include <QMenu>

namespace win::internal {
namespace {

// Menus here carry no pictures of their own: a bitmap item shows its id.
QString LabelOf(const MenuItem& item) {
    if (item.flags & MF_BITMAP)
        return QStringLiteral("#%1").arg(item.id);
    return QString::fromLocal8Bit(item.text.c_str());
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
        if (item.submenu) {
            QMenu* submenu = target->addMenu(LabelOf(item));
            action = submenu->menuAction();
            const HMENU submenuHandle = item.submenu;
            const LPARAM where = MAKELPARAM(static_cast<WORD>(position), FALSE);
            QObject::connect(submenu, &QMenu::aboutToShow, submenu,
                             [submenu, submenuHandle, owner, where] {
                                 CallProcedure(owner, WM_INITMENUPOPUP,
                                               reinterpret_cast<WPARAM>(submenuHandle), where);
                                 FillQtMenu(submenu, submenuHandle, owner);
                             });
        } else {
            action = target->addAction(LabelOf(item));
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
