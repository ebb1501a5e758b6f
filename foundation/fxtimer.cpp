// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxtimer.h"

#include "platform/application.h"
#include "platform/mmsystem.h"

#include "platform/scoped.h"

#include <algorithm>
#include <chrono>
#include <set>
#include <vector>

// What a timer shares with its workers. A worker holds it after the timer is gone, so it
// never reads a freed timer: `alive` says whether `owner` may still be used.
struct TFxHiTimerLink {
    TFxHiTimer* owner = nullptr;
    std::atomic<bool> alive{true};
    std::atomic<bool> enabled{false};
    std::atomic<bool> synchronize{true};
    // Ticks that workers run on themselves exclude the GUI thread's changes of what such a tick
    // reads (the handler) and the end of the timer's life, and the other way round. A worker
    // told to stop may still finish its tick while the next worker starts one, so every tick
    // under way is counted, by its thread. The GUI thread waits for them without a lock held
    // across the wait, running meanwhile what workers hand to it (Synchronize): a tick may
    // itself be waiting for the GUI thread.
    std::mutex gateLock;
    std::condition_variable gateCv;
    std::vector<std::thread::id> ticking; // one entry per tick under way
    int changing = 0;                     // changes of the handler or the timer's end under way
    // The current worker; the worker clears it as its loop ends, so the timer never addresses
    // a worker that has freed itself.
    std::mutex workerLock;
    TFxThreadedTimer* worker = nullptr;

    // A tick the caller cannot wait for: its own, or one whose worker waits inside
    // Synchronize for the very method the GUI thread is running now.
    static bool IsCallersOwn(std::thread::id tick)
    {
        return tick == std::this_thread::get_id() || TThread::IsServing(tick);
    }

    bool TickToWaitFor() const
    {
        return std::any_of(ticking.begin(), ticking.end(), [](std::thread::id t) { return !IsCallersOwn(t); });
    }

    // Runs change() while no worker runs a tick on itself, apart from the caller's own ones,
    // keeping new ones from starting.
    template <class Change>
    void ExcludingTicks(Change&& change)
    {
        std::unique_lock<std::mutex> lock(gateLock);
        ++changing;
        while (TickToWaitFor()) {
            if (TThread::IsGuiThread()) {
                gateCv.wait_for(lock, std::chrono::milliseconds(2));
                lock.unlock();
                TThread::CheckSynchronize();
                lock.lock();
            } else {
                gateCv.wait(lock);
            }
        }
        lock.unlock();
        TScopeExit done([this] {
            std::lock_guard<std::mutex> relock(gateLock);
            --changing;
        });
        change();
    }

    // Runs the owner's tick on the calling worker unless the timer is gone or being changed.
    void TickOnWorker(const TFxThreadedTimer& worker)
    {
        const std::thread::id self = std::this_thread::get_id();
        {
            std::lock_guard<std::mutex> lock(gateLock);
            if (changing > 0 || worker.Terminated() || !alive.load()) return;
            ticking.push_back(self);
        }
        TScopeExit done([this, self] {
            std::lock_guard<std::mutex> lock(gateLock);
            ticking.erase(std::find(ticking.begin(), ticking.end(), self));
            gateCv.notify_all();
        });
        owner->Timer();
    }
};

namespace {

// Every worker whose loop runs, so that finalisation can wake them from their sleep.
struct Workers {
    std::mutex mutex;
    std::set<TFxThreadedTimer*> running;
    std::atomic<bool> stopped{false};
};

Workers& TheWorkers()
{
    static Workers* w = new Workers;
    return *w;
}

const QString kNotEnoughTimers = QStringLiteral("Not enough timers available");

// Runs on the platform's timer thread: only hands the tick to the GUI thread. A window that
// is gone is ignored by PostMessage.
void HiTimerCallback(uint32_t uTimerID, uint32_t, uintptr_t dwUser, uintptr_t, uintptr_t)
{
    PostMessage(HWND(dwUser), WM_TIMER, uTimerID, 0);
}

} // namespace

void FxThreadedTimersStop(bool stop)
{
    Workers& w = TheWorkers();
    std::lock_guard<std::mutex> lock(w.mutex);
    w.stopped = stop;
    if (stop)
        for (TFxThreadedTimer* t : w.running) t->Wake();
}

