#include "platform/display/stereopresenter.h"

#include "platform/display/adapter.h"
#include "platform/win/application.h"

#include <algorithm>
#include <utility>

namespace win::internal {

StereoPresenter::StereoPresenter(Show show) : show(std::move(show)) {
    EnsureApplication();
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [this] { Flip(); });
}

void StereoPresenter::SetStereoPair(const Framebuffer* newLeft, const Framebuffer* newRight) {
    if (!newLeft || !newRight) {
        ClearStereoPair();
        return;
    }
    left = newLeft;
    right = newRight;
    showsLeft = false;
    Flip();
    const int refresh = DisplayAdapter::Instance().Current().refresh;
    timer.start(std::max(1, 1000 / (refresh > 0 ? refresh : AdapterProfile::kDefaultRefresh)));
}

void StereoPresenter::ClearStereoPair() {
    timer.stop();
    left = right = nullptr;
    showsLeft = false;
}

void StereoPresenter::Flip() {
    if (!left)
        return;
    showsLeft = !showsLeft;
    show(showsLeft ? *left : *right);
}

} // namespace win::internal
