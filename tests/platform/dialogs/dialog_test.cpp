#include "platform/dialogs/dialog.h"

#include "platform/dialogs/messagebox.h"
#include "platform/gdi/text.h"
#include "platform/win/messages.h"
#include "scriptedprompts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace win;
using dialogtest::ScriptedPrompts;

constexpr int kDirectDraw = 3502;
constexpr int kGdi = 3503;
constexpr int kDontCare = 3504;
constexpr int kCurrent = 3100;
constexpr int kFixed = 3101;
constexpr int kModes = 3104;
constexpr int kGeometric = 3103;
constexpr int kLowRes = 3501;
constexpr int kNames = 1216;
constexpr int kLabel = 1219;

DialogItemTemplate Item(const char* className, const char* text, DWORD style, int id, int y = 0) {
    DialogItemTemplate item;
    item.className = className;
    item.text = text;
    item.style = style;
    item.id = id;
    item.x = 10;
    item.y = y;
    item.cx = 120;
    item.cy = 20;
    return item;
}

DialogTemplate CustomizeDisplay() {
    DialogTemplate dialog;
    dialog.caption = "Customize Display";
    dialog.cx = 400;
    dialog.cy = 300;
    const DWORD radio = WS_VISIBLE | BS_AUTORADIOBUTTON;
    dialog.items = {
        Item("BUTTON", "Direct Draw", radio | WS_GROUP | WS_TABSTOP, kDirectDraw, 0),
        Item("BUTTON", "Standard Windows (GDI)", radio, kGdi, 20),
        Item("BUTTON", "Don't Care (Defaults to Direct Draw)", radio, kDontCare, 40),
        Item("BUTTON", "Use current display resolution", radio | WS_GROUP, kCurrent, 60),
        Item("BUTTON", "Always use this resolution:", radio, kFixed, 80),
        Item("BUTTON", "Use display resolution that is geometrically closest to image.",
             BS_AUTORADIOBUTTON | WS_DISABLED, kGeometric, 100),
        Item("COMBOBOX", "", WS_VISIBLE | CBS_DROPDOWNLIST | WS_GROUP, kModes, 120),
        Item("BUTTON", "Exclude low res (320x480 and lower) modes.", WS_VISIBLE | BS_AUTOCHECKBOX,
             kLowRes, 140),
        Item("LISTBOX", "", WS_VISIBLE | LBS_NOTIFY, kNames, 160),
        Item("STATIC", "chosen", WS_VISIBLE, kLabel, 200),
        Item("BUTTON", "OK", WS_VISIBLE | BS_DEFPUSHBUTTON, IDOK, 240),
        Item("BUTTON", "Cancel", WS_VISIBLE, IDCANCEL, 260),
    };
    return dialog;
}

// Records every WM_INITDIALOG and WM_COMMAND; OK and Cancel end the dialog.
struct Recorded {
    LPARAM initParam = 0;
    HWND dialog = nullptr;
    std::vector<std::pair<int, int>> commands; // id, notification code
    std::vector<HWND> commandControls;
    bool destroyed = false;
    COLORREF labelColour = RGB(0, 0, 0);
    bool colourLabel = false;
};

Recorded* recorded = nullptr;

INT_PTR RecordingDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        recorded->initParam = lParam;
        recorded->dialog = dialog;
        return TRUE;
    case WM_COMMAND:
        recorded->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        recorded->commandControls.push_back(reinterpret_cast<HWND>(lParam));
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (!recorded->colourLabel || reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, kLabel))
            return FALSE;
        SetTextColor(reinterpret_cast<HDC>(wParam), recorded->labelColour);
        return TRUE;
    case WM_DESTROY:
        recorded->destroyed = true;
        return TRUE;
    default:
        return FALSE;
    }
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { recorded = &record; }
    void TearDown() override { recorded = nullptr; }

    INT_PTR Run(const DialogTemplate& dialog, LPARAM param = 0) {
        return DialogBoxIndirectParam(nullptr, &dialog, nullptr, RecordingDialog, param);
    }

    Recorded record;
    ScriptedPrompts prompts;
};

