// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The scrolling text control: where the text stands at each step in every direction, the
// inline bold markup, alignment, the events and their order, the scroll styles, properties
// that stop the scrolling, the tick sources, transparency, and the frames it puts on the
// control. Ticks are driven through the tick handler unless a test is about real timers.
#include "foundation/fxbackground_stub.h"
#include "platform/forms.h"
#include "platform/hooks.h"
#include "scrolltext/fxscrolltext.h"
#include "scrolltext/fxtextutils.h"
#include "scrolltext/hooks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct Segment {
    QString text;
    TRect r;
    TFontStyles style;
    bool operator==(const Segment& o) const { return text == o.text && r == o.r && style == o.style; }
};

struct ScrollTextTest : ::testing::Test {
    std::unique_ptr<TForm> form{new TForm(nullptr)};
    TFxScrollText* st = nullptr;
    std::vector<std::string> events;
    std::vector<Segment> segments;   // of the last frame
    std::vector<Segment> pending;    // of the frame being composed

    void SetUp() override
    {
        st = new TFxScrollText(form.get());
        st->SetParent(form.get());
        st->Font()->SetName(QStringLiteral("DejaVu Sans"));
        st->Font()->SetHeight(-16);
        st->Font()->SetColor(clYellow);
        st->SetColor(clNavy);
        st->OnStart = [this](TObject* s) { EXPECT_EQ(s, st); events.push_back("start"); };
        st->OnStop = [this](TObject* s) { EXPECT_EQ(s, st); events.push_back("stop"); };
        st->OnScroll = [this](TObject* s) { EXPECT_EQ(s, st); events.push_back("scroll"); segments.swap(pending); pending.clear(); };
        st->OnDrawSegment = [this](const QString& t, const TRect& r, TFontStyles f) { pending.push_back({t, r, f}); };
    }
    // Sizes the control and takes the inner size through a repaint.
    void Size(int w, int h)
    {
        st->SetBounds(0, 0, w, h);
        st->Paint();
        events.clear();
    }
    void Text(const QString& t)
    {
        st->Lines()->Clear();
        st->Lines()->Add(t);
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i) st->GetTimer(nullptr);
    }
    int Count(const std::string& e) const { return int(std::count(events.begin(), events.end(), e)); }
    // The width a segment takes on its line (its measured extent with the margin).
    int SegmentWidth(const QString& s, TFontStyles style) const
    {
        TFont f;
        f.Assign(st->Font());
        f.SetStyle(style);
        TRect r(0, 0, 0, 0);
        FxDrawTextCalc(s, st->Font3D(), r, &f, false, false, 0, 0);
        return r.Right;
    }
};

struct StepCase {
    TFxScrollDirection direction;
    std::vector<int> xs;   // P.x + text width for the steps 0 ..
};

class StepTable : public ScrollTextTest, public ::testing::WithParamInterface<StepCase> {};

bool WaitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

}  // namespace

TEST_F(ScrollTextTest, ANewControlHoldsItsClassNameAndStartsOpaqueAndStopped)
{
    TFxScrollText fresh(nullptr);
    ASSERT_EQ(fresh.Lines()->Count(), 1);
    EXPECT_EQ(fresh.Lines()->Get(0), QStringLiteral("TFxScrollText"));
    EXPECT_EQ(fresh.Width(), 200);
    EXPECT_EQ(fresh.Height(), 20);
    EXPECT_FALSE(fresh.Transparent());
    EXPECT_FALSE(fresh.isTransparentSet());
    EXPECT_TRUE(fresh.ControlStyle() & csOpaque);
    EXPECT_EQ(fresh.Direction(), TFxScrollDirection::sdBottomToTop);
    EXPECT_EQ(fresh.ScrollMode(), TFxScrollMode::smMarquee);
    EXPECT_EQ(fresh.ScrollStyle(), TFxScrollStyle::ssLoop);
    EXPECT_EQ(fresh.Alignment(), TAlignment::taCenter);
    EXPECT_EQ(fresh.Steps(), 100);
    EXPECT_EQ(fresh.Interval(), 100);
    EXPECT_TRUE(fresh.MakeVisible());
    EXPECT_FALSE(fresh.Scroll());
    ASSERT_NE(TScrollTextHooks::PoolTimer(fresh), nullptr);
    EXPECT_FALSE(TScrollTextHooks::PoolTimer(fresh)->Enabled());
    EXPECT_FALSE(TScrollTextHooks::PoolTimer(fresh)->Global());
    EXPECT_EQ(TScrollTextHooks::HiTimer(fresh), nullptr);
    EXPECT_EQ(fresh.GetAsTickerText(), QStringLiteral("TFxScrollText "));
    // Inside an update bracket of the lines (whose change report waits for its end) the
    // joined text is already the new one.
    fresh.Lines()->BeginUpdate();
    fresh.Lines()->Put(0, QStringLiteral("new"));
    fresh.Lines()->Add(QStringLiteral("text"));
    EXPECT_EQ(fresh.GetAsTickerText(), QStringLiteral("new text "));
    fresh.Lines()->EndUpdate();
}

