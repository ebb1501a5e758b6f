// Fonts, brushes, pens, bitmaps and the canvas.
//
// Index
//   1. Graphics objects: TGraphicsObject, TFont (face mapping, height search), TBrush, TPen
//   2. Canvas basics: painter, clip, brush and pen set-up, change notification
//   3. Shapes with Windows pixel rules
//   4. Copies: CopyRect, Draw, StretchDraw, DrawImage
//   5. Text: layout of lines (prefixes, tabs, word breaks), measuring, drawing, paths
//   6. DrawEdge
//   7. TBitmap
#include "platform/graphics.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <atomic>
#include <cstring>
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

std::atomic<uint64_t> g_fontRevision{1};

QColor ToQColor(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

// Windows face names that Linux lacks, and the face drawn instead. Faces not listed go to
// fontconfig as they are ("Arial" and "Times New Roman" resolve to the Liberation faces).
QString QtFamily(const QString& name)
{
    static const QHash<QString, QString> map = {
        {QStringLiteral("ms sans serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("microsoft sans serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("ms shell dlg"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("ms shell dlg 2"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("tahoma"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("courier new"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("courier"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("verdana"), QStringLiteral("DejaVu Sans")},
    };
    return map.value(name.toLower(), name);
}

QFont BaseQFont(const QString& name, int pixelSize, TFontStyles style, TFontPitch pitch)
{
    QFont f(QtFamily(name));
    f.setPixelSize(std::max(1, pixelSize));
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    f.setStrikeOut(style & fsStrikeOut);
    if (pitch == TFontPitch::fpFixed) f.setFixedPitch(true);
    // What is measured must be what is drawn: no kerning, no shaping that could move glyphs,
    // whole-pixel advances from full hinting, and grey (not subpixel) antialiasing.
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferNoShaping | QFont::NoSubpixelAntialias));
    return f;
}

// A solid fill of a rectangle (already inside the image) of a 24-bit BGR image.
void FillBgr24(QImage& img, const QRect& r, TColor color)
{
    if (r.isEmpty()) return;
    const TColor rgb = ColorToRGB(color);
    const uchar px[3] = {GetBValue(rgb), GetGValue(rgb), GetRValue(rgb)};
    const qsizetype bpl = img.bytesPerLine();
    uchar* first = img.bits() + r.top() * bpl + 3 * r.left();
    const size_t row = size_t(3 * r.width());
    std::memcpy(first, px, 3);
    for (size_t done = 3; done < row; done *= 2) std::memcpy(first + done, first, std::min(done, row - done));
    for (int y = 1; y < r.height(); ++y) std::memcpy(first + y * bpl, first, row);
}

// The pixel size that a height of 0 stands for: the usual size of desktop dialog text
// (10 points at 96 pixels per inch is 13.3 pixels).
constexpr int DefaultPixelSize = 13;

} // namespace

// =============================================================================================
// 1. Graphics objects
// =============================================================================================
void TGraphicsObject::Changed()
{
    if (OnChange) OnChange(this);
}

TFont::TFont()
    : m_name(QStringLiteral("MS Sans Serif")), m_height(-11), m_revision(g_fontRevision++)
{
}

void TFont::FontChanged()
{
    m_qfont.reset();
    m_revision = g_fontRevision++;
    Changed();
}

void TFont::Assign(const TPersistent* Source)
{
    if (auto src = dynamic_cast<const TFont*>(Source)) {
        if (src == this) return;
        if (m_name == src->m_name && m_height == src->m_height && m_style == src->m_style &&
            m_color == src->m_color && m_charset == src->m_charset && m_pitch == src->m_pitch)
            return;
        m_name = src->m_name;
        m_height = src->m_height;
        m_style = src->m_style;
        m_color = src->m_color;
        m_charset = src->m_charset;
        m_pitch = src->m_pitch;
        FontChanged();
        return;
    }
    TPersistent::Assign(Source);
}

void TFont::SetName(const QString& v)
{
    const QString name = v.left(31);
    if (name == m_name) return;
    m_name = name;
    FontChanged();
}

void TFont::SetHeight(int32_t v)
{
    if (v == m_height) return;
    m_height = v;
    FontChanged();
}

int32_t TFont::Size() const
{
    return -MulDiv(m_height, 72, PixelsPerInch);
}

void TFont::SetSize(int32_t points)
{
    SetHeight(-MulDiv(points, PixelsPerInch, 72));
}

void TFont::SetStyle(TFontStyles v)
{
    if (v == m_style) return;
    m_style = v;
    FontChanged();
}

void TFont::SetColor(TColor v)
{
    if (v == m_color) return;
    m_color = v;
    // The colour is not part of the Qt font: the cached font stays valid.
    m_revision = g_fontRevision++;
    Changed();
}

void TFont::SetCharset(uint8_t v)
{
    if (v == m_charset) return;
    m_charset = v;
    m_revision = g_fontRevision++;
    Changed();
}

void TFont::SetPitch(TFontPitch v)
{
    if (v == m_pitch) return;
    m_pitch = v;
    FontChanged();
}

const QFont& TFont::ToQFont() const
{
    if (m_qfont) return *m_qfont;
    int pixels = DefaultPixelSize;
    if (m_height < 0) {
        pixels = -m_height;
    } else if (m_height > 0) {
        // A cell height: the largest pixel size whose ascent + descent fits it.
        pixels = 1;
        for (int p = m_height; p >= 1; --p) {
            const QFontMetrics fm(BaseQFont(m_name, p, m_style, m_pitch));
            if (fm.ascent() + fm.descent() <= m_height) {
                pixels = p;
                break;
            }
        }
    }
    m_qfont = std::make_unique<QFont>(BaseQFont(m_name, pixels, m_style, m_pitch));
    return *m_qfont;
}

void TFont::AssignQFont(const QFont& f)
{
    int height = m_height;
    if (f.pixelSize() > 0) height = -f.pixelSize();
    else if (f.pointSizeF() > 0) height = -MulDiv(Round(f.pointSizeF()), PixelsPerInch, 72);
    TFontStyles style = 0;
    if (f.bold()) style |= fsBold;
    if (f.italic()) style |= fsItalic;
    if (f.underline()) style |= fsUnderline;
    if (f.strikeOut()) style |= fsStrikeOut;
    const QString name = f.family().left(31);
    if (name == m_name && height == m_height && style == m_style) return;
    m_name = name;
    m_height = height;
    m_style = style;
    FontChanged();
}

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::Assign(const TPersistent* Source)
{
    if (auto src = dynamic_cast<const TBrush*>(Source)) {
        if (src == this) return;
        m_color = src->m_color;
        m_style = src->m_style;
        if (src->m_bitmap) {
            m_bitmap = std::make_unique<TBitmap>();
            m_bitmap->Assign(src->m_bitmap.get());
        } else {
            m_bitmap.reset();
        }
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBrush::SetColor(TColor v)
{
    if (v == m_color && m_style != TBrushStyle::bsClear) return;
    m_color = v;
    if (m_style == TBrushStyle::bsClear) m_style = TBrushStyle::bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle v)
{
    if (v == m_style) return;
    m_style = v;
    Changed();
}

void TBrush::SetBitmap(const TBitmap* v)
{
    if (!v) {
        if (!m_bitmap) return;
        m_bitmap.reset();
    } else {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(v);
        m_bitmap = std::move(copy);
    }
    Changed();
}

void TPen::Assign(const TPersistent* Source)
{
    if (auto src = dynamic_cast<const TPen*>(Source)) {
        if (src == this) return;
        if (m_color == src->m_color && m_width == src->m_width && m_style == src->m_style && m_mode == src->m_mode)
            return;
        m_color = src->m_color;
        m_width = src->m_width;
        m_style = src->m_style;
        m_mode = src->m_mode;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TPen::SetColor(TColor v)
{
    if (v == m_color) return;
    m_color = v;
    Changed();
}

void TPen::SetWidth(int v)
{
    v = std::max(1, v);
    if (v == m_width) return;
    m_width = v;
    Changed();
}

void TPen::SetStyle(TPenStyle v)
{
    if (v == m_style) return;
    m_style = v;
    Changed();
}

void TPen::SetMode(TPenMode v)
{
    if (v == m_mode) return;
    m_mode = v;
    Changed();
}

// =============================================================================================
// 2. Canvas basics
// =============================================================================================

// Saves the painter's state and restores it when leaving the scope.
struct TCanvas::PainterState {
    explicit PainterState(QPainter* p) : m_p(p) { if (m_p) m_p->save(); }
    ~PainterState() { if (m_p) m_p->restore(); }
    PainterState(const PainterState&) = delete;
    PainterState& operator=(const PainterState&) = delete;
    QPainter* m_p;
};

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
    if (!IntersectRect(t, r.Normalized(), TRect(0, 0, m_target->width(), m_target->height()))) return;
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
// 3. Shapes
// =============================================================================================
void TCanvas::FillRect(const TRect& r)
{
    const TRect n = r.Normalized();
    if (DirectTarget() && !n.IsEmpty() && m_brush->Style() == TBrushStyle::bsSolid &&
        !(m_brush->Bitmap() && !m_brush->Bitmap()->Empty())) {
        QRect area = ToQRect(n) & m_target->rect();
        if (m_hasClip) area &= ToQRect(m_clip);
        FillBgr24(*m_target, area, m_brush->Color());
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

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    const TRect n = TRect(x1, y1, x2, y2).Normalized();
    QPainter* p = Painter();
    if (!p || n.IsEmpty()) return;
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
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    TRect t = n;
    const int grow = m_pen->Style() == TPenStyle::psSolid ? m_pen->Width() / 2 : 0;
    Touched(t.Inflate(grow, grow));
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    const TRect n = TRect(x1, y1, x2, y2).Normalized();
    QPainter* p = Painter();
    if (!p || n.Width() < 2 || n.Height() < 2) return;
    ApplyPen(*p);
    ApplyBrush(*p);
    p->drawEllipse(QRect(n.Left, n.Top, n.Width() - 1, n.Height() - 1));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
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
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Touched(BoundsOf(pts, m_pen->Width()));
}

void TCanvas::Polygon(const std::vector<TPoint>& pts)
{
    QPainter* p = Painter();
    if (!p || pts.size() < 2) return;
    ApplyPen(*p);
    ApplyBrush(*p);
    p->drawPolygon(ToQPolygon(pts));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Touched(BoundsOf(pts, m_pen->Width()));
}

TColor TCanvas::Pixel(int x, int y) const
{
    if (!m_target || !m_target->valid(x, y)) return -1;
    const QRgb c = m_target->pixel(x, y);
    return RGB(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)));
}

void TCanvas::SetPixel(int x, int y, TColor c)
{
    QPainter* p = Painter();
    if (!p || !m_target->valid(x, y)) return;
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->fillRect(QRect(x, y, 1, 1), ToQColor(c));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Touched(TRect(x, y, x + 1, y + 1));
}

// =============================================================================================
// 4. Copies
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
// One row of 24-bit BGR pixels as 32-bit opaque pixels.
void Bgr24ToRgb32Row(const uchar* in, quint32* px, int w)
{
    int x = 0;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    // Four pixels from three 32-bit words (B0 G0 R0 B1 | G1 R1 B2 G2 | R2 B3 G3 R3).
    for (; x + 4 <= w; x += 4, in += 12) {
        quint32 a, b, c;
        std::memcpy(&a, in, 4);
        std::memcpy(&b, in + 4, 4);
        std::memcpy(&c, in + 8, 4);
        px[x] = 0xFF000000u | (a & 0xFFFFFFu);
        px[x + 1] = 0xFF000000u | (a >> 24) | ((b & 0xFFFFu) << 8);
        px[x + 2] = 0xFF000000u | (b >> 16) | ((c & 0xFFu) << 16);
        px[x + 3] = 0xFF000000u | (c >> 8);
    }
#endif
    for (; x < w; ++x, in += 3)
        px[x] = 0xFF000000u | (quint32(in[2]) << 16) | (quint32(in[1]) << 8) | in[0];
}

#if defined(__GNUC__) && defined(__x86_64__)
// The same with SSSE3 byte shuffles, four pixels per step; reads at most w * 3 bytes.
__attribute__((target("ssse3"))) void Bgr24ToRgb32RowSsse3(const uchar* in, quint32* px, int w)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    int x = 0;
    // A 16-byte load takes 12 bytes of pixels: stop while 16 bytes are still inside the row.
    for (; x + 6 <= w; x += 4, in += 12) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px + x), _mm_or_si128(_mm_shuffle_epi8(v, spread), opaque));
    }
    Bgr24ToRgb32Row(in, px + x, w - x);
}
#endif

using RowConverter = void (*)(const uchar*, quint32*, int);
RowConverter PickRowConverter()
{
#if defined(__GNUC__) && defined(__x86_64__)
    if (__builtin_cpu_supports("ssse3")) return Bgr24ToRgb32RowSsse3;
#endif
    return Bgr24ToRgb32Row;
}

// A reusable 32-bit image for drawing text meant for a 24-bit image (see DrawTextLine).
QImage& TextScratch()
{
    static thread_local QImage scratch;
    return scratch;
}

void Bgr24ToRgb32Line(const uchar* in, quint32* px, int w)
{
    static const RowConverter convert = PickRowConverter();
    convert(in, px, w);
}

// A plain unstretched copy of 24-bit pixels onto a 24- or 32-bit image, row by row. Qt's
// raster engine has no fast path from its 24-bit BGR format and converts every pixel through
// a generic fetch-and-store; a ticker copies a whole frame this way on every tick. Returns
// false (nothing copied) when the images do not fit this case. The rectangles must have the
// same size and lie inside their images.
bool CopyPixels24(QImage& to, const QRect& dest, const QImage& from, const QRect& src)
{
    if (from.format() != QImage::Format_BGR888) return false;
    const QImage::Format f = to.format();
    const bool wide = f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
    if (!wide && f != QImage::Format_BGR888) return false;
    const int w = dest.width();
    for (int y = 0; y < dest.height(); ++y) {
        const uchar* in = from.constScanLine(src.top() + y) + 3 * src.left();
        uchar* out = to.scanLine(dest.top() + y);
        if (!wide) {
            std::memcpy(out + 3 * dest.left(), in, size_t(3 * w));
            continue;
        }
        Bgr24ToRgb32Line(in, reinterpret_cast<quint32*>(out) + dest.left(), w);
    }
    return true;
}
} // namespace

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& src)
{
    if (source && source != this && source->m_target && m_target && m_copyMode == TCopyMode::cmSrcCopy &&
        !m_hasClip && dest.Width() == src.Width() && dest.Height() == src.Height() &&
        m_target->rect().contains(ToQRect(dest)) && source->m_target->rect().contains(ToQRect(src))) {
        // Neither painter may hold the pixels while they are written directly.
        source->ReleaseHandle();
        ReleaseHandle();
        if (CopyPixels24(*m_target, ToQRect(dest), *source->m_target, ToQRect(src))) {
            Touched(dest);
            return;
        }
    }
    if (!source || !source->m_target || source->m_target->isNull() || dest.IsEmpty() || src.IsEmpty()) return;
    QPainter* p = Painter();
    if (!p) return;
    if (m_copyMode == TCopyMode::cmBlackness || m_copyMode == TCopyMode::cmWhiteness) {
        p->setCompositionMode(QPainter::CompositionMode_Source);
        p->fillRect(ToQRect(dest), m_copyMode == TCopyMode::cmBlackness ? Qt::black : Qt::white);
    } else {
        // Copying within one image goes through a copy of the source part; another canvas's
        // painter is closed so its pixels are read as they are now.
        QImage part;
        const QImage* img = source->m_target;
        QRect from = ToQRect(src);
        if (source == this) {
            part = img->copy(from);
            img = &part;
            from = QRect(0, 0, src.Width(), src.Height());
        } else {
            source->ReleaseHandle();
        }
        p->setCompositionMode(ModeOfCopy(m_copyMode));
        p->drawImage(ToQRect(dest), *img, from);
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Touched(dest);
}

void TCanvas::DrawBitmap(const TRect& dest, const TBitmap* bmp)
{
    if (!bmp || bmp->Empty() || dest.IsEmpty()) return;
    QPainter* p = Painter();
    if (!p) return;
    const QImage& img = bmp->Image();
    if (bmp->Transparent()) {
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->drawImage(ToQRect(dest), WithTransparentColor(img, bmp->TransparentColor()));
    } else {
        p->setCompositionMode(ModeOfCopy(m_copyMode));
        p->drawImage(ToQRect(dest), img);
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Touched(dest);
}

void TCanvas::Draw(int x, int y, const TBitmap* bmp)
{
    if (bmp) DrawBitmap(Bounds(x, y, bmp->Width(), bmp->Height()), bmp);
}

void TCanvas::StretchDraw(const TRect& dest, const TBitmap* bmp)
{
    DrawBitmap(dest.Normalized(), bmp);
}

void TCanvas::DrawImage(int x, int y, const QImage& img)
{
    QPainter* p = Painter();
    if (!p || img.isNull()) return;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawImage(x, y, img);
    Touched(Bounds(x, y, img.width(), img.height()));
}

// =============================================================================================
// 5. Text
// =============================================================================================

// Fonts, metrics and laid-out glyph runs for the canvas's font at the current extra spacing.
// Rebuilt when either changes; the glyph runs of recently drawn texts are kept, so that a
// text drawn every frame is shaped once.
struct TCanvas::TextCache {
    // What one font description at one extra spacing resolves to: the Qt fonts, their metrics
    // and the widths measured so far. Kept per thread across canvases, so that a canvas made
    // fresh for every frame (a scrolling control's work bitmap) neither resolves its font nor
    // measures its texts again.
    struct Face {
        QFont plain;                  // the font without extra spacing, for measuring
        QFont spaced;                 // with the extra spacing, for drawing and paths
        QFontMetrics fm{QFont()};
        int ascent = 0, height = 0, tabWidth = 8, underlinePos = 1, lineWidth = 1;
        QString sharedKey;            // the font's key for laid-out runs and sprites
        QHash<QString, int> widths;
    };
    static std::shared_ptr<Face> FaceOf(const TFont& font, int extraSpacing)
    {
        static thread_local QHash<QString, std::shared_ptr<Face>> faces;
        const QString key = font.Name() + QLatin1Char('|') + QString::number(font.Height()) + QLatin1Char('|') +
                            QString::number(font.Style()) + QLatin1Char('|') + QString::number(int(font.Pitch())) +
                            QLatin1Char('|') + QString::number(extraSpacing);
        auto it = faces.constFind(key);
        if (it != faces.constEnd()) return *it;
        auto f = std::make_shared<Face>();
        f->plain = font.ToQFont();
        f->spaced = f->plain;
        if (extraSpacing != 0) f->spaced.setLetterSpacing(QFont::AbsoluteSpacing, extraSpacing);
        f->fm = QFontMetrics(f->plain);
        f->sharedKey = f->plain.key() + QLatin1Char('|') + QString::number(extraSpacing) + QLatin1Char('|');
        f->ascent = f->fm.ascent();
        f->height = f->fm.height();
        f->tabWidth = std::max(1, 8 * f->fm.averageCharWidth());
        f->underlinePos = std::max(1, f->fm.underlinePos());
        f->lineWidth = std::max(1, f->fm.lineWidth());
        if (faces.size() >= 64) faces.clear();
        faces.insert(key, f);
        return f;
    }

    uint64_t revision = 0;
    int extra = 0;
    std::shared_ptr<Face> face;
    QFont plain, spaced;
    const QFontMetrics* fm = nullptr;
    int ascent = 0, height = 0, tabWidth = 8, underlinePos = 1, lineWidth = 1;
    struct Run {
        QList<QGlyphRun> runs;
        qreal ascent = 0;         // the layout's baseline below its top
    };
    QHash<QString, Run> runs;
    static constexpr int MaxEntries = 256;
    // Laid-out runs are also kept per thread across canvases, under the font's key.
    QString sharedKey;
    static QHash<QString, Run>& SharedRuns()
    {
        static thread_local QHash<QString, Run> shared;
        return shared;
    }

    void Sync(const TFont& font, int extraSpacing)
    {
        if (face && revision == font.Revision() && extra == extraSpacing) return;
        revision = font.Revision();
        std::shared_ptr<Face> f = FaceOf(font, extraSpacing);
        if (f == face) return;   // only the colour or the character set changed
        face = std::move(f);
        extra = extraSpacing;
        plain = face->plain;
        spaced = face->spaced;
        fm = &face->fm;
        sharedKey = face->sharedKey;
        ascent = face->ascent;
        height = face->height;
        tabWidth = face->tabWidth;
        underlinePos = face->underlinePos;
        lineWidth = face->lineWidth;
        runs.clear();
    }

    // Qt puts letter spacing after every grapheme cluster (a character with its combining
    // marks; a character outside the basic plane, two UTF-16 units), not after every unit.
    static int SpacedCharacters(const QString& s)
    {
        int n = 0;
        QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, s);
        while (clusters.toNextBoundary() != -1) ++n;
        return n;
    }

    // Advance width of a piece of text without tabs, with the extra spacing after every
    // character.
    int Advance(const QString& s)
    {
        if (s.isEmpty()) return 0;
        QHash<QString, int>& widths = face->widths;
        auto it = widths.constFind(s);
        if (it != widths.constEnd()) return *it;
        if (widths.size() >= MaxEntries) widths.clear();
        const int w = fm->horizontalAdvance(s) + (extra == 0 ? 0 : extra * SpacedCharacters(s));
        widths.insert(s, w);
        return w;
    }

    const Run& RunOf(const QString& s)
    {
        auto it = runs.constFind(s);
        if (it != runs.constEnd()) return *it;
        if (runs.size() >= MaxEntries) runs.clear();
        QHash<QString, Run>& shared = SharedRuns();
        const QString key = sharedKey + s;
        auto known = shared.constFind(key);
        if (known != shared.constEnd()) return *runs.insert(s, *known);
        QTextLayout layout(s, spaced);
        QTextOption opt;
        opt.setWrapMode(QTextOption::NoWrap);
        opt.setFlags(QTextOption::IncludeTrailingSpaces);
        layout.setTextOption(opt);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1e7);
        layout.endLayout();
        Run r;
        r.runs = layout.glyphRuns();
        r.ascent = line.ascent();
        if (shared.size() >= MaxEntries) shared.clear();
        shared.insert(key, r);
        return *runs.insert(s, r);
    }

    // The band of rows around a line that drawn text may touch: a margin above and below.
    int InkMargin() const { return height / 2 + 2; }

    // A piece of text as Qt renders it, kept glyph by glyph as coverage masks (0..255 per
    // pixel) cropped to their ink, in drawing order: where the ink of neighbouring glyphs
    // overlaps, blending them one after the other gives what Qt's blending gives. Left and top
    // place a mask against the point where the piece is drawn.
    struct Mask {
        int left = 0, top = 0, width = 0, height = 0;
        std::vector<uchar> coverage;
    };
    using Sprite = std::vector<Mask>;
    const Sprite& SpriteOf(const QString& s)
    {
        static thread_local QHash<QString, std::shared_ptr<const Sprite>> sprites;
        static thread_local size_t bytes = 0;
        const QString key = sharedKey + s;
        auto known = sprites.constFind(key);
        if (known != sprites.constEnd()) return **known;
        const Run& run = RunOf(s);
        auto sp = std::make_shared<Sprite>();
        size_t size = 0;
        for (const QGlyphRun& g : run.runs) {
            const QList<quint32> glyphs = g.glyphIndexes();
            const QList<QPointF> positions = g.positions();
            const QRawFont font = g.rawFont();
            for (int i = 0; i < glyphs.size(); ++i) {
                // The glyph at its place under the piece's origin, with its fraction of a pixel.
                const QPointF at = positions[i] + QPointF(0, ascent - run.ascent);
                const QRect box = font.boundingRect(glyphs[i]).translated(at).toAlignedRect().adjusted(-4, -4, 4, 4);
                if (box.isEmpty()) continue;
                QImage img(box.size(), QImage::Format_ARGB32_Premultiplied);
                img.fill(0);
                {
                    QPainter q(&img);
                    q.setRenderHint(QPainter::Antialiasing, false);
                    q.setRenderHint(QPainter::TextAntialiasing, true);
                    q.setPen(QColor(255, 255, 255));
                    QGlyphRun one = g;
                    one.setGlyphIndexes({glyphs[i]});
                    one.setPositions({positions[i]});
                    q.drawGlyphRun(QPointF(-box.left(), -box.top() + ascent - run.ascent), one);
                }
                int x0 = img.width(), x1 = -1, y0 = img.height(), y1 = -1;
                for (int y = 0; y < img.height(); ++y) {
                    const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
                    for (int x = 0; x < img.width(); ++x) {
                        if (!qAlpha(row[x])) continue;
                        x0 = std::min(x0, x);
                        x1 = std::max(x1, x);
                        y0 = std::min(y0, y);
                        y1 = std::max(y1, y);
                    }
                }
                if (x1 < 0) continue;
                Mask m;
                m.left = box.left() + x0;
                m.top = box.top() + y0;
                m.width = x1 - x0 + 1;
                m.height = y1 - y0 + 1;
                m.coverage.resize(size_t(m.width) * size_t(m.height));
                for (int y = 0; y < m.height; ++y) {
                    const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y0 + y)) + x0;
                    for (int x = 0; x < m.width; ++x)
                        m.coverage[size_t(y) * size_t(m.width) + size_t(x)] = uchar(qAlpha(row[x]));
                }
                size += m.coverage.size();
                sp->push_back(std::move(m));
            }
        }
        if (sprites.size() >= MaxEntries || bytes > (size_t(32) << 20)) {
            sprites.clear();
            bytes = 0;
        }
        bytes += size;
        return **sprites.insert(key, sp);
    }
};