// =============================================================================================
// TFxThreadedTimer
// =============================================================================================
TFxThreadedTimer::TFxThreadedTimer(TFxHiTimer* AOwner) : m_link(AOwner->m_link)
{
    m_period = 1000;
    SetFreeOnTerminate(true);
}

TFxThreadedTimer::~TFxThreadedTimer() = default;

void TFxThreadedTimer::TerminatedSet()
{
    Wake();
}

void TFxThreadedTimer::Wake()
{
    std::lock_guard<std::mutex> lock(m_sleepMutex);
    m_sleepCv.notify_all();
}

bool TFxThreadedTimer::MustIdle() const
{
    return Terminated() || TheWorkers().stopped.load() || ApplicationTerminated() || !m_link->alive.load();
}

bool TFxThreadedTimer::SleepPeriod()
{
    // A period of 0 (an interval that is a multiple of 65536) would spin.
    const auto period = std::chrono::milliseconds(std::max<int>(1, m_period.load()));
    const auto deadline = std::chrono::steady_clock::now() + period;
    std::unique_lock<std::mutex> lock(m_sleepMutex);
    return !m_sleepCv.wait_until(lock, deadline, [this] { return Terminated() || TheWorkers().stopped.load(); });
}

void TFxThreadedTimer::Execute()
{
    Workers& all = TheWorkers();
    {
        std::lock_guard<std::mutex> lock(all.mutex);
        all.running.insert(this);
    }
    TScopeExit leave([this, &all] {
        {
            std::lock_guard<std::mutex> lock(all.mutex);
            all.running.erase(this);
        }
        std::lock_guard<std::mutex> lock(m_link->workerLock);
        if (m_link->worker == this) m_link->worker = nullptr;
    });

    TFxHiTimerLink& link = *m_link;
    while (!Terminated() && !all.stopped.load()) {
        if (MustIdle()) {
            // While the application terminates, wait for the termination request without
            // spinning.
            SleepPeriod();
            continue;
        }
        if (!SleepPeriod()) continue;
        if (MustIdle()) continue;
        if (!link.enabled.load()) continue;
        if (link.synchronize.load()) {
            // The GUI thread checks again: by the time it runs this, the timer may have been
            // re-armed (this worker told to terminate) or destroyed, or the library finalised
            // (whose wait for the workers serves the ticks that were waiting for it).
            Synchronize([this, &link] {
                if (!MustIdle()) link.owner->Timer();
            });
        } else {
            link.TickOnWorker(*this);
        }
    }
}

// =============================================================================================
// TFxHiTimer
// =============================================================================================
TFxHiTimer::TFxHiTimer(TComponent* AOwner) : TFxHiTimer(AOwner, 1000) {}

TFxHiTimer::TFxHiTimer(TComponent* AOwner, uint16_t AInterval)
    : TFxCustomComponent(AOwner), m_link(std::make_shared<TFxHiTimerLink>())
{
    m_link->owner = this;
    m_inTick = false;
    GetCaps();
    // The resolution request lasts as long as the timer, whichever mode it runs in.
    timeBeginPeriod(m_minPeriod);
    m_interval = AInterval;
}

TFxHiTimer::~TFxHiTimer()
{
    StopTicks();
}

void TFxHiTimer::StopTicks()
{
    if (m_stopped) return;
    m_stopped = true;
    Destroying();
    // No tick starts any more; one that a worker runs on itself right now is waited for.
    m_link->alive = false;
    m_link->ExcludingTicks([this] { m_onTimer = nullptr; });
    StopSources();
    timeEndPeriod(m_minPeriod);
    m_link->enabled = false;
    DeallocateHWnd(m_window);
    m_window = 0;
}

void TFxHiTimer::GetCaps()
{
    TIMECAPS caps{0, 0};
    timeGetDevCaps(&caps, sizeof(caps));
    m_minPeriod = caps.wPeriodMin;
    m_maxPeriod = caps.wPeriodMax;
}

int32_t TFxHiTimer::GetInteger(int Index) const
{
    switch (Index) {
    case 0: return int32_t(m_maxPeriod);
    case 1: return int32_t(m_minPeriod);
    default: return 0;
    }
}

bool TFxHiTimer::Enabled() const
{
    return m_link->enabled.load();
}

