// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The canvas's text calls: DrawTextEx, measuring, extra character spacing, paths, and the two
// ways text reaches a 24-bit image (through a 32-bit copy of the band it covers when a
// painter is open, or blended straight from cached coverage masks when none is).
#include "platform/graphics.h"

#include "platform/painterstate.h"
#include "platform/pixelrows.h"
#include "platform/scoped.h"
#include "platform/textengine.h"

#include <QPainter>
#include <cmath>
#include <optional>

namespace {
// A reusable 32-bit image for drawing text meant for a 24-bit image (see DrawTextLine).
QImage& TextScratch()
{
    static thread_local QImage scratch;
    return scratch;
}

// x * a / 255 rounded, as Qt's raster engine computes it when blending.
inline uint ByteMul(uint x, uint a)
{
    const uint t = x * a;
    return (t + (t >> 8) + 0x80) >> 8;
}
} // namespace

TTextCache& TCanvas::Text() const
{
    if (!m_text) m_text = std::make_unique<TTextCache>();
    m_text->Sync(*m_font, m_charExtra);
    return *m_text;
}

namespace {
// The band around a line drawn at (x, y) that its glyphs may ink, reaching past their advance
// and the line's height; both ways of drawing text keep to it.
QRect InkBand(const TTextCache& tc, const TTextLine& line, int x, int y)
{
    const int margin = tc.InkMargin();
    return QRect(x - margin, y - margin / 2, line.width + 2 * margin, tc.height + margin);
}

// The rows a line drawn at (x, y) fills besides its glyphs, each given to fill: the mnemonic
// underlines, and the face's underline and strike-out across the whole line. They are filled
// at whole logical pixels, so they come out the same at every scale, inside any clip, and
// wherever the line stands.
template <class Fill>
void ForEachDecoration(const TTextCache& tc, const TTextLine& line, int x, int y, Fill fill)
{
    const int under = y + tc.ascent + tc.underlinePos;
    for (const auto& u : line.underlines) fill(QRect(x + u.first, under, u.second, tc.lineWidth));
    if (line.width <= 0) return;
    if (tc.plain.underline()) fill(QRect(x, under, line.width, tc.lineWidth));
    if (tc.plain.strikeOut()) fill(QRect(x, y + tc.ascent - tc.strikeOutPos, line.width, tc.lineWidth));
}

// What drawing a line at (x, y) may change: its box and its ink band; on a text grid, which
// moves it by part of a device pixel, a logical pixel more on each side.
TRect TextLineReach(const TTextCache& tc, const TTextLine& line, int x, int y, bool onGrid)
{
    const TRect r = UnionRect(Bounds(x, y, line.width, tc.height), FromQRect(InkBand(tc, line, x, y)));
    return onGrid ? TRect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1) : r;
}
} // namespace

