// The instance's picture inside the page: converted to a flat picture for
// the inline view type, fitted to the window, with a bar showing the
// download or the decoding while it arrives.
#pragma once

#include "plugin/plugin.h"

// The pair converter's output type and eye flag for the page's view type and
// the "InlineView" preference, and whether a side-by-side picture must be
// squeezed to half its width (1) or a flat one to half its height (2) to fit
// what the page laid out. False for a view type the table does not have.
bool InlineToOutputType(int32_t pageView, int32_t* outputType, int32_t* eye, int32_t* squish);

// The paint message's picture: once it is complete, or while its rows arrive
// with progressive display.
void PaintInline(PluginInstance& This);
// The paint message before that: the background and the download bar.
void PaintDownload(PluginInstance& This);
