#include "plugin/streams.h"

#include "imagefile/readimage.h"
#include "imaging/octtree.h"
#include "imaging/pixelops.h"
#include "imaging/pxerror.h"
#include "platform/dialogs/messagebox.h"
#include "platform/sys/directories.h"
#include "platform/sys/tempfiles.h"
#include "platform/win/paint.h"
#include "plugin/fullscreen.h"
#include "plugin/quickhelp.h"
#include "viewer/animation.h"
#include "viewer/pxrinput.h"
#include "viewer/webaddresses.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr int32_t kPieceSize = 10240;

// What a presentation's read steps keep between calls.
struct PxrState : ImageDecoder {
    std::unique_ptr<pxrInputFile> input;
    std::unique_ptr<pxrBlockWrap> wrap;
    std::unique_ptr<pxrBlockText> text;
    bool headerRead = false;
    bool finished = false;
};

PluginInstance* InstanceOf(NPP instance) {
    return instance ? static_cast<PluginInstance*>(instance->pdata) : nullptr;
}

std::string NewTemporaryFile(const char* prefix) {
    char folder[win::MAX_PATH] = {};
    win::GetTempPath(sizeof folder, folder);
    char name[win::MAX_PATH + 20] = {};
    if (!win::GetTempFileName(folder, prefix, 0, name))
        throw pxError("Couldn't create a temporary file in '%s'.", folder);
    return name;
}

void Repaint(const PluginInstance& This) {
    if (!This.hwnd)
        return;
    win::InvalidateRect(This.hwnd, nullptr, win::FALSE);
    win::UpdateWindow(This.hwnd);
}

pxColor ColourOf(win::COLORREF colour) {
    return {static_cast<uint8_t>(colour & 0xFF), static_cast<uint8_t>((colour >> 8) & 0xFF),
            static_cast<uint8_t>((colour >> 16) & 0xFF), 0};
}

// The first frame of the wrapped animation as the inline picture: 3 bytes
// a pixel, top row first.
void ShowFirstFrame(const char* path, pxImage& image, _ImageInfo& info) {
    AVIFile animation;
    animation.Open(path, nullptr);
    pxImage frame;
    if (!animation.GetFrameImage(frame, 0))
        throw pxError("Couldn't read the first frame of the animation in this PXR file.");
    pxImage colour(frame);
    if (frame.GetBytesPerPixel() != 3) {
        colour.Create(frame.GetSize(), 3, 4);
        if (frame.GetBytesPerPixel() == 1) {
            pxPalette& shared = ThePlugin().sharedPalette;
            if (const pxPalette* palette = animation.GetPalette())
                shared = *palette;
            ConvertBPP(colour, frame, shared, 3);
        } else {
            DropFourthByte(colour, frame);
        }
    }
    // The frame's view already runs top row first over the decoder's
    // bottom-up rows.
    image.Create(frame.GetSize(), 3, 4);
    CopyImage(image, px2Pnt{0, 0}, colour, px2Rect{0, 0, colour.GetWidth(), colour.GetHeight()});
    info.rowsDone = image.GetHeight();
    info.hasDescriptor = 1;
    info.layout = kPlainDefaultLayout;
}

// The first bytes of the wrapped data decide how its file is read; an
// animation's name ends in "avi" for the video service.
void WritePiece(PluginInstance& This, const pxrBlockWrap& wrap) {
    const int32_t size = wrap.GetDataSize();
    if (This.blockFile.empty()) {
        if (wrap.GetOriginalSize() > 4 &&
            std::memcmp(wrap.GetData(), "RIFF", static_cast<size_t>(std::min(size, 4))) != 0)
            This.renameBlockFile = 0;
        This.blockFile = NewTemporaryFile("");
        if (This.renameBlockFile)
            This.blockFile.replace(This.blockFile.size() - 3, 3, "avi");
    }
    RealWrite(wrap.GetData(), size, This.blockFile.c_str());
}

