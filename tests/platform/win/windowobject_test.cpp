// WindowObject: messages reach the object's handlers, commands go through
// OnCommand before the map, a class can be registered again, and the modal
// loop ends with its result.
#include "wintestsupport.h"

#include "platform/win/input.h"
#include "platform/win/modalloop.h"
#include "platform/win/windowobject.h"

#include <string>
#include <vector>

using namespace win;

namespace {

class WindowObjects : public wintest::WindowsTest {};

// Records what reaches it; command 7 is taken by OnCommand itself, command
// 8 by the map, and the map ends the modal loop on command 9.
class Recorder final : public WindowObject {
public:
    std::vector<std::string> seen;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        seen.push_back("command " + std::to_string(wParam & 0xFFFF));
        if ((wParam & 0xFFFF) == 7)
            return TRUE;
        return WindowObject::OnCommand(wParam, lParam);
    }
    bool OnCommandMessage(UINT id, UINT) override {
        if (id == 9)
            EndModalLoop(42);
        if (id != 8 && id != 9)
            return false;
        seen.push_back("map " + std::to_string(id));
        return true;
    }
    void OnLButtonDown(UINT, POINT point) override {
        seen.push_back("left " + std::to_string(point.x) + "," + std::to_string(point.y));
    }
    void OnChar(UINT character, UINT repeat, UINT) override {
        seen.push_back("char " + std::string(1, static_cast<char>(character)) + " x" +
                       std::to_string(repeat));
        Default();
    }
};

} // namespace

TEST_F(WindowObjects, MessagesReachTheHandlersAndCommandsGoThroughOnCommandFirst) {
    const std::string className =
        WindowObject::RegisterWindowClass(CS_HREDRAW | CS_VREDRAW, nullptr, nullptr);
    EXPECT_EQ(WindowObject::RegisterWindowClass(CS_HREDRAW | CS_VREDRAW, nullptr, nullptr),
              className)
        << "a second view registers its class again";
    EXPECT_NE(WindowObject::RegisterWindowClass(CS_HREDRAW, nullptr, nullptr), className);

    Recorder recorder;
    ASSERT_TRUE(recorder.CreateEx(0, className, "test", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr));
    const HWND window = recorder.GetSafeHwnd();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(recorder.CreateEx(0, className, "again", WS_POPUP, 0, 0, 4, 3, nullptr, nullptr));

    SendMessage(window, WM_LBUTTONDOWN, 0, MAKELPARAM(12, 5));
    SendMessage(window, WM_CHAR, 'q', 3);
    EXPECT_EQ(SendMessage(window, WM_COMMAND, 7, 0), 0);
    SendMessage(window, WM_COMMAND, 8, 0);
    SendMessage(window, WM_COMMAND, 5, 0);
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"left 12,5", "char q x3", "command 7",
                                                       "command 8", "map 8", "command 5"}));

    // The modal loop ends with the result a command gives it.
    PostMessage(window, WM_COMMAND, 9, 0);
    EXPECT_EQ(recorder.RunModalLoop(), 42);
    EXPECT_FALSE(recorder.IsInModalLoop());

    EXPECT_TRUE(recorder.DestroyWindow());
    EXPECT_EQ(recorder.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(recorder.DestroyWindow());

    // An object going away takes its window with it.
    HWND left = nullptr;
    {
        Recorder shortLived;
        ASSERT_TRUE(
            shortLived.CreateEx(0, className, "short", WS_POPUP, 0, 0, 4, 3, nullptr, nullptr));
        left = shortLived.GetSafeHwnd();
    }
    EXPECT_FALSE(IsWindow(left));
}
