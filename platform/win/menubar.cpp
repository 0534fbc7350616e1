// Menu bars of top-level windows, shown as a QMenuBar above the client area.
#include "platform/sys/lasterror.h"
#include "platform/win/menus.h"
#include "platform/win/menustore.h"
#include "platform/win/qtmenu.h"
#include "platform/win/qtwindow.h"
#include "platform/win/windowinternals.h"

#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace win {
namespace {

// Rebuilds the bar's pull-down menus and string items from the record.
void FillMenuBar(QMenuBar* bar, HMENU menu, HWND owner) {
    bar->clear();
    const internal::Menu* record = internal::LookUpMenu(menu);
    if (!record)
        return;
    for (std::size_t position = 0; position < record->items.size(); ++position) {
        const internal::MenuItem& item = record->items[position];
        if (item.IsSeparator())
            continue;
        const QString label = QString::fromLocal8Bit(item.text.c_str());
        if (!item.submenu) {
            QAction* action = bar->addAction(label);
            action->setData(QVariant::fromValue<qulonglong>(item.id));
            action->setEnabled(item.IsEnabled());
            continue;
        }
        QMenu* pullDown = bar->addMenu(label);
        pullDown->setEnabled(item.IsEnabled());
        const HMENU submenu = item.submenu;
        const LPARAM where = MAKELPARAM(static_cast<WORD>(position), FALSE);
        QObject::connect(pullDown, &QMenu::aboutToShow, pullDown,
                         [pullDown, submenu, owner, where] {
                             internal::CallProcedure(owner, WM_INITMENUPOPUP,
                                                     reinterpret_cast<WPARAM>(submenu), where);
                             internal::FillQtMenu(pullDown, submenu, owner);
                         });
        // Leaving the menu, as Win32 tells it: no item, flags 0xFFFF.
        QObject::connect(pullDown, &QMenu::aboutToHide, pullDown, [owner] {
            internal::CallProcedure(owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        });
    }
}

} // namespace

namespace internal {
void RebuildMenuBar(HWND window) {
    Window* record = LookUpWindow(window);
    if (!record || !record->widget)
        return;
    if (!record->menuBar) {
        record->menuBar = new QMenuBar(record->widget);
        QObject::connect(
            record->menuBar, &QMenuBar::triggered, record->menuBar, [window](QAction* action) {
                const UINT id = static_cast<UINT>(action->data().toULongLong());
                if (id != 0)
                    PostMessage(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
            });
    }
    FillMenuBar(record->menuBar, record->menu, window);
    record->menuBar->show();
}
} // namespace internal

BOOL SetMenu(HWND window, HMENU menu) {
    internal::Window* record = internal::LookUpWindow(window);
    if (!record || record->IsChild() || (menu && !internal::LookUpMenu(menu))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    record->menu = menu;
    const int oldBarHeight = record->menuBarHeight;
    if (menu) {
        internal::RebuildMenuBar(window);
        record->menuBarHeight = std::max(1, record->menuBar->sizeHint().height());
    } else {
        delete record->menuBar;
        record->menuBar = nullptr;
        record->menuBarHeight = 0;
    }
    // The window keeps its size; the client area gives the bar its room.
    if (record->menuBarHeight != oldBarHeight)
        internal::ClientSizeChanged(window);
    else
        internal::ApplyPresentation(window);
    return TRUE;
}

HMENU GetMenu(HWND window) {
    const internal::Window* record = internal::LookUpWindow(window);
    return record ? record->menu : nullptr;
}

BOOL DrawMenuBar(HWND window) {
    const internal::Window* record = internal::LookUpWindow(window);
    if (!record || !record->menu)
        return FALSE;
    internal::RebuildMenuBar(window);
    return TRUE;
}

} // namespace win
