// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed, so no program of its own comes to depend on it.
// The direct copy: what a windowless control draws outside a paint cycle goes from its surface
// straight into its window's backing store and is flushed at once, without Qt's paint event,
// painter and region walk, which cost a ticker more than its frame.
//
// Invariant: the window system gets exactly the pixels a repaint of the same area would give
// it. Wherever that cannot be proven before anything is drawn, the control takes the repaint.
// The reasons are listed in one place, DirectCopyRefusal (controls.cpp):
//   - switched off (TIRLINK_NO_DIRECT_COPY set to anything but 0, or by a test);
//   - no window, not exposed, not a raster surface, an alpha channel, a backing store that is
//     not a plain opaque 32-bit image at the surface's scale;
//   - the control hidden or its updates disabled;
//   - a mask or a graphics effect on the control, on any of its parents or on the window;
//   - a native window between the control and its top-level window (the copy would reach the
//     window that the native one covers);
//   - the area cut off by a parent;
//   - any visible widget over the area: a child of the control's, a sibling stacked above it or
//     above one of its parents, opaque or see-through, and a native sibling in any order (a
//     native window is shown above its parent's own pixels).
#pragma once

// Whether the direct copy may be taken at all. Read from TIRLINK_NO_DIRECT_COPY once; a test's
// twin is forced onto the repaint by switching it off around its drawing.
bool DirectCopyEnabled();
void SetDirectCopyEnabled(bool enabled);
