// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed, so no program of its own comes to depend on it.
// The hooks through which the tests watch a high-resolution timer's running tick sources and
// reach a timer pool's hidden window.
#pragma once

#include "foundation/fxclass.h"
#include "foundation/fxtimer.h"

struct TFoundationHooks {
    // The hidden window a timer in message mode ticks through (0 = none).
    static HWND Handle(const TFxHiTimer& Timer) { return Timer.m_window; }
    // The multimedia timer event behind it (0 = none).
    static uint32_t TimerID(const TFxHiTimer& Timer) { return Timer.m_timerId; }
    // Whether a worker thread runs for the timer.
    static bool HasWorker(const TFxHiTimer& Timer) { return Timer.HasWorker(); }
    // The hidden window a timer pool's shared timer ticks through (0 until it first starts).
    static HWND Handle(const TFxTimerPool& Pool) { return Pool.m_window; }
};
