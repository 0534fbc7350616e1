// Showing one file in an already created full-screen view.
#pragma once

class BxView;

// Sends the file to the player its type needs; a still picture is shown
// with every right-click item and every view key. Throws pxError.
void ReadAndDisplayFile(const char* fileName, BxView& view);

// The still-picture case: reads the picture (again and again for a
// progressive file, redrawing after each step) and shows it with the
// current method. Throws pxError.
void ShowImageFile(const char* fileName, BxView& view);
