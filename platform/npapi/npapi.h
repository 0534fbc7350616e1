// The Netscape plug-in API, as a browser and a plug-in share it: instance
// and stream records, the window record, result codes, and the two function
// tables the entry points exchange. Written from the published interface,
// in the form of its Windows flavour: the plug-in exports NP_GetEntryPoints,
// NP_Initialize and NP_Shutdown, and window records carry an HWND.
#pragma once

#include <cstdint>

#define NP_EXPORT extern "C" __attribute__((visibility("default")))

// The API version this header describes: a browser's table carries its
// version as (major << 8) | minor.
constexpr uint16_t NP_VERSION_MAJOR = 0;
constexpr uint16_t NP_VERSION_MINOR = 11;

using NPBool = unsigned char;
using NPError = int16_t;
using NPReason = int16_t;
using NPMIMEType = char*;

enum : NPError {
    NPERR_NO_ERROR = 0,
    NPERR_GENERIC_ERROR = 1,
    NPERR_INVALID_INSTANCE_ERROR = 2,
    NPERR_INVALID_FUNCTABLE_ERROR = 3,
    NPERR_MODULE_LOAD_FAILED_ERROR = 4,
    NPERR_OUT_OF_MEMORY_ERROR = 5,
    NPERR_INVALID_PLUGIN_ERROR = 6,
    NPERR_INVALID_PLUGIN_DIR_ERROR = 7,
    NPERR_INCOMPATIBLE_VERSION_ERROR = 8,
    NPERR_INVALID_PARAM = 9,
    NPERR_INVALID_URL = 10,
    NPERR_FILE_NOT_FOUND = 11,
    NPERR_NO_DATA = 12,
    NPERR_STREAM_NOT_SEEKABLE = 13,
};

// Why a stream ended.
enum : NPReason {
    NPRES_DONE = 0,
    NPRES_NETWORK_ERR = 1,
    NPRES_USER_BREAK = 2,
};

// How a stream is delivered (NPP_NewStream's stream type).
enum : uint16_t {
    NP_NORMAL = 1,
    NP_SEEK = 2,
    NP_ASFILE = 3,
    NP_ASFILEONLY = 4,
};

// An instance's mode (NPP_New) and a print record's mode.
enum : uint16_t {
    NP_EMBED = 1,
    NP_FULL = 2,
};

// One plug-in instance: pdata is the plug-in's, ndata the browser's.
struct NPP_t {
    void* pdata = nullptr;
    void* ndata = nullptr;
};
using NPP = NPP_t*;

struct NPStream {
    void* pdata = nullptr; // the plug-in's
    void* ndata = nullptr; // the browser's
    const char* url = nullptr;
    uint32_t end = 0; // the stream's length in bytes; 0 when unknown
    uint32_t lastmodified = 0;
    void* notifyData = nullptr;
    const char* headers = nullptr; // the response's header lines, or none
};

struct NPByteRange {
    int32_t offset = 0;
    uint32_t length = 0;
    NPByteRange* next = nullptr;
};

struct NPSavedData {
    int32_t len = 0;
    void* buf = nullptr;
};

struct NPRect {
    uint16_t top = 0;
    uint16_t left = 0;
    uint16_t bottom = 0;
    uint16_t right = 0;
};

enum NPWindowType : int32_t {
    NPWindowTypeWindow = 1,   // window is the plug-in's own HWND
    NPWindowTypeDrawable = 2, // window is a device context
};

struct NPWindow {
    void* window = nullptr; // an HWND for NPWindowTypeWindow
    int32_t x = 0;          // position in the page
    int32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    NPRect clipRect;
    NPWindowType type = NPWindowTypeWindow;
};

struct NPFullPrint {
    NPBool pluginPrinted = 0; // set by a plug-in that printed the whole page itself
    NPBool printOne = 0;
    void* platformPrint = nullptr;
};

struct NPEmbedPrint {
    NPWindow window;
    void* platformPrint = nullptr;
};

struct NPPrint {
    uint16_t mode = NP_EMBED;
    union {
        NPFullPrint fullPrint;
        NPEmbedPrint embedPrint;
    } print{};
};

// What a plug-in gives the browser.
using NPP_NewProcPtr = NPError (*)(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc,
                                   char* argn[], char* argv[], NPSavedData* saved);
using NPP_DestroyProcPtr = NPError (*)(NPP instance, NPSavedData** save);
using NPP_SetWindowProcPtr = NPError (*)(NPP instance, NPWindow* window);
using NPP_NewStreamProcPtr = NPError (*)(NPP instance, NPMIMEType type, NPStream* stream,
                                         NPBool seekable, uint16_t* stype);