void TCanvas::DrawTextLine(QPainter* p, const TTextLine& line, int x, int y, bool opaque, TRect& touched)
{
    TTextCache& tc = Text();
    const TRect box = Bounds(x, y, line.width, tc.height);
    touched = UnionRect(touched, m_inPath ? box : TextLineReach(tc, line, x, y, m_textGrid));
    if (m_inPath) {
        for (const auto& piece : line.pieces)
            m_path.addText(QPointF(x + piece.x, y + tc.ascent), tc.spaced, piece.text);
        return;
    }
    if (opaque && line.width > 0) p->fillRect(ToQRect(box), ToQColor(m_brush->Color()));
    // Qt blends glyphs onto 24-bit images through a generic per-pixel conversion that costs
    // several times the blend itself. On such an image, draw the line onto a 32-bit copy of the
    // area it covers (room left for glyphs that reach past their advance) and put that back.
    // The painter on the copy, when the line goes through one; the target's painter otherwise.
    std::optional<QPainter> copy;
    QPainter* onto = p;
    QRect area;
    QImage& scratch = TextScratch();
    if (m_target->format() == QImage::Format_BGR888 && m_target->isDetached() && p->transform().isIdentity() &&
        m_target->devicePixelRatio() == 1 &&
        p->compositionMode() == QPainter::CompositionMode_SourceOver &&
        (!p->hasClipping() || p->clipRegion().rectCount() <= 1)) {
        area = InkBand(tc, line, x, y) & m_target->rect();
        if (p->hasClipping()) area &= p->clipBoundingRect().toAlignedRect();
        if (area.isEmpty()) return;
        if (scratch.width() < area.width() || scratch.height() < area.height())
            scratch = QImage(std::max(scratch.width(), area.width()), std::max(scratch.height(), area.height()),
                             QImage::Format_RGB32);
        for (int row = 0; row < area.height(); ++row)
            Bgr24ToRgb32Line(m_target->constScanLine(area.top() + row) + 3 * area.left(),
                             reinterpret_cast<quint32*>(scratch.scanLine(row)), area.width());
        onto = &copy.emplace(&scratch);
        onto->setRenderHints(p->renderHints());
        onto->setPen(p->pen());
        onto->setClipRect(QRect(0, 0, area.width(), area.height()));
        onto->translate(-area.left(), -area.top());
    }
    for (const auto& piece : line.pieces) {
        const TTextCache::Run& run = tc.RunOf(piece.text);
        const QPointF origin(x + piece.x, y + tc.ascent - run.ascent);
        for (const QGlyphRun& g : run.runs) onto->drawGlyphRun(origin, g);
    }
    const QColor color = p->pen().color();
    ForEachDecoration(tc, line, x, y, [&](const QRect& r) { onto->fillRect(r, color); });
    if (!copy) return;
    copy->end();
    // The target's own painter writes straight into the same pixels and keeps no copy of them.
    for (int row = 0; row < area.height(); ++row)
        Rgb32ToBgr24Row(reinterpret_cast<const quint32*>(scratch.constScanLine(row)),
                        const_cast<uchar*>(m_target->constScanLine(area.top() + row)) + 3 * area.left(), area.width());
}

bool TCanvas::DirectTarget() const
{
    // A whole-number pixel ratio maps every logical pixel onto a block of device pixels.
    return DirectText() && IsWholeScale(m_target->devicePixelRatio());
}

bool TCanvas::DirectText() const
{
    return !m_painter && m_target && !m_target->isNull() && m_target->format() == QImage::Format_BGR888;
}

namespace {
// A device coordinate as its whole pixel and the fraction past it, in eighths of a pixel: at
// scales such as 1.25 and 1.5 the fractions are exact, and at any scale a piece of text has at
// most eight placements a pixel, each rasterised once.
int WholePixel(qreal device, qreal& fraction)
{
    const int eighths = qRound(device * 8);
    const int whole = int(std::floor(eighths / 8.0));
    fraction = (eighths - 8 * whole) / 8.0;
    return whole;
}
}  // namespace

void TCanvas::SetTextGrid(TPoint Origin)
{
    const qreal k = m_target ? m_target->devicePixelRatio() : 1.0;
    const QPointF at(k * Origin.X, k * Origin.Y);
    m_textShift = QPointF(NearestPixel(at.x()) - at.x(), NearestPixel(at.y()) - at.y());
    m_textGrid = true;
}

QRect TCanvas::TextDeviceRectRounded(const QRect& r) const
{
    if (!m_textGrid) return DeviceRectRounded(*m_target, r);
    // Rounded the same way on both sides of zero, so that the rectangle moves with its text.
    const qreal k = m_target->devicePixelRatio();
    const QPointF s = m_textShift;
    const QPoint topLeft(NearestPixel(k * r.left() + s.x()), NearestPixel(k * r.top() + s.y()));
    const QPoint end(NearestPixel(k * (r.right() + 1) + s.x()), NearestPixel(k * (r.bottom() + 1) + s.y()));
    return QRect(topLeft, end - QPoint(1, 1));
}

