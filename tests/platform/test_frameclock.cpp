// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
// The frame clock as a view that draws once per refresh sees it: frames keep coming at the
// refresh period whatever its source, a source that falls silent (its window made anew) is
// taken over by the timer until the new window answers, and a clock ended from its own frame
// gives no further one. Offscreen only the timer is there; the end-to-end suite runs this test
// under an X server whose display clock refreshes 60 times a second, where the Present
// extension drives the frames.
#include "platform/frameclock.h"
#include "tick_testing.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Watched {
    std::unique_ptr<TFrameClock> clock;
    std::vector<int64_t> at;   // the presentation times given
    int endAfter = 0;          // the frame that ends the clock, 0 for none

    void Start(QWidget* w)
    {
        clock = TFrameClock::Start(w, [this](int64_t t) {
            at.push_back(t);
            if (int(at.size()) == endAfter) clock.reset();
            return true;
        });
    }
    // Waits for n more frames; false when they do not come within a generous time.
    bool Frames(size_t n)
    {
        const size_t want = at.size() + n;
        return testwait::Until([&] { return at.size() >= want; }, 5000);
    }
    // The median time between the last n frames' presentation times.
    int64_t Spacing(size_t n) const
    {
        std::vector<int64_t> d;
        for (size_t i = at.size() - n; i < at.size(); ++i) d.push_back(at[i] - at[i - 1]);
        std::nth_element(d.begin(), d.begin() + d.size() / 2, d.end());
        return d[d.size() / 2];
    }
};

TEST(FrameClock, FramesFollowTheRefreshWhateverTheSourceAndStopWithTheClock)
{
    QWidget w;
    w.resize(200, 40);
    w.show();
    ASSERT_TRUE(testwait::Until([&] { return w.windowHandle() && w.windowHandle()->isExposed(); }));
    Watched v;
    v.Start(&w);
    if (!v.clock) GTEST_SKIP() << "the screen gives no refresh rate";
    const int64_t period = v.clock->RefreshPeriod();
    const bool present = QGuiApplication::platformName() == QLatin1String("xcb") &&
                         v.clock->Kind() == TFrameClockKind::fkPresent;
    // Said for the end-to-end suite, which needs the display's clock to have driven this run.
    std::printf("frame clock source: %s\n", present ? "present" : "timer");
    ASSERT_TRUE(v.Frames(30));
    EXPECT_NEAR(double(v.Spacing(20)), double(period), 0.1 * double(period));

    if (present) {
        // Put into another window and back, the widget's window is made anew: the old one's
        // refreshes end with it. The clock falls back to the timer and then follows the new
        // window's refreshes, with no frame lost on the way.
        const WId was = w.internalWinId();
        QWidget holder;
        w.setParent(&holder);
        w.setParent(nullptr, Qt::Window);
        w.show();
        ASSERT_NE(w.internalWinId(), was);
        ASSERT_TRUE(v.Frames(30));
        EXPECT_NEAR(double(v.Spacing(25)), double(period), 0.15 * double(period));
        EXPECT_TRUE(testwait::Until([&] { return v.clock->Kind() == TFrameClockKind::fkPresent; }, 5000));
    }

    // A clock ended from its own frame: that frame is the last.
    v.endAfter = int(v.at.size()) + 3;
    ASSERT_TRUE(v.Frames(3));
    EXPECT_FALSE(v.clock);
    testwait::Pump(int(4 * period / 1'000'000));   // frames that do not come cannot be waited for
    EXPECT_EQ(int(v.at.size()), v.endAfter);
}

}  // namespace