// One line of laid-out text: pieces between tabs with their x offsets, mnemonic underlines.
struct TCanvas::TextLine {
    struct Piece { QString text; int x; };
    std::vector<Piece> pieces;
    std::vector<std::pair<int, int>> underlines;   // x, width
    int width = 0;
};

TCanvas::TextCache& TCanvas::Text() const
{
    if (!m_text) m_text = std::make_unique<TextCache>();
    m_text->Sync(*m_font, m_charExtra);
    return *m_text;
}

TCanvas::TextLine TCanvas::BuildLine(const QString& raw, uint32_t flags) const
{
    TextCache& tc = Text();
    // Prefixes: "&x" underlines x, "&&" is one "&"; a trailing single "&" shows nothing.
    QString s;
    std::vector<int> marks;
    if (flags & DT_NOPREFIX) {
        s = raw;
    } else {
        s.reserve(raw.size());
        for (int i = 0; i < raw.size(); ++i) {
            if (raw.at(i) == QLatin1Char('&')) {
                if (i + 1 >= raw.size()) break;
                ++i;
                if (raw.at(i) != QLatin1Char('&') && !(flags & DT_HIDEPREFIX)) marks.push_back(int(s.size()));
            }
            s += raw.at(i);
        }
    }
    // Line breaks inside a single line, and tabs that are not expanded, count as blanks.
    for (QChar& ch : s) {
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) ch = QLatin1Char(' ');
        else if (ch == QLatin1Char('\t') && !(flags & DT_EXPANDTABS)) ch = QLatin1Char(' ');
    }
    TextLine line;
    int x = 0;
    int start = 0;
    for (int i = 0; i <= s.size(); ++i) {
        if (i < s.size() && s.at(i) != QLatin1Char('\t')) continue;
        const QString piece = s.mid(start, i - start);
        for (int m : marks) {
            if (m >= start && m < i) {
                const int ux = x + tc.Advance(piece.left(m - start));
                line.underlines.push_back({ux, tc.fm->horizontalAdvance(s.at(m))});
            }
        }
        if (!piece.isEmpty()) line.pieces.push_back({piece, x});
        x += tc.Advance(piece);
        if (i < s.size()) x = (x / tc.tabWidth + 1) * tc.tabWidth;
        start = i + 1;
    }
    line.width = x;
    return line;
}