// A step on the picture the block wraps, as far as its file has arrived. An
// animation waits for the whole block and shows its first frame.
void ReadBlockFile(PluginInstance& This, PxrState& state, bool blockComplete, _ImageInfo& info,
                   pxPalette* palette, const pxColor& background) {
    const char* path = This.blockFile.c_str();
    int result = 0;
    // The data's first bytes told an animation when its file was made.
    if (This.renameBlockFile) {
        if (!blockComplete)
            return;
        ShowFirstFrame(path, *This.inlineImage, info);
        result = 1;
    } else {
        if (!This.blockInfo) {
            // A picture's kind is told once, when enough of it is there.
            std::error_code error;
            if (!blockComplete && std::filesystem::file_size(path, error) < 8)
                return;
            const MimeTypeCode type =
                IsFilePNG(path) ? MIME_PNS : (IsFileJPEG(path) ? MIME_JPS : MIME_UNKNOWN);
            if (type == MIME_UNKNOWN) {
                This.blockDone = 1;
                throw pxError("Unknown PXR Block Wrap data.");
            }
            This.blockInfo = std::make_unique<_ImageInfo>();
            This.blockType = type;
        }
        result =
            ReadImage(path, This.inlineImage.get(), palette, This.blockInfo.get(), &background);
        info.rowsDone = This.blockInfo->rowsDone;
        info.hasDescriptor = This.blockInfo->hasDescriptor;
        info.layout = This.blockInfo->layout;
    }
    if (result == 1) {
        state.finished = true;
        This.blockDone = 1;
    }
}

// The wrapped file's data as far as it has arrived, into the block file.
int WrappedStep(PluginInstance& This, PxrState& state, _ImageInfo& info, pxPalette* palette,
                const pxColor& background) {
    if (!state.wrap)
        state.wrap = std::make_unique<pxrBlockWrap>(PXR_BLOCK_WRAP);
    bool complete = false;
    for (;;) {
        complete = state.wrap->Load(*state.input, kPieceSize) != 0;
        if (state.wrap->GetDataSize() > 0)
            WritePiece(This, *state.wrap);
        if (complete || state.wrap->GetDataSize() == 0)
            break;
    }
    if (This.blockFile.empty())
        return 0;
    ReadBlockFile(This, state, complete, info, palette, background);
    if (complete && state.finished)
        state.headerRead = false;
    return state.finished ? 1 : 0;
}

// A text block is the author's message to the user, shown as an error.
int TextStep(PluginInstance& This, PxrState& state) {
    if (!state.text)
        state.text = std::make_unique<pxrBlockText>(PXR_BLOCK_TEXT);
    if (!state.text->Load(*state.input, kPieceSize))
        return 0;
    This.blockDone = 1;
    if (state.text->GetTextLength() > 0)
        throw pxError("%.*s", static_cast<int>(state.text->GetTextLength()), state.text->GetText());
    state.finished = true;
    return 1;
}

// One step on a presentation: the next block header, then the block's data
// as far as it has arrived.
int PxrStep(PluginInstance& This, const char* path, _ImageInfo& info, pxPalette* palette,
            const pxColor& background) {
    auto* state = dynamic_cast<PxrState*>(info.decoderState.get());
    if (!state) {
        pxLog("no private_info for PXR file??");
        return 0;
    }
    if (!state->input)
        state->input = std::make_unique<pxrInputFile>(path);
    pxrInput& input = *state->input;
    // Blocks of kinds the plug-in does not show are passed over at once, so
    // that a block after them in the same packet is not left waiting.
    for (;;) {
        if (!state->headerRead) {
            const int32_t type = input.NextBlock();
            if (type == kPxrEndBlock) {
                pxLog("EOF getting block");
                throw pxError("%s", NoSupportedBlocksMessage().c_str());
            }
            if (type == 0)
                return 0;
            state->headerRead = true;
        }
        switch (input.GetType()) {
        case PXR_BLOCK_WRAP:
            return WrappedStep(This, *state, info, palette, background);
        case PXR_BLOCK_TEXT:
            return TextStep(This, *state);
        default:
            pxLog("ReadImageAndShowInClientWindow:  Unsupported PXR block: %d", input.GetType());
            state->headerRead = false;
        }
    }
}

} // namespace

