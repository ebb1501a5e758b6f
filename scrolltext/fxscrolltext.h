// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxScrollText: a windowless control that moves a block of text across its client area, one
// step per timer tick, composing every frame off screen and copying it onto the control in one
// piece.
//
// The text is the list Lines, drawn in Font with the 3D look of Font3D. In marquee mode every
// line is drawn on its own row, aligned by Alignment; in ticker mode the lines are joined into
// one line. The inline tags "<b>" and "</b>" switch bold on and off and are never drawn.
//
// A pass takes Steps + 1 ticks: at step s the block stands at s / Steps of the way from just
// outside the side it enters from to just outside the opposite side.
//
// With FollowDisplay the timer still moves the model (the step counter, OnScroll, the wrap), one
// step per tick, but the frames follow the display: one per refresh of the display the control
// is shown on, with the text where its steady motion puts it when that refresh is shown, never
// ahead of the step counter (see scrolltext/motion.h and platform/frameclock.h).
//
// Threads: everything runs on the GUI thread; ticks reach GetTimer there in every timer mode
// (the threaded mode hands each tick over through its synchronising call). Once stopped, no
// tick moves the text; destroying the control stops it without OnStop.
#pragma once

#include "foundation/fxclass.h"
#include "foundation/fxgraphiccontrol.h"
#include "foundation/fxtimer.h"
#include "foundation/fxtypes.h"
#include "platform/threads.h"
#include "scrolltext/fx3dcaption.h"

#include <memory>
#include <vector>

struct TFxBlockKey;
struct TFxDrawnSegment;
class TFxKeptFrame;
class TFxMotion;
class TFrameClock;

enum class TFxScrollDirection { sdBottomToTop, sdLeftToRight, sdRightToLeft, sdTopToBottom };

// What a direction means, in one place: the direction Reverse turns it into, whether the text
// moves along the x axis, and whether it moves towards smaller coordinates (up or left).
struct TFxScrollDirectionFacts {
    TFxScrollDirection opposite;
    bool horizontal;
    bool towardsOrigin;
};
constexpr TFxScrollDirectionFacts FactsOf(TFxScrollDirection d)
{
    switch (d) {
    case TFxScrollDirection::sdBottomToTop: return {TFxScrollDirection::sdTopToBottom, false, true};
    case TFxScrollDirection::sdTopToBottom: return {TFxScrollDirection::sdBottomToTop, false, false};
    case TFxScrollDirection::sdLeftToRight: return {TFxScrollDirection::sdRightToLeft, true, false};
    case TFxScrollDirection::sdRightToLeft: break;
    }
    return {TFxScrollDirection::sdLeftToRight, true, true};
}
enum class TFxScrollStyle { ssLoop, ssLoopReverse, ssOnce };
enum class TFxScrollMode { smMarquee, smTicker };

// Copies what the screen shows in Rect (screen coordinates) into Bitmap, sized to Rect. With a
// Control that sits in one of this program's windows, what lies under the control is rendered
// from its parent (the screen itself would show the control's own last frame); elsewhere the
// desktop's pixels are copied. Nothing without a bitmap or for an empty rectangle.
void FxBmpFromDesktop(TBitmap* Bitmap, const TRect& Rect, const TGraphicControl* Control = nullptr);

class TFxScrollText : public TFxGraphicControl {
public:
    // Opaque, 200 x 20, one line "TFxScrollText", bottom to top, marquee, loop, Steps 100,
    // Interval 100, tmNormal with its (disabled) timer already made.
    explicit TFxScrollText(TComponent* AOwner);
    // Stops without OnStop, frees the timer, the snapshot, Font3D and Lines.
    ~TFxScrollText() override;
    QString ClassName() const override { return QStringLiteral("TFxScrollText"); }