TEST_P(StepTable, TheBlockStandsAtItsShareOfThePathAtEachStep)
{
    st->SetScrollMode(TFxScrollMode::smTicker);
    Text(QStringLiteral("Tick"));
    st->SetDirection(GetParam().direction);
    st->SetSteps(4);
    // Inner width chosen so that text width + inner width = 400, as in a 100 + 300 layout.
    const int tw = st->TextWidth();
    ASSERT_GT(tw, 0);
    Size(400 - tw, 30);
    st->Execute();
    std::vector<int> xs{TScrollTextHooks::Origin(*st).X + tw};
    for (int i = 0; i < 5; ++i) {
        Ticks(1);
        xs.push_back(TScrollTextHooks::Origin(*st).X + tw);
    }
    EXPECT_EQ(xs, GetParam().xs);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].r.Left, TScrollTextHooks::Origin(*st).X);   // the ticker line starts at the block's corner
}

INSTANTIATE_TEST_SUITE_P(Horizontal, StepTable,
                         ::testing::Values(StepCase{TFxScrollDirection::sdRightToLeft, {400, 300, 200, 100, 0, -100}},
                                           StepCase{TFxScrollDirection::sdLeftToRight, {0, 100, 200, 300, 400, 500}}));

TEST_F(ScrollTextTest, TheTickerTextHalfWayIsHalfThePathLessItsWidth)
{
    // The ticker's own layout: 1916 pixels inside, Steps 300.
    st->SetScrollMode(TFxScrollMode::smTicker);
    st->SetDirection(TFxScrollDirection::sdRightToLeft);
    st->SetSteps(300);
    st->Font()->SetName(QStringLiteral("Times New Roman"));
    st->Font()->SetHeight(-19);
    Text(QStringLiteral("Для вызова меню нажмите правую кнопку мыши на панели Тирлинка."));
    Size(1916, 29);
    const int tw = st->TextWidth();
    st->ExecuteEnh(150);
    EXPECT_EQ(TScrollTextHooks::Origin(*st).X, (tw + 1916) / 2 - tw);
    if (tw == 804) {
        EXPECT_EQ(TScrollTextHooks::Origin(*st).X, 556);
    }
    Ticks(1);
    // One step moves the text left by about (text width + inner width) / Steps.
    EXPECT_EQ(TScrollTextHooks::Origin(*st).X, Round((tw + 1916) * (1.0 - 151.0 / 300.0)) - tw);
}

TEST_F(ScrollTextTest, VerticalPositionsFollowTheStepAndLinesSpanTheWidth)
{
    st->Lines()->Clear();
    st->Lines()->Add(QStringLiteral("one"));
    st->Lines()->Add(QStringLiteral("three"));
    st->SetDirection(TFxScrollDirection::sdTopToBottom);
    st->SetSteps(10);
    Size(300, 100);
    const int th = st->TextHeight();
    const int lh = st->LineHeight();
    EXPECT_EQ(th, 2 * lh);
    st->ExecuteEnh(5);
    EXPECT_EQ(TScrollTextHooks::Origin(*st).Y, Round((th + 100) * 0.5) - th);
    ASSERT_EQ(segments.size(), 2u);
    // Marquee lines are centred across the full inner width, one line height apart.
    const int w3 = SegmentWidth(QStringLiteral("three"), 0);
    EXPECT_EQ(segments[1].r.Left, (300 - w3) / 2);
    EXPECT_EQ(segments[1].r.Top, segments[0].r.Top + lh);
    st->SetDirection(TFxScrollDirection::sdBottomToTop);
    st->ExecuteEnh(3);
    EXPECT_EQ(TScrollTextHooks::Origin(*st).Y, Round((th + 100) * 0.7) - th);

    // A ticker line starts at the left edge in a vertical direction.
    st->SetScrollMode(TFxScrollMode::smTicker);
    st->ExecuteEnh(3);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].r.Left, 0);
}

