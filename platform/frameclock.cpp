// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
#include "platform/frameclock.h"

#include "platform/safecall.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/present.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <map>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

constexpr int64_t kStalledNs = 100'000'000;   // a source silent this long has stopped
// Present notifications asked for ahead: up to this many refreshes on, asked again once fewer
// than kAskedAtLeast are left.
constexpr uint64_t kAskedAhead = 8;
constexpr uint64_t kAskedAtLeast = 2;

// A wait in nanoseconds as the whole milliseconds a timer waits, never shorter.
int CeilMs(int64_t ns)
{
    return int((std::max<int64_t>(ns, 0) + 999'999) / 1'000'000);
}

enum class TWanted { wPresent, wFrameCallbacks, wTimer };

// The GUI thread's timer slack, as the clocks allow it: 0 from a clock that has fallen back to
// its timer (whose refreshes need it on time), the allowance from one that joins timers to
// display-driven refreshes; clocks that ask nothing are not listed. The slack the thread had
// before is given back once no clock is listed.
class TTimerSlack {
public:
    static void Allow(const void* clock, int64_t ns, bool listed)
    {
        static TTimerSlack slack;
        if (!slack.m_enabled) return;
        if (listed) slack.m_allowed[clock] = ns;
        else slack.m_allowed.erase(clock);
        slack.Apply();
    }

private:
    TTimerSlack()
    {
        m_enabled = qgetenv("TIRLINK_TIMER_SLACK") != "0";
#ifdef __linux__
        m_before = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
#else
        m_enabled = false;
#endif
    }
    void Apply()
    {
        int64_t ns = m_before;
        if (!m_allowed.empty()) {
            int64_t least = m_allowed.begin()->second;
            for (const auto& a : m_allowed) least = std::min(least, a.second);
            ns = std::max<int64_t>(least, m_before);
        }
        if (ns == m_applied) return;
        m_applied = ns;
#ifdef __linux__
        if (ns > 0) prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(ns), 0, 0, 0);
#endif
    }

    bool m_enabled = true;
    int64_t m_before = 0;
    int64_t m_applied = -1;
    std::map<const void*, int64_t> m_allowed;
};

// The Present clocks' own connection to the X server, read on the GUI thread when it has
// something: a refresh wakes the GUI thread once, not Qt's event reader first and the GUI
// thread after it, and Qt's connection carries none of this.
class TPresentEvents;

}  // namespace

int64_t TFrameClock::Now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

namespace {

class TClock final : public QObject, public TFrameClock {
public:
    TClock(QWidget* widget, TFrameEvent onFrame, TWanted wanted, int64_t period)
        : m_widget(widget), m_onFrame(std::move(onFrame)), m_wanted(wanted), m_period(period)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, [this] { TimerFrame(); });
        // The watch fires only after a silence: the events put it off again, so that a source
        // that keeps answering costs no wake-ups of its own (a watch that looked every 50 ms
        // was a seventh of the program's wake-ups at 60 Hz).
        m_watch.setSingleShot(true);
        connect(&m_watch, &QTimer::timeout, this, [this] { Watch(); });
        m_lastEvent = Now();
        m_nextTimerFrame = m_lastEvent;
        if (m_wanted == TWanted::wTimer || !Attach()) FallBack();
        if (m_wanted != TWanted::wTimer) ArmWatch(kStalledNs);
    }
    ~TClock() override;

    TFrameClockKind Kind() const override
    {
        if (m_fallen) return TFrameClockKind::fkTimer;
        return m_wanted == TWanted::wPresent ? TFrameClockKind::fkPresent : TFrameClockKind::fkFrameCallbacks;
    }
    int64_t RefreshPeriod() const override { return m_period; }
    void JoinTimers(int64_t UpToNs) override
    {
        m_join = std::max<int64_t>(UpToNs, 0);
        TellSlack();
    }

    void PresentEvent(const xcb_present_complete_notify_event_t* e);

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::UpdateRequest && o == m_window && m_wanted == TWanted::wFrameCallbacks) {
            const int64_t now = Now();
            // Where no frame callback is outstanding (nothing reached the compositor: a window
            // not shown yet, or hidden), Qt delivers the update request after a few
            // milliseconds of its own: that is no refresh of the display. The frame waits for
            // the rest of a refresh period, so that such a window is drawn at the refresh
            // rate, not at Qt's.
            if (now - m_lastCallbackFrame < m_period * 3 / 4) {
                m_timer.start(CeilMs(m_lastCallbackFrame + m_period - now));
                return false;
            }
            m_lastCallbackFrame = now;
            Heard(now);
            // A callback means the last frame reached the compositor: the next is shown a
            // refresh on.
            if (!Frame(now + m_period)) return false;
            if (!Drew()) m_timer.start(int(m_period / 1'000'000));
            else if (m_window) m_window->requestUpdate();
        }
        return false;
    }

