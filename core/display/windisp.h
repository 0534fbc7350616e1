// The display window: takes over a window (or makes its own), puts the
// screen into a display mode through DirectDraw in exclusive full-screen mode
// or through the display settings and GDI, draws the frame into it and
// reports problems to the user and to the owning window.
#pragma once

#include "display/modes.h"
#include "imaging/pxdisp.h"
#include "platform/ddraw/ddraw.h"
#include "platform/gdi/dib.h"
#include "platform/win/wintypes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// Posted to the display's window after an alert was shown; wParam and lParam 0.
constexpr win::UINT WM_WINDISP_ALERT = 0x5A63;

// The class of the display's own windows.
constexpr const char* kWinDispClassName = "TamberWind";

struct WinDispStruct {
    int32_t width; // informational: the display takes its size from the window
    int32_t height;
    int32_t imageBpp;   // bytes per pixel, 1 or 3
    int32_t displayBpp; // bytes per pixel, 1 to 4
    win::HWND window;   // null: the display makes a top-level window of its own
    int32_t windowStyle;
    int32_t dispType; // DisplayType
    int32_t surfType; // DDSurfType
};

// A bitmap header followed by 256 palette indices, for blits through the
// selected palette.
struct DisplayBitmapInfo {
    win::BITMAPINFOHEADER bmiHeader;
    win::WORD bmiColors[256];

    const win::BITMAPINFO* Info() const { return reinterpret_cast<const win::BITMAPINFO*>(this); }
};

class WinDisp : public pxDisp {
public:
    static constexpr int32_t kModeCapacity = 64;

    // The module instance the window class is registered against.
    static win::HINSTANCE instance;
    // Registers the window class once per process and installs the key wait
    // of Message; later calls succeed at once.
    static bool Initialize(win::HINSTANCE moduleInstance);

    // Throws when Initialize has not run.
    WinDisp();
    ~WinDisp() override;

    // The display is also a stereo picture, whose own Create stays in reach.
    using pxDisp::Create;
    // 1 on success; failures throw pxError.
    int32_t Create(const WinDispStruct* params);
    // 0 on success, non-zero (logged) on failure.
    int32_t ChangeDisplay(int32_t modeIndex, int32_t surfType);
    // Throws when the mode is not in the list.
    int32_t ChangeDisplay(int32_t width, int32_t height, int32_t bpp, int32_t refresh,
                          int32_t surfType);
    int32_t GetModeIndex(int32_t width, int32_t height, int32_t bpp, int32_t refresh) const;
    bool IsDisplayValid() const { return displayValid; }

    void Resize(px2Size size, int32_t pairType, int32_t bytesPerPixel, int32_t rowAlign,
                int32_t bottomUp) override;
    void SetPalette(const pxPalette& palette) override;
    void Refresh() override;
    virtual win::LRESULT WindowProc(win::HWND window, win::UINT message, win::WPARAM wParam,
                                    win::LPARAM lParam);

    // Drawing. point is the top-left corner inside one eye's picture (null:
    // 0,0); under the page-flipped surface types the image holds the right
    // eye in its top half and the left eye in its bottom half.
    void BltImage(const pxImage& image, const win::BITMAPINFO* header,
                  const px2Pnt* point = nullptr);
    void TextOut(px2Pnt point, const char* text, bool erase);
    // printf-style; null clears the status line.
    void SetStatusBarMessage(const char* format, ...) PX_PRINTF(2, 3);
    // The status line shown at the bottom of the frame, if any.
    const std::optional<std::string>& GetStatusBarMessage() const { return statusMessage; }
    void SetCursor(const char* name);
    void RefreshMono(const px2Rect& rect, bool clip);
    // While cleared, refreshing (and so repainting) draws nothing: an
    // animation blits its frames itself and its last still picture must not
    // come back over them.
    void SetRefreshFlag(bool on) { refreshFlag = on; }
    uint32_t MonoWidth() const;
    uint32_t MonoHeight() const;
    uint32_t Bpp() const { return static_cast<uint32_t>(displayBpp); }

    // Messages and alerts.
    void HandlePaint(win::HWND window);
    void HandleDestroy();
    bool HandleQueryNewPalette();
    void HandlePaletteChanged(win::HWND ours, win::HWND changer);
    // Logs the text framed, posts WM_WINDISP_ALERT to the window when post is
    // set, and shows the text in a message box captioned with the error title.
    void _Alert(const char* text, bool post);
    void SetErrorTitle(const char* text);