TEST_F(ScrollTextTest, AHorizontalBlockIsCentredVerticallyUnlessItIsTallerThanTheArea)
{
    st->SetDirection(TFxScrollDirection::sdRightToLeft);
    Size(300, 60);
    st->Execute();
    EXPECT_EQ(TScrollTextHooks::CenterOffset(*st), (60 - st->TextHeight()) / 2);
    EXPECT_EQ(TScrollTextHooks::Origin(*st).Y, TScrollTextHooks::CenterOffset(*st));
    st->Lines()->Add(QStringLiteral("b"));
    st->Lines()->Add(QStringLiteral("c"));
    st->Lines()->Add(QStringLiteral("d"));
    Size(300, 30);
    st->Execute();
    EXPECT_EQ(TScrollTextHooks::CenterOffset(*st), 0);
    EXPECT_EQ(TScrollTextHooks::Origin(*st).Y, 0);
}

TEST_F(ScrollTextTest, BoldTagsCutTheTextIntoSegmentsThatFollowEachOther)
{
    st->SetScrollMode(TFxScrollMode::smTicker);
    st->SetDirection(TFxScrollDirection::sdRightToLeft);
    Text(QStringLiteral("x<b>y</b>z"));
    Size(400, 30);
    st->ExecuteEnh(50);
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[0].text, QStringLiteral("x"));
    EXPECT_EQ(segments[1].text, QStringLiteral("y"));
    EXPECT_EQ(segments[2].text, QStringLiteral("z "));
    EXPECT_FALSE(segments[0].style & fsBold);
    EXPECT_TRUE(segments[1].style & fsBold);
    EXPECT_FALSE(segments[2].style & fsBold);
    EXPECT_EQ(segments[0].r.Left, TScrollTextHooks::Origin(*st).X);
    EXPECT_EQ(segments[1].r.Left, segments[0].r.Left + SegmentWidth(QStringLiteral("x"), 0));
    EXPECT_EQ(segments[2].r.Left, segments[1].r.Left + SegmentWidth(QStringLiteral("y"), fsBold));

    // Tags are matched case-sensitively: capitals are text.
    Text(QStringLiteral("x<B>y</B>z"));
    st->ExecuteEnh(50);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].text, QStringLiteral("x<B>y</B>z "));

    // Text outside a pair is never bold, whatever the font says.
    st->Font()->SetStyle(fsBold | fsItalic);
    Text(QStringLiteral("<b>a</b>b"));
    st->ExecuteEnh(50);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].style, fsBold | fsItalic);
    EXPECT_EQ(segments[1].style, fsItalic);
}

TEST_F(ScrollTextTest, BoldOpenedInOneMarqueeLineCarriesIntoTheNextOnesEvenOutOfView)
{
    st->Lines()->Clear();
    for (const char* l : {"a<b>", "<b></b><b>", "second", "third</b>", "plain"}) st->Lines()->Add(QString::fromLatin1(l));
    st->SetDirection(TFxScrollDirection::sdBottomToTop);
    st->SetSteps(100);
    const int lh = st->LineHeight();
    Size(200, lh * 3);
    // Find a step at which the first line is above the area and the third is in view.
    int step = 0;
    for (; step <= 100; ++step) {
        st->ExecuteEnh(step);
        if (TScrollTextHooks::Origin(*st).Y + lh <= 0 && TScrollTextHooks::Origin(*st).Y + 2 * lh >= 0 && TScrollTextHooks::Origin(*st).Y + 4 * lh < lh * 3) break;
    }
    ASSERT_LE(step, 100);
    bool sawSecond = false;
    for (const Segment& s : segments) {
        EXPECT_NE(s.text, QStringLiteral("a"));   // out of view: not drawn
        if (s.text == QStringLiteral("second")) {
            sawSecond = true;
            EXPECT_TRUE(s.style & fsBold);
        }
        if (s.text == QStringLiteral("third")) {
            EXPECT_TRUE(s.style & fsBold);
        }
        if (s.text == QStringLiteral("plain")) {
            EXPECT_FALSE(s.style & fsBold);
        }
        EXPECT_FALSE(s.text.contains(QLatin1Char('<')));   // a line of tags draws nothing
    }
    EXPECT_TRUE(sawSecond);
}

