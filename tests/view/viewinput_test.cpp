// BxView's input: command hooks and the order they run in, the message pump
// scripts wait in, clicks and the popup state, the right-click menu and its
// submenus, and the keys of the key mask.
#include "viewfixture.h"

#include "platform/win/input.h"
#include "platform/win/menus.h"
#include "platform/win/messages.h"
#include "stereo/cpair.h"
#include "stereo/stereomethods.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kPairLayout = LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST;

// Answers message boxes as RecordedBoxes does, and popup menus from a script
// (dismissing them when the script is used up), keeping every menu shown.
class MenuResponder : public RecordedBoxes {
public:
    win::UINT ChooseMenuItem(const win::MenuPrompt& menu) override {
        menus.push_back(menu);
        if (choices.empty())
            return 0;
        const win::UINT chosen = choices.front();
        choices.pop_front();
        return chosen;
    }

    std::deque<win::UINT> choices;
    std::vector<win::MenuPrompt> menus;
};

// A menu as one line: "|" a separator, "!" before a column break, "*" after
// a checked item, ">" after a submenu's text.
std::string Shown(const std::vector<win::MenuPromptItem>& items) {
    std::string line;
    for (const win::MenuPromptItem& item : items) {
        if (!line.empty())
            line += ", ";
        if (item.separator) {
            line += "|";
            continue;
        }
        if (item.columnBreak)
            line += "!";
        line += item.text;
        if (item.hasSubmenu)
            line += ">";
        if (item.checked)
            line += "*";
    }
    return line;
}

const win::MenuPromptItem* Submenu(const win::MenuPrompt& menu, const std::string& text) {
    for (const win::MenuPromptItem& item : menu.items)
        if (item.hasSubmenu && item.text == text)
            return &item;
    return nullptr;
}

win::LPARAM At(int x, int y) {
    return win::MAKELPARAM(static_cast<win::WORD>(x), static_cast<win::WORD>(y));
}

void LeftClick(const BxView& view, int x = 10, int y = 10) {
    win::SendMessage(view.GetSafeHwnd(), win::WM_LBUTTONDOWN, win::MK_LBUTTON, At(x, y));
}

void RightClick(const BxView& view, int x = 10, int y = 10) {
    win::SendMessage(view.GetSafeHwnd(), win::WM_RBUTTONDOWN, 0x0002, At(x, y));
}

void Command(const BxView& view, win::UINT command, win::LPARAM lParam = 0) {
    win::SendMessage(view.GetSafeHwnd(), win::WM_COMMAND, win::MAKEWPARAM(command, 0), lParam);
}

void Key(const BxView& view, win::UINT character) {
    win::SendMessage(view.GetSafeHwnd(), win::WM_CHAR, character, 1);
}

// Dispatches everything queued (a chosen menu command is posted).
void Pump(BxView& view) {
    while (view.PumpMessages(nullptr)) {
    }
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class ViewInput : public ViewTest {
protected:
    std::unique_ptr<BxView> ShownView(uint32_t menuFlags = 0x000F0007) {
        auto view = MakeView(1024, 768, 24, /*fullScreen=*/false, menuFlags);
        EXPECT_EQ(view->ShowImage(SideBySidePicture({200, 150}), nullptr, kPairLayout, kParallel),
                  1);
        return view;
    }
    double Zoom(const BxView& view) { return view.GetConversionSettings().zoom; }

    MenuResponder menus;
};

struct HookCall {
    uint32_t command;
    win::LPARAM lParam;
    double zoomSeen; // the view's zoom when the hook ran
};

struct HookRecord {
    const BxView* view = nullptr;
    int32_t answer = 0;
    std::vector<HookCall> calls;
};

int32_t RecordingHook(uint32_t command, win::LPARAM lParam, void* context) {
    auto* record = static_cast<HookRecord*>(context);
    record->calls.push_back({command, lParam, record->view->GetConversionSettings().zoom});
    return record->answer;
}

} // namespace

