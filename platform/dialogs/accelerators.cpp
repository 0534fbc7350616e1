#include "platform/dialogs/accelerators.h"

#include "platform/win/messagequeue.h"

#include <cstdint>
#include <map>
#include <vector>

namespace win {
namespace {

struct AcceleratorTables {
    std::map<HACCEL, std::vector<ACCEL>> tables;
    std::uintptr_t next = 1;
};

AcceleratorTables& Tables() {
    static AcceleratorTables tables;
    return tables;
}

bool Matches(const ACCEL& entry, const MSG& message, const internal::KeyState& keys) {
    if (entry.fVirt & FVIRTKEY) {
        if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
            return false;
        return entry.key == message.wParam && ((entry.fVirt & FSHIFT) != 0) == keys.shift &&
               ((entry.fVirt & FCONTROL) != 0) == keys.control &&
               ((entry.fVirt & FALT) != 0) == keys.alt;
    }
    const bool wantsAlt = (entry.fVirt & FALT) != 0;
    const UINT character = wantsAlt ? WM_SYSCHAR : WM_CHAR;
    return message.message == character && entry.key == message.wParam;
}

} // namespace

HACCEL CreateAcceleratorTable(const ACCEL* entries, int count) {
    if (!entries || count <= 0)
        return nullptr;
    AcceleratorTables& all = Tables();
    const auto table = reinterpret_cast<HACCEL>(all.next++);
    all.tables[table].assign(entries, entries + count);
    return table;
}

BOOL DestroyAcceleratorTable(HACCEL table) {
    return Tables().tables.erase(table) != 0 ? TRUE : FALSE;
}

int TranslateAccelerator(HWND window, HACCEL table, MSG* message) {
    const auto found = Tables().tables.find(table);
    if (!message || !window || found == Tables().tables.end())
        return 0;
    const internal::KeyState keys = internal::CurrentKeyState();
    for (const ACCEL& entry : found->second) {
        if (Matches(entry, *message, keys)) {
            SendMessage(window, WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
            return 1;
        }
    }
    return 0;
}

} // namespace win