TEST_F(ScrollTextTest, RightAlignedMarqueeLinesEndTheMarginShortOfTheEdge)
{
    st->Lines()->Clear();
    st->Lines()->Add(QStringLiteral("ab<b>cd"));
    st->Lines()->Add(QStringLiteral("longer line"));
    st->SetAlignment(TAlignment::taRightJustify);
    Size(300, 80);
    st->ExecuteEnh(50);
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[1].r.Left + SegmentWidth(QStringLiteral("cd"), fsBold), 300);
    // The second line is bold too: the first line's tag carries on.
    EXPECT_TRUE(segments[2].style & fsBold);
    EXPECT_EQ(segments[2].r.Left + SegmentWidth(QStringLiteral("longer line"), fsBold), 300);
    // By pixels: nothing of the text in the last two columns.
    for (int y = 0; y < 80; ++y)
        for (int x = 298; x < 300; ++x) EXPECT_EQ(st->Canvas()->Pixel(x, y), clNavy);
    st->SetAlignment(TAlignment::taLeftJustify);
    st->ExecuteEnh(50);
    EXPECT_EQ(segments[0].r.Left, 0);
}

TEST_F(ScrollTextTest, AFrameIsTheBackgroundWithTheTextDrawnAtTheOriginAndReachesTheControlWhole)
{
    st->SetScrollMode(TFxScrollMode::smTicker);
    st->SetDirection(TFxScrollDirection::sdRightToLeft);
    Text(QStringLiteral("Frame"));
    st->Bevel()->SetStyleOuter(TFxBevelStyle::bvNormal);
    st->Bevel()->SetWidthOuter(2);
    Size(240, 40);
    EXPECT_EQ(TScrollTextHooks::InnerWidth(*st), 236);
    EXPECT_EQ(TScrollTextHooks::InnerHeight(*st), 36);
    st->ExecuteEnh(40);

    TBitmap ref(236, 36);
    ref.Canvas()->Brush()->SetColor(clNavy);
    ref.Canvas()->FillRect(TRect(0, 0, 236, 36));
    ref.Canvas()->SetFont(st->Font());
    const TPoint p = TScrollTextHooks::Origin(*st);
    FxDrawTextExt(ref.Canvas(), QStringLiteral("Frame "), st->Font3D(), TRect(p.X, p.Y, p.X + st->TextWidth(), p.Y + st->LineHeight()),
                  DT_SINGLELINE | DT_NOPREFIX, DrawTextStyles(TFxDrawTextStyle::dtEnabled));
    int differing = 0, yellow = 0;
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 236; ++x) {
            differing += st->Canvas()->Pixel(x + 2, y + 2) != ref.Canvas()->Pixel(x, y);
            yellow += st->Canvas()->Pixel(x + 2, y + 2) == clYellow;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(yellow, 20);
    EXPECT_EQ(st->Canvas()->Pixel(0, 0), clBlack);   // the bevel stays around the frame

    // A disabled control draws its text in the disabled colour.
    st->SetEnabled(false);
    st->ExecuteEnh(40);
    int grey = 0;
    yellow = 0;
    for (int y = 2; y < 38; ++y)
        for (int x = 2; x < 238; ++x) {
            grey += st->Canvas()->Pixel(x, y) == ColorToRGB(clGrayText);
            yellow += st->Canvas()->Pixel(x, y) == clYellow;
        }
    EXPECT_GT(grey, 20);
    EXPECT_EQ(yellow, 0);
}

TEST_F(ScrollTextTest, ARepaintOutsideAPaintCycleReachesTheScreenOnceAndWhole)
{
    // A wide inner border draws many rings, each one canvas call.
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(0, 0, 240, 80);
    Text(QStringLiteral("Frame"));
    Size(240, 80);
    form->Show();
    QCoreApplication::processEvents();
    const uint64_t flushes = TPlatformHooks::ScreenFlushes(*st);
    st->Bevel()->SetBorderInnerWidth(20);
    EXPECT_EQ(TPlatformHooks::ScreenFlushes(*st), flushes + 1);
    // What the window shows is the control's surface.
    QWidget* window = form->Widget()->window();
    const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
    int differing = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 240; ++x) differing += (shown.pixel(x, y) & 0xFFFFFF) != (st->Surface().pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(differing, 0);
    form->Hide();
}

TEST_F(ScrollTextTest, StartStopAndFramesFireTheirEventsInOrder)
{
    Size(200, 40);
    st->Execute();
    Ticks(2);
    EXPECT_EQ(events, (std::vector<std::string>{"start", "scroll", "scroll", "scroll"}));
    events.clear();
    st->SetScroll(true);   // already scrolling: nothing, the counter keeps running
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 2);
    st->Execute();         // a restart: stop first, then start at 0
    EXPECT_EQ(events, (std::vector<std::string>{"stop", "start", "scroll"}));
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 0);
    events.clear();
    st->SetScroll(false);
    EXPECT_EQ(events, (std::vector<std::string>{"stop"}));
    EXPECT_FALSE(TScrollTextHooks::PoolTimer(*st)->Enabled());
    Ticks(3);              // stopped: ticks move nothing
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 0);
    st->Paint();           // a repaint is a frame too
    EXPECT_EQ(Count("scroll"), 1);
}

