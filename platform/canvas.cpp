// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The canvas: its painter and clip, brush and pen set-up, shapes with Windows' pixel rules,
// block copies, and DrawEdge. Text lives in canvastext.cpp, the pixel-row kernels of the
// 24-bit paths in pixelrows.cpp.
//
// Index
//   1. Canvas basics: painter, clip, brush and pen set-up, change notification
//   2. Shapes with Windows pixel rules
//   3. Copies: CopyRect, Draw, StretchDraw
//   4. DrawEdge
#include "platform/graphics.h"

#include "platform/painterstate.h"
#include "platform/pixelrows.h"
#include "platform/textengine.h"

#include <QPainter>
#include <algorithm>

// =============================================================================================
// 1. Canvas basics
// =============================================================================================

TCanvas::TCanvas()
    : m_font(std::make_unique<TFont>()), m_brush(std::make_unique<TBrush>()), m_pen(std::make_unique<TPen>())
{
}

TCanvas::~TCanvas()
{
    ReleaseHandle();
}

void TCanvas::SetTarget(QImage* image)
{
    if (image == m_target) return;
    ReleaseHandle();
    m_target = image;
}

void TCanvas::ReleaseHandle()
{
    if (!m_painter) return;
    m_painter->end();
    m_painter.reset();
}

QPainter* TCanvas::Painter()
{
    if (m_painter) return m_painter.get();
    if (!m_target || m_target->isNull()) return nullptr;
    m_painter = std::make_unique<QPainter>(m_target);
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setRenderHint(QPainter::TextAntialiasing, true);
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    ApplyClip(*m_painter);
    return m_painter.get();
}

void TCanvas::ApplyClip(QPainter& p)
{
    if (m_hasClip) p.setClipRect(ToQRect(m_clip));
    else p.setClipping(false);
}

void TCanvas::SetClipRect(const TRect& r)
{
    m_hasClip = true;
    m_clip = r.Normalized();
    if (m_painter) ApplyClip(*m_painter);
}

void TCanvas::ClearClip()
{
    m_hasClip = false;
    if (m_painter) ApplyClip(*m_painter);
}

void TCanvas::Touched(const TRect& r)
{
    if (!OnChange || !m_target) return;
    TRect t;
    if (!IntersectRect(t, r.Normalized(), FromQRect(LogicalBounds(*m_target)))) return;
    if (m_hasClip && !IntersectRect(t, t, m_clip)) return;
    OnChange(t);
}

