// Running a built script against the full-screen view.
#include "viewer/bxscript.h"

#include "imagefile/readimage.h"
#include "imaging/pxerror.h"
#include "platform/win/messages.h"
#include "stereo/stereomethods.h"
#include "view/bxview.h"
#include "viewer/preferences.h"

#include <strings.h>

#include <filesystem>

namespace {

constexpr win::UINT kEscape = 27;

} // namespace

int Object::Execute(const char*, const ArgumentList&, BxView&) {
    return 1;
}

int ObjectImage::Execute(const char* function, const ArgumentList& arguments, BxView& view) {
    pxLog("ObjectImage::Execute(%s, %x, %x)", function,
          static_cast<unsigned>(reinterpret_cast<uintptr_t>(&arguments)),
          static_cast<unsigned>(reinterpret_cast<uintptr_t>(&view)));
    if (strcasecmp(function, "load") != 0) {
        pxLog("ObjectImage::Execute -- Unsupported object function: %s", function);
        throw pxError("RUNTIME ERROR: Unsupported object function: %s", function);
    }
    if (arguments.empty()) {
        pxLog("ObjectImage::Execute -- cannot complete LOAD, no image name!");
        throw pxError("RUNTIME ERROR:  Cannot LOAD image, no image name specified");
    }
    std::filesystem::path file(arguments.front());
    if (file.is_relative() && !folder.empty())
        file = std::filesystem::path(folder) / file;
    const std::string fileName = file.string();

    ReadImageData data;
    data.fileName = fileName.c_str();
    data.image = image.get();
    data.palette = palette.get();
    data.firstCall = 1;
    if (!ReadImage(&data))
        pxLog("ObjectImage::Execute -- not finished reading image '%s'!", fileName.c_str());
    layout = data.layout;
    loaded = true;
    return 1;
}

const char* Statement::Execute(ObjectList&, BxView&) {
    return nullptr;
}

const char* StatementDisplay::Execute(ObjectList&, BxView& view) {
    if (!image) {
        pxLog("StatementDisplay::Execute -- no objImage!");
        throw pxError("RUNTIME ERROR: No image to display!");
    }
    // An empty picture would be shown as nothing at all; say which is missing.
    if (!image->IsLoaded())
        throw pxError("RUNTIME ERROR: Image '%s' was not loaded before DISPLAY.",
                      image->GetName() ? image->GetName()->c_str() : "");
    const StereoViewMethod* method = TheViewerSettings().stereoView;
    view.ShowImage(image->GetImage(), &image->GetPalette(), image->GetLayout(),
                   method ? method->id : 0);
    return nullptr;
}

const char* StatementGoto::Execute(ObjectList&, BxView&) {
    return target.c_str();
}

const char* StatementObjExec::Execute(ObjectList&, BxView& view) {
    if (!object)
        return nullptr;
    pxLog("StatementObjExec::Execute -- function name = '%s'", function.c_str());
    for (const std::string& argument : arguments)
        pxLog("StatementObjExec::Execute -- arg: %x : %s",
              static_cast<unsigned>(reinterpret_cast<uintptr_t>(argument.c_str())),
              argument.c_str());
    object->Execute(function.c_str(), arguments, view);
    return nullptr;
}

const char* StatementWait::Execute(ObjectList&, BxView& view) {
    pxLog("StatementWait::Execute()");
    pxLog("StatementWait::Execute -- building a list of wait message ids");
    std::vector<win::UINT> wanted;
    for (const auto& clause : clauses) {
        if (clause->GetType() != On) {
            pxLog("StatementWait::Execute -- unknown wait statement type: %d", clause->GetType());
            continue;
        }
        pxLog("StatementWait::Execute -- wait on event: %d %d", clause->GetType(),
              static_cast<int>(clause->GetMessage()));
        wanted.push_back(clause->GetMessage());
    }
    pxLog("StatementWait::Execute -- pumping messages");
    for (;;) {
        const win::MSG* message = view.PumpMessages(&wanted);
        pxLog("StatementWait::Execute -- pumped: %x %d",
              static_cast<unsigned>(reinterpret_cast<uintptr_t>(message)),
              message ? static_cast<int>(message->message) : 0);
        if (message) {
            if (message->message != 0)
                pxLog("StatementWait::Execute -- dispatching message: %d",
                      static_cast<int>(message->message));
            // Escape ends the presentation even when keys are awaited: the
            // view closes on it as it always does.
            if (message->message == win::WM_CHAR && message->wParam == kEscape)
                win::DispatchMessage(message);
            break;
        }
        // The user closed the view (Escape, a click, its menu) while waiting.
        if (wanted.empty() || !view.IsActive())
            break;
        win::WaitMessage();
    }
    pxLog("StatmentWait::Execute -- done");
    return nullptr;
}

int BxScript::Execute(BxView& view) {
    if (statements.empty()) {
        pxLog("BxScript::Execute -- no statements!  returning.");
        return 0;
    }
    size_t index = 0;
    // A loop that never waits still lets the user close the view: each jump
    // handles what the user did since the last one, unless a WAIT did.
    bool waited = false;
    while (index < statements.size()) {
        Statement& statement = *statements[index];
        pxLog("BxScript::Execute -- index: %d  type: %d", static_cast<int>(index),
              statement.GetType());
        const char* next = statement.Execute(objects, view);
        waited = waited || statement.GetType() == Statement::Wait;
        // Once the view is closed the presentation is over.
        if (!view.IsActive())
            break;
        if (!next) {
            ++index;
            continue;
        }
        if (!waited && (view.PumpMessages(nullptr) || !view.IsActive()))
            break;
        waited = false;
        pxLog("BxScript::Execute -- searching for %s for the next statement to execute", next);
        size_t found = 0;
        while (found < statements.size() && statements[found]->GetName() != next)
            ++found;
        if (found == statements.size()) {
            pxLog("BxScript::Execute -- did not find a statement named '%s'", next);
            throw pxError("No such statement: '%s'.  Cannot continue.", next);
        }
        index = found;
    }
    return 1;
}