// Every setter that may re-arm runs on the GUI thread: one called by a handler on a worker is
// handed over there (the worker waits for it), so re-arms never overlap and the timer has one
// worker at any moment.
void TFxHiTimer::SetEnabled(bool value)
{
    TThread::RunOnGuiThread([&] {
        if (value == m_link->enabled.load()) return;
        m_link->enabled = value;
        UpdateTimer();
    });
}

void TFxHiTimer::SetInterval(uint32_t value)
{
    TThread::RunOnGuiThread([&] {
        if (value == m_interval.load()) return;
        m_interval = std::clamp(value, m_minPeriod, m_maxPeriod);
        UpdateTimer();
    });
}

void TFxHiTimer::SetOnTimer(TNotifyEvent value)
{
    TThread::RunOnGuiThread([&] {
        // What runs on the GUI thread while it waits for a worker's tick may end this timer.
        const std::shared_ptr<TFxHiTimerLink> link = m_link;
        link->ExcludingTicks([&] {
            if (link->alive.load()) m_onTimer = std::move(value);
        });
        if (link->alive.load()) UpdateTimer();
    });
}

bool TFxHiTimer::Synchronize() const
{
    return m_link->synchronize.load();
}

void TFxHiTimer::SetSynchronize(bool value)
{
    m_link->synchronize = value;
}

void TFxHiTimer::SetUseThread(bool value)
{
    TThread::RunOnGuiThread([&] {
        if (value == m_useThread.load()) return;
        m_useThread = value;
        UpdateTimer();
    });
}

void TFxHiTimer::SetThreadPriority(TThreadPriority value)
{
    TThread::RunOnGuiThread([&] {
        if (value == m_threadPriority.load()) return;
        m_threadPriority = value;
        if (m_useThread.load()) UpdateTimer();
    });
}

bool TFxHiTimer::HasWorker() const
{
    std::lock_guard<std::mutex> lock(m_link->workerLock);
    return m_link->worker != nullptr;
}

void TFxHiTimer::StopSources()
{
    {
        std::lock_guard<std::mutex> lock(m_link->workerLock);
        if (m_link->worker) {
            // It ends after its current sleep or tick and frees itself.
            m_link->worker->Terminate();
            m_link->worker = nullptr;
        }
    }
    if (m_timerId != 0) {
        timeKillEvent(m_timerId);
        m_timerId = 0;
    }
}

void TFxHiTimer::UpdateTimer()
{
    if (IsDesigning()) return;
    StopSources();
    if (IsDestroying()) return;
    const bool armed = m_link->enabled.load() && bool(m_onTimer);
    if (m_useThread) {
        if (m_window != 0) {
            DeallocateHWnd(m_window);
            m_window = 0;
        }
        if (armed) {
            auto* worker = new TFxThreadedTimer(this);
            worker->SetPeriod(uint16_t(m_interval.load() & 0xFFFF));
            worker->SetPriority(m_threadPriority.load());
            {
                // Known to the timer before it runs, so that it cannot end unnoticed.
                std::lock_guard<std::mutex> lock(m_link->workerLock);
                m_link->worker = worker;
            }
            worker->Resume();
        }
    } else {
        if (m_window == 0) m_window = AllocateHWnd([this](TMessage& m) { WndProc(m); });
        const uint32_t interval = m_interval.load();
        if (interval != 0 && armed) {
            m_timerId = timeSetEvent(interval, interval, HiTimerCallback, uintptr_t(m_window), TIME_PERIODIC);
            m_inTick = false;
            if (m_timerId == 0) throw EOutOfResources(kNotEnoughTimers);
        }
    }
}

void TFxHiTimer::WndProc(TMessage& Message)
{
    if (Message.Msg != WM_TIMER || m_timerId == 0 || Message.WParam != m_timerId) {
        Message.Result = DefWindowProc(m_window, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    if (m_inTick) return;
    m_inTick = true;
    // The handler may destroy this timer; the link tells whether it still exists.
    const std::shared_ptr<TFxHiTimerLink> link = m_link;
    try {
        Timer();
    } catch (...) {
        // Cleared also on failure, so that one failing tick does not silence the timer.
        if (link->alive.load()) m_inTick = false;
        if (Application) Application->HandleException(this);
        return;
    }
    if (!link->alive.load()) return;
    m_inTick = false;
    Message.Result = 0;
}

void TFxHiTimer::Timer()
{
    if (TNotifyEvent handler = m_onTimer) handler(this);
}
