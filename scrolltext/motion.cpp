// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
#include "scrolltext/motion.h"

#include <algorithm>
#include <cmath>

namespace {
// Ticks needed before the line's slope is fitted rather than taken from the nominal period.
constexpr int64_t kFitFrom = 8;
// A tick further off the line than this many periods starts the line again.
constexpr double kOffLine = 3.0;
// Room left for a tick that comes late, in ticks, besides one tick and one refresh.
constexpr double kSlack = 0.75;
}  // namespace

void TFxMotion::Start(int64_t Now, int32_t Step, int64_t Period)
{
    m_nominal = m_period = double(std::max<int64_t>(Period, 1));
    m_first = m_last = 0;
    m_times[0] = Now;
    m_runs.assign(1, Run{0, double(Step), 1.0});
    m_shown = 0;
    m_origin = double(Now);
}

void TFxMotion::Tick(int64_t Now, int32_t Step)
{
    const int64_t n = m_last + 1;
    const double due = m_origin + double(n) * m_period;
    if (std::abs(double(Now) - due) > kOffLine * m_period) {
        // Off the line: the timer stalled or caught up. The line starts again here, at the
        // pace it had.
        m_first = n;
        m_origin = double(Now) - double(n) * m_period;
    }
    m_last = n;
    m_times[size_t(n % kHistory)] = Now;
    const Run& r = m_runs.back();
    if (double(Step) != r.step + r.slope * double(n - r.index)) Snap(Step);
    Fit();
}

void TFxMotion::Snap(int32_t Step)
{
    // A run that begins where one began already replaces it.
    while (m_runs.size() > 1 && m_runs.back().index >= m_last) m_runs.pop_back();
    if (m_runs.back().index >= m_last) m_runs.back() = Run{m_last, double(Step), 1.0};
    else m_runs.push_back(Run{m_last, double(Step), 1.0});
}

void TFxMotion::Mirror(int32_t Steps)
{
    for (Run& r : m_runs) {
        r.step = double(Steps) - r.step;
        r.slope = -r.slope;
    }
}

void TFxMotion::Fit()
{
    const int64_t from = std::max(m_first, m_last - kHistory + 1);
    const int64_t count = m_last - from + 1;
    // Times relative to the newest tick, so that the sums stay small.
    const double t0 = double(m_times[size_t(m_last % kHistory)]);
    double sn = 0, st = 0;
    for (int64_t n = from; n <= m_last; ++n) {
        sn += double(n - m_last);
        st += double(m_times[size_t(n % kHistory)]) - t0;
    }
    const double mn = sn / double(count), mt = st / double(count);
    m_period = m_nominal;
    if (count >= kFitFrom) {
        double snn = 0, snt = 0;
        for (int64_t n = from; n <= m_last; ++n) {
            const double dn = double(n - m_last) - mn;
            snn += dn * dn;
            snt += dn * (double(m_times[size_t(n % kHistory)]) - t0 - mt);
        }
        // A fit that makes no sense (ticks bunched by a busy machine) keeps the nominal pace.
        const double fitted = snt / snn;
        if (fitted > 0.5 * m_nominal && fitted < 2.0 * m_nominal) m_period = fitted;
    }
    // The line through the mean point with that slope, as index 0's time.
    m_origin = t0 + mt - (mn + double(m_last)) * m_period;
}

double TFxMotion::Lag(int64_t Refresh) const
{
    // The tick shown last is at most one tick old; the refresh is shown up to a refresh after
    // it is drawn; and a tick may come late.
    return 1.0 + double(Refresh) / m_period + kSlack;
}

double TFxMotion::At(int64_t T, int64_t Refresh)
{
    const double line = (double(T) - m_origin) / m_period - Lag(Refresh);
    m_shown = std::clamp(line, m_shown, std::max(m_shown, double(m_last)));
    // Runs the view has passed are done with.
    while (m_runs.size() > 1 && double(m_runs[1].index) <= m_shown) m_runs.erase(m_runs.begin());
    const Run& r = m_runs.front();
    return r.step + r.slope * std::max(0.0, m_shown - double(r.index));
}
