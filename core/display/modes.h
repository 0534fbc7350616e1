// Display modes: the mode record, how a view chooses its first mode, the
// ways of drawing, and lookups over plain arrays of modes.
#pragma once

#include <cstdint>

struct ModeStruct {
    uint32_t width;
    uint32_t height;
    uint32_t bpp;
    // Hertz as the display settings report it; 0 when unknown.
    uint32_t refresh;
};

enum { ModeCurrent = 0, ModeFixed = 1, ModeClosest = 2, ModeGeometric = 3 };

struct ModeType {
    int32_t type;
    int32_t width;
    int32_t height;
    int32_t bpp;
    int32_t reserved; // carried for the hosts, never read here
};

enum DisplayType { DisplayGDI = 0, DisplayDirectDraw = 1, DisplayDontCare = 2 };

enum DDSurfType { DDSurfSingle = 0, DDSurfFlipChain = 1, DDSurfStereoPair = 2 };

// Sorts by size, then depth, with the exchanges the mode dialogs have always
// shown (not a total order when widths and heights disagree).
void SortModes(ModeStruct* modes, int32_t count);

// The first mode of that size and depth, or -1.
int32_t FindExactMode(const ModeStruct* modes, uint32_t count, uint32_t width, uint32_t height,
                      uint32_t bpp);
// bpp -1 means any depth. An empty list gives 0 after a warning.
int32_t FindClosestMode(const ModeStruct* modes, uint32_t count, uint32_t width, uint32_t height,
                        int32_t bpp);
// The resolution chooser; throws pxError for an empty list.
int32_t FindClosestModeToFit(const ModeStruct* modes, uint32_t count, uint32_t width,
                             uint32_t height, int32_t bpp);

// Writes the list to the log between two banner lines.
void PrintModeList(const ModeStruct* modes, int32_t count, const char* title);