TEST_F(DialogTest, BuildsTheControlsOfTheTemplateAndEndsWithTheResultGiven) {
    prompts.dialogScripts.push_back([](DialogSession& dialog) {
        const DialogPrompt shown = dialog.Shown();
        EXPECT_EQ(shown.caption, "Customize Display");
        ASSERT_EQ(shown.controls.size(), 12u);
        const DialogControlPrompt* gdi = shown.Control(kGdi);
        ASSERT_NE(gdi, nullptr);
        EXPECT_EQ(gdi->className, "BUTTON");
        EXPECT_EQ(gdi->text, "Standard Windows (GDI)");
        EXPECT_EQ(gdi->rect.left, 10);
        EXPECT_EQ(gdi->rect.top, 20);
        EXPECT_EQ(gdi->rect.right, 130);
        EXPECT_EQ(gdi->rect.bottom, 40);
        // Hidden and disabled as the template says.
        EXPECT_FALSE(shown.Control(kGeometric)->visible);
        EXPECT_FALSE(shown.Control(kGeometric)->enabled);
        EXPECT_TRUE(shown.Control(kGdi)->visible);
        EXPECT_EQ(shown.Control(kModes)->className, "COMBOBOX");
        EXPECT_FALSE(dialog.Click(kGeometric));
        EXPECT_TRUE(dialog.Click(IDOK));
        EXPECT_TRUE(dialog.Ended());
        EXPECT_FALSE(dialog.Click(IDCANCEL));
    });
    EXPECT_EQ(Run(CustomizeDisplay(), 77), IDOK);
    EXPECT_EQ(record.initParam, 77);
    EXPECT_TRUE(record.destroyed);
    EXPECT_FALSE(IsWindow(record.dialog));
    ASSERT_EQ(record.commands.size(), 1u);
    EXPECT_EQ(record.commands[0], std::make_pair(IDOK, static_cast<int>(BN_CLICKED)));
}

TEST_F(DialogTest, ClicksCheckAutomaticButtonsWithinTheirGroupAndNotifyTheDialog) {
    prompts.dialogScripts.push_back([this](DialogSession& dialog) {
        const HWND window = record.dialog;
        // Set by message: no notification.
        CheckRadioButton(window, kDirectDraw, kDontCare, kGdi);
        CheckDlgButton(window, kCurrent, BST_CHECKED);
        EXPECT_TRUE(record.commands.empty());
        EXPECT_EQ(IsDlgButtonChecked(window, kGdi), BST_CHECKED);

        EXPECT_TRUE(dialog.Click(kDontCare));
        EXPECT_TRUE(dialog.Click(kLowRes));
        const DialogPrompt shown = dialog.Shown();
        EXPECT_TRUE(shown.Control(kDontCare)->checked);
        EXPECT_FALSE(shown.Control(kGdi)->checked);
        EXPECT_FALSE(shown.Control(kDirectDraw)->checked);
        // The other group keeps its check.
        EXPECT_TRUE(shown.Control(kCurrent)->checked);
        EXPECT_TRUE(shown.Control(kLowRes)->checked);
        EXPECT_TRUE(dialog.Click(kLowRes));
        EXPECT_EQ(IsDlgButtonChecked(window, kLowRes), BST_UNCHECKED);
        EXPECT_TRUE(dialog.Click(kFixed));
        EXPECT_EQ(IsDlgButtonChecked(window, kCurrent), BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(window, kDontCare), BST_CHECKED);
        // A disabled control takes no click.
        EnableWindow(GetDlgItem(window, kGdi), FALSE);
        EXPECT_FALSE(dialog.Click(kGdi));
        dialog.Click(IDCANCEL);
    });
    EXPECT_EQ(Run(CustomizeDisplay()), IDCANCEL);
    const std::vector<std::pair<int, int>> expected = {{kDontCare, BN_CLICKED},
                                                       {kLowRes, BN_CLICKED},
                                                       {kLowRes, BN_CLICKED},
                                                       {kFixed, BN_CLICKED},
                                                       {IDCANCEL, BN_CLICKED}};
    EXPECT_EQ(record.commands, expected);
    EXPECT_NE(record.commandControls[0], nullptr);
}

