#include "wintestsupport.h"

#include "platform/win/menus.h"
#include "platform/win/promptresponder.h"

using namespace win;
using wintest::Log;
using wintest::MessagesOf;

namespace {

class Menus : public wintest::WindowsTest {};

// Answers from a script and keeps what it was shown.
class ScriptedResponder : public PromptResponder {
public:
    explicit ScriptedResponder(UINT answer) : answer(answer) {}
    UINT ChooseMenuItem(const MenuPrompt& menu) override {
        shown.push_back(menu);
        return answer;
    }
    UINT answer;
    std::vector<MenuPrompt> shown;
};

std::string TextOf(HMENU menu, UINT item, UINT flags) {
    char text[64];
    GetMenuString(menu, item, text, sizeof text, flags);
    return text;
}

} // namespace

TEST_F(Menus, ItemsAreBuiltFoundAndRemoved) {
    const HMENU popup = CreatePopupMenu();
    const HMENU methods = CreatePopupMenu();
    AppendMenu(methods, MF_STRING, 52771, "Tessel Classic");
    AppendMenu(methods, MF_STRING, 52772, "Interleaved");
    AppendMenu(popup, MF_STRING, 9025, "Reduce Image");
    AppendMenu(popup, MF_SEPARATOR, 666, nullptr);
    AppendMenu(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(methods), "Change Stereo Method");
    AppendMenu(popup, MF_STRING | MF_MENUBARBREAK, 9925, "Exit");
    InsertMenu(popup, 0, MF_BYPOSITION | MF_STRING, 10024, "Play from beginning");
    InsertMenu(popup, 9925, MF_BYCOMMAND | MF_STRING | MF_GRAYED, 10025, "Stop");

    EXPECT_EQ(GetMenuItemCount(popup), 6);
    const std::vector<UINT> ids{10024, 9025, 666, 0xFFFFFFFF, 10025, 9925};
    for (int position = 0; position < 6; ++position)
        EXPECT_EQ(GetMenuItemID(popup, position), ids[position]) << position;
    EXPECT_EQ(GetSubMenu(popup, 3), methods);
    EXPECT_EQ(TextOf(popup, 3, MF_BYPOSITION), "Change Stereo Method");
    EXPECT_EQ(TextOf(popup, 52772, MF_BYCOMMAND), "Interleaved"); // found in the sub-menu
    char shortText[5];
    EXPECT_EQ(GetMenuString(popup, 9925, shortText, sizeof shortText, MF_BYCOMMAND), 4);
    EXPECT_STREQ(shortText, "Exit");
    EXPECT_EQ(GetMenuString(popup, 9025, nullptr, 0, MF_BYCOMMAND), 12);
    EXPECT_EQ(GetMenuState(popup, 10025, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(GetMenuState(popup, 9925, MF_BYCOMMAND), MF_MENUBARBREAK);
    EXPECT_EQ(GetMenuState(popup, 2, MF_BYPOSITION), MF_SEPARATOR);
    EXPECT_EQ(GetMenuState(popup, 3, MF_BYPOSITION), MF_POPUP | (2u << 8));
    EXPECT_EQ(GetMenuState(popup, 4711, MF_BYCOMMAND), 0xFFFFFFFF);

    EXPECT_EQ(EnableMenuItem(popup, 10025, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(GetMenuState(popup, 10025, MF_BYCOMMAND), MF_ENABLED);
    ModifyMenu(popup, 9025, MF_BYCOMMAND | MF_STRING, 9026, "Enlarge Image");
    EXPECT_EQ(GetMenuItemID(popup, 1), 9026u);

    // RemoveMenu keeps the sub-menu, DeleteMenu destroys it.
    EXPECT_TRUE(RemoveMenu(popup, 3, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(methods));
    AppendMenu(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(methods), "Methods");
    EXPECT_TRUE(DeleteMenu(popup, 5, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(methods));
    EXPECT_FALSE(DeleteMenu(popup, 4711, MF_BYCOMMAND));
    while (GetMenuItemCount(popup) > 0)
        DeleteMenu(popup, 0, MF_BYPOSITION);
    EXPECT_EQ(GetMenuItemCount(popup), 0);
    EXPECT_TRUE(DestroyMenu(popup));
    EXPECT_EQ(GetMenuItemCount(popup), -1);
    EXPECT_FALSE(AppendMenu(popup, MF_STRING, 1, "x"));
}

TEST_F(Menus, ChecksAndRadioChecks) {
    const HMENU menu = CreatePopupMenu();
    for (UINT id = 7400; id <= 7404; ++id)
        AppendMenu(menu, MF_STRING, id, "type");
    AppendMenu(menu, MF_STRING | MF_CHECKED, 7081, "Loop animation");
    EXPECT_EQ(CheckMenuItem(menu, 7081, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 7081, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 9999, MF_BYCOMMAND | MF_CHECKED), 0xFFFFFFFF);

    EXPECT_TRUE(CheckMenuRadioItem(menu, 7400, 7419, 7402, MF_BYCOMMAND));
    EXPECT_TRUE(CheckMenuRadioItem(menu, 7400, 7419, 7403, MF_BYCOMMAND));
    for (UINT id = 7400; id <= 7404; ++id)
        EXPECT_EQ(GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED, id == 7403 ? MF_CHECKED : 0u)
            << id;
    EXPECT_EQ(GetMenuState(menu, 7403, MF_BYCOMMAND), MF_CHECKED | MFT_RADIOCHECK);
    EXPECT_EQ(GetMenuState(menu, 7081, MF_BYCOMMAND), MF_CHECKED); // outside the range
    EXPECT_FALSE(CheckMenuRadioItem(menu, 7400, 7419, 7418, MF_BYCOMMAND));
    DestroyMenu(menu);
}

TEST_F(Menus, TrackPopupMenuShowsItemsToTheResponderAndPostsTheCommand) {
    const HWND owner = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    const HMENU menu = CreatePopupMenu();
    const HMENU submenu = CreatePopupMenu();
    AppendMenu(submenu, MF_STRING | MF_CHECKED, 52771, "Tessel Classic");
    AppendMenu(menu, MF_STRING, 9025, "Reduce Image");
    AppendMenu(menu, MF_STRING | MF_GRAYED, 9026, "Enlarge Image");
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), "Change Stereo Method");
    wintest::Drain();

    ScriptedResponder responder(52771);
    SetPromptResponder(&responder);
    Log().clear();
    EXPECT_TRUE(TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RIGHTALIGN, 30, 40, 0, owner, nullptr));
    ASSERT_EQ(responder.shown.size(), 1u);
    const MenuPrompt& shown = responder.shown[0];
    EXPECT_EQ(shown.owner, owner);
    EXPECT_EQ(shown.position.x, 30);
    EXPECT_EQ(shown.flags, TPM_RIGHTBUTTON | TPM_RIGHTALIGN);
    ASSERT_EQ(shown.items.size(), 4u);
    EXPECT_EQ(shown.items[0].text, "Reduce Image");
    EXPECT_EQ(shown.items[0].id, 9025u);
    EXPECT_TRUE(shown.items[1].grayed);
    EXPECT_TRUE(shown.items[2].separator);
    EXPECT_TRUE(shown.items[3].hasSubmenu);
    ASSERT_EQ(shown.items[3].submenu.size(), 1u);
    EXPECT_TRUE(shown.items[3].submenu[0].checked);
    EXPECT_EQ(MessagesOf(owner), std::vector<UINT>{WM_INITMENUPOPUP});

    // The command arrives through the queue, after TrackPopupMenu returned.
    MSG message;
    ASSERT_TRUE(PeekMessage(&message, owner, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_COMMAND);
    EXPECT_EQ(LOWORD(message.wParam), 52771);

    // TPM_RETURNCMD answers the id instead; a grayed item counts as dismissed.
    responder.answer = 9025;
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 9025);
    responder.answer = 9026;
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0);
    responder.answer = 0;
    EXPECT_TRUE(TrackPopupMenu(menu, 0, 0, 0, 0, owner, nullptr));
    EXPECT_FALSE(PeekMessage(&message, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_FALSE(TrackPopupMenu(menu, 0, 0, 0, 0, reinterpret_cast<HWND>(0x1234), nullptr));
    SetPromptResponder(nullptr);
    DestroyMenu(menu);
}

TEST_F(Menus, AMenuBarTakesRoomFromTheClientArea) {
    const HWND window = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {10, 10, 430, 210});
    const HMENU bar = CreateMenu();
    const HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, 57601, "&Open...\tCtrl+O");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    Log().clear();
    EXPECT_TRUE(SetMenu(window, bar));
    EXPECT_EQ(GetMenu(window), bar);
    RECT client;
    RECT outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.bottom - outer.top, 200);
    EXPECT_LT(client.bottom, 200);
    EXPECT_GT(client.bottom, 0);
    EXPECT_EQ(MessagesOf(window, {WM_SIZE}).size(), 1u);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.y, 10 + 200 - client.bottom);
    EXPECT_TRUE(DrawMenuBar(window));
    DestroyWindow(window);
    EXPECT_FALSE(IsMenu(bar)); // a window's menu goes with it
}
