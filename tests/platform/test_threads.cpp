// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TThread (start, terminate, free on terminate, priorities, Synchronize) and the multimedia
// timer calls, observed through what the threads and callbacks do.
#include "tick_testing.h"
#include "platform/hooks.h"
#include "platform/mmsystem.h"
#include "platform/threads.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <chrono>
#include <mutex>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using testwait::Pump;
using testwait::Until;

namespace {

// A thread whose Execute is a lambda.
class LambdaThread : public TThread {
public:
    explicit LambdaThread(std::function<void(LambdaThread&)> body, std::atomic<int>* destroyed = nullptr)
        : m_body(std::move(body)), m_destroyed(destroyed) {}
    ~LambdaThread() override
    {
        // Execute uses m_body: stop before it goes.
        Terminate();
        WaitFor();
        if (m_destroyed) ++*m_destroyed;
    }
    using TThread::ReturnValue;
    using TThread::Synchronize;

protected:
    void Execute() override { m_body(*this); }

private:
    std::function<void(LambdaThread&)> m_body;
    std::atomic<int>* m_destroyed;
};

// The threads of this process, and how often one of them went to sleep (each wake-up from a
// sleep counts one).
std::set<std::string> TaskIds()
{
    std::set<std::string> ids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ids.insert(entry.path().filename());
    return ids;
}

long VoluntarySwitches(const std::string& tid)
{
    std::ifstream status("/proc/self/task/" + tid + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(line.find(':') + 1));
    return 0;
}

int OwnNice()
{
    errno = 0;
    return ::getpriority(PRIO_PROCESS, id_t(::syscall(SYS_gettid)));
}

} // namespace