void InitImageInfo(_ImageInfo* info, MimeTypeCode code) {
    if (!info)
        throw pxError("InitImageInfo -- Invalid ImageInfo structure");
    switch (code) {
    case MIME_JPS:
    case MIME_PNS:
        // The readers make their decoders on the first step.
        *info = _ImageInfo{};
        break;
    case MIME_PXR:
        *info = _ImageInfo{};
        info->decoderState = std::make_unique<PxrState>();
        break;
    default:
        throw pxError("Binoxa: Don't know how to handle type: %d.", static_cast<int>(code));
    }
}

void FreeImageInfo(_ImageInfo* info, MimeTypeCode code) {
    if (!info)
        return;
    if (code != MIME_JPS && code != MIME_PNS && code != MIME_PXR)
        throw pxError("Binoxa: Don't know how to handle MIME Type: %d.", static_cast<int>(code));
    // Closes the file and frees the decoder, or the container reader; what
    // the read found (rows, descriptor, layout) stays for showing it.
    info->decoderState.reset();
    info->stream.reset();
}

int32_t RealWrite(const void* data, int32_t length, const char* path) {
    std::FILE* file = std::fopen(path, "ab");
    if (!file) {
        const int error = errno;
        pxLog("Binoxa: RealWrite:  Couldn't open temporary file '%s'", path);
        switch (error) {
        case EACCES:
            pxLog("EACCES");
            break;
        case EEXIST:
            pxLog("EEXIST");
            break;
        case EINVAL:
            pxLog("EINVAL");
            break;
        case ENOENT:
            pxLog("ENOENT");
            break;
        default:
            pxLog("other: %d", error);
        }
        PluginMessage(nullptr, "Couldn't open temporary file.");
        return 0;
    }
    const size_t written = std::fwrite(data, 1, static_cast<size_t>(std::max(length, 0)), file);
    if (std::fclose(file) != 0 || written < static_cast<size_t>(std::max(length, 0)))
        PluginMessage(nullptr, "Couldn't write to temporary file.  Perhaps your disk is full?");
    return static_cast<int32_t>(written);
}

int ReadImageAndShowInClientWindow(PluginInstance& This, const char* path, pxImage* image,
                                   pxPalette* palette, _ImageInfo* info) {
    if (!image) {
        pxLog("Bx: ReadImageAndShowInClientWindow: returning, no image");
        return 0;
    }
    bool pxrStep = false;
    try {
        pxColor background = ColourOf(This.backgroundColour);
        if (image->GetBytesPerPixel() == 1 && palette) {
            octTree tree(256);
            tree.insert_palette(*palette, 0, 255);
            const int index = tree.map_color(background.red, background.green, background.blue);
            background = pxColor{static_cast<uint8_t>(index), 0, 0, 0};
        }
        const int rowsBefore = info->rowsDone;
        int result = 0;
        switch (This.mimeType) {
        case MIME_JPS:
        case MIME_PNS:
            result = ReadImage(path, image, palette, info, &background);
            break;
        case MIME_PXR:
            pxrStep = true;
            result = PxrStep(This, path, *info, palette, background);
            break;
        default:
            pxLog("bad MIME Type: %d", static_cast<int>(This.mimeType));
        }
        if (result == 1)
            This.complete = 1;
        if (This.autoView) {
            This.autoView = 0;
            StartFullScreen(This, nullptr);
        }
        if (rowsBefore != info->rowsDone || pxrStep)
            Repaint(This);
        return result;
    } catch (const pxError& error) {
        This.badStream = 1;
        if (pxrStep)
            Repaint(This);
        pxLog("ReadImageAndShowInClientWindow: %s", error.GetMessage());
        PluginMessage(This.hwnd, error.GetMessage());
    } catch (...) {
        pxLog("ReadImageAndShowInClientWindow: Undefined Exception");
        PluginMessage(This.hwnd, "Caught Undefined Exception");
        This.badStream = 1;
    }
    return 0;
}

