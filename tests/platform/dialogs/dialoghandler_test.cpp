#include "platform/dialogs/dialoghandler.h"

#include "platform/dialogs/messagebox.h"
#include "platform/gdi/text.h"
#include "platform/win/messages.h"
#include "scriptedprompts.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace win;
using dialogtest::ScriptedPrompts;

constexpr int kSmall = 1220;
constexpr int kMiddle = 1221;
constexpr int kAdaptive = 1225;
constexpr int kMore = 3200;
constexpr int kGreyed = 10000;

DialogItemTemplate Item(const char* text, DWORD style, int id) {
    DialogItemTemplate item;
    item.text = text;
    item.style = WS_VISIBLE | style;
    item.id = id;
    item.cx = 100;
    item.cy = 20;
    return item;
}

DialogTemplate PacketSize() {
    DialogTemplate dialog;
    dialog.caption = "Binoxa Packet Size";
    dialog.cx = 200;
    dialog.cy = 200;
    dialog.items = {Item("1024 bytes", BS_AUTORADIOBUTTON | WS_GROUP, kSmall),
                    Item("2048 bytes", BS_AUTORADIOBUTTON, kMiddle),
                    Item("Adaptive", BS_AUTORADIOBUTTON, kAdaptive),
                    Item("More...", BS_PUSHBUTTON | WS_GROUP, kMore),
                    Item("OK", BS_DEFPUSHBUTTON, IDOK),
                    Item("Cancel", BS_PUSHBUTTON, IDCANCEL)};
    return dialog;
}

// A small dialog with one check box drawn grey, opened from "More...".
class MoreDialog : public DialogHandler {
public:
    explicit MoreDialog(HWND parent) : DialogHandler(Template(), parent) {}

protected:
    BOOL OnInitDialog() override {
        CreateWindowEx(0, "BUTTON", "640x480x8", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 0, 0, 80,
                       20, Handle(), reinterpret_cast<HMENU>(kGreyed), nullptr, nullptr);
        CheckDlgButton(Handle(), kGreyed, BST_CHECKED);
        return TRUE;
    }
    HBRUSH OnCtlColor(HDC dc, HWND control) override {
        const HBRUSH brush = DialogHandler::OnCtlColor(dc, control);
        if (control == Item(kGreyed))
            SetTextColor(dc, RGB(100, 100, 100));
        return brush;
    }

private:
    static DialogTemplate Template() {
        DialogTemplate dialog;
        dialog.caption = "Available modes";
        dialog.items = {::Item("OK", BS_DEFPUSHBUTTON, IDOK)};
        return dialog;
    }
};

class PacketSizeDialog : public DialogHandler {
public:
    explicit PacketSizeDialog(int* size) : DialogHandler(PacketSize(), nullptr), size(size) {}
    int moreResult = 0;
    HWND opened = nullptr;

protected:
    BOOL OnInitDialog() override {
        opened = Handle();
        if (!size)
            throw std::runtime_error("no initial packet size given!");
        CheckRadioButton(Handle(), kSmall, kAdaptive, *size < 2048 ? kSmall : kMiddle);
        return TRUE;
    }
    void OnOK() override {
        if (IsDlgButtonChecked(Handle(), kAdaptive)) {
            MessageBox(Handle(), "Adaptive is not offered here.", "Binoxa", MB_OK);
            return; // stays open
        }
        *size = IsDlgButtonChecked(Handle(), kSmall) ? 1024 : 2048;
        DialogHandler::OnOK();
    }
    bool OnCommand(int id, WORD code, HWND) override {
        if (id != kMore || code != BN_CLICKED)
            return false;
        MoreDialog more(Handle());
        moreResult = static_cast<int>(more.DoModal());
        return true;
    }

private:
    int* size;
};

TEST(DialogHandler, RunsInitOkCommandsAndNestedDialogsAsTheUserDrivesThem) {
    ScriptedPrompts prompts;
    prompts.dialogScripts.push_back([](DialogSession& dialog) {
        EXPECT_TRUE(dialog.Shown().Control(kMiddle)->checked);
        dialog.Click(kAdaptive);
        dialog.Click(IDOK); // refused with a message box
        EXPECT_FALSE(dialog.Ended());
        dialog.Click(kMore);
        dialog.Click(kSmall);
        dialog.Click(IDOK);
    });
    prompts.dialogScripts.push_back([](DialogSession& more) {
        const DialogPrompt shown = more.Shown();
        EXPECT_EQ(shown.caption, "Available modes");
        ASSERT_NE(shown.Control(kGreyed), nullptr);
        EXPECT_TRUE(shown.Control(kGreyed)->checked);
        EXPECT_EQ(shown.Control(kGreyed)->textColour, RGB(100, 100, 100));
        // The owner takes no input while its dialog runs.
        EXPECT_FALSE(IsWindowEnabled(shown.owner));
        more.Click(IDOK);
    });
    int size = 3000;
    PacketSizeDialog dialog(&size);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(size, 1024);
    EXPECT_EQ(dialog.moreResult, IDOK);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "Adaptive is not offered here.");
    ASSERT_EQ(prompts.dialogs.size(), 2u);
    EXPECT_EQ(prompts.dialogs[0].caption, "Binoxa Packet Size");
    EXPECT_EQ(dialog.Handle(), nullptr);
}

TEST(DialogHandler, CancelLeavesTheValueAndAThrowingHandlerLeavesNoWindowBehind) {
    ScriptedPrompts prompts;
    prompts.dialogScripts.push_back([](DialogSession& dialog) { dialog.Click(IDCANCEL); });
    int size = 16384;
    PacketSizeDialog cancelled(&size);
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(size, 16384);

    PacketSizeDialog broken(nullptr);
    EXPECT_THROW(broken.DoModal(), std::runtime_error);
    EXPECT_NE(broken.opened, nullptr);
    EXPECT_FALSE(IsWindow(broken.opened));
    EXPECT_EQ(broken.Handle(), nullptr);
    EXPECT_EQ(prompts.dialogs.size(), 1u); // the broken one never reached its script
}

} // namespace
