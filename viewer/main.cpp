// bxviewer: shows a stereo picture named on the command line full screen, or
// opens the main window to open and drop files.
#include "viewer/viewerapp.h"

#include "platform/win/window.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "Usage: bxviewer [options] [file]\n"
    "Shows a stereo picture (JPS, PNS, JPEG, BMP, Targa, PPM) full screen; without a file,\n"
    "opens the main window, from which files are opened or dropped.\n"
    "\n"
    "Options:\n"
    "  -oform=NAME   view with this method: crosseye, parallel, anaglyph_c_rb,\n"
    "                anaglyph_c_br, anaglyph_g_rb, anaglyph_g_br, anaglyph_g_rg,\n"
    "                anaglyph_g_gr, anaglyphrb, anaglyphrg, anaglyphbr, anaglyphgr,\n"
    "                interleaved_rl, interleaved_lr, pageflip, tessel, winspex, ospi\n"
    "  -disp=dd|gdi  show through DirectDraw or through GDI\n"
    "  -fullscreen   stretch the picture to the whole screen\n"
    "  --help        show this text and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "In the view: + and - zoom, F fits, A shows actual size, Tab shows the status line,\n"
    "the right button opens the menu, Escape or a click leaves.\n";

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("bxviewer (Binoxa) %s\n", BINOXA_VERSION);
            return 0;
        }
    }
    CViewerApp app;
    if (!app.InitInstance(argc, argv, win::SW_SHOWNORMAL))
        return 1;
    return app.MainWindow() ? app.MainWindow()->Run() : 0;
}