std::vector<TCanvas::TextLine> TCanvas::LayoutText(const QString& text, uint32_t flags, int width) const
{
    std::vector<TextLine> lines;
    QStringList paragraphs;
    if (flags & DT_SINGLELINE) {
        paragraphs << text;
    } else {
        QString t = text;
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        paragraphs = t.split(QLatin1Char('\n'));
    }
    const bool wrap = (flags & DT_WORDBREAK) && !(flags & DT_SINGLELINE);
    for (const QString& para : paragraphs) {
        if (!wrap) {
            lines.push_back(BuildLine(para, flags));
            continue;
        }
        // Greedy word wrap: a line takes words while it fits; blanks at a break are dropped;
        // a single word wider than the rectangle stays whole on its own line.
        int pos = 0;
        const int n = int(para.size());
        do {
            int end = pos;     // end of the accepted text
            int scan = pos;
            while (scan < n) {
                int wordEnd = scan;
                while (wordEnd < n && para.at(wordEnd) == QLatin1Char(' ')) ++wordEnd;
                while (wordEnd < n && para.at(wordEnd) != QLatin1Char(' ')) ++wordEnd;
                if (end > pos && BuildLine(para.mid(pos, wordEnd - pos), flags).width > width) break;
                end = wordEnd;
                scan = wordEnd;
            }
            lines.push_back(BuildLine(para.mid(pos, end - pos), flags));
            pos = end;
            while (pos < n && para.at(pos) == QLatin1Char(' ')) ++pos;
        } while (pos < n);
    }
    return lines;
}

