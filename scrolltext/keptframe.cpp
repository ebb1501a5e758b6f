// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
#include "scrolltext/keptframe.h"

#include "platform/pixelrows.h"

#include <array>

namespace {
// The parts of a that lie outside b: up to four bands, above, below, left and right of b
// (some of them empty). Worked out on every tick, so kept off the heap.
std::array<TRect, 4> Outside(const TRect& a, const TRect& b)
{
    TRect in;
    if (!IntersectRect(in, a, b)) return {a, TRect(), TRect(), TRect()};
    return {TRect(a.Left, a.Top, a.Right, in.Top), TRect(a.Left, in.Bottom, a.Right, a.Bottom),
            TRect(a.Left, in.Top, in.Left, in.Bottom), TRect(in.Right, in.Top, a.Right, in.Bottom)};
}
} // namespace

bool TFxKeptFrame::CanKeep(const TFxFrameRequest& Request) const
{
    return Request.keepable && !Request.nested && m_valid && !m_wholeDue && m_work && Request.key == m_key &&
           m_surfaceSeen == Request.surfaceGeneration;
}

TFxFrameStart TFxKeptFrame::Begin(TFxFrameRequest Request)
{
    const int32_t w = Request.key.innerWidth, h = Request.key.innerHeight;
    const qreal k = Request.key.ratio;
    const QSize size = DeviceSizeCovering(w, h, k);
    TFxFrameStart frame;
    constexpr int m = FractionalScaleMargin;
    frame.reachable = IsWholeScale(k) ? TRect(0, 0, w, h) : TRect(0, 0, w + m, h + m);
    const bool keep = CanKeep(Request);
    const TPoint from = m_origin;
    if (Request.nested) {
        // The kept image is in use by the frame under way: this one is composed in an image of
        // its own, and the next one is whole.
        Forget();
        frame.own = std::make_unique<TBitmap>();
        frame.work = frame.own.get();
    } else {
        // A frame cut short by an exception is not built on.
        m_valid = false;
        m_wholeDue = false;
        if (!keep) m_work = std::make_unique<TBitmap>();
        frame.work = m_work.get();
        m_key = std::move(Request.key);
        m_origin = Request.origin;
    }
    if (!keep) {
        frame.work->SetPixelFormat(Request.format);
        frame.work->SetDevicePixelRatio(k);
        if (Request.paper) frame.work->AllocateUnfilled(size.width(), size.height());
        else frame.work->SetSize(size.width(), size.height());
        return frame;
    }
    // What the kept image is, as the last whole frame made it: of this frame's key (its size and
    // scale among it), 24-bit pixels (none at all for an empty view), with the text inside the
    // frame's reach.
    TCanvas* wc = m_work->Canvas();
    wc->ReleaseHandle();
    const QImage& img = *wc->Target();
    Q_ASSERT(Request.paper && Request.format == TPixelFormat::pf24bit && m_work->PixelFormat() == Request.format);
    Q_ASSERT(size.isEmpty() ? img.isNull()
                            : img.format() == QImage::Format_BGR888 && img.devicePixelRatio() == k && img.size() == size);
    Q_ASSERT(m_drawn.IsEmpty() || UnionRect(m_drawn, frame.reachable) == frame.reachable);
    if (IsWholeScale(k) || Request.onGrid) {
        frame.way = IsWholeScale(k) ? TFxFrameWay::fwMove : TFxFrameWay::fwMoveOnGrid;
        frame.band = Move(from, Request.origin, frame.reachable, *Request.paper);
    } else {
        frame.way = TFxFrameWay::fwRefill;
        Refill(*Request.paper);
    }
    return frame;
}

TRect TFxKeptFrame::Move(TPoint From, TPoint To, const TRect& Reachable, TColor Paper)
{
    QImage& img = *m_work->Canvas()->Target();
    const qreal k = img.devicePixelRatio();
    // Each origin's device pixel, rounded as the text grid rounds it (at a whole scale, exactly
    // the logical shift times the scale).
    const QPoint d(NearestPixel(k * To.X) - NearestPixel(k * From.X), NearestPixel(k * To.Y) - NearestPixel(k * From.Y));
    m_before = m_drawn;
    const QRect all = img.rect();
    const QRect covered = DeviceRectCovering(img, ToQRect(m_drawn)) & all;
    const QRect moved = covered.translated(d) & all;
    if (!moved.isEmpty() && !d.isNull()) MovePixels(img, moved, moved.translated(-d));
    // What the text covered and left shows the background again.
    for (const TRect& r : Outside(FromQRect(covered), FromQRect(moved)))
        if (!r.IsEmpty()) FillBgr24(img, ToQRect(r), Paper);
    // The device pixels whose source lay outside the image, and the logical band over them,
    // filled as far as the text drawn in it reaches (its device pixels by the same rounding).
    // The block moves along one axis, so that band lies along one edge.
    TRect entering, band;
    for (const TRect& r : Outside(FromQRect(all), FromQRect(all.translated(d)))) entering = UnionRect(entering, r);
    if (!entering.IsEmpty()) {
        IntersectRect(band, FromQRect(LogicalRectCovering(img, ToQRect(entering))), Reachable);
        FillBgr24(img, DeviceRectRounded(img, ToQRect(band)) & all, Paper);
    }
    m_drawn = moved.isEmpty() ? TRect() : FromQRect(LogicalRectCovering(img, moved));
    return band;
}

void TFxKeptFrame::Refill(TColor Paper)
{
    m_before = m_drawn;
    // Rounded outwards: the device pixels that a logical edge of the text cuts are filled too.
    QImage& img = *m_work->Canvas()->Target();
    if (!m_drawn.IsEmpty()) FillBgr24(img, DeviceRectCovering(img, ToQRect(m_drawn)) & img.rect(), Paper);
    m_drawn = TRect();
}

TRect TFxKeptFrame::Finish(const TFxFrameStart& Frame, const TRect& Drawn)
{
    if (Frame.own) return Frame.reachable;
    TRect now;
    IntersectRect(now, Drawn, Frame.reachable);
    TRect changed = Frame.reachable;
    if (Frame.way != TFxFrameWay::fwWhole) {
        // The moved part, what was drawn now, and what the text covered before.
        now = UnionRect(m_drawn, now);
        changed = UnionRect(m_before, now);
    }
    m_drawn = now;
    return changed;
}

void TFxKeptFrame::KeepSegments(std::vector<TFxDrawnSegment> Segments, int Depth)
{
    m_segments = std::move(Segments);
    m_reach = TRect();
    for (const TFxDrawnSegment& d : m_segments)
        m_reach = UnionRect(m_reach, TRect(d.r.Left, d.r.Top, d.r.Right + Depth, d.r.Bottom + Depth));
}

bool TFxKeptFrame::Misses(const TRect& Band, TPoint Corner, bool OnGrid) const
{
    const int m = OnGrid ? FractionalScaleMargin : 0;
    TRect reach(m_reach.Left - m, m_reach.Top - m, m_reach.Right + m, m_reach.Bottom + m), meets;
    return !IntersectRect(meets, Band, reach.Offset(Corner.X, Corner.Y));
}