TEST_F(ViewInput, CommandHooksRunBeforeTheViewAndTheTableHoldsThirtyTwo) {
    UseProfile("mode 1024x768x24\ndesktop 1024x768x24\n");
    const auto view = ShownView();
    ASSERT_EQ(Zoom(*view), 1.0);

    // Bad arguments are refused with their log line.
    HookRecord passing{view.get(), 0, {}};
    EXPECT_EQ(view->RegisterCommandHook(0, RecordingHook, &passing), 0);
    EXPECT_NE(log.Text().find("BxView::RegisterCommandHook -- invalid params (0, "),
              std::string::npos);
    EXPECT_EQ(view->RegisterCommandHook(ID_ENLARGE_IMAGE, nullptr, &passing), 0);
    EXPECT_NE(log.Text().find("BxView::RegisterCommandHook -- invalid params (9026, 0)"),
              std::string::npos);

    // A hook answering 0 sees the command first and lets the view zoom after it.
    ASSERT_EQ(view->RegisterCommandHook(ID_ENLARGE_IMAGE, RecordingHook, &passing), 1);
    Command(*view, ID_ENLARGE_IMAGE, 77);
    ASSERT_EQ(passing.calls.size(), 1u);
    EXPECT_EQ(passing.calls[0].command, ID_ENLARGE_IMAGE);
    EXPECT_EQ(passing.calls[0].lParam, 77);
    EXPECT_EQ(passing.calls[0].zoomSeen, 1.0) << "the hook ran before the view zoomed";
    EXPECT_DOUBLE_EQ(Zoom(*view), 1.05);

    // One answering non-zero takes the command over: no zoom, and Exit leaves
    // the view open.
    HookRecord taking{view.get(), 1, {}};
    ASSERT_EQ(view->RegisterCommandHook(ID_REDUCE_IMAGE, RecordingHook, &taking), 1);
    ASSERT_EQ(view->RegisterCommandHook(ID_VIEW_EXIT, RecordingHook, &taking), 1);
    Command(*view, ID_REDUCE_IMAGE, 5);
    Command(*view, ID_VIEW_EXIT);
    ASSERT_EQ(taking.calls.size(), 2u);
    EXPECT_EQ(taking.calls[0].command, ID_REDUCE_IMAGE);
    EXPECT_EQ(taking.calls[0].lParam, 5);
    EXPECT_EQ(taking.calls[1].command, ID_VIEW_EXIT);
    EXPECT_DOUBLE_EQ(Zoom(*view), 1.05);
    EXPECT_TRUE(view->IsActive());

    // A second hook for a command is refused; the first one stays in charge.
    HookRecord second{view.get(), 0, {}};
    EXPECT_EQ(view->RegisterCommandHook(ID_REDUCE_IMAGE, RecordingHook, &second), 0);
    EXPECT_NE(log.Text().find("BxView::RegisterCommandHook -- hook for msg 9025 already exists"),
              std::string::npos);
    Command(*view, ID_REDUCE_IMAGE);
    EXPECT_TRUE(second.calls.empty());
    EXPECT_EQ(taking.calls.size(), 3u);
    EXPECT_DOUBLE_EQ(Zoom(*view), 1.05);

    // A command of the host's own menu item reaches its hook from the menu.
    HookRecord host{view.get(), 1, {}};
    ASSERT_EQ(view->RegisterCommandHook(5000, RecordingHook, &host), 1);
    win::AppendMenu(view->GetRightClickMenu(), win::MF_STRING, 5000, "Next Picture");
    menus.choices = {5000};
    RightClick(*view);
    EXPECT_TRUE(host.calls.empty()) << "the chosen command is posted";
    Pump(*view);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].command, 5000u);
    EXPECT_EQ(host.calls[0].lParam, 0);

    // Four are in; 28 more fill the table, the 33rd is refused and its
    // command is not hooked.
    HookRecord filler{view.get(), 1, {}};
    for (uint32_t command = 6000; command < 6028; ++command)
        ASSERT_EQ(view->RegisterCommandHook(command, RecordingHook, &filler), 1) << command;
    HookRecord late{view.get(), 1, {}};
    EXPECT_EQ(view->RegisterCommandHook(ID_ORIGINAL_SIZE, RecordingHook, &late), 0);
    EXPECT_NE(log.Text().find("BxView::RegisterCommandHook -- hook limit (32) exceeded"),
              std::string::npos);
    // At the limit the limit is reported first, even for bad arguments.
    EXPECT_EQ(view->RegisterCommandHook(0, nullptr, nullptr), 0);
    EXPECT_EQ(Count(log.Text(), "hook limit (32) exceeded"), 2u) << log.Text();
    EXPECT_EQ(Count(log.Text(), "invalid params"), 2u);
    Command(*view, ID_ORIGINAL_SIZE);
    EXPECT_TRUE(late.calls.empty());
    EXPECT_EQ(Zoom(*view), 1.0) << "the view handles the unhooked command";
    Command(*view, 6027);
    EXPECT_EQ(filler.calls.size(), 1u) << "the 32nd hook works";
    view->Destroy(1);
}

