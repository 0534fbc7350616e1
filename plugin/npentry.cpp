// The plug-in's entry points, its start and end, and the life of one
// embedded file's instance: its EMBED attributes and its window.
#include "plugin/plugin.h"

#include "display/excludedmodes.h"
#include "imaging/pxerror.h"
#include "platform/dialogs/messagebox.h"
#include "platform/gdi/devicecaps.h"
#include "platform/gdi/objects.h"
#include "platform/registry/registry.h"
#include "platform/sys/files.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/libraries.h"
#include "platform/win/cursor.h"
#include "platform/win/paint.h"
#include "plugin/fullscreen.h"
#include "plugin/menus.h"
#include "plugin/pluginwindow.h"
#include "plugin/streams.h"
#include "plugin/watermark.h"
#include "stereo/stereomethods.h"
#include "view/excludemodes.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr const char* kInstanceProperty = "instance->pdata";
constexpr uint16_t kPluginTableVersion = 11;

int32_t Decimal(const char* text) {
    return text ? static_cast<int32_t>(std::strtol(text, nullptr, 10)) : 0;
}

// The inline view a VIEW value names; 0 for none.
int32_t InlineViewFromName(const char* value) {
    static constexpr std::pair<const char*, int32_t> kViews[] = {
        {"RIGHT", 1},      {"LEFT", 2},       {"ANAGLYPHGREYRB", 3}, {"ANAGLYPHRB", 3},
        {"ANAGLYPHRG", 4}, {"ANAGLYPHBR", 5}, {"ANAGLYPHGR", 6},     {"CROSSEYE", 7},
        {"PARALLEL", 8},   {"RAW", 9},
    };
    for (const auto& [name, view] : kViews)
        if (strcasecmp(value, name) == 0)
            return view;
    return 0;
}

// The background with each of red, green and blue turned over.
win::COLORREF Inverted(win::COLORREF colour) {
    return (0xFF - (colour & 0xFF)) | (0xFF - ((colour >> 8) & 0xFF)) << 8 |
           (0xFF - ((colour >> 16) & 0xFF)) << 16;
}

void ApplyAttributes(PluginInstance& This, int16_t argc, char* argn[], char* argv[]) {
    bool barColourGiven = false;
    bool textColourGiven = false;
    for (int16_t i = 0; i < argc; ++i) {
        const char* name = argn ? argn[i] : nullptr;
        const char* value = argv ? argv[i] : nullptr;
        if (!name)
            continue;
        const auto is = [name](const char* attribute) { return strcasecmp(name, attribute) == 0; };
        if (is("AUTOVIEW") || is("BACK")) {
            This.autoView = 1;
        } else if (is("TNAIL") || is("THUMBNAIL")) {
        } else if (is("PSIZE")) {
            This.pageSize = Decimal(value);
        } else if (is("WIDTH")) {
            This.width = Decimal(value);
        } else if (is("HEIGHT")) {
            This.height = Decimal(value);
        } else if (is("BG")) {
            This.backgroundColour = MakeColorRef(value);
        } else if (is("BGCOLOR")) {
            This.backgroundColour = MakeColorRef(value);
            if (!barColourGiven)
                This.progressBarColour = Inverted(This.backgroundColour);
            if (!textColourGiven)
                This.progressTextColour = This.backgroundColour;
        } else if (is("PROGBARCOLOR")) {
            This.progressBarColour = MakeColorRef(value);
            barColourGiven = true;
        } else if (is("PROGTEXTCOLOR")) {
            This.progressTextColour = MakeColorRef(value);
            textColourGiven = true;
        } else if (is("TYPE")) {
            This.mimeType = GetMimeTypeCode(value, true);
        } else if (is("VIEW")) {
            if (!value)
                break;
            if (const int32_t view = InlineViewFromName(value))
                This.inlineView = view;
        }
    }
}

// Gives the window its own procedure back and forgets it.
void ReleaseWindow(PluginInstance& This) {
    if (!This.hwnd)
        return;
    win::SetWindowLongPtr(This.hwnd, win::GWLP_WNDPROC,
                          reinterpret_cast<win::LONG_PTR>(This.oldWindowProc));
    win::RemoveProp(This.hwnd, kInstanceProperty);
    PluginState& plugin = ThePlugin();
    if (static_cast<size_t>(This.instanceNumber) < plugin.windowTable.size())
        plugin.windowTable[This.instanceNumber] = nullptr;
    This.hwnd = nullptr;
    This.oldWindowProc = nullptr;
}

