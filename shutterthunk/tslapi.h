// The Tessel shutter-glasses programming interface: the 19 functions every
// shutter library exports (tslft32, and tslut32/tslnt32 where they exist).
// Arguments declared as word values reach the device as their low 16 bits;
// short results come back sign-extended to 32 bits. What the pointers point
// to: tslVersion two words (major, minor), tslGetBuffer a dword,
// tsl3dModeInfo a TslModeInfo, tsl3dFlags a word, tslDebugInfo a text buffer
// of TSL_DEBUG_INFO_SIZE characters, tslGetParam four words.
#pragma once

#include "platform/win/wintypes.h"

extern "C" {

win::LONG tslInitialize();
void tslExit(win::DWORD handle);
win::LONG tslVersion(win::DWORD handle, void* major, void* minor);
win::LONG tslGetStatus(win::DWORD handle);
const char* tslStatusString(win::DWORD status);
win::LONG tslShowBuffer(win::DWORD handle, win::DWORD buffer, win::DWORD flags);
win::LONG tslGetBuffer(win::DWORD handle, win::DWORD buffer, void* address);
win::LONG tslNumBuffers(win::DWORD handle);
win::LONG tslNum3dModes(win::DWORD handle);
win::LONG tsl3dModeInfo(win::DWORD handle, win::DWORD modeIndex, void* modeInfo);
win::LONG tsl3dOn(win::DWORD handle, win::DWORD mode);
win::LONG tsl3dFlags(win::DWORD handle, void* flags);
win::LONG tsl3dOff(win::DWORD handle);
win::LONG tslLoseFocus(win::DWORD handle);
win::LONG tslGainFocus(win::DWORD handle);
win::LONG tslIs3d(win::DWORD handle);
win::LONG tslDebugInfo(win::DWORD handle, void* info);
win::LONG tslGetParam(win::DWORD handle, win::DWORD group, win::DWORD param, void* value1,
                      void* value2, void* value3, void* value4);
win::LONG tslSetParam(win::DWORD handle, win::DWORD group, win::DWORD param, win::DWORD value);
}

constexpr unsigned TSL_DEBUG_INFO_SIZE = 64;

// What tsl3dModeInfo fills in; callers read the width and the height.
struct TslModeInfo {
    win::WORD width;
    win::WORD height;
    win::WORD bitsPerPixel;
    win::WORD flags;
};

// The routine index of each export in the 16-bit side's table.
enum TslRoutine : win::UINT {
    TSL_SET_PARAM = 0,
    TSL_GET_PARAM = 1,
    TSL_DEBUG_INFO = 2,
    TSL_IS_3D = 3,
    TSL_GAIN_FOCUS = 4,
    TSL_LOSE_FOCUS = 5,
    TSL_3D_OFF = 6,
    TSL_3D_FLAGS = 7,
    TSL_3D_ON = 8,
    TSL_3D_MODE_INFO = 9,
    TSL_NUM_3D_MODES = 10,
    TSL_NUM_BUFFERS = 11,
    TSL_GET_BUFFER = 12,
    TSL_SHOW_BUFFER = 13,
    TSL_STATUS_STRING = 14,
    TSL_GET_STATUS = 15,
    TSL_VERSION = 16,
    TSL_EXIT = 17,
    TSL_INITIALIZE = 18,
    TSL_ROUTINE_COUNT = 19,
};