void TCanvas::DrawTextLine(QPainter* p, const TextLine& line, int x, int y, bool opaque, TRect& touched)
{
    TextCache& tc = Text();
    const TRect box = Bounds(x, y, line.width, tc.height);
    touched = UnionRect(touched, box);
    if (m_inPath) {
        for (const auto& piece : line.pieces)
            m_path.addText(QPointF(x + piece.x, y + tc.ascent), tc.spaced, piece.text);
        return;
    }
    if (opaque && line.width > 0) p->fillRect(ToQRect(box), ToQColor(m_brush->Color()));
    // Qt blends glyphs onto 24-bit images through a generic per-pixel conversion that costs
    // several times the blend itself. On such an image, draw the line onto a 32-bit copy of the
    // area it covers (room left for glyphs that reach past their advance) and put that back.
    // Underlined and struck-out faces keep the direct way: the glyph runs' own decorations did
    // not come out on the copy.
    QPainter* onto = p;
    QRect area;
    QImage& scratch = TextScratch();
    if (m_target->format() == QImage::Format_BGR888 && m_target->isDetached() && p->transform().isIdentity() &&
        p->compositionMode() == QPainter::CompositionMode_SourceOver && !tc.plain.underline() &&
        !tc.plain.strikeOut() &&
        (!p->hasClipping() || p->clipRegion().rectCount() <= 1)) {
        const int margin = tc.InkMargin();   // ink past the advance and the line's height
        area = QRect(x - margin, y - margin / 2, line.width + 2 * margin, tc.height + margin) & m_target->rect();
        if (p->hasClipping()) area &= p->clipBoundingRect().toAlignedRect();
        if (area.isEmpty()) return;
        if (scratch.width() < area.width() || scratch.height() < area.height())
            scratch = QImage(std::max(scratch.width(), area.width()), std::max(scratch.height(), area.height()),
                             QImage::Format_RGB32);
        for (int row = 0; row < area.height(); ++row)
            Bgr24ToRgb32Line(m_target->constScanLine(area.top() + row) + 3 * area.left(),
                             reinterpret_cast<quint32*>(scratch.scanLine(row)), area.width());
        onto = new QPainter(&scratch);
        onto->setRenderHints(p->renderHints());
        onto->setPen(p->pen());
        onto->setClipRect(QRect(0, 0, area.width(), area.height()));
        onto->translate(-area.left(), -area.top());
    }
    for (const auto& piece : line.pieces) {
        const TextCache::Run& run = tc.RunOf(piece.text);
        const QPointF origin(x + piece.x, y + tc.ascent - run.ascent);
        for (const QGlyphRun& g : run.runs) onto->drawGlyphRun(origin, g);
    }
    const QColor color = p->pen().color();
    for (const auto& u : line.underlines)
        onto->fillRect(QRect(x + u.first, y + tc.ascent + tc.underlinePos, u.second, tc.lineWidth), color);
    if (onto == p) return;
    delete onto;
    // The target's own painter writes straight into the same pixels and keeps no copy of them.
    for (int row = 0; row < area.height(); ++row) {
        const auto* in = reinterpret_cast<const quint32*>(scratch.constScanLine(row));
        auto* out = const_cast<uchar*>(m_target->constScanLine(area.top() + row)) + 3 * area.left();
        int i = 0;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        // Four pixels into three 32-bit words, the reverse of Bgr24ToRgb32Row.
        for (; i + 4 <= area.width(); i += 4, out += 12) {
            const quint32 a = (in[i] & 0xFFFFFFu) | (in[i + 1] << 24);
            const quint32 b = ((in[i + 1] >> 8) & 0xFFFFu) | (in[i + 2] << 16);
            const quint32 c = ((in[i + 2] >> 16) & 0xFFu) | (in[i + 3] << 8);
            std::memcpy(out, &a, 4);
            std::memcpy(out + 4, &b, 4);
            std::memcpy(out + 8, &c, 4);
        }
#endif
        for (; i < area.width(); ++i, out += 3) {
            out[0] = uchar(in[i]);
            out[1] = uchar(in[i] >> 8);
            out[2] = uchar(in[i] >> 16);
        }
    }
}