namespace {

// Windows' dash patterns of a cosmetic pen in pixels (on, off, ...); empty for a solid pen.
std::vector<int> DashPattern(TPenStyle style)
{
    switch (style) {
    case TPenStyle::psDash: return {18, 6};
    case TPenStyle::psDot: return {3, 3};
    case TPenStyle::psDashDot: return {9, 6, 3, 6};
    case TPenStyle::psDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

QPainter::CompositionMode ModeOfPen(TPenMode m)
{
    switch (m) {
    case TPenMode::pmNot: return QPainter::RasterOp_NotDestination;
    case TPenMode::pmXor: return QPainter::RasterOp_SourceXorDestination;
    case TPenMode::pmMask: return QPainter::RasterOp_SourceAndDestination;
    case TPenMode::pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case TPenMode::pmCopy: break;
    }
    return QPainter::CompositionMode_SourceOver;
}

QBrush QBrushOf(const TBrush& b)
{
    if (b.Bitmap() && !b.Bitmap()->Empty()) return QBrush(b.Bitmap()->Image());
    const QColor c = ToQColor(b.Color());
    switch (b.Style()) {
    case TBrushStyle::bsSolid: return QBrush(c);
    case TBrushStyle::bsClear: return QBrush(Qt::NoBrush);
    case TBrushStyle::bsHorizontal: return QBrush(c, Qt::HorPattern);
    case TBrushStyle::bsVertical: return QBrush(c, Qt::VerPattern);
    case TBrushStyle::bsFDiagonal: return QBrush(c, Qt::FDiagPattern);
    case TBrushStyle::bsBDiagonal: return QBrush(c, Qt::BDiagPattern);
    case TBrushStyle::bsCross: return QBrush(c, Qt::CrossPattern);
    case TBrushStyle::bsDiagCross: return QBrush(c, Qt::DiagCrossPattern);
    }
    return QBrush(c);
}

bool BrushIsClear(const TBrush& b)
{
    return b.Style() == TBrushStyle::bsClear && !(b.Bitmap() && !b.Bitmap()->Empty());
}

// Pens drawn as filled bands (exact pixels): solid or inside-frame.
bool PenIsSolid(const TPen& p)
{
    return p.Style() == TPenStyle::psSolid || p.Style() == TPenStyle::psInsideFrame;
}

} // namespace

void TCanvas::ApplyBrush(QPainter& p)
{
    p.setBrush(QBrushOf(*m_brush));
    p.setBrushOrigin(0, 0);
}

void TCanvas::ApplyPen(QPainter& p)
{
    if (m_pen->Style() == TPenStyle::psClear) {
        p.setPen(Qt::NoPen);
        return;
    }
    QPen pen(ToQColor(m_pen->Color()));
    pen.setWidth(m_pen->Width());
    // A flat cap leaves out the end point of a one-pixel line, as Windows does.
    pen.setCapStyle(m_pen->Width() <= 1 ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(Qt::MiterJoin);
    const std::vector<int> dashes = DashPattern(m_pen->Style());
    if (!dashes.empty()) pen.setDashPattern(QList<qreal>(dashes.begin(), dashes.end()));
    p.setPen(pen);
    p.setCompositionMode(ModeOfPen(m_pen->Mode()));
}

// =============================================================================================
// 2. Shapes
// =============================================================================================
void TCanvas::FillRect(const TRect& r)
{
    const TRect n = r.Normalized();
    if (DirectTarget() && !n.IsEmpty() && m_brush->Style() == TBrushStyle::bsSolid &&
        !(m_brush->Bitmap() && !m_brush->Bitmap()->Empty())) {
        QRect area = ToQRect(n) & LogicalBounds(*m_target);
        if (m_hasClip) area &= ToQRect(m_clip);
        FillBgr24(*m_target, DeviceRectRounded(*m_target, area), m_brush->Color());
        Touched(n);
        return;
    }
    QPainter* p = Painter();
    if (!p || n.IsEmpty() || BrushIsClear(*m_brush)) return;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setBrushOrigin(0, 0);
    p->fillRect(ToQRect(n), QBrushOf(*m_brush));
    Touched(n);
}

void TCanvas::FillCovering(const TRect& r)
{
    if (!m_target || m_target->isNull() || m_target->format() != QImage::Format_BGR888 ||
        m_brush->Style() != TBrushStyle::bsSolid || (m_brush->Bitmap() && !m_brush->Bitmap()->Empty())) {
        FillRect(r);
        return;
    }
    TRect n = r.Normalized();
    if (m_hasClip && !IntersectRect(n, n, m_clip)) return;
    if (n.IsEmpty()) return;
    ReleaseHandle();
    // Rounded outwards: a device pixel that the rectangle only partly covers is filled too.
    FillBgr24(*m_target, DeviceRectCovering(*m_target, ToQRect(n)) & m_target->rect(), m_brush->Color());
    Touched(n);
}

void TCanvas::FrameRect(const TRect& r)
{
    const TRect n = r.Normalized();
    QPainter* p = Painter();
    if (!p || n.IsEmpty() || BrushIsClear(*m_brush)) return;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setBrushOrigin(0, 0);
    const QBrush b = QBrushOf(*m_brush);
    p->fillRect(QRect(n.Left, n.Top, n.Width(), 1), b);
    if (n.Height() > 1) p->fillRect(QRect(n.Left, n.Bottom - 1, n.Width(), 1), b);
    if (n.Height() > 2) {
        p->fillRect(QRect(n.Left, n.Top + 1, 1, n.Height() - 2), b);
        if (n.Width() > 1) p->fillRect(QRect(n.Right - 1, n.Top + 1, 1, n.Height() - 2), b);
    }
    Touched(n);
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    TRect n = r.Normalized();
    if (m_hasClip && !IntersectRect(n, n, m_clip)) return;
    if (!m_target || m_target->isNull() || n.IsEmpty()) return;
    ReleaseHandle();
    QImage& img = *m_target;
    const auto invert = [&](int x, int y) {
        // Each logical pixel as the device pixels that it covers.
        const QRect cover = DeviceRectCovering(img, QRect(x, y, 1, 1)) & img.rect();
        for (int py = cover.top(); py <= cover.bottom(); ++py)
            for (int px = cover.left(); px <= cover.right(); ++px) img.setPixel(px, py, img.pixel(px, py) ^ 0x00FFFFFFu);
    };
    // Along the edge, starting at the top left corner, every other pixel.
    int k = 0;
    for (int x = n.Left; x < n.Right; ++x, ++k)
        if (k % 2 == 0) invert(x, n.Top);
    for (int y = n.Top + 1; y < n.Bottom; ++y, ++k)
        if (k % 2 == 0) invert(n.Right - 1, y);
    for (int x = n.Right - 2; n.Height() > 1 && x >= n.Left; --x, ++k)
        if (k % 2 == 0) invert(x, n.Bottom - 1);
    for (int y = n.Bottom - 2; n.Width() > 1 && y > n.Top; --y, ++k)
        if (k % 2 == 0) invert(n.Left, y);
    Touched(n);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    const TRect n = TRect(x1, y1, x2, y2).Normalized();
    QPainter* p = Painter();
    if (!p || n.IsEmpty()) return;
    {
        PainterState state(*this, p);
        ApplyPen(*p);   // sets the pen's mix mode for the fill as well, as on Windows
        const bool noPen = m_pen->Style() == TPenStyle::psClear;
        if (!BrushIsClear(*m_brush)) {
            p->setBrushOrigin(0, 0);
            // Without a pen Windows fills one row and column less.
            const TRect fill = noPen ? TRect(n.Left, n.Top, n.Right - 1, n.Bottom - 1) : n;
            if (!fill.IsEmpty()) p->fillRect(ToQRect(fill), QBrushOf(*m_brush));
        }
        if (!noPen) {
            const int w = m_pen->Width();
            if (PenIsSolid(*m_pen)) {
                // The outline as four bands: centred on the outermost pixels for a solid pen,
                // inside the rectangle for an inside-frame pen.
                const int in = m_pen->Style() == TPenStyle::psInsideFrame ? 0 : w / 2;
                const QColor c = p->pen().color();
                const int l = n.Left - in, t = n.Top - in, r = n.Right - 1 + in - (w - 1), b = n.Bottom - 1 + in - (w - 1);
                const int W = r + w - l, H = b + w - t;
                p->fillRect(QRect(l, t, W, std::min(w, H)), c);
                if (b > t) p->fillRect(QRect(l, std::max(b, t + w), W, b + w - std::max(b, t + w)), c);
                if (H > 2 * w) {
                    p->fillRect(QRect(l, t + w, std::min(w, W), H - 2 * w), c);
                    if (r > l) p->fillRect(QRect(std::max(r, l + w), t + w, r + w - std::max(r, l + w), H - 2 * w), c);
                }
            } else {
                p->setBrush(Qt::NoBrush);
                p->drawRect(QRect(n.Left, n.Top, n.Width() - 1, n.Height() - 1));
            }
        }
    }
    TRect t = n;
    const int grow = m_pen->Style() == TPenStyle::psSolid ? m_pen->Width() / 2 : 0;
    Touched(t.Inflate(grow, grow));
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    const TRect n = TRect(x1, y1, x2, y2).Normalized();
    QPainter* p = Painter();
    if (!p || n.Width() < 2 || n.Height() < 2) return;
    {
        PainterState state(*this, p);
        ApplyPen(*p);
        ApplyBrush(*p);
        p->drawEllipse(QRect(n.Left, n.Top, n.Width() - 1, n.Height() - 1));
    }
    TRect t = n;
    Touched(t.Inflate(m_pen->Width(), m_pen->Width()));
}

void TCanvas::MoveTo(int x, int y)
{
    m_penPos = TPoint(x, y);
}

void TCanvas::LineTo(int x, int y)
{
    const TPoint from = m_penPos;
    m_penPos = TPoint(x, y);
    Polyline({from, TPoint(x, y)});
}

namespace {
TRect BoundsOf(const std::vector<TPoint>& pts, int grow)
{
    TRect b(pts[0].X, pts[0].Y, pts[0].X + 1, pts[0].Y + 1);
    for (const TPoint& q : pts) b = UnionRect(b, TRect(q.X, q.Y, q.X + 1, q.Y + 1));
    return b.Inflate(grow, grow);
}

// The pixels of a one-pixel polyline (Bresenham, each segment without its end point), with
// the dash pattern running on across the corners.
QPolygon LinePixels(const std::vector<TPoint>& pts, const std::vector<int>& dashes)
{
    QPolygon out;
    int period = 0;
    for (int d : dashes) period += d;
    int step = 0;
    auto on = [&]() {
        if (period == 0) return true;
        int pos = step % period;
        for (size_t i = 0; i < dashes.size(); ++i) {
            if (pos < dashes[i]) return i % 2 == 0;
            pos -= dashes[i];
        }
        return true;
    };
    for (size_t i = 1; i < pts.size(); ++i) {
        int x = pts[i - 1].X, y = pts[i - 1].Y;
        const int x1 = pts[i].X, y1 = pts[i].Y;
        const int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
        const int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
        int err = dx + dy;
        while (x != x1 || y != y1) {
            if (on()) out << QPoint(x, y);
            ++step;
            const int e2 = 2 * err;
            if (e2 >= dy) { err += dy; x += sx; }
            if (e2 <= dx) { err += dx; y += sy; }
        }
    }
    return out;
}

QPolygon ToQPolygon(const std::vector<TPoint>& pts)
{
    QPolygon poly;
    poly.reserve(int(pts.size()));
    for (const TPoint& q : pts) poly << QPoint(q.X, q.Y);
    return poly;
}
} // namespace

void TCanvas::Polyline(const std::vector<TPoint>& pts)
{
    QPainter* p = Painter();
    if (!p || pts.size() < 2 || m_pen->Style() == TPenStyle::psClear) return;
    {
        PainterState state(*this, p);
        ApplyPen(*p);
        if (m_pen->Width() <= 1) {
            // One-pixel lines are walked here rather than by Qt, which leaves out the right or
            // bottom end of a line whichever way it runs; Windows leaves out the end point.
            const QPolygon pixels = LinePixels(pts, DashPattern(m_pen->Style()));
            QPen pen = p->pen();
            pen.setStyle(Qt::SolidLine);
            pen.setCapStyle(Qt::SquareCap);
            p->setPen(pen);
            p->drawPoints(pixels);
        } else {
            p->drawPolyline(ToQPolygon(pts));
        }
    }
    Touched(BoundsOf(pts, m_pen->Width()));
}

void TCanvas::Polygon(const std::vector<TPoint>& pts)
{
    QPainter* p = Painter();
    if (!p || pts.size() < 2) return;
    {
        PainterState state(*this, p);
        ApplyPen(*p);
        ApplyBrush(*p);
        p->drawPolygon(ToQPolygon(pts));
    }
    Touched(BoundsOf(pts, m_pen->Width()));
}

TColor TCanvas::Pixel(int x, int y) const
{
    if (!m_target || !LogicalBounds(*m_target).contains(x, y)) return -1;
    const QRgb c = m_target->pixel(DeviceRectRounded(*m_target, QRect(x, y, 1, 1)).topLeft());
    return RGB(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)));
}

void TCanvas::SetPixel(int x, int y, TColor c)
{
    QPainter* p = Painter();
    if (!p || !LogicalBounds(*m_target).contains(x, y)) return;
    {
        PainterState state(*this, p);
        p->setCompositionMode(QPainter::CompositionMode_Source);
        p->fillRect(QRect(x, y, 1, 1), ToQColor(c));
    }
    Touched(TRect(x, y, x + 1, y + 1));
}

// =============================================================================================
// 3. Copies
// =============================================================================================
namespace {
// Windows' raster operations of a block copy, as Qt composition modes.
QPainter::CompositionMode ModeOfCopy(TCopyMode m)
{
    switch (m) {
    case TCopyMode::cmSrcAnd: return QPainter::RasterOp_SourceAndDestination;
    case TCopyMode::cmSrcPaint: return QPainter::RasterOp_SourceOrDestination;
    case TCopyMode::cmSrcInvert: return QPainter::RasterOp_SourceXorDestination;
    case TCopyMode::cmNotSrcCopy: return QPainter::RasterOp_NotSource;
    default: return QPainter::CompositionMode_Source;
    }
}

// The image with every pixel of the given colour made fully transparent.
QImage WithTransparentColor(const QImage& src, TColor color)
{
    QImage out = src.convertToFormat(QImage::Format_ARGB32);
    const TColor rgb = ColorToRGB(color);
    const QRgb key = qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((row[x] | 0xFF000000u) == key) row[x] = 0;
    }
    return out;
}
} // namespace

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& src)
{
    if (source && source->m_target && m_target && m_copyMode == TCopyMode::cmSrcCopy && !m_hasClip &&
        !dest.IsEmpty()) {
        // A copy between images of the same pixel ratio copies device pixels one for one.
        const QRect to = DeviceRectRounded(*m_target, ToQRect(dest));
        const QRect from = DeviceRectRounded(*source->m_target, ToQRect(src));
        if (to.size() == from.size() && m_target->rect().contains(to) && source->m_target->rect().contains(from)) {
            // Neither painter may hold the pixels while they are written directly.
            source->ReleaseHandle();
            ReleaseHandle();
            if (source == this) {
                // Within one image the pixels are moved in place (a scrolling picture), without
                // a copy of the source part and without opening the painter.
                if (m_target->depth() >= 8) {
                    MovePixels(*m_target, to, from);
                    Touched(dest);
                    return;
                }
            } else if (CopyChangedPixels(to, source, from)) {
                return;
            }
        }
    }
    if (!source || !source->m_target || source->m_target->isNull() || dest.IsEmpty() || src.IsEmpty()) return;
    QPainter* p = Painter();
    if (!p) return;
    {
        PainterState state(*this, p);
        if (m_copyMode == TCopyMode::cmBlackness || m_copyMode == TCopyMode::cmWhiteness) {
            p->setCompositionMode(QPainter::CompositionMode_Source);
            p->fillRect(ToQRect(dest), m_copyMode == TCopyMode::cmBlackness ? Qt::black : Qt::white);
        } else {
            // Copying within one image goes through a copy of the source part; another canvas's
            // painter is closed so its pixels are read as they are now.
            QImage part;
            const QImage* img = source->m_target;
            QRect from = DeviceRectRounded(*img, ToQRect(src));
            if (source == this) {
                part = img->copy(from);
                img = &part;
                from = QRect(QPoint(0, 0), from.size());
            } else {
                source->ReleaseHandle();
            }
            p->setCompositionMode(ModeOfCopy(m_copyMode));
            p->drawImage(ToQRect(dest), *img, from);
        }
    }
    Touched(dest);
}