TEST_F(DialogTest, DropDownListsAndListBoxesHoldItemsAndNotifyWhenTheUserPicks) {
    prompts.dialogScripts.push_back([this](DialogSession& dialog) {
        const HWND window = record.dialog;
        for (const char* mode : {"640x480x8", "800x600x16", "1024x768x32"})
            SendDlgItemMessage(window, kModes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
        EXPECT_EQ(SendDlgItemMessage(window, kModes, CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(SendDlgItemMessage(window, kModes, CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_EQ(SendDlgItemMessage(window, kModes, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>("800X600X16")),
                  1);
        // The search starts after the given item and wraps round.
        EXPECT_EQ(SendDlgItemMessage(window, kModes, CB_FINDSTRINGEXACT, 1,
                                     reinterpret_cast<LPARAM>("640x480x8")),
                  0);
        EXPECT_EQ(SendDlgItemMessage(window, kModes, CB_FINDSTRINGEXACT, 0,
                                     reinterpret_cast<LPARAM>("800x600")),
                  CB_ERR);
        EXPECT_EQ(SendDlgItemMessage(window, kModes, CB_SETCURSEL, 2, 0), 2);
        char text[32];
        EXPECT_EQ(GetDlgItemText(window, kModes, text, sizeof text), 11u);
        EXPECT_STREQ(text, "1024x768x32");
        EXPECT_EQ(SendDlgItemMessage(window, kModes, CB_SETCURSEL, 3, 0), CB_ERR);
        EXPECT_EQ(SendDlgItemMessage(window, kModes, CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_EQ(GetDlgItemText(window, kModes, text, sizeof text), 0u);
        EXPECT_TRUE(record.commands.empty());

        EXPECT_TRUE(dialog.ChooseItem(kModes, 1));
        EXPECT_FALSE(dialog.ChooseItem(kModes, 3));
        GetDlgItemText(window, kModes, text, sizeof text);
        EXPECT_STREQ(text, "800x600x16");

        SendDlgItemMessage(window, kNames, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Crosseye"));
        SendDlgItemMessage(window, kNames, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Parallel"));
        EXPECT_TRUE(dialog.DoubleClickItem(kNames, 1));
        EXPECT_EQ(SendDlgItemMessage(window, kNames, LB_GETCURSEL, 0, 0), 1);
        const DialogPrompt shown = dialog.Shown();
        EXPECT_EQ(shown.Control(kNames)->items, (std::vector<std::string>{"Crosseye", "Parallel"}));
        EXPECT_EQ(shown.Control(kModes)->selection, 1);
        EXPECT_EQ(shown.Control(kModes)->text, "800x600x16");

        SendDlgItemMessage(window, kModes, CB_RESETCONTENT, 0, 0);
        EXPECT_EQ(SendDlgItemMessage(window, kModes, CB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(GetDlgItemText(window, kModes, text, sizeof text), 0u);
        dialog.Click(IDOK);
    });
    Run(CustomizeDisplay());
    const std::vector<std::pair<int, int>> expected = {
        {kModes, CBN_SELCHANGE}, {kNames, LBN_SELCHANGE}, {kNames, LBN_DBLCLK}, {IDOK, BN_CLICKED}};
    EXPECT_EQ(record.commands, expected);
}

TEST_F(DialogTest, AListBoxWithoutNotifyStyleSendsNothing) {
    DialogTemplate dialog = CustomizeDisplay();
    dialog.items[8].style = WS_VISIBLE;
    prompts.dialogScripts.push_back([this](DialogSession& session) {
        SendDlgItemMessage(record.dialog, kNames, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a"));
        EXPECT_TRUE(session.DoubleClickItem(kNames, 0));
        EXPECT_EQ(
            SendDlgItemMessage(record.dialog, kNames, LB_SETCURSEL, static_cast<WPARAM>(-1), 0),
            LB_ERR);
        EXPECT_EQ(session.Shown().Control(kNames)->selection, -1);
    });
    Run(dialog);
    // Only the close box's Cancel.
    ASSERT_EQ(record.commands.size(), 1u);
    EXPECT_EQ(record.commands[0].first, IDCANCEL);
}

INT_PTR StubbornDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_COMMAND ? TRUE : FALSE;
}

TEST_F(DialogTest, TheCloseBoxSendsCancelAndADialogThatIgnoresItEndsWithMinusOne) {
    // The default responder closes the dialog as its close box does.
    EXPECT_EQ(Run(CustomizeDisplay()), IDCANCEL);
    ASSERT_EQ(record.commands.size(), 1u);
    EXPECT_EQ(record.commands[0], std::make_pair(IDCANCEL, static_cast<int>(BN_CLICKED)));
    EXPECT_NE(record.commandControls[0], nullptr); // the Cancel button

    const DialogTemplate dialog = CustomizeDisplay();
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &dialog, nullptr, StubbornDialog, 0), -1);
    EXPECT_EQ(prompts.dialogs.size(), 2u);
}

TEST_F(DialogTest, TheDialogChoosesTheTextColourOfStaticControls) {
    record.colourLabel = true;
    record.labelColour = RGB(100, 100, 100);
    prompts.dialogScripts.push_back([this](DialogSession& dialog) {
        DialogPrompt shown = dialog.Shown();
        EXPECT_EQ(shown.Control(kLabel)->textColour, RGB(100, 100, 100));
        EXPECT_EQ(shown.Control(kLowRes)->textColour, RGB(0, 0, 0));
        record.labelColour = RGB(200, 0, 0);
        EXPECT_EQ(dialog.Shown().Control(kLabel)->textColour, RGB(200, 0, 0));
        dialog.Click(IDOK);
    });
    Run(CustomizeDisplay());
}

TEST_F(DialogTest, ControlsMoveHideAndChangeTheirTexts) {
    prompts.dialogScripts.push_back([this](DialogSession& dialog) {
        const HWND window = record.dialog;
        MoveWindow(GetDlgItem(window, kLabel), 50, 60, 100, 30, TRUE);
        ShowWindow(GetDlgItem(window, kGeometric), SW_SHOW);
        EnableWindow(GetDlgItem(window, kGeometric), TRUE);
        EXPECT_TRUE(SetDlgItemText(window, kLabel, "Crosseye"));
        EXPECT_FALSE(SetDlgItemText(window, 4242, "none"));
        const DialogPrompt shown = dialog.Shown();
        const RECT rect = shown.Control(kLabel)->rect;
        EXPECT_EQ(rect.left, 50);
        EXPECT_EQ(rect.top, 60);
        EXPECT_EQ(rect.right, 150);
        EXPECT_EQ(rect.bottom, 90);
        EXPECT_EQ(shown.Control(kLabel)->text, "Crosseye");
        EXPECT_TRUE(shown.Control(kGeometric)->visible);
        EXPECT_TRUE(shown.Control(kGeometric)->enabled);
        EXPECT_TRUE(dialog.Click(kGeometric));
        EXPECT_EQ(GetDlgItem(window, 4242), nullptr);
        EXPECT_EQ(SendDlgItemMessage(window, 4242, BM_GETCHECK, 0, 0), 0);
        dialog.Click(IDOK);
    });
    Run(CustomizeDisplay());
}

TEST_F(DialogTest, ItemTextsAndNumbers) {
    prompts.dialogScripts.push_back([this](DialogSession& dialog) {
        const HWND window = record.dialog;
        BOOL translated = TRUE;
        SetDlgItemInt(window, kLabel, static_cast<UINT>(-25), TRUE);
        char text[8];
        GetDlgItemText(window, kLabel, text, sizeof text);
        EXPECT_STREQ(text, "-25");
        EXPECT_EQ(static_cast<int>(GetDlgItemInt(window, kLabel, &translated, TRUE)), -25);
        EXPECT_TRUE(translated);
        // Unsigned reading takes no sign.
        EXPECT_EQ(GetDlgItemInt(window, kLabel, &translated, FALSE), 0u);
        EXPECT_FALSE(translated);
        SetDlgItemText(window, kLabel, "  4096 bytes");
        EXPECT_EQ(GetDlgItemInt(window, kLabel, &translated, FALSE), 4096u);
        EXPECT_TRUE(translated);
        SetDlgItemText(window, kLabel, "4294967296");
        EXPECT_EQ(GetDlgItemInt(window, kLabel, &translated, FALSE), 0u);
        EXPECT_FALSE(translated);
        SetDlgItemText(window, kLabel, "4294967295");
        EXPECT_EQ(GetDlgItemInt(window, kLabel, &translated, FALSE), 4294967295u);
        EXPECT_EQ(GetDlgItemInt(window, kLabel, &translated, TRUE), 0u);
        EXPECT_FALSE(translated);
        SetDlgItemText(window, kLabel, "bytes");
        EXPECT_EQ(GetDlgItemInt(window, kLabel, &translated, TRUE), 0u);
        EXPECT_FALSE(translated);
        // A short buffer gets what fits and a terminator.
        SetDlgItemText(window, kLabel, "Binoxa Viewer");
        EXPECT_EQ(GetDlgItemText(window, kLabel, text, sizeof text), 7u);
        EXPECT_STREQ(text, "Binoxa ");
        EXPECT_EQ(GetDlgItemText(window, kLabel, text, 0), 0u);
        EXPECT_EQ(GetDlgItemText(window, 4242, text, sizeof text), 0u);
        EXPECT_STREQ(text, "");
        dialog.Click(IDOK);
    });
    Run(CustomizeDisplay());
}

} // namespace
