// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The monotonic clock of the outside viewers, in nanoseconds, and a sleep to a moment on it.
#pragma once

#include <cstdint>
#include <ctime>

inline int64_t NowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

inline void SleepUntil(int64_t ns)
{
    timespec ts{time_t(ns / 1000000000), long(ns % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
    }
}
