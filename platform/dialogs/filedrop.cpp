#include "platform/dialogs/filedrop.h"

#include "platform/win/droppedfiles.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace win {
namespace {

constexpr UINT kFileCount = 0xFFFFFFFF;

struct Drop {
    std::vector<std::string> files;
    POINT point;
    bool inClient = false;
};

// Drops are read on the GUI thread but may be handed to any thread, as a
// handle can be; the table is guarded.
struct DropTable {
    std::mutex lock;
    std::map<HDROP, Drop> drops;
    std::uintptr_t next = 1;
};

DropTable& Drops() {
    static DropTable table;
    return table;
}

template <typename Read> auto WithDrop(HDROP drop, Read read) {
    DropTable& table = Drops();
    const std::lock_guard guard(table.lock);
    const auto found = table.drops.find(drop);
    return read(found == table.drops.end() ? nullptr : &found->second);
}

bool AcceptsFiles(HWND window) {
    return (GetWindowLong(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
}

} // namespace

namespace internal {

HWND DropTargetOf(HWND window) {
    while (window && IsWindow(window) && !AcceptsFiles(window)) {
        // Only child windows pass a drop on to their parent.
        if (!(GetWindowLong(window, GWL_STYLE) & WS_CHILD))
            return nullptr;
        window = GetParent(window);
    }
    return window && IsWindow(window) ? window : nullptr;
}

void FilesDropped(HWND window, const std::vector<std::string>& files, POINT client) {
    const HWND target = DropTargetOf(window);
    if (!target || files.empty())
        return;
    Drop drop;
    drop.files = files;
    drop.point = client;
    ClientToScreen(window, &drop.point);
    ScreenToClient(target, &drop.point);
    RECT area;
    GetClientRect(target, &area);
    drop.inClient = drop.point.x >= area.left && drop.point.x < area.right &&
                    drop.point.y >= area.top && drop.point.y < area.bottom;
    HDROP handle = nullptr;
    {
        DropTable& table = Drops();
        const std::lock_guard guard(table.lock);
        handle = reinterpret_cast<HDROP>(table.next++);
        table.drops[handle] = std::move(drop);
    }
    PostMessage(target, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
}

} // namespace internal

void DragAcceptFiles(HWND window, BOOL accept) {
    const LONG style = GetWindowLong(window, GWL_EXSTYLE);
    const auto flag = static_cast<LONG>(WS_EX_ACCEPTFILES);
    SetWindowLong(window, GWL_EXSTYLE, accept ? (style | flag) : (style & ~flag));
}

UINT DragQueryFile(HDROP drop, UINT index, char* buffer, UINT size) {
    return WithDrop(drop, [&](const Drop* found) -> UINT {
        if (!found)
            return 0;
        if (index == kFileCount)
            return static_cast<UINT>(found->files.size());
        if (index >= found->files.size())
            return 0;
        const std::string& name = found->files[index];
        if (!buffer)
            return static_cast<UINT>(name.size());
        if (size == 0)
            return 0;
        const std::size_t copied = std::min<std::size_t>(name.size(), size - 1);
        std::memcpy(buffer, name.data(), copied);
        buffer[copied] = '\0';
        return static_cast<UINT>(copied);
    });
}

BOOL DragQueryPoint(HDROP drop, POINT* point) {
    return WithDrop(drop, [&](const Drop* found) -> BOOL {
        if (!found || !point)
            return FALSE;
        *point = found->point;
        return found->inClient ? TRUE : FALSE;
    });
}

void DragFinish(HDROP drop) {
    DropTable& table = Drops();
    const std::lock_guard guard(table.lock);
    table.drops.erase(drop);
}

} // namespace win
