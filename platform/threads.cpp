#include "platform/threads.h"

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
#include <unistd.h>

namespace {

// One method handed to the GUI thread; lives on the waiting thread's stack.
struct SyncRequest {
    const TThreadMethod* method = nullptr;
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

SyncQueue& syncQueue()
{
    static SyncQueue* q = new SyncQueue;
    return *q;
}

// Threads between Resume and the end of their run (after a free-on-terminate thread has
// deleted itself).
struct RunningThreads {
    std::mutex mutex;
    std::condition_variable cv;
    int count = 0;
};

RunningThreads& runningThreads()
{
    static RunningThreads* r = new RunningThreads;
    return *r;
}

// Fails every hand-over still waiting, and every later one, once the application is gone.
void closeSyncQueue()
{
    SyncQueue& q = syncQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    q.closed = true;
    for (SyncRequest* r : q.pending) {
        r->error = std::make_exception_ptr(EThread(QStringLiteral("The application has ended")));
        r->done = true;
        r->cv.notify_one();
    }
    q.pending.clear();
}

// The nice value for a priority, relative to the process's own, as a thread's priority is
// relative to its process's class: a program started under `nice` keeps a lower thread below
// itself instead of raising it to an absolute value. Idle is always the lowest there is.
int niceFor(TThreadPriority p)
{
    errno = 0;
    int process = ::getpriority(PRIO_PROCESS, id_t(::getpid()));
    if (process == -1 && errno != 0) process = 0;
    int offset = 0;
    switch (p) {
    case TThreadPriority::tpIdle: return 19;
    case TThreadPriority::tpLowest: offset = 10; break;
    case TThreadPriority::tpLower: offset = 5; break;
    case TThreadPriority::tpNormal: offset = 0; break;
    case TThreadPriority::tpHigher: offset = -5; break;
    case TThreadPriority::tpHighest: offset = -10; break;
    case TThreadPriority::tpTimeCritical: offset = -20; break;
    }
    return std::clamp(process + offset, -20, 19);
}

int currentTid()
{
    return int(::syscall(SYS_gettid));
}

// Used while the GUI thread waits for other threads: run what they hand over, then sleep a
// little.
void serviceWhileWaiting()
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
        RunningThreads& r = runningThreads();
        std::lock_guard<std::mutex> rl(r.mutex);
        ++r.count;
    }
    if (QCoreApplication::instance()) {
        static std::once_flag postRoutine;
        std::call_once(postRoutine, [] { qAddPostRoutine(closeSyncQueue); });
    }
    // The new thread takes m_mutex before it may detach itself, so it cannot see m_thread
    // before this assignment is complete.
    m_thread = std::thread([this] { run(); });
}

void TThread::run()
{
    m_tid = currentTid();
    applyPriority();
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
    RunningThreads& r = runningThreads();
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
    applyPriority();
}

void TThread::applyPriority()
{
    const int tid = m_tid.load();
    if (tid == 0) return; // not started: applied when it starts
    // A raise above the process's own nice value needs privileges; a refusal is ignored.
    (void)::setpriority(PRIO_PROCESS, id_t(tid), niceFor(m_priority.load()));
}

int TThread::WaitFor()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_suspended.load()) return ReturnValue;
    while (!m_finished.load()) {
        if (IsGuiThread()) {
            m_finishedCv.wait_for(lock, std::chrono::milliseconds(2));
            lock.unlock();
            serviceWhileWaiting();
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
    SyncQueue& q = syncQueue();
    SyncRequest request;
    request.method = &AMethod;
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
    SyncQueue& q = syncQueue();
    std::deque<SyncRequest*> batch;
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        batch.swap(q.pending);
        q.wakePosted = false;
    }
    for (SyncRequest* r : batch) {
        std::exception_ptr error;
        try {
            (*r->method)();
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(q.mutex);
        r->error = error;
        r->done = true;
        // Under the lock: the waiter may destroy the request as soon as it wakes.
        r->cv.notify_one();
    }
    return !batch.empty();
}

bool TThread::WaitForAll(int TimeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    RunningThreads& r = runningThreads();
    std::unique_lock<std::mutex> lock(r.mutex);
    while (r.count > 0) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        r.cv.wait_for(lock, std::chrono::milliseconds(2));
        lock.unlock();
        serviceWhileWaiting();
        lock.lock();
    }
    return true;
}

int TThread::RunningCount()
{
    RunningThreads& r = runningThreads();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.count;
}
