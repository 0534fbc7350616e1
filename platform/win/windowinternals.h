// What the pieces of the windows layer ask of each other.
#pragma once

#include "platform/win/messagequeue.h"
#include "platform/win/windowtable.h"

#include <functional>

namespace win::internal {

// Runs the call from the GUI thread's event loop, outside the Qt event
// handler that asks for it.
void Defer(std::function<void()> call);

// Calls the window procedure on the GUI thread; 0 for no such window.
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the window as its style and rectangle say: hidden, 1:1, or full
// screen on the real screen when it is a top-most window covering the
// virtual screen.
void ApplyPresentation(HWND window);
// After the client size changed: a new framebuffer, all of it to paint, and
// WM_SIZE.
void ClientSizeChanged(HWND window);
// The depth every window framebuffer has.
int CurrentDepth();
// Re-creates every framebuffer at the current mode's depth.
void WatchDisplayMode();

// WM_PAINT for a visible window with a non-empty update region.
bool TakePaint(MSG* message, HWND window, UINT filterMin, UINT filterMax);
// WM_TIMER for an elapsed timer.
bool TakeTimer(MSG* message, HWND window, UINT filterMin, UINT filterMax, bool remove);
void KillTimersOf(HWND window);

// Forgets a destroyed window as focus, capture, foreground and pointer window.
void ForgetInputWindow(HWND window);
void NotePointerOver(HWND window);
// The window's class cursor, or the cursor set last.
void ApplyCursor(HWND window);

void RebuildMenuBar(HWND window);

} // namespace win::internal