void TCanvas::CopyPixelsMoved(const TPoint& offset, TCanvas* source, const TRect& src, const TRect& clip)
{
    const TRect dest = TRect(src).Offset(offset.X, offset.Y);
    if (!source || !source->m_target || !m_target || source == this || m_copyMode != TCopyMode::cmSrcCopy ||
        m_hasClip || source->m_target->devicePixelRatio() != m_target->devicePixelRatio()) {
        CopyRect(dest, source, src);
        return;
    }
    const qreal k = m_target->devicePixelRatio();
    // The offset in device pixels is where the logical point offset falls, rounded as a
    // rectangle's corner is: the destination's edges then agree with what was drawn around it.
    const QPoint shift = DeviceCornerRounded(QPointF(offset.X, offset.Y) * k);
    QRect from = DeviceRectRounded(*source->m_target, ToQRect(src)) & source->m_target->rect();
    const QRect to = from.translated(shift) & DeviceRectRounded(*m_target, ToQRect(clip)) & m_target->rect();
    if (to.isEmpty()) return;
    from = to.translated(-shift);
    if (!CopyChangedPixels(to, source, from)) CopyRect(dest, source, src);
}

bool TCanvas::CopyChangedPixels(const QRect& to, TCanvas* source, const QRect& from)
{
    // Neither painter may hold the pixels while they are written directly.
    source->ReleaseHandle();
    ReleaseHandle();
    // Only the pixels that differ from what the target holds count as touched, so a control's
    // screen gets only the part of a frame that changed.
    QRect changed;
    if (!CopyPixels24(*m_target, to, *source->m_target, from, &changed)) return false;
    if (!changed.isEmpty()) Touched(FromQRect(LogicalRectCovering(*m_target, changed)));
    return true;
}

