// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
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
#include "platform/frameclock.h"
#include "platform/pixelrows.h"
#include "platform/scoped.h"
#include "scrolltext/fxtextutils.h"
#include "scrolltext/keptframe.h"
#include "scrolltext/motion.h"

#include <QtMath>

#include <vector>

namespace {

const QLatin1String kBoldOn("<b>");
const QLatin1String kBoldOff("</b>");
constexpr uint32_t kSegmentFlags = DT_SINGLELINE | DT_NOPREFIX;
// How much sooner than a whole tick period a window timer's tick must run when it may wait for
// a refresh: the millisecond an event loop rounds a wait up to, and room for a busy machine.
constexpr int64_t kTickWaitMarginNs = 2'500'000;

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
    m_kept = std::make_unique<TFxKeptFrame>();
    m_motion = std::make_unique<TFxMotion>();
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

void TFxScrollText::SetFollowDisplay(bool Value)
{
    if (m_followDisplay == Value) return;
    m_followDisplay = Value;
    if (IsLoading()) return;
    FollowFrames();
}

void TFxScrollText::SetMotionClock(std::function<int64_t()> Now)
{
    m_viewTimes = std::move(Now);
    m_frameClock.reset();
    FollowFrames();
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
    Stop();
    if (!Visible()) {
        if (!m_makeVisible) return;
        SetVisible(true);
    }
    m_scroll = true;
    m_step = (Step >= 0 && Step <= m_steps - 1) ? Step : 0;
    m_shown = m_step;
    if (OnStart) OnStart(this);
    PaintImage();
    EnableTimer(true);
    FollowFrames();
}

void TFxScrollText::Stop()
{
    StopModel(false);
}

void TFxScrollText::StopModel(bool FinishView)
{
    if (!m_scroll) {
        if (m_finishing) EndFinishing();
        return;
    }
    EnableTimer(false);
    m_finishStep = m_step;
    m_finishing = FollowingDisplay();
    // Finishing, the refreshes go on until the view reaches the last tick (DisplayFrame).
    if (!FinishView || IsDestroying()) EndFinishing();
    m_scroll = false;
    m_step = 0;
    if (!IsDestroying() && OnStop) OnStop(this);
}

void TFxScrollText::EndFinishing()
{
    // The view stops where the model stood: the last frame is the step counter's.
    if (m_finishing && m_shown != m_finishStep && !m_composing && !IsDestroying()) {
        m_shown = m_finishStep;
        PaintImage(false);
    }
    m_finishing = false;
    m_frameClock.reset();
}

void TFxScrollText::Reverse()
{
    m_step = m_steps - m_step;
    m_direction = FactsOf(m_direction).opposite;
    m_motion->Mirror(m_steps);
    // The view's own step, seen from the other direction: the text stands where it stood.
    m_shown = m_steps - m_shown;
    SnapView();
}

void TFxScrollText::GetTimer(TObject* Sender)
{
    if (!m_scroll) return;
    ++m_step;
    if (FollowingDisplay()) {
        // The refreshes draw; the tick moves the model and tells of it.
        m_motion->Tick(MotionNow(), m_step);
        if (OnScroll) OnScroll(this);
    } else {
        PaintImage();
    }
    if (m_step <= m_steps) return;
    switch (m_scrollStyle) {
    case TFxScrollStyle::ssLoop:
        m_step = 0;
        SnapView();
        break;
    case TFxScrollStyle::ssLoopReverse: Reverse(); break;
    case TFxScrollStyle::ssOnce: StopModel(true); break;
    }
}

void TFxScrollText::FollowFrames()
{
    if (!(m_scroll && m_followDisplay && !m_viewTimes)) {
        EndFinishing();   // which ends the clock
    } else if (!m_frameClock) {
        m_frameClock = TFrameClock::Start(Widget(), [this](int64_t at) { return DisplayFrame(at); });
        // A window timer's tick may wait for the next refresh's wake-up, short of its period so
        // that the pace stays the timer's. The other modes tick from threads of their own,
        // which wake the GUI thread with a message.
        if (m_frameClock && IsWindowTimer()) m_frameClock->JoinTimers(TickPeriod() - kTickWaitMarginNs);
    }
    // The view starts at the step counter, on a line of its own from now.
    m_motion->Start(MotionNow(), m_step, TickPeriod());
    m_shown = m_step;
}

void TFxScrollText::SnapView()
{
    // A new run of steps from the last tick on: the refreshes show it when they reach that tick.
    m_motion->Snap(m_step);
    if (!FollowingDisplay()) m_shown = m_step;
}

bool TFxScrollText::DisplayFrame(int64_t PresentationNs)
{
    if (!FollowingDisplay() || m_composing) return false;
    const int64_t refresh = m_frameClock ? m_frameClock->RefreshPeriod() : TickPeriod();
    m_shown = m_motion->At(PresentationNs, refresh);
    // The end of a pass of ssOnce: its last frame, and no more refreshes.
    if (m_finishing && m_motion->ShowsLastTick()) {
        PaintImage(false);
        EndFinishing();
        return true;
    }
    // A refresh that would show the same picture draws nothing.
    const TPoint was = m_origin;
    const int32_t offset = m_centerOffset;
    if (BlockOrigin() == was && offset == m_centerOffset && m_kept->Current(SurfaceGeneration())) return false;
    PaintImage(false);
    return true;
}

int64_t TFxScrollText::MotionNow() const
{
    return m_viewTimes ? m_viewTimes() : TFrameClock::Now();
}

int64_t TFxScrollText::TickPeriod() const
{
    // The nominal period until the ticks themselves tell it: the window timers' shortest is
    // 16 ms, the multimedia timers' 1 ms.
    return int64_t(std::max<int64_t>(m_interval & 0xFFFF, IsWindowTimer() ? 16 : 1)) * 1'000'000;
}

bool TFxScrollText::IsWindowTimer() const
{
    return m_timerMode == TFxTimerMode::tmNormal || m_timerMode == TFxTimerMode::tmGlobalTimer;
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
    if (Sender == m_lines.get()) AccessibleNameChanged();
}

QString TFxScrollText::AccessibleName() const
{
    QStringList lines = m_lines->Items();
    for (QString& line : lines) line.remove(kBoldOn).remove(kBoldOff);
    return lines.join(QLatin1Char(' ')).trimmed();
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
    FollowFrames();
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
                                 std::vector<TFxDrawnSegment>* Record)
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

TPoint TFxScrollText::BlockOrigin()
{
    m_centerOffset = m_innerHeight < m_textHeight ? 0 : (m_innerHeight - m_textHeight) / 2;
    const double f = ShownStep() / double(m_steps);
    const TFxScrollDirectionFacts facts = FactsOf(m_direction);
    const double along = facts.towardsOrigin ? 1.0 - f : f;   // from the start edge, 0 to 1
    TPoint p(0, m_centerOffset);
    if (facts.horizontal) p.X = Round((m_textWidth + m_innerWidth) * along) - m_textWidth;
    else p.Y = Round((m_textHeight + m_innerHeight) * along) - m_textHeight;
    return p;
}

TRect TFxScrollText::LineRect(TPoint Origin, int Index) const
{
    const int32_t y = Origin.Y + Index * m_lineHeight;
    return FactsOf(m_direction).horizontal ? TRect(Origin.X, y, Origin.X + m_textWidth, y + m_lineHeight)
                                           : TRect(0, y, m_innerWidth, y + m_lineHeight);
}

TFxBlockKey TFxScrollText::CurrentBlockKey(TPoint Origin) const
{
    TFxBlockKey k;
    // The lines are compared as well as the count of measurings: inside an update bracket
    // they change without a report. An unchanged list shares its data, so this is cheap.
    k.lines = m_lines->Items();
    k.measured = m_measured;
    k.font = Font()->Revision();
    k.color = Color();
    k.enabled = Enabled();
    k.alignment = int(m_alignment);
    k.mode = int(m_scrollMode);
    k.horizontal = FactsOf(m_direction).horizontal;
    k.innerWidth = m_innerWidth;
    k.innerHeight = m_innerHeight;
    k.ratio = DevicePixelRatio();
    // The marquee lines drawn are those whose rectangle meets the view; a line's 3D copies may
    // reach past its rectangle, so a line coming into view or leaving it gives a whole frame.
    k.inView = {0, 1};
    if (m_scrollMode == TFxScrollMode::smMarquee) {
        k.inView = {m_lines->Count(), 0};
        const TRect view(0, 0, m_innerWidth, m_innerHeight);
        for (int i = 0; i < m_lines->Count(); ++i) {
            TRect overlap;
            if (!IntersectRect(overlap, LineRect(Origin, i), view)) continue;
            k.inView.first = std::min(k.inView.first, i);
            k.inView.second = i + 1;
        }
    }
    return k;
}

void TFxScrollText::DrawMarquee(TCanvas* Canvas, TPoint Origin, std::pair<int, int> InView)
{
    bool bold = false;
    for (int i = 0; i < m_lines->Count(); ++i) {
        const QString line = m_lines->Get(i);
        if (i < InView.first || i >= InView.second) {
            // Out of view: walked only to carry the bold state on to the next lines.
            SegmentWalk walk{line, bold};
            while (!walk.Next().isEmpty()) {
            }
            ApplyBold(Canvas, bold);
            continue;
        }
        Canvas->Brush()->SetColor(Color());
        Canvas->Font()->SetColor(Font()->Color());
        const TRect L = LineRect(Origin, i);
        const int32_t t = MeasureLine(Canvas, line, bold);
        TRect R = L;
        switch (m_alignment) {
        case TAlignment::taLeftJustify: R.Right = L.Left + t; break;
        case TAlignment::taRightJustify: R.Left = L.Right - t; break;
        case TAlignment::taCenter:
            R.Left = L.Left + (L.Right - L.Left - t) / 2;
            R.Right = R.Left + t;
            break;
        }
        DrawSegments(Canvas, line, R, L, bold);
    }
}

void TFxScrollText::DrawTicker(TCanvas* Canvas, TPoint Origin, const TRect* Band, bool Record)
{
    bool bold = false;
    Canvas->Brush()->SetColor(Color());
    Canvas->Font()->SetColor(Font()->Color());
    const TRect L = LineRect(Origin, 0);
    // At a fractional scale the line is drawn on the grid of its origin, so that it moves by
    // whole device pixels; its ink may then reach a logical pixel further.
    const bool grid = !IsWholeScale(DevicePixelRatio());
    // Each copy of a segment is drawn clipped to the segment's rectangle moved by at most the
    // style's depths: a band that misses all of that finds nothing to draw, and the segments
    // are only told again, moved with the line.
    if (Band && m_kept->Misses(*Band, L.TopLeft(), grid)) {
        if (OnDrawSegment)
            for (const TFxDrawnSegment& d : m_kept->Segments())
                OnDrawSegment(d.text, TRect(d.r).Offset(L.Left, L.Top), d.style);
        return;
    }
    if (grid) Canvas->SetTextGrid(L.TopLeft());
    const TScopeExit offGrid([Canvas] { Canvas->ClearTextGrid(); });
    std::vector<TFxDrawnSegment> drawn;
    DrawSegments(Canvas, GetAsTickerText(), L, L, bold, Record ? &drawn : nullptr);
    if (Record) m_kept->KeepSegments(std::move(drawn), m_font3D->LightDepth() + m_font3D->ShadowDepth() + 1);
}

void TFxScrollText::PaintImage(bool Tell)
{
    // The frame is composed off screen in a 24-bit work image. On a scaled screen it holds the
    // screen's device pixels, so that text is rasterised at the screen's resolution; the
    // geometry stays in logical pixels. The next frame is the kept one moved where the control's
    // look allows it (see TFxKeptFrame); a frame asked for from inside OnScroll (a nested one)
    // is whole, in an image of its own, and makes the next frame whole too.
    TFxFrameRequest next;
    next.nested = m_composing;
    TScopedValue<bool> composing(m_composing, true);
    const TPoint p = BlockOrigin();
    m_origin = p;
    const TRect view(0, 0, m_innerWidth, m_innerHeight);
    // A frame over a solid colour is filled at once, so its work image needs no whitening;
    // without background effects and outlines it may also be kept. At a fractional scale the
    // fill reaches every device pixel, also those that the view's edges cut, so that a kept
    // frame, which fills only where the text stood, finds the whole frame's pixels everywhere.
    if (!m_transparentProp) next.paper = Color();
    next.keepable = m_keepFrames && next.paper && !BackFX()->Active() && m_font3D->Style() != TFxThreeDStyle::tdOutline;
    next.key = CurrentBlockKey(p);
    const std::pair<int, int> inView = next.key.inView;
    next.surfaceGeneration = SurfaceGeneration();
    next.origin = p;
    // At a fractional scale a ticker line moves by whole device pixels (it is drawn on the grid
    // of its origin), as far as the last device pixel of the image; marquee lines do not, and
    // the kept frame is filled again where their text stood and all of it is drawn as in a
    // whole frame.
    next.onGrid = m_scrollMode == TFxScrollMode::smTicker;
    next.format = TPixelFormat::pf24bit;
    const TFxFrameStart frame = m_kept->Begin(std::move(next));
    TBitmap* work = frame.work;
    TCanvas* wc = work->Canvas();
    // Text goes straight into the image while no painter is open on it, and through the painter
    // otherwise, which at a fractional scale gives other pixels: every frame starts without one,
    // kept or whole.
    wc->ReleaseHandle();
    wc->Brush()->SetColor(Color());
    wc->Brush()->SetStyle(TBrushStyle::bsSolid);
    wc->Pen()->SetStyle(TPenStyle::psClear);
    if (frame.way == TFxFrameWay::fwWhole) {
        if (m_transparentProp) wc->Draw(0, 0, m_snapshot.get());
        else if (IsWholeScale(DevicePixelRatio())) wc->FillRect(view);
        else wc->FillCovering(frame.reachable);   // the last, cut pixels too
        BackFX()->Draw(work);
    }
    wc->SetFont(Font());
    if (frame.Moved()) wc->SetClipRect(frame.band);
    // What the text covers, as the work canvas reports it drawing.
    TRect drawn;
    wc->OnChange = [&drawn](const TRect& r) { drawn = UnionRect(drawn, r); };
    {
        const TScopeExit unhook([wc] {
            wc->OnChange = nullptr;
            wc->ClearClip();
        });
        if (m_scrollMode == TFxScrollMode::smMarquee) DrawMarquee(wc, p, inView);
        else DrawTicker(wc, p, frame.Moved() ? &frame.band : nullptr, frame.Records());
    }
    TRect changed = m_kept->Finish(frame, drawn);
    IntersectRect(changed, changed, view);

    // The frame is copied after OnScroll: what a handler draws on the control, or a repaint it
    // causes, is covered by the whole frame.
    const uint64_t before = SurfaceGeneration();
    if (Tell && OnScroll) OnScroll(this);
    const TRect copied = SurfaceGeneration() == before ? changed : view;
    const int b = BevelExt();
    if (!work->Empty() && !copied.IsEmpty())
        Canvas()->CopyPixelsMoved(TPoint(b, b), wc, copied, Bounds(b, b, m_innerWidth, m_innerHeight));
    m_kept->Presented(frame, SurfaceGeneration());
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
    m_kept->Forget();
    PaintImage(!FollowingDisplay());
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
