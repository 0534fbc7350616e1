// A prompt responder for the dialog tests: each popup menu, dialog, message
// box and file dialog is answered by the next entry of its script, and what
// was shown is kept.
#pragma once

#include "platform/win/promptresponder.h"

#include <deque>
#include <functional>
#include <vector>

namespace dialogtest {

class ScriptedPrompts : public win::PromptResponder {
public:
    using DialogScript = std::function<void(win::DialogSession&)>;

    ScriptedPrompts() { win::SetPromptResponder(this); }
    ~ScriptedPrompts() override { win::SetPromptResponder(nullptr); }
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    // Each dialog's state when its script starts.
    std::vector<win::DialogPrompt> dialogs;
    std::deque<DialogScript> dialogScripts;

    std::vector<win::MessageBoxPrompt> boxes;
    std::deque<int> boxAnswers;

    std::vector<win::FileDialogPrompt> fileDialogs;
    std::deque<win::FileDialogAnswer> fileAnswers;

    std::vector<win::MenuPrompt> menus;
    std::deque<win::UINT> menuChoices; // 0 dismisses the menu

    win::UINT ChooseMenuItem(const win::MenuPrompt& menu) override {
        menus.push_back(menu);
        if (menuChoices.empty())
            return 0;
        const win::UINT choice = menuChoices.front();
        menuChoices.pop_front();
        return choice;
    }

    void DriveDialog(win::DialogSession& dialog) override {
        dialogs.push_back(dialog.Shown());
        if (dialogScripts.empty())
            return;
        const DialogScript script = dialogScripts.front();
        dialogScripts.pop_front();
        script(dialog);
    }

    int AnswerMessageBox(const win::MessageBoxPrompt& box) override {
        boxes.push_back(box);
        if (boxAnswers.empty())
            return win::PromptResponder::AnswerMessageBox(box);
        const int answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }

    win::FileDialogAnswer AnswerFileDialog(const win::FileDialogPrompt& dialog) override {
        fileDialogs.push_back(dialog);
        if (fileAnswers.empty())
            return {};
        const win::FileDialogAnswer answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

} // namespace dialogtest