NPError NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool, uint16_t*) {
    PluginInstance* This = InstanceOf(instance);
    if (!This)
        return NPERR_INVALID_INSTANCE_ERROR;
    const char* url = stream && stream->url ? stream->url : nullptr;
    if (GetMimeTypeCode(type, false) == MIME_HTML) {
        char text[1400];
        std::snprintf(text, sizeof text,
                      "The file (%.1000s) referenced in the EMBED tag of this HTML page does not "
                      "exist or cannot be accessed at this time.  Please try again later.  If "
                      "problems persist please contact the author of this web page.",
                      url ? url : "NULL");
        pxLog("%s", text);
        PluginMessage(This->hwnd, text, "Binoxa Error", win::MB_ICONERROR);
        This->badStream = 1;
        return NPERR_INCOMPATIBLE_VERSION_ERROR;
    }
    if (url) {
        const char* name = url + std::strlen(url);
        while (name > url && name[-1] != '/' && name[-1] != '\\')
            --name;
        This->streamName = name;
    }
    This->streamLength = stream ? stream->end : 0;
    // A full page, or an EMBED without TYPE, is what the server says it is.
    if (This->mode == NP_FULL || This->mimeType == MIME_UNKNOWN)
        This->mimeType = GetMimeTypeCode(type, true);
    try {
        InitImageInfo(This->imageInfo.get(), This->mimeType);
        This->tempFile = NewTemporaryFile("bx");
    } catch (const pxError& error) {
        pxLog("NPP_NewStream: %s", error.GetMessage());
        PluginMessage(This->hwnd, error.GetMessage());
        This->badStream = 1;
        return NPERR_GENERIC_ERROR;
    }
    return NPERR_NO_ERROR;
}

int32_t NPP_WriteReady(NPP instance, NPStream*) {
    const PluginInstance* This = InstanceOf(instance);
    if (!This)
        return 0;
    if (This->bytesReceived < This->readThreshold)
        return static_cast<int32_t>(This->firstChunk);
    if (This->pageSize != -1)
        return This->pageSize;
    if (This->userPacketSize != 7)
        return std::max(This->userPacketSize, 1024);
    return static_cast<int32_t>(std::clamp<uint32_t>(This->streamLength / 100, 1024, 65536));
}

int32_t NPP_Write(NPP instance, NPStream*, int32_t, int32_t length, void* buffer) {
    PluginInstance* This = InstanceOf(instance);
    if (!This)
        return length;
    if (This->badStream) {
        pxLog("NPP_Write: bad stream, returning 0");
        return 0;
    }
    This->bytesReceived += static_cast<uint32_t>(RealWrite(buffer, length, This->tempFile.c_str()));
    if (!This->complete && !This->blockDone &&
        (This->bytesReceived >= This->readThreshold || This->bytesReceived == This->streamLength))
        This->complete =
            ReadImageAndShowInClientWindow(*This, This->tempFile.c_str(), This->inlineImage.get(),
                                           &ThePlugin().sharedPalette, This->imageInfo.get());
    return length;
}

NPError NPP_DestroyStream(NPP instance, NPStream*, NPReason) {
    PluginInstance* This = InstanceOf(instance);
    if (!This)
        return NPERR_INVALID_INSTANCE_ERROR;
    PluginPreferences& preferences = ThePlugin().preferences;
    // A download that ended early: no quick help for the rest of the session.
    if (!This->complete && !This->blockDone && !This->badStream)
        preferences.dontShowQuickHelp = 1;
    if (This->mimeType == MIME_JPS || This->mimeType == MIME_PNS || This->mimeType == MIME_PXR)
        FreeImageInfo(This->imageInfo.get(), This->mimeType);
    if (This->blockInfo && This->blockInfo->decoderState)
        FreeImageInfo(This->blockInfo.get(), This->blockType);
    if (!preferences.dontShowQuickHelp)
        ShowQuickHelp(*This);
    return NPERR_NO_ERROR;
}