void TCanvas::DrawBitmap(const TRect& dest, const TBitmap* bmp)
{
    if (!bmp || bmp->Empty() || dest.IsEmpty()) return;
    QPainter* p = Painter();
    if (!p) return;
    const QImage& img = bmp->Image();
    {
        PainterState state(*this, p);
        if (bmp->Transparent()) {
            p->setCompositionMode(QPainter::CompositionMode_SourceOver);
            p->drawImage(ToQRect(dest), WithTransparentColor(img, bmp->TransparentColor()));
        } else {
            p->setCompositionMode(ModeOfCopy(m_copyMode));
            p->drawImage(ToQRect(dest), img);
        }
    }
    Touched(dest);
}

void TCanvas::Draw(int x, int y, const TBitmap* bmp)
{
    if (bmp) {
        const QRect logical = LogicalBounds(bmp->Image());
        DrawBitmap(Bounds(x, y, logical.width(), logical.height()), bmp);
    }
}

void TCanvas::StretchDraw(const TRect& dest, const TBitmap* bmp)
{
    DrawBitmap(dest.Normalized(), bmp);
}

// =============================================================================================
// 4. DrawEdge
// =============================================================================================
namespace {

// The colour of one side of one part of an edge, or 0 when that part is absent.
struct EdgeColours {
    TColor outerTL = 0, outerBR = 0, innerTL = 0, innerBR = 0;
    bool outer = false, inner = false;
};

EdgeColours EdgeColoursOf(uint32_t edge, uint32_t flags)
{
    EdgeColours c;
    const uint32_t outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
    const bool soft = flags & BF_SOFT;
    // Raised and sunken together cancel each other out.
    if (outer == BDR_RAISEDOUTER) {
        c.outer = true;
        c.outerTL = soft ? clBtnHighlight : cl3DLight;
        c.outerBR = cl3DDkShadow;
    } else if (outer == BDR_SUNKENOUTER) {
        c.outer = true;
        c.outerTL = soft ? cl3DDkShadow : clBtnShadow;
        c.outerBR = clBtnHighlight;
    }
    if (inner == BDR_RAISEDINNER) {
        c.inner = true;
        c.innerTL = soft ? cl3DLight : clBtnHighlight;
        c.innerBR = clBtnShadow;
    } else if (inner == BDR_SUNKENINNER) {
        c.inner = true;
        c.innerTL = soft ? clBtnShadow : cl3DDkShadow;
        c.innerBR = cl3DLight;
    }
    if (flags & BF_MONO) {
        c.outerTL = c.outerBR = clWindowFrame;
        c.innerTL = c.innerBR = clWindow;
    } else if (flags & BF_FLAT) {
        c.outerTL = c.outerBR = clBtnShadow;
        c.innerTL = c.innerBR = clBtnFace;
    }
    // A lone inner part is drawn in the outer position.
    if (c.inner && !c.outer) {
        std::swap(c.outer, c.inner);
        std::swap(c.outerTL, c.innerTL);
        std::swap(c.outerBR, c.innerBR);
    }
    return c;
}

// One ring of an edge: top and left first, then bottom and right over the corners they share.
void DrawEdgeRing(QPainter* p, const TRect& r, TColor tl, TColor br, uint32_t flags)
{
    if (r.IsEmpty()) return;
    const QColor a = ToQColor(tl), b = ToQColor(br);
    if (flags & BF_TOP) p->fillRect(QRect(r.Left, r.Top, r.Width(), 1), a);
    if (flags & BF_LEFT) p->fillRect(QRect(r.Left, r.Top, 1, r.Height()), a);
    if (flags & BF_BOTTOM) p->fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), b);
    if (flags & BF_RIGHT) p->fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), b);
}

