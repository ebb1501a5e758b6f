// Index
//   1. Construction and destruction
//   2. Properties
//   3. Running: start, stop, reverse, the tick
//   4. Tick sources
//   5. Change handling and measuring
//   6. Frames: the segment walk, PaintImage, Paint
//   7. The picture behind the control
#include "scrolltext/fxscrolltext.h"

#include "platform/forms.h"
#include "platform/scoped.h"
#include "scrolltext/fxtextutils.h"

#include <QtMath>

#include <array>
#include <vector>

namespace {

const QLatin1String kBoldOn("<b>");
const QLatin1String kBoldOff("</b>");
constexpr uint32_t kSegmentFlags = DT_SINGLELINE | DT_NOPREFIX;

}  // namespace

// ---------------------------------------------------------------------------------------------
// 1. Construction and destruction
// ---------------------------------------------------------------------------------------------
TFxScrollText::TFxScrollText(TComponent* AOwner) : TFxGraphicControl(AOwner)
{
    DisableTransMode();
    m_lines = std::make_unique<TStringList>();
    m_lines->Add(ClassName());
    // Bound after the first line, so that it causes no notification.
    m_lines->OnChange = [this](TObject* s) { GetChange(s); };
    m_font3D = std::make_unique<TFx3DCaption>();
    m_font3D->OnChange = [this](TObject* s) { GetChange(s); };
    SetWidth(200);
    SetHeight(20);
    m_snapshot = std::make_unique<TBitmap>();
    ActivateTimer();
}

TFxScrollText::~TFxScrollText()
{
    Destroying();
    Stop();
    DeActivateTimer(m_timerMode);
    m_snapshot.reset();
    m_font3D->OnChange = nullptr;
    m_lines->OnChange = nullptr;
    m_font3D.reset();
    m_lines.reset();
}

// ---------------------------------------------------------------------------------------------
// 2. Properties
// ---------------------------------------------------------------------------------------------
void TFxScrollText::SetAlignment(TAlignment Value)
{
    if (m_alignment == Value) return;
    m_alignment = Value;
    if (!m_scroll) InvalidateControl();
}

void TFxScrollText::SetDirection(TFxScrollDirection Value)
{
    if (m_direction == Value) return;
    Stop();
    m_direction = Value;
}

void TFxScrollText::SetInterval(TFxTimerInterval Value)
{
    if (m_interval == Value) return;
    if (!IsLoading()) Stop();
    m_interval = Value;
}

void TFxScrollText::SetScrollStyle(TFxScrollStyle Value)
{
    if (m_scrollStyle == Value) return;
    Stop();
    m_scrollStyle = Value;
}

void TFxScrollText::SetScrollMode(TFxScrollMode Value)
{
    if (m_scrollMode == Value) return;
    Stop();
    m_scrollMode = Value;
}

void TFxScrollText::SetSteps(int32_t Value)
{
    if (m_steps == Value || Value <= 0) return;
    Stop();
    m_steps = Value;
}

