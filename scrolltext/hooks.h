// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed, so no program of its own comes to depend on it.
// The hooks through which the tests and the benchmarks watch a scroll text's state from frame
// to frame, and switch its kept frames off.
#pragma once

#include "scrolltext/fxscrolltext.h"

struct TScrollTextHooks {
    static int32_t StepCounter(const TFxScrollText& T) { return T.m_step; }
    // The text block's top-left corner in the last frame.
    static TPoint Origin(const TFxScrollText& T) { return T.m_origin; }
    static int32_t InnerWidth(const TFxScrollText& T) { return T.m_innerWidth; }
    static int32_t InnerHeight(const TFxScrollText& T) { return T.m_innerHeight; }
    static int32_t CenterOffset(const TFxScrollText& T) { return T.m_centerOffset; }
    static bool BackgroundStale(const TFxScrollText& T) { return T.m_backStale; }
    static const TBitmap* Snapshot(const TFxScrollText& T) { return T.m_snapshot.get(); }
    static TFxTimer* PoolTimer(const TFxScrollText& T) { return T.m_poolTimer.get(); }
    static TFxHiTimer* HiTimer(const TFxScrollText& T) { return T.m_hiTimer; }
    // With false every frame is composed whole: the plain path that kept frames must equal.
    static void SetKeepFrames(TFxScrollText& T, bool Keep) { T.m_keepFrames = Keep; }
    // The step the last frame showed (between two steps while following the display).
    static double ShownStep(const TFxScrollText& T) { return T.ShownStep(); }
    // Times ticks and refreshes on Now instead of the display's clock, so that a test drives
    // the refreshes (DisplayFrame) with synthetic times.
    static void SetMotionClock(TFxScrollText& T, std::function<int64_t()> Now) { T.SetMotionClock(std::move(Now)); }
};
