// The simulated OSPI stereo device interface: one stereo device with a list
// of stereo modes, opened for one render kind at a time, that can be switched
// on for one of its modes.
//
// Configuration (file named by BINOXA_OSPI_CONFIG, format in
// support/driverconfig.h):
//   mode <width> <height> <bits> <kind> <flags>
//                             a stereo mode (kind 1 page-flipped, 2
//                             interleaved, 3 side by side; flags 0x20 half
//                             height, 0x40 exclusive); the first one replaces
//                             the built-in list
//   handle <value>            the device handle _ospiMetaInit gives (not 0)
//   fail <function> <status>  that function answers the status, every time
// The built-in modes: 640x480 and 800x600 half-height interleaved at 16 and
// 32 bits, 1024x768x16 full-height interleaved, 640x480x8 page-flipped and
// 800x600x8 half-height interleaved but exclusive.
#include "../support/driverconfig.h"
#include "../support/simcontrol.h"

#include "devices/ospiapi.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

using win::DWORD;
using win::LONG;
using win::WORD;

namespace {

struct Device {
    OspiHandle handle = 0x05910001;
    std::vector<OspiModeInfo> modes{
        {640, 480, 16, OSPI_MODE_INTERLEAVED, OSPI_MODE_HALF_HEIGHT, {}, 60},
        {640, 480, 32, OSPI_MODE_INTERLEAVED, OSPI_MODE_HALF_HEIGHT, {}, 60},
        {800, 600, 16, OSPI_MODE_INTERLEAVED, OSPI_MODE_HALF_HEIGHT, {}, 60},
        {800, 600, 32, OSPI_MODE_INTERLEAVED, OSPI_MODE_HALF_HEIGHT, {}, 60},
        {1024, 768, 16, OSPI_MODE_INTERLEAVED, 0, {}, 60},
        {640, 480, 8, OSPI_MODE_PAGE_FLIPPED, 0, {}, 120},
        {800, 600, 8, OSPI_MODE_INTERLEAVED, OSPI_MODE_HALF_HEIGHT | OSPI_MODE_EXCLUSIVE, {}, 60},
    };

