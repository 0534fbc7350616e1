#include "platform/dialogs/messagebox.h"

#include "platform/win/application.h"
#include "platform/win/promptresponder.h"
#include "platform/win/windowwidget.h"

#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace win {
namespace {

struct Button {
    int id;
    QMessageBox::StandardButton standard;
};

std::vector<Button> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, QMessageBox::Ok}, {IDCANCEL, QMessageBox::Cancel}};
    case MB_YESNOCANCEL:
        return {
            {IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}, {IDCANCEL, QMessageBox::Cancel}};
    case MB_YESNO:
        return {{IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}};
    default:
        return {{IDOK, QMessageBox::Ok}};
    }
}

// What closing the box without pressing a button answers.
int ClosedAnswer(const std::vector<Button>& buttons) {
    for (const Button& button : buttons) {
        if (button.id == IDCANCEL) {
            return IDCANCEL;
        }
    }
    return buttons.back().id;
}

QMessageBox::Icon IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int ShowQtMessageBox(const MessageBoxPrompt& prompt, const std::vector<Button>& buttons) {
    internal::EnsureApplication();
    QMessageBox box(IconOf(prompt.type), QString::fromLocal8Bit(prompt.caption),
                    QString::fromLocal8Bit(prompt.text), QMessageBox::NoButton,
                    internal::WindowWidget(prompt.owner));
    for (const Button& button : buttons) {
        box.addButton(button.standard);
    }
    const std::size_t defaultIndex = (prompt.type & MB_DEFBUTTON2) != 0 ? 1 : 0;
    if (defaultIndex < buttons.size()) {
        box.setDefaultButton(buttons[defaultIndex].standard);
    }
    box.exec();
    const QAbstractButton* pressed = box.clickedButton();
    for (const Button& button : buttons) {
        if (pressed != nullptr && pressed == box.button(button.standard)) {
            return button.id;
        }
    }
    return ClosedAnswer(buttons);
}

} // namespace

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    MessageBoxPrompt prompt;
    prompt.owner = owner;
    prompt.text = text != nullptr ? text : "";
    prompt.caption = caption != nullptr ? caption : "Error";
    prompt.type = type;
    const std::vector<Button> buttons = ButtonsOf(type);
    PromptResponder* responder = internal::CurrentPromptResponder();
    if (responder == nullptr) {
        return ShowQtMessageBox(prompt, buttons);
    }
    const int answer = responder->AnswerMessageBox(prompt);
    for (const Button& button : buttons) {
        if (button.id == answer) {
            return answer;
        }
    }
    return ClosedAnswer(buttons);
}

} // namespace win