TEST(Thread, RunsOnlyAfterResumeAndEndsWhenTerminated)
{
    std::atomic<int> passes{0};
    std::atomic<bool> ran{false};
    LambdaThread t([&](LambdaThread& self) {
        ran = true;
        while (!self.Terminated()) {
            ++passes;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        self.ReturnValue = 42;
    });
    EXPECT_TRUE(t.Suspended());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(ran.load());
    t.Resume();
    EXPECT_FALSE(t.Suspended());
    ASSERT_TRUE(Until([&] { return passes.load() >= 3; }));
    EXPECT_FALSE(t.Finished());
    t.Terminate();
    EXPECT_TRUE(t.Terminated());
    EXPECT_EQ(t.WaitFor(), 42);
    EXPECT_TRUE(t.Finished());
    EXPECT_FALSE(t.FatalException());
}

TEST(Thread, DestroyingARunningThreadTerminatesAndJoinsIt)
{
    std::atomic<bool> finished{false};
    {
        LambdaThread t([&](LambdaThread& self) {
            while (!self.Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            finished = true;
        });
        t.Start();
    }
    EXPECT_TRUE(finished.load());
}

TEST(Thread, FreeOnTerminateDeletesItselfAndKeepsTheException)
{
    std::atomic<int> destroyed{0};
    auto* t = new LambdaThread([](LambdaThread&) { throw EThread(QStringLiteral("worker failed")); }, &destroyed);
    t->SetFreeOnTerminate(true);
    t->Resume();
    ASSERT_TRUE(Until([&] { return destroyed.load() == 1; }));
    EXPECT_TRUE(TThread::WaitForAll(5000));

    LambdaThread kept([](LambdaThread&) { throw EThread(QStringLiteral("kept failure")); });
    kept.Resume();
    kept.WaitFor();
    ASSERT_TRUE(kept.FatalException());
    try {
        std::rethrow_exception(kept.FatalException());
    } catch (const EThread& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("kept failure"));
    }
}

// Priorities are steps from the process's own nice value; scripts/test runs this suite once
// more from a parent started under nice (ctest: platform_niced).
TEST(Thread, PrioritiesAreRelativeToTheProcessAndRefusedRaisesAreHarmless)
{
    std::atomic<int> niceBefore{-100}, niceAfter{-100};
    std::atomic<bool> changed{false};
    LambdaThread t([&](LambdaThread& self) {
        niceBefore = OwnNice();
        while (!changed) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        niceAfter = OwnNice();
    });
    const int processNice = OwnNice();
    t.SetPriority(TThreadPriority::tpLower); // applied when it starts
    t.Resume();
    ASSERT_TRUE(Until([&] { return niceBefore.load() != -100; }));
    EXPECT_EQ(niceBefore.load(), std::min(19, processNice + 5));
    t.SetPriority(TThreadPriority::tpIdle); // applied while it runs
    EXPECT_EQ(t.Priority(), TThreadPriority::tpIdle);
    changed = true;
    t.WaitFor();
    EXPECT_EQ(niceAfter.load(), 19);

    // A raise needs privileges that tests may not have; it must neither fail nor throw, and
    // never puts the thread below its process.
    std::atomic<int> niceHigh{-100};
    LambdaThread high([&](LambdaThread&) { niceHigh = OwnNice(); });
    high.SetPriority(TThreadPriority::tpTimeCritical);
    high.Resume();
    high.WaitFor();
    EXPECT_EQ(high.Priority(), TThreadPriority::tpTimeCritical);
    EXPECT_LE(niceHigh.load(), processNice);
    EXPECT_GE(niceHigh.load(), std::max(-20, processNice - 20));
}

TEST(Thread, SynchronizeRunsTheMethodOnTheGuiThreadAndWaitsForIt)
{
    const auto gui = std::this_thread::get_id();
    std::vector<std::string> order;
    std::mutex orderLock;
    auto note = [&](std::string s) {
        std::lock_guard<std::mutex> lock(orderLock);
        order.push_back(std::move(s));
    };
    std::atomic<bool> onGui{false};
    LambdaThread t([&](LambdaThread& self) {
        note("before");
        self.Synchronize([&] {
            onGui = std::this_thread::get_id() == gui && TThread::IsGuiThread();
            note("method");
        });
        note("after");
    });
    t.Resume();
    ASSERT_TRUE(Until([&] { return t.Finished(); }));
    t.WaitFor();
    EXPECT_TRUE(onGui.load());
    EXPECT_EQ(order, (std::vector<std::string>{"before", "method", "after"}));
    EXPECT_TRUE(TThread::IsGuiThread()) << "the test itself runs on the GUI thread";
}

TEST(Thread, AnExceptionOfTheSynchronizedMethodIsRaisedInTheWorker)
{
    QString caught;
    std::atomic<bool> wrongThread{false};
    const auto gui = std::this_thread::get_id();
    LambdaThread t([&](LambdaThread& self) {
        try {
            self.Synchronize([] { throw EInvalidOperation(QStringLiteral("raised on the GUI thread")); });
        } catch (const EInvalidOperation& e) {
            caught = e.Message();
            wrongThread = std::this_thread::get_id() == gui;
        }
    });
    t.Resume();
    t.WaitFor(); // waiting on the GUI thread keeps serving the hand-over
    EXPECT_EQ(caught, QStringLiteral("raised on the GUI thread"));
    EXPECT_FALSE(wrongThread.load());
}

TEST(Thread, WaitingOnTheGuiThreadForWorkersInsideSynchronizeDoesNotHang)
{
    std::atomic<int> methods{0};
    std::vector<std::unique_ptr<LambdaThread>> threads;
    for (int i = 0; i < 4; ++i) {
        threads.push_back(std::make_unique<LambdaThread>([&](LambdaThread& self) {
            for (int k = 0; k < 25; ++k) self.Synchronize([&] { ++methods; });
        }));
        threads.back()->Resume();
    }
    for (auto& t : threads) t->WaitFor(); // no event loop runs here
    EXPECT_EQ(methods.load(), 100);
}

// A handed-over method that runs the event loop itself (a modal dialog, a wait for a reply)
// keeps serving the other threads' hand-overs meanwhile.
TEST(Thread, AMethodThatPumpsEventsKeepsServingOtherThreads)
{
    std::atomic<int> others{0};
    std::atomic<bool> stop{false}, done{false};
    int seen = -1;
    LambdaThread other([&](LambdaThread& self) {
        while (!stop.load()) self.Synchronize([&] { ++others; });
    });
    // The other thread starts handing over only once this method runs, from the event loop.
    LambdaThread pumping([&](LambdaThread& self) {
        self.Synchronize([&] {
            other.Resume();
            QElapsedTimer t;
            t.start();
            while (others.load() < 3 && t.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            seen = others.load();
        });
        done = true;
    });
    pumping.Resume();
    EXPECT_TRUE(Until([&] { return done.load(); }, 10000));
    stop = true;
    pumping.WaitFor();
    other.WaitFor();
    EXPECT_GE(seen, 3);
}

TEST(MultimediaTimer, CapabilitiesAndPeriodRequests)
{
    TIMECAPS caps{0, 0};
    EXPECT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
    EXPECT_EQ(caps.wPeriodMin, 1u);
    EXPECT_EQ(caps.wPeriodMax, 1000000u);
    EXPECT_NE(timeGetDevCaps(&caps, 4), TIMERR_NOERROR);

    const int before = TimePeriodRequests();
    EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeBeginPeriod(5), TIMERR_NOERROR);
    EXPECT_EQ(TimePeriodRequests(), before + 2);
    EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
    EXPECT_EQ(timeEndPeriod(5), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(TimePeriodRequests(), before);
}

namespace {
std::atomic<int> g_calls{0};
std::atomic<uintptr_t> g_user{0};
std::atomic<uint32_t> g_id{0};
void CountingCallback(uint32_t id, uint32_t msg, uintptr_t user, uintptr_t, uintptr_t)
{
    g_id = id;
    g_user = user;
    ++g_calls;
}
std::atomic<uint32_t> g_selfKillResult{99};
void SelfKillingCallback(uint32_t id, uint32_t, uintptr_t, uintptr_t, uintptr_t)
{
    ++g_calls;
    g_selfKillResult = timeKillEvent(id);
}
} // namespace

TEST(MultimediaTimer, PeriodicEventCallsBackUntilKilled)
{
    g_calls = 0;
    QElapsedTimer clock;
    clock.start();
    const uint32_t id = timeSetEvent(5, 5, CountingCallback, 0x1234, TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(Until([] { return g_calls.load() >= 10; }));
    EXPECT_GE(clock.elapsed(), 10 * 5 - 2) << "ten periods of 5 ms take at least 50 ms";
    EXPECT_EQ(g_user.load(), 0x1234u);
    EXPECT_EQ(g_id.load(), id);
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    const int atKill = g_calls.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(g_calls.load(), atKill) << "no callback after timeKillEvent returned";
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);

    const uint32_t next = timeSetEvent(5, 5, CountingCallback, 0, TIME_PERIODIC);
    EXPECT_NE(next, id) << "identifiers are not reused";
    timeKillEvent(next);
}

TEST(MultimediaTimer, OneShotLongPeriodsAndRefusals)
{
    g_calls = 0;
    const uint32_t once = timeSetEvent(2, 2, CountingCallback, 0, TIME_ONESHOT);
    ASSERT_NE(once, 0u);
    ASSERT_TRUE(Until([] { return g_calls.load() >= 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(g_calls.load(), 1);
    timeKillEvent(once);

    // A long period sleeps through until it is killed, and is killed promptly: its thread does
    // not wake up in between (one that looked at a stop flag every few milliseconds would
    // make its killer wait for the next look).
    const std::set<std::string> before = TaskIds();
    const uint32_t slow = timeSetEvent(1000000, 1000000, CountingCallback, 0, TIME_PERIODIC);
    ASSERT_NE(slow, 0u);
    std::vector<std::string> fresh;
    for (const std::string& t : TaskIds())
        if (!before.count(t)) fresh.push_back(t);
    ASSERT_FALSE(fresh.empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::vector<long> wakes;
    for (const std::string& t : fresh) wakes.push_back(VoluntarySwitches(t));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (size_t i = 0; i < fresh.size(); ++i) EXPECT_LE(VoluntarySwitches(fresh[i]) - wakes[i], 2) << fresh[i];
    QElapsedTimer clock;
    clock.start();
    timeKillEvent(slow);
    EXPECT_LT(clock.elapsed(), 2000);

    EXPECT_EQ(timeSetEvent(0, 0, CountingCallback, 0, TIME_PERIODIC), 0u);
    EXPECT_EQ(timeSetEvent(1000001, 1, CountingCallback, 0, TIME_PERIODIC), 0u);
    EXPECT_EQ(timeSetEvent(10, 10, nullptr, 0, TIME_PERIODIC), 0u);
}

TEST(MultimediaTimer, RefusesBeyondTheEventLimit)
{
    const int existing = TimerEventCount();
    std::vector<uint32_t> ids;
    for (int i = existing; i < MaxTimerEvents; ++i) {
        const uint32_t id = timeSetEvent(100000, 100000, CountingCallback, 0, TIME_PERIODIC);
        ASSERT_NE(id, 0u);
        ids.push_back(id);
    }
    EXPECT_EQ(timeSetEvent(100000, 100000, CountingCallback, 0, TIME_PERIODIC), 0u);
    timeKillEvent(ids.back());
    ids.back() = timeSetEvent(100000, 100000, CountingCallback, 0, TIME_PERIODIC);
    EXPECT_NE(ids.back(), 0u) << "a killed event frees its place";
    for (uint32_t id : ids) timeKillEvent(id);
    EXPECT_EQ(TimerEventCount(), existing);
}

TEST(MultimediaTimer, ACallbackMayKillItsOwnEvent)
{
    g_calls = 0;
    g_selfKillResult = 99;
    const uint32_t id = timeSetEvent(2, 2, SelfKillingCallback, 0, TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(Until([] { return g_selfKillResult.load() != 99; }));
    EXPECT_EQ(g_selfKillResult.load(), TIMERR_NOERROR);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(g_calls.load(), 1);
}

TEST(MultimediaTimer, SleepExSleepsAtLeastTheTime)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(SleepEx(30, false), 0u);
    EXPECT_GE(clock.elapsed(), 30);
    EXPECT_EQ(SleepEx(0, false), 0u);
}
