// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The hyperlink and web labels: looks under and away from the pointer, repaint rules of the
// setters, the text outline, text layout, and opening the address on a left click.
#include "hyperlink/lkhyperctrls.h"
#include "lk_test_util.h"
#include "platform/hooks.h"
#include "platform/shell.h"
#include "scale_testing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QtMath>

namespace {

using namespace lktest;

// The hover looks are told apart by their background colours.
constexpr TColor kEnterBack = clBlue, kLeaveBack = clMaroon;

class HyperLinkTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        link = new TLkHyperLink(form);
        link->SetParent(form);
        link->SetBounds(10, 10, 120, 30);
        link->SetColorEnter(kEnterBack);
        link->SetColorLeave(kLeaveBack);
        link->OnMouseEnter = [this](TObject*) { events.push_back("enter " + Look()); };
        link->OnMouseLeave = [this](TObject*) { events.push_back("leave " + Look()); };
        ShowForm();
    }
    // The look shown at the corner of the label right now.
    std::string Look() const
    {
        const TColor c = ShownAt(link, 0, 0);
        return c == kEnterBack ? "entered" : c == kLeaveBack ? "left" : "other";
    }
    TLkHyperLink* link = nullptr;
    std::vector<std::string> events;
};

TEST_F(HyperLinkTest, IsAnOpaqueLabelWithoutDoubleClicksAndTheDesignedDefaults)
{
    TLkHyperLink fresh(nullptr);
    EXPECT_EQ(fresh.BoundsRect(), TRect(0, 0, 135, 25));
    EXPECT_TRUE(fresh.ControlStyle() & csOpaque);
    EXPECT_FALSE(fresh.ControlStyle() & csDoubleClicks);
    EXPECT_FALSE(fresh.Transparent());
    EXPECT_EQ(fresh.FontEnter()->Name(), QStringLiteral("Arial"));
    EXPECT_EQ(fresh.FontEnter()->Size(), 12);
    EXPECT_EQ(fresh.FontEnter()->Style(), fsBold | fsUnderline);
    EXPECT_EQ(fresh.FontEnter()->Color(), clLime);
    EXPECT_EQ(fresh.FontLeave()->Color(), clGreen);
    EXPECT_EQ(fresh.ColorEnter(), clBlue);
    EXPECT_EQ(fresh.ColorLeave(), clBlack);
    EXPECT_EQ(fresh.Alignment(), TAlignment::taCenter);
    EXPECT_TRUE(fresh.WordWrap());
    EXPECT_EQ(fresh.TextOutline()->Width(), 1);
}

TEST_F(HyperLinkTest, PointerSwitchesTheLookAndTheEventsSeeItRepainted)
{
    EXPECT_EQ(Look(), "left");
    Move(link, 5, 5);
    EXPECT_TRUE(link->Hovered());
    EXPECT_EQ(Look(), "entered");
    link->Perform(CM_MOUSELEAVE);
    EXPECT_FALSE(link->Hovered());
    EXPECT_EQ(Look(), "left");
    EXPECT_EQ(events, (std::vector<std::string>{"enter entered", "leave left"}));
}

TEST_F(HyperLinkTest, DisabledLabelUnderThePointerShowsTheLeaveLook)
{
    Move(link, 5, 5);
    link->SetEnabled(false);
    link->UpdateControlCanvas();
    EXPECT_TRUE(link->Hovered());   // the state is not changed by disabling
    EXPECT_EQ(Look(), "left");
    link->SetEnabled(true);
    link->UpdateControlCanvas();
    EXPECT_EQ(Look(), "entered");
}

// Counts paints of a label.
class CountingLink : public TLkHyperLink {
public:
    using TLkHyperLink::TLkHyperLink;
    int paints = 0;

protected:
    void Paint() override
    {
        ++paints;
        TLkHyperLink::Paint();
    }
};

TEST_F(HyperLinkTest, EqualValuesRepaintOnlyForFonts)
{
    auto* c = new CountingLink(form);
    c->SetParent(form);
    c->SetBounds(0, 50, 100, 20);
    QApplication::processEvents();
    c->paints = 0;
    c->SetColorEnter(c->ColorEnter());
    c->SetColorLeave(c->ColorLeave());
    c->SetAlignment(c->Alignment());
    c->SetWordWrap(c->WordWrap());
    EXPECT_EQ(c->paints, 0);
    TFont same;
    same.Assign(c->FontEnter());
    c->SetFontEnter(&same);
    EXPECT_GE(c->paints, 1);
    const int afterFont = c->paints;
    c->SetColorLeave(clRed);
    EXPECT_EQ(c->paints, afterFont + 1);
    c->TextOutline()->SetColor(clRed);   // the owned outline's change repaints too
    EXPECT_EQ(c->paints, afterFont + 2);
}

