// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxHiTimer: a periodic timer in milliseconds, ticking either through a multimedia timer and
// a hidden window (message mode) or through a worker thread (thread mode).
//
// Threads:
// - The GUI thread creates, configures, re-arms and destroys the timer. A setter called on
//   another thread (by a handler running on the worker) is handed to the GUI thread and has
//   run there when it returns, so re-arms never overlap and a timer has one worker at a time.
// - Message mode (UseThread false): the platform's timer thread only posts WM_TIMER to the
//   timer's hidden window; OnTimer runs on the GUI thread. Ticks that come while a tick runs
//   (through a nested event loop) are dropped; a message posted by a source that has since
//   been re-armed or stopped produces no tick.
// - Thread mode (UseThread true, the default): a TFxThreadedTimer sleeps Interval ms (the low
//   16 bits, at least 1 ms), then runs the tick on the GUI thread through Synchronize (the
//   default) or, with Synchronize false, on the worker itself; such a handler does its own
//   locking. The next sleep starts after the tick has run. A worker told to stop may still
//   finish its tick while the next worker begins one.
// Once a setter that stops the timer (Enabled false, a re-arm) has returned on the GUI
// thread, no tick of the previous source starts any more, except one that a worker without
// Synchronize had already begun. Destruction and SetOnTimer wait for such ticks under way,
// and while they wait the GUI thread runs what workers hand to it through Synchronize, so a
// handler on the worker may wait for the GUI thread that way; other blocking calls into the
// GUI thread (a Qt blocking queued call) are not served meanwhile. They never wait for a tick
// whose worker waits for the very method the GUI thread is running (handed over by that tick
// through Synchronize): that tick goes on after the method with the handler it began with,
// and once such a method has destroyed the timer, the handler must not touch the timer any
// more. Apart from that, no tick runs on a destroyed timer. A handler may re-arm or destroy
// its timer from inside a GUI-thread tick; a handler running on the worker may call any
// setter of its own timer, and may destroy it only from a method it hands to the GUI thread
// through Synchronize. Enabled, Interval, Synchronize, UseThread and ThreadPriority may be
// read on any thread; the rest belongs to the GUI thread. Workers read nothing of the
// application object: whether it terminates comes from ApplicationTerminated(), which any
// thread may ask.
#pragma once

#include "foundation/fxcustomcomponent.h"
#include "platform/messages.h"
#include "platform/threads.h"

#include <memory>

class TFxHiTimer;
struct TFxHiTimerLink;

// The worker of a TFxHiTimer in thread mode. It frees itself when its loop ends, whether it
// was told to terminate or a tick raised.
class TFxThreadedTimer : public TThread {
public:
    explicit TFxThreadedTimer(TFxHiTimer* AOwner);
    ~TFxThreadedTimer() override;
    QString ClassName() const override { return QStringLiteral("TFxThreadedTimer"); }

    uint16_t Period() const { return m_period.load(); }
    void SetPeriod(uint16_t value) { m_period = value; }

protected:
    void Execute() override;
    void TerminatedSet() override;

private:
    friend void FxThreadedTimersStop(bool);
    bool MustIdle() const;
    // Sleeps Period ms (at least 1); false when woken by a termination request.
    bool SleepPeriod();
    void Wake();

    std::shared_ptr<TFxHiTimerLink> m_link;
    std::atomic<uint16_t> m_period{1000};
    std::mutex m_sleepMutex;
    std::condition_variable m_sleepCv;
};

class TFxHiTimer : public TFxCustomComponent {
public:
    explicit TFxHiTimer(TComponent* AOwner);
    TFxHiTimer(TComponent* AOwner, uint16_t AInterval);
    ~TFxHiTimer() override;
    QString ClassName() const override { return QStringLiteral("TFxHiTimer"); }

    bool Enabled() const;
    void SetEnabled(bool value);
    // Values below MinPeriod become MinPeriod, above MaxPeriod MaxPeriod.
    uint32_t Interval() const { return m_interval.load(); }
    void SetInterval(uint32_t value);
    const TNotifyEvent& OnTimer() const { return m_onTimer; }
    // Always re-arms, also for the same handler.
    void SetOnTimer(TNotifyEvent value);
    // Thread mode: whether the tick runs on the GUI thread. Read by the worker at each tick.
    bool Synchronize() const;
    void SetSynchronize(bool value);
    bool UseThread() const { return m_useThread.load(); }
    void SetUseThread(bool value);
    TThreadPriority ThreadPriority() const { return m_threadPriority.load(); }
    void SetThreadPriority(TThreadPriority value);

    // 0: the platform's maximum period, 1: its minimum period, otherwise 0.
    int32_t GetInteger(int Index) const;
    uint32_t MaxPeriod() const { return uint32_t(GetInteger(0)); }
    uint32_t MinPeriod() const { return uint32_t(GetInteger(1)); }

protected:
    // The tick: calls OnTimer with this timer as Sender.
    virtual void Timer();
    // Stops every tick source and waits for a worker's tick under way. A descendant that
    // overrides Timer calls this first thing in its destructor; idempotent.
    void StopTicks();

private:
    friend class TFxThreadedTimer;
    friend struct TFxHiTimerLink;
    friend struct TFoundationHooks;
    // Whether a worker runs for this timer.
    bool HasWorker() const;
    void GetCaps();
    void UpdateTimer();
    void StopSources();
    void WndProc(TMessage& Message);

    std::shared_ptr<TFxHiTimerLink> m_link;
    bool m_inTick = false;
    std::atomic<uint32_t> m_interval{1000};
    uint32_t m_timerId = 0;
    uint32_t m_minPeriod = 0;
    uint32_t m_maxPeriod = 0;
    TNotifyEvent m_onTimer;
    HWND m_window = 0;
    std::atomic<TThreadPriority> m_threadPriority{TThreadPriority::tpNormal};
    std::atomic<bool> m_useThread{true};
    bool m_stopped = false;
};

// Library finalisation: with true, every worker ends its loop at once and no worker ticks any
// more; false (at initialisation) lets workers run again.
void FxThreadedTimersStop(bool stop);