void TCanvas::DrawTextLineDirect(const TTextLine& line, int x, int y, bool opaque, const QRect& clip,
                                 const QRect* textClip, TRect& touched)
{
    TTextCache& tc = Text();
    const TRect box = Bounds(x, y, line.width, tc.height);
    touched = UnionRect(touched, TextLineReach(tc, line, x, y, m_textGrid));
    // Positions are logical; the pixels written are the target's device pixels.
    const qreal k = m_target->devicePixelRatio();
    // At a fractional scale the logical bounds round to a device pixel past the image's edge.
    QRect deviceClip = DeviceRectRounded(*m_target, clip) & m_target->rect();
    if (textClip) deviceClip &= TextDeviceRectRounded(*textClip);
    if (opaque && line.width > 0) FillBgr24(*m_target, TextDeviceRectRounded(ToQRect(box)) & deviceClip, m_brush->Color());
    const QRect area = TextDeviceRectRounded(InkBand(tc, line, x, y)) & deviceClip;
    if (area.isEmpty()) return;
    const TColor rgb = ColorToRGB(m_font->Color());
    const uint colour[3] = {GetBValue(rgb), GetGValue(rgb), GetRValue(rgb)};
    // Most partly covered pixels lie on the plain background: their blends are worked out
    // once per coverage value (blue, green, red in the low three bytes).
    const TColor paper = ColorToRGB(m_brush->Color());
    const uint plain = uint(GetBValue(paper)) | uint(GetGValue(paper)) << 8 | uint(GetRValue(paper)) << 16;
    uint onPlain[256];
    for (uint a = 0; a < 256; ++a) {
        onPlain[a] = 0;
        for (int c = 0; c < 3; ++c)
            onPlain[a] |= (ByteMul(colour[c], a) + ByteMul((plain >> (8 * c)) & 0xFF, 255 - a)) << (8 * c);
    }
    uchar* const bits = m_target->bits();
    const qsizetype bpl = m_target->bytesPerLine();
    for (const auto& piece : line.pieces) {
        QPointF phase;
        const int px = WholePixel(k * (x + piece.x) + m_textShift.x(), phase.rx());
        const int py = WholePixel(k * y + m_textShift.y(), phase.ry());
        for (const TTextCache::Mask& m : tc.SpriteOf(piece.text, k, phase)) {
            const int left = px + m.left, top = py + m.top;
            const QRect part = QRect(left, top, m.width, m.height) & area;
            if (part.isEmpty()) continue;
            for (int row = part.top(); row <= part.bottom(); ++row) {
                const uchar* cov = m.coverage.data() + size_t(row - top) * size_t(m.width) + size_t(part.left() - left);
                uchar* out = bits + row * bpl + 3 * part.left();
                for (int i = 0; i < part.width(); ++i, out += 3) {
                    const uint a = cov[i];
                    if (a == 0) continue;
                    if (a == 255) {
                        out[0] = uchar(colour[0]);
                        out[1] = uchar(colour[1]);
                        out[2] = uchar(colour[2]);
                        continue;
                    }
                    if ((uint(out[0]) | uint(out[1]) << 8 | uint(out[2]) << 16) == plain) {
                        out[0] = uchar(onPlain[a]);
                        out[1] = uchar(onPlain[a] >> 8);
                        out[2] = uchar(onPlain[a] >> 16);
                        continue;
                    }
                    for (int c = 0; c < 3; ++c) out[c] = uchar(ByteMul(colour[c], a) + ByteMul(out[c], 255 - a));
                }
            }
        }
    }
    ForEachDecoration(tc, line, x, y,
                      [&](const QRect& r) { FillBgr24(*m_target, TextDeviceRectRounded(r) & area, m_font->Color()); });
}

