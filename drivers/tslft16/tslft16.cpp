// The simulated 16-bit Tessel driver behind tslft32: the peer block
// thk_ThunkData16 with the 19 routines of the shutter interface, working in
// the 16-bit calling world (argument words in, DX:AX out, 16:16 pointers).
//
// Configuration (file named by BINOXA_TSLFT16_CONFIG, format in
// support/driverconfig.h):
//   mode <width> <height> <bits>   a 3-D mode; the first one replaces the
//                                  built-in 640x480x8 and 800x600x8
//   handle <value>                 the device handle tslInitialize answers
//   status <code>                  the status the device is in after
//                                  tslInitialize (a failed initialisation)
//   version <major> <minor>        what tslVersion reports
//   fail <export name> <value>     that routine answers the value (DX:AX) and
//                                  takes it as its status, every time
#include "../support/driverconfig.h"
#include "../support/simcontrol.h"

#include "platform/thunk/flatthunk.h"
#include "platform/thunk/selectors.h"
#include "shutterthunk/tslapi.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using win::DWORD;
using win::WORD;

namespace {

// Statuses of the device (tslGetStatus).
enum : DWORD {
    STATUS_OK = 0,
    STATUS_BAD_HANDLE = 1,
    STATUS_INVALID_VALUE = 5,
    STATUS_UNAVAILABLE_MODE = 6,
    STATUS_NOT_IN_2D = 7,
    STATUS_NOT_INITIALIZED = 10,
};

// The only 3-D mode the interface defines: row-interleaved stereo.
constexpr WORD interleavedMode = 0xF5;

struct Device {
    DWORD handle = 0x7E550001;
    DWORD initialStatus = STATUS_OK;
    WORD versionMajor = 2;
    WORD versionMinor = 10;
    std::vector<TslModeInfo> modes{{640, 480, 8, 0}, {800, 600, 8, 0}};

