// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The link-label control base: the repaint request and its suppression, transparency with
// background capture and reuse, the off-screen image, and the hand pointer.
#include "hyperlink/hooks.h"
#include "hyperlink/lkcontrols.h"
#include "lk_test_util.h"
#include "platform/hooks.h"
#include "platform/stdctrls.h"

#include <QBitmap>

namespace {

using lktest::FormTest;
using lktest::ShownAt;

// Paints its off-screen image with a fixed colour over the prepared background (a band at the
// top, so the background shows below it) and counts paints.
class Probe : public TLkGraphicImageControl {
public:
    using TLkGraphicImageControl::TLkGraphicImageControl;
    int paints = 0;
    bool paintedOpaque = false;
    TColor band = clRed;

protected:
    void Paint() override
    {
        ++paints;
        paintedOpaque = (ControlStyle() & csOpaque) != 0;
        ClearBitmapCanvas();
        TCanvas* c = GetBitmapCanvas();
        c->Brush()->SetColor(band);
        c->FillRect(TRect(0, 0, Width(), 2));
        TLkGraphicImageControl::Paint();
    }
};

TEST(LkHandPointer, IsAThirtyTwoPixelHandWithItsHotSpotOnTheFingertip)
{
    const QCursor cursor = LkHandPointCursor();
    EXPECT_EQ(cursor.hotSpot(), QPoint(10, 5));
    const QImage shape = cursor.mask().toImage();
    ASSERT_EQ(shape.size(), QSize(32, 32));
    const QImage ink = cursor.bitmap().toImage();
    auto drawn = [&](int x, int y) { return qGray(shape.pixel(x, y)) < 128; };   // 1 bits read as black
    auto black = [&](int x, int y) { return qGray(ink.pixel(x, y)) < 128; };
    // The hot spot is the top of the finger: drawn, and nothing above it.
    EXPECT_TRUE(drawn(10, 5));
    EXPECT_TRUE(black(10, 5));
    for (int y = 0; y < 5; ++y) EXPECT_FALSE(drawn(10, y)) << y;
    // The finger is outlined in black around a white inside.
    EXPECT_TRUE(drawn(10, 8));
    EXPECT_FALSE(black(10, 8));
    EXPECT_FALSE(drawn(0, 0));
}

TEST(LkHandPointer, LibraryInitialisationInstallsItAsCursor99)
{
    LkInitialize();
    ASSERT_TRUE(Screen->HasCursor(crLkHandPoint));
    EXPECT_EQ(Screen->Cursors(99).hotSpot(), QPoint(10, 5));
    EXPECT_EQ(Screen->Cursors(99).shape(), Qt::BitmapCursor);
}

class LkControlTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(0, 0, 200, 100);
        panel->SetBevelOuter(TBevelCut::bvNone);
        panel->SetColor(clGreen);
        probe = new Probe(form);
        probe->SetParent(panel);
        probe->SetBounds(10, 10, 40, 20);
        ShowForm();
        probe->paints = 0;
    }
    TPanel* panel = nullptr;
    Probe* probe = nullptr;
};

TEST_F(LkControlTest, RepaintRequestPaintsAtOnceUnlessLoadingOrInsideABracket)
{
    probe->UpdateControlCanvas();
    EXPECT_EQ(probe->paints, 1);

    form->SetLoading();
    probe->UpdateControlCanvas();
    EXPECT_EQ(probe->paints, 1);
    form->Loaded();

    probe->BeginUpdate();
    probe->BeginUpdate();
    probe->UpdateControlCanvas();
    probe->EndUpdate();
    EXPECT_EQ(probe->paints, 1);
    probe->EndUpdate();   // the outermost bracket closes: one repaint
    EXPECT_EQ(probe->paints, 2);
    EXPECT_EQ(probe->UpdateCount(), 0);
}

TEST_F(LkControlTest, OpaqueControlFillsWithItsColourAndNeverTouchesTheCache)
{
    probe->SetColor(clYellow);
    TPlatformHooks::PaintCycle(*probe);
    EXPECT_EQ(ShownAt(probe, 5, 10), clYellow);
    EXPECT_EQ(ShownAt(probe, 5, 0), clRed);
    EXPECT_TRUE(THyperlinkHooks::BackgroundCache(*probe)->Empty());
    EXPECT_FALSE(probe->ControlStyle() & csOpaque);   // the base does not force opacity
}

