// The OSPI stereo device interface of the Tessel Web Pack ("ospi32.dll"):
// the 18 functions the core resolves by name, the render kinds, the statuses and
// the records. Every function but _ospiMetaStatusString answers a status, 0 on
// success.
#pragma once

#include "platform/ddraw/ddraw.h"
#include "platform/win/wintypes.h"

using OspiHandle = win::DWORD; // 0: no device open

// The render kinds: which kind of display the application draws with, named
// by the GUID that _ospiMetaInit is given.
inline constexpr win::GUID OSPI_RENDER_DIRECTDRAW = {
    0x7A3C41E0, 0x52D1, 0x11D1, {0x9B, 0x6E, 0x00, 0x60, 0x97, 0x1D, 0x4C, 0x07}};
inline constexpr win::GUID OSPI_RENDER_GDI = {
    0x7A3C41E1, 0x52D1, 0x11D1, {0x9B, 0x6E, 0x00, 0x60, 0x97, 0x1D, 0x4C, 0x06}};

enum OspiStatus : win::LONG {
    OSPI_OK = 0,
    OSPI_INVALID_HANDLE = 1,
    OSPI_NOT_INITIALIZED = 2,
    OSPI_BAD_PARAMETER = 3,
    OSPI_UNKNOWN_RENDER_KIND = 4,
    OSPI_NO_SUCH_MODE = 5,
    OSPI_STEREO_ALREADY_ON = 6,
    OSPI_STEREO_NOT_ON = 7,
    OSPI_NOT_LOADED = 8, // the core's own: the library could not be loaded
    OSPI_NO_DEVICE = 9,
};

// Which modes a device is asked about; reserved is 0.
struct OspiModeQuery {
    win::WORD width;
    win::WORD height;
    win::WORD bitsPerPixel;
    win::WORD reserved;
};

// OspiModeInfo::kind.
enum OspiModeKind : win::WORD {
    OSPI_MODE_PAGE_FLIPPED = 1,
    OSPI_MODE_INTERLEAVED = 2,
    OSPI_MODE_SIDE_BY_SIDE = 3,
};

// OspiModeInfo::flags.
enum OspiModeFlags : win::BYTE {
    OSPI_MODE_HALF_HEIGHT = 0x20, // each eye has half the rows
    OSPI_MODE_EXCLUSIVE = 0x40,   // the device needs the screen to itself
};

struct OspiModeInfo {
    win::WORD width;
    win::WORD height;
    win::WORD bitsPerPixel;
    win::WORD kind;
    win::BYTE flags;
    win::BYTE reserved[3];
    win::DWORD refresh;
};

// OspiRenderDevice::kind.
enum OspiRenderKind : win::WORD {
    OSPI_RENDER_DEVICE_GDI = 6,
    OSPI_RENDER_DEVICE_DIRECTDRAW = 7,
};

// What the application draws on, zeroed before it is filled in.
#pragma pack(push, 4)
struct OspiRenderDevice {
    win::WORD kind;
    win::WORD reserved;
    union {
        win::IDirectDrawSurface* primary; // OSPI_RENDER_DEVICE_DIRECTDRAW
        win::HWND window;                 // OSPI_RENDER_DEVICE_GDI
    };
    win::BYTE unused[76 - 4 - sizeof(void*)];
};
#pragma pack(pop)
static_assert(sizeof(OspiRenderDevice) == 76);

// A stereo device or a render device the interface knows.
struct OspiDeviceInfo {
    char name[64];
    win::DWORD flags;
};

extern "C" {

// The text of a status; null when the status has none.
const char* _ospiMetaStatusString(OspiHandle handle, win::LONG status);
win::LONG _ospiMetaNumStereoDevices(win::DWORD* count);
win::LONG _ospiMetaGetStereoDeviceInfo(win::DWORD index, OspiDeviceInfo* info);
win::LONG _ospiMetaNumRenderDevices(win::DWORD* count);
win::LONG _ospiMetaGetRenderDeviceInfo(win::DWORD index, OspiDeviceInfo* info);
// The message buffer gets a text about the outcome, cut to messageSize;
// _ospiMetaExit writes to the same buffer with the same limit.
win::LONG _ospiMetaInit(OspiHandle* handle, win::DWORD flags, const win::GUID* renderKind,
                        win::DWORD messageSize, char* message);
win::LONG _ospiMetaExit(OspiHandle handle, char* message);
// The modes of the size and depth; a depth of 0 matches every depth.
win::LONG _ospiMetaNumStereoModes(OspiHandle handle, win::DWORD* count, const OspiModeQuery* query);
win::LONG _ospiMetaEnumStereoModes(OspiHandle handle, const OspiModeQuery* query, win::DWORD index,
                                   OspiModeInfo* info);
win::LONG _ospiMetaBeginRender(OspiHandle handle);
win::LONG _ospiMetaBetweenRender(OspiHandle handle);
win::LONG _ospiMetaEndRender(OspiHandle handle);
win::LONG _ospiMetaFlip(OspiHandle handle);
win::LONG _ospiMetaStereoOn(OspiHandle handle, const OspiModeQuery* query, win::DWORD flags,
                            const OspiRenderDevice* device, const OspiModeInfo* mode);
win::LONG _ospiMetaStereoOff(OspiHandle handle);
win::LONG _ospiMetaIsStereoOn(OspiHandle handle, win::DWORD* on);
win::LONG _ospiMetaGainFocus(OspiHandle handle);
win::LONG _ospiMetaLoseFocus(OspiHandle handle);
}
