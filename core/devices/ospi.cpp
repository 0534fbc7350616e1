#include "devices/ospi.h"

#include "platform/registry/registry.h"

#include <array>
#include <cstring>

namespace {

constexpr std::array<const char*, 18> functionNames = {
    "_ospiMetaStatusString",
    "_ospiMetaNumStereoDevices",
    "_ospiMetaGetStereoDeviceInfo",
    "_ospiMetaNumRenderDevices",
    "_ospiMetaGetRenderDeviceInfo",
    "_ospiMetaInit",
    "_ospiMetaExit",
    "_ospiMetaNumStereoModes",
    "_ospiMetaEnumStereoModes",
    "_ospiMetaBeginRender",
    "_ospiMetaBetweenRender",
    "_ospiMetaEndRender",
    "_ospiMetaFlip",
    "_ospiMetaStereoOn",
    "_ospiMetaStereoOff",
    "_ospiMetaIsStereoOn",
    "_ospiMetaGainFocus",
    "_ospiMetaLoseFocus",
};

constexpr win::LONG notLoaded = OSPI_NOT_LOADED;

} // namespace

using win::DWORD;
using win::LONG;

std::string OspiLibraryPath() {
    char directory[256] = {};
    LONG size = sizeof directory;
    if (win::RegQueryValue(win::HKEY_CLASSES_ROOT, "OSPI", directory, &size) !=
        win::ERROR_SUCCESS) {
        directory[0] = '\0';
    }
    std::string path(directory, strnlen(directory, sizeof directory));
    // The installer ends the directory with a separator; one written by
    // hand may lack it.
    if (!path.empty() && path.back() != '\\' && path.back() != '/') {
        path += '\\';
    }
    return path + "ospi32.dll";
}

OspiInterface::OspiInterface() : library(functionNames) {}

bool OspiInterface::Reach(std::size_t slot) {
    if (!library.Has(slot)) {
        library.Load(OspiLibraryPath().c_str());
    }
    if (!library.Has(slot)) {
        status = OSPI_NOT_LOADED;
        return false;
    }
    return true;
}

bool OspiInterface::CanCall(std::size_t slot) {
    if (!handle) {
        status = OSPI_NOT_INITIALIZED;
        return false;
    }
    return Reach(slot);
}

LONG OspiInterface::Finish(LONG result) {
    status = result;
    return result;
}

LONG OspiInterface::Init(const win::GUID& renderKind) {
    if (!Reach(SlotOf(functionNames, "_ospiMetaInit"))) {
        return status;
    }
    const LONG result = CALL_DRIVER(library, functionNames, _ospiMetaInit, notLoaded, &handle,
                                    DWORD{0}, &renderKind, DWORD{sizeof message}, message);
    if (result != OSPI_OK) {
        handle = 0;
        library.Unload();
    }
    return Finish(result);
}

void OspiInterface::Exit() {
    // Nothing to close when the library never came; loading it only to
    // close it would be a waste.
    if (library.Loaded()) {
        CALL_DRIVER(library, functionNames, _ospiMetaExit, notLoaded, handle, message);
        library.Unload();
    }
    handle = 0;
    status = OSPI_NOT_INITIALIZED;
}

LONG OspiInterface::NumStereoModes(const OspiModeQuery& query, DWORD* count) {
    if (!CanCall(SlotOf(functionNames, "_ospiMetaNumStereoModes"))) {
        return status;
    }
    return Finish(CALL_DRIVER(library, functionNames, _ospiMetaNumStereoModes, notLoaded, handle,
                              count, &query));
}

LONG OspiInterface::EnumStereoModes(const OspiModeQuery& query, DWORD index, OspiModeInfo* info) {
    if (!CanCall(SlotOf(functionNames, "_ospiMetaEnumStereoModes"))) {
        return status;
    }
    return Finish(CALL_DRIVER(library, functionNames, _ospiMetaEnumStereoModes, notLoaded, handle,
                              &query, index, info));
}

LONG OspiInterface::StereoOn(const OspiModeQuery& query, const OspiRenderDevice& device,
                             const OspiModeInfo& mode) {
    if (!CanCall(SlotOf(functionNames, "_ospiMetaStereoOn"))) {
        return status;
    }
    return Finish(CALL_DRIVER(library, functionNames, _ospiMetaStereoOn, notLoaded, handle, &query,
                              DWORD{0}, &device, &mode));
}

LONG OspiInterface::StereoOff() {
    if (!CanCall(SlotOf(functionNames, "_ospiMetaStereoOff"))) {
        return status;
    }
    return Finish(CALL_DRIVER(library, functionNames, _ospiMetaStereoOff, notLoaded, handle));
}

std::string OspiInterface::StatusText(LONG code) const {
    switch (code) {
    case OSPI_OK:
        return "No Error - Command executed successfully";
    case OSPI_NOT_INITIALIZED:
        return "Stereo Device Not Initialized";
    case OSPI_NOT_LOADED:
        return "Could not load OSPI DLL - OSPI May not be installed properly";
    default:
        break;
    }
    const char* text = CALL_DRIVER(library, functionNames, _ospiMetaStatusString,
                                   static_cast<const char*>(nullptr), handle, code);
    return text ? text : std::string(message, strnlen(message, sizeof message));
}

OspiInterface& TheOspiInterface() {
    static OspiInterface ospi;
    return ospi;
}
