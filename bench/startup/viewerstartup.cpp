// Times the viewer from process start to the first complete frame of a
// picture on the X server of $DISPLAY: starts bxviewer with the picture, reads
// the screen until the area where the view centres the picture holds exactly
// the expected pixels, and ends the viewer. Prints each run and the median,
// and exits 1 when the median misses the goal.
//
//   viewerstartup BXVIEWER METHOD PICTURE EXPECTED.ppm RUNS GOAL-MS
//
// EXPECTED.ppm is the frame the method makes of the picture (bxconvert's
// output at actual size); the screen must be larger than it and black.
#include "imagefile/readimage.h"
#include "imaging/pxerror.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned long> pixels; // 0xRRGGBB, rows top-down
};

// Through the core's own reader, which the viewer shows the picture with.
Picture ReadExpected(const char* path) {
    pxImage image;
    pxPalette palette;
    ReadImageData read;
    read.fileName = path;
    read.image = &image;
    read.palette = &palette;
    try {
        while (ReadImage(&read) == 0) {
        }
    } catch (const pxError&) {
        return {};
    }
    if (image.GetBytesPerPixel() != 3)
        return {};
    Picture picture{image.GetWidth(), image.GetHeight(), {}};
    for (int32_t y = 0; y < image.GetHeight(); ++y) {
        const uint8_t* pixel = image.Row(y); // blue, green, red
        for (int32_t x = 0; x < image.GetWidth(); ++x, pixel += 3)
            picture.pixels.push_back((pixel[2] << 16) | (pixel[1] << 8) | pixel[0]);
    }
    return picture;
}

// Whether the screen's area at (x, y) shows the picture; with wanted false,
// whether it is all black.
bool AreaShows(Display* display, int x, int y, const Picture& picture, bool wanted) {
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(picture.width),
                  static_cast<unsigned>(picture.height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    bool matches = true;
    for (int row = 0; row < picture.height && matches; ++row)
        for (int column = 0; column < picture.width && matches; ++column) {
            const unsigned long shown = XGetPixel(image, column, row) & 0xFFFFFF;
            const unsigned long expected =
                wanted ? picture.pixels[row * picture.width + column] : 0;
            matches = shown == expected;
        }
    XDestroyImage(image);
    return matches;
}

bool WaitFor(Display* display, int x, int y, const Picture& picture, bool wanted,
             Clock::time_point deadline) {
    while (!AreaShows(display, x, y, picture, wanted)) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fputs("usage: viewerstartup BXVIEWER METHOD PICTURE EXPECTED.ppm RUNS GOAL-MS\n",
                   stderr);
        return 2;
    }
    const Picture expected = ReadExpected(argv[4]);
    const int runs = std::atoi(argv[5]);
    const double goalMs = std::atof(argv[6]);
    Display* display = XOpenDisplay(nullptr);
    if (expected.pixels.empty() || runs < 1 || !display) {
        std::fputs("viewerstartup: no expected picture, no runs or no X display\n", stderr);
        return 2;
    }
    const Screen* screen = DefaultScreenOfDisplay(display);
    // Where the view centres a picture at actual size: on even coordinates.
    const int x = ((screen->width - expected.width) / 2) & ~1;
    const int y = ((screen->height - expected.height) / 2) & ~1;
    const std::string method = std::string("-oform=") + argv[2];

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        const pid_t viewer = fork();
        if (viewer == 0) {
            execl(argv[1], argv[1], method.c_str(), argv[3], static_cast<char*>(nullptr));
            _exit(127);
        }
        const bool shown = WaitFor(display, x, y, expected, true, start + std::chrono::seconds(10));
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        kill(viewer, SIGTERM);
        waitpid(viewer, nullptr, 0);
        if (!shown) {
            std::fprintf(stderr, "viewerstartup: run %d never showed the picture\n", run + 1);
            return 1;
        }
        std::printf("run %d: %.1f ms\n", run + 1, ms);
        times.push_back(ms);
        // The next run starts on a black screen again.
        WaitFor(display, x, y, expected, false, Clock::now() + std::chrono::seconds(10));
    }
    XCloseDisplay(display);
    std::sort(times.begin(), times.end());
    const double median = runs % 2 ? times[runs / 2] : (times[runs / 2 - 1] + times[runs / 2]) / 2;
    std::printf("start-up to first complete frame: median %.1f ms of %d runs (goal <= %.0f ms)\n",
                median, runs, goalMs);
    return median <= goalMs ? 0 : 1;
}