    bool initialized = false;
    bool on = false;
    DWORD status = STATUS_NOT_INITIALIZED;
    std::map<std::pair<WORD, WORD>, WORD> params;
};

Device Configured() {
    Device device;
    bool defaultModes = true;
    for (const drivers::ConfigLine& line : drivers::ReadConfig("BINOXA_TSLFT16_CONFIG")) {
        if (line.keyword == "mode") {
            if (const auto mode = drivers::ParseNumbers(line, 3, 1, 0xFFFF)) {
                if (std::exchange(defaultModes, false)) {
                    device.modes.clear();
                }
                device.modes.push_back({static_cast<WORD>((*mode)[0]),
                                        static_cast<WORD>((*mode)[1]),
                                        static_cast<WORD>((*mode)[2]), 0});
            }
        } else if (line.keyword == "handle") {
            if (const auto value = drivers::ParseNumbers(line, 1, 0, 0xFFFFFFFF)) {
                device.handle = static_cast<DWORD>((*value)[0]);
            }
        } else if (line.keyword == "status") {
            if (const auto value = drivers::ParseNumbers(line, 1, 0, 0xFFFF)) {
                device.initialStatus = static_cast<DWORD>((*value)[0]);
            }
        } else if (line.keyword == "version") {
            if (const auto value = drivers::ParseNumbers(line, 2, 0, 0xFFFF)) {
                device.versionMajor = static_cast<WORD>((*value)[0]);
                device.versionMinor = static_cast<WORD>((*value)[1]);
            }
        } else {
            drivers::ApplyFailSetting(line);
        }
    }
    return device;
}

Device& State() {
    static Device device = Configured();
    return device;
}

// The argument words of one call, taken in the order they were pushed.
class Arguments {
public:
    Arguments(const WORD* words, win::UINT count) : words(words), count(count) {}
    DWORD Dword() {
        const DWORD high = Word();
        return high << 16 | Word();
    }
    WORD Word() { return next < count ? words[next++] : 0; }
    template <typename T> T* Pointer() { return static_cast<T*>(win::MapSL(Dword())); }
    // Whether exactly the expected number of words came.
    bool Complete() const { return next == count; }

private:
    const WORD* words;
    win::UINT count;
    win::UINT next = 0;
};

void Record(const char* name, const WORD* words, win::UINT count) {
    std::string call = std::string(name) + "(";
    for (win::UINT i = 0; i < count; ++i) {
        char word[8];
        std::snprintf(word, sizeof word, i == 0 ? "%04X" : " %04X", words[i]);
        call += word;
    }
    drivers::Calls().Add(call + ")");
}

// The outcome of an operation: its status, also what it returns.
DWORD Finish(DWORD status) {
    State().status = status;
    return status;
}

// The checks every routine with a handle makes first; a status when the
// call cannot go on.
std::optional<DWORD> CheckHandle(DWORD handle, const Arguments& arguments) {
    if (!arguments.Complete()) {
        return Finish(STATUS_INVALID_VALUE);
    }
    if (!State().initialized) {
        return Finish(STATUS_NOT_INITIALIZED);
    }
    if (handle != State().handle) {
        return Finish(STATUS_BAD_HANDLE);
    }
    return std::nullopt;
}

// Each routine: record the call, answer an injected value, else do the work.
template <DWORD (*work)(Arguments&)>
DWORD Routine(const char* name, const WORD* words, win::UINT count) {
    Record(name, words, count);
    if (const std::optional<long> injected = drivers::Injected().Take(name)) {
        return Finish(static_cast<DWORD>(*injected));
    }
    Arguments arguments(words, count);
    return work(arguments);
}

DWORD Initialize(Arguments& arguments) {
    if (!arguments.Complete()) {
        return Finish(STATUS_INVALID_VALUE);
    }
    Device& device = State();
    device.initialized = true;
    device.on = false;
    device.status = device.initialStatus;
    return device.handle;
}

DWORD Exit(Arguments& arguments) {
    if (const auto failed = CheckHandle(arguments.Dword(), arguments)) {
        return *failed;
    }
    State().initialized = false;
    State().on = false;
    State().status = STATUS_NOT_INITIALIZED;
    return 0;
}

DWORD Version(Arguments& arguments) {
    const DWORD handle = arguments.Dword();
    auto* major = arguments.Pointer<WORD>();
    auto* minor = arguments.Pointer<WORD>();
    if (const auto failed = CheckHandle(handle, arguments)) {
        return *failed;
    }
    if (!major || !minor) {
        return Finish(STATUS_INVALID_VALUE);
    }
    *major = State().versionMajor;
    *minor = State().versionMinor;
    return Finish(STATUS_OK);
}

DWORD GetStatus(Arguments& arguments) {
    if (const auto failed = CheckHandle(arguments.Dword(), arguments)) {
        return *failed;
    }
    return State().status;
}

const char* StatusText(DWORD status) {
    static constexpr std::array<const char*, 11> texts = {
        "OK",
        "Bad handle",
        "TSbios not detected",
        "Mode not configured",
        "Function not implemented",
        "Invalid value",
        "Mode unavailable",
        "Function not available in 2D mode",
        "Unknown error",
        "DLL not found",
        "Not initialized",
    };
    return status < texts.size() ? texts[status] : "Unknown status";
}

// The texts stay mapped for the life of the driver, as 16-bit code keeps
// its string segment.
DWORD StatusString(Arguments& arguments) {
    const DWORD status = arguments.Dword();
    static std::mutex mutex;
    static std::map<const char*, win::SEGPTR> mapped;
    std::lock_guard lock(mutex);
    const char* text = StatusText(status);
    auto [entry, added] = mapped.try_emplace(text, 0);
    if (added) {
        entry->second = win::SMapLS(text);
    }
    return entry->second;
}

DWORD ShowBuffer(Arguments& arguments) {
    const DWORD handle = arguments.Dword();
    const WORD buffer = arguments.Word();
    arguments.Word(); // flags
    if (const auto failed = CheckHandle(handle, arguments)) {
        return *failed;
    }
    return Finish(buffer < 2 ? STATUS_OK : STATUS_INVALID_VALUE);
}

DWORD GetBuffer(Arguments& arguments) {
    const DWORD handle = arguments.Dword();
    const WORD buffer = arguments.Word();
    auto* address = arguments.Pointer<DWORD>();
    if (const auto failed = CheckHandle(handle, arguments)) {
        return *failed;
    }
    if (buffer >= 2 || !address) {
        return Finish(STATUS_INVALID_VALUE);
    }
    *address = 0xA0000000u + buffer * 0x8000u; // where the frame buffer would be
    return Finish(STATUS_OK);
}

DWORD NumBuffers(Arguments& arguments) {
    if (const auto failed = CheckHandle(arguments.Dword(), arguments)) {
        return 0;
    }
    Finish(STATUS_OK);
    return 2;
}

DWORD Num3dModes(Arguments& arguments) {
    if (const auto failed = CheckHandle(arguments.Dword(), arguments)) {
        return 0;
    }
    Finish(STATUS_OK);
    return static_cast<WORD>(State().modes.size());
}

DWORD ModeInfo(Arguments& arguments) {
    const DWORD handle = arguments.Dword();
    const WORD index = arguments.Word();
    auto* info = arguments.Pointer<TslModeInfo>();
    if (const auto failed = CheckHandle(handle, arguments)) {
        return *failed;
    }
    if (index >= State().modes.size() || !info) {
        return Finish(STATUS_INVALID_VALUE);
    }
    std::memcpy(info, &State().modes[index], sizeof(TslModeInfo));
    return Finish(STATUS_OK);
}

DWORD On(Arguments& arguments) {
    const DWORD handle = arguments.Dword();
    const WORD mode = arguments.Word();
    if (const auto failed = CheckHandle(handle, arguments)) {
        return *failed;
    }
    if (mode != interleavedMode) {
        return Finish(STATUS_UNAVAILABLE_MODE);
    }
    State().on = true;
    return Finish(STATUS_OK);
}

DWORD Flags(Arguments& arguments) {
    const DWORD handle = arguments.Dword();
    auto* flags = arguments.Pointer<WORD>();
    if (const auto failed = CheckHandle(handle, arguments)) {
        return *failed;
    }
    if (!flags) {
        return Finish(STATUS_INVALID_VALUE);
    }
    *flags = State().on ? 1 : 0;
    return Finish(STATUS_OK);
}

DWORD Off(Arguments& arguments) {
    if (const auto failed = CheckHandle(arguments.Dword(), arguments)) {
        return *failed;
    }
    State().on = false;
    return Finish(STATUS_OK);
}

// Losing and gaining the focus only matter to a real screen.
DWORD Focus(Arguments& arguments) {
    if (const auto failed = CheckHandle(arguments.Dword(), arguments)) {
        return *failed;
    }
    return Finish(STATUS_OK);
}

DWORD Is3d(Arguments& arguments) {
    if (const auto failed = CheckHandle(arguments.Dword(), arguments)) {
        return 0;
    }
    return State().on ? 1 : 0;
}

DWORD DebugInfo(Arguments& arguments) {
    const DWORD handle = arguments.Dword();
    auto* info = arguments.Pointer<char>();
    if (const auto failed = CheckHandle(handle, arguments)) {
        return *failed;
    }
    if (!info) {
        return Finish(STATUS_INVALID_VALUE);
    }
    std::snprintf(info, TSL_DEBUG_INFO_SIZE, "simulated TSLFT16, %zu modes", State().modes.size());
    return Finish(STATUS_OK);
}

// A parameter answers its value in the first out word, the rest are zero.
DWORD GetParam(Arguments& arguments) {
    const DWORD handle = arguments.Dword();
    const WORD group = arguments.Word();
    const WORD param = arguments.Word();
    std::array<WORD*, 4> values{};
    for (WORD*& value : values) {
        value = arguments.Pointer<WORD>();
    }
    if (const auto failed = CheckHandle(handle, arguments)) {
        return *failed;
    }
    const auto stored = State().params.find({group, param});
    if (stored == State().params.end()) {
        return Finish(STATUS_INVALID_VALUE);
    }
    for (WORD* value : values) {
        if (value) {
            *value = value == values[0] ? stored->second : 0;
        }
    }
    return Finish(STATUS_OK);
}

DWORD SetParam(Arguments& arguments) {
    const DWORD handle = arguments.Dword();
    const WORD group = arguments.Word();
    const WORD param = arguments.Word();
    const WORD value = arguments.Word();
    if (const auto failed = CheckHandle(handle, arguments)) {
        return *failed;
    }
    State().params[{group, param}] = value;
    return Finish(STATUS_OK);
}

#define TSL_ROUTINE(name, work)                                                                    \
    [](const WORD* words, win::UINT count) { return Routine<work>(name, words, count); }

const std::array<win::THUNK16ROUTINE, TSL_ROUTINE_COUNT> routines = {
    TSL_ROUTINE("tslSetParam", SetParam),
    TSL_ROUTINE("tslGetParam", GetParam),
    TSL_ROUTINE("tslDebugInfo", DebugInfo),
    TSL_ROUTINE("tslIs3d", Is3d),
    TSL_ROUTINE("tslGainFocus", Focus),
    TSL_ROUTINE("tslLoseFocus", Focus),
    TSL_ROUTINE("tsl3dOff", Off),
    TSL_ROUTINE("tsl3dFlags", Flags),
    TSL_ROUTINE("tsl3dOn", On),
    TSL_ROUTINE("tsl3dModeInfo", ModeInfo),
    TSL_ROUTINE("tslNum3dModes", Num3dModes),
    TSL_ROUTINE("tslNumBuffers", NumBuffers),
    TSL_ROUTINE("tslGetBuffer", GetBuffer),
    TSL_ROUTINE("tslShowBuffer", ShowBuffer),
    TSL_ROUTINE("tslStatusString", StatusString),
    TSL_ROUTINE("tslGetStatus", GetStatus),
    TSL_ROUTINE("tslVersion", Version),
    TSL_ROUTINE("tslExit", Exit),
    TSL_ROUTINE("tslInitialize", Initialize),
};

} // namespace

void drivers::ResetDevice() {
    State() = Configured();
}

extern "C" const win::ThunkData16 thk_ThunkData16 = {win::THUNK16_SIGNATURE, TSL_ROUTINE_COUNT,
                                                     routines.data()};
