// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFrameClock: the refreshes of the display a window is shown on, for a view that moves and
// wants to draw once per refresh, where the motion puts it at the time the refresh is shown.
//
// Sources, the first that works:
//   - X11 and XWayland: the Present extension's MSC notifications on the window (real vertical
//     blank on Xorg, the compositor's pace on XWayland, a fake clock on Xvfb -fakescreenfps N);
//   - native Wayland: the compositor's frame callbacks (QWindow::requestUpdate);
//   - otherwise, and whenever the source above stops for about 100 ms (a hidden window, a
//     compositor that holds back frame callbacks, a window not yet made): a timer at the
//     screen's refresh rate. The source above is asked again meanwhile and takes over when it
//     answers.
// Where not even the refresh rate is known, Start gives no clock, and the caller draws as it
// did without one. TIRLINK_FRAME_CLOCK=timer in the environment forces the timer, =none no
// clock at all (for tests and for users who meet a fault in a source).
//
// Threads: GUI thread only. OnFrame runs there, from the event loop; it may destroy the clock.
// Once the clock is destroyed no OnFrame runs any more.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

enum class TFrameClockKind { fkPresent, fkFrameCallbacks, fkTimer };

class TFrameClock {
public:
    // PresentationNs: when the refresh that shows what is drawn now reaches the screen, on
    // the monotonic clock (TFrameClock::Now). Returns whether anything was drawn (a frame
    // callback comes only after a drawn frame: without one the clock waits a refresh itself).
    using TFrameEvent = std::function<bool(int64_t PresentationNs)>;

    // The clock of Widget's top-level window, or none where the refresh rate is unknown.
    static std::unique_ptr<TFrameClock> Start(QWidget* Widget, TFrameEvent OnFrame);
    // The monotonic clock the presentation times are given on, in nanoseconds.
    static int64_t Now();

    virtual ~TFrameClock() = default;
    // The source driving the frames now (fkTimer while fallen back).
    virtual TFrameClockKind Kind() const = 0;
    // The time between refreshes, as last seen or as the screen tells it, in nanoseconds.
    virtual int64_t RefreshPeriod() const = 0;
    // While the refreshes come from the display (not while fallen back to the timer), the GUI
    // thread's timers may run up to UpToNs late (at most a refresh period), so that a timer
    // falling due shortly before a refresh runs in that refresh's wake-up instead of waking the
    // thread on its own: a view that steps on a timer of its own and draws on the refreshes
    // then wakes once per refresh, not twice. UpToNs below the timer's period keeps a repeating
    // timer's pace (it is never a whole period late). On Linux this is the thread's timer
    // slack; elsewhere, and with TIRLINK_TIMER_SLACK=0, timers stay on time. With several
    // clocks the smallest allowance holds, and none while any of them has fallen back to the
    // timer. 0, the default, asks for nothing.
    virtual void JoinTimers(int64_t UpToNs) = 0;

protected:
    TFrameClock() = default;
};