    bool open = false;
    DWORD messageSize = 0; // of the buffer _ospiMetaInit was given
    bool stereoOn = false;
    int renderStage = 0; // 0 idle, 1 first eye, 2 second eye
};

Device Configured() {
    Device device;
    bool builtInModes = true;
    for (const drivers::ConfigLine& line : drivers::ReadConfig("BINOXA_OSPI_CONFIG")) {
        if (line.keyword == "mode") {
            if (const auto mode = drivers::ParseNumbers(line, 5, 0, 0xFFFF)) {
                if (std::exchange(builtInModes, false)) {
                    device.modes.clear();
                }
                const auto field = [&](int i) { return static_cast<WORD>((*mode)[i]); };
                device.modes.push_back({field(0),
                                        field(1),
                                        field(2),
                                        field(3),
                                        static_cast<win::BYTE>(field(4)),
                                        {},
                                        60});
            }
        } else if (line.keyword == "handle") {
            if (const auto value = drivers::ParseNumbers(line, 1, 1, 0xFFFFFFFF)) {
                device.handle = static_cast<OspiHandle>((*value)[0]);
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

bool SameGuid(const win::GUID& a, const win::GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

// What the interface says about itself in the caller's message buffer.
void WriteMessage(char* message, const char* text) {
    if (message && State().messageSize > 0) {
        std::snprintf(message, State().messageSize, "%s", text);
    }
}

// The status for a call on the open device; OSPI_OK when it may go on.
LONG CheckHandle(OspiHandle handle) {
    if (!State().open) {
        return OSPI_NOT_INITIALIZED;
    }
    return handle == State().handle ? OSPI_OK : OSPI_INVALID_HANDLE;
}

// Records the call; an injected status wins, then the handle check.
template <typename... Arguments>
std::optional<LONG> Refused(const char* name, OspiHandle handle, const Arguments&... arguments) {
    if (const auto injected = drivers::Received(name, handle, arguments...)) {
        return static_cast<LONG>(*injected);
    }
    if (const LONG status = CheckHandle(handle); status != OSPI_OK) {
        return status;
    }
    return std::nullopt;
}

bool Matches(const OspiModeInfo& mode, const OspiModeQuery& query) {
    return mode.width == query.width && mode.height == query.height &&
           (query.bitsPerPixel == 0 || mode.bitsPerPixel == query.bitsPerPixel);
}

std::vector<const OspiModeInfo*> ModesFor(const OspiModeQuery& query) {
    std::vector<const OspiModeInfo*> found;
    for (const OspiModeInfo& mode : State().modes) {
        if (Matches(mode, query)) {
            found.push_back(&mode);
        }
    }
    return found;
}

std::string QueryText(const OspiModeQuery* query) {
    if (!query) {
        return "null";
    }
    char text[48];
    std::snprintf(text, sizeof text, "%ux%ux%u", query->width, query->height, query->bitsPerPixel);
    return text;
}

// The device names of both lists.
constexpr const char* stereoDeviceName = "Simulated interleaving shutter glasses";
constexpr std::array<const char*, 2> renderDeviceNames = {"GDI", "DirectDraw"};

LONG DeviceInfo(const char* name, OspiDeviceInfo* info) {
    if (!info) {
        return OSPI_BAD_PARAMETER;
    }
    *info = OspiDeviceInfo{};
    std::snprintf(info->name, sizeof info->name, "%s", name);
    return OSPI_OK;
}

// Rendering goes idle, first eye, second eye, idle again.
LONG RenderStep(const char* name, OspiHandle handle, int from, int to) {
    if (const auto status = Refused(name, handle)) {
        return *status;
    }
    if (!State().stereoOn) {
        return OSPI_STEREO_NOT_ON;
    }
    if (State().renderStage != from) {
        return OSPI_BAD_PARAMETER;
    }
    State().renderStage = to;
    return OSPI_OK;
}

} // namespace

void drivers::ResetDevice() {
    State() = Configured();
}

extern "C" {

const char* _ospiMetaStatusString(OspiHandle handle, LONG status) {
    drivers::Received("_ospiMetaStatusString", handle, status);
    switch (status) {
    case OSPI_OK:
        return "OK";
    case OSPI_INVALID_HANDLE:
        return "Invalid device handle";
    case OSPI_NOT_INITIALIZED:
        return "Device not initialized";
    case OSPI_BAD_PARAMETER:
        return "Invalid parameter";
    case OSPI_UNKNOWN_RENDER_KIND:
        return "Unknown render kind";
    case OSPI_NO_SUCH_MODE:
        return "No such stereo mode";
    case OSPI_STEREO_ALREADY_ON:
        return "Stereo is already on";
    case OSPI_STEREO_NOT_ON:
        return "Stereo is not on";
    case OSPI_NO_DEVICE:
        return "No stereo device";
    default:
        return nullptr;
    }
}

LONG _ospiMetaNumStereoDevices(DWORD* count) {
    if (const auto status = drivers::Received("_ospiMetaNumStereoDevices", count)) {
        return static_cast<LONG>(*status);
    }
    if (!count) {
        return OSPI_BAD_PARAMETER;
    }
    *count = 1;
    return OSPI_OK;
}

LONG _ospiMetaGetStereoDeviceInfo(DWORD index, OspiDeviceInfo* info) {
    if (const auto status = drivers::Received("_ospiMetaGetStereoDeviceInfo", index, info)) {
        return static_cast<LONG>(*status);
    }
    return index == 0 ? DeviceInfo(stereoDeviceName, info) : OSPI_NO_DEVICE;
}

LONG _ospiMetaNumRenderDevices(DWORD* count) {
    if (const auto status = drivers::Received("_ospiMetaNumRenderDevices", count)) {
        return static_cast<LONG>(*status);
    }
    if (!count) {
        return OSPI_BAD_PARAMETER;
    }
    *count = renderDeviceNames.size();
    return OSPI_OK;
}

LONG _ospiMetaGetRenderDeviceInfo(DWORD index, OspiDeviceInfo* info) {
    if (const auto status = drivers::Received("_ospiMetaGetRenderDeviceInfo", index, info)) {
        return static_cast<LONG>(*status);
    }
    return index < renderDeviceNames.size() ? DeviceInfo(renderDeviceNames[index], info)
                                            : OSPI_NO_DEVICE;
}

LONG _ospiMetaInit(OspiHandle* handle, DWORD flags, const win::GUID* renderKind, DWORD messageSize,
                   char* message) {
    const char* kind = !renderKind                                     ? "null"
                       : SameGuid(*renderKind, OSPI_RENDER_DIRECTDRAW) ? "DirectDraw"
                       : SameGuid(*renderKind, OSPI_RENDER_GDI)        ? "GDI"
                                                                       : "unknown";
    Device& device = State();
    device.messageSize = message ? messageSize : 0;
    if (const auto status = drivers::Received("_ospiMetaInit", handle, flags, kind, messageSize)) {
        WriteMessage(message, "Simulated OSPI device refused to open");
        return static_cast<LONG>(*status);
    }
    if (!handle) {
        return OSPI_BAD_PARAMETER;
    }
    if (!renderKind || std::strcmp(kind, "unknown") == 0) {
        WriteMessage(message, "Simulated OSPI device: unknown render kind");
        return OSPI_UNKNOWN_RENDER_KIND;
    }
    device.open = true;
    *handle = device.handle;
    WriteMessage(message, "Simulated OSPI device open");
    return OSPI_OK;
}

LONG _ospiMetaExit(OspiHandle handle, char* message) {
    if (const auto status = Refused("_ospiMetaExit", handle, message)) {
        return *status;
    }
    State().open = false;
    State().stereoOn = false;
    State().renderStage = 0;
    WriteMessage(message, "Simulated OSPI device closed");
    return OSPI_OK;
}

LONG _ospiMetaNumStereoModes(OspiHandle handle, DWORD* count, const OspiModeQuery* query) {
    if (const auto status = Refused("_ospiMetaNumStereoModes", handle, count, QueryText(query))) {
        return *status;
    }
    if (!count || !query) {
        return OSPI_BAD_PARAMETER;
    }
    *count = static_cast<DWORD>(ModesFor(*query).size());
    return OSPI_OK;
}

LONG _ospiMetaEnumStereoModes(OspiHandle handle, const OspiModeQuery* query, DWORD index,
                              OspiModeInfo* info) {
    if (const auto status =
            Refused("_ospiMetaEnumStereoModes", handle, QueryText(query), index, info)) {
        return *status;
    }
    if (!query || !info) {
        return OSPI_BAD_PARAMETER;
    }
    const std::vector<const OspiModeInfo*> modes = ModesFor(*query);
    if (index >= modes.size()) {
        return OSPI_NO_SUCH_MODE;
    }
    *info = *modes[index];
    return OSPI_OK;
}

LONG _ospiMetaBeginRender(OspiHandle handle) {
    return RenderStep("_ospiMetaBeginRender", handle, 0, 1);
}

LONG _ospiMetaBetweenRender(OspiHandle handle) {
    return RenderStep("_ospiMetaBetweenRender", handle, 1, 2);
}

LONG _ospiMetaEndRender(OspiHandle handle) {
    return RenderStep("_ospiMetaEndRender", handle, 2, 0);
}

LONG _ospiMetaFlip(OspiHandle handle) {
    return RenderStep("_ospiMetaFlip", handle, 0, 0);
}

LONG _ospiMetaStereoOn(OspiHandle handle, const OspiModeQuery* query, DWORD flags,
                       const OspiRenderDevice* device, const OspiModeInfo* mode) {
    const int deviceKind = device ? device->kind : -1;
    const void* target = device ? static_cast<const void*>(device->primary) : nullptr;
    if (const auto status = Refused("_ospiMetaStereoOn", handle, QueryText(query), flags,
                                    deviceKind, target, mode)) {
        return *status;
    }
    if (!query || !device || !mode || !target ||
        (device->kind != OSPI_RENDER_DEVICE_GDI && device->kind != OSPI_RENDER_DEVICE_DIRECTDRAW)) {
        return OSPI_BAD_PARAMETER;
    }
    if (State().stereoOn) {
        return OSPI_STEREO_ALREADY_ON;
    }
    bool listed = false;
    for (const OspiModeInfo* candidate : ModesFor(*query)) {
        listed = listed || std::memcmp(candidate, mode, sizeof *mode) == 0;
    }
    if (!listed) {
        return OSPI_NO_SUCH_MODE;
    }
    State().stereoOn = true;
    return OSPI_OK;
}

LONG _ospiMetaStereoOff(OspiHandle handle) {
    if (const auto status = Refused("_ospiMetaStereoOff", handle)) {
        return *status;
    }
    if (!State().stereoOn) {
        return OSPI_STEREO_NOT_ON;
    }
    State().stereoOn = false;
    State().renderStage = 0;
    return OSPI_OK;
}

LONG _ospiMetaIsStereoOn(OspiHandle handle, DWORD* on) {
    if (const auto status = Refused("_ospiMetaIsStereoOn", handle, on)) {
        return *status;
    }
    if (!on) {
        return OSPI_BAD_PARAMETER;
    }
    *on = State().stereoOn ? 1 : 0;
    return OSPI_OK;
}

// The focus only matters to a real screen.
LONG _ospiMetaGainFocus(OspiHandle handle) {
    return Refused("_ospiMetaGainFocus", handle).value_or(OSPI_OK);
}

LONG _ospiMetaLoseFocus(OspiHandle handle) {
    return Refused("_ospiMetaLoseFocus", handle).value_or(OSPI_OK);
}
}
