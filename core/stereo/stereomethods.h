// The table of stereo viewing methods: every way of showing a pair (shutter
// glasses, page flipping, free viewing, anaglyphs, one eye) is one fixed
// record. Records are looked up by id, never by position.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Bits of StereoViewMethod::deviceFlags.
enum StereoDeviceFlags : uint32_t {
    DEVICE_TESSEL = 0x01,            // the Tessel shutter interface
    DEVICE_OSPI = 0x02,              // the OSPI device interface (the whole value is 2)
    DEVICE_PAGE_FLIP = 0x04,         // hardware page flipping
    DEVICE_NUVISION = 0x10,          // the NuVision WinSPEX/3D interface
    DEVICE_ONE_EYE_AT_A_TIME = 0x40, // resolution matching uses the size of one eye
};

// Bits of StereoViewMethod::displayFlags.
enum StereoDisplayFlags : uint32_t {
    DISPLAY_NEEDS_DIRECTDRAW = 0x01,
    DISPLAY_STEREO_AFTER_SURFACES = 0x04, // device switched on after the surfaces change
};

// A method's menu command is this plus its id.
constexpr int32_t STEREO_METHOD_MENU_BASE = 52770;

struct StereoViewMethod {
    int32_t id;
    std::string name;
    int32_t outputType;      // the pxCPair output type (OUTPUT_INTERLEAVED ...)
    int32_t swapEyes;        // 1: the right eye goes where the output type puts the left
    int32_t interleavedFlag; // 1 for the row-interleaved shutter methods
    int32_t halfWidth;       // 1: each eye is first scaled to half its width
    uint32_t deviceFlags;    // StereoDeviceFlags
    uint32_t displayFlags;   // StereoDisplayFlags
    int32_t surfType;        // the display surface arrangement the method needs
};

// The table is built at first use and lives until the process ends; the
// pointers returned stay valid all that time. Callers never change records.
int NumStereoMethods();
// nullptr unless 0 <= index < NumStereoMethods().
const StereoViewMethod* GetStereoMethodByIndex(int index);
// The first record with this id, or nullptr.
const StereoViewMethod* GetStereoMethodByID(int32_t id);
// The method ids in the order the method menus list them; 0 marks a
// separator. Ids the table does not know are passed over.
std::span<const int32_t> MethodMenuOrder();
// The method's display name, or the fallback when there is no method or it
// has no name (messages say "Unknown" or "Unnamed").
const char* MethodDisplayName(const StereoViewMethod* method, const char* fallback);
