// Shared pieces of the windows layer's tests: a window procedure that
// records what it receives, and a fixture that starts each test with an
// empty queue.
#pragma once

#include "platform/win/messages.h"
#include "platform/win/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace wintest {

struct Received {
    win::HWND window;
    win::UINT message;
    win::WPARAM wParam;
    win::LPARAM lParam;
};

// Everything RecordingProcedure was given, oldest first.
std::vector<Received>& Log();
// The numbers of the logged messages for one window, without the ones a
// window gets on its own (creation, activation, focus).
std::vector<win::UINT> MessagesOf(win::HWND window, std::vector<win::UINT> only = {});

win::LRESULT RecordingProcedure(win::HWND window, win::UINT message, win::WPARAM wParam,
                                win::LPARAM lParam);

// Class "WinTest": RecordingProcedure, 16 extra bytes, no brush.
const char* TestClass();

win::HWND MakeWindow(win::DWORD style, win::RECT rect, win::HWND parent = nullptr,
                     win::DWORD exStyle = 0);

// Dispatches everything queued now.
void Drain();

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Destroyed at the end of the test.
    win::HWND Make(win::DWORD style, win::RECT rect, win::HWND parent = nullptr,
                   win::DWORD exStyle = 0);

private:
    std::vector<win::HWND> made;
};

} // namespace wintest
