// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxHiTimer in message mode and thread mode: the re-arming rules of its setters, where and
// when ticks run, and that no tick reaches a stopped or destroyed timer, counted by ticks.
#include "tick_testing.h"
#include "foundation/fxclass.h"
#include "foundation/fxtimer.h"
#include "foundation/hooks.h"
#include "platform/application.h"
#include "platform/hooks.h"
#include "platform/mmsystem.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using testwait::ExceptionTrap;
using testwait::Pump;
using testwait::Until;

namespace {

// Counts ticks from any thread and remembers on which thread the last one ran.
struct TickCounter {
    std::atomic<int> ticks{0};
    std::atomic<bool> offGui{false};
    std::atomic<TObject*> sender{nullptr};
    const std::thread::id gui = std::this_thread::get_id();
    TNotifyEvent handler()
    {
        return [this](TObject* s) {
            sender = s;
            if (std::this_thread::get_id() != gui) offGui = true;
            ++ticks;
        };
    }
};

// Ends the test binary with a message when it is not dismissed within ms: a deadlock then
// fails the run instead of hanging it.
class Watchdog {
public:
    Watchdog(int ms, const char* what)
        : m_thread([this, ms, what] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_done; })) {
                  std::fprintf(stderr, "%s\n", what);
                  std::_Exit(1);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_done = false;
    std::thread m_thread;
};

// All workers of timers destroyed so far have ended.
bool WorkersGone()
{
    return Until([] { return RunningThreadCount() == 0; }, 10000);
}

} // namespace

TEST(HiTimer, StartsIdleWithItsDefaultsAndHoldsTheTimerResolution)
{
    const int periods = TimePeriodRequests();
    {
        TFxHiTimer t(nullptr);
        EXPECT_EQ(TimePeriodRequests(), periods + 1);
        EXPECT_FALSE(t.Enabled());
        EXPECT_EQ(t.Interval(), 1000u);
        EXPECT_TRUE(t.UseThread());
        EXPECT_TRUE(t.Synchronize());
        EXPECT_EQ(t.ThreadPriority(), TThreadPriority::tpNormal);
        EXPECT_EQ(t.GetInteger(0), 1000000);
        EXPECT_EQ(t.GetInteger(1), 1);
        EXPECT_EQ(t.GetInteger(2), 0);
        EXPECT_EQ(TFoundationHooks::Handle(t), 0u);
        EXPECT_EQ(TFoundationHooks::TimerID(t), 0u);
        EXPECT_FALSE(TFoundationHooks::HasWorker(t));
        TFxHiTimer withInterval(nullptr, 25);
        EXPECT_EQ(withInterval.Interval(), 25u);
    }
    EXPECT_EQ(TimePeriodRequests(), periods);
}

TEST(HiTimer, IntervalIsClampedToThePlatformPeriodsAndEqualValuesReArmNothing)
{
    TickCounter c;
    TFxHiTimer t(nullptr);
    t.SetUseThread(false);
    t.SetInterval(5000);
    t.SetOnTimer(c.handler());
    t.SetEnabled(true);
    const uint32_t armed = TFoundationHooks::TimerID(t);
    ASSERT_NE(armed, 0u);
    t.SetInterval(5000);
    EXPECT_EQ(TFoundationHooks::TimerID(t), armed) << "the same value re-arms nothing";
    t.SetInterval(0);
    EXPECT_EQ(t.Interval(), 1u);
    EXPECT_NE(TFoundationHooks::TimerID(t), armed);
    // 0 differs from the stored 1 before clamping, so it re-arms again, and stays 1.
    const uint32_t atMin = TFoundationHooks::TimerID(t);
    t.SetInterval(0);
    EXPECT_EQ(t.Interval(), 1u);
    EXPECT_NE(TFoundationHooks::TimerID(t), atMin);
    t.SetInterval(2000000);
    EXPECT_EQ(t.Interval(), 1000000u);
    t.SetInterval(4294967295u);
    EXPECT_EQ(t.Interval(), 1000000u);
}