TEST_F(ScrollTextTest, StartsAreRefusedOrClampedAsTheStateRequires)
{
    Size(200, 40);
    st->ExecuteEnh(-5);
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 0);
    st->ExecuteEnh(st->Steps());
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 0);
    st->ExecuteEnh(st->Steps() - 1);
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), st->Steps() - 1);
    st->Stop();
    events.clear();

    st->Lines()->Clear();
    st->Execute();
    EXPECT_FALSE(st->Scroll());
    EXPECT_EQ(Count("start"), 0);
    Text(QStringLiteral("back"));

    st->Hide();
    st->SetMakeVisible(false);
    st->Execute();
    EXPECT_FALSE(st->Scroll());
    st->SetMakeVisible(true);
    st->Execute();
    EXPECT_TRUE(st->Scroll());
    EXPECT_TRUE(st->Visible());
}

TEST_F(ScrollTextTest, OncePassEndsAfterStepsPlusOneTicksAndLoopStartsOver)
{
    Size(200, 40);
    st->SetSteps(6);
    st->SetScrollStyle(TFxScrollStyle::ssOnce);
    st->Execute();
    Ticks(6);
    EXPECT_TRUE(st->Scroll());
    Ticks(1);
    EXPECT_FALSE(st->Scroll());
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 0);
    EXPECT_EQ(Count("stop"), 1);
    EXPECT_EQ(Count("scroll"), 8);   // the start and every tick, the last one too

    st->SetScrollStyle(TFxScrollStyle::ssLoop);
    st->Execute();
    Ticks(7);
    EXPECT_TRUE(st->Scroll());
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 0);
    Ticks(1);
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 1);
}

TEST_F(ScrollTextTest, LoopReverseTurnsTheDirectionAndShowsStepZeroOfTheNewOne)
{
    st->SetScrollMode(TFxScrollMode::smTicker);
    st->SetDirection(TFxScrollDirection::sdRightToLeft);
    st->SetScrollStyle(TFxScrollStyle::ssLoopReverse);
    st->SetSteps(5);
    Size(300, 40);
    st->Execute();
    Ticks(6);
    EXPECT_EQ(st->Direction(), TFxScrollDirection::sdLeftToRight);
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), -1);
    EXPECT_TRUE(st->Scroll());
    Ticks(1);
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 0);
    EXPECT_EQ(TScrollTextHooks::Origin(*st).X, -st->TextWidth());
    EXPECT_EQ(Count("stop"), 0);
}

TEST_F(ScrollTextTest, PropertiesStopTheScrollingOnlyForANewValue)
{
    Size(200, 40);
    struct Prop {
        const char* name;
        std::function<void()> same;
        std::function<void()> changed;
    };
    const std::vector<Prop> props = {
        {"Steps", [&] { st->SetSteps(st->Steps()); }, [&] { st->SetSteps(st->Steps() + 1); }},
        {"Direction", [&] { st->SetDirection(st->Direction()); },
         [&] { st->SetDirection(TFxScrollDirection::sdLeftToRight); }},
        {"ScrollMode", [&] { st->SetScrollMode(st->ScrollMode()); },
         [&] { st->SetScrollMode(st->ScrollMode() == TFxScrollMode::smTicker ? TFxScrollMode::smMarquee : TFxScrollMode::smTicker); }},
        {"ScrollStyle", [&] { st->SetScrollStyle(st->ScrollStyle()); },
         [&] { st->SetScrollStyle(TFxScrollStyle::ssLoopReverse); }},
        {"Interval", [&] { st->SetInterval(st->Interval()); }, [&] { st->SetInterval(st->Interval() + 1); }},
        {"Transparent", [&] { st->SetTransparent(st->Transparent()); }, [&] { st->SetTransparent(!st->Transparent()); }},
        {"TimerMode", [&] { st->SetTimerMode(st->TimerMode()); }, [&] { st->SetTimerMode(TFxTimerMode::tmHiTimer); }},
    };
    for (const Prop& p : props) {
        SCOPED_TRACE(p.name);
        st->Execute();
        Ticks(2);
        events.clear();
        p.same();
        EXPECT_TRUE(st->Scroll());
        EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 2);
        p.changed();
        EXPECT_FALSE(st->Scroll());
        EXPECT_EQ(Count("stop"), 1);
        EXPECT_EQ(Count("start"), 0);   // a stop by a property is final
    }
    // Steps of 0 or below are ignored, and the scrolling goes on.
    st->Execute();
    const int steps = st->Steps();
    st->SetSteps(0);
    st->SetSteps(-3);
    EXPECT_EQ(st->Steps(), steps);
    EXPECT_TRUE(st->Scroll());
}