    win::HWND GetWindow() const { return window; }
    const ModeStruct* GetModes() const { return modes.get(); }
    int32_t GetModeCount() const { return modeCount; }
    int32_t GetCurrentModeIndex() const { return currentModeIndex; }
    bool UsesDirectDraw() const { return directDrawInUse; }
    int32_t GetSurfType() const { return surfType; }
    const win::BITMAPINFO* GetBitmapHeader() const;
    // The right eye's (or only) surface and the left eye's: a flip chain's
    // back buffer or the left primary. Null under GDI.
    win::IDirectDrawSurface* GetPrimarySurface() const { return primarySurface; }
    win::IDirectDrawSurface* GetSecondSurface() const { return secondSurface; }

private:
    // The window class's procedure: hands the message to the WinDisp in the
    // window's first extra word.
    static win::LRESULT Trampoline(win::HWND window, win::UINT message, win::WPARAM wParam,
                                   win::LPARAM lParam);
    static void InstallKeyWait();

    void CommonConstructor(int32_t dispType, int32_t surfType);
    void SelectGdiPaletteFromRecord();
    int32_t ChangeDisplayGDI(int32_t modeIndex);
    int32_t ChangeDisplayDD(int32_t modeIndex, int32_t surfType);
    bool IsPageFlipped() const;
    // Where the top of each eye's picture lands on its surface.
    int32_t EyeYOffset() const;

    // DirectDraw set-up (ddsurfaces.cpp).
    bool DDInit();
    void DDTerm();
    bool DDSetMode(int32_t width, int32_t height, int32_t bits);
    bool CanDoHardwarePageFlipping();
    int32_t SetupDDSurfaces(int32_t width, int32_t height, int32_t bits, int32_t surfType);
    void SetupSinglePrimary(int32_t width, int32_t height, int32_t bits);
    void SetupFlipChain(int32_t width, int32_t height, int32_t bits);
    void SetupStereoPair(int32_t width, int32_t height, int32_t bits);
    // The primary of a page-flipped arrangement; failure throws "failure"
    // followed by the mode.
    void CreateRightPrimary(win::DDSURFACEDESC& description, int32_t width, int32_t height,
                            int32_t bits, const char* failure);
    // While being created, DirectDraw goes before the error is thrown.
    [[noreturn]] void ThrowSetupError(const pxError& error);
    win::HRESULT CreateSurface(win::IDirectDrawSurface** surface, win::DDSURFACEDESC* description);
    void DestroySurface(win::IDirectDrawSurface*& surface);
    void ReleaseSurfaces();
    // Before a mode change: also detaches a flip chain's back buffer.
    void DropSurfaces();

    // Drawing workers (windraw.cpp, winpalette.cpp).
    void GDIBlt(win::HDC dc, const pxImage& image, const win::BITMAPINFO* header, px2Pnt point);
    void DDBlt(win::IDirectDrawSurface* surface, const pxImage& image,
               const win::BITMAPINFO* header, px2Pnt point, bool leftEye);
    void SetPaletteGDI(const pxPalette& palette);
    void SetPaletteDD(const pxPalette& palette);
    void ClearSystemPalette();
    void TextOutGDI(px2Pnt point, const char* text, bool erase);
    void TextOutDD(px2Pnt point, const char* text, bool erase);
    void DrawStatusMessage();

    int32_t imageXOffset = 0;
    int32_t imageYOffset = 0;
    int32_t displayWidth = 0;
    int32_t displayHeight = 0;
    int32_t imageBpp = 0;
    int32_t displayBpp = 0;
    win::HPALETTE savedGdiPalette = nullptr;
    win::HPALETTE gdiPalette = nullptr;
    win::HDC dc = nullptr;
    win::HWND window = nullptr;
    std::unique_ptr<DisplayBitmapInfo> bitmapHeader;
    win::IDirectDraw* directDraw = nullptr;
    win::HMODULE directDrawLibrary = nullptr; // held while directDraw lives
    win::IDirectDrawSurface* primarySurface = nullptr;
    win::IDirectDrawSurface* secondSurface = nullptr;
    win::IDirectDrawPalette* ddPalette = nullptr;
    bool directDrawInUse = false;
    int32_t surfType = DDSurfSingle;
    int32_t currentModeIndex = -1;
    std::unique_ptr<ModeStruct[]> modes;
    int32_t modeCount = 0;
    int32_t desktopWidth = 0;
    int32_t desktopHeight = 0;
    int32_t desktopBpp = 0;
    win::COLORREF textColour;
    win::COLORREF textBackground = 0;
    bool secondSurfaceOwned = false;
    std::optional<std::string> errorTitle;
    bool displayValid = false;
    bool refreshFlag = true;
    bool beingCreated = true;
    std::optional<std::string> statusMessage;
    win::HCURSOR cursor = nullptr;
};