TEST_F(ViewInput, PumpMessagesReturnsAWantedClickUndispatchedAndDispatchesTheRest) {
    UseProfile("mode 1024x768x24\ndesktop 1024x768x24\n");
    const auto view = ShownView();
    EXPECT_EQ(view->PumpMessages(nullptr), nullptr) << "nothing waiting";
    EXPECT_EQ(win::SendMessage(view->GetSafeHwnd(), WM_WINDISP_ALERT, 0, 0), 1);

    // A key before the click is dispatched; the click is handed back as it was.
    const win::HWND window = view->GetSafeHwnd();
    win::PostMessage(window, win::WM_CHAR, '+', 1);
    win::PostMessage(window, win::WM_LBUTTONDOWN, win::MK_LBUTTON, At(33, 44));
    win::PostMessage(window, win::WM_CHAR, '+', 1);
    const std::vector<win::UINT> wanted{win::WM_RBUTTONDOWN, win::WM_LBUTTONDOWN};
    const win::MSG* got = view->PumpMessages(&wanted);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->message, win::WM_LBUTTONDOWN);
    EXPECT_EQ(got->hwnd, window);
    EXPECT_EQ(got->wParam, win::MK_LBUTTON);
    EXPECT_EQ(got->lParam, At(33, 44));
    EXPECT_TRUE(view->IsActive()) << "the click was not dispatched";
    EXPECT_DOUBLE_EQ(Zoom(*view), 1.05) << "the key before it was";
    const std::string text = log.Text();
    EXPECT_NE(text.find("BxView::PumpMessages -- searching for matching event messages...."),
              std::string::npos);
    EXPECT_NE(text.find("BxView::PumpMessages -- 516 ?= 513\n"
                        "BxView::PumpMessages -- 513 ?= 513\n"
                        "BxView::PumpMessages -- found a matching message: 513"),
              std::string::npos)
        << text;

    // The key after it is still queued; with no wanted message the pump runs
    // dry and answers none.
    EXPECT_EQ(view->PumpMessages(&wanted), nullptr);
    EXPECT_DOUBLE_EQ(Zoom(*view), 1.1);

    // The quit message comes back as message 0 in the same record, and is
    // posted again with code 0.
    win::PostQuitMessage(3);
    const win::MSG* quit = view->PumpMessages(&wanted);
    EXPECT_EQ(quit, got);
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->message, 0u);
    win::MSG again;
    ASSERT_TRUE(win::PeekMessage(&again, nullptr, 0, 0, win::PM_REMOVE));
    EXPECT_EQ(again.message, win::WM_QUIT);
    EXPECT_EQ(again.wParam, 0u);

    // Without a list the click is dispatched: the view closes.
    win::PostMessage(window, win::WM_LBUTTONDOWN, win::MK_LBUTTON, At(1, 1));
    EXPECT_EQ(view->PumpMessages(nullptr), nullptr);
    EXPECT_FALSE(view->IsActive());
}

