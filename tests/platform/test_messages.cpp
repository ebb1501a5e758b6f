// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Hidden windows, posted messages, window timers and the TTimer component, observed through
// the messages their window procedures receive.
#include "tick_testing.h"
#include "platform/application.h"
#include "platform/extctrls_timer.h"
#include "platform/hooks.h"
#include "platform/messages.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using testwait::ExceptionTrap;
using testwait::Pump;
using testwait::Until;

namespace {

// Records what a window receives.
struct Recorder {
    std::vector<TMessage> got;
    std::vector<std::thread::id> threads;
    HWND wnd = 0;
    Recorder()
    {
        wnd = AllocateHWnd([this](TMessage& m) {
            got.push_back(m);
            threads.push_back(std::this_thread::get_id());
            m.Result = 7;
        });
    }
    ~Recorder() { DeallocateHWnd(wnd); }
    int count(uint32_t msg) const
    {
        int n = 0;
        for (const TMessage& m : got) n += m.Msg == msg;
        return n;
    }
};


} // namespace

TEST(HiddenWindow, PostedMessagesArriveInOrderOnTheWindowThreadFromAnyThread)
{
    Recorder r;
    EXPECT_TRUE(IsWindow(r.wnd));
    std::thread poster([&] {
        for (uint32_t i = 0; i < 100; ++i) EXPECT_TRUE(PostMessage(r.wnd, WM_USER + i, i, -intptr_t(i)));
    });
    poster.join();
    EXPECT_TRUE(r.got.empty()) << "delivery waits for the window thread's event loop";
    ASSERT_TRUE(Until([&] { return r.got.size() == 100; }));
    for (uint32_t i = 0; i < 100; ++i) {
        EXPECT_EQ(r.got[i].Msg, WM_USER + i);
        EXPECT_EQ(r.got[i].WParam, i);
        EXPECT_EQ(r.got[i].LParam, -intptr_t(i));
        EXPECT_EQ(r.threads[i], std::this_thread::get_id());
    }
}

TEST(HiddenWindow, SendMessageCallsTheProcedureAtOnceAndReturnsItsResult)
{
    Recorder r;
    EXPECT_EQ(SendMessage(r.wnd, WM_USER, 1, 2), 7);
    ASSERT_EQ(r.got.size(), 1u);
    EXPECT_EQ(DefWindowProc(r.wnd, WM_USER, 0, 0), 0);
}

TEST(HiddenWindow, AGoneHandleIsHarmless)
{
    HWND wnd;
    {
        Recorder r;
        wnd = r.wnd;
        EXPECT_TRUE(PostMessage(wnd, WM_USER, 0, 0));
    } // released with a message still queued
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_FALSE(PostMessage(wnd, WM_USER, 0, 0));
    EXPECT_FALSE(PostMessage(0, WM_USER, 0, 0));
    EXPECT_EQ(SendMessage(wnd, WM_USER, 0, 0), 0);
    EXPECT_EQ(SetTimer(wnd, 1, 20), 0u);
    EXPECT_FALSE(KillTimer(wnd, 1));
    DeallocateHWnd(wnd);
    Pump(30); // the queued message must not reach the freed procedure (ASan/TSan would see it)
    // A new window never gets an old handle back.
    Recorder again;
    EXPECT_NE(again.wnd, wnd);
}

TEST(HiddenWindow, ReleasedFromInsideItsProcedureGetsNoMoreMessages)
{
    int calls = 0;
    HWND wnd = 0;
    wnd = AllocateHWnd([&](TMessage&) {
        ++calls;
        DeallocateHWnd(wnd);
    });
    const int windowsBefore = HiddenWindowCount();
    for (int i = 0; i < 5; ++i) PostMessage(wnd, WM_USER, 0, 0);
    Pump(50);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(HiddenWindowCount(), windowsBefore - 1);
}

TEST(HiddenWindow, PostingFromManyThreadsWhileTheWindowGoesAway)
{
    // Threads keep posting while the window is released: posts either land before the release
    // or fail; nothing reaches a freed window.
    for (int round = 0; round < 20; ++round) {
        std::atomic<int> received{0};
        HWND wnd = AllocateHWnd([&](TMessage&) { ++received; });
        std::atomic<bool> stop{false};
        std::atomic<int> accepted{0};
        std::vector<std::thread> posters;
        for (int t = 0; t < 3; ++t)
            posters.emplace_back([&] {
                while (!stop) accepted += PostMessage(wnd, WM_USER, 0, 0) ? 1 : 0;
            });
        Pump(5);
        DeallocateHWnd(wnd);
        const int atRelease = received.load();
        Pump(5);
        stop = true;
        for (auto& p : posters) p.join();
        Pump(5);
        EXPECT_EQ(received.load(), atRelease);
        EXPECT_GE(accepted.load(), received.load());
    }
}