TEST(HiTimer, EnabledWithoutAHandlerArmsNothingUntilOneIsAssigned)
{
    for (bool thread : {false, true}) {
        TickCounter c;
        TFxHiTimer t(nullptr, 5);
        t.SetUseThread(thread);
        t.SetEnabled(true);
        EXPECT_EQ(TFoundationHooks::TimerID(t), 0u);
        EXPECT_FALSE(TFoundationHooks::HasWorker(t));
        Pump(30);
        t.SetOnTimer(c.handler());
        EXPECT_TRUE(thread ? TFoundationHooks::HasWorker(t) : TFoundationHooks::TimerID(t) != 0);
        ASSERT_TRUE(Until([&] { return c.ticks >= 3; })) << "thread mode " << thread;
        EXPECT_EQ(c.sender.load(), &t);
        EXPECT_FALSE(c.offGui.load()) << "ticks run on the GUI thread";
        if (!thread) {
            // Assigning a handler always re-arms, also the same one.
            const uint32_t id = TFoundationHooks::TimerID(t);
            t.SetOnTimer(t.OnTimer());
            EXPECT_NE(TFoundationHooks::TimerID(t), id);
        }
        t.SetEnabled(false);
        EXPECT_EQ(TFoundationHooks::TimerID(t), 0u);
        EXPECT_FALSE(TFoundationHooks::HasWorker(t));
        const int stopped = c.ticks;
        Pump(40);
        EXPECT_EQ(c.ticks.load(), stopped) << "no tick after SetEnabled(false), thread mode " << thread;
    }
}

TEST(HiTimer, SwitchingModesReleasesAndRecreatesTheHiddenWindow)
{
    TickCounter c;
    TFxHiTimer t(nullptr, 5);
    t.SetOnTimer(c.handler());
    t.SetUseThread(false);
    const HWND first = TFoundationHooks::Handle(t);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(TFoundationHooks::TimerID(t), 0u) << "not enabled: only the window exists";
    t.SetEnabled(true);
    const int events = TimerEventCount();
    ASSERT_NE(TFoundationHooks::TimerID(t), 0u);
    t.SetUseThread(true);
    EXPECT_EQ(TFoundationHooks::Handle(t), 0u);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(TFoundationHooks::TimerID(t), 0u);
    EXPECT_EQ(TimerEventCount(), events - 1) << "the multimedia timer was killed";
    EXPECT_TRUE(TFoundationHooks::HasWorker(t));
    t.SetUseThread(false);
    EXPECT_NE(TFoundationHooks::Handle(t), 0u);
    EXPECT_NE(TFoundationHooks::Handle(t), first);
    EXPECT_FALSE(TFoundationHooks::HasWorker(t));
    ASSERT_TRUE(Until([&] { return c.ticks >= 2; }));
}

