// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/mmsystem.h"
#include "platform/hooks.h"
#include "platform/threads.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <cerrno>

namespace {

constexpr uint32_t kPeriodMin = 1;
constexpr uint32_t kPeriodMax = 1000000;
std::atomic<int> g_periodRequests{0};

struct TimerEvent {
    uint32_t id = 0;
    uint32_t delay = 0;
    LPTIMECALLBACK proc = nullptr;
    uintptr_t user = 0;
    bool periodic = false;
    // timeKillEvent sets stop under the mutex and wakes the sleeping thread at once, so that
    // the caller (often the GUI thread re-arming a timer) never waits for a sleep to run out.
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::thread thread;

    void Stop()
    {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
        wake.notify_all();
    }
};

struct EventRegistry {
    std::mutex mutex;
    std::unordered_map<uint32_t, std::shared_ptr<TimerEvent>> events;
    uint32_t lastId = 0;

    // Joinable threads must not outlive the registry: stop and join whatever is left.
    ~EventRegistry()
    {
        std::unordered_map<uint32_t, std::shared_ptr<TimerEvent>> left;
        {
            std::lock_guard<std::mutex> lock(mutex);
            left.swap(events);
        }
        for (auto& e : left) {
            e.second->Stop();
            if (e.second->thread.joinable()) {
                if (e.second->thread.get_id() == std::this_thread::get_id()) e.second->thread.detach();
                else e.second->thread.join();
            }
        }
    }
};

EventRegistry& TheEventRegistry()
{
    static EventRegistry r;
    return r;
}

void AddNs(timespec& t, int64_t ns)
{
    t.tv_nsec += long(ns % 1'000'000'000);
    t.tv_sec += time_t(ns / 1'000'000'000);
    if (t.tv_nsec >= 1'000'000'000) {
        t.tv_nsec -= 1'000'000'000;
        ++t.tv_sec;
    }
}

bool Before(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// Sleeps until the absolute monotonic deadline; false when told to stop. The condition
// variable waits on the monotonic clock (steady_clock), so a change of the wall clock does not
// move the deadline.
bool SleepUntil(const timespec& deadline, TimerEvent& e)
{
    const auto until = std::chrono::steady_clock::time_point(std::chrono::seconds(deadline.tv_sec) +
                                                             std::chrono::nanoseconds(deadline.tv_nsec));
    std::unique_lock<std::mutex> lock(e.mutex);
    return !e.wake.wait_until(lock, until, [&e] { return e.stop; });
}

void RunEvent(TimerEvent* e)
{
    KeepTimersOnTime();
    const int64_t periodNs = int64_t(e->delay) * 1'000'000;
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    AddNs(deadline, periodNs);
    while (SleepUntil(deadline, *e)) {
        e->proc(e->id, 0, e->user, 0, 0);
        if (!e->periodic) return;
        AddNs(deadline, periodNs);
        // A callback that took longer than a whole period does not cause a burst of calls
        // to catch up: the schedule starts afresh from now.
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (Before(deadline, now)) {
            deadline = now;
            AddNs(deadline, periodNs);
        }
    }
}

} // namespace

MMRESULT timeGetDevCaps(TIMECAPS* ptc, uint32_t cbtc)
{
    if (!ptc || cbtc != sizeof(TIMECAPS)) return MMSYSERR_INVALPARAM;
    ptc->wPeriodMin = kPeriodMin;
    ptc->wPeriodMax = kPeriodMax;
    return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(uint32_t uPeriod)
{
    if (uPeriod < kPeriodMin || uPeriod > kPeriodMax) return TIMERR_NOCANDO;
    ++g_periodRequests;
    return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(uint32_t uPeriod)
{
    if (uPeriod < kPeriodMin || uPeriod > kPeriodMax) return TIMERR_NOCANDO;
    --g_periodRequests;
    return TIMERR_NOERROR;
}

int TimePeriodRequests()
{
    return g_periodRequests.load();
}

uint32_t timeSetEvent(uint32_t uDelay, uint32_t uResolution, LPTIMECALLBACK lpTimeProc, uintptr_t dwUser, uint32_t fuEvent)
{
    if (uDelay < kPeriodMin || uDelay > kPeriodMax || !lpTimeProc) return 0;
    auto e = std::make_shared<TimerEvent>();
    e->delay = uDelay;
    e->proc = lpTimeProc;
    e->user = dwUser;
    e->periodic = (fuEvent & TIME_PERIODIC) != 0;
    EventRegistry& r = TheEventRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (int(r.events.size()) >= MaxTimerEvents) return 0;
    do {
        ++r.lastId;
    } while (r.lastId == 0);
    e->id = r.lastId;
    // The thread holds the event through the shared pointer it was given.
    e->thread = std::thread([e] { RunEvent(e.get()); });
    r.events.emplace(e->id, e);
    return e->id;
}

MMRESULT timeKillEvent(uint32_t uTimerID)
{
    std::shared_ptr<TimerEvent> e;
    {
        EventRegistry& r = TheEventRegistry();
        std::lock_guard<std::mutex> lock(r.mutex);
        auto it = r.events.find(uTimerID);
        if (it == r.events.end()) return MMSYSERR_INVALPARAM;
        e = it->second;
        r.events.erase(it);
    }
    e->Stop();
    if (e->thread.get_id() == std::this_thread::get_id()) e->thread.detach();
    else e->thread.join();
    return TIMERR_NOERROR;
}

int TimerEventCount()
{
    EventRegistry& r = TheEventRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return int(r.events.size());
}

uint32_t SleepEx(uint32_t dwMilliseconds, bool)
{
    if (dwMilliseconds == 0) {
        std::this_thread::yield();
        return 0;
    }
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    AddNs(deadline, int64_t(dwMilliseconds) * 1'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {}
    return 0;
}