void TakeWindowSize(PluginInstance& This) {
    win::RECT client{};
    win::GetClientRect(This.hwnd, &client);
    This.windowWidth = client.right - client.left;
    This.windowHeight = client.bottom - client.top;
    win::InvalidateRect(This.hwnd, nullptr, win::TRUE);
    win::UpdateWindow(This.hwnd);
}

void DeleteTemporary(const std::string& path, const char* failure) {
    if (path.empty() || win::DeleteFile(path.c_str()))
        return;
    char text[64];
    std::snprintf(text, sizeof text, failure, static_cast<int>(win::GetLastError()));
    PluginMessage(nullptr, text, path.c_str());
}

NPError NPP_Initialize();
void NPP_Shutdown();

NPError NPP_New(NPMIMEType, NPP instance, uint16_t mode, int16_t argc, char* argn[], char* argv[],
                NPSavedData*) {
    if (!instance)
        return NPERR_INVALID_INSTANCE_ERROR;
    PluginState& plugin = ThePlugin();
    void* memory = plugin.browser && plugin.browser->memalloc
                       ? plugin.browser->memalloc(sizeof(PluginInstance))
                       : nullptr;
    if (!memory)
        return NPERR_OUT_OF_MEMORY_ERROR;
    auto* This = new (memory) PluginInstance;
    This->mode = mode;
    This->instance = instance;
    This->autoView = plugin.preferences.autoView;
    This->userPacketSize =
        plugin.preferences.userPacketSize ? plugin.preferences.userPacketSize : 7;
    This->method = plugin.method;
    This->instanceNumber = plugin.nextInstanceNumber++;
    while (static_cast<size_t>(This->instanceNumber) >= plugin.windowTable.size())
        plugin.windowTable.resize(std::max<size_t>(2, plugin.windowTable.size() * 2), nullptr);
    instance->pdata = This;
    if (This->autoView)
        plugin.preferences.dontShowQuickHelp = 1;
    ApplyAttributes(*This, argc, argn, argv);
    if (plugin.watermarkSource) {
        This->watermark = std::make_unique<pxImage>();
        MakeWaterMark(*This->watermark, *plugin.watermarkSource, This->backgroundColour);
        This->watermarkHeader = BlitHeaderFor(*This->watermark);
    }
    return NPERR_NO_ERROR;
}

NPError NPP_Destroy(NPP instance, NPSavedData**) {
    if (!instance || !instance->pdata)
        return NPERR_INVALID_INSTANCE_ERROR;
    auto* This = static_cast<PluginInstance*>(instance->pdata);
    ReleaseWindow(*This);
    instance->pdata = nullptr;
    // A full-screen session of this instance ends first and frees it then.
    if (!HandOverToSession(*This))
        FreeInstance(*This);
    return NPERR_NO_ERROR;
}

NPError NPP_SetWindow(NPP instance, NPWindow* window) {
    if (!instance || !instance->pdata)
        return NPERR_INVALID_INSTANCE_ERROR;
    auto* This = static_cast<PluginInstance*>(instance->pdata);
    const auto handle = window ? static_cast<win::HWND>(window->window) : nullptr;
    if (This->hwnd) {
        if (handle == This->hwnd) {
            This->window = window;
            TakeWindowSize(*This);
            return NPERR_NO_ERROR;
        }
        ReleaseWindow(*This);
    }
    This->window = window;
    if (!handle)
        return NPERR_NO_ERROR;
    This->oldWindowProc = reinterpret_cast<win::WNDPROC>(win::SetWindowLongPtr(
        handle, win::GWLP_WNDPROC, reinterpret_cast<win::LONG_PTR>(PluginWindowProc)));
    This->hwnd = handle;
    win::SetProp(handle, kInstanceProperty, This);
    ThePlugin().windowTable[This->instanceNumber] = handle;
    TakeWindowSize(*This);
    return NPERR_NO_ERROR;
}

void NPP_StreamAsFile(NPP, NPStream*, const char*) {}

void NPP_Print(NPP instance, NPPrint* print) {
    if (!instance || !instance->pdata || !print)
        return;
    const auto* This = static_cast<PluginInstance*>(instance->pdata);
    // The browser prints a full page; the plug-in does not print it.
    if (This->mode == NP_FULL && print->mode == NP_FULL)
        print->print.fullPrint.pluginPrinted = 0;
}

void NPP_URLNotify(NPP, const char*, NPReason, void*) {}

