// The control classes: their states, the messages they answer, the user's
// actions on them and the Qt widgets that show them.
#include "platform/dialogs/controlstate.h"

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/win/bitmapresources.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/windowtable.h"
#include "platform/win/windowwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <map>

namespace win::internal {
namespace {

const char* const kControlWidgetName = "control";

std::map<HWND, ControlState>& Controls() {
    static std::map<HWND, ControlState> controls;
    return controls;
}

ControlState* FindControl(HWND control) {
    const auto found = Controls().find(control);
    return found == Controls().end() ? nullptr : &found->second;
}

bool SameText(const std::string& a, const char* b) {
    return std::equal(a.begin(), a.end(), b, b + std::char_traits<char>::length(b),
                      [](char x, char y) {
                          return std::tolower(static_cast<unsigned char>(x)) ==
                                 std::tolower(static_cast<unsigned char>(y));
                      });
}

ControlKind KindOf(const char* className, DWORD style) {
    const std::string name = FoldedName(className);
    if (name == "static")
        return ControlKind::Static;
    if (name == "combobox")
        return ControlKind::ComboBox;
    if (name == "listbox")
        return ControlKind::ListBox;
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
        return ControlKind::CheckBox;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return ControlKind::RadioButton;
    case BS_GROUPBOX:
        return ControlKind::GroupBox;
    default:
        return ControlKind::PushButton;
    }
}

std::string TextOf(HWND control) {
    const Window* record = LookUpWindow(control);
    return record ? record->title : std::string();
}

QWidget* ShownWidget(HWND control) {
    QWidget* host = WindowWidget(control);
    return host ? host->findChild<QWidget*>(kControlWidgetName, Qt::FindDirectChildrenOnly)
                : nullptr;
}

// Shows the state in the Qt widget without the widget reporting it back.
void ShowState(HWND control) {
    const ControlState* state = FindControl(control);
    QWidget* widget = ShownWidget(control);
    if (!state || !widget)
        return;
    const QSignalBlocker quiet(widget);
    const QString text = QString::fromLocal8Bit(TextOf(control).c_str());
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
        button->setChecked(state->checked);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->clear();
        for (const std::string& item : state->items)
            combo->addItem(QString::fromLocal8Bit(item.c_str()));
        combo->setCurrentIndex(state->selection);
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        list->clear();
        for (const std::string& item : state->items)
            list->addItem(QString::fromLocal8Bit(item.c_str()));
        list->setCurrentRow(state->selection);
    }
    QPalette palette = widget->palette();
    const QColor colour(GetRValue(state->textColour), GetGValue(state->textColour),
                        GetBValue(state->textColour));
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

QWidget* MakeWidget(HWND control, const ControlState& state, DWORD style) {
    switch (state.kind) {
    case ControlKind::PushButton: {
        auto* button = new QPushButton;
        button->setDefault((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        QObject::connect(button, &QPushButton::clicked, button,
                         [control] { ClickControl(control, Delivery::Post); });
        return button;
    }
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
        QAbstractButton* button = state.kind == ControlKind::CheckBox
                                      ? static_cast<QAbstractButton*>(new QCheckBox)
                                      : new QRadioButton;
        button->setAutoExclusive(false);
        // The control's own state decides what is checked, not Qt's toggle.
        QObject::connect(button, &QAbstractButton::clicked, button, [control] {
            ClickControl(control, Delivery::Post);
            ShowState(control);
        });
        return button;
    }
    case ControlKind::GroupBox: {
        auto* group = new QGroupBox;
        group->setAttribute(Qt::WA_TransparentForMouseEvents);
        return group;
    }
    case ControlKind::Static: {
        auto* label = new QLabel;
        const DWORD alignment = style & (SS_CENTER | SS_RIGHT);
        label->setAlignment(alignment == SS_CENTER  ? Qt::AlignHCenter
                            : alignment == SS_RIGHT ? Qt::AlignRight
                                                    : Qt::AlignLeft);
        return label;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox;
        QObject::connect(combo, &QComboBox::activated, combo, [control](int index) {
            ChooseControlItem(control, index, false, Delivery::Post);
        });
        return combo;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget;
        QObject::connect(list, &QListWidget::currentRowChanged, list, [control](int row) {
            ChooseControlItem(control, row, false, Delivery::Post);
        });
        QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                         [control, list](QListWidgetItem* item) {
                             ChooseControlItem(control, list->row(item), true, Delivery::Post);
                         });
        return list;
    }
    }
    return nullptr;
}

// A picture draws its bitmap into its own framebuffer, which its window
// shows; the rest of it stays as erased.
void DrawPicture(HWND control, HDC dc) {
    const ControlState* state = FindControl(control);
    if (!state || !state->image)
        return;
    const HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ previous = SelectObject(memory, state->image);
    BITMAP size{};
    GetObject(state->image, sizeof size, &size);
    BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

// Shows the bitmap, taking its size as Win32's picture does; answers the one
// shown before (null when the control owned it, which is deleted).
HBITMAP SetPictureImage(HWND control, HBITMAP image, bool owned) {
    ControlState* state = FindControl(control);
    if (!state || !state->picture)
        return nullptr;
    HBITMAP previous = state->image;
    if (state->ownsImage && previous) {
        DeleteObject(previous);
        previous = nullptr;
    }
    state->image = image;
    state->ownsImage = owned && image;
    BITMAP size{};
    if (image && GetObject(image, sizeof size, &size))
        SetWindowPos(control, nullptr, 0, 0, size.bmWidth, size.bmHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const HDC dc = GetDC(control);
    DrawPicture(control, dc);
    ReleaseDC(control, dc);
    return previous;
}

void CreateControl(HWND control, const CREATESTRUCT& create) {
    ControlState state;
    const DWORD style = static_cast<DWORD>(create.style);
    state.kind = KindOf(create.lpszClass, style);
    const DWORD buttonType = style & BS_TYPEMASK;
    state.automatic = buttonType == BS_AUTOCHECKBOX || buttonType == BS_AUTORADIOBUTTON;
    state.picture = state.kind == ControlKind::Static && (style & SS_TYPEMASK) == SS_BITMAP;
    Controls()[control] = state;
    if (state.picture) {
        // No Qt widget: the window shows the pixels the picture draws.
        const std::string name = create.lpszName ? create.lpszName : "";
        if (name.size() > 1 && name[0] == '#')
            SetPictureImage(control, LoadBitmap(create.hInstance, name.c_str()), true);
        return;
    }
    QWidget* host = WindowWidget(control);
    QWidget* widget = MakeWidget(control, state, style);
    widget->setObjectName(kControlWidgetName);
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget);
    host->setEnabled(!(style & WS_DISABLED));
    // SetWindowText names the window; the widget shows the new text.
    QObject::connect(host, &QWidget::windowTitleChanged, host, [control] { ShowState(control); });
    ShowState(control);
}

void Notify(HWND control, WORD code, Delivery delivery) {
    const HWND parent = GetParent(control);
    const WPARAM wParam = MAKEWPARAM(static_cast<WORD>(GetWindowLongPtr(control, GWLP_ID)), code);
    const LPARAM lParam = reinterpret_cast<LPARAM>(control);
    if (delivery == Delivery::Send)
        SendMessage(parent, WM_COMMAND, wParam, lParam);
    else
        PostMessage(parent, WM_COMMAND, wParam, lParam);
}

// The siblings of a radio button's group, which runs from the last sibling
// with WS_GROUP up to the next one.
std::vector<HWND> GroupOf(HWND control) {
    const Window* parent = LookUpWindow(GetParent(control));
    if (!parent)
        return {control};
    const std::vector<HWND>& siblings = parent->children;
    const auto self = std::find(siblings.begin(), siblings.end(), control);
    const auto startsGroup = [](HWND sibling) {
        return (GetWindowLong(sibling, GWL_STYLE) & WS_GROUP) != 0;
    };
    auto first = self;
    while (first != siblings.begin() && !startsGroup(*first))
        --first;
    auto last = self + 1;
    while (last != siblings.end() && !startsGroup(*last))
        ++last;
    return {first, last};
}

void SetChecked(HWND control, bool checked) {
    if (ControlState* state = FindControl(control)) {
        state->checked = checked;
        ShowState(control);
    }
}

void SetSelection(HWND control, int index) {
    ControlState* state = FindControl(control);
    if (!state)
        return;
    const bool valid = index >= 0 && index < static_cast<int>(state->items.size());
    state->selection = valid ? index : -1;
    if (state->kind == ControlKind::ComboBox)
        SetWindowText(control, valid ? state->items[static_cast<std::size_t>(index)].c_str() : "");
    ShowState(control);
}

bool CanAct(HWND control) {
    return IsWindowVisible(control) && IsWindowEnabled(control);
}

enum class ListOp { Add, Reset, SetSelection, GetSelection, Count, FindExact, None };

ListOp ListOpOf(ControlKind kind, UINT message) {
    struct Pair {
        UINT combo;
        UINT list;
        ListOp op;
    };
    static const Pair pairs[] = {
        {CB_ADDSTRING, LB_ADDSTRING, ListOp::Add},
        {CB_RESETCONTENT, LB_RESETCONTENT, ListOp::Reset},
        {CB_SETCURSEL, LB_SETCURSEL, ListOp::SetSelection},
        {CB_GETCURSEL, LB_GETCURSEL, ListOp::GetSelection},
        {CB_GETCOUNT, LB_GETCOUNT, ListOp::Count},
        {CB_FINDSTRINGEXACT, LB_FINDSTRINGEXACT, ListOp::FindExact},
    };
    for (const Pair& pair : pairs) {
        if ((kind == ControlKind::ComboBox && message == pair.combo) ||
            (kind == ControlKind::ListBox && message == pair.list))
            return pair.op;
    }
    return ListOp::None;
}

// CB_ERR and LB_ERR are the same value, so one answer serves both.
LRESULT ListMessage(HWND control, ControlState& state, ListOp op, WPARAM wParam, LPARAM lParam) {
    const auto count = static_cast<int>(state.items.size());
    const char* text = reinterpret_cast<const char*>(lParam);
    switch (op) {
    case ListOp::Add:
        if (!text)
            return CB_ERR;
        state.items.emplace_back(text);
        ShowState(control);
        return count;
    case ListOp::Reset:
        state.items.clear();
        SetSelection(control, -1);
        return 0;
    case ListOp::SetSelection: {
        const int index = static_cast<int>(wParam);
        SetSelection(control, index);
        return index >= 0 && index < count ? index : CB_ERR;
    }
    case ListOp::GetSelection:
        return state.selection >= 0 ? state.selection : CB_ERR;
    case ListOp::Count:
        return count;
    case ListOp::FindExact: {
        if (!text || count == 0)
            return CB_ERR;
        // The search starts after the given item and wraps round.
        const int after = static_cast<int>(wParam);
        const int start = after >= 0 && after < count ? after + 1 : 0;
        for (int step = 0; step < count; ++step) {
            const int index = (start + step) % count;
            if (SameText(state.items[static_cast<std::size_t>(index)], text))
                return index;
        }
        return CB_ERR;
    }
    case ListOp::None:
        break;
    }
    return 0;
}

LRESULT ControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        CreateControl(control, *reinterpret_cast<const CREATESTRUCT*>(lParam));
        return 0;
    }
    if (message == WM_NCDESTROY) {
        if (const ControlState* state = FindControl(control); state && state->ownsImage)
            DeleteObject(state->image);
        Controls().erase(control);
        return 0;
    }
    ControlState* state = FindControl(control);
    if (!state)
        return DefWindowProc(control, message, wParam, lParam);
    if (state->picture) {
        switch (message) {
        case STM_SETIMAGE:
            return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(SetPictureImage(
                                                control, reinterpret_cast<HBITMAP>(lParam), false))
                                          : 0;
        case STM_GETIMAGE:
            return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(state->image) : 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(control, &paint);
            DrawPicture(control, dc);
            EndPaint(control, &paint);
            return 0;
        }
        default:
            break;
        }
    }
    const bool checkable =
        state->kind == ControlKind::CheckBox || state->kind == ControlKind::RadioButton;
    switch (message) {
    case BM_GETCHECK:
        return checkable && state->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        if (checkable)
            SetChecked(control, wParam == BST_CHECKED);
        return 0;
    case BM_CLICK:
        ClickControl(control, Delivery::Send);
        return 0;
    default:
        break;
    }
    if (const ListOp op = ListOpOf(state->kind, message); op != ListOp::None)
        return ListMessage(control, *state, op, wParam, lParam);
    return DefWindowProc(control, message, wParam, lParam);
}

} // namespace

void EnsureControlClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    for (const char* name : {"BUTTON", "STATIC", "COMBOBOX", "LISTBOX"}) {
        WNDCLASS windowClass;
        windowClass.lpfnWndProc = ControlProcedure;
        windowClass.lpszClassName = name;
        // The dialog face, which the controls' texts are drawn over.
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
        RegisterClass(&windowClass);
    }
}

const ControlState* LookUpControl(HWND control) {
    return FindControl(control);
}

const char* ClassNameOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Static:
        return "STATIC";
    case ControlKind::ComboBox:
        return "COMBOBOX";
    case ControlKind::ListBox:
        return "LISTBOX";
    default:
        return "BUTTON";
    }
}

bool IsDefaultButton(HWND control) {
    const ControlState* state = FindControl(control);
    return state && state->kind == ControlKind::PushButton &&
           (GetWindowLong(control, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

bool ClickControl(HWND control, Delivery delivery) {
    ControlState* state = FindControl(control);
    if (!state || !CanAct(control))
        return false;
    switch (state->kind) {
    case ControlKind::CheckBox:
        if (state->automatic)
            SetChecked(control, !state->checked);
        break;
    case ControlKind::RadioButton:
        if (state->automatic) {
            for (HWND member : GroupOf(control)) {
                const ControlState* other = FindControl(member);
                if (other && other->kind == ControlKind::RadioButton)
                    SetChecked(member, member == control);
            }
        }
        break;
    case ControlKind::PushButton:
        break;
    default:
        return false;
    }
    Notify(control, BN_CLICKED, delivery);
    return true;
}

bool ChooseControlItem(HWND control, int index, bool doubleClick, Delivery delivery) {
    const ControlState* state = FindControl(control);
    if (!state || !CanAct(control) ||
        (state->kind != ControlKind::ComboBox && state->kind != ControlKind::ListBox) ||
        index < 0 || index >= static_cast<int>(state->items.size()))
        return false;
    SetSelection(control, index);
    if (state->kind == ControlKind::ComboBox) {
        Notify(control, CBN_SELCHANGE, delivery);
        return true;
    }
    if (GetWindowLong(control, GWL_STYLE) & LBS_NOTIFY) {
        Notify(control, LBN_SELCHANGE, delivery);
        if (doubleClick)
            Notify(control, LBN_DBLCLK, delivery);
    }
    return true;
}

void RefreshTextColours(HWND dialog) {
    const Window* record = LookUpWindow(dialog);
    if (!record)
        return;
    const std::vector<HWND> children = record->children;
    for (HWND child : children) {
        ControlState* state = FindControl(child);
        if (!state || state->kind == ControlKind::PushButton ||
            state->kind == ControlKind::ComboBox || state->kind == ControlKind::ListBox)
            continue;
        const HDC dc = GetDC(child);
        SendMessage(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                    reinterpret_cast<LPARAM>(child));
        // SetTextColor answers the colour the parent left on the context.
        const COLORREF colour = SetTextColor(dc, RGB(0, 0, 0));
        ReleaseDC(child, dc);
        if (ControlState* still = FindControl(child); still && colour != CLR_INVALID) {
            still->textColour = colour;
            ShowState(child);
        }
    }
}

} // namespace win::internal

namespace win {

BOOL EnableWindow(HWND window, BOOL enable) {
    const LONG style = GetWindowLong(window, GWL_STYLE);
    const BOOL wasDisabled = (style & WS_DISABLED) != 0 ? TRUE : FALSE;
    if (!IsWindow(window))
        return FALSE;
    SetWindowLong(window, GWL_STYLE,
                  enable ? (style & ~static_cast<LONG>(WS_DISABLED))
                         : (style | static_cast<LONG>(WS_DISABLED)));
    if (QWidget* widget = internal::WindowWidget(window))
        widget->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND window) {
    return IsWindow(window) && !(GetWindowLong(window, GWL_STYLE) & WS_DISABLED) ? TRUE : FALSE;
}

} // namespace win