// Draws what a label of the same size shows for caption in the leave look with the given
// outline offsets, on a plain bitmap, for comparison.
QImage Reference(const TLkHyperLink& l, const QString& caption, const std::vector<TPoint>& offsets, int w)
{
    TBitmap bmp;
    bmp.SetDevicePixelRatio(l.DevicePixelRatio());
    bmp.SetSize(qCeil(l.Width() * l.DevicePixelRatio()), qCeil(l.Height() * l.DevicePixelRatio()));
    TCanvas* c = bmp.Canvas();
    c->SetFont(l.FontLeave());
    c->Brush()->SetColor(l.ColorLeave());
    c->FillRect(TRect(0, 0, l.Width(), l.Height()));
    const uint32_t flags = DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK;
    TRect r(w, w, l.Width() - w, l.Height() - w);
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Font()->SetColor(l.TextOutline()->Color());
    for (TPoint d : offsets) {
        TRect m = r;
        m.Offset(d.X, d.Y);
        c->DrawTextEx(caption, m, flags);
    }
    c->Font()->SetColor(l.FontLeave()->Color());
    if (offsets.empty()) c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->DrawTextEx(caption, r, flags);
    return bmp.Image().convertToFormat(QImage::Format_RGB32);
}

QImage Shown(TLkHyperLink* l)
{
    TPlatformHooks::PaintCycle(*l);
    return l->Surface().convertToFormat(QImage::Format_RGB32);
}

TEST_F(HyperLinkTest, OutlineDrawsFourWSquaredDiagonalCopiesAndNoneOnTheAxes)
{
    link->SetCaption(QStringLiteral("l|l"));
    link->FontLeave()->SetHeight(-20);
    link->FontLeave()->SetStyle(0);
    link->TextOutline()->SetColor(clYellow);
    link->TextOutline()->SetWidth(2);

    std::vector<TPoint> quadrants, withAxes;
    for (int i = 1; i <= 2; ++i)
        for (int j = 1; j <= 2; ++j)
            for (TPoint d : {TPoint(i, j), TPoint(i, -j), TPoint(-i, j), TPoint(-i, -j)}) quadrants.push_back(d);
    ASSERT_EQ(quadrants.size(), 16u);
    withAxes = quadrants;
    for (int k = 1; k <= 2; ++k)
        for (TPoint d : {TPoint(k, 0), TPoint(-k, 0), TPoint(0, k), TPoint(0, -k)}) withAxes.push_back(d);

    const QImage shown = Shown(link);
    EXPECT_EQ(shown, Reference(*link, link->Caption(), quadrants, 2));
    // Copies on the axes would have drawn more: the thin strokes leave gaps the quadrant copies
    // do not fill.
    EXPECT_NE(shown, Reference(*link, link->Caption(), withAxes, 2));
}

TEST_F(HyperLinkTest, HiddenOrZeroWidthOutlineUsesTheWholeClientRectangle)
{
    link->SetCaption(QStringLiteral("Ab"));
    link->TextOutline()->SetVisible(false);
    link->TextOutline()->SetWidth(3);
    const QImage plain = Reference(*link, link->Caption(), {}, 0);
    EXPECT_EQ(Shown(link), plain);
    link->TextOutline()->SetVisible(true);
    link->TextOutline()->SetWidth(0);
    EXPECT_EQ(Shown(link), plain);
}

// On a screen scaled by two the text is drawn at the screen's own resolution, as the labels
// beside it are, not at scale 1 and enlarged.
TEST_F(HyperLinkTest, OnAScreenScaledByTwoTheTextIsDrawnAtItsResolution)
{
    if (RerunAtScale("2")) return;
    link->SetCaption(QStringLiteral("Ab"));
    link->TextOutline()->SetVisible(false);
    EXPECT_EQ(Shown(link), Reference(*link, link->Caption(), {}, 0));
}

// True when some pixel of rows [top, bottom) differs from the background colour.
bool InkInRows(const QImage& img, int top, int bottom, TColor back)
{
    const TColor rgb = ColorToRGB(back);
    const QRgb bg = qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    for (int y = top; y < bottom && y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != bg) return true;
    return false;
}

TEST_F(HyperLinkTest, LongCaptionWrapsAtWordsOnlyWithWordWrap)
{
    link->TextOutline()->SetVisible(false);
    link->FontLeave()->SetHeight(-12);
    link->SetBounds(10, 10, 120, 60);
    link->SetCaption(QStringLiteral("one two three four five six seven"));
    EXPECT_TRUE(InkInRows(Shown(link), 16, 60, kLeaveBack));
    link->SetWordWrap(false);
    const QImage single = Shown(link);
    EXPECT_TRUE(InkInRows(single, 0, 15, kLeaveBack));
    EXPECT_FALSE(InkInRows(single, 16, 60, kLeaveBack));
}

