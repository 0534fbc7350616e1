// A stand-in for the browser plug-in, built as libnpbx32.so: it writes one
// line for each call bxpage makes to the file FAKE_PLUGIN_LOG names, so that
// the tests see what a plug-in would be given. Lines of an instance start
// with its number in brackets, counted from 1 in the order of NPP_New.
//
// FAKE_PLUGIN_READY      what NPP_WriteReady answers: a number, or numbers
//                        separated by commas taken in turn (default 4096)
// FAKE_PLUGIN_TAKE       NPP_Write takes at most this many bytes of a call
// FAKE_PLUGIN_REFUSE     stream types NPP_NewStream refuses (commas between)
// FAKE_PLUGIN_REFUSE_NEW types NPP_New refuses
// FAKE_PLUGIN_INIT_FAIL  NP_Initialize answers this error
// FAKE_PLUGIN_GETURL     an address asked for once, on the first NPP_Write,
//   FAKE_PLUGIN_GETURL_TARGET  for this window (default _blank; "-" for
//                              none: the stream comes to the plug-in)
//   FAKE_PLUGIN_GETURL_NOTIFY  set: through NPN_GetURLNotify
#include "platform/npapi/npapi.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

NPNetscapeFuncs* browser = nullptr;
int instancesMade = 0;
unsigned readyCalls = 0;
bool askedForUrl = false;

struct InstanceData {
    int number = 0;
};

struct StreamData {
    long long bytes = 0;
    uint32_t crc = 0xFFFFFFFF;
};

void Log(const char* format, ...) {
    const char* path = std::getenv("FAKE_PLUGIN_LOG");
    if (!path)
        return;
    FILE* file = std::fopen(path, "a");
    if (!file)
        return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(file, format, arguments);
    va_end(arguments);
    std::fputc('\n', file);
    std::fclose(file);
}

int NumberOf(NPP instance) {
    return instance && instance->pdata ? static_cast<InstanceData*>(instance->pdata)->number : 0;
}

