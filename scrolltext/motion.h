// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
// Internal to the library: not installed, so no program of its own comes to depend on it.
// TFxMotion: where a text that moves one step per timer tick stands at a display refresh, so
// that a view drawing once per refresh moves it the same distance on every refresh.
//
// The ticks make a line in time: tick n is due at Origin + n * Period, fitted to the ticks seen
// lately (a least-squares line over the last 64), so that the jitter of single ticks averages
// out while the line keeps the timer's own pace. A refresh shown at time T shows the tick index
// the line gives for T less a fixed lag (Lag), which leaves room for the next tick to come late;
// the step shown is the step of that fractional index.
//
// Invariant: the step shown is never beyond the step of the last tick (the view never runs
// ahead of its model), never before the step of the last snap, and never goes back between two
// snaps. A snap (a start, a wrap, Reverse, a change that re-measures) begins a new run of steps
// at the model's step: from then on the view shows that step, held until the line reaches it,
// and steady motion from there; nothing is interpolated across it. A tick far off the line (a
// stall of the timer, a busy machine) starts the line again from that tick.
//
// Plain arithmetic, no clock of its own: the caller gives every time (nanoseconds on one clock).
#pragma once

#include <array>
#include <cstdint>

class TFxMotion {
public:
    // Period: the ticks' nominal period, used until enough ticks were seen to fit the line.
    // Starts the line afresh at tick time Now, showing Step.
    void Start(int64_t Now, int32_t Step, int64_t Period);
    // The model's step counter advanced by one, to Step, at time Now.
    void Tick(int64_t Now, int32_t Step);
    // The model's step was set to Step (not by a tick): a new run of steps from there.
    void Snap(int32_t Step);
    // The step to show on a refresh presented at time T, with Refresh the time between two
    // refreshes (the lag covers one of them as well).
    double At(int64_t T, int64_t Refresh);

    // For tests and diagnostics: the fitted period and how far behind the line the view lags,
    // in ticks.
    double Period() const { return m_period; }
    double Lag(int64_t Refresh) const;

private:
    void Fit();

    static constexpr int kHistory = 64;
    std::array<int64_t, kHistory> m_times{};   // tick n's time lies at m_times[n % kHistory]
    int64_t m_first = 0;                       // the first tick index of the line
    int64_t m_last = 0;                        // the last tick's index
    int64_t m_snapIndex = 0;                   // the tick index of the last snap
    int32_t m_snapStep = 0;                    // the model's step then
    double m_shown = 0;                        // the last index shown since the snap
    double m_origin = 0;                       // the line: index n due at m_origin + n * m_period
    double m_period = 16e6;
    double m_nominal = 16e6;
};