void TFxScrollText::SetBool(int Index, bool Value)
{
    switch (Index) {
    case 0:
        m_makeVisible = Value;
        break;
    case 1:
        if (Value == m_scroll) return;
        if (Value) {
            Execute();
        } else {
            Stop();
            if (IsDesigning()) InvalidateControl();
        }
        break;
    case 2:
        if (Value == m_transparentProp) return;
        m_transparentProp = Value;
        TFxGraphicControl::SetTransparent(Value);
        Stop();
        if (Value) {
            m_backStale = true;
        } else {
            m_snapshot->SetSize(0, 0);
        }
        InvalidateControl();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// 3. Running
// ---------------------------------------------------------------------------------------------
void TFxScrollText::ExecuteEnh(int32_t Step)
{
    if (IsLoading() || GetEmpty()) return;
    if (m_scroll) Stop();
    if (!Visible()) {
        if (!m_makeVisible) return;
        SetVisible(true);
    }
    m_scroll = true;
    m_step = (Step >= 0 && Step <= m_steps - 1) ? Step : 0;
    if (OnStart) OnStart(this);
    PaintImage();
    EnableTimer(true);
}

void TFxScrollText::Stop()
{
    if (!m_scroll) return;
    EnableTimer(false);
    m_scroll = false;
    m_step = 0;
    if (!IsDestroying() && OnStop) OnStop(this);
}

void TFxScrollText::Reverse()
{
    m_step = m_steps - m_step;
    m_direction = FactsOf(m_direction).opposite;
}

void TFxScrollText::GetTimer(TObject* Sender)
{
    if (!m_scroll) return;
    ++m_step;
    PaintImage();
    if (m_step <= m_steps) return;
    switch (m_scrollStyle) {
    case TFxScrollStyle::ssLoop: m_step = 0; break;
    case TFxScrollStyle::ssLoopReverse: Reverse(); break;
    case TFxScrollStyle::ssOnce: Stop(); break;
    }
}

// ---------------------------------------------------------------------------------------------
// 4. Tick sources
// ---------------------------------------------------------------------------------------------
void TFxScrollText::ActivateTimer()
{
    const TNotifyEvent tick = [this](TObject* s) { GetTimer(s); };
    switch (m_timerMode) {
    case TFxTimerMode::tmNormal:
    case TFxTimerMode::tmGlobalTimer:
        m_poolTimer = std::make_unique<TFxTimer>(m_interval, tick, false, m_timerMode == TFxTimerMode::tmGlobalTimer);
        break;
    case TFxTimerMode::tmHiTimer:
    case TFxTimerMode::tmThreaded:
        m_hiTimer = new TFxHiTimer(this);
        m_hiTimer->SetOnTimer(tick);
        m_hiTimer->SetUseThread(m_timerMode == TFxTimerMode::tmThreaded);
        break;
    }
}

void TFxScrollText::DeActivateTimer(TFxTimerMode Mode)
{
    switch (Mode) {
    case TFxTimerMode::tmNormal:
    case TFxTimerMode::tmGlobalTimer:
        m_poolTimer.reset();
        break;
    case TFxTimerMode::tmHiTimer:
    case TFxTimerMode::tmThreaded:
        delete m_hiTimer;
        m_hiTimer = nullptr;
        break;
    }
}

void TFxScrollText::EnableTimer(bool Enable)
{
    switch (m_timerMode) {
    case TFxTimerMode::tmNormal:
    case TFxTimerMode::tmGlobalTimer:
        if (!m_poolTimer) return;
        if (Enable) m_poolTimer->SetInterval(m_interval);
        m_poolTimer->SetEnabled(Enable);
        break;
    case TFxTimerMode::tmHiTimer:
    case TFxTimerMode::tmThreaded:
        if (!m_hiTimer) return;
        if (Enable) {
            m_hiTimer->SetInterval(m_interval);
            m_hiTimer->SetThreadPriority(m_threadPriority);
        }
        m_hiTimer->SetEnabled(Enable);
        break;
    }
}

void TFxScrollText::SetTimerMode(TFxTimerMode Value)
{
    if (m_timerMode == Value) return;
    if (IsLoading()) {
        m_timerMode = Value;
        return;
    }
    Stop();
    DeActivateTimer(m_timerMode);
    m_timerMode = Value;
    ActivateTimer();
}

// ---------------------------------------------------------------------------------------------
// 5. Change handling and measuring
// ---------------------------------------------------------------------------------------------
void TFxScrollText::GetChange(TObject* Sender)
{
    if (IsLoading()) return;
    if (Sender == Font() || Sender == m_font3D.get() || Sender == m_lines.get()) CalculateDimensions();
    TFxGraphicControl::GetChange(Sender);
}

void TFxScrollText::WndProc(TMessage& Message)
{
    TFxGraphicControl::WndProc(Message);
    if (Message.Msg == CM_FONTCHANGED) GetChange(Font());
}

void TFxScrollText::Loaded()
{
    TFxGraphicControl::Loaded();
    if (m_timerMode != TFxTimerMode::tmNormal) {
        DeActivateTimer(TFxTimerMode::tmNormal);
        ActivateTimer();
    }
    CalculateDimensions();
}

QString TFxScrollText::GetAsTickerText() const
{
    // Rebuilt whenever the lines differ from those it was built from, also inside an update
    // bracket of the list, which holds back the change report. Comparing shared copies is
    // cheap: an unchanged list still shares its data with the copy kept here.
    const QStringList& lines = m_lines->Items();
    if (lines != m_tickerLines) {
        QString s;
        for (const QString& line : lines) {
            s += line;
            s += QLatin1Char(' ');
        }
        m_tickerText = s;
        m_tickerLines = lines;
    }
    return m_tickerText;
}

void TFxScrollText::CalculateDimensions()
{
    if (IsLoading()) return;
    ++m_measured;
    m_lineHeight = FxGet3DTextHeight(m_font3D.get(), Font());
    m_textHeight = m_lines->Count() * m_lineHeight;
    m_textWidth = 0;
    if (m_scrollMode == TFxScrollMode::smMarquee) {
        for (int i = 0; i < m_lines->Count(); ++i)
            m_textWidth = std::max(m_textWidth, FxGet3DTextWidth(m_lines->Get(i), m_font3D.get(), Font()));
    } else {
        m_textHeight = m_lineHeight;
        const int32_t w = FxGet3DTextWidth(GetAsTickerText(), m_font3D.get(), Font());
        if (w > 0) m_textWidth = w;
    }
}

void TFxScrollText::Invalidate()
{
    TFxGraphicControl::Invalidate();
    if (m_transparentProp) m_backStale = true;
}

void TFxScrollText::BackUpdate()
{
    if (IsLoading()) return;
    if (CheckOptimized() || m_transparentProp) {
        m_backStale = true;
        BackFX()->DestroyBuffer();
        GetChange(nullptr);
    }
}

void TFxScrollText::BoundsChange(TFxBoundsChangeStates State)
{
    TFxGraphicControl::BoundsChange(State);
    BackFX()->DestroyBuffer();
    if (m_transparentProp) m_backStale = true;
}

// ---------------------------------------------------------------------------------------------
// 6. Frames
// ---------------------------------------------------------------------------------------------
// Cuts a text into the pieces between the tags. Tags at the front are consumed one after the
// other (each switching Bold); the segment runs up to the nearer of the next tags. An empty
// segment means the text is used up.
struct TFxScrollText::SegmentWalk {
    const QString& text;
    bool& bold;
    qsizetype pos = 0;

    QString Next()
    {
        for (;;) {
            const QStringView rest = QStringView(text).mid(pos);
            if (rest.startsWith(kBoldOff)) {
                bold = false;
                pos += kBoldOff.size();
            } else if (rest.startsWith(kBoldOn)) {
                bold = true;
                pos += kBoldOn.size();
            } else {
                break;
            }
        }
        if (pos >= text.size()) return QString();
        qsizetype end = text.size();
        const qsizetype b = text.indexOf(kBoldOn, pos);
        const qsizetype e = text.indexOf(kBoldOff, pos);
        if (b >= 0) end = b;
        if (e >= 0 && e < end) end = e;
        // The whole text comes back shared, without a copy.
        QString segment = text.mid(pos, end - pos);
        pos = end;
        return segment;
    }
};

void TFxScrollText::ApplyBold(TCanvas* Canvas, bool Bold) const
{
    const TFontStyles base = Font()->Style();
    Canvas->Font()->SetStyle(Bold ? TFontStyles(base | fsBold) : TFontStyles(base & ~fsBold));
}

int32_t TFxScrollText::MeasureLine(TCanvas* Canvas, const QString& Line, bool Bold) const
{
    SegmentWalk walk{Line, Bold};
    int32_t total = 0;
    for (;;) {
        const QString segment = walk.Next();
        ApplyBold(Canvas, Bold);
        if (segment.isEmpty()) break;
        TRect r(0, 0, 0, 0);
        FxDrawTextCalc(segment, m_font3D.get(), r, Canvas->Font(), false, false, 0, 0);
        total += r.Right;
    }
    return total;
}

void TFxScrollText::DrawSegments(TCanvas* Canvas, const QString& Line, TRect R, const TRect& L, bool& Bold,
                                 std::vector<DrawnSegment>* Record)
{
    if (Record) Record->clear();
    const TFxDrawTextStyles styles =
        Enabled() ? DrawTextStyles(TFxDrawTextStyle::dtEnabled) : DrawTextStyles(TFxDrawTextStyle::dtDisabled);
    SegmentWalk walk{Line, Bold};
    for (;;) {
        const QString segment = walk.Next();
        ApplyBold(Canvas, Bold);
        if (segment.isEmpty()) break;
        if (OnDrawSegment) OnDrawSegment(segment, R, Canvas->Font()->Style());
        if (Record) Record->push_back({segment, TRect(R).Offset(-L.Left, -L.Top), Canvas->Font()->Style()});
        FxDrawTextExt(Canvas, segment, m_font3D.get(), R, kSegmentFlags, styles, nullptr);
        FxDrawTextCalc(segment, m_font3D.get(), R, Canvas->Font(), false, false, 0, 0);
        R.Left = R.Right;
        R.Right = L.Right;
    }
}

bool TFxScrollText::BlockKey::operator==(const BlockKey& o) const
{
    return measured == o.measured && font == o.font && color == o.color && enabled == o.enabled &&
           alignment == o.alignment && mode == o.mode && horizontal == o.horizontal && innerWidth == o.innerWidth &&
           innerHeight == o.innerHeight && ratio == o.ratio && lines == o.lines;
}

TFxScrollText::BlockKey TFxScrollText::CurrentBlockKey() const
{
    BlockKey k;
    // The lines are compared as well as the count of measurings: inside an update bracket
    // they change without a report. An unchanged list shares its data, so this is cheap.
    k.lines = m_lines->Items();
    k.measured = m_measured;
    k.font = Font()->Revision();
    k.color = Color();
    k.enabled = Enabled();
    k.alignment = m_alignment;
    k.mode = m_scrollMode;
    k.horizontal = FactsOf(m_direction).horizontal;
    k.innerWidth = m_innerWidth;
    k.innerHeight = m_innerHeight;
    k.ratio = DevicePixelRatio();
    return k;
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

TRect TFxScrollText::MoveKeptFrame(TPoint d)
{
    // Glyphs and their 3D copies come out the same wherever a block stands on a plain
    // background, so the part of the block that was in view is the same pixels moved. What
    // was not in view (and must now be drawn) is what shifts in across the edge.
    TCanvas* wc = m_work->Canvas();
    const TRect view(0, 0, m_innerWidth, m_innerHeight);
    TRect moved, from = m_workDrawn;
    if (IntersectRect(moved, from.Offset(d.X, d.Y), view) && (d.X != 0 || d.Y != 0)) {
        TRect source = moved;
        wc->CopyRect(moved, wc, source.Offset(-d.X, -d.Y));
    }
    // What the text covered and left is cleared. Everything else already shows the
    // background, the band that comes into view included: it was either outside what the text
    // covered or is cleared now.
    for (const TRect& r : Outside(m_workDrawn, moved))
        if (!r.IsEmpty()) wc->FillRect(r);
    m_workDrawn = moved;
    // The shift is along one axis, so what comes in is one band along one edge.
    TRect seen = view, band;
    for (const TRect& r : Outside(view, seen.Offset(d.X, d.Y))) band = UnionRect(band, r);
    return band;
}

void TFxScrollText::PaintImage()
{
    // The frame is composed off screen in a 24-bit work image. On a scaled screen it holds the
    // screen's device pixels, so that text is rasterised at the screen's resolution; the
    // geometry below stays in logical pixels.
    //
    // Over a plain background (a solid colour, no background effect, a whole-number scale) the
    // work image is kept from tick to tick, and as long as nothing the text block depends on
    // changed, the next frame is the last one with the block moved (MoveKeptFrame): the text
    // is drawn only where it comes into view, and only what the text covered and covers can
    // differ from the frame on the surface, so only that part is copied. Everything else
    // starts afresh: a new work image (not whitened when it is filled at once), the
    // background, the effects, all of the text, a whole copy. A frame asked for from inside
    // OnScroll (a nested one) uses an image of its own and makes the next frame a whole one.
    const bool nested = m_composing;
    TScopedValue<bool> composing(m_composing, true);
    const qreal ratio = DevicePixelRatio();
    const int pixelsW = qCeil(m_innerWidth * ratio), pixelsH = qCeil(m_innerHeight * ratio);
    m_centerOffset = m_innerHeight < m_textHeight ? 0 : (m_innerHeight - m_textHeight) / 2;
    const double f = double(m_step) / double(m_steps);
    const int32_t spanX = m_textWidth + m_innerWidth;
    const int32_t spanY = m_textHeight + m_innerHeight;
    TPoint p(0, m_centerOffset);
    const TFxScrollDirectionFacts facts = FactsOf(m_direction);
    const double along = facts.towardsOrigin ? 1.0 - f : f;   // from the start edge, 0 to 1
    if (facts.horizontal) p.X = Round(spanX * along) - m_textWidth;
    else p.Y = Round(spanY * along) - m_textHeight;
    m_origin = p;
    const bool horizontal = facts.horizontal;
    auto lineRect = [&](int32_t y) {
        return horizontal ? TRect(p.X, y, p.X + m_textWidth, y + m_lineHeight)
                          : TRect(0, y, m_innerWidth, y + m_lineHeight);
    };
    const TRect visible(0, 0, m_innerWidth, m_innerHeight);
    // The marquee lines drawn are those whose rectangle meets the view; a line's 3D copies may
    // reach past its rectangle, so when a line comes into view or leaves it, the frame is
    // composed whole.
    std::pair<int, int> inView(0, 1);
    if (m_scrollMode == TFxScrollMode::smMarquee) {
        inView = {m_lines->Count(), 0};
        for (int i = 0; i < m_lines->Count(); ++i) {
            TRect overlap;
            if (!IntersectRect(overlap, lineRect(p.Y + i * m_lineHeight), visible)) continue;
            inView.first = std::min(inView.first, i);
            inView.second = i + 1;
        }
    }

    // A frame over a solid colour at a whole-number scale is filled at once, so its work image
    // needs no whitening; without background effects it is also plain enough to be kept.
    const bool solid = !m_transparentProp && ratio == qFloor(ratio);
    const bool plain = solid && !BackFX()->Active();
    BlockKey key = CurrentBlockKey();
    const bool keep = plain && !nested && m_workKept && !m_wholeFrameDue && key == m_workKey &&
                      inView == m_workInView && m_surfaceSeen == SurfaceGeneration();
    m_wholeFrameDue = nested;
    std::unique_ptr<TBitmap> own;
    TBitmap* work;
    if (nested) {
        own = std::make_unique<TBitmap>();
        work = own.get();
    } else {
        // Stays false until this frame is complete: a frame cut short by an exception is not
        // built on.
        m_workKept = false;
        if (!keep) m_work = std::make_unique<TBitmap>();
        work = m_work.get();
    }
    TCanvas* wc = work->Canvas();
    const TRect lastDrawn = keep ? m_workDrawn : TRect();
    wc->Brush()->SetColor(Color());
    wc->Brush()->SetStyle(TBrushStyle::bsSolid);
    wc->Pen()->SetStyle(TPenStyle::psClear);
    if (!keep) {
        work->SetPixelFormat(TPixelFormat::pf24bit);
        work->SetDevicePixelRatio(ratio);
        if (solid) work->AllocateUnfilled(pixelsW, pixelsH);
        else work->SetSize(pixelsW, pixelsH);
        if (m_transparentProp) wc->Draw(0, 0, m_snapshot.get());
        else wc->FillRect(TRect(0, 0, m_innerWidth, m_innerHeight));
        BackFX()->Draw(work);
    }
    wc->SetFont(Font());

    // A kept frame: the block moved, the text drawn only where it comes into view.
    TRect band;
    if (keep) {
        band = MoveKeptFrame(TPoint(p.X - m_workOrigin.X, p.Y - m_workOrigin.Y));
        wc->SetClipRect(band);
    }
    // What the text covers, as the work canvas reports it drawing.
    TRect drawn;
    wc->OnChange = [&drawn](const TRect& r) { drawn = UnionRect(drawn, r); };
    const TScopeExit unhook([wc] {
        wc->OnChange = nullptr;
        wc->ClearClip();
    });

    bool bold = false;

    auto prepareColours = [&] {
        wc->Brush()->SetColor(Color());
        wc->Font()->SetColor(Font()->Color());
    };
    if (m_scrollMode == TFxScrollMode::smMarquee) {
        int32_t y = p.Y;
        for (int i = 0; i < m_lines->Count(); ++i, y += m_lineHeight) {
            const QString line = m_lines->Get(i);
            const TRect L = lineRect(y);
            if (i < inView.first || i >= inView.second) {
                // Out of view: walked only to carry the bold state on to the next lines.
                SegmentWalk walk{line, bold};
                while (!walk.Next().isEmpty()) {
                }
                ApplyBold(wc, bold);
                continue;
            }
            prepareColours();
            const int32_t t = MeasureLine(wc, line, bold);
            TRect R = L;
            switch (m_alignment) {
            case TAlignment::taLeftJustify: R.Right = L.Left + t; break;
            case TAlignment::taRightJustify: R.Left = L.Right - t; break;
            case TAlignment::taCenter:
                R.Left = L.Left + (L.Right - L.Left - t) / 2;
                R.Right = R.Left + t;
                break;
            }
            DrawSegments(wc, line, R, L, bold);
        }
    } else {
        prepareColours();
        const TRect L = lineRect(p.Y);
        // Plain enabled text stays inside its segments' rectangles and so inside the line: when
        // the band that comes into view misses the line, there is nothing to draw, and the
        // segments are only told again, moved with the line.
        TRect meets;
        if (keep && m_font3D->Style() == TFxThreeDStyle::tdNone && Enabled() && !IntersectRect(meets, band, L)) {
            if (OnDrawSegment)
                for (const DrawnSegment& d : m_tickerSegments)
                    OnDrawSegment(d.text, TRect(d.r).Offset(L.Left, L.Top), d.style);
        } else {
            DrawSegments(wc, GetAsTickerText(), L, L, bold, nested ? nullptr : &m_tickerSegments);
        }
    }

    wc->OnChange = nullptr;
    wc->ClearClip();
    TRect changed(0, 0, m_innerWidth, m_innerHeight);
    if (keep) {
        // The moved part is in m_workDrawn now; the copy covers it, what was drawn and what the
        // text covered before.
        drawn = UnionRect(m_workDrawn, drawn);
        changed = UnionRect(lastDrawn, drawn);
    }
    if (!nested) {
        m_workDrawn = drawn;
        m_workOrigin = p;
        m_workInView = inView;
        m_workKey = std::move(key);
        m_workKept = plain;
    }

    if (OnScroll) OnScroll(this);
    if (work->Empty() || changed.IsEmpty()) return;
    const int b = BevelExt();
    Canvas()->CopyRect(TRect(b + changed.Left, b + changed.Top, b + changed.Right, b + changed.Bottom), wc, changed);
    if (!nested) m_surfaceSeen = SurfaceGeneration();
}

void TFxScrollText::Paint()
{
    if (IsLoading() || m_painting) return;
    TScopedValue<bool> painting(m_painting, true);

    const TRect client = ClientRect();
    const TRect inner = Bevel()->PaintBevel(Canvas(), client, false);
    m_innerWidth = std::max(0, inner.Width());
    m_innerHeight = std::max(0, inner.Height());

    if (m_backStale && m_transparentProp) {
        if (CheckOptimized()) {
            m_snapshot->SetSize(Width(), Height());
            BackDrawArea(m_snapshot->Canvas(), client, TPoint(0, 0), 0);
        } else {
            FxBmpFromDesktop(m_snapshot.get(), GetScreenRect(inner), this);
        }
        m_backStale = false;
    }
    // A paint cycle redraws the whole frame: what the surface holds is not taken on trust.
    m_wholeFrameDue = true;
    PaintImage();
    if (IsDesigning() && !m_scroll && BevelExt() == 0) DrawDashedFrame();
}

// ---------------------------------------------------------------------------------------------
// 7. The picture behind the control
// ---------------------------------------------------------------------------------------------
void FxBmpFromDesktop(TBitmap* Bitmap, const TRect& Rect, const TGraphicControl* Control)
{
    if (!Bitmap || Rect.IsEmpty()) return;
    Bitmap->SetSize(Rect.Width(), Rect.Height());
    if (Control && Control->Parent() && Control->Width() > 0 && Control->Height() > 0) {
        // The screen shows the control's own last frame here: render what its parent paints
        // under it instead, as the paint cycle does, and take the requested part of that.
        QImage under(Control->Width(), Control->Height(), QImage::Format_RGB32);
        under.fill(0xFFFFFFFFu);
        Control->RenderParentBackground(under);
        const TPoint origin = Control->ScreenToClient(Rect.TopLeft());
        Bitmap->SetImage(under.copy(ToQRect(Bounds(origin.X, origin.Y, Rect.Width(), Rect.Height()))));
        return;
    }
    const QImage grabbed = GrabScreenRect(Rect);
    if (!grabbed.isNull()) Bitmap->SetImage(grabbed);
}
