#include "viewer/presentation.h"

#include "imagefile/readimage.h"
#include "imaging/pxerror.h"
#include "platform/sys/directories.h"
#include "platform/sys/files.h"
#include "platform/sys/tempfiles.h"
#include "stereo/stereomethods.h"
#include "view/bxview.h"
#include "viewer/animation.h"
#include "viewer/bxscript.h"
#include "viewer/preferences.h"
#include "viewer/pxrinput.h"
#include "viewer/pxrnotification.h"
#include "viewer/showfile.h"
#include "viewer/webaddresses.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int32_t kInputBufferSize = 10240;
constexpr int32_t kPieceSize = 10240;

[[noreturn]] void ThrowCutShort() {
    throw pxError("This PXR file ends in the middle of a block.  The file is incomplete or "
                  "corrupt.");
}

void ThrowIfCutShort(const pxrInput& input) {
    if (input.SourceExhausted())
        ThrowCutShort();
}

// The extracted animation: a file the system deletes when it is closed, and
// the empty file that making its unique name left behind.
class ExtractedFile {
public:
    ExtractedFile() {
        char folder[win::MAX_PATH] = {};
        win::GetTempPath(sizeof folder, folder);
        char unique[win::MAX_PATH + 20] = {};
        if (!win::GetTempFileName(folder, "pxr", 0, unique))
            throw pxError("Cannot make a temporary file in '%s' for this PXR file.", folder);
        placeholder = unique;
        name = placeholder.substr(0, placeholder.size() - 3) + "avi";
        handle = win::CreateFile(name.c_str(), win::GENERIC_WRITE, 0, nullptr, win::CREATE_ALWAYS,
                                 win::FILE_ATTRIBUTE_TEMPORARY | win::FILE_FLAG_DELETE_ON_CLOSE,
                                 nullptr);
        if (handle == win::INVALID_HANDLE_VALUE) {
            win::DeleteFile(placeholder.c_str());
            throw pxError("Cannot create the temporary file '%s' for this PXR file.", name.c_str());
        }
    }
    ~ExtractedFile() {
        win::CloseHandle(handle);
        win::DeleteFile(placeholder.c_str());
    }
    ExtractedFile(const ExtractedFile&) = delete;
    ExtractedFile& operator=(const ExtractedFile&) = delete;

    void Write(const char* data, int32_t size) {
        win::DWORD written = 0;
        if (size > 0 &&
            (!win::WriteFile(handle, data, static_cast<win::DWORD>(size), &written, nullptr) ||
             written != static_cast<win::DWORD>(size)))
            throw pxError("Cannot write the temporary file '%s' for this PXR file.  The disk may "
                          "be full.",
                          name.c_str());
    }
    const char* Name() const { return name.c_str(); }

private:
    std::string placeholder;
    std::string name;
    win::HANDLE handle = win::INVALID_HANDLE_VALUE;
};

void ShowWrappedFile(pxrInput& input, BxView& view) {
    pxrBlockWrap block(PXR_BLOCK_WRAP);
    ExtractedFile extracted;
    for (;;) {
        const int32_t complete = block.Load(input, kPieceSize);
        extracted.Write(block.GetData(), block.GetDataSize());
        if (complete)
            break;
        ThrowIfCutShort(input);
    }
    // Presentations inside presentations could nest without end.
    if (CheckFileType(extracted.Name()) == FILETYPE_PXR)
        throw pxError("This PXR file wraps another PXR file, which cannot be shown.");
    const StereoViewMethod* current = TheViewerSettings().stereoView;
    if (!CanPlayAnimations(current)) {
        view.Destroy(2);
        PxrNotificationDialog(kAnimationMethods, current).DoModal();
        return;
    }
    ReadAndDisplayFile(extracted.Name(), view);
}

void ThrowText(pxrInput& input) {
    pxrBlockText block(PXR_BLOCK_TEXT);
    while (!block.Load(input, kPieceSize))
        ThrowIfCutShort(input);
    if (block.GetTextLength() > 0)
        throw pxError("%.*s", static_cast<int>(block.GetTextLength()), block.GetText());
}

std::string ReadScript(pxrInput& input) {
    uint32_t length = 0;
    if (input.ReadUInt32(&length) != 4)
        ThrowCutShort();
    pxLog("script is %d bytes", static_cast<int>(length));
    if (length > input.MaxBodyBytes())
        throw pxError("Error loading PXR block.  This PXR file may be corrupt.");
    // Read in pieces, so that a length the data does not back costs no memory;
    // a complete file that gives nothing has no more to give.
    std::string script;
    char piece[kPieceSize];
    while (script.size() < length) {
        const auto want =
            static_cast<int32_t>(std::min<size_t>(sizeof piece, length - script.size()));
        const int32_t got = input.ReadData(piece, want);
        if (got <= 0)
            ThrowCutShort();
        script.append(piece, static_cast<size_t>(got));
    }
    // The script is text up to its first zero byte.
    script.resize(std::strlen(script.c_str()));
    pxLog("*****************\n%s\n*******************", script.c_str());
    return script;
}

void RunScript(pxrInput& input, BxView& view, const std::string& folder) {
    const std::string text = ReadScript(input);
    BxScript script(folder);
    script.Build(text.c_str());
    script.DumpObjects();
    script.DumpStatements();
    script.Execute(view);
    pxLog("done BxScript");
    if (view.IsActive())
        view.Destroy(2);
}

} // namespace

void ShowPresentationFile(const char* fileName, BxView& view) {
    view.StatusBarMessage("Parsing PXR File...");
    pxrInputFile input(fileName);
    if (!input.IsOpen())
        throw pxError("Cannot open the PXR file '%s'.", fileName);
    // A file on disk is whole: where its data ends, the presentation ends.
    input.SetSourceComplete(true);
    input.SetInputBufferSize(kInputBufferSize);
    const std::string folder = std::filesystem::path(fileName).parent_path().string();

    bool handled = false;
    while (!handled) {
        int32_t type = input.NextBlock();
        while (type == 0)
            type = input.NextBlock();
        switch (type) {
        case kPxrEndBlock:
            pxLog("ReadAndDisplayFile:  No supported block type found");
            throw pxError("%s", NoSupportedBlocksMessage().c_str());
        case PXR_BLOCK_WRAP:
            ShowWrappedFile(input, view);
            handled = true;
            break;
        case PXR_BLOCK_TEXT:
            ThrowText(input);
            // An empty message ends the presentation; nothing is left to show.
            if (view.IsActive())
                view.Destroy(2);
            handled = true;
            break;
        case PXR_BLOCK_SCRIPT:
            RunScript(input, view, folder);
            pxLog("don done done");
            handled = true;
            break;
        default:
            pxLog("ReadAndDisplayFile:  Unsupported PXR Block [%d]", type);
        }
    }
}