    // -- Properties ------------------------------------------------------------------------
    // Each setter of a property that stops the scrolling does so only for a new value.
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);          // repaints when not scrolling
    TFxScrollDirection Direction() const { return m_direction; }
    void SetDirection(TFxScrollDirection Value);  // stops
    TFx3DCaption* Font3D() const { return m_font3D.get(); }
    void SetFont3D(const TFx3DCaption* Value) { m_font3D->Assign(Value); }
    TFxTimerInterval Interval() const { return m_interval; }
    void SetInterval(TFxTimerInterval Value);     // stops (not while loading); used at the next start
    TStringList* Lines() const { return m_lines.get(); }
    void SetLines(const TStrings* Value) { m_lines->Assign(Value); }
    TFxScrollStyle ScrollStyle() const { return m_scrollStyle; }
    void SetScrollStyle(TFxScrollStyle Value);    // stops
    TFxScrollMode ScrollMode() const { return m_scrollMode; }
    void SetScrollMode(TFxScrollMode Value);      // stops
    int32_t Steps() const { return m_steps; }
    void SetSteps(int32_t Value);                 // stops; 0 and negative values are ignored
    TFxTimerMode TimerMode() const { return m_timerMode; }
    // Stops and replaces the tick source (only stores while loading); does not restart.
    void SetTimerMode(TFxTimerMode Value);
    TThreadPriority ThreadPriority() const { return m_threadPriority; }
    void SetThreadPriority(TThreadPriority Value) { m_threadPriority = Value; }
    // Whether frames follow the display's refreshes (see above) rather than the ticks. False
    // by default: a frame per tick, OnScroll with each frame, and no work beyond the ticks,
    // whatever the display's rate (a 144 Hz display would otherwise more than double the
    // frames drawn); a program that moves text for people to read (the ticker) turns it on.
    // Where the display's refresh rate is unknown the frames follow the ticks either way.
    // Takes effect at once, also while scrolling.
    bool FollowDisplay() const { return m_followDisplay; }
    void SetFollowDisplay(bool Value);

    // The Boolean properties: 0 MakeVisible, 1 Scroll, 2 Transparent.
    void SetBool(int Index, bool Value);
    bool MakeVisible() const { return m_makeVisible; }
    void SetMakeVisible(bool v) { SetBool(0, v); }
    bool Scroll() const { return m_scroll; }
    void SetScroll(bool v) { SetBool(1, v); }
    bool Transparent() const { return m_transparentProp; }
    // Switches see-through mode, stops, and repaints.
    void SetTransparent(bool v) { SetBool(2, v); }

    // -- Running ---------------------------------------------------------------------------
    void Execute() { ExecuteEnh(0); }
    // Starts at Step (0 when outside 0 .. Steps - 1): OnStop first when already scrolling,
    // then OnStart, the first frame, and the timer. Refused silently while loading, with no
    // lines, or when hidden and MakeVisible is false.
    void ExecuteEnh(int32_t Step);
    // Disables the timer, resets the step counter, fires OnStop (not while destroying). The
    // last frame stays on screen. Following the display, the view stops where the model
    // stands, also when it is still finishing a pass of ssOnce (see GetTimer).
    void Stop();
    // Mirrors the position (counter := Steps - counter) and the direction, without stopping.
    void Reverse();
    // The tick handler given to either timer: advances and paints one frame (following the
    // display: advances and fires OnScroll; the refreshes draw). The tick that ends a pass of
    // ssOnce stops the model there (OnStop, Scroll false); following the display, the
    // refreshes go on showing the pass to its end, and then end.
    void GetTimer(TObject* Sender);
    // Following the display, the frame of a refresh shown at PresentationNs (on the clock of
    // MotionClock): the text where its motion puts it then. Returns whether anything was drawn.
    // The frame clock calls it; tests call it with times of their own.
    bool DisplayFrame(int64_t PresentationNs);

    // -- Tick source -----------------------------------------------------------------------
    void ActivateTimer();
    void DeActivateTimer(TFxTimerMode Mode);
    // Interval and ThreadPriority reach the timer here, at each start.
    void EnableTimer(bool Enable);

    // -- Painting --------------------------------------------------------------------------
    bool GetEmpty() const override { return m_lines->Count() == 0; }
    // Re-measures for changes of Font, Font3D and Lines, then repaints (nothing while loading).
    void GetChange(TObject* Sender) override;
    // Measures line height, text height and text width (nothing while loading).
    void CalculateDimensions();
    // The lines joined, each followed by one blank.
    QString GetAsTickerText() const;
    // Composes the frame for the current step off screen, fires OnScroll (with Tell), copies it
    // onto the control inside the bevel. Following the display, the step shown is the view's.
    void PaintImage(bool Tell = true);
    // The bevel, the background snapshot when stale (see-through), then PaintImage.
    void Paint() override;

    // -- Assistive tools -------------------------------------------------------------------
    // A reader gets the whole text at once, as name and as text: every line, joined by blanks,
    // without the bold tags. A change of Lines is told once; the moving text never is.
    QAccessible::Role AccessibleRole() const override { return QAccessible::StaticText; }
    QString AccessibleName() const override;
    bool HasAccessibleText() const override { return true; }
    QString AccessibleText() const override { return AccessibleName(); }

    void Loaded() override;
    void Invalidate() override;
    void BackUpdate() override;
    void BoundsChange(TFxBoundsChangeStates State) override;
    void WndProc(TMessage& Message) override;

    // -- Events (Sender = the control) -----------------------------------------------------
    TNotifyEvent OnStart;    // a start was accepted; before its first frame
    // A frame is composed and about to be copied onto the control; following the display, the
    // step counter advanced (once per tick, before the refreshes show it).
    TNotifyEvent OnScroll;
    TNotifyEvent OnStop;     // the scrolling ended (never while destroying)
    // Told of every text segment drawn, with its rectangle and font style (diagnostics).
    std::function<void(const QString& Segment, const TRect& R, TFontStyles Style)> OnDrawSegment;

    // -- The text's measures, as of the last frame --------------------------------------------
    int32_t LineHeight() const { return m_lineHeight; }
    int32_t TextHeight() const { return m_textHeight; }
    int32_t TextWidth() const { return m_textWidth; }

