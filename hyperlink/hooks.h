// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed, so no program of its own comes to depend on it.
// The hooks through which the tests look into a double-buffered link control: its off-screen
// image, its background cache, and whether its next paint captures the background afresh.
#pragma once

#include "hyperlink/lkcontrols.h"

struct THyperlinkHooks {
    static const TBitmap* OffscreenImage(const TLkGraphicImageControl& Control) { return Control.m_image.get(); }
    static const TBitmap* BackgroundCache(const TLkGraphicImageControl& Control) { return Control.m_background.get(); }
    // Whether the next ClearBitmapCanvas captures the parent's background afresh.
    static bool CaptureNext(const TLkGraphicImageControl& Control) { return Control.m_capture; }
};
