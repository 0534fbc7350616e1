// The system cursors, shown over our windows as Qt cursor shapes.
#include "platform/win/cursor.h"

#include "platform/sys/lasterror.h"
#include "platform/win/application.h"
#include "platform/win/input.h"
#include "platform/win/qtwindow.h"
#include "platform/win/windowinternals.h"

#include <QGuiApplication>

#include <cstdint>

namespace win {
namespace {

struct SystemCursor {
    std::uintptr_t id;
    Qt::CursorShape shape;
};

// A predefined cursor's handle is its IDC_* number.
constexpr SystemCursor kSystemCursors[] = {
    {32512, Qt::ArrowCursor}, {32513, Qt::IBeamCursor},        {32514, Qt::WaitCursor},
    {32515, Qt::CrossCursor}, {32649, Qt::PointingHandCursor},
};

struct CursorState {
    HCURSOR current = nullptr;
    bool set = false; // SetCursor was called: its cursor replaces class cursors
    int displayCount = 0;
    HWND pointerWindow = nullptr;
};

CursorState& State() {
    static CursorState state;
    return state;
}

// Null when the number (a handle or a resource name) is none of the system
// cursors.
const SystemCursor* FindSystemCursor(std::uintptr_t id) {
    for (const SystemCursor& system : kSystemCursors)
        if (system.id == id)
            return &system;
    return nullptr;
}

const SystemCursor* FindSystemCursor(HCURSOR cursor) {
    return FindSystemCursor(reinterpret_cast<std::uintptr_t>(cursor));
}

Qt::CursorShape ShapeOf(HCURSOR cursor) {
    const SystemCursor* system = FindSystemCursor(cursor);
    return system ? system->shape : Qt::BlankCursor;
}

} // namespace

namespace internal {

void NotePointerOver(HWND window) {
    CursorState& state = State();
    if (state.pointerWindow == window)
        return;
    state.pointerWindow = window;
    ApplyCursor(window);
}

void ApplyCursor(HWND window) {
    const Window* record = LookUpWindow(window);
    if (!record || !record->widget)
        return;
    const CursorState& state = State();
    const HCURSOR cursor = state.set ? state.current : record->windowClass->info.hCursor;
    if (cursor || state.set)
        record->widget->setCursor(ShapeOf(cursor));
}

} // namespace internal

HCURSOR LoadCursor(HINSTANCE instance, const char* name) {
    if (instance || !IS_INTRESOURCE(name))
        return nullptr;
    const SystemCursor* system = FindSystemCursor(reinterpret_cast<std::uintptr_t>(name));
    return system ? reinterpret_cast<HCURSOR>(system->id) : nullptr;
}

BOOL DestroyCursor(HCURSOR cursor) {
    if (FindSystemCursor(cursor))
        return TRUE;
    SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    return FALSE;
}

HCURSOR SetCursor(HCURSOR cursor) {
    CursorState& state = State();
    const HCURSOR previous = state.current;
    state.current = cursor;
    state.set = true;
    const HWND capture = GetCapture();
    internal::ApplyCursor(capture ? capture : state.pointerWindow);
    return previous;
}

HCURSOR GetCursor() {
    return State().current;
}

int ShowCursor(BOOL show) {
    internal::EnsureApplication();
    CursorState& state = State();
    const int before = state.displayCount;
    state.displayCount += show ? 1 : -1;
    if (before >= 0 && state.displayCount < 0)
        QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    else if (before < 0 && state.displayCount >= 0)
        QGuiApplication::restoreOverrideCursor();
    return state.displayCount;
}

} // namespace win
