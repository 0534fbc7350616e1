// The full-screen viewing window: owns a display (WinDisp), builds the list
// of display modes it may use, changes the resolution to suit a picture,
// switches the glasses device on and off for the stereo view method, renders
// the pair into the display's frame through the pair converter and the
// scaler, keeps a status line, and answers keys, clicks, its right-click
// menu and the commands of the programs built on it.
//
// Its work spans four files: bxview.cpp (life and showing), viewrender.cpp
// (the rendering pipeline), stereoswitch.cpp (devices, methods and
// resolutions) and viewinput.cpp (messages, menus, hooks and pumping).
#pragma once

#include "display/modes.h"
#include "display/windisp.h"
#include "imaging/pximage.h"
#include "platform/win/menus.h"
#include "platform/win/windowobject.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct StereoViewMethod;
class TesselDevice;

// The view's menu commands.
enum BxViewCommand : win::UINT {
    ID_REDUCE_IMAGE = 9025,
    ID_ENLARGE_IMAGE = 9026,
    ID_ENLARGE_IMAGE_FULL = 9027,
    ID_ORIGINAL_SIZE = 9028,
    ID_RESOLUTION_FIRST = 9224, // + index in the view's mode list
    ID_RESOLUTION_LAST = 9424,
    ID_VIEW_EXIT = 9925,
    ID_STEREO_METHOD_FIRST = 52770, // + method id
    ID_STEREO_METHOD_LAST = 52797,  // the least-squares anaglyphs end at 27
    ID_MENU_SEPARATOR = 666,
};

// Items of the right-click menu (the last argument of Create).
enum RightClickMenuFlags : uint32_t {
    RCM_EXIT = 0x1,
    RCM_STEREO_METHODS = 0x2,
    RCM_RESOLUTIONS = 0x4,
    RCM_REDUCE = 0x10000,
    RCM_ENLARGE = 0x20000,
    RCM_FILL_SCREEN = 0x40000,
    RCM_ACTUAL_SIZE = 0x80000,
};

// Bits of the key mask: which keyboard commands act.
enum BxViewKeys : uint32_t {
    KEY_ENLARGE = 0x01,     // "+" or "="
    KEY_FILL_SCREEN = 0x02, // "F" or "f"
    KEY_REDUCE = 0x04,      // "-" or "_"
    KEY_ACTUAL_SIZE = 0x08, // "A", "a", "O" or "o"
    KEY_STATUS_BAR = 0x10,  // Tab
    KEY_ALL_VIEW_KEYS = 0x1F,
};

// A host's handler of a menu command; non-zero means handled.
using BxCommandHook = int32_t (*)(uint32_t command, win::LPARAM lParam, void* context);

// What the rendering step renders.
struct ConversionSettings {
    std::optional<pxImage> stereoImage; // the one-image form's source
    std::optional<pxPalette> palette;   // the source's palette
    pxImage destination;                // the display's frame, or one eye's view of it
    WinDisp* display = nullptr;
    uint32_t layout = 0; // of the stereo image; 0 in the two-image form
    int32_t outputType = 0;
    int32_t swapEyes = 0;
    int32_t halfWidth = 0;
    int32_t interleaved = 0;
    // 1.0 actual size, -1.0 fit to the screen; after each rendering the
    // factor actually used.
    double zoom = 1.0;
    std::optional<pxImage> left, right; // the two-image form's sources
    std::optional<px2Rect> leftRect, rightRect;
};

class BxView : public win::WindowObject {
public:
    static constexpr int kMaxCommandHooks = 32;
    static constexpr const char* kErrorTitle = "Binoxa Viewer Error";

    BxView();
    ~BxView() override;

    // Set before Create.
    void SetStatusBar(bool on) { statusBar = on; }
    void SetFullScreen(bool on) { fullScreen = on; }
    // Not copied: the array must outlive the view (or the next call).
    void SetExcludedModes(const ModeStruct* modes, int32_t count);
    void SetAutoDestroy(bool on) { autoDestroy = on; }
    void SetProgressMessages(bool on) { progressMessages = on; }
    void SetKeyMask(uint32_t mask) { keyMask = mask; }
    uint32_t GetKeyMask() const { return keyMask; }
    void SetBackgroundColour(pxColor colour) { background = colour; }

    // Opens the top-most window and its display; failures throw pxError.
    void Create(int32_t displayType, int32_t surfType, const ModeType& modeType,
                uint32_t rightClickFlags);
    // Switches the device off, destroys the window and ends the caller's
    // modal loop with result.
    void Destroy(int result);
    // Destroy, or with auto-destroy off only the end of the modal loop.
    void InternalDestroy(int result);
    bool IsActive() const { return active; }
    bool IsLocked() const { return locked; }
    // While locked, Destroy waits, pumping messages.
    void Lock() { locked = true; }
    void UnLock() { locked = false; }