int TCanvas::DrawTextEx(const QString& text, TRect& r, uint32_t flags)
{
    TTextCache& tc = Text();
    const std::vector<TTextLine> lines = text.isEmpty() ? std::vector<TTextLine>() : LayoutText(tc, text, flags, r.Width());
    const int height = int(lines.size()) * tc.height;
    if (flags & DT_CALCRECT) {
        int width = 0;
        for (const TTextLine& l : lines) width = std::max(width, l.width);
        r.Right = r.Left + width;
        r.Bottom = r.Top + height;
        return height;
    }
    const bool direct = !m_inPath && DirectText();
    QPainter* p = (m_inPath || direct) ? nullptr : Painter();
    if (lines.empty() || (!p && !m_inPath && !direct)) return height;

    int y = r.Top;
    if (flags & DT_SINGLELINE) {
        // Vertical alignment applies to single lines only, as on Windows.
        if (flags & DT_VCENTER) y = r.Top + (r.Height() - height) / 2;
        else if (flags & DT_BOTTOM) y = r.Bottom - height;
    }
    const bool opaque = !m_bkTransparent && m_brush->Style() != TBrushStyle::bsClear;
    const bool clip = !(flags & DT_NOCLIP);
    TRect touched;
    const QRect textRect = ToQRect(r.Normalized());
    {
        // The rectangle's clip lasts for this call only; the canvas's own clip comes back, and
        // so does the painter's placement when the text grid moved it.
        PainterState state(*this, p, clip);
        const qreal k = m_target ? m_target->devicePixelRatio() : 1.0;
        const bool shifted = p && m_textGrid && !m_textShift.isNull();
        const TScopeExit unshift([&] {
            if (shifted) p->translate(-m_textShift / k);
        });
        if (p) {
            p->setCompositionMode(QPainter::CompositionMode_SourceOver);
            p->setPen(ToQColor(m_font->Color()));
            if (shifted) p->translate(m_textShift / k);
            if (clip) p->setClipRect(textRect, m_hasClip ? Qt::IntersectClip : Qt::ReplaceClip);
        }
        QRect clipArea;
        if (direct) {
            clipArea = LogicalBounds(*m_target);
            if (m_hasClip) clipArea &= ToQRect(m_clip);
            // Without a text grid the rectangle clips as the canvas's own clip does.
            if (clip && !m_textGrid) clipArea &= textRect;
        }
        for (const TTextLine& line : lines) {
            int x = r.Left;
            if (flags & DT_CENTER) x = r.Left + (r.Width() - line.width) / 2;
            else if (flags & DT_RIGHT) x = r.Right - line.width;
            if (direct) DrawTextLineDirect(line, x, y, opaque, clipArea, clip && m_textGrid ? &textRect : nullptr, touched);
            else DrawTextLine(p, line, x, y, opaque, touched);
            y += tc.height;
        }
    }
    if (p || direct) {
        if (clip) IntersectRect(touched, touched, m_textGrid ? FromQRect(WithFractionalScaleMargin(textRect)) : r.Normalized());
        Touched(touched);
    }
    return height;
}

bool TCanvas::GetTextExtentPoint(const QString& text, TPoint& size) const
{
    TTextCache& tc = Text();
    size = TPoint(tc.Advance(text), tc.height);
    return true;
}

int TCanvas::SetTextCharacterExtra(int extra)
{
    const int old = m_charExtra;
    m_charExtra = extra;
    return old;
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    TRect r(x, y, x, y);
    DrawTextEx(text, r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    DrawTextEx(text, r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    m_penPos = TPoint(r.Right, y);
}

void TCanvas::BeginPath()
{
    m_inPath = true;
    m_path = QPainterPath();
}

void TCanvas::EndPath()
{
    m_inPath = false;
}

void TCanvas::StrokePath()
{
    m_inPath = false;
    QPainter* p = Painter();
    if (p && !m_path.isEmpty() && m_pen->Style() != TPenStyle::psClear) {
        {
            PainterState state(*this, p);
            ApplyPen(*p);
            QPen pen = p->pen();
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            p->strokePath(m_path, pen);
        }
        const QRect b = m_path.boundingRect().toAlignedRect();
        TRect t = FromQRect(b);
        Touched(t.Inflate(m_pen->Width(), m_pen->Width()));
    }
    m_path = QPainterPath();
}