TEST_F(ViewInput, ALeftClickAfterThePopupOnlyClosesItAndTheNextLeavesTheView) {
    UseProfile("mode 1024x768x24\ndesktop 1024x768x24\n");
    {
        // The menu is shown at the click, tracked with the right button and
        // right-aligned; dismissing it leaves the popup state for one click.
        auto view = ShownView();
        view->SetAutoDestroy(false);
        RightClick(*view, 300, 200);
        ASSERT_EQ(menus.menus.size(), 1u);
        win::POINT expected{300, 200};
        win::ClientToScreen(view->GetSafeHwnd(), &expected);
        EXPECT_EQ(menus.menus[0].position.x, expected.x);
        EXPECT_EQ(menus.menus[0].position.y, expected.y);
        EXPECT_EQ(menus.menus[0].flags, win::TPM_RIGHTBUTTON | win::TPM_RIGHTALIGN);
        EXPECT_EQ(menus.menus[0].owner, view->GetSafeHwnd());
        EXPECT_TRUE(view->IsPopupShowing());
        win::PostMessage(view->GetSafeHwnd(), win::WM_LBUTTONDOWN, win::MK_LBUTTON, At(5, 5));
        win::PostMessage(view->GetSafeHwnd(), win::WM_LBUTTONDOWN, win::MK_LBUTTON, At(5, 5));
        // Without auto-destroy the click ends the modal loop with result 1.
        EXPECT_EQ(view->RunModalLoop(), 1);
        EXPECT_FALSE(view->IsPopupShowing());
        EXPECT_TRUE(view->IsActive());
        view->Destroy(1);
    }
    {
        auto view = ShownView();
        RightClick(*view);
        LeftClick(*view);
        EXPECT_TRUE(view->IsActive()) << "the first click only closed the popup";
        EXPECT_FALSE(view->IsPopupShowing());
        LeftClick(*view);
        EXPECT_FALSE(view->IsActive());
    }
    {
        // A command chosen from the menu clears the popup state when it
        // arrives: the next click leaves.
        auto view = ShownView();
        menus.choices = {ID_ENLARGE_IMAGE};
        RightClick(*view);
        EXPECT_TRUE(view->IsPopupShowing());
        Pump(*view);
        EXPECT_DOUBLE_EQ(Zoom(*view), 1.05);
        EXPECT_FALSE(view->IsPopupShowing());
        LeftClick(*view);
        EXPECT_FALSE(view->IsActive());
    }
    {
        // A menu that cannot be tracked is logged and leaves no popup state.
        auto view = ShownView();
        win::DestroyMenu(view->GetRightClickMenu());
        RightClick(*view);
        EXPECT_NE(log.Text().find("TrackPopupMenu not sucessful: "), std::string::npos);
        EXPECT_FALSE(view->IsPopupShowing());
        LeftClick(*view);
        EXPECT_FALSE(view->IsActive());
    }
}

