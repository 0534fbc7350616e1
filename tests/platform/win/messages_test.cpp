#include "wintestsupport.h"

#include "platform/win/beeps.h"
#include "platform/win/modalloop.h"
#include "platform/win/paint.h"
#include "platform/win/timers.h"

#include <thread>

using namespace win;
using wintest::Log;
using wintest::MessagesOf;

namespace {

class Messages : public wintest::WindowsTest {};

std::vector<UINT> TakeAll(HWND window) {
    std::vector<UINT> numbers;
    MSG message;
    for (int round = 0; round < 20 && PeekMessage(&message, window, 0, 0, PM_REMOVE); ++round) {
        numbers.push_back(message.message);
        DispatchMessage(&message);
    }
    return numbers;
}

HWND modalWindow = nullptr;
LRESULT EndsOnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        // As a view does it: destroy the window, then end its loop.
        DestroyWindow(window);
        EndModalLoop(window, static_cast<int>(LOWORD(wParam)));
        return 0;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

} // namespace

TEST_F(Messages, PostedMessagesComeInOrderAndPaintComesLastOnce) {
    const HWND window = Make(WS_POPUP | WS_VISIBLE, {0, 0, 50, 50});
    TakeAll(window);
    InvalidateRect(window, nullptr, FALSE);
    PostMessage(window, WM_USER + 1, 1, 2);
    InvalidateRect(window, nullptr, FALSE);
    PostMessage(window, WM_USER + 2, 3, 4);
    Log().clear();
    // Sent messages bypass the queue.
    EXPECT_EQ(SendMessage(window, WM_USER + 3, 0, 0), 0);
    EXPECT_EQ(MessagesOf(window), std::vector<UINT>{WM_USER + 3});

    MSG message;
    ASSERT_TRUE(PeekMessage(&message, window, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_USER + 1u);
    EXPECT_EQ(message.hwnd, window);
    EXPECT_EQ(message.wParam, 1u);
    EXPECT_EQ(message.lParam, 2);
    EXPECT_EQ(TakeAll(window), (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_PAINT}));

    // A filter passes only its range; paint waits until it is asked for.
    InvalidateRect(window, nullptr, FALSE);
    PostMessage(window, WM_USER + 5, 0, 0);
    EXPECT_FALSE(PeekMessage(&message, window, WM_CHAR, WM_CHAR, PM_REMOVE));
    EXPECT_TRUE(PeekMessage(&message, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_PAINT);
    EXPECT_EQ(TakeAll(window), (std::vector<UINT>{WM_USER + 5, WM_PAINT}));
    EXPECT_FALSE(PostMessage(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0));
}

TEST_F(Messages, QuitEndsGetMessageWithItsCodeAfterPostedMessages) {
    PostQuitMessage(3);
    PostMessage(nullptr, WM_USER, 9, 0);
    MSG message;
    ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), TRUE);
    EXPECT_EQ(message.message, WM_USER);
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(GetMessage(&message, nullptr, 0, 0), FALSE);
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(PeekMessage(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(GetMessage(&message, reinterpret_cast<HWND>(0x1234), 0, 0), -1);
}

TEST_F(Messages, PostMessageFromAnotherThreadWakesGetMessage) {
    const HWND window = Make(WS_POPUP, {0, 0, 10, 10});
    std::thread poster([window] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        PostMessage(window, WM_USER + 7, 70, 0);
        SendMessage(window, WM_USER + 8, 80, 0);
    });
    MSG message;
    ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), TRUE);
    EXPECT_EQ(message.message, WM_USER + 7u);
    // The send from the other thread runs here, on the GUI thread.
    while (MessagesOf(window, {WM_USER + 8}).empty())
        PeekMessage(&message, nullptr, 0, 0, PM_NOREMOVE);
    poster.join();
    EXPECT_EQ(Log().back().wParam, 80u);
}

TEST_F(Messages, TimersPostWmTimerWithTheirIdUntilKilled) {
    const HWND window = Make(WS_POPUP, {0, 0, 10, 10});
    EXPECT_EQ(SetTimer(window, 17, 10, nullptr), 17u);
    MSG message;
    ASSERT_EQ(GetMessage(&message, window, 0, 0), TRUE);
    EXPECT_EQ(message.message, WM_TIMER);
    EXPECT_EQ(message.wParam, 17u);
    EXPECT_EQ(message.lParam, 0);
    Log().clear();
    DispatchMessage(&message);
    EXPECT_EQ(MessagesOf(window), std::vector<UINT>{WM_TIMER});
    EXPECT_TRUE(KillTimer(window, 17));
    EXPECT_FALSE(KillTimer(window, 17));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(PeekMessage(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE));

    // A timer procedure is called by DispatchMessage instead of the window.
    static UINT_PTR calledWith = 0;
    SetTimer(window, 5, 10, [](HWND, UINT, UINT_PTR id, DWORD) { calledWith = id; });
    ASSERT_EQ(GetMessage(&message, window, WM_TIMER, WM_TIMER), TRUE);
    Log().clear();
    DispatchMessage(&message);
    EXPECT_EQ(calledWith, 5u);
    EXPECT_TRUE(Log().empty());
    KillTimer(window, 5);

    // So is a thread's timer, which has no window.
    const UINT_PTR threadTimer =
        SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) { calledWith = id; });
    ASSERT_NE(threadTimer, 0u);
    ASSERT_EQ(GetMessage(&message, nullptr, WM_TIMER, WM_TIMER), TRUE);
    DispatchMessage(&message);
    EXPECT_EQ(calledWith, threadTimer);
    KillTimer(nullptr, threadTimer);
}

TEST_F(Messages, ModalLoopsEndWithTheirResult) {
    WNDCLASS windowClass;
    windowClass.lpfnWndProc = EndsOnCommand;
    windowClass.lpszClassName = "ModalTest";
    RegisterClass(&windowClass);
    modalWindow = CreateWindowEx(0, "ModalTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    PostMessage(modalWindow, WM_COMMAND, 2, 0);
    EXPECT_TRUE(PostMessage(modalWindow, WM_USER, 0, 0));
    EXPECT_EQ(RunModalLoop(modalWindow), 2);
    EXPECT_FALSE(IsWindow(modalWindow));
    EXPECT_FALSE(EndModalLoop(modalWindow, 1));

    // WM_QUIT leaves the loop with -1 and stays for the outer loop.
    const HWND window = Make(WS_POPUP, {0, 0, 10, 10});
    PostQuitMessage(4);
    EXPECT_EQ(RunModalLoop(window), -1);
    MSG message;
    EXPECT_EQ(GetMessage(&message, nullptr, 0, 0), FALSE);
    EXPECT_EQ(message.wParam, 4u);

    // A window destroyed without ending its loop ends it too.
    PostMessage(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunModalLoop(window), -1);
    EXPECT_FALSE(IsWindow(window));
    UnregisterClass("ModalTest", nullptr);
}

TEST_F(Messages, MessageBeepIsRecorded) {
    internal::ClearRecordedBeeps();
    MessageBeep(0);
    MessageBeep(0xFFFFFFFF);
    EXPECT_EQ(internal::RecordedBeeps(), (std::vector<UINT>{0, 0xFFFFFFFF}));
}