private:
    friend struct TScrollTextHooks;
    // One text being cut into segments at the tags; Bold follows the tags consumed.
    struct SegmentWalk;
    // Sets the work font's style for the bold flag.
    void ApplyBold(TCanvas* Canvas, bool Bold) const;
    // Segment drawing of one line from R onwards, bounded by the line rectangle L; with Record,
    // the segments are listed there as well.
    void DrawSegments(TCanvas* Canvas, const QString& Line, TRect R, const TRect& L, bool& Bold,
                      std::vector<TFxDrawnSegment>* Record = nullptr);
    // The width a line takes as drawn (segments plus their margins), Bold left unchanged.
    int32_t MeasureLine(TCanvas* Canvas, const QString& Line, bool Bold) const;
    // Starts or ends following the display, as FollowDisplay and scrolling say.
    void FollowFrames();
    // The step counter jumped (a wrap, a Reverse): the view's path takes a new run from the
    // last tick on, which the refreshes show once they reach that tick.
    void SnapView();
    int64_t MotionNow() const;
    int64_t TickPeriod() const;
    // Whether the ticks come from a window timer on the GUI thread (tmNormal, tmGlobalTimer).
    bool IsWindowTimer() const;
    // The step the last frame showed: the step counter's, or following the display, the view's,
    // which lies between two steps.
    double ShownStep() const { return FollowingDisplay() ? m_shown : double(m_step); }
    // Whether frames now follow a display clock (or the clock SetMotionClock gave).
    bool FollowingDisplay() const
    {
        return (m_scroll || m_finishing) && m_followDisplay && (m_frameClock || m_viewTimes);
    }
    // Stops the model; with FinishView, following the display, the view goes on to the last
    // tick's step first (the end of a pass of ssOnce).
    void StopModel(bool FinishView);
    // The view showing the end of a pass is done: the pass's last frame, and no clock.
    void EndFinishing();
    // The clock ticks and refreshes are timed on (TFrameClock::Now by default). Given one, the
    // control follows the display without a frame clock of its own: only DisplayFrame draws
    // between ticks (tests drive it with synthetic times); with an empty one, as by default.
    void SetMotionClock(std::function<int64_t()> Now);
    // The block's top-left corner at the current step (also sets the centring offset).
    TPoint BlockOrigin();
    // The rectangle of line Index of a block standing at Origin.
    TRect LineRect(TPoint Origin, int Index) const;
    // What the block's pixels depend on, the marquee lines in view included.
    TFxBlockKey CurrentBlockKey(TPoint Origin) const;
    // The text of a frame: every marquee line in view, or the ticker line. With Band the
    // frame is a kept one drawn only there; with Record the ticker's segments are kept.
    void DrawMarquee(TCanvas* Canvas, TPoint Origin, std::pair<int, int> InView);
    void DrawTicker(TCanvas* Canvas, TPoint Origin, const TRect* Band, bool Record);

    std::unique_ptr<TStringList> m_lines;
    std::unique_ptr<TFx3DCaption> m_font3D;
    TAlignment m_alignment = TAlignment::taCenter;
    TFxScrollDirection m_direction = TFxScrollDirection::sdBottomToTop;
    TFxTimerInterval m_interval = 100;
    bool m_makeVisible = true;
    bool m_scroll = false;
    TFxScrollStyle m_scrollStyle = TFxScrollStyle::ssLoop;
    TFxScrollMode m_scrollMode = TFxScrollMode::smMarquee;
    int32_t m_steps = 100;
    bool m_transparentProp = false;
    TFxTimerMode m_timerMode = TFxTimerMode::tmNormal;
    TThreadPriority m_threadPriority = TThreadPriority::tpNormal;

    int32_t m_step = 0;
    int32_t m_innerWidth = 0, m_innerHeight = 0;
    int32_t m_lineHeight = 0, m_textHeight = 0, m_textWidth = 0;
    int32_t m_centerOffset = 0;
    TPoint m_origin;
    std::unique_ptr<TBitmap> m_snapshot;
    bool m_backStale = false;
    // The last frame, kept to build the next one from (see scrolltext/keptframe.h).
    std::unique_ptr<TFxKeptFrame> m_kept;
    uint64_t m_measured = 0;        // counts CalculateDimensions
    bool m_composing = false;       // PaintImage runs
    bool m_keepFrames = true;
    // The joined lines and the lines they were joined from.
    mutable QString m_tickerText;
    mutable QStringList m_tickerLines;

    bool m_followDisplay = false;
    std::unique_ptr<TFxMotion> m_motion;
    std::unique_ptr<TFrameClock> m_frameClock;
    std::function<int64_t()> m_viewTimes;   // a clock given by SetMotionClock
    double m_shown = 0;                      // the step the view showed last
    bool m_finishing = false;                // stopped, the view still shows the pass to its end
    int32_t m_finishStep = 0;                // the step the pass ended on

    std::unique_ptr<TFxTimer> m_poolTimer;
    TFxHiTimer* m_hiTimer = nullptr;     // owned (as a component, freed by DeActivateTimer)
};
