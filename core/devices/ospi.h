// The binding to the OSPI stereo device interface of the Tessel Web Pack.
// The library is the one in the directory that HKEY_CLASSES_ROOT\OSPI names,
// loaded by the first call that needs it and unloaded by Exit and by a failed
// Init. The interface keeps the open device's handle, the last status and the
// message buffer the driver writes to.
#pragma once

#include "devices/driverlibrary.h"
#include "devices/ospiapi.h"

#include <string>

// The library's path: the default value of HKEY_CLASSES_ROOT\OSPI (a
// directory; nothing when the key or value is missing) and "ospi32.dll".
std::string OspiLibraryPath();

class OspiInterface {
public:
    OspiInterface();

    // Opens the device for a display kind (OSPI_RENDER_DIRECTDRAW or
    // OSPI_RENDER_GDI); a failure unloads the library.
    win::LONG Init(const win::GUID& renderKind);
    // Closes the device and unloads the library; the status is
    // OSPI_NOT_INITIALIZED afterwards.
    void Exit();

    // These answer OSPI_NOT_INITIALIZED without calling while no device is open.
    win::LONG NumStereoModes(const OspiModeQuery& query, win::DWORD* count);
    win::LONG EnumStereoModes(const OspiModeQuery& query, win::DWORD index, OspiModeInfo* info);
    win::LONG StereoOn(const OspiModeQuery& query, const OspiRenderDevice& device,
                       const OspiModeInfo& mode);
    win::LONG StereoOff();

    // The last status; OSPI_NOT_INITIALIZED at first.
    win::LONG Status() const { return status; }
    OspiHandle Handle() const { return handle; }
    // The text for a status: the interface's own for 0, 2 and 8, the
    // driver's for the others, or what it last wrote to the message buffer.
    std::string StatusText(win::LONG code) const;

private:
    // Loads the library when the function's slot is empty; false, with the
    // status OSPI_NOT_LOADED, when the function is still missing.
    bool Reach(std::size_t slot);
    // As Reach, and first OSPI_NOT_INITIALIZED while no device is open.
    bool CanCall(std::size_t slot);
    win::LONG Finish(win::LONG result);

    DriverLibrary library;
    OspiHandle handle = 0;
    win::LONG status = OSPI_NOT_INITIALIZED;
    char message[512] = {};
};

// The one the views and the availability test share.
OspiInterface& TheOspiInterface();