TEST_F(ViewInput, TheRightClickMenuFollowsItsFlagsWithAllMethodsAndTheModes) {
    UseProfile("mode 640x480x24\nmode 800x600x24\nmode 1024x768x24\ndesktop 1024x768x24\n");
    const auto view = MakeView(1024, 768, 24, /*fullScreen=*/false, 0x000F0007);

    // Every item, before any picture: the resolution submenu is one separator.
    RightClick(*view);
    ASSERT_EQ(menus.menus.size(), 1u);
    EXPECT_EQ(Shown(menus.menus[0].items),
              "Reduce Image, Enlarge Image, Enlarge Image to Fullscreen, "
              "Display Image at Actual Size, |, Change Stereo Method>, "
              "Change Display Resolution>, |, Exit");
    const std::vector<std::pair<std::string, win::UINT>> commands{
        {"Reduce Image", 9025},
        {"Enlarge Image", 9026},
        {"Enlarge Image to Fullscreen", 9027},
        {"Display Image at Actual Size", 9028},
        {"Exit", 9925}};
    for (const auto& [text, id] : commands) {
        bool found = false;
        for (const win::MenuPromptItem& item : menus.menus[0].items)
            found = found || (item.text == text && item.id == id);
        EXPECT_TRUE(found) << text;
    }
    const win::MenuPromptItem* resolutions = Submenu(menus.menus[0], "Change Display Resolution");
    ASSERT_NE(resolutions, nullptr);
    EXPECT_EQ(Shown(resolutions->submenu), "|");

    // The stereo submenu: 21 methods in 7 groups, in the fixed order, none
    // checked yet.
    const win::MenuPromptItem* methods = Submenu(menus.menus[0], "Change Stereo Method");
    ASSERT_NE(methods, nullptr);
    const std::vector<std::vector<int32_t>> groups{{1, 21, 22},    {2, 3, 4, 5},     {6, 7},
                                                   {8, 9, 10, 11}, {12, 13, 14, 15}, {25, 26, 27},
                                                   {16, 19},       {23, 24}};
    struct Entry {
        bool separator;
        win::UINT id;
        std::string text;
    };
    std::vector<Entry> expected;
    for (const auto& group : groups) {
        if (!expected.empty())
            expected.push_back({true, 0, ""});
        for (const int32_t id : group) {
            const StereoViewMethod* method = GetStereoMethodByID(id);
            ASSERT_NE(method, nullptr) << id;
            expected.push_back({false, static_cast<win::UINT>(52770 + id), method->name});
        }
    }
    EXPECT_EQ(GetStereoMethodByID(17), nullptr);
    EXPECT_EQ(GetStereoMethodByID(20), nullptr);
    ASSERT_EQ(methods->submenu.size(), 31u) << Shown(methods->submenu);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(methods->submenu[i].separator, expected[i].separator) << i;
        EXPECT_EQ(methods->submenu[i].text, expected[i].text) << i;
        EXPECT_EQ(methods->submenu[i].id, expected[i].id) << i;
        EXPECT_FALSE(methods->submenu[i].checked) << i;
    }

    // Shown: the method and the current mode are checked, one item per mode.
    ASSERT_EQ(view->ShowImage(SideBySidePicture({200, 150}), nullptr, kPairLayout, kParallel), 1);
    RightClick(*view);
    ASSERT_EQ(menus.menus.size(), 2u);
    std::string modes;
    for (size_t i = 0; i < view->GetModeList().size(); ++i) {
        const ModeStruct& mode = view->GetModeList()[i];
        modes += (i ? ", " : "") + std::to_string(mode.width) + "x" + std::to_string(mode.height) +
                 "x" + std::to_string(mode.bpp) + (mode.width == 1024 ? "*" : "");
    }
    resolutions = Submenu(menus.menus[1], "Change Display Resolution");
    ASSERT_NE(resolutions, nullptr);
    EXPECT_EQ(Shown(resolutions->submenu), modes);
    EXPECT_NE(modes.find("640x480x24"), std::string::npos);
    EXPECT_NE(modes.find("1024x768x24*"), std::string::npos);
    for (size_t i = 0; i < resolutions->submenu.size(); ++i)
        EXPECT_EQ(resolutions->submenu[i].id, 9224 + i);
    methods = Submenu(menus.menus[1], "Change Stereo Method");
    ASSERT_NE(methods, nullptr);
    for (const win::MenuPromptItem& item : methods->submenu)
        EXPECT_EQ(item.checked, item.id == 52770u + kParallel) << item.text;

    // Choosing a resolution changes the mode and moves the check; choosing a
    // method changes it and moves its check.
    const size_t small =
        static_cast<size_t>(std::find_if(view->GetModeList().begin(), view->GetModeList().end(),
                                         [](const ModeStruct& mode) { return mode.width == 800; }) -
                            view->GetModeList().begin());
    ASSERT_LT(small, view->GetModeList().size());
    menus.choices = {static_cast<win::UINT>(9224 + small), 52770 + kCrossEye};
    RightClick(*view);
    Pump(*view);
    EXPECT_FALSE(view->IsPopupShowing());
    const WinDisp& display = *view->GetDisplay();
    EXPECT_EQ(display.GetModes()[display.GetCurrentModeIndex()].width, 800u);
    EXPECT_EQ(view->GetConversionSettings().destination.GetWidth(), 800);
    RightClick(*view);
    Pump(*view);
    EXPECT_EQ(view->GetMethodId(), kCrossEye);
    RightClick(*view);
    ASSERT_EQ(menus.menus.size(), 5u);
    resolutions = Submenu(menus.menus[4], "Change Display Resolution");
    ASSERT_NE(resolutions, nullptr);
    for (const win::MenuPromptItem& item : resolutions->submenu)
        EXPECT_EQ(item.checked, item.text == "800x600x24") << item.text;
    methods = Submenu(menus.menus[4], "Change Stereo Method");
    ASSERT_NE(methods, nullptr);
    for (const win::MenuPromptItem& item : methods->submenu)
        EXPECT_EQ(item.checked, item.id == 52770u + kCrossEye) << item.text;
    LeftClick(*view); // closes the dismissed popup's state

    // The next picture, in another method: only that method is checked.
    ASSERT_EQ(view->ShowImage(SideBySidePicture({200, 150}), nullptr, kPairLayout, kColourAnaglyph),
              1);
    RightClick(*view);
    methods = Submenu(menus.menus.back(), "Change Stereo Method");
    ASSERT_NE(methods, nullptr);
    for (const win::MenuPromptItem& item : methods->submenu)
        EXPECT_EQ(item.checked, item.id == 52770u + kColourAnaglyph) << item.text;
    LeftClick(*view);

    // The flags choose the items; separators only follow groups that are there.
    const std::vector<std::pair<uint32_t, std::string>> menusOfFlags{
        {0, ""},
        {RCM_EXIT, "Exit"},
        {RCM_ENLARGE | RCM_RESOLUTIONS, "Enlarge Image, |, Change Display Resolution>, |"},
        {RCM_ACTUAL_SIZE | RCM_EXIT, "Display Image at Actual Size, |, Exit"},
        {RCM_STEREO_METHODS | RCM_EXIT, "Change Stereo Method>, |, Exit"},
        {RCM_REDUCE | RCM_FILL_SCREEN, "Reduce Image, Enlarge Image to Fullscreen, |"},
    };
    for (const auto& [flags, line] : menusOfFlags) {
        EXPECT_EQ(view->CreateRightClickMenu(flags), 1);
        const size_t before = menus.menus.size();
        RightClick(*view);
        ASSERT_EQ(menus.menus.size(), before + 1);
        EXPECT_EQ(Shown(menus.menus.back().items), line) << std::hex << flags;
        LeftClick(*view);
    }
    EXPECT_TRUE(view->IsActive());
    view->Destroy(1);
}