using NPP_DestroyStreamProcPtr = NPError (*)(NPP instance, NPStream* stream, NPReason reason);
using NPP_StreamAsFileProcPtr = void (*)(NPP instance, NPStream* stream, const char* fname);
using NPP_WriteReadyProcPtr = int32_t (*)(NPP instance, NPStream* stream);
using NPP_WriteProcPtr = int32_t (*)(NPP instance, NPStream* stream, int32_t offset, int32_t len,
                                     void* buffer);
using NPP_PrintProcPtr = void (*)(NPP instance, NPPrint* platformPrint);
using NPP_HandleEventProcPtr = int16_t (*)(NPP instance, void* event);
using NPP_URLNotifyProcPtr = void (*)(NPP instance, const char* url, NPReason reason,
                                      void* notifyData);

struct NPPluginFuncs {
    uint16_t size = sizeof(NPPluginFuncs);
    uint16_t version = 0;
    NPP_NewProcPtr newp = nullptr;
    NPP_DestroyProcPtr destroy = nullptr;
    NPP_SetWindowProcPtr setwindow = nullptr;
    NPP_NewStreamProcPtr newstream = nullptr;
    NPP_DestroyStreamProcPtr destroystream = nullptr;
    NPP_StreamAsFileProcPtr asfile = nullptr;
    NPP_WriteReadyProcPtr writeready = nullptr;
    NPP_WriteProcPtr write = nullptr;
    NPP_PrintProcPtr print = nullptr;
    NPP_HandleEventProcPtr event = nullptr;
    NPP_URLNotifyProcPtr urlnotify = nullptr;
    void* javaClass = nullptr;
};

// What the browser gives a plug-in.
using NPN_GetURLProcPtr = NPError (*)(NPP instance, const char* url, const char* window);
using NPN_PostURLProcPtr = NPError (*)(NPP instance, const char* url, const char* window,
                                       uint32_t len, const char* buf, NPBool file);
using NPN_RequestReadProcPtr = NPError (*)(NPStream* stream, NPByteRange* rangeList);
using NPN_NewStreamProcPtr = NPError (*)(NPP instance, NPMIMEType type, const char* window,
                                         NPStream** stream);
using NPN_WriteProcPtr = int32_t (*)(NPP instance, NPStream* stream, int32_t len, void* buffer);
using NPN_DestroyStreamProcPtr = NPError (*)(NPP instance, NPStream* stream, NPReason reason);
using NPN_StatusProcPtr = void (*)(NPP instance, const char* message);
using NPN_UserAgentProcPtr = const char* (*)(NPP instance);
using NPN_MemAllocProcPtr = void* (*)(uint32_t size);
using NPN_MemFreeProcPtr = void (*)(void* ptr);
using NPN_MemFlushProcPtr = uint32_t (*)(uint32_t size);
using NPN_ReloadPluginsProcPtr = void (*)(NPBool reloadPages);
using NPN_GetURLNotifyProcPtr = NPError (*)(NPP instance, const char* url, const char* window,
                                            void* notifyData);

struct NPNetscapeFuncs {
    uint16_t size = sizeof(NPNetscapeFuncs);
    uint16_t version = 0;
    NPN_GetURLProcPtr geturl = nullptr;
    NPN_PostURLProcPtr posturl = nullptr;
    NPN_RequestReadProcPtr requestread = nullptr;
    NPN_NewStreamProcPtr newstream = nullptr;
    NPN_WriteProcPtr write = nullptr;
    NPN_DestroyStreamProcPtr destroystream = nullptr;
    NPN_StatusProcPtr status = nullptr;
    NPN_UserAgentProcPtr uagent = nullptr;
    NPN_MemAllocProcPtr memalloc = nullptr;
    NPN_MemFreeProcPtr memfree = nullptr;
    NPN_MemFlushProcPtr memflush = nullptr;
    NPN_ReloadPluginsProcPtr reloadplugins = nullptr;
    void* getJavaEnv = nullptr;
    void* getJavaPeer = nullptr;
    NPN_GetURLNotifyProcPtr geturlnotify = nullptr;
};

// The plug-in library's exports, as a host looks them up by name.
using NP_GetEntryPointsFunc = NPError (*)(NPPluginFuncs* pluginFuncs);
using NP_InitializeFunc = NPError (*)(NPNetscapeFuncs* browserFuncs);
using NP_ShutdownFunc = NPError (*)();
