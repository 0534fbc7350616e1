// The browser plug-in's state: the preferences and lists every instance of
// the process shares, and the record of one embedded file.
#pragma once

#include "display/modes.h"
#include "imagefile/imageinfo.h"
#include "imaging/pximage.h"
#include "platform/npapi/npapi.h"
#include "platform/win/window.h"
#include "viewer/winregistry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct StereoViewMethod;

// What an embedded file is, from its MIME type.
enum MimeTypeCode : int32_t {
    MIME_UNKNOWN = 0,
    MIME_JPS = 1,
    MIME_PNS = 2,
    MIME_PXR = 3,
    MIME_HTML = 4, // a server's error page instead of the file
};

// The code of a type text (any case); an unknown one is logged when asked.
MimeTypeCode GetMimeTypeCode(const char* type, bool warn);

// The preferences, read once when the plug-in starts (0 unless stored).
struct PluginPreferences {
    int32_t warnOnNoDescriptor = 0;
    int32_t autoView = 0;
    int32_t progressiveDisplay = 0;
    int32_t dibMethod = 0;
    int32_t fullScreen = 0;
    int32_t statusBar = 0;
    int32_t displayMethod = 0;
    int32_t dontShowQuickHelp = 0;
    int32_t allowFullScreenAdjustments = 0;
    int32_t loopAnimation = 0;
    ModeType modeType{};
    int32_t userPacketSize = 0;
    int32_t inlineView = 0;
};

struct PluginState {
    static constexpr int kQuickMenuSize = 25;

    NPNetscapeFuncs* browser = nullptr;
    NPPluginFuncs* functions = nullptr; // the table given to the browser
    WinRegistry registry;
    PluginPreferences preferences;
    const StereoViewMethod* method = nullptr; // the full-screen method
    int32_t quickMenu[kQuickMenuSize] = {};
    int32_t quickMenuCount = 0;
    std::vector<ModeStruct> excludedModes;
    int32_t screenBitsPerPixel = 0;
    pxPalette sharedPalette;               // for 8-bit pictures
    win::HPALETTE palette = nullptr;       // from the system palette, on the first 8-bit paint
    bool showingMessage = false;           // while the plug-in's own message box is up
    win::HINSTANCE module = nullptr;       // the library's file, which carries the artwork
    win::HMENU popupMenu = nullptr;        // shared by every instance
    std::vector<win::HBITMAP> menuBitmaps; // the popup's items, deleted with it
    win::HCURSOR stereoCursor = nullptr;   // over a picture with a stereo descriptor
    win::HCURSOR flatCursor = nullptr;     // over one without
    win::HCURSOR arrowCursor = nullptr;
    // The watermark's intensities (1 byte per pixel), or null without one.
    std::unique_ptr<pxImage> watermarkSource;
    // One window per instance number; grows by doubling.
    std::vector<win::HWND> windowTable;
    int32_t nextInstanceNumber = 0;
};

// The one state of the process.
PluginState& ThePlugin();

// A message box of the plug-in, captioned "Binoxa Error" unless told.
void PluginMessage(win::HWND owner, const char* text, const char* caption = "Binoxa Error",
                   win::UINT type = 0);

// One embedded file (the browser keeps it as the instance's private data).
struct PluginInstance {
    NPWindow* window = nullptr; // the last record the browser set
    uint16_t mode = NP_EMBED;
    NPP instance = nullptr;
    win::HWND hwnd = nullptr;
    win::WNDPROC oldWindowProc = nullptr;
    MimeTypeCode mimeType = MIME_UNKNOWN;
    int32_t width = 0;
    int32_t height = 0;
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    std::unique_ptr<pxImage> inlineImage = std::make_unique<pxImage>();
    int32_t instanceNumber = 0;
    win::COLORREF backgroundColour = 0;
    win::COLORREF progressBarColour = 0xFFFFFF;
    win::COLORREF progressTextColour = 0;
    std::unique_ptr<_ImageInfo> imageInfo = std::make_unique<_ImageInfo>();
    int32_t complete = 0;
    std::string tempFile;
    uint32_t bytesReceived = 0;
    uint32_t streamLength = 0;
    int32_t autoView = 0;
    uint32_t firstChunk = 2048;
    uint32_t readThreshold = 2048;
    int32_t userPacketSize = 7;
    int32_t pageSize = -1;
    int32_t inlineView = 0;
    const StereoViewMethod* method = nullptr;
    std::string streamName;
    int32_t badStream = 0;
    // A presentation's wrapped picture or animation.
    std::string blockFile;
    int32_t renameBlockFile = 1;
    std::unique_ptr<_ImageInfo> blockInfo;
    MimeTypeCode blockType = MIME_UNKNOWN;
    int32_t blockDone = 0;
    // The flat inline picture and how it is drawn.
    std::unique_ptr<pxImage> convertedImage = std::make_unique<pxImage>();
    // The watermark mixed into the background colour, and its header.
    std::unique_ptr<pxImage> watermark;
    std::vector<uint8_t> watermarkHeader;
    int32_t rebuildConverted = 1;
    int32_t reconvert = 1;
    int32_t squish = 0;
};

// The "QuickMenu" list from the registry (at most kQuickMenuSize ids).
void ReadQuickMenu(PluginState& plugin);

// The instance a plug-in window shows, or null.
PluginInstance* InstanceOfWindow(win::HWND window);

// The first method of the table instead of an invalid one: logged (after the
// prefix), told to the user and stored as "StereoView". Null, told too, when
// the table is empty.
const StereoViewMethod* ChangeToFirstMethod(const char* logPrefix);

// Deletes the instance's files and frees its record through the browser.
void FreeInstance(PluginInstance& This);

// The colour of a "#RRGGBB" text; anything else is shown to the user and
// gives black.
win::COLORREF MakeColorRef(const char* text);