    // 1 when shown; 0 when not, and the view is then destroyed with result 2.
    virtual int ShowImage(const pxImage* left, const px2Rect* leftRect, const pxImage* right,
                          const px2Rect* rightRect, const pxPalette* palette, int32_t methodId);
    virtual int ShowImage(const pxImage& stereoImage, const pxPalette* palette, uint32_t layout,
                          int32_t methodId);
    virtual int BltImage(const pxImage& image, const win::BITMAPINFO* header, const px2Pnt* point);
    virtual int Refresh(const px2Rect& rect);
    virtual int Refresh();
    virtual void StereoOn(const StereoViewMethod* method);
    // 0 the new method is on; 1 it failed and the old one is back on; 2 both failed.
    virtual int StereoOnOrRestore(const StereoViewMethod* newMethod,
                                  const StereoViewMethod* oldMethod, bool alert);
    virtual void StereoOff(const StereoViewMethod* method);
    virtual int Clear(bool refresh);
    // Renders the picture again; 0 when not active.
    virtual int Update(bool clear);
    virtual int CreateRightClickMenu(uint32_t flags);
    virtual void ReduceImage();
    virtual void EnlargeImage();
    virtual void EnlargeImageFull();
    virtual void OriginalSize();

    int ChangeResolutionToMatchImage();
    // Stereo switching and resolution changes.
    int ChangeViewMethod(int32_t methodId);
    int ChangeResolution(int32_t modeIndex, int32_t surfType);
    int ChangeResolution(int32_t width, int32_t height, int32_t bpp, int32_t surfType);
    void BuildModeList(bool checkAvailability, bool applyExclusions);
    int32_t GetModeIndexFromDisplay() const;
    bool IsStereoModeAvailable(const StereoViewMethod* method, int width, int height, int bpp);

    // Menus, hooks and messages.
    win::HMENU GetRightClickMenu() const { return rightClickMenu; }
    void BuildResolutionsMenu(win::HMENU menu);
    void UpdateResolutionsMenu();
    void UpdateResolutionsMenu(const StereoViewMethod* method, const ModeStruct* excluded,
                               int32_t count);
    int RegisterCommandHook(uint32_t command, BxCommandHook hook, void* context);
    // Runs the message loop until no message waits, or until one of events
    // arrives (returned undispatched); the quit message is returned with
    // number 0 and posted again. The record is the view's, overwritten by
    // each call.
    const win::MSG* PumpMessages(const std::vector<win::UINT>* events);

    void StatusBarMessage(const char* text);
    void Alert(const char* text, bool post);
    WinDisp* GetDisplay() const { return display.get(); }

    int32_t GetMethodId() const { return methodId; }
    const StereoViewMethod* GetMethod() const { return method; }
    const ConversionSettings& GetConversionSettings() const { return settings; }
    const std::vector<ModeStruct>& GetModeList() const { return modeList; }
    bool IsPopupShowing() const { return popupShowing; }

protected:
    win::LRESULT WindowProc(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) override;
    win::BOOL OnCommand(win::WPARAM wParam, win::LPARAM lParam) override;
    bool OnCommandMessage(win::UINT id, win::UINT code) override;
    void OnLButtonDown(win::UINT flags, win::POINT point) override;
    void OnRButtonDown(win::UINT flags, win::POINT point) override;
    void OnChar(win::UINT character, win::UINT repeatCount, win::UINT flags) override;
    void OnPaint() override;
    win::BOOL OnQueryNewPalette() override;
    void OnPaletteChanged(win::HWND changer) override;

    // The settings the rendering step reads; the alignment view sets the
    // eyes' rectangles.
    ConversionSettings& Settings() { return settings; }
    void ClearPopupShowing() { popupShowing = false; }

private:
    void SetDisplay(int32_t width, int32_t height, int32_t bytesPerPixel, int32_t displayType,
                    int32_t surfType);
    int CommonShowImage();
    // Renders the settings into their destination (viewrender.cpp).
    void RenderSettings();
    void ShowProgress(const char* text);
    void CheckMethodItem(int32_t id, bool checked);
    // Checks the display's current mode in the resolutions menu; false when
    // the mode is not in the view's list.
    bool CheckCurrentModeItem();
    static win::HMENU BuildMethodMenu(int32_t checkedId);

    std::unique_ptr<WinDisp> display;
    bool active = false;
    bool locked = false;
    bool autoDestroy = true;
    bool progressMessages = true;
    uint32_t keyMask = KEY_ALL_VIEW_KEYS;
    bool matchImage = false;
    int32_t displayType = DisplayGDI;
    bool fullScreen = false;
    bool statusBar = false;
    int32_t methodId = 0;
    const StereoViewMethod* method = nullptr;
    ConversionSettings settings;
    std::vector<ModeStruct> modeList;
    const ModeStruct* excludedModes = nullptr;
    int32_t excludedCount = 0;
    bool tesselInstalled = false;
    std::unique_ptr<TesselDevice> tessel;
    bool nuvisionLoaded = false;
    uint32_t nuvisionHandle = 0;
    pxColor background{};
    win::HMENU rightClickMenu = nullptr;
    win::HMENU resolutionsMenu = nullptr;
    win::HMENU methodsMenu = nullptr;
    bool popupShowing = false;
    struct CommandHook {
        uint32_t command;
        BxCommandHook hook;
        void* context;
    };
    std::vector<CommandHook> hooks;
    win::MSG pumped{};
    std::string windowClass;
};
