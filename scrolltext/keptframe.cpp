// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
#include "scrolltext/keptframe.h"

#include "platform/pixelrows.h"

#include <array>

bool TFxBlockKey::operator==(const TFxBlockKey& o) const
{
    return measured == o.measured && font == o.font && color == o.color && enabled == o.enabled &&
           alignment == o.alignment && mode == o.mode && horizontal == o.horizontal && innerWidth == o.innerWidth &&
           innerHeight == o.innerHeight && ratio == o.ratio && inView == o.inView && lines == o.lines;
}

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

bool TFxKeptFrame::CanKeep(bool Keepable, const TFxBlockKey& Key, uint64_t SurfaceGeneration) const
{
    return Keepable && m_valid && !m_wholeDue && m_work && Key == m_key && m_surfaceSeen == SurfaceGeneration;
}

TBitmap* TFxKeptFrame::Begin(bool Keep)
{
    // A frame cut short by an exception is not built on.
    m_valid = false;
    m_wholeDue = false;
    if (!Keep || !m_work) m_work = std::make_unique<TBitmap>();
    return m_work.get();
}

TRect TFxKeptFrame::Move(TPoint Origin, const TRect& View)
{
    // The block moves along one axis, so what comes into view is one band along one edge.
    const TPoint d(Origin.X - m_origin.X, Origin.Y - m_origin.Y);
    TCanvas* wc = m_work->Canvas();
    m_before = m_drawn;
    TRect moved, from = m_drawn;
    if (IntersectRect(moved, from.Offset(d.X, d.Y), View) && (d.X != 0 || d.Y != 0)) {
        TRect source = moved;
        wc->CopyRect(moved, wc, source.Offset(-d.X, -d.Y));
    }
    TRect band, seen = View;
    for (const TRect& r : Outside(View, seen.Offset(d.X, d.Y))) band = UnionRect(band, r);
    // What the text covered and left, and the band, show the background again; so does a
    // part of the moved area whose source lay outside the image (it lies in the band).
    for (const TRect& r : Outside(m_drawn, moved))
        if (!r.IsEmpty()) wc->FillRect(r);
    if (!band.IsEmpty()) wc->FillRect(band);
    IntersectRect(m_drawn, moved, View);
    return band;
}

TRect TFxKeptFrame::MoveOnGrid(TPoint Origin, const TRect& View)
{
    TCanvas* wc = m_work->Canvas();
    wc->ReleaseHandle();
    QImage& img = *wc->Target();
    const qreal k = img.devicePixelRatio();
    // Each origin's device pixel, rounded as the text grid rounds it.
    const QPoint d(NearestPixel(k * Origin.X) - NearestPixel(k * m_origin.X),
                   NearestPixel(k * Origin.Y) - NearestPixel(k * m_origin.Y));
    const TColor paper = wc->Brush()->Color();
    m_before = m_drawn;
    const QRect all = img.rect();
    const QRect covered = DeviceCover(img, ToQRect(m_drawn)) & all;
    const QRect moved = covered.translated(d) & all;
    if (!moved.isEmpty() && !d.isNull()) MovePixels(img, moved, moved.translated(-d));
    for (const TRect& r : Outside(FromQRect(covered), FromQRect(moved)))
        if (!r.IsEmpty()) FillBgr24(img, ToQRect(r), paper);
    // The device pixels whose source lay outside the image, and the logical band over them,
    // filled as far as the text drawn in it reaches (its device pixels by the same rounding).
    TRect entering, band;
    for (const TRect& r : Outside(FromQRect(all), FromQRect(all.translated(d)))) entering = UnionRect(entering, r);
    if (!entering.IsEmpty()) {
        IntersectRect(band, FromQRect(LogicalCover(img, ToQRect(entering))), View);
        FillBgr24(img, DeviceRect(img, ToQRect(band)) & all, paper);
    }
    m_drawn = moved.isEmpty() ? TRect() : FromQRect(LogicalCover(img, moved));
    return band;
}

void TFxKeptFrame::Refill()
{
    m_before = m_drawn;
    // Rounded outwards: the device pixels that a logical edge of the text cuts are filled too.
    if (!m_drawn.IsEmpty()) m_work->Canvas()->FillCovering(m_drawn);
    m_drawn = TRect();
}

TRect TFxKeptFrame::Finish(bool Kept, const TRect& Drawn, const TRect& View, TPoint Origin, TFxBlockKey Key)
{
    TRect now;
    IntersectRect(now, Drawn, View);
    TRect changed = View;
    if (Kept) {
        // The moved part, what was drawn now, and what the text covered before.
        now = UnionRect(m_drawn, now);
        changed = UnionRect(m_before, now);
    }
    m_drawn = now;
    m_origin = Origin;
    m_key = std::move(Key);
    return changed;
}