TEST_F(ScrollTextTest, ChangingTheTextOrFontWhileScrollingMeasuresAgainAndGoesOn)
{
    st->SetScrollMode(TFxScrollMode::smTicker);
    Size(200, 40);
    st->Execute();
    Ticks(3);
    const int before = st->TextWidth();
    events.clear();
    st->Lines()->Add(QStringLiteral("more text"));
    EXPECT_GT(st->TextWidth(), before);
    EXPECT_TRUE(st->Scroll());
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 3);
    EXPECT_EQ(Count("scroll"), 1);   // opaque: repainted at once
    const int lh = st->LineHeight();
    st->Font()->SetHeight(-30);
    EXPECT_GT(st->LineHeight(), lh);
    st->Font3D()->SetStyle(TFxThreeDStyle::tdShadow);
    EXPECT_EQ(st->LineHeight(), FxGet3DTextHeight(st->Font3D(), st->Font()));
    EXPECT_TRUE(st->Scroll());
    Ticks(1);
    EXPECT_EQ(TScrollTextHooks::StepCounter(*st), 4);
}

TEST_F(ScrollTextTest, TimerModesSwitchTheTickSourceAtRunTime)
{
    st->SetTimerMode(TFxTimerMode::tmHiTimer);
    EXPECT_EQ(TScrollTextHooks::PoolTimer(*st), nullptr);
    ASSERT_NE(TScrollTextHooks::HiTimer(*st), nullptr);
    EXPECT_EQ(TScrollTextHooks::HiTimer(*st)->Owner(), st);
    EXPECT_FALSE(TScrollTextHooks::HiTimer(*st)->UseThread());
    st->SetTimerMode(TFxTimerMode::tmThreaded);
    ASSERT_NE(TScrollTextHooks::HiTimer(*st), nullptr);
    EXPECT_TRUE(TScrollTextHooks::HiTimer(*st)->UseThread());
    st->SetTimerMode(TFxTimerMode::tmGlobalTimer);
    EXPECT_EQ(TScrollTextHooks::HiTimer(*st), nullptr);
    ASSERT_NE(TScrollTextHooks::PoolTimer(*st), nullptr);
    EXPECT_TRUE(TScrollTextHooks::PoolTimer(*st)->Global());
    st->SetTimerMode(TFxTimerMode::tmNormal);
    ASSERT_NE(TScrollTextHooks::PoolTimer(*st), nullptr);
    EXPECT_FALSE(TScrollTextHooks::PoolTimer(*st)->Global());
}

TEST(ScrollTextLayout, ALoadedThreadedLayoutEndsWithOnlyAThreadTimer)
{
    TForm form(nullptr);
    TLayoutLoader loader(&form);
    auto* st = loader.Track(new TFxScrollText(&form));
    st->SetParent(&form);
    st->SetTimerMode(TFxTimerMode::tmThreaded);
    st->SetInterval(5);
    EXPECT_NE(TScrollTextHooks::PoolTimer(*st), nullptr);   // while loading only stored
    EXPECT_EQ(TScrollTextHooks::HiTimer(*st), nullptr);
    st->Execute();                        // loading never starts
    EXPECT_FALSE(st->Scroll());
    loader.Finish();
    EXPECT_EQ(TScrollTextHooks::PoolTimer(*st), nullptr);
    ASSERT_NE(TScrollTextHooks::HiTimer(*st), nullptr);
    EXPECT_TRUE(TScrollTextHooks::HiTimer(*st)->UseThread());
    EXPECT_GT(st->LineHeight(), 0);       // measured by Loaded
    EXPECT_EQ(st->Interval(), 5);
}

TEST_F(ScrollTextTest, RealTimersTickTheControlInEveryMode)
{
    Size(200, 40);
    st->SetInterval(1);
    for (TFxTimerMode mode : {TFxTimerMode::tmNormal, TFxTimerMode::tmGlobalTimer, TFxTimerMode::tmHiTimer,
                              TFxTimerMode::tmThreaded}) {
        SCOPED_TRACE(int(mode));
        st->SetTimerMode(mode);
        if (mode == TFxTimerMode::tmGlobalTimer) st->SetInterval(50);
        st->Execute();
        EXPECT_TRUE(WaitFor([&] { return TScrollTextHooks::StepCounter(*st) >= 3; }, 5000));
        st->Stop();
        const int frames = Count("scroll");
        QCoreApplication::processEvents();
        WaitFor([] { return false; }, 60);
        EXPECT_EQ(Count("scroll"), frames);   // stopped: no more frames
    }
}