TRect Shrunk(const TRect& r, uint32_t flags, int by)
{
    TRect s = r;
    if (flags & BF_LEFT) s.Left += by;
    if (flags & BF_TOP) s.Top += by;
    if (flags & BF_RIGHT) s.Right -= by;
    if (flags & BF_BOTTOM) s.Bottom -= by;
    return s;
}

} // namespace

bool DrawEdge(TCanvas* canvas, TRect& r, uint32_t edge, uint32_t flags)
{
    if (!canvas || r.IsEmpty()) return false;
    const EdgeColours c = EdgeColoursOf(edge, flags);
    QPainter* p = canvas->Painter();
    if (p) {
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (c.outer) DrawEdgeRing(p, r, c.outerTL, c.outerBR, flags);
        if (c.inner) DrawEdgeRing(p, Shrunk(r, flags, 1), c.innerTL, c.innerBR, flags);
    }
    const TRect inside = Shrunk(r, flags, int(c.outer) + int(c.inner));
    if (p && (flags & BF_MIDDLE) && !inside.IsEmpty())
        p->fillRect(ToQRect(inside), ToQColor((flags & BF_MONO) ? clWindow : clBtnFace));
    if (p && canvas->OnChange) {
        TRect t;
        if (IntersectRect(t, r, FromQRect(LogicalBounds(*canvas->Target()))))
            canvas->OnChange(t);
    }
    if (flags & BF_ADJUST) r = inside;
    return true;
}