TEST_F(LkControlTest, TransparentControlCapturesThenReusesTheParentBackground)
{
    probe->SetTransparent(true);
    EXPECT_FALSE(probe->ControlStyle() & csOpaque);

    // The parent paints the area: the panel's colour is captured and shows below the band.
    TPlatformHooks::PaintCycle(*probe);
    EXPECT_EQ(ShownAt(probe, 5, 10), clGreen);
    ASSERT_FALSE(THyperlinkHooks::BackgroundCache(*probe)->Empty());
    EXPECT_TRUE(THyperlinkHooks::CaptureNext(*probe));

    // The control asks for its own repaint: it turns opaque for that paint and reuses the
    // cache, so a change under it that the parent has not painted yet does not show.
    panel->SetColor(clBlue);
    probe->band = clAqua;
    const int before = probe->paints;
    probe->UpdateControlCanvas();
    EXPECT_EQ(probe->paints, before + 1);
    EXPECT_TRUE(probe->paintedOpaque);
    EXPECT_EQ(ShownAt(probe, 5, 0), clAqua);
    EXPECT_EQ(ShownAt(probe, 5, 10), clGreen);
    // After that paint it captures again.
    EXPECT_TRUE(THyperlinkHooks::CaptureNext(*probe));
    EXPECT_FALSE(probe->ControlStyle() & csOpaque);

    // The next paint the parent drives captures the new background.
    TPlatformHooks::PaintCycle(*probe);
    EXPECT_EQ(ShownAt(probe, 5, 10), clBlue);
}

TEST_F(LkControlTest, FirstSelfRequestedRepaintWithAnEmptyCacheCaptures)
{
    probe->SetTransparent(true);   // repaints: cache was empty, so the parent painted under it
    EXPECT_EQ(probe->paints, 1);
    EXPECT_EQ(ShownAt(probe, 5, 10), clGreen);
    EXPECT_FALSE(THyperlinkHooks::BackgroundCache(*probe)->Empty());
}

TEST_F(LkControlTest, InTheDesignerTransparencyInvalidatesAndNeverReuses)
{
    probe->SetDesigning(true);
    probe->SetTransparent(true);
    EXPECT_EQ(probe->paints, 0);   // invalidated, not painted at once
    QApplication::processEvents();
    TPlatformHooks::PaintCycle(*probe);
    ASSERT_FALSE(THyperlinkHooks::BackgroundCache(*probe)->Empty());
    probe->UpdateControlCanvas();
    EXPECT_FALSE(probe->ControlStyle() & csOpaque);
    panel->SetColor(clBlue);
    TPlatformHooks::PaintCycle(*probe);
    EXPECT_EQ(ShownAt(probe, 5, 10), clBlue);
}

TEST_F(LkControlTest, OffscreenImageFollowsTheSizeAtEveryPaint)
{
    TPlatformHooks::PaintCycle(*probe);
    EXPECT_EQ(THyperlinkHooks::OffscreenImage(*probe)->Width(), 40);
    probe->SetBounds(10, 10, 70, 33);
    TPlatformHooks::PaintCycle(*probe);
    EXPECT_EQ(THyperlinkHooks::OffscreenImage(*probe)->Width(), 70);
    EXPECT_EQ(THyperlinkHooks::OffscreenImage(*probe)->Height(), 33);
    EXPECT_EQ(ShownAt(probe, 69, 0), clRed);
    EXPECT_EQ(ShownAt(probe, 69, 32), ColorToRGB(probe->Color()));
}

TEST_F(LkControlTest, HooksRaiseTheirEventsAfterTheFrameworksHandling)
{
    std::vector<std::string> seen;
    probe->OnMouseEnter = [&](TObject* s) { seen.push_back(s == probe ? "enter" : "?"); };
    probe->OnMouseLeave = [&](TObject*) { seen.push_back("leave"); };
    probe->OnFontChanged = [&](TObject*) { seen.push_back("font"); };
    probe->OnTextChanged = [&](TObject*) { seen.push_back("text"); };
    lktest::Move(probe, 3, 3);
    probe->Font()->SetHeight(-20);
    probe->SetCaption(QStringLiteral("x"));
    probe->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(seen, (std::vector<std::string>{"enter", "font", "text", "leave"}));
}

TEST(LkPanelBackground, AWindowlessChildSeesThePanelsColourAndBevel)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 100, 60);
    TPanel* p = new TPanel(&form);
    p->SetParent(&form);
    p->SetBounds(0, 0, 100, 60);
    p->SetColor(clSilver);
    p->SetBevelOuter(TBevelCut::bvLowered);
    Probe* child = new Probe(&form);
    child->SetParent(p);
    child->SetBounds(0, 0, 20, 20);
    child->SetTransparent(true);
    TPlatformHooks::PaintCycle(*child);
    // The lowered bevel's shadow runs along the top and left edges; inside, the panel colour.
    EXPECT_EQ(ShownAt(child, 0, 10), ColorToRGB(clBtnShadow));
    EXPECT_EQ(ShownAt(child, 10, 10), clSilver);
}

}  // namespace
