// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library, shared with the layers above: not installed, so no program of its
// own comes to depend on it.
// The pixel-row kernels under the canvas's fast 24-bit paths: a solid fill, rows of 24-bit BGR
// pixels widened to 32-bit opaque pixels (portable and SSSE3 versions, the best one picked
// once per process), the way back from 32 to 24 bits, and the plain block copy built on them.
//
// All of them take rows and rectangles that already lie inside their images; none of them
// clips. Rows are walked with bytesPerLine(), never width * 3.
#pragma once

#include "platform/types.h"

#include <QImage>
#include <QPointF>
#include <QtMath>

#include <cmath>

// An image's extent in the logical coordinates a canvas draws in: its size in device pixels
// divided by its device pixel ratio (the same numbers at ratio 1).
QRect LogicalBounds(const QImage& img);

// The logical-to-device conversions say in their names how they round, as Qt's QRectF::toRect
// and toAlignedRect do. At a whole ratio they agree; at a fractional one a logical edge falls
// inside a device pixel.
//
// A point in device coordinates as the nearest device pixel corner, each coordinate rounded half
// away from zero (qRound), which is how Qt rounds the edges of a scaled clip. Every logical
// corner that must meet what Qt draws is rounded here: the edges of DeviceRectRounded, a
// widget's surface placed in its window, a block of pixels shifted by a logical offset.
inline QPoint DeviceCornerRounded(QPointF device) { return QPoint(qRound(device.x()), qRound(device.y())); }
// A rectangle in logical coordinates as device pixels of img, each edge rounded to the nearest
// device pixel edge (DeviceCornerRounded): the pixels Qt's clip of the rectangle holds.
QRect DeviceRectRounded(const QImage& img, const QRect& r);
// The smallest rectangle of device pixels of img that covers a logical rectangle: also the
// pixels that its edges only cut at a fractional ratio.
QRect DeviceRectCovering(const QImage& img, const QRect& r);
// A logical size as the device pixels that cover it at ratio k, each side rounded up: the
// size of an image that holds a logical area's device pixels (a surface, a work image).
inline QSize DeviceSizeCovering(int w, int h, qreal k) { return QSize(qCeil(w * k), qCeil(h * k)); }
// The smallest logical rectangle that covers the given device pixels of img.
QRect LogicalRectCovering(const QImage& img, const QRect& device);
// The device pixel nearest to a device coordinate, halves rounded up on both sides of zero, so
// that a shift by whole pixels moves the result by exactly as many (qRound takes -0.5 away from
// zero). The canvas's text grid, and what moves text drawn on it, round this way.
inline int NearestPixel(qreal device) { return int(std::floor(device + 0.5)); }

// Whether a device pixel ratio is whole: every logical pixel then covers a block of whole device
// pixels, and the edges of a logical rectangle fall on device pixel edges.
inline bool IsWholeScale(qreal k) { return k == std::floor(k); }
// At a fractional ratio the device pixels drawn for a logical rectangle may reach past those
// its edges round to, by at most one pixel on each side: an area repainted, flushed or copied
// for such a rectangle grows by this margin, in whatever pixels the area is given.
constexpr int FractionalScaleMargin = 1;
inline QRect WithFractionalScaleMargin(const QRect& r)
{
    constexpr int m = FractionalScaleMargin;
    return r.adjusted(-m, -m, m, m);
}

// A solid fill of r (inside the image; empty does nothing) of a 24-bit BGR image.
void FillBgr24(QImage& img, const QRect& r, TColor color);

// w pixels of 24-bit BGR (blue, green, red bytes) as 32-bit 0xFFRRGGBB pixels. The portable
// version and the SSSE3 one give the same pixels; the SSSE3 one reads at most w * 3 bytes.
void Bgr24ToRgb32Row(const uchar* in, quint32* out, int w);
#if defined(__GNUC__) && defined(__x86_64__)
#define TIRLINK_HAVE_SSSE3_ROWS 1
void Bgr24ToRgb32RowSsse3(const uchar* in, quint32* out, int w);
#endif
// The fastest of the two that this processor runs.
void Bgr24ToRgb32Line(const uchar* in, quint32* out, int w);

// w 32-bit pixels written back as 24-bit BGR; the top byte (alpha) is dropped.
void Rgb32ToBgr24Row(const quint32* in, uchar* out, int w);

// A plain unstretched copy of 24-bit pixels onto a 24- or 32-bit image, row by row. Qt's
// raster engine has no fast path from its 24-bit BGR format and converts every pixel through
// a generic fetch-and-store; a ticker copies a whole frame this way on every tick. Returns
// false (nothing copied) when the images do not fit this case. The rectangles must have the
// same size and lie inside their images. With changed, pixels already equal are left alone on a
// 32-bit target and changed gets the bounding rectangle of those that differed (empty when none
// did), so that only that part need go to the screen.
bool CopyPixels24(QImage& to, const QRect& dest, const QImage& from, const QRect& src, QRect* changed = nullptr);

// Moves the pixels of from (a rectangle of the same size as to) onto to within one image of 8
// bits or more per pixel, as if read whole before any is written: the rectangles may overlap.
// Both must lie inside the image.
void MovePixels(QImage& img, const QRect& to, const QRect& from);