bool TCanvas::DirectTarget() const
{
    return !m_painter && m_target && !m_target->isNull() && m_target->format() == QImage::Format_BGR888;
}

namespace {
// x * a / 255 rounded, as Qt's raster engine computes it when blending.
inline uint ByteMul(uint x, uint a)
{
    const uint t = x * a;
    return (t + (t >> 8) + 0x80) >> 8;
}
} // namespace

void TCanvas::DrawTextLineDirect(const TextLine& line, int x, int y, bool opaque, const QRect& clip, TRect& touched)
{
    TextCache& tc = Text();
    const TRect box = Bounds(x, y, line.width, tc.height);
    touched = UnionRect(touched, box);
    if (opaque && line.width > 0) FillBgr24(*m_target, ToQRect(box) & clip, m_brush->Color());
    // The same band around the line that the drawing through a painter keeps to.
    const int margin = tc.InkMargin();
    const QRect area = QRect(x - margin, y - margin / 2, line.width + 2 * margin, tc.height + margin) & clip;
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
        for (const TextCache::Mask& m : tc.SpriteOf(piece.text)) {
            const int left = x + piece.x + m.left, top = y + m.top;
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
    for (const auto& u : line.underlines)
        FillBgr24(*m_target, QRect(x + u.first, y + tc.ascent + tc.underlinePos, u.second, tc.lineWidth) & area,
                  m_font->Color());
}

int TCanvas::DrawTextEx(const QString& text, TRect& r, uint32_t flags)
{
    TextCache& tc = Text();
    const std::vector<TextLine> lines = text.isEmpty() ? std::vector<TextLine>() : LayoutText(text, flags, r.Width());
    const int height = int(lines.size()) * tc.height;
    if (flags & DT_CALCRECT) {
        int width = 0;
        for (const TextLine& l : lines) width = std::max(width, l.width);
        r.Right = r.Left + width;
        r.Bottom = r.Top + height;
        return height;
    }
    const bool direct = !m_inPath && DirectTarget() && !tc.plain.underline() && !tc.plain.strikeOut();
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
    if (p) {
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->setPen(ToQColor(m_font->Color()));
        if (clip) p->setClipRect(ToQRect(r.Normalized()), m_hasClip ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    QRect clipArea;
    if (direct) {
        clipArea = m_target->rect();
        if (m_hasClip) clipArea &= ToQRect(m_clip);
        if (clip) clipArea &= ToQRect(r.Normalized());
    }
    TRect touched;
    for (const TextLine& line : lines) {
        int x = r.Left;
        if (flags & DT_CENTER) x = r.Left + (r.Width() - line.width) / 2;
        else if (flags & DT_RIGHT) x = r.Right - line.width;
        if (direct) DrawTextLineDirect(line, x, y, opaque, clipArea, touched);
        else DrawTextLine(p, line, x, y, opaque, touched);
        y += tc.height;
    }
    if (p || direct) {
        if (clip) {
            if (p) ApplyClip(*p);
            IntersectRect(touched, touched, r.Normalized());
        }
        Touched(touched);
    }
    return height;
}

bool TCanvas::GetTextExtentPoint(const QString& text, TPoint& size) const
{
    TextCache& tc = Text();
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

void TCanvas::TextRect(const TRect& r, int x, int y, const QString& text)
{
    TRect box(x, y, x, y);
    DrawTextEx(text, box, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    TRect clip = r.Normalized();
    if (m_hasClip && !IntersectRect(clip, clip, m_clip)) return;
    // Drawn inside a temporary clip of r; the canvas's own clip comes back afterwards.
    const bool hadClip = m_hasClip;
    const TRect oldClip = m_clip;
    SetClipRect(clip);
    DrawTextEx(text, box, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    if (hadClip) SetClipRect(oldClip);
    else ClearClip();
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
        ApplyPen(*p);
        QPen pen = p->pen();
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p->strokePath(m_path, pen);
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        const QRect b = m_path.boundingRect().toAlignedRect();
        TRect t = FromQRect(b);
        Touched(t.Inflate(m_pen->Width(), m_pen->Width()));
    }
    m_path = QPainterPath();
}

// =============================================================================================
// 6. DrawEdge
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
        if (IntersectRect(t, r, TRect(0, 0, canvas->Target()->width(), canvas->Target()->height())))
            canvas->OnChange(t);
    }
    if (flags & BF_ADJUST) r = inside;
    return true;
}

// =============================================================================================
// 7. TBitmap
// =============================================================================================
TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height)
{
    SetSize(width, height);
}

TBitmap::~TBitmap() = default;

void TBitmap::Assign(const TPersistent* Source)
{
    if (auto src = dynamic_cast<const TBitmap*>(Source)) {
        if (src == this) return;
        if (m_canvas) m_canvas->ReleaseHandle();
        m_image = src->Image().copy();
        m_width = src->m_width;
        m_height = src->m_height;
        m_format = src->m_format;
        m_transparent = src->m_transparent;
        m_transparentColor = src->m_transparentColor;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBitmap::SetSize(int w, int h)
{
    w = std::max(0, w);
    h = std::max(0, h);
    if (w == m_width && h == m_height) return;
    if (m_canvas) m_canvas->ReleaseHandle();
    m_width = w;
    m_height = h;
    if (w == 0 || h == 0) {
        m_image = QImage();
    } else {
        QImage next(w, h, QImage::Format_BGR888);
        std::memset(next.bits(), 0xFF, size_t(next.sizeInBytes()));   // white
        if (!m_image.isNull()) {
            const int cw = std::min(w, m_image.width()) * 3;
            const int ch = std::min(h, m_image.height());
            for (int y = 0; y < ch; ++y) std::memcpy(next.scanLine(y), m_image.constScanLine(y), size_t(cw));
        }
        m_image = std::move(next);
    }
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat f)
{
    if (f == m_format) return;
    m_format = f;
    Changed();
}

TCanvas* TBitmap::Canvas() const
{
    if (!m_canvas) {
        m_canvas = std::make_unique<TCanvas>();
        m_canvas->SetTarget(const_cast<QImage*>(&m_image));
    }
    return m_canvas.get();
}

uint8_t* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= Height() || m_image.isNull()) throw EInvalidOperation(QStringLiteral("Scan line index out of range"));
    if (m_canvas) m_canvas->ReleaseHandle();
    return m_image.scanLine(y);
}

const uint8_t* TBitmap::ScanLine(int y) const
{
    if (y < 0 || y >= Height() || m_image.isNull()) throw EInvalidOperation(QStringLiteral("Scan line index out of range"));
    if (m_canvas) m_canvas->ReleaseHandle();
    return m_image.constScanLine(y);
}

const QImage& TBitmap::Image() const
{
    if (m_canvas) m_canvas->ReleaseHandle();
    return m_image;
}

void TBitmap::SetImage(const QImage& img)
{
    if (m_canvas) m_canvas->ReleaseHandle();
    m_image = img.isNull() ? QImage() : img.convertToFormat(QImage::Format_BGR888);
    m_width = m_image.width();
    m_height = m_image.height();
    Changed();
}

bool TBitmap::LoadFromFile(const QString& path)
{
    QImage img;
    if (!img.load(path)) return false;
    SetImage(img);
    return true;
}
