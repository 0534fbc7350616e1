// A stand-in for the viewer program, for the end-to-end test of the view:
// shows one stereo picture in a full-screen BxView and runs the view's modal
// loop, so that a test can drive it with synthetic input from outside.
//
//   viewhost PICTURE METHOD-ID WIDTH HEIGHT BPP
//
// Prints "shown" once the picture is up, "status: TEXT" whenever the status
// line changes ("status:" alone when it is cleared) and "result: N" with the
// modal loop's result at the end, each line flushed at once. Exit status 0
// after a modal loop, 1 when the picture could not be shown.
#include "imagefile/readimage.h"
#include "imaging/pxerror.h"
#include "platform/win/timers.h"
#include "view/bxview.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

BxView* watched = nullptr;
std::optional<std::string> lastStatus;

// The status line lives in the display only; a timer reports its changes.
void ReportStatus(win::HWND, win::UINT, win::UINT_PTR, win::DWORD) {
    if (!watched || !watched->IsActive() || !watched->GetDisplay())
        return;
    const std::optional<std::string>& status = watched->GetDisplay()->GetStatusBarMessage();
    if (status == lastStatus)
        return;
    lastStatus = status;
    std::printf("status:%s%s\n", status ? " " : "", status ? status->c_str() : "");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fputs("usage: viewhost PICTURE METHOD-ID WIDTH HEIGHT BPP\n", stderr);
        return 2;
    }
    try {
        pxImage picture;
        pxPalette palette;
        ReadImageData read;
        read.fileName = argv[1];
        read.image = &picture;
        read.palette = &palette;
        while (ReadImage(&read) == 0) {
        }

        BxView view;
        view.SetStatusBar(false);
        view.SetFullScreen(false);
        const ModeType mode{ModeFixed, std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                            0};
        view.Create(DisplayGDI, DDSurfSingle, mode, RCM_STEREO_METHODS | RCM_EXIT);
        const pxPalette* pictureColours = picture.GetBytesPerPixel() == 1 ? &palette : nullptr;
        if (!view.ShowImage(picture, pictureColours, read.layout, std::atoi(argv[2]))) {
            std::fputs("viewhost: the picture could not be shown\n", stderr);
            return 1;
        }
        watched = &view;
        // On the view's window: a timer of the thread alone would never be
        // dispatched here (DispatchMessage drops messages without a window).
        constexpr win::UINT_PTR kStatusTimer = 1;
        win::SetTimer(view.GetSafeHwnd(), kStatusTimer, 20, ReportStatus);
        std::puts("shown");
        std::fflush(stdout);
        const int result = view.RunModalLoop();
        watched = nullptr;
        std::printf("result: %d\n", result);
        std::fflush(stdout);
        return 0;
    } catch (const pxError& error) {
        std::fprintf(stderr, "viewhost: %s\n", error.GetMessage());
        return 1;
    }
}