NPError NPP_Initialize() {
    PluginState& plugin = ThePlugin();
    // Loaded by a browser, the artwork is in the library; linked into a
    // program, in the program.
    plugin.module = win::GetModuleHandle("npbx32.dll");
    plugin.registry.SetUserLocation("Norvane", "Binoxa", "Preferences");
    plugin.registry.SetCommonLocation("Norvane", "Common", "Preferences");
    PluginPreferences& preferences = plugin.preferences;
    int32_t stereoView = 0;
    const std::pair<const char*, int32_t*> words[] = {
        {"WarnOnNoDescriptor", &preferences.warnOnNoDescriptor},
        {"AutoView", &preferences.autoView},
        {"ProgressiveDisplay", &preferences.progressiveDisplay},
        {"DIBMethod", &preferences.dibMethod},
        {"FullScreen", &preferences.fullScreen},
        {"StatusBar", &preferences.statusBar},
        {"DisplayMethod", &preferences.displayMethod},
        {"DontShowQuickHelp", &preferences.dontShowQuickHelp},
        {"AllowFullScreenAdjustments", &preferences.allowFullScreenAdjustments},
        {"LoopAnimation", &preferences.loopAnimation},
        {"DDModeType", &preferences.modeType.type},
        {"DDModeWidth", &preferences.modeType.width},
        {"DDModeHeight", &preferences.modeType.height},
        {"DDModeBpp", &preferences.modeType.bpp},
        {"UserPacketSize", &preferences.userPacketSize},
        {"StereoView", &stereoView},
        {"InlineView", &preferences.inlineView},
    };
    for (const auto& [name, value] : words)
        plugin.registry.GetValue(name, value, sizeof *value);

    plugin.method = GetStereoMethodByID(stereoView);
    if (!plugin.method) {
        pxLog("NPP_Initialize:  Invalid stereo view method (%d)", stereoView);
        plugin.method = ChangeToFirstMethod("NPP_Initialize: ");
        if (!plugin.method)
            return NPERR_INCOMPATIBLE_VERSION_ERROR;
    }
    ReadQuickMenu(plugin);

    ModeStruct* modes = nullptr;
    int32_t count = 0;
    LoadExcludedModes(kExcludedModesKey, &modes, &count);
    const std::unique_ptr<ModeStruct[]> owned(modes);
    plugin.excludedModes.assign(modes, modes + (modes ? count : 0));

    if (!RebuildPluginPopupMenu())
        PluginMessage(nullptr, "Error creating popup menu.\n\nRight click menu will be disabled.");

    // Modules carry no cursors here: two of the system's shapes tell a
    // stereo picture from a flat one.
    plugin.stereoCursor = win::LoadCursor(nullptr, win::IDC_HAND);
    plugin.flatCursor = win::LoadCursor(nullptr, win::IDC_CROSS);
    plugin.arrowCursor = win::LoadCursor(nullptr, win::IDC_ARROW);
    const win::HDC screen = win::GetDC(nullptr);
    plugin.screenBitsPerPixel = win::GetDeviceCaps(screen, win::BITSPIXEL);
    win::ReleaseDC(nullptr, screen);
    plugin.windowTable.assign(2, nullptr);
    plugin.nextInstanceNumber = 0;
    plugin.watermarkSource = LoadWatermarkSource(plugin.module);
    return NPERR_NO_ERROR;
}

void NPP_Shutdown() {
    PluginState& plugin = ThePlugin();
    plugin.watermarkSource.reset();
    DestroyPluginPopupMenu();
    if (plugin.palette)
        win::DeleteObject(reinterpret_cast<win::HGDIOBJ>(plugin.palette));
    plugin.palette = nullptr;
    plugin.windowTable.clear();
    plugin.excludedModes.clear();
}

} // namespace

void FreeInstance(PluginInstance& This) {
    This.imageInfo.reset();
    This.blockInfo.reset();
    DeleteTemporary(This.tempFile, "couldn't cleanup: %d");
    DeleteTemporary(This.blockFile, "couldn't cleanup #2: %d");
    if (!This.blockFile.empty() && This.renameBlockFile)
        DeleteTemporary(This.blockFile.substr(0, This.blockFile.size() - 3) + "tmp",
                        "couldn't cleanup #3: %d");
    This.~PluginInstance();
    ThePlugin().browser->memfree(&This);
}

void ReadQuickMenu(PluginState& plugin) {
    for (int32_t& id : plugin.quickMenu)
        id = -1;
    plugin.quickMenuCount = 0;
    char text[128] = {};
    plugin.registry.GetString("QuickMenu", text, sizeof text - 1);
    for (char* piece = std::strtok(text, ",");
         piece && plugin.quickMenuCount < PluginState::kQuickMenuSize;
         piece = std::strtok(nullptr, ","))
        plugin.quickMenu[plugin.quickMenuCount++] = Decimal(piece);
}

