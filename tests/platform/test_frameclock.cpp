// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
// The frame clock as a view that draws once per refresh sees it: frames keep coming at the
// refresh period whatever its source, a source that falls silent (its window made anew) is
// taken over by the timer until the new window answers, and a clock ended from its own frame
// gives no further one. Offscreen only the timer is there; the end-to-end suite runs this test
// under an X server whose display clock refreshes 60 times a second, where the Present
// extension drives the frames, and as a native Wayland client of headless Mutter, where the
// compositor's frame callbacks do.
#include "platform/frameclock.h"
#include "platform/mmsystem.h"
#include "platform/threads.h"
#include "tick_testing.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

// A window that draws a new picture on each frame, as a moving view does: a compositor sends
// frame callbacks only for frames that reached it.
struct Drawn : QWidget {
    int shade = 0;
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(shade, 0, 128)); }
};

struct Watched {
    std::unique_ptr<TFrameClock> clock;
    std::vector<int64_t> at;   // the presentation times given
    int endAfter = 0;          // the frame that ends the clock, 0 for none

    void Start(Drawn* w)
    {
        clock = TFrameClock::Start(w, [this, w](int64_t t) {
            at.push_back(t);
            w->shade = (w->shade + 1) % 256;
            w->repaint();
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
    // The time between the last n frames' presentation times that a quarter of them keep (the
    // lower quartile): a busy machine, or a compositor drawing in software, stretches some to
    // two refreshes or more, while a clock at the wrong pace shifts them all.
    int64_t Spacing(size_t n) const
    {
        std::vector<int64_t> d;
        for (size_t i = at.size() - n; i < at.size(); ++i) d.push_back(at[i] - at[i - 1]);
        std::nth_element(d.begin(), d.begin() + d.size() / 4, d.end());
        return d[d.size() / 4];
    }
};

#ifdef __linux__
long Slack() { return prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0); }   // the calling thread's
std::atomic<long> g_slackSeen{-1};
#endif

TEST(FrameClock, FramesFollowTheRefreshWhateverTheSourceAndStopWithTheClock)
{
    Drawn w;
    w.resize(200, 40);
    w.show();
    ASSERT_TRUE(testwait::Until([&] { return w.windowHandle() && w.windowHandle()->isExposed(); }));
    Watched v;
    v.Start(&w);
    if (!v.clock) GTEST_SKIP() << "the screen gives no refresh rate";
    const int64_t period = v.clock->RefreshPeriod();
    const TFrameClockKind source = v.clock->Kind();
    // Said for the end-to-end suite, which needs the display's clock to have driven this run.
    const char* const names[] = {"present", "frame callbacks", "timer"};
    std::printf("frame clock source: %s\n", names[int(source)]);
    // The first frames of a window are its start (a compositor drawing in software prepares
    // its shaders then): the pace is judged on the next ones.
    ASSERT_TRUE(v.Frames(20));
    ASSERT_TRUE(v.Frames(30));
    EXPECT_NEAR(double(v.Spacing(30)), double(period), 0.1 * double(period));

    if (source != TFrameClockKind::fkTimer) {
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
        EXPECT_NEAR(double(v.Spacing(25)), double(period), 0.1 * double(period));
        EXPECT_TRUE(testwait::Until([&] { return v.clock->Kind() == source; }, 5000));
    }

#ifdef __linux__
    // Timers joined to the refreshes: most ticks of a window timer run in the refreshes' wake-ups
    // (on their own, each wakes the event loop once more); the slack goes with the clock.
    if (source != TFrameClockKind::fkTimer) {
        const long before = Slack();
        v.clock->JoinTimers(13'500'000);
        // The event loop's wake-ups a second, and the frames in it, without and with the ticks.
        const auto second = [&v] {
            int wakes = 0;
            const size_t frames = v.at.size();
            QEventLoop loop;
            QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, &loop, [&] { ++wakes; });
            QTimer::singleShot(1000, &loop, &QEventLoop::quit);
            loop.exec();
            return std::make_pair(wakes, v.at.size() - frames);
        };
        const auto alone = second();
        int ticks = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(16);
        const auto ticking = second();
        tick.stop();
        // Wake-ups per frame, as without the ticks: what is left over is the ticks' own.
        const double own = ticking.first - double(alone.first) * double(ticking.second) / double(alone.second);
        EXPECT_LT(own, 0.75 * ticks) << "of " << ticks << " ticks; wake-ups " << alone.first << " alone, " << ticking.first << " with them";
        // Threads made meanwhile, which keep time of their own, do not take the slack on.
        struct : TThread {
            std::atomic<long> seen{-1};
            void Execute() override { seen = Slack(); }
        } thread;
        thread.Start();
        const uint32_t event = timeSetEvent(1, 1, [](uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) { g_slackSeen = Slack(); }, 0, TIME_ONESHOT);
        ASSERT_TRUE(testwait::Until([&] { return thread.seen >= 0 && g_slackSeen >= 0; }));
        timeKillEvent(event);
        EXPECT_EQ(std::make_pair(thread.seen.load(), g_slackSeen.load()), std::make_pair(before, before));
        v.clock->JoinTimers(0);
        EXPECT_EQ(Slack(), before);
    }
#endif

    // A clock ended from its own frame: that frame is the last.
    v.endAfter = int(v.at.size()) + 3;
    ASSERT_TRUE(v.Frames(3));
    EXPECT_FALSE(v.clock);
    testwait::Pump(int(4 * period / 1'000'000));   // frames that do not come cannot be waited for
    EXPECT_EQ(int(v.at.size()), v.endAfter);
}

}  // namespace
