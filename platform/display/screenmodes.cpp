#include "platform/display/screenmodes.h"

#include "platform/win/application.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <utility>

namespace win::internal {
namespace {

constexpr std::pair<int, int> kCommonSizes[] = {
    {320, 200},   {320, 240},   {400, 300},   {512, 384},   {640, 400},   {640, 480},
    {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},  {1280, 960},  {1280, 1024},
    {1600, 1200}, {1920, 1080}, {1920, 1200}, {2560, 1440}, {3840, 2160},
};
constexpr int kDepths[] = {8, 16, 24, 32};

bool IsDepth(int bits) {
    return std::find(std::begin(kDepths), std::end(kDepths), bits) != std::end(kDepths);
}

} // namespace

AdapterProfile ScreenProfile(int screenWidth, int screenHeight, int screenDepth, int refresh) {
    const std::pair<int, int> screen{std::max(screenWidth, 1), std::max(screenHeight, 1)};
    std::vector<std::pair<int, int>> sizes;
    for (const auto& size : kCommonSizes)
        if (size.first <= screen.first && size.second <= screen.second)
            sizes.push_back(size);
    if (std::find(sizes.begin(), sizes.end(), screen) == sizes.end())
        sizes.push_back(screen);
    std::sort(sizes.begin(), sizes.end());

    const int hertz = refresh > 0 ? refresh : AdapterProfile::kDefaultRefresh;
    AdapterProfile profile;
    for (const auto& [width, height] : sizes)
        for (int bits : kDepths)
            profile.modes.push_back({width, height, bits, hertz});
    profile.desktop = {screen.first, screen.second, IsDepth(screenDepth) ? screenDepth : 32, hertz};
    return profile;
}

AdapterProfile RealScreenProfile() {
    EnsureApplication();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return ScreenProfile(640, 480, 32, AdapterProfile::kDefaultRefresh);
    const QSize size = screen->size();
    return ScreenProfile(size.width(), size.height(), screen->depth(),
                         static_cast<int>(std::lround(screen->refreshRate())));
}

} // namespace win::internal
