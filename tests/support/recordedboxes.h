// A prompt responder for tests that only meet message boxes: every box is
// kept and answered with its first button.
#pragma once

#include "platform/win/promptresponder.h"

#include <string>
#include <vector>

class RecordedBoxes : public win::PromptResponder {
public:
    RecordedBoxes() { win::SetPromptResponder(this); }
    ~RecordedBoxes() override { win::SetPromptResponder(nullptr); }
    RecordedBoxes(const RecordedBoxes&) = delete;
    RecordedBoxes& operator=(const RecordedBoxes&) = delete;

    int AnswerMessageBox(const win::MessageBoxPrompt& box) override {
        shown.push_back(box);
        return PromptResponder::AnswerMessageBox(box);
    }

    // Each box as "caption: text".
    std::vector<std::string> Captioned() const {
        std::vector<std::string> lines;
        for (const win::MessageBoxPrompt& box : shown)
            lines.push_back(box.caption + ": " + box.text);
        return lines;
    }

    std::vector<win::MessageBoxPrompt> shown;
};