TEST_F(ScrollTextTest, DestroyingAScrollingControlFiresNoStop)
{
    Size(200, 40);
    st->SetTimerMode(TFxTimerMode::tmThreaded);
    st->SetInterval(1);
    st->Execute();
    WaitFor([&] { return TScrollTextHooks::StepCounter(*st) >= 2; }, 5000);
    events.clear();
    delete st;
    EXPECT_EQ(Count("stop"), 0);
    WaitFor([] { return false; }, 30);
}

TEST_F(ScrollTextTest, ATransparentControlComposesOverTheBackgroundItWasGiven)
{
    // A form component provides the background picture: a red field.
    auto* back = new TBackSource(form.get());
    back->bmp.Canvas()->Brush()->SetColor(clRed);
    back->bmp.Canvas()->FillRect(TRect(0, 0, 400, 200));
    Size(200, 40);
    st->Execute();
    Ticks(1);
    st->SetTransparent(true);
    EXPECT_FALSE(st->Scroll());
    EXPECT_FALSE(st->ControlStyle() & csOpaque);
    EXPECT_TRUE(TScrollTextHooks::BackgroundStale(*st));
    st->Paint();
    EXPECT_FALSE(TScrollTextHooks::BackgroundStale(*st));
    EXPECT_EQ(TScrollTextHooks::Snapshot(*st)->Width(), 200);
    EXPECT_EQ(st->Canvas()->Pixel(1, 1), clRed);
    EXPECT_EQ(st->Canvas()->Pixel(198, 38), clRed);
    // Moving it marks the snapshot stale again; going opaque drops it.
    st->SetLeft(5);
    EXPECT_TRUE(TScrollTextHooks::BackgroundStale(*st));
    st->SetTransparent(false);
    EXPECT_EQ(TScrollTextHooks::Snapshot(*st)->Width(), 0);
    st->Paint();
    EXPECT_EQ(st->Canvas()->Pixel(1, 1), clNavy);
}

TEST_F(ScrollTextTest, WithoutAProviderTheSnapshotIsWhatTheParentShowsUnderTheControl)
{
    form->SetColor(clTeal);
    form->SetBounds(10, 10, 300, 100);
    Size(200, 40);
    st->SetTransparent(true);
    st->Paint();
    ASSERT_EQ(TScrollTextHooks::Snapshot(*st)->Width(), 200);
    EXPECT_EQ(TScrollTextHooks::Snapshot(*st)->Canvas()->Pixel(5, 5), clTeal);
    EXPECT_EQ(st->Canvas()->Pixel(5, 5), clTeal);
}

// Following the display, on synthetic time: ticks every 16 ms with jitter (and now and then one
// 8 ms late, once 40 ms), refreshes at 60 and 144 Hz, each drawn for the time it is shown, a refresh on.
class FollowingTheDisplay : public ScrollTextTest, public ::testing::WithParamInterface<int> {};