TEST_F(ViewInput, ResolutionsBeyondSixteenStartNewColumns) {
    std::string profile;
    for (int i = 0; i < 40; ++i)
        profile += "mode " + std::to_string(640 + 8 * i) + "x480x24\n";
    UseProfile(profile + "desktop 640x480x24\n");
    const auto view = MakeView(640, 480, 24, /*fullScreen=*/true, RCM_RESOLUTIONS);
    ASSERT_EQ(view->ShowImage(SideBySidePicture({100, 80}), nullptr, kPairLayout, kParallel), 1);
    ASSERT_EQ(view->GetModeList().size(), 40u);
    RightClick(*view);
    ASSERT_EQ(menus.menus.size(), 1u);
    const win::MenuPromptItem* resolutions = Submenu(menus.menus[0], "Change Display Resolution");
    ASSERT_NE(resolutions, nullptr);
    ASSERT_EQ(resolutions->submenu.size(), 40u);
    for (size_t i = 0; i < 40; ++i) {
        const win::MenuPromptItem& item = resolutions->submenu[i];
        EXPECT_EQ(item.columnBreak, i == 16 || i == 32) << i;
        EXPECT_EQ(item.id, 9224 + i);
        const ModeStruct& mode = view->GetModeList()[i];
        EXPECT_EQ(item.text, std::to_string(mode.width) + "x480x24");
        EXPECT_EQ(item.checked, mode.width == 640) << i;
    }
    // Excluding the current mode drops it from the menu, and the check with it.
    const ModeStruct excluded[] = {view->GetModeList()[0]};
    ASSERT_EQ(excluded[0].width, 640u);
    view->UpdateResolutionsMenu(view->GetMethod(), excluded, 1);
    EXPECT_NE(log.Text().find("BxView::UpdateResolutionsMenu -- bad index"), std::string::npos);
    menus.choices = {0};
    RightClick(*view);
    resolutions = Submenu(menus.menus.back(), "Change Display Resolution");
    ASSERT_NE(resolutions, nullptr);
    ASSERT_EQ(resolutions->submenu.size(), 39u);
    EXPECT_EQ(resolutions->submenu[0].text, "648x480x24");
    for (const win::MenuPromptItem& item : resolutions->submenu)
        EXPECT_FALSE(item.checked) << item.text;
    LeftClick(*view);
    ASSERT_TRUE(view->IsActive());

    // The last entry's command reaches the last mode.
    menus.choices = {9224 + 38};
    RightClick(*view);
    Pump(*view);
    const WinDisp& display = *view->GetDisplay();
    EXPECT_EQ(display.GetModes()[display.GetCurrentModeIndex()].width,
              view->GetModeList()[38].width);
    view->Destroy(1);
}