std::vector<std::string> Listed(const char* variable) {
    std::vector<std::string> items;
    const char* text = std::getenv(variable);
    if (!text)
        return items;
    std::string all = text;
    for (std::size_t start = 0; start <= all.size();) {
        const std::size_t comma = std::min(all.find(',', start), all.size());
        items.push_back(all.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

bool IsListed(const char* variable, const char* type) {
    for (const std::string& item : Listed(variable))
        if (type && item == type)
            return true;
    return false;
}

long long Milliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

uint32_t Crc(uint32_t crc, const unsigned char* bytes, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

NPError New(NPMIMEType type, NPP instance, uint16_t mode, int16_t argc, char* argn[], char* argv[],
            NPSavedData* saved) {
    if (instancesMade == 0)
        Log("uagent %s", browser->uagent(instance));
    const int number = ++instancesMade;
    std::string line = "[" + std::to_string(number) + "] new " + (type ? type : "(null)") + " " +
                       std::to_string(mode) + " " + std::to_string(argc);
    for (int16_t i = 0; i < argc; ++i) {
        line += " ";
        line += argn[i] ? argn[i] : "(null)";
        if (argv[i]) {
            line += "=";
            line += argv[i];
        }
    }
    if (saved)
        line += " saved";
    Log("%s", line.c_str());
    if (IsListed("FAKE_PLUGIN_REFUSE_NEW", type))
        return NPERR_INVALID_PARAM;
    auto* data = static_cast<InstanceData*>(browser->memalloc(sizeof(InstanceData)));
    if (!data)
        return NPERR_OUT_OF_MEMORY_ERROR;
    data->number = number;
    instance->pdata = data;
    return NPERR_NO_ERROR;
}

NPError Destroy(NPP instance, NPSavedData** save) {
    Log("[%d] destroy", NumberOf(instance));
    browser->memfree(instance->pdata);
    instance->pdata = nullptr;
    if (save)
        *save = nullptr;
    return NPERR_NO_ERROR;
}

NPError SetWindow(NPP instance, NPWindow* window) {
    if (!window || !window->window || window->type != NPWindowTypeWindow)
        Log("[%d] setwindow bad", NumberOf(instance));
    else
        Log("[%d] setwindow %u %u", NumberOf(instance), window->width, window->height);
    return NPERR_NO_ERROR;
}

NPError NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool, uint16_t* stype) {
    Log("[%d] newstream %s %s %u", NumberOf(instance), type, stream->url, stream->end);
    browser->status(instance, (std::string("streaming ") + stream->url).c_str());
    if (IsListed("FAKE_PLUGIN_REFUSE", type))
        return NPERR_INCOMPATIBLE_VERSION_ERROR;
    auto* data = static_cast<StreamData*>(browser->memalloc(sizeof(StreamData)));
    *data = StreamData{};
    stream->pdata = data;
    *stype = NP_NORMAL;
    return NPERR_NO_ERROR;
}

NPError DestroyStream(NPP instance, NPStream* stream, NPReason reason) {
    auto* data = static_cast<StreamData*>(stream->pdata);
    Log("[%d] destroystream %d", NumberOf(instance), reason);
    if (data)
        Log("[%d] bytes %lld crc %u", NumberOf(instance), data->bytes, ~data->crc);
    browser->memfree(data);
    stream->pdata = nullptr;
    return NPERR_NO_ERROR;
}

int32_t WriteReady(NPP instance, NPStream*) {
    const std::vector<std::string> answers = Listed("FAKE_PLUGIN_READY");
    const int32_t ready =
        answers.empty() ? 4096 : std::atoi(answers[readyCalls++ % answers.size()].c_str());
    Log("[%d] writeready -> %d", NumberOf(instance), ready);
    return ready;
}

int32_t Write(NPP instance, NPStream* stream, int32_t offset, int32_t len, void* buffer) {
    Log("[%d] write %d %d at %lld", NumberOf(instance), offset, len, Milliseconds());
    auto* data = static_cast<StreamData*>(stream->pdata);
    int32_t take = len;
    if (const char* most = std::getenv("FAKE_PLUGIN_TAKE"))
        take = std::min(take, std::atoi(most));
    if (data && take > 0) {
        data->crc = Crc(data->crc, static_cast<const unsigned char*>(buffer), take);
        data->bytes += take;
    }
    if (const char* url = std::getenv("FAKE_PLUGIN_GETURL"); url && !askedForUrl) {
        askedForUrl = true;
        const char* target = std::getenv("FAKE_PLUGIN_GETURL_TARGET");
        if (!target)
            target = "_blank";
        if (std::strcmp(target, "-") == 0)
            target = nullptr;
        const NPError result = std::getenv("FAKE_PLUGIN_GETURL_NOTIFY")
                                   ? browser->geturlnotify(instance, url, target, &askedForUrl)
                                   : browser->geturl(instance, url, target);
        Log("[%d] geturl -> %d", NumberOf(instance), result);
    }
    return take;
}

void UrlNotify(NPP instance, const char* url, NPReason reason, void* notifyData) {
    Log("[%d] urlnotify %s %d%s", NumberOf(instance), url, reason,
        notifyData == &askedForUrl ? "" : " wrong data");
}

} // namespace

NP_EXPORT NPError NP_GetEntryPoints(NPPluginFuncs* functions) {
    Log("entrypoints");
    if (!functions || functions->size < sizeof(NPPluginFuncs))
        return NPERR_INVALID_FUNCTABLE_ERROR;
    functions->version = static_cast<uint16_t>((NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR);
    functions->newp = New;
    functions->destroy = Destroy;
    functions->setwindow = SetWindow;
    functions->newstream = NewStream;
    functions->destroystream = DestroyStream;
    functions->writeready = WriteReady;
    functions->write = Write;
    functions->urlnotify = UrlNotify;
    return NPERR_NO_ERROR;
}

NP_EXPORT NPError NP_Initialize(NPNetscapeFuncs* functions) {
    if (const char* fail = std::getenv("FAKE_PLUGIN_INIT_FAIL"))
        return static_cast<NPError>(std::atoi(fail));
    const uint16_t expected = static_cast<uint16_t>((NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR);
    if (!functions || functions->version != expected || functions->size < sizeof(NPNetscapeFuncs)) {
        Log("initialize bad");
        return NPERR_INCOMPATIBLE_VERSION_ERROR;
    }
    browser = functions;
    Log("initialize");
    return NPERR_NO_ERROR;
}

NP_EXPORT NPError NP_Shutdown() {
    Log("shutdown");
    browser = nullptr;
    return NPERR_NO_ERROR;
}
