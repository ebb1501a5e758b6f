// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed, so no program of its own comes to depend on it.
// The hooks through which the tests watch a high-resolution timer's running tick sources.
#pragma once

#include "foundation/fxtimer.h"

struct TFoundationHooks {
    // The hidden window a timer in message mode ticks through (0 = none).
    static HWND Handle(const TFxHiTimer& Timer) { return Timer.m_window; }
    // The multimedia timer event behind it (0 = none).
    static uint32_t TimerID(const TFxHiTimer& Timer) { return Timer.m_timerId; }
    // Whether a worker thread runs for the timer.
    static bool HasWorker(const TFxHiTimer& Timer) { return Timer.HasWorker(); }
};
