// Showing a presentation container in the viewer's full-screen view: the
// first block the viewer supports decides what happens. A wrapped animation
// is extracted and played (shutter-glasses methods only), a text is the
// user's message, a script is run.
#pragma once

class BxView;

// Throws pxError. After a script or a text the view is closed; after an
// animation or a wrapped picture it is left as the player left it.
void ShowPresentationFile(const char* fileName, BxView& view);