TEST_F(HyperLinkTest, PrefixCharacterAndTabsFollowTheTextRules)
{
    link->TextOutline()->SetVisible(false);
    link->SetAlignment(TAlignment::taLeftJustify);
    link->FontLeave()->SetStyle(0);
    // "&&" draws one "&"; "&b" underlines the b, so it differs from a plain "b".
    link->SetCaption(QStringLiteral("a&&b"));
    const QImage doubled = Shown(link);
    link->SetCaption(QStringLiteral("a&b"));
    const QImage single = Shown(link);
    EXPECT_NE(doubled, single);
    link->SetCaption(QStringLiteral("ab"));
    EXPECT_NE(Shown(link), single);
    // A tab moves the rest of the caption to the next tab stop, further than a blank does.
    link->SetCaption(QStringLiteral("a\tb"));
    const QImage tabbed = Shown(link);
    link->SetCaption(QStringLiteral("a b"));
    EXPECT_NE(tabbed, Shown(link));
}

// ---------------------------------------------------------------------------------------------
// TLkWebLabel
// ---------------------------------------------------------------------------------------------
class WebLabelTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        previous = SetShellOpener([this](const QString& url) {
            events.push_back("open " + url.toStdString());
            return answer;
        });
        web = new TLkWebLabel(form);
        web->SetParent(form);
        web->SetBounds(10, 10, 120, 20);
        web->SetURL(QStringLiteral("http://www.example.org/page"));
        web->OnClick = [this](TObject*) { events.push_back("click"); };
        web->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { events.push_back("mouseup"); };
        web->OnError = [this](TObject* s) { events.push_back(s == web ? "error" : "error ?"); };
    }
    void TearDown() override
    {
        SetShellOpener(previous);
        FormTest::TearDown();
    }
    void ClickAt(int x, int y, Qt::MouseButton b = Qt::LeftButton)
    {
        Move(web, x, y);
        Press(web, x, y, b);
        Release(web, x, y, b);
    }
    TShellOpener previous;
    TLkWebLabel* web = nullptr;
    std::vector<std::string> events;
    int answer = SHELL_OPEN_OK;
};

TEST_F(WebLabelTest, ShowsTheHandPointerAndHasAPlaceholderAddress)
{
    LkInitialize();
    TLkWebLabel fresh(form);
    EXPECT_EQ(fresh.Cursor(), 99);
    EXPECT_EQ(fresh.URL(), TLkWebLabel::DefaultURL);
    fresh.SetParent(form);
    EXPECT_EQ(fresh.Widget()->cursor().hotSpot(), QPoint(10, 5));
}

TEST_F(WebLabelTest, LeftClickRaisesOnClickThenOpensTheAddressAndNeverOnMouseUp)
{
    ClickAt(5, 5);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "open http://www.example.org/page"}));
}

TEST_F(WebLabelTest, FailureToOpenRaisesOnErrorOnce)
{
    answer = 32;
    ClickAt(5, 5);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "open http://www.example.org/page", "error"}));
    events.clear();
    answer = 33;
    ClickAt(6, 6);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "open http://www.example.org/page"}));
}

TEST_F(WebLabelTest, AnOpenerThatStartsButThenFailsRaisesOnErrorAMomentLater)
{
    // The desktop's opener itself, with launchers standing in for xdg-open: one that exits
    // with an error (as xdg-open does when nothing can open the address) and one that succeeds.
    SetShellOpener(nullptr);
    const QString launcher = SetShellLauncher(QStringLiteral("false"));
    ClickAt(5, 5);
    EXPECT_EQ(events, (std::vector<std::string>{"click"})) << "the click does not wait for the opener";
    QElapsedTimer clock;
    clock.start();
    while (events.size() < 2 && clock.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "error"}));
    events.clear();
    SetShellLauncher(QStringLiteral("true"));
    ClickAt(6, 6);
    clock.restart();
    while (clock.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(events, (std::vector<std::string>{"click"}));
    SetShellLauncher(launcher);
}

TEST_F(WebLabelTest, PressInsideAndReleaseOutsideOpensNothing)
{
    Move(web, 5, 5);
    Press(web, 5, 5);
    Move(web, 200, 5, Qt::LeftButton);   // the label keeps the capture and is told the pointer left
    EXPECT_FALSE(web->Hovered());
    Release(web, 200, 5);
    EXPECT_TRUE(events.empty()) << events.front();
}

TEST_F(WebLabelTest, RightAndMiddleButtonsOpenNothing)
{
    ClickAt(5, 5, Qt::RightButton);
    ClickAt(5, 5, Qt::MiddleButton);
    EXPECT_TRUE(events.empty()) << events.front();
}

TEST_F(WebLabelTest, DoubleClickOpensTwice)
{
    Move(web, 5, 5);
    Press(web, 5, 5);
    Release(web, 5, 5);
    SendMouse(web, QEvent::MouseButtonDblClick, 5, 5, Qt::LeftButton, Qt::LeftButton);
    Release(web, 5, 5);
    EXPECT_EQ(std::count(events.begin(), events.end(), "open http://www.example.org/page"), 2);
}

TEST(ShellOpen, AnEmptyAddressFailsWithoutAskingTheDesktop)
{
    const TShellOpener previous = SetShellOpener(nullptr);
    EXPECT_LE(ShellExecuteOpen(QString()), 32);
    SetShellOpener(previous);
}

}  // namespace
