// The DirectDraw interface: the objects, surfaces and palettes of the
// DirectDraw stand-in (libddraw.so), with the structures, flags and result
// codes DirectDraw defines. The display code loads the library by name and
// reaches everything through DirectDrawCreate.
#pragma once

#include "platform/gdi/systempalette.h" // PALETTEENTRY, as GDI defines it
#include "platform/win/wintypes.h"

namespace win {

constexpr HRESULT MAKE_DDHRESULT(int code) {
    return static_cast<HRESULT>(0x88760000u + static_cast<unsigned>(code));
}

constexpr HRESULT DD_OK = S_OK;
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DDERR_CANNOTATTACHSURFACE = MAKE_DDHRESULT(10);
constexpr HRESULT DDERR_CANNOTDETACHSURFACE = MAKE_DDHRESULT(20);
constexpr HRESULT DDERR_INCOMPATIBLEPRIMARY = MAKE_DDHRESULT(95);
constexpr HRESULT DDERR_INVALIDCAPS = MAKE_DDHRESULT(100);
constexpr HRESULT DDERR_INVALIDMODE = MAKE_DDHRESULT(120);
constexpr HRESULT DDERR_INVALIDOBJECT = MAKE_DDHRESULT(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MAKE_DDHRESULT(145);
constexpr HRESULT DDERR_INVALIDRECT = MAKE_DDHRESULT(150);
constexpr HRESULT DDERR_LOCKEDSURFACES = MAKE_DDHRESULT(160);
constexpr HRESULT DDERR_NOALPHAHW = MAKE_DDHRESULT(180);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MAKE_DDHRESULT(212);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MAKE_DDHRESULT(225);
constexpr HRESULT DDERR_NOFLIPHW = MAKE_DDHRESULT(230);
constexpr HRESULT DDERR_NOTFOUND = MAKE_DDHRESULT(255);
constexpr HRESULT DDERR_NOOVERLAYHW = MAKE_DDHRESULT(260);
constexpr HRESULT DDERR_NOZBUFFERHW = MAKE_DDHRESULT(340);
constexpr HRESULT DDERR_OUTOFCAPS = MAKE_DDHRESULT(360);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MAKE_DDHRESULT(380);
constexpr HRESULT DDERR_SURFACEALREADYATTACHED = MAKE_DDHRESULT(410);
constexpr HRESULT DDERR_SURFACEBUSY = MAKE_DDHRESULT(430);
constexpr HRESULT DDERR_SURFACELOST = MAKE_DDHRESULT(450);
constexpr HRESULT DDERR_SURFACENOTATTACHED = MAKE_DDHRESULT(460);
constexpr HRESULT DDERR_WASSTILLDRAWING = MAKE_DDHRESULT(540);
constexpr HRESULT DDERR_INVALIDDIRECTDRAWGUID = MAKE_DDHRESULT(561);
constexpr HRESULT DDERR_DIRECTDRAWALREADYCREATED = MAKE_DDHRESULT(562);
constexpr HRESULT DDERR_NODIRECTDRAWHW = MAKE_DDHRESULT(563);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MAKE_DDHRESULT(564);
constexpr HRESULT DDERR_NOEMULATION = MAKE_DDHRESULT(565);
constexpr HRESULT DDERR_NOHWND = MAKE_DDHRESULT(569);
constexpr HRESULT DDERR_HWNDSUBCLASSED = MAKE_DDHRESULT(570);
constexpr HRESULT DDERR_HWNDALREADYSET = MAKE_DDHRESULT(571);
constexpr HRESULT DDERR_NOPALETTEATTACHED = MAKE_DDHRESULT(572);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MAKE_DDHRESULT(581);
constexpr HRESULT DDERR_NOTFLIPPABLE = MAKE_DDHRESULT(582);
constexpr HRESULT DDERR_NOTLOCKED = MAKE_DDHRESULT(584);
constexpr HRESULT DDERR_CANTCREATEDC = MAKE_DDHRESULT(585);
constexpr HRESULT DDERR_NODC = MAKE_DDHRESULT(586);
constexpr HRESULT DDERR_WRONGMODE = MAKE_DDHRESULT(587);
constexpr HRESULT DDERR_IMPLICITLYCREATED = MAKE_DDHRESULT(588);
constexpr HRESULT DDERR_NOTPALETTIZED = MAKE_DDHRESULT(589);
constexpr HRESULT DDERR_UNSUPPORTEDMODE = MAKE_DDHRESULT(590);
constexpr HRESULT DDERR_NOMIPMAPHW = MAKE_DDHRESULT(591);
constexpr HRESULT DDERR_INVALIDSURFACETYPE = MAKE_DDHRESULT(592);
constexpr HRESULT DDERR_DCALREADYCREATED = MAKE_DDHRESULT(620);

// Cooperative levels.
constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x00000002;
constexpr DWORD DDSCL_NOWINDOWCHANGES = 0x00000004;
constexpr DWORD DDSCL_NORMAL = 0x00000008;
constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;
constexpr DWORD DDSCL_ALLOWMODEX = 0x00000040;

// Which fields of a surface description are valid.
constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;
constexpr DWORD DDSD_REFRESHRATE = 0x00040000;

// Surface capabilities.
constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
constexpr DWORD DDSCAPS_FLIP = 0x00000010;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x00000020;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_PALETTE = 0x00000100;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
constexpr DWORD DDSCAPS_PRIMARYSURFACELEFT = 0x00000400;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x00004000;
constexpr DWORD DDSCAPS_VISIBLE = 0x00008000;

// Driver capabilities and stereo-vision capabilities.
constexpr DWORD DDCAPS_PALETTE = 0x00008000;
constexpr DWORD DDCAPS_STEREOVIEW = 0x00040000;
constexpr DWORD DDSVCAPS_ENIGMA = 0x00000001;
constexpr DWORD DDSVCAPS_FLICKER = 0x00000002;
constexpr DWORD DDSVCAPS_REDBLUE = 0x00000004;
constexpr DWORD DDSVCAPS_SPLIT = 0x00000008;

// Palette capabilities.
constexpr DWORD DDPCAPS_4BIT = 0x00000001;
constexpr DWORD DDPCAPS_8BITENTRIES = 0x00000002;
constexpr DWORD DDPCAPS_8BIT = 0x00000004;
constexpr DWORD DDPCAPS_INITIALIZE = 0x00000008;
constexpr DWORD DDPCAPS_PRIMARYSURFACE = 0x00000010;
constexpr DWORD DDPCAPS_ALLOW256 = 0x00000040;

// Pixel format flags.
constexpr DWORD DDPF_PALETTEINDEXED8 = 0x00000020;
constexpr DWORD DDPF_RGB = 0x00000040;

// EnumDisplayModes: one call per refresh rate instead of per size and depth.
constexpr DWORD DDEDM_REFRESHRATES = 0x00000001;
constexpr DWORD DDEDM_STANDARDVGAMODES = 0x00000002;

constexpr DWORD DDLOCK_SURFACEMEMORYPTR = 0x00000000;
constexpr DWORD DDLOCK_WAIT = 0x00000001;
constexpr DWORD DDFLIP_WAIT = 0x00000001;

constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

struct DDSCAPS {
    DWORD dwCaps = 0;
};

struct DDPIXELFORMAT {
    DWORD dwSize = sizeof(DDPIXELFORMAT);
    DWORD dwFlags = 0;
    DWORD dwFourCC = 0;
    DWORD dwRGBBitCount = 0;
    DWORD dwRBitMask = 0;
    DWORD dwGBitMask = 0;
    DWORD dwBBitMask = 0;
    DWORD dwRGBAlphaBitMask = 0;
};

struct DDSURFACEDESC {
    DWORD dwSize = sizeof(DDSURFACEDESC);
    DWORD dwFlags = 0;
    DWORD dwHeight = 0;
    DWORD dwWidth = 0;
    LONG lPitch = 0;
    DWORD dwBackBufferCount = 0;
    DWORD dwRefreshRate = 0;
    void* lpSurface = nullptr;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};

// Only the capabilities the display code reads; dwSize is checked.
struct DDCAPS {
    DWORD dwSize = sizeof(DDCAPS);
    DWORD dwCaps = 0;
    DWORD dwCaps2 = 0;
    DWORD dwPalCaps = 0;
    DWORD dwSVCaps = 0;
    DWORD dwVidMemTotal = 0;
    DWORD dwVidMemFree = 0;
    DDSCAPS ddsCaps;
};

class IDirectDrawPalette;
class IDirectDrawSurface;

using LPDDENUMMODESCALLBACK = HRESULT (*)(DDSURFACEDESC* mode, void* context);
using LPDDENUMSURFACESCALLBACK = HRESULT (*)(IDirectDrawSurface* surface,
                                             DDSURFACEDESC* description, void* context);

// Reference counted: Release returns the count left and deletes at zero.
class IDirectDrawPalette {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, PALETTEENTRY* entries) = 0;
    virtual HRESULT SetEntries(DWORD flags, DWORD start, DWORD count,
                               const PALETTEENTRY* entries) = 0;

protected:
    ~IDirectDrawPalette() = default;
};

class IDirectDrawSurface {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    // A null surface detaches every attached surface.
    virtual HRESULT DeleteAttachedSurface(DWORD flags, IDirectDrawSurface* attached) = 0;
    // Each surface handed to the callback has had a reference added for the
    // callback, which must Release it.
    virtual HRESULT EnumAttachedSurfaces(void* context, LPDDENUMSURFACESCALLBACK callback) = 0;
    virtual HRESULT Flip(IDirectDrawSurface* target, DWORD flags) = 0;
    virtual HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached) = 0;
    virtual HRESULT GetDC(HDC* dc) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;
    virtual HRESULT GetSurfaceDesc(DDSURFACEDESC* description) = 0;
    virtual HRESULT IsLost() = 0;
    virtual HRESULT Restore() = 0;
    virtual HRESULT Lock(RECT* rect, DDSURFACEDESC* description, DWORD flags, HANDLE event) = 0;
    virtual HRESULT Unlock(void* surfaceMemory) = 0;
    virtual HRESULT SetPalette(IDirectDrawPalette* palette) = 0;

protected:
    ~IDirectDrawSurface() = default;
};

class IDirectDraw {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** palette,
                                  void* outer) = 0;
    virtual HRESULT CreateSurface(DDSURFACEDESC* description, IDirectDrawSurface** surface,
                                  void* outer) = 0;
    virtual HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC* pattern, void* context,
                                     LPDDENUMMODESCALLBACK callback) = 0;
    virtual HRESULT GetCaps(DDCAPS* driver, DDCAPS* emulation) = 0;
    virtual HRESULT GetDisplayMode(DDSURFACEDESC* description) = 0;
    virtual HRESULT RestoreDisplayMode() = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) = 0;

protected:
    ~IDirectDraw() = default;
};

using LPDIRECTDRAW = IDirectDraw*;
using LPDIRECTDRAWSURFACE = IDirectDrawSurface*;
using LPDIRECTDRAWPALETTE = IDirectDrawPalette*;

// The library's one entry, resolved by name ("DirectDrawCreate"). A null
// driver GUID is the display driver; outer must be null.
using DirectDrawCreateFunction = HRESULT (*)(GUID* driver, IDirectDraw** directDraw, void* outer);

} // namespace win

extern "C" win::HRESULT DirectDrawCreate(win::GUID* driver, win::IDirectDraw** directDraw,
                                         void* outer);
