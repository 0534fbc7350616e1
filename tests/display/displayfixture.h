// Shared pieces of the display tests: an adapter profile per test, a log
// captured per test, DirectDraw present or absent, a scratch registry, and
// message boxes answered and recorded.
#pragma once

#include "platform/display/adapterfixture.h"
#include "support/capturedlog.h"
#include "support/recordedboxes.h"
#include "support/sysfixture.h"

#include "platform/gdi/framebuffer.h"
#include "platform/win/promptresponder.h"
#include "platform/win/wintypes.h"

#include <memory>
#include <string>
#include <vector>

class DisplayTest : public AdapterTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes libddraw.so reachable by name, or not.
    void WithDirectDraw(bool present);
    // Libraries are loaded by name from the directory.
    void WithSystemDirectory(const std::string& directory);
    // Every message now queued for the thread, removed (paint messages are
    // dispatched instead).
    static std::vector<win::UINT> TakeQueuedMessages();

    CapturedLog log;
    RecordedBoxes boxes;
    systest::ScratchDirectory scratch;

private:
    std::unique_ptr<systest::ScopedEnvironment> systemDir;
    std::unique_ptr<systest::ScopedEnvironment> registry;
};

// An adapter profile of count 8-bit modes 100 pixels high, widths from 100 up.
std::string ProfileOfManyModes(int count);

// The pixel at (x, y) of a framebuffer as red, green, blue (8-bit pixels
// through the system palette, 16-bit ones widened from 5-6-5).
win::COLORREF PixelAt(const win::Framebuffer& frame, int x, int y);
