// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/threads.h"
#include "platform/hooks.h"

#include "platform/messages.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <chrono>
#include <deque>
#include <sys/resource.h>
#include <sys/syscall.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <unistd.h>
#include <vector>

namespace {

// One method handed to the GUI thread; lives on the waiting thread's stack.
struct SyncRequest {
    const TThreadMethod* method = nullptr;
    std::thread::id from; // the thread that waits for it
    bool done = false;
    std::exception_ptr error;
    std::condition_variable cv;
};

// The methods waiting for the GUI thread. Never destroyed: threads may still hand over
// while the process shuts down.
struct SyncQueue {
    std::mutex mutex;
    std::deque<SyncRequest*> pending;
    bool wakePosted = false;
    bool closed = false; // the application is gone; nothing can run on the GUI thread any more
};

SyncQueue& TheSyncQueue()
{
    static SyncQueue* q = new SyncQueue;
    return *q;
}

// The threads whose handed-over methods the GUI thread is running now, innermost last (a
// method may wait for something that runs further methods). GUI thread only.
std::vector<std::thread::id>& ServedThreads()
{
    static std::vector<std::thread::id>* s = new std::vector<std::thread::id>;
    return *s;
}

// Threads between Resume and the end of their run (after a free-on-terminate thread has
// deleted itself).
struct RunningThreads {
    std::mutex mutex;
    std::condition_variable cv;
    int count = 0;
};

RunningThreads& TheRunningThreads()
{
    static RunningThreads* r = new RunningThreads;
    return *r;
}

// Fails every hand-over still waiting, and every later one, once the application is gone.
void CloseSyncQueue()
{
    SyncQueue& q = TheSyncQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    q.closed = true;
    for (SyncRequest* r : q.pending) {
        r->error = std::make_exception_ptr(EThread(QStringLiteral("The application has ended")));
        r->done = true;
        r->cv.notify_one();
    }
    q.pending.clear();
}

// A priority as a step from the process's own nice value, as Windows sets a thread's priority
// relative to its process's priority class: a process started under `nice` keeps its lower
// threads below itself.
int NiceStep(TThreadPriority p)
{
    switch (p) {
    case TThreadPriority::tpIdle: return 19;
    case TThreadPriority::tpLowest: return 10;
    case TThreadPriority::tpLower: return 5;
    case TThreadPriority::tpNormal: return 0;
    case TThreadPriority::tpHigher: return -5;
    case TThreadPriority::tpHighest: return -10;
    case TThreadPriority::tpTimeCritical: return -20;
    }
    return 0;
}

int CurrentTid()
{
    return int(::syscall(SYS_gettid));
}

// Used while the GUI thread waits for other threads: run what they hand over, then sleep a
// little.
void ServiceWhileWaiting()
{
    if (TThread::IsGuiThread()) TThread::CheckSynchronize();
}

} // namespace

TThread::TThread() = default;

TThread::~TThread()
{
    bool joinable;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        joinable = m_thread.joinable();
    }
    if (joinable) {
        Terminate();
        WaitFor();
    }
}

void TThread::Resume()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_suspended.load()) return;
    m_suspended = false;
    {
        RunningThreads& r = TheRunningThreads();
        std::lock_guard<std::mutex> rl(r.mutex);
        ++r.count;
    }
    if (QCoreApplication::instance()) {
        static std::once_flag postRoutine;
        std::call_once(postRoutine, [] { qAddPostRoutine(CloseSyncQueue); });
    }
    // The new thread takes m_mutex before it may detach itself, so it cannot see m_thread
    // before this assignment is complete.
    m_thread = std::thread([this] { Run(); });
}

namespace {
#ifdef __linux__
// Read as the library is loaded, on the thread that loads it, before any frame clock ran.
const long g_startSlack = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
#endif
}  // namespace

void KeepTimersOnTime()
{
#ifdef __linux__
    if (g_startSlack > 0) prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(g_startSlack), 0, 0, 0);
#endif
}

void TThread::Run()
{
    KeepTimersOnTime();
    m_tid = CurrentTid();
    ApplyPriority();
    std::exception_ptr fatal;
    try {
        Execute();
    } catch (...) {
        fatal = std::current_exception();
    }
    bool freeIt;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fatal = fatal;
        freeIt = m_freeOnTerminate;
        if (freeIt) m_thread.detach();
        m_finished = true;
        m_finishedCv.notify_all();
    }
    if (freeIt) delete this;
    RunningThreads& r = TheRunningThreads();
    std::lock_guard<std::mutex> lock(r.mutex);
    --r.count;
    r.cv.notify_all();
}

void TThread::Terminate()
{
    m_terminated = true;
    TerminatedSet();
}

bool TThread::FreeOnTerminate() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_freeOnTerminate;
}

void TThread::SetFreeOnTerminate(bool value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_freeOnTerminate = value;
}

void TThread::SetPriority(TThreadPriority value)
{
    if (m_priority.exchange(value) == value) return;
    ApplyPriority();
}

