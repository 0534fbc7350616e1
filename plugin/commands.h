// What the plug-in window does with the popup menu: shows it at a right
// click and carries out the command the user chose.
#pragma once

#include "plugin/plugin.h"

// The popup at the pointer, (x, y) in the window's client coordinates.
void TrackPluginPopupMenu(PluginInstance& This, int x, int y);
void OnPluginCommand(PluginInstance& This, int command);
