// The binding to the Tessel shutter API (shutterthunk/tslapi.h) for the
// Tessel Classic pack. The library is the one for the operating system's
// platform: "tslut32.dll" under Win32s, "tslft32.dll" on Windows 95,
// "tslnt32.dll" on Windows NT.
#pragma once

#include "devices/driverlibrary.h"

#include "platform/win/wintypes.h"

#include <optional>

// The statuses the binding itself gives, besides the device's own.
enum TesselApiStatus : win::LONG {
    TESSEL_NO_VERSION_INFO = 8, // the platform could not be told
    TESSEL_DLL_NOT_FOUND = 9,
    TESSEL_NOT_INITIALIZED = 10,
};

// One use of the device: creating it loads the library and initialises the
// device, deleting it ends the device's use and unloads the library. Each
// object holds its own library reference and function table, so a short-lived
// one never takes away the functions of another.
class TesselDevice {
public:
    // Shows a message box when the platform is unknown or cannot be told,
    // or when the library lacks tslInitialize.
    TesselDevice();
    ~TesselDevice();
    TesselDevice(const TesselDevice&) = delete;
    TesselDevice& operator=(const TesselDevice&) = delete;

    // The device's status (tslGetStatus). A function the library lacks
    // answers the API status instead: why the library is missing, or
    // TESSEL_NOT_INITIALIZED when it is there without the function.
    win::LONG Status() const;
    // Switches row-interleaved stereo on; the status afterwards.
    win::LONG On() const;
    win::LONG Off() const;
    // Whether one of the device's 3-D modes has this width and height.
    bool HasMode(int width, int height) const;
    // The API's text for a status (tslStatusString), or the binding's own.
    const char* StatusString(win::LONG code) const;

private:
    // The status after an operation that ran, or the API status for one
    // whose function is missing (no result).
    win::LONG StatusAfter(std::optional<win::LONG> operation) const;

    DriverLibrary library;
    win::DWORD handle = 0;
    win::LONG apiStatus = TESSEL_NOT_INITIALIZED;
};

// The text the view shows for a non-zero device status.
const char* TesselErrorText(win::LONG status);
