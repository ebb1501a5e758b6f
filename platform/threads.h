// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TThread: the framework's thread class on std::thread, with priorities and Synchronize.
//
// A thread is created suspended (C++ cannot run a descendant's Execute before the descendant
// is constructed) and runs Execute on a new thread from Resume/Start on. Terminate only
// asks: Execute polls Terminated (or overrides TerminatedSet to wake itself). A thread with
// FreeOnTerminate deletes itself once Execute has returned; nobody may touch it after that.
// Otherwise the owner deletes it, which terminates it and waits for it. Since a descendant's
// members are gone before the base destructor runs, a descendant that may be deleted while
// it runs calls Terminate and WaitFor in its own destructor (both are safe on a thread that
// never started or has already finished).
//
// Synchronize hands a method to the GUI thread (the thread of the QApplication), waits until
// it has run there and rethrows in the calling thread any exception the method raised. The
// hand-over uses our own mutex and condition variable. A thread that waits for another one on
// the GUI thread (WaitFor, WaitForAll) keeps running the methods handed over meanwhile, so
// waiting for a thread that is inside Synchronize never deadlocks.
#pragma once

#include "platform/classes.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

using TThreadMethod = std::function<void()>;

// Gives the calling thread the timer slack the program started with. A new thread takes its
// creator's, and the GUI thread's is raised while the display drives the frames
// (TFrameClock::JoinTimers): a thread that keeps time of its own calls this first thing, so
// that its sleeps stay as short as they were asked to be. A no-op where there is no such slack.
void KeepTimersOnTime();

class TThread : public TObject {
public:
    TThread();
    // Terminates and waits for a thread that still runs (never for one that frees itself).
    ~TThread() override;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    QString ClassName() const override { return QStringLiteral("TThread"); }

    // Starts a suspended thread; does nothing once it runs.
    void Resume();
    void Start() { Resume(); }
    bool Suspended() const { return m_suspended.load(); }

    // Asks the thread to end: Terminated becomes true and TerminatedSet is called.
    void Terminate();
    bool Terminated() const { return m_terminated.load(); }
    bool Finished() const { return m_finished.load(); }

    bool FreeOnTerminate() const;
    void SetFreeOnTerminate(bool value);

    // Relative to the process's nice value n, as on Windows to its priority class: tpIdle
    // n + 19, tpLowest n + 10, tpLower n + 5, tpNormal n, tpHigher n - 5, tpHighest n - 10,
    // tpTimeCritical n - 20, clamped to -20 .. 19. Linux lets an unprivileged thread only
    // raise its nice value (lower its priority) unless RLIMIT_NICE allows more: a raise of
    // priority goes as far as allowed, and is otherwise ignored (the stored value changes).
    TThreadPriority Priority() const { return m_priority.load(); }
    void SetPriority(TThreadPriority value);

    // Waits until Execute has returned and gives ReturnValue. Not for a FreeOnTerminate thread.
    int WaitFor();
    // The exception that ended Execute, if any.
    std::exception_ptr FatalException() const;

    // Runs AMethod on the GUI thread and waits for it; rethrows what it raised. Must not be
    // called on the GUI thread. Raises EThread when the application is gone.
    static void Synchronize(TThread* AThread, const TThreadMethod& AMethod);
    // Runs the methods handed to the GUI thread so far; GUI thread only. True if any ran.
    static bool CheckSynchronize();
    // Runs AMethod on the GUI thread and waits for it: at once on the GUI thread itself (or
    // when no application exists), through Synchronize from any other thread.
    static void RunOnGuiThread(const TThreadMethod& AMethod);
    // True on the GUI thread while it runs a method that thread Id handed over and waits for
    // (Id is then stopped inside Synchronize, so waiting for Id would never end).
    static bool IsServing(std::thread::id Id);
    static bool IsGuiThread();
    // Waits until every TThread has finished Execute (and freed itself where asked), at most
    // TimeoutMs milliseconds; true when none runs any more.
    static bool WaitForAll(int TimeoutMs);

protected:
    virtual void Execute() = 0;
    // Called by Terminate, on the terminating thread, after Terminated became true.
    virtual void TerminatedSet() {}
    void Synchronize(const TThreadMethod& AMethod) { Synchronize(this, AMethod); }

    std::atomic<int> ReturnValue{0};

private:
    void Run();
    void ApplyPriority();

    mutable std::mutex m_mutex;
    std::condition_variable m_finishedCv;
    std::thread m_thread;
    std::atomic<bool> m_suspended{true};
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_finished{false};
    std::atomic<TThreadPriority> m_priority{TThreadPriority::tpNormal};
    std::atomic<int> m_tid{0};
    bool m_freeOnTerminate = false; // guarded by m_mutex
    std::exception_ptr m_fatal;     // guarded by m_mutex
};
