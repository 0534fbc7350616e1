#include "platform/dialogs/messagebox.h"

#include "platform/win/promptresponder.h"
#include "scriptedprompts.h"

#include <gtest/gtest.h>

namespace {

using namespace win;

TEST(MessageBox, ShowsTextCaptionAndTypeAndReturnsTheButtonPressed) {
    dialogtest::ScriptedPrompts prompts;
    prompts.boxAnswers = {IDOK, IDNO, IDCANCEL};
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(MessageBox(owner, "Unknown operating system.", "Binoxa Viewer Error", MB_OK), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Save?", "Viewer", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "Go on?", nullptr, MB_OKCANCEL), IDCANCEL);

    ASSERT_EQ(prompts.boxes.size(), 3u);
    EXPECT_EQ(prompts.boxes[0].owner, owner);
    EXPECT_EQ(prompts.boxes[0].text, "Unknown operating system.");
    EXPECT_EQ(prompts.boxes[0].caption, "Binoxa Viewer Error");
    EXPECT_EQ(prompts.boxes[1].type, MB_YESNO | MB_ICONQUESTION);
    // Without a caption the box says "Error", as Windows does.
    EXPECT_EQ(prompts.boxes[2].caption, "Error");
}

TEST(MessageBox, AnAnswerTheBoxDoesNotOfferCountsAsClosingIt) {
    dialogtest::ScriptedPrompts prompts;
    prompts.boxAnswers = {IDYES, IDYES, IDOK, 99};
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