TEST_F(ViewInput, EachKeyActsOnlyWithItsMaskBitAndEscapeAlways) {
    UseProfile("mode 1024x768x24\ndesktop 1024x768x24\n");
    const auto view = ShownView();
    view->SetStatusBar(false);
    EXPECT_EQ(view->GetKeyMask(), 31u);
    const double fit = std::min(767.0 / 150, 1023.0 / 400);
    const std::string noStatus;

    struct KeyCase {
        win::UINT character;
        uint32_t bit;
        double zoom; // after the key from 1.1, when it acts
    };
    const std::vector<KeyCase> keys{
        {'+', KEY_ENLARGE, 1.15},    {'=', KEY_ENLARGE, 1.15},    {'F', KEY_FILL_SCREEN, fit},
        {'f', KEY_FILL_SCREEN, fit}, {'-', KEY_REDUCE, 1.05},     {'_', KEY_REDUCE, 1.05},
        {'A', KEY_ACTUAL_SIZE, 1.0}, {'a', KEY_ACTUAL_SIZE, 1.0}, {'O', KEY_ACTUAL_SIZE, 1.0},
        {'o', KEY_ACTUAL_SIZE, 1.0}, {'\t', KEY_STATUS_BAR, 1.1},
    };
    for (const uint32_t mask : {0u, 1u, 2u, 4u, 8u, 16u, 31u}) {
        view->SetKeyMask(mask);
        for (const KeyCase& key : keys) {
            SCOPED_TRACE("mask " + std::to_string(mask) + " key " + std::to_string(key.character));
            view->OriginalSize();
            view->EnlargeImage();
            view->EnlargeImage();
            ASSERT_NEAR(Zoom(*view), 1.1, 1e-9);
            view->SetStatusBar(false);
            view->Refresh();
            Key(*view, key.character);
            const bool acts = (mask & key.bit) != 0;
            EXPECT_NEAR(Zoom(*view), acts ? key.zoom : 1.1, 1e-9);
            const std::string line = view->GetDisplay()->GetStatusBarMessage().value_or("");
            if (key.bit == KEY_STATUS_BAR && acts)
                EXPECT_EQ(line.rfind("Method: ", 0), 0u) << line;
            else
                EXPECT_EQ(line, noStatus);
        }
    }

    // Keys typed as the keyboard sends them: key-downs translated into
    // characters by the pump. Tab twice turns the status line on and off.
    view->SetKeyMask(KEY_ALL_VIEW_KEYS);
    view->SetStatusBar(false);
    view->OriginalSize();
    const win::HWND window = view->GetSafeHwnd();
    win::PostMessage(window, win::WM_KEYDOWN, win::VK_TAB, 1);
    Pump(*view);
    EXPECT_EQ(view->GetDisplay()->GetStatusBarMessage().value_or("").rfind("Method: ", 0), 0u);
    win::PostMessage(window, win::WM_KEYDOWN, win::VK_TAB, 1);
    win::PostMessage(window, win::WM_KEYDOWN, 'F', 1);
    Pump(*view);
    EXPECT_EQ(view->GetDisplay()->GetStatusBarMessage().value_or(""), noStatus);
    EXPECT_NEAR(Zoom(*view), fit, 1e-9);

    // Other characters, and masked keys, go to the base handling: nothing
    // happens. Escape is not masked: it leaves with result 2.
    view->SetKeyMask(0);
    view->SetAutoDestroy(false);
    Key(*view, 'q');
    EXPECT_TRUE(view->IsActive());
    win::PostMessage(window, win::WM_CHAR, 27, 1);
    EXPECT_EQ(view->RunModalLoop(), 2);
    view->SetAutoDestroy(true);
    win::PostMessage(window, win::WM_CHAR, 27, 1);
    EXPECT_EQ(view->RunModalLoop(), 2);
    EXPECT_FALSE(view->IsActive());
}