private:
    // Ties the clock to the window's source; false where the window has no native window yet.
    bool Attach();
    void Detach();
    void FallBack()
    {
        if (m_fallen) return;
        m_fallen = true;
        TellSlack();
        m_nextTimerFrame = Now() + m_period;
        ArmTimer();
    }
    void TellSlack()
    {
        m_toldPeriod = m_period;
        TTimerSlack::Allow(this, m_fallen ? 0 : std::min(m_join, m_period), m_fallen || m_join > 0);
    }
    void Heard(int64_t now)
    {
        m_lastEvent = now;
        // Put off now and then rather than on every event: a timer started anew costs
        // something too, at every refresh.
        if (now - m_watchArmed > kStalledNs / 2) ArmWatch(kStalledNs);
        if (!m_fallen) return;
        m_fallen = false;
        TellSlack();
        m_timer.stop();
    }
    void ArmTimer()
    {
        m_timer.start(CeilMs(m_nextTimerFrame - Now()));
    }
    // Runs OnFrame; false when the clock is gone meanwhile.
    bool Frame(int64_t at)
    {
        QPointer<QObject> alive(this);
        bool drew = false;
        SafeCall(nullptr, [&] { drew = m_onFrame(at); });
        if (!alive) return false;
        m_drew = drew;
        return true;
    }
    bool Drew() const { return m_drew; }
    void TimerFrame()
    {
        if (!m_fallen) {
            // A frame callback source that waits a refresh after a frame that drew nothing.
            if (m_window && m_wanted == TWanted::wFrameCallbacks) m_window->requestUpdate();
            return;
        }
        const int64_t at = m_nextTimerFrame;
        if (!Frame(at)) return;
        if (!m_fallen) return;
        // The next refresh on the screen's period; after a stall, the next one from now.
        m_nextTimerFrame = std::max(at + m_period, Now());
        ArmTimer();
    }
    void ArmWatch(int64_t wait)
    {
        m_watchArmed = Now();
        m_watch.start(CeilMs(wait));
    }
    void Watch()
    {
        const int64_t silent = Now() - m_lastEvent;
        if (silent < kStalledNs) {
            ArmWatch(kStalledNs - silent);
            return;
        }
        FallBack();
        // Asked again: a window made meanwhile, shown again or given back its frame callbacks
        // answers, and takes over from the timer.
        Detach();
        Attach();
        m_lastEvent = Now();
        ArmWatch(kStalledNs);
    }

    QPointer<QWidget> m_widget;
    TFrameEvent m_onFrame;
    TWanted m_wanted;
    int64_t m_period;
    QTimer m_timer;
    QTimer m_watch;
    bool m_fallen = false;
    bool m_drew = true;
    int64_t m_join = 0;
    int64_t m_toldPeriod = 0;   // the period the slack was last told for
    int64_t m_lastEvent = 0;
    int64_t m_watchArmed = 0;
    int64_t m_nextTimerFrame = 0;
    // Present
    xcb_connection_t* m_conn = nullptr;
    uint32_t m_eid = 0;
    uint32_t m_xwindow = 0;
    uint32_t m_serial = 0;        // the last notification asked for
    uint32_t m_firstSerial = 0;   // the first of this attachment
    uint64_t m_askedTo = 0;       // the last refresh a notification is asked for
    uint64_t m_lastUst = 0, m_lastMsc = 0;
    // Frame callbacks
    QPointer<QWindow> m_window;
    int64_t m_lastCallbackFrame = 0;
};

class TPresentEvents final : public QObject {
public:
    // The connection, made at the first call; none where the server (the one DISPLAY names,
    // as for Qt) offers no Present extension, nor once the application object is gone.
    static TPresentEvents* Get()
    {
        static QPointer<TPresentEvents> events;
        static bool tried = false;
        if (!tried && QCoreApplication::instance()) {
            tried = true;
            auto* e = new TPresentEvents(QCoreApplication::instance());
            if (e->conn) events = e;
            else delete e;
        }
        return events.data();
    }
    xcb_connection_t* conn = nullptr;
    std::map<uint32_t, TClock*> clocks;

private:
    explicit TPresentEvents(QObject* parent) : QObject(parent)
    {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        const xcb_query_extension_reply_t* ext = xcb_connection_has_error(c) ? nullptr : xcb_get_extension_data(c, &xcb_present_id);
        if (!ext || !ext->present) {
            xcb_disconnect(c);
            return;
        }
        conn = c;
        m_opcode = ext->major_opcode;
        m_notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { Read(); });
    }
    ~TPresentEvents() override
    {
        if (conn) xcb_disconnect(conn);
    }
    void Read()
    {
        // One read of the socket; what it brought is then taken from xcb's queue.
        for (xcb_generic_event_t* ev = xcb_poll_for_event(conn); ev; ev = xcb_poll_for_queued_event(conn)) {
            const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> own(ev, &std::free);
            auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(ev);
            if ((ev->response_type & 0x7f) != XCB_GE_GENERIC || ge->extension != m_opcode ||
                ge->event_type != XCB_PRESENT_COMPLETE_NOTIFY)
                continue;
            auto* e = reinterpret_cast<xcb_present_complete_notify_event_t*>(ev);
            const auto it = clocks.find(e->event);
            // The clock may end itself in its frame: the next event is looked up afresh.
            if (it != clocks.end()) it->second->PresentEvent(e);
        }
        if (xcb_connection_has_error(conn)) m_notifier->setEnabled(false);
    }
    uint8_t m_opcode = 0;
    QSocketNotifier* m_notifier = nullptr;
};