TEST(HiTimer, AKilledMultimediaTimersLateMessagesProduceNoTick)
{
    TickCounter c;
    TFxHiTimer t(nullptr, 60000);  // long enough that it never ticks by itself here
    t.SetUseThread(false);
    t.SetOnTimer(c.handler());
    t.SetEnabled(true);
    const uint32_t old = TFoundationHooks::TimerID(t);
    PostMessage(TFoundationHooks::Handle(t), WM_TIMER, old, 0);
    ASSERT_TRUE(Until([&] { return c.ticks == 1; }));
    t.SetInterval(90000); // re-arm: a new identifier
    ASSERT_NE(TFoundationHooks::TimerID(t), old);
    PostMessage(TFoundationHooks::Handle(t), WM_TIMER, old, 0);
    PostMessage(TFoundationHooks::Handle(t), WM_TIMER, 12345, 0);
    Pump(30);
    EXPECT_EQ(c.ticks.load(), 1);

    // Real late messages: a 1 ms timer piles up messages while the GUI thread is busy; once
    // disabled, none of them ticks.
    t.SetInterval(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    t.SetEnabled(false);
    Pump(40);
    EXPECT_EQ(c.ticks.load(), 1);
}

TEST(HiTimer, ATickThatComesDuringATickIsDropped)
{
    int ticks = 0, nested = 0;
    TFxHiTimer t(nullptr, 60000);
    t.SetUseThread(false);
    t.SetOnTimer([&](TObject*) {
        ++ticks;
        if (ticks == 1) {
            // A nested event loop delivers the next tick message while this one runs.
            PostMessage(TFoundationHooks::Handle(t), WM_TIMER, TFoundationHooks::TimerID(t), 0);
            Pump(20);
            nested = ticks;
        }
    });
    t.SetEnabled(true);
    PostMessage(TFoundationHooks::Handle(t), WM_TIMER, TFoundationHooks::TimerID(t), 0);
    ASSERT_TRUE(Until([&] { return ticks >= 1 && nested != 0; }));
    EXPECT_EQ(nested, 1);
    PostMessage(TFoundationHooks::Handle(t), WM_TIMER, TFoundationHooks::TimerID(t), 0);
    ASSERT_TRUE(Until([&] { return ticks == 2; }));
}

TEST(HiTimer, AFailingMessageModeTickIsReportedAndTickingGoesOn)
{
    ExceptionTrap trap;
    int ticks = 0;
    TFxHiTimer t(nullptr, 2);
    t.SetUseThread(false);
    t.SetOnTimer([&](TObject*) {
        ++ticks;
        throw EInvalidOperation(QStringLiteral("tick failed"));
    });
    t.SetEnabled(true);
    ASSERT_TRUE(Until([&] { return ticks >= 3; }));
    EXPECT_EQ(trap.messages.at(0), QStringLiteral("tick failed"));
    EXPECT_EQ(trap.senders.at(0), &t);
}

TEST(HiTimer, AFailingThreadModeTickEndsTheWorkerSilentlyUntilReArmed)
{
    for (bool sync : {true, false}) {
        ExceptionTrap trap;
        std::atomic<int> ticks{0};
        TFxHiTimer t(nullptr, 2);
        t.SetSynchronize(sync);
        t.SetOnTimer([&](TObject*) {
            ++ticks;
            throw EInvalidOperation(QStringLiteral("worker tick failed"));
        });
        t.SetEnabled(true);
        ASSERT_TRUE(Until([&] { return !TFoundationHooks::HasWorker(t); })) << "the worker ended, and the timer knows";
        EXPECT_EQ(ticks.load(), 1);
        Pump(30);
        EXPECT_EQ(ticks.load(), 1);
        EXPECT_TRUE(trap.messages.empty()) << "nothing is shown";
        t.SetEnabled(false); // re-arming addresses no ended worker
        t.SetEnabled(true);
        ASSERT_TRUE(Until([&] { return ticks.load() == 2; }));
    }
    EXPECT_TRUE(WorkersGone());
}

TEST(HiTimer, ThreadModeTakesTheLowSixteenBitsOfTheInterval)
{
    // 65536 + 20 ms gives a 20 ms worker; 65536 gives 0, which the worker stretches to 1 ms.
    for (uint32_t interval : {65536u + 20u, 65536u}) {
        TickCounter c;
        TFxHiTimer t(nullptr);
        t.SetInterval(interval);
        t.SetOnTimer(c.handler());
        t.SetEnabled(true);
        ASSERT_TRUE(Until([&] { return c.ticks >= 3; }, 3000)) << interval;
    }
}

TEST(HiTimer, TicksWaitAtLeastTheInterval)
{
    for (bool thread : {false, true}) {
        TickCounter c;
        TFxHiTimer t(nullptr, 20);
        t.SetUseThread(thread);
        t.SetOnTimer(c.handler());
        QElapsedTimer clock;
        clock.start();
        t.SetEnabled(true);
        ASSERT_TRUE(Until([&] { return c.ticks >= 5; }));
        EXPECT_GE(clock.elapsed(), 5 * 20 - 2) << "thread mode " << thread;
    }
}

TEST(HiTimer, WithoutSynchronizeTicksRunOnTheWorkerWithItsPriority)
{
    std::atomic<int> ticks{0};
    std::atomic<int> nice{-100};
    const std::thread::id gui = std::this_thread::get_id();
    std::atomic<bool> onGui{false};
    TFxHiTimer t(nullptr, 2);
    t.SetSynchronize(false);
    t.SetOnTimer([&](TObject*) {
        if (std::this_thread::get_id() == gui) onGui = true;
        nice = ::getpriority(PRIO_PROCESS, id_t(::syscall(SYS_gettid)));
        ++ticks;
    });
    t.SetEnabled(true);
    ASSERT_TRUE(Until([&] { return ticks >= 2; }));
    EXPECT_FALSE(onGui.load());
    // A new priority in thread mode replaces the worker by one with that priority. Priorities
    // are steps from the process's own nice value, within what the system allows: under
    // `nice -n 19` every worker runs at 19.
    const int processNice = ::getpriority(PRIO_PROCESS, 0);
    t.SetThreadPriority(TThreadPriority::tpIdle);
    ASSERT_TRUE(Until([&] { return nice.load() == 19; }));
    // In message mode it is only stored; the next worker uses it.
    t.SetUseThread(false);
    const uint32_t id = TFoundationHooks::TimerID(t);
    t.SetThreadPriority(TThreadPriority::tpLower);
    EXPECT_EQ(TFoundationHooks::TimerID(t), id);
    EXPECT_EQ(t.ThreadPriority(), TThreadPriority::tpLower);
    t.SetUseThread(true);
    ASSERT_TRUE(Until([&] { return nice.load() == std::min(19, processNice + 5); }));
}

// A handler on the worker that waits for the GUI thread (Synchronize) while the GUI thread
// frees its timer or assigns its handler: the GUI thread serves the call while it waits for the
// tick. A handler on the worker may also assign its own timer's handler.
TEST(HiTimer, AWorkerTickWaitingForTheGuiThreadHoldsUpNeitherDestructionNorANewHandler)
{
    Watchdog dog(30000, "deadlock: a worker's tick and the GUI thread wait for each other");
    for (bool reassign : {false, true}) {
        std::atomic<bool> inTick{false};
        std::atomic<int> served{0};
        auto* t = new TFxHiTimer(nullptr, 1);
        t->SetSynchronize(false);
        t->SetOnTimer([&](TObject*) {
            if (inTick.exchange(true)) return;
            TThread::Synchronize(nullptr, [&] { ++served; });
        });
        t->SetEnabled(true);
        // Waits without running the event loop, so the hand-over stays pending.
        while (!inTick) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (reassign) t->SetOnTimer([](TObject*) {});
        EXPECT_EQ(served.load(), reassign ? 1 : 0);
        delete t;
        EXPECT_EQ(served.load(), 1);
    }
    std::atomic<int> second{0};
    TFxHiTimer own(nullptr, 1);
    own.SetSynchronize(false);
    own.SetOnTimer([&](TObject*) { own.SetOnTimer([&](TObject*) { ++second; }); });
    own.SetEnabled(true);
    EXPECT_TRUE(Until([&] { return second.load() > 0; }));
    own.SetEnabled(false);
    EXPECT_TRUE(WorkersGone());
}

// Workers never read the application object, which main may clear or replace while they run
// (ThreadSanitizer shows a read of it).
TEST(HiTimer, WorkersLeaveTheApplicationObjectAlone)
{
    std::atomic<int> ticks{0};
    TFxHiTimer t(nullptr, 1);
    t.SetSynchronize(false);
    t.SetOnTimer([&](TObject*) { ++ticks; });
    t.SetEnabled(true);
    ASSERT_TRUE(Until([&] { return ticks.load() > 2; }));
    TApplication* const app = Application;
    for (int i = 0; i < 50; ++i) {
        Application = nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        Application = app;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const int before = ticks.load();
    EXPECT_TRUE(Until([&] { return ticks.load() > before; }));
}

TEST(HiTimer, NothingIsArmedInDesignMode)
{
    for (bool thread : {false, true}) {
        TickCounter c;
        TFxHiTimer t(nullptr, 1);
        t.SetDesigning(true);
        t.SetUseThread(thread);
        t.SetOnTimer(c.handler());
        t.SetEnabled(true);
        t.SetInterval(2);
        t.SetThreadPriority(TThreadPriority::tpLower);
        EXPECT_EQ(TFoundationHooks::TimerID(t), 0u);
        EXPECT_EQ(TFoundationHooks::Handle(t), 0u);
        EXPECT_FALSE(TFoundationHooks::HasWorker(t));
        Pump(30);
        EXPECT_EQ(c.ticks.load(), 0);
    }
}

TEST(HiTimer, StoppedOrDestroyedFromInsideItsOwnTick)
{
    for (bool thread : {false, true}) {
        int ticks = 0;
        auto* t = new TFxHiTimer(nullptr, 1);
        t->SetUseThread(thread);
        t->SetOnTimer([&](TObject* s) {
            ++ticks;
            delete static_cast<TFxHiTimer*>(s);
        });
        t->SetEnabled(true);
        ASSERT_TRUE(Until([&] { return ticks == 1; }));
        Pump(30);
        EXPECT_EQ(ticks, 1) << "thread mode " << thread;

        int stops = 0;
        TFxHiTimer s(nullptr, 1);
        s.SetUseThread(thread);
        s.SetOnTimer([&](TObject*) { ++stops; s.SetEnabled(false); });
        s.SetEnabled(true);
        ASSERT_TRUE(Until([&] { return stops == 1; }));
        Pump(30);
        EXPECT_EQ(stops, 1);
    }
    EXPECT_TRUE(WorkersGone());
}

// Timers of every mode re-armed and destroyed while they run, in seeded random order, from
// outside their ticks and from ticks on the GUI thread and on workers (directly or handed to
// the GUI thread): a tick must never reach a destroyed timer (checked against the
// set of live timers, also for ticks that run on workers), nothing may crash or hang, and
// every worker must end.
TEST(HiTimerStress, ReArmAndDestroyRunningTimersOfEveryMode)
{
    Watchdog dog(60000, "deadlock: a timer's worker and the GUI thread wait for each other");
    const unsigned seed = qEnvironmentVariableIsSet("TIRLINK_TIMER_SEED") ? qgetenv("TIRLINK_TIMER_SEED").toUInt() : std::random_device{}();
    std::printf("seed %u (TIRLINK_TIMER_SEED repeats it)\n", seed);
    std::mt19937 rng(seed), gui(seed + 1); // rng is for the ticks, under liveLock
    std::mutex liveLock;
    std::set<TObject*> live;
    std::atomic<int> ticks{0}, stray{0};
    std::vector<TFxHiTimer*> timers;
    // A timer leaves the live set only once its destructor has returned: a tick that was
    // under way while it was being destroyed is legitimate, one after that is not.
    auto destroy = [&](TFxHiTimer* t) {
        timers.erase(std::find(timers.begin(), timers.end(), t));
        delete t;
        std::lock_guard<std::mutex> lock(liveLock);
        live.erase(t);
    };

    std::function<void(TObject*)> onTick;
    std::function<void(TFxHiTimer*, unsigned)> change;
    onTick = [&](TObject* s) {
        unsigned n;
        {
            std::lock_guard<std::mutex> lock(liveLock);
            if (!live.count(s)) {
                ++stray;
                return;
            }
            ++ticks;
            if (rng() % 3 != 0) return;
            n = rng();
        }
        if (TThread::IsGuiThread() || (n % 5 != 3 && n % 10 < 5)) // a worker frees it on the GUI thread
            change(static_cast<TFxHiTimer*>(s), n);
        else
            TThread::Synchronize(nullptr, [&, s, n] { change(static_cast<TFxHiTimer*>(s), n); });
    };
    change = [&](TFxHiTimer* t, unsigned n) {
        switch (n % 5) {
        case 0: t->SetInterval(1 + n % 3); break;
        case 1: t->SetEnabled(false); t->SetEnabled(true); break;
        case 2: t->SetUseThread(!t->UseThread()); break;
        case 3:
            if (std::find(timers.begin(), timers.end(), t) != timers.end()) destroy(t);
            break;
        default: t->SetOnTimer(onTick); break;
        }
    };
    auto make = [&](int i) {
        auto* t = new TFxHiTimer(nullptr, uint16_t(1 + i % 3));
        {
            std::lock_guard<std::mutex> lock(liveLock);
            live.insert(t);
        }
        t->SetUseThread(i % 3 != 0);
        t->SetSynchronize(i % 3 != 2);
        t->SetOnTimer(onTick);
        t->SetEnabled(true);
        timers.push_back(t);
    };

    QElapsedTimer clock;
    clock.start();
    int made = 0;
    // Re-arming no longer waits for the multimedia timer's thread, so the rounds alone may be
    // over before many ticks came: they go on until both are done, for 4 s at least.
    for (int round = 0; (round < 1500 || ticks.load() <= 150 || clock.elapsed() < 4000) && clock.elapsed() < 15000; ++round) {
        while (timers.size() < 12) make(made++);
        QCoreApplication::processEvents();
        TFxHiTimer* t = timers[gui() % timers.size()];
        switch (gui() % 4) {
        case 0: destroy(t); break; // from outside, while it runs
        case 1: change(t, gui()); break;
        case 2: t->SetSynchronize(!t->Synchronize()); t->SetInterval(1 + round % 4); break;
        default: t->SetThreadPriority(round % 8 < 4 ? TThreadPriority::tpLower : TThreadPriority::tpNormal); break;
        }
    }
    EXPECT_GT(made, 300);
    EXPECT_GT(ticks.load(), 100);
    while (!timers.empty()) destroy(timers.back());
    Pump(30);
    EXPECT_EQ(stray.load(), 0);
    EXPECT_TRUE(WorkersGone());
    EXPECT_EQ(TimerEventCount(), 0);
}

// The program may end with timers of every mode still running: the library's finalisation
// stops the workers, and exit neither crashes nor hangs. Runs in a child process.
TEST(HiTimerDeathTest, TheProgramEndsWithTimersOfEveryModeRunning)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto runAndEnd = [](bool finalize) {
        std::atomic<int> ticks{0};
        // Ticks handed to the GUI thread that ran once finalisation had begun.
        static bool finalizing = false;
        static int late = 0;
        // Never freed, but held from a global root, so that a leak checker at exit sees them as
        // kept on purpose.
        static auto* const kept = new std::vector<TFxHiTimer*>;
        for (int i = 0; i < 6; ++i) {
            auto* t = new TFxHiTimer(nullptr, 1);
            kept->push_back(t);
            t->SetUseThread(i % 3 != 0);
            t->SetSynchronize(i % 3 == 1);
            t->SetOnTimer([&ticks, handed = i % 3 == 1](TObject*) {
                ++ticks;
                // Only the handed-over ticks, which run on the GUI thread, touch these.
                if (handed && finalizing) ++late;
            });
            t->SetEnabled(true);
        }
        Until([&] { return ticks.load() > 20; });
        // Busy elsewhere for a moment: ticks handed over meanwhile wait for the GUI thread.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        finalizing = true;
        if (finalize) FxFinalize();
        std::exit(ticks.load() <= 20 ? 3 : finalize && late > 0 ? 5 : 0);
    };
    EXPECT_EXIT(runAndEnd(true), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(runAndEnd(false), ::testing::ExitedWithCode(0), "");
}

// While the application terminates, a worker ticks no more and waits without burning the
// processor. Runs in a child process, since the application cannot be revived afterwards.
TEST(HiTimerDeathTest, WorkersIdleQuietlyWhileTheApplicationTerminates)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto run = [] {
        Application->Terminate();
        std::atomic<int> ticks{0};
        TFxHiTimer t(nullptr, 5);
        t.SetSynchronize(false);
        t.SetOnTimer([&ticks](TObject*) { ++ticks; });
        t.SetEnabled(true);
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        getrusage(RUSAGE_SELF, &after);
        auto ms = [](const rusage& r) {
            return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000;
        };
        const long cpu = ms(after) - ms(before);
        std::exit(ticks.load() != 0 ? 3 : cpu > 40 ? 4 : 0);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
}
