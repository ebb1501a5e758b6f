// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
// Internal to the library: not installed, so no program of its own comes to depend on it.
// TFxMotion: where a text that moves one step per timer tick stands at a display refresh, so
// that a view drawing once per refresh moves it the same distance on every refresh.
//
// The ticks make a line in time: tick n is due at Origin + n * Period, fitted to the ticks seen
// lately (a least-squares line over the last 64), so that the jitter of single ticks averages
// out while the line keeps the timer's own pace. A refresh shown at time T shows the tick index
// the line gives for T less a fixed lag (Lag), which leaves room for the next tick to come late.
// The model's path is a list of runs: from tick index n on, the step is a + b * (k - n) (b is 1,
// or -1 for a run seen from the other direction after a Reverse); the step shown is the path's
// at that fractional index.
//
// Invariant: the index shown is never beyond the last tick's (the view never runs ahead of its
// model) and never goes back. A wrap or a Reverse starts a new run at the tick it happened on:
// the view shows the old run up to that index and the new one from there, without anything
// interpolated across (so a pass is shown to its end, and a Reverse turns the text where the
// model turned it). A start begins a new path: the view shows the start's step, held until
// the line reaches it, and steady motion from there. A tick far off the line (a stall of the
// timer, a busy machine) starts the line again from that tick.
//
// Plain arithmetic, no clock of its own: the caller gives every time (nanoseconds on one clock).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

class TFxMotion {
public:
    // A new path: Step shown from tick time Now on. Period: the ticks' nominal period, used
    // until enough ticks were seen to fit the line.
    void Start(int64_t Now, int32_t Step, int64_t Period);
    // The model's step counter advanced by one, to Step, at time Now (a step off the run is a
    // jump, as by Snap).
    void Tick(int64_t Now, int32_t Step);
    // The model's step was set to Step at the last tick's index (a wrap): a new run from there.
    void Snap(int32_t Step);
    // The model turned: every step counter value s became Steps - s. The runs are seen from
    // the other direction; Snap follows with the new step.
    void Mirror(int32_t Steps);
    // The step to show on a refresh presented at time T, with Refresh the time between two
    // refreshes (the lag covers one of them as well).
    double At(int64_t T, int64_t Refresh);
    // Whether the last At reached the last tick's index (the view shows all the model did).
    bool ShowsLastTick() const { return m_shown >= double(m_last); }

    // For tests and diagnostics: the fitted period, in nanoseconds, and how far behind the
    // line the view lags, in ticks.
    double Period() const { return m_period; }
    double Lag(int64_t Refresh) const;

private:
    struct Run {
        int64_t index;
        double step;
        double slope;
    };
    void Fit();

    static constexpr int kHistory = 64;
    std::array<int64_t, kHistory> m_times{};   // tick n's time lies at m_times[n % kHistory]
    int64_t m_first = 0;                       // the first tick index of the line
    int64_t m_last = 0;                        // the last tick's index
    std::vector<Run> m_runs{Run{0, 0, 1}};     // by index; the first is the one shown now
    double m_shown = 0;                        // the index shown last
    double m_origin = 0;                       // the line: index n due at m_origin + n * m_period
    double m_period = 16e6;
    double m_nominal = 16e6;
};