TClock::~TClock()
{
    Detach();
    TTimerSlack::Allow(this, 0, false);
}

bool TClock::Attach()
{
    QWidget* top = m_widget ? m_widget->window() : nullptr;
    QWindow* native = top ? top->windowHandle() : nullptr;
    if (!native || !top->internalWinId()) return false;
    if (m_wanted == TWanted::wFrameCallbacks) {
        m_window = native;
        native->installEventFilter(this);
        native->requestUpdate();
        return true;
    }
    TPresentEvents* events = TPresentEvents::Get();
    if (!events) return false;
    m_conn = events->conn;
    m_xwindow = uint32_t(top->internalWinId());
    m_eid = xcb_generate_id(m_conn);
    xcb_present_select_input(m_conn, m_eid, m_xwindow, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
    events->clocks[m_eid] = this;
    // The first notification comes at once, with the current count (a window made anew may
    // count from 0 again); the refreshes after it are asked for as they are drawn.
    m_firstSerial = m_serial + 1;
    m_lastUst = m_lastMsc = m_askedTo = 0;
    xcb_present_notify_msc(m_conn, m_xwindow, ++m_serial, 0, 0, 0);
    xcb_flush(m_conn);
    return true;
}

void TClock::Detach()
{
    if (m_window) m_window->removeEventFilter(this);
    m_window = nullptr;
    TPresentEvents* events = m_eid ? TPresentEvents::Get() : nullptr;
    m_eid = events ? m_eid : 0;
    if (!m_eid) return;
    events->clocks.erase(m_eid);
    // Selecting no events frees the event context; a window already gone takes it with it.
    const xcb_void_cookie_t c = xcb_present_select_input_checked(m_conn, m_eid, m_xwindow, 0);
    xcb_discard_reply(m_conn, c.sequence);
    xcb_flush(m_conn);
    m_eid = 0;
}

void TClock::PresentEvent(const xcb_present_complete_notify_event_t* e)
{
    // Only this attachment's notifications (serials compared as distances, they wrap), and
    // one per refresh: those asked ahead that a stall let fall due together carry one count.
    if (e->kind != XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC ||
        uint32_t(e->serial - m_firstSerial) > uint32_t(m_serial - m_firstSerial) || (m_lastUst && e->msc <= m_lastMsc))
        return;
    Heard(Now());
    // The period from the counter and the time between two refreshes, once both moved.
    if (m_lastUst && e->msc > m_lastMsc && e->ust > m_lastUst) {
        const int64_t seen = int64_t(e->ust - m_lastUst) * 1000 / int64_t(e->msc - m_lastMsc);
        m_period = (3 * m_period + seen) / 4;
        // The screen's rate may not be the display clock's (Xvfb tells 60 whatever it runs at).
        if (std::abs(m_period - m_toldPeriod) > m_toldPeriod / 8) TellSlack();
    }
    m_lastUst = e->ust;
    m_lastMsc = e->msc;
    // What is drawn now is shown at the next refresh.
    if (!Frame(int64_t(e->ust) * 1000 + m_period) || !m_eid) return;
    // The next refreshes are asked for a few at a time, once the frame is drawn: a request
    // written to the X server wakes it, and at 144 Hz each such wake-up was a tenth of what a
    // frame cost this program (the server ran at once, before the frame was done with).
    if (m_askedTo >= e->msc + kAskedAtLeast) return;
    for (uint64_t msc = std::max(m_askedTo, e->msc) + 1; msc <= e->msc + kAskedAhead; ++msc)
        xcb_present_notify_msc(m_conn, m_xwindow, ++m_serial, msc, 0, 0);
    m_askedTo = e->msc + kAskedAhead;
    xcb_flush(m_conn);
}


}  // namespace

std::unique_ptr<TFrameClock> TFrameClock::Start(QWidget* Widget, TFrameEvent OnFrame)
{
    if (!Widget || !OnFrame || !qApp) return nullptr;
    const QByteArray forced = qgetenv("TIRLINK_FRAME_CLOCK");
    if (forced == "none") return nullptr;
    QScreen* screen = Widget->screen() ? Widget->screen() : QGuiApplication::primaryScreen();
    const qreal rate = screen ? screen->refreshRate() : 0;
    if (!(rate > 1 && std::isfinite(rate))) return nullptr;
    const auto period = int64_t(std::llround(1e9 / rate));
    TWanted wanted = TWanted::wTimer;
    if (forced != "timer") {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("xcb") && TPresentEvents::Get()) wanted = TWanted::wPresent;
        else if (platform.startsWith(QLatin1String("wayland"))) wanted = TWanted::wFrameCallbacks;
    }
    return std::make_unique<TClock>(Widget, std::move(OnFrame), wanted, period);
}