const StereoViewMethod* ChangeToFirstMethod(const char* logPrefix) {
    PluginState& plugin = ThePlugin();
    const StereoViewMethod* method = GetStereoMethodByIndex(0);
    if (!method) {
        pxLog("%sNo stereo view methods found!", logPrefix);
        PluginMessage(nullptr, "Invalid FullScreen View method!  No valid FullScreen viewing "
                               "methods have been found.  Please re-install Binoxa.");
        return nullptr;
    }
    const char* name = MethodDisplayName(method, "");
    pxLog("%sChanging stereo view to '%s' (%d)", logPrefix, name, method->id);
    char text[256];
    std::snprintf(text, sizeof text,
                  "Invalid FullScreen View method!  Your FullScreen viewing method will be "
                  "changed to '%s'.",
                  name);
    PluginMessage(nullptr, text);
    plugin.registry.SetCommonValue("StereoView", static_cast<uint32_t>(method->id), win::REG_DWORD);
    return method;
}

PluginInstance* InstanceOfWindow(win::HWND window) {
    return static_cast<PluginInstance*>(win::GetProp(window, kInstanceProperty));
}

PluginState& ThePlugin() {
    static PluginState state;
    return state;
}

void PluginMessage(win::HWND owner, const char* text, const char* caption, win::UINT type) {
    PluginState& plugin = ThePlugin();
    plugin.showingMessage = true;
    win::MessageBox(owner, text, caption, win::MB_OK | type);
    plugin.showingMessage = false;
}

MimeTypeCode GetMimeTypeCode(const char* type, bool warn) {
    static constexpr std::pair<const char*, MimeTypeCode> kTypes[] = {
        {"image/x-jps", MIME_JPS},
        {"image/x-pns", MIME_PNS},
        // Camera MPO files go through the same JPEG reader.
        {"image/x-mpo", MIME_JPS},
        {"image/x-pxr", MIME_PXR},
        {"text/html", MIME_HTML},
    };
    if (type)
        for (const auto& [text, code] : kTypes)
            if (strcasecmp(type, text) == 0)
                return code;
    if (warn)
        pxLog("WARNING: Unknown MIME Type: '%s'", type ? type : "(null)");
    return MIME_UNKNOWN;
}

NP_EXPORT NPError NP_GetEntryPoints(NPPluginFuncs* functions) {
    if (!functions)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    ThePlugin().functions = functions;
    functions->version = kPluginTableVersion;
    functions->newp = NPP_New;
    functions->destroy = NPP_Destroy;
    functions->setwindow = NPP_SetWindow;
    functions->newstream = NPP_NewStream;
    functions->destroystream = NPP_DestroyStream;
    functions->asfile = NPP_StreamAsFile;
    functions->writeready = NPP_WriteReady;
    functions->write = NPP_Write;
    functions->print = NPP_Print;
    functions->event = nullptr;
    return NPERR_NO_ERROR;
}

NP_EXPORT NPError NP_Initialize(NPNetscapeFuncs* browser) {
    if (!browser)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    ThePlugin().browser = browser;
    if ((browser->version >> 8) != NP_VERSION_MAJOR)
        return NPERR_INCOMPATIBLE_VERSION_ERROR;
    // Browsers from API 0.9 on ask for URL notifications.
    if (NPPluginFuncs* functions = ThePlugin().functions;
        functions && (browser->version & 0xFF) >= 9) {
        functions->urlnotify = NPP_URLNotify;
        functions->javaClass = nullptr;
    }
    return NPP_Initialize();
}

NP_EXPORT NPError NP_Shutdown() {
    NPP_Shutdown();
    ThePlugin().browser = nullptr;
    return NPERR_NO_ERROR;
}

win::COLORREF MakeColorRef(const char* text) {
    if (!text) {
        PluginMessage(nullptr, "MakeColorRef -- NULL hex color string!");
        return 0;
    }
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
            return (c | 0x20) - 'a' + 10;
        return -1;
    };
    if (std::strlen(text) != 7 || text[0] != '#') {
        char message[160];
        std::snprintf(message, sizeof message, "MakeColorRef -- Invalid hex color string: '%.100s'",
                      text);
        PluginMessage(nullptr, message);
        return 0;
    }
    for (int i = 1; i < 7; ++i)
        if (digit(text[i]) < 0) {
            PluginMessage(nullptr, "HexDigitToDecimal -- invalid character");
            return 0;
        }
    const auto pair = [&](int at) { return digit(text[at]) * 16 + digit(text[at + 1]); };
    return static_cast<win::COLORREF>(pair(1) | pair(3) << 8 | pair(5) << 16);
}