void TThread::ApplyPriority()
{
    const int tid = m_tid.load();
    if (tid == 0) return; // not started: applied when it starts
    // The process's nice value is its main thread's (on Linux every thread has its own).
    errno = 0;
    const int base = ::getpriority(PRIO_PROCESS, id_t(::getpid()));
    if (base == -1 && errno != 0) return;
    const int target = std::clamp(base + NiceStep(m_priority.load()), -20, 19);
    if (::setpriority(PRIO_PROCESS, id_t(tid), target) == 0) return;
    // Lowering a nice value needs privileges or RLIMIT_NICE: take the lowest one allowed, or
    // keep the thread where it is when even that is above the wish.
    rlimit limit{};
    if (::getrlimit(RLIMIT_NICE, &limit) != 0) return;
    const int floor = limit.rlim_cur == RLIM_INFINITY ? -20 : std::clamp(20 - int(std::min<rlim_t>(limit.rlim_cur, 40)), -20, 19);
    errno = 0;
    const int now = ::getpriority(PRIO_PROCESS, id_t(tid));
    if (now == -1 && errno != 0) return;
    if (floor > target && floor < now) (void)::setpriority(PRIO_PROCESS, id_t(tid), floor);
}

int TThread::WaitFor()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_suspended.load()) return ReturnValue;
    while (!m_finished.load()) {
        if (IsGuiThread()) {
            m_finishedCv.wait_for(lock, std::chrono::milliseconds(2));
            lock.unlock();
            ServiceWhileWaiting();
            lock.lock();
        } else {
            m_finishedCv.wait(lock);
        }
    }
    if (m_thread.joinable()) {
        std::thread t = std::move(m_thread);
        lock.unlock();
        t.join();
    }
    return ReturnValue;
}

std::exception_ptr TThread::FatalException() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fatal;
}

bool TThread::IsGuiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void TThread::Synchronize(TThread*, const TThreadMethod& AMethod)
{
    assert(!IsGuiThread() && "Synchronize is for other threads than the GUI thread");
    if (IsGuiThread()) {
        AMethod();
        return;
    }
    SyncQueue& q = TheSyncQueue();
    SyncRequest request;
    request.method = &AMethod;
    request.from = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(q.mutex);
    QCoreApplication* app = QCoreApplication::instance();
    if (q.closed || !app) throw EThread(QStringLiteral("The application has ended"));
    // The GUI thread is woken through a hidden window of its own, so that every event our
    // threads post to Qt is posted under the window registry's lock.
    static const HWND wakeWindow = AllocateGuiThreadHWnd([](TMessage&) { TThread::CheckSynchronize(); });
    q.pending.push_back(&request);
    if (!q.wakePosted) {
        q.wakePosted = true;
        PostMessage(wakeWindow, WM_USER, 0, 0);
    }
    request.cv.wait(lock, [&] { return request.done; });
    if (request.error) {
        std::exception_ptr error = request.error;
        lock.unlock();
        std::rethrow_exception(error);
    }
}

bool TThread::CheckSynchronize()
{
    // One request at a time, straight from the queue: a method that waits for another thread
    // (CheckSynchronize runs again inside such waits) then finds that thread's request in the
    // queue instead of behind itself in a batch taken out of it.
    SyncQueue& q = TheSyncQueue();
    bool ran = false;
    for (;;) {
        SyncRequest* r;
        {
            std::lock_guard<std::mutex> lock(q.mutex);
            if (q.pending.empty()) {
                q.wakePosted = false;
                return ran;
            }
            r = q.pending.front();
            q.pending.pop_front();
            // A hand-over that comes while this method runs posts a wake-up of its own: the
            // method may run the event loop (a dialog, a wait), and that loop serves it.
            q.wakePosted = false;
        }
        ran = true;
        std::exception_ptr error;
        ServedThreads().push_back(r->from);
        try {
            (*r->method)();
        } catch (...) {
            error = std::current_exception();
        }
        ServedThreads().pop_back();
        std::lock_guard<std::mutex> lock(q.mutex);
        r->error = error;
        r->done = true;
        // Under the lock: the waiter may destroy the request as soon as it wakes.
        r->cv.notify_one();
    }
}

bool TThread::IsServing(std::thread::id Id)
{
    if (!IsGuiThread()) return false;
    const std::vector<std::thread::id>& served = ServedThreads();
    return std::find(served.begin(), served.end(), Id) != served.end();
}

void TThread::RunOnGuiThread(const TThreadMethod& AMethod)
{
    if (!QCoreApplication::instance() || IsGuiThread())
        AMethod();
    else
        Synchronize(nullptr, AMethod);
}

bool TThread::WaitForAll(int TimeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    RunningThreads& r = TheRunningThreads();
    std::unique_lock<std::mutex> lock(r.mutex);
    while (r.count > 0) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        r.cv.wait_for(lock, std::chrono::milliseconds(2));
        lock.unlock();
        ServiceWhileWaiting();
        lock.lock();
    }
    return true;
}

int RunningThreadCount()
{
    RunningThreads& r = TheRunningThreads();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.count;
}
