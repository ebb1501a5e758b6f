// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/messages.h"
#include "platform/hooks.h"

#include "platform/safecall.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QTimerEvent>

#include <algorithm>
#include <deque>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

QEvent::Type WakeEventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

class HiddenWindow;

// Every window that exists, by handle. Posting happens while the lock is held, and a window
// leaves the registry under the same lock before it is deleted, so no thread ever posts to a
// deleted window. The registry is never destroyed: timer threads may still post while the
// process shuts down.
struct Registry {
    std::mutex mutex;
    std::unordered_map<HWND, HiddenWindow*> windows;
    HWND lastHandle = 0;
    bool closed = false; // the application object is gone: nothing can be delivered any more
};

Registry& TheRegistry()
{
    static Registry* r = new Registry;
    return *r;
}

void CloseRegistry()
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.closed = true;
}

// The window object. Messages posted from other threads wait in `queue` (guarded by the
// registry's mutex, which ThreadSanitizer can follow, unlike Qt's own locks); the Qt event
// posted to the window carries no data and only wakes its thread up to drain the queue.
class HiddenWindow : public QObject {
public:
    explicit HiddenWindow(TWndMethod method) : m_method(std::move(method)) {}

    // Called with the registry's lock held.
    void Enqueue(const TMessage& message)
    {
        queue.push_back(message);
        if (!wakePosted) {
            wakePosted = true;
            QCoreApplication::postEvent(this, new QEvent(WakeEventType()));
        }
    }

    intptr_t Dispatch(TMessage& message)
    {
        if (m_released || !m_method) return 0;
        // The procedure may release this window; keep the callable alive on our stack.
        TWndMethod method = m_method;
        ++m_dispatching;
        SafeCall(nullptr, [&] { method(message); });
        --m_dispatching;
        return message.Result;
    }

    uintptr_t StartTimer(uintptr_t id, uint32_t elapse)
    {
        KillTimerById(id);
        const uint32_t period = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
        const int qtId = startTimer(std::chrono::milliseconds(period), Qt::PreciseTimer);
        if (qtId == 0) return 0;
        m_timers.emplace_back(id, qtId);
        return id;
    }

    bool KillTimerById(uintptr_t id)
    {
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->first == id) {
                killTimer(it->second);
                m_timers.erase(it);
                return true;
            }
        }
        return false;
    }

    // On the window's thread, after it left the registry.
    void Release()
    {
        m_released = true;
        for (const auto& t : m_timers) killTimer(t.second);
        m_timers.clear();
        m_method = nullptr;
        if (m_dispatching > 0) deleteLater();
        else delete this;
    }

    // Guarded by the registry's mutex.
    std::deque<TMessage> queue;
    bool wakePosted = false;

protected:
    bool event(QEvent* e) override
    {
        // Take what is queued now; messages posted while these run wake us again, so a
        // procedure slower than the posting rate cannot starve the rest of the event loop.
        // A wake-up event was made by the posting thread under the registry's lock, so it is
        // looked at only under that lock too.
        // Other events (the timers' above all, many a second) pass on without building a batch.
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(TheRegistry().mutex);
            wake = e->type() == WakeEventType();
        }
        if (!wake) return QObject::event(e);
        std::deque<TMessage> batch;
        {
            std::lock_guard<std::mutex> lock(TheRegistry().mutex);
            batch.swap(queue);
            wakePosted = false;
        }
        QPointer guard(this);
        for (TMessage& m : batch) {
            if (!guard || m_released) break;
            Dispatch(m);
        }
        return true;
    }

    void timerEvent(QTimerEvent* e) override
    {
        for (const auto& t : m_timers) {
            if (t.second == e->timerId()) {
                TMessage m{WM_TIMER, t.first, 0, 0};
                Dispatch(m);
                return;
            }
        }
    }

private:
    TWndMethod m_method;
    std::vector<std::pair<uintptr_t, int>> m_timers; // (IDEvent, Qt timer id); owner thread only
    int m_dispatching = 0;
    bool m_released = false;
};

// The window for a handle, if it exists and belongs to the calling thread.
HiddenWindow* OwnWindow(HWND wnd)
{
    HiddenWindow* w = nullptr;
    {
        Registry& r = TheRegistry();
        std::lock_guard<std::mutex> lock(r.mutex);
        auto it = r.windows.find(wnd);
        if (it != r.windows.end()) w = it->second;
    }
    // Only the owning thread deletes a window, so the pointer stays valid for this caller.
    if (w && w->thread() != QThread::currentThread()) return nullptr;
    return w;
}

} // namespace

namespace {
HWND Allocate(TWndMethod method, bool onGuiThread)
{
    static std::once_flag postRoutine;
    std::call_once(postRoutine, [] { qAddPostRoutine(CloseRegistry); });
    Registry& r = TheRegistry();
    HWND handle;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        handle = ++r.lastHandle;
    }
    auto* w = new HiddenWindow(std::move(method));
    // Only the thread an object lives in may hand it over to another one: this one, now,
    // before anyone else can see it. (Qt sends the window an event while moving it, which
    // takes the registry's lock, so the lock is not held here.)
    if (onGuiThread) w->moveToThread(QCoreApplication::instance()->thread());
    std::lock_guard<std::mutex> lock(r.mutex);
    r.windows.emplace(handle, w);
    return handle;
}
} // namespace

HWND AllocateHWnd(TWndMethod Method)
{
    return Allocate(std::move(Method), false);
}

HWND AllocateGuiThreadHWnd(TWndMethod Method)
{
    if (!QCoreApplication::instance()) return 0;
    return Allocate(std::move(Method), true);
}

void DeallocateHWnd(HWND Wnd)
{
    if (Wnd == 0) return;
    HiddenWindow* w = nullptr;
    {
        Registry& r = TheRegistry();
        std::lock_guard<std::mutex> lock(r.mutex);
        auto it = r.windows.find(Wnd);
        if (it == r.windows.end()) return;
        w = it->second;
        if (w->thread() != QThread::currentThread()) return;
        r.windows.erase(it);
        w->queue.clear();
    }
    w->Release();
}

bool IsWindow(HWND Wnd)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.windows.count(Wnd) != 0;
}

bool PostMessage(HWND Wnd, uint32_t Msg, uintptr_t WParam, intptr_t LParam)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.closed) return false;
    auto it = r.windows.find(Wnd);
    if (it == r.windows.end()) return false;
    it->second->Enqueue(TMessage{Msg, WParam, LParam, 0});
    return true;
}

intptr_t SendMessage(HWND Wnd, uint32_t Msg, uintptr_t WParam, intptr_t LParam)
{
    HiddenWindow* w = OwnWindow(Wnd);
    if (!w) return 0;
    TMessage m{Msg, WParam, LParam, 0};
    return w->Dispatch(m);
}

intptr_t DefWindowProc(HWND, uint32_t, uintptr_t, intptr_t)
{
    return 0;
}

uintptr_t SetTimer(HWND Wnd, uintptr_t IDEvent, uint32_t Elapse)
{
    HiddenWindow* w = OwnWindow(Wnd);
    if (!w) return 0;
    return w->StartTimer(IDEvent == 0 ? 1 : IDEvent, Elapse);
}

bool KillTimer(HWND Wnd, uintptr_t IDEvent)
{
    HiddenWindow* w = OwnWindow(Wnd);
    return w && w->KillTimerById(IDEvent);
}

int HiddenWindowCount()
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return int(r.windows.size());
}
