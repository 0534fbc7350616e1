#include "platform/dialogs/messagebox.h"

#include "platform/win/promptresponder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace win;

class ScriptedBoxes : public PromptResponder {
public:
    explicit ScriptedBoxes(std::vector<int> answers) : answers(std::move(answers)) {
        SetPromptResponder(this);
    }
    ~ScriptedBoxes() override { SetPromptResponder(nullptr); }

    int AnswerMessageBox(const MessageBoxPrompt& box) override {
        shown.push_back(box);
        const int answer = answers.at(next);
        ++next;
        return answer;
    }

    std::vector<MessageBoxPrompt> shown;

private:
    std::vector<int> answers;
    std::size_t next = 0;
};

TEST(MessageBox, ShowsTextCaptionAndTypeAndReturnsTheButtonPressed) {
    ScriptedBoxes boxes({IDOK, IDNO, IDCANCEL});
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(MessageBox(owner, "Unknown operating system.", "Binoxa Viewer Error", MB_OK), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Save?", "Viewer", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "Go on?", nullptr, MB_OKCANCEL), IDCANCEL);

    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].owner, owner);
    EXPECT_EQ(boxes.shown[0].text, "Unknown operating system.");
    EXPECT_EQ(boxes.shown[0].caption, "Binoxa Viewer Error");
    EXPECT_EQ(boxes.shown[1].type, MB_YESNO | MB_ICONQUESTION);
    // Without a caption the box says "Error", as Windows does.
    EXPECT_EQ(boxes.shown[2].caption, "Error");
}

TEST(MessageBox, AnAnswerTheBoxDoesNotOfferCountsAsClosingIt) {
    ScriptedBoxes boxes({IDYES, IDYES, IDOK, 99});
    EXPECT_EQ(MessageBox(nullptr, "a", "b", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "a", "b", MB_OK), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "a", "b", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "a", "b", MB_YESNOCANCEL), IDCANCEL);
}

TEST(MessageBox, TheDefaultResponderPressesTheFirstButton) {
    PromptResponder firstButton;
    SetPromptResponder(&firstButton);
    EXPECT_EQ(MessageBox(nullptr, nullptr, nullptr, MB_OK), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "", "", MB_OKCANCEL), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "", "", MB_YESNO), IDYES);
    SetPromptResponder(nullptr);
}

} // namespace
