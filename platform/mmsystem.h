// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Multimedia timers and SleepEx.
//
// Each event set with timeSetEvent runs on a thread of its own that sleeps to absolute
// deadlines (one period after the previous deadline, so lateness does not add up) and calls
// the callback there. timeKillEvent wakes the thread at once (a sleeping event thread is never
// waited for until its deadline) and waits for it to end: once it returns, the
// callback of that event is not running and will not run again (called from inside the
// callback itself, it only stops the event). Timer resolution requests are counted but change
// nothing: the Linux timers already have millisecond granularity.
#pragma once

#include <cstdint>

using MMRESULT = uint32_t;

constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT TIMERR_NOCANDO = 97;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;

constexpr uint32_t TIME_ONESHOT = 0;
constexpr uint32_t TIME_PERIODIC = 1;

// At most this many events exist at once; timeSetEvent fails beyond it.
constexpr int MaxTimerEvents = 64;

struct TIMECAPS {
    uint32_t wPeriodMin;
    uint32_t wPeriodMax;
};

using LPTIMECALLBACK = void (*)(uint32_t uTimerID, uint32_t uMsg, uintptr_t dwUser, uintptr_t dw1, uintptr_t dw2);

// Minimum 1 ms, maximum 1,000,000 ms. cbtc must be sizeof(TIMECAPS).
MMRESULT timeGetDevCaps(TIMECAPS* ptc, uint32_t cbtc);
// Periods outside the capabilities give TIMERR_NOCANDO; others are counted.
MMRESULT timeBeginPeriod(uint32_t uPeriod);
MMRESULT timeEndPeriod(uint32_t uPeriod);
// Number of timeBeginPeriod calls not yet paired with timeEndPeriod.
int TimePeriodRequests();

// Calls lpTimeProc(id, 0, dwUser, 0, 0) after uDelay ms, and then every uDelay ms for
// TIME_PERIODIC. Returns the event's identifier (never 0, never reused), or 0 when uDelay is
// outside the capabilities, no callback is given or too many events exist.
uint32_t timeSetEvent(uint32_t uDelay, uint32_t uResolution, LPTIMECALLBACK lpTimeProc, uintptr_t dwUser, uint32_t fuEvent);
MMRESULT timeKillEvent(uint32_t uTimerID);

// Sleeps dwMilliseconds (0 only yields); returns 0. Nothing on Linux can wake it early.
uint32_t SleepEx(uint32_t dwMilliseconds, bool bAlertable);
