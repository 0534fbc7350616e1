// The message queue of the GUI thread: posted messages and translated input
// (safe from any thread), and the quit request.
#pragma once

#include "platform/win/messages.h"

namespace win::internal {

// The modifier keys held when a queued input message happened.
struct KeyState {
    bool shift = false;
    bool control = false;
    bool alt = false;
};

// Milliseconds since the queue began; the time of every MSG.
DWORD MessageTime();
POINT PointerPosition();
void SetPointerPosition(POINT screen);

void EnqueuePosted(const MSG& message);
void EnqueueInput(const MSG& message, KeyState keys);
// The first queued message that passes the filter; removing an input message
// makes its key state current.
bool TakeQueued(MSG* message, HWND window, UINT filterMin, UINT filterMax, bool remove);
// The modifier keys of the input message removed last.
KeyState CurrentKeyState();
void DiscardMessagesFor(HWND window);

void RequestQuit(int exitCode);
bool TakeQuit(MSG* message, bool remove);

bool IsGuiThread();
// Makes a GUI thread waiting for messages look again.
void WakeGuiThread();

} // namespace win::internal