TEST(WindowTimer, TicksWithTheTimerIdAndNeverFasterThanTheMinimumPeriod)
{
    Recorder r;
    ASSERT_EQ(SetTimer(r.wnd, 5, 1), 5u);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(Until([&] { return r.count(WM_TIMER) >= 6; }));
    const qint64 elapsed = clock.elapsed();
    // Six ticks at a period of at least 16 ms need at least 96 ms.
    EXPECT_GE(elapsed, 6 * qint64(USER_TIMER_MINIMUM) - 5);
    for (const TMessage& m : r.got) {
        EXPECT_EQ(m.Msg, WM_TIMER);
        EXPECT_EQ(m.WParam, 5u);
        EXPECT_EQ(m.LParam, 0);
    }
    EXPECT_TRUE(KillTimer(r.wnd, 5));
    const int after = r.count(WM_TIMER);
    Pump(60);
    EXPECT_EQ(r.count(WM_TIMER), after);
    EXPECT_FALSE(KillTimer(r.wnd, 5));
}

TEST(WindowTimer, SettingAnExistingTimerAgainRestartsItWithTheNewPeriod)
{
    Recorder r;
    ASSERT_EQ(SetTimer(r.wnd, 1, 5000), 1u);
    ASSERT_EQ(SetTimer(r.wnd, 1, 20), 1u);
    ASSERT_TRUE(Until([&] { return r.count(WM_TIMER) >= 2; }, 3000)) << "the 5 s timer was not replaced";
    // Two timers on one window tick independently.
    ASSERT_EQ(SetTimer(r.wnd, 2, 20), 2u);
    ASSERT_TRUE(Until([&] {
        bool one = false, two = false;
        for (const TMessage& m : r.got) { one |= m.WParam == 1; two |= m.WParam == 2; }
        return one && two;
    }));
}

TEST(WindowTimer, OnlyTheWindowThreadMaySetTimers)
{
    Recorder r;
    uintptr_t fromOther = 1;
    std::thread([&] { fromOther = SetTimer(r.wnd, 1, 20); }).join();
    EXPECT_EQ(fromOther, 0u);
}

TEST(TTimerComponent, TicksOnlyWhileEnabledWithAHandlerAndAnInterval)
{
    int ticks = 0;
    TObject* sender = nullptr;
    TTimer t(nullptr);
    t.SetInterval(20);
    t.SetEnabled(false);
    t.SetOnTimer([&](TObject* s) { ++ticks; sender = s; });
    Pump(80);
    EXPECT_EQ(ticks, 0);
    t.SetEnabled(true);
    ASSERT_TRUE(Until([&] { return ticks >= 2; }));
    EXPECT_EQ(sender, &t);
    t.SetInterval(0);
    const int atZero = ticks;
    Pump(80);
    EXPECT_EQ(ticks, atZero);
    t.SetInterval(20);
    ASSERT_TRUE(Until([&] { return ticks >= atZero + 2; }));
    t.SetOnTimer(nullptr);
    const int unassigned = ticks;
    Pump(80);
    EXPECT_EQ(ticks, unassigned);
}

TEST(TTimerComponent, AnExceptionGoesToTheApplicationAndTickingGoesOn)
{
    ExceptionTrap trap;
    int ticks = 0;
    TTimer t(nullptr);
    t.SetInterval(16);
    t.SetOnTimer([&](TObject*) {
        ++ticks;
        throw EInvalidOperation(QStringLiteral("tick failed"));
    });
    ASSERT_TRUE(Until([&] { return ticks >= 3; }));
    ASSERT_GE(trap.messages.size(), 3u);
    EXPECT_EQ(trap.messages[0], QStringLiteral("tick failed"));
    EXPECT_EQ(trap.senders[0], &t);
}

TEST(TTimerComponent, MayBeFreedFromInsideItsOwnTick)
{
    int ticks = 0;
    auto* t = new TTimer(nullptr);
    t->SetInterval(16);
    t->SetOnTimer([&](TObject* s) {
        ++ticks;
        delete static_cast<TTimer*>(s);
    });
    ASSERT_TRUE(Until([&] { return ticks == 1; }));
    Pump(60);
    EXPECT_EQ(ticks, 1);
}