TEST_P(FollowingTheDisplay, FramesFollowTimeNeverRunAheadAndSnapWhereTheModelJumps)
{
    const int fps = GetParam();
    const int64_t ms = 1'000'000, refresh = 1'000'000'000 / fps;
    int64_t now = 0;
    TScrollTextHooks::SetMotionClock(*st, [&now] { return now; });
    st->SetFollowDisplay(true);
    st->SetDirection(TFxScrollDirection::sdRightToLeft);
    st->SetScrollMode(TFxScrollMode::smTicker);
    st->SetSteps(60);
    st->SetInterval(16);
    Size(300, 24);
    Text(QStringLiteral("Follow the display"));
    const int tw = st->TextWidth(), iw = TScrollTextHooks::InnerWidth(*st);
    const double stepPx = double(tw + iw) / 60, perRefresh = stepPx * 62.5 / fps;
    // Where the model puts the block at a step, leftwards (or rightwards).
    const auto modelX = [&](double s, bool ltr) { return Round((tw + iw) * (ltr ? s / 60 : 1 - s / 60)) - tw; };
    st->Execute();
    events.clear();
    const uint32_t seed = 20261209u + uint32_t(fps);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int64_t> jitter(-3 * ms, 3 * ms);
    int64_t tick = 16 * ms + jitter(rng), frame = refresh;
    // The steps travelled, a pass being Steps + 1 of them: the model's and the view's.
    int ticks = 0, hitches = 0, pairs = 0, wraps = 0;
    double viewed = 0, shown = 0;
    while (now < 3000 * ms) {
        if (tick <= frame) {
            now = tick;
            const int before = TScrollTextHooks::StepCounter(*st);
            st->GetTimer(nullptr);
            ++ticks;
            // The model moves one step per tick, and tells of each, whatever the refreshes do.
            ASSERT_TRUE(TScrollTextHooks::StepCounter(*st) == before + 1 || (TScrollTextHooks::StepCounter(*st) == 0 && before == 60));
            wraps += TScrollTextHooks::StepCounter(*st) == 0;
            ASSERT_EQ(Count("scroll"), ticks);
            tick = 16 * ms * (ticks + 1) + jitter(rng) + (rng() % 20 == 0 ? 8 * ms : 0);
            // Once, a tick held back twice its period: the view waits for it rather than
            // run ahead, and catches up.
            if (ticks == 100) tick += 32 * ms;
            continue;
        }
        now = frame;
        st->DisplayFrame(frame + refresh);
        frame += refresh;
        // The frame is drawn where the step shown puts the text.
        ASSERT_EQ(TScrollTextHooks::Origin(*st).X, modelX(TScrollTextHooks::ShownStep(*st), false));
        // Across a wrap the view goes on from where the pass ended, nothing held or skipped.
        double d = TScrollTextHooks::ShownStep(*st) - shown;
        if (d < -30) d += 61;
        shown = TScrollTextHooks::ShownStep(*st);
        viewed += d;
        ASSERT_GE(d, 0);
        // Never ahead of the model; never far behind it.
        ASSERT_LE(viewed, ticks);
        ASSERT_GE(viewed, ticks - 4);
        if (ticks < 4) continue;   // the start is held until the line reaches it
        ++pairs;
        hitches += std::abs(d * stepPx - perRefresh) > stepPx / 2;
    }
    // Only the refreshes that waited for the tick held back, and the one that caught up.
    EXPECT_LE(hitches, 144 / fps + 2) << "of " << pairs;
    EXPECT_GE(wraps, 2);

    // A Reverse turns the text where the model turned it: it stands where it stood, and moves
    // the other way once the refreshes reach the tick it turned at.
    const auto run = [&](int n) {
        for (int i = 0; i < n; ++i) {
            now += 16 * ms;
            st->GetTimer(nullptr);
            st->DisplayFrame(now + refresh);
        }
    };
    st->ExecuteEnh(20);
    run(12);
    const int x = TScrollTextHooks::Origin(*st).X;
    const double was = TScrollTextHooks::ShownStep(*st);
    st->Reverse();
    st->DisplayFrame(now + refresh);
    EXPECT_EQ(TScrollTextHooks::Origin(*st).X, x);
    EXPECT_DOUBLE_EQ(TScrollTextHooks::ShownStep(*st), 60 - was);
    run(8);
    EXPECT_GT(TScrollTextHooks::Origin(*st).X, x);
    // A change that re-measures is drawn at once, where the step shown puts the new text.
    Text(QStringLiteral("Follow the display further"));
    st->DisplayFrame(now + refresh);
    EXPECT_EQ(TScrollTextHooks::Origin(*st).X, Round((st->TextWidth() + iw) * TScrollTextHooks::ShownStep(*st) / 60) - st->TextWidth());
    // A stop leaves the step counter's own frame; a restart shows its step at once.
    const int counter = TScrollTextHooks::StepCounter(*st);
    st->Stop();
    EXPECT_EQ(TScrollTextHooks::Origin(*st).X, Round((st->TextWidth() + iw) * counter / 60.0) - st->TextWidth());
    st->ExecuteEnh(7);
    st->DisplayFrame(now + refresh);
    EXPECT_EQ(TScrollTextHooks::Origin(*st).X, Round((st->TextWidth() + iw) * 7 / 60.0) - st->TextWidth());
    // The last tick of a pass of ssOnce stops the model there; the refreshes still show the
    // pass to its end, and then end.
    st->SetScrollStyle(TFxScrollStyle::ssOnce);
    st->ExecuteEnh(50);
    run(11);
    int finishing = 0;
    while (finishing < 10 && st->DisplayFrame((now += refresh) + refresh)) ++finishing;
    EXPECT_TRUE(finishing > 0 && finishing < 10) << finishing;
    EXPECT_EQ(TScrollTextHooks::Origin(*st).X, Round((st->TextWidth() + iw) * 61 / 60.0) - st->TextWidth());
}

INSTANTIATE_TEST_SUITE_P(Refreshes, FollowingTheDisplay, ::testing::Values(60, 144));
