// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Small types of the component library that several units share: how a control gets its
// ticks, and the interval type of the timers.
#pragma once

#include <cstdint>

// How a library control gets its ticks: through TFxTimer (an own window timer, or an entry
// in the application-wide pool) or through TFxHiTimer (a multimedia timer with a hidden
// window, or a worker thread).
enum class TFxTimerMode { tmNormal, tmGlobalTimer, tmHiTimer, tmThreaded };

// Timer interval in milliseconds, 1 to 65535.
using TFxTimerInterval = uint16_t;
