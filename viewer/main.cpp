// bxviewer: shows a stereo picture named on the command line full screen, or
// opens the main window to open and drop files.
#include "viewer/viewerapp.h"

#include "platform/win/window.h"
#include "stereo/methodoptions.h"

#include <cstdio>
#include <cstring>
#include <span>
#include <string>

namespace {

constexpr const char* kUsageStart =
    "Usage: bxviewer [options] [file]\n"
    "Shows a stereo picture (JPS, PNS, JPEG, BMP, Targa, PPM) full screen; without a file,\n"
    "opens the main window, from which files are opened or dropped.\n"
    "\n"
    "Options:\n"
    "  -oform=NAME   view with this method:";
constexpr const char* kUsageEnd =
    "  -disp=dd|gdi  show through DirectDraw or through GDI\n"
    "  -fullscreen   stretch the picture to the whole screen\n"
    "  --help        show this text and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "In the view: + and - zoom, F fits, A shows actual size, Tab shows the status line,\n"
    "the right button opens the menu, Escape or a click leaves.\n";

// The method names as the command line takes them, wrapped under the option.
void PrintUsage() {
    std::string text = kUsageStart;
    std::size_t lineLength = text.size() - text.rfind('\n') - 1;
    const std::span<const MethodOptionName> names = MethodOptionNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name =
            std::string(" ") + names[i].name + (i + 1 < names.size() ? "," : "");
        if (lineLength + name.size() > 80) {
            text += "\n               ";
            lineLength = 15;
        }
        text += name;
        lineLength += name.size();
    }
    std::fputs((text + "\n" + kUsageEnd).c_str(), stdout);
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintUsage();
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
