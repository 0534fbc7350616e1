#include "adapterfixture.h"

#include "platform/display/stereopresenter.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <vector>

using win::Framebuffer;
using win::internal::StereoPresenter;

TEST_F(AdapterTest, StereoPairAlternatesAtTheRefresh) {
    UseProfile("mode 640x480x8@120\nmode 640x480x8@60\n");
    const Framebuffer left(2, 2, 32), right(2, 2, 32);
    std::vector<const Framebuffer*> shown;
    StereoPresenter presenter([&](const Framebuffer& eye) { shown.push_back(&eye); });
    EXPECT_FALSE(presenter.IsRunning());
    presenter.Flip(); // nothing to show yet
    EXPECT_TRUE(shown.empty());

    presenter.SetStereoPair(&left, &right);
    EXPECT_TRUE(presenter.IsRunning());
    EXPECT_TRUE(presenter.ShowsLeft());
    EXPECT_EQ(presenter.FlipIntervalMs(), 8); // 120 Hz
    presenter.Flip();
    presenter.Flip();
    EXPECT_EQ(shown, (std::vector<const Framebuffer*>{&left, &right, &left}));

    // The timer keeps flipping while the event loop runs.
    QElapsedTimer waited;
    waited.start();
    while (shown.size() < 7 && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_GE(shown.size(), 7u);
    for (std::size_t i = 1; i < shown.size(); ++i)
        EXPECT_NE(shown[i], shown[i - 1]) << i;

    presenter.ClearStereoPair();
    EXPECT_FALSE(presenter.IsRunning());
    const std::size_t stopped = shown.size();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    presenter.Flip();
    EXPECT_EQ(shown.size(), stopped);

    win::DisplayAdapter::Instance().SetCurrent({640, 480, 8, 60});
    presenter.SetStereoPair(&left, nullptr); // half a pair shows nothing
    EXPECT_FALSE(presenter.IsRunning());
    presenter.SetStereoPair(&right, &left);
    EXPECT_EQ(presenter.FlipIntervalMs(), 16);
    EXPECT_EQ(shown.back(), &right);
}
