// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The graphic control base chain: size and mode at creation, the transparent-mode message,
// the repaint entry in both modes, update locking, bounds changes, mouse enter / exit, the
// theme message, the bevel, and the background provider seen from a see-through control.
#include "foundation/fxbackground_stub.h"
#include "platform/forms.h"
#include "foundation/fxgraphiccontrol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Records what the base chain does: paints, repaint requests, messages, change notices.
class TProbe : public TFxGraphicControl {
public:
    using TFxGraphicControl::TFxGraphicControl;
    int paints = 0;
    int invalidates = 0;
    int changes = 0;
    bool empty = true;
    std::vector<uint32_t> messages;
    void Paint() override
    {
        ++paints;
        TFxGraphicControl::Paint();
    }
    void Invalidate() override
    {
        ++invalidates;
        TFxGraphicControl::Invalidate();
    }
    void GetChange(TObject* Sender) override
    {
        ++changes;
        TFxGraphicControl::GetChange(Sender);
    }
    bool GetEmpty() const override { return empty; }
    void WndProc(TMessage& m) override
    {
        if (m.Msg >= 0xB0C0) messages.push_back(m.Msg);
        TFxGraphicControl::WndProc(m);
    }
    // Runs the protected paint as the platform's paint cycle would.
    void PaintNow() { Paint(); }
};

class TThemedProbe : public TProbe {
public:
    using TProbe::TProbe;
    bool ControlSupportsXP() const override { return true; }
};

// A container control that provides its own background, in which its children sit at an
// offset.
class TBackPanel : public TWinControl, public TBackPicture {
public:
    explicit TBackPanel(TComponent* owner) : TWinControl(owner) {}
    TPoint offset{5, 7};
    TPoint BackMapPoint(const TPoint& P) override { return TPoint(P.X + offset.X, P.Y + offset.Y); }
};

struct FxControlOnForm : ::testing::Test {
    std::unique_ptr<TForm> form{new TForm(nullptr)};
    TProbe* MakeProbe()
    {
        auto* p = new TProbe(form.get());
        p->SetParent(form.get());
        return p;
    }
};

}  // namespace

TEST(FxControlBase, NewControlIs30By30AndSeeThroughUntilTransModeIsDisabled)
{
    TProbe c(nullptr);
    EXPECT_EQ(c.Width(), 30);
    EXPECT_EQ(c.Height(), 30);
    EXPECT_TRUE(c.isTransparentSet());
    EXPECT_FALSE(c.ControlStyle() & csOpaque);
    EXPECT_TRUE(c.ControlStyle() & csReplicatable);
    c.DisableTransMode();
    EXPECT_FALSE(c.isTransparentSet());
    EXPECT_TRUE(c.ControlStyle() & csOpaque);
    EXPECT_TRUE(c.messages.empty());
    EXPECT_EQ(c.paints, 0);
    EXPECT_EQ(c.invalidates, 0);
}

TEST_F(FxControlOnForm, SetTransparentSendsTheMessageAndRepaintsOnlyOnANewValue)
{
    TProbe* c = MakeProbe();
    c->SetTransparent(true);   // the current value
    EXPECT_TRUE(c->messages.empty());
    EXPECT_EQ(c->paints + c->invalidates, 0);

    c->SetTransparent(false);  // opaque now: an immediate paint
    ASSERT_EQ(c->messages, std::vector<uint32_t>{CM_FXTRANSPARENTCHANGED});
    EXPECT_TRUE(c->ControlStyle() & csOpaque);
    EXPECT_EQ(c->paints, 1);
    EXPECT_EQ(c->invalidates, 0);

    c->SetTransparent(true);   // see-through: a repaint request, no paint
    EXPECT_EQ(c->messages.size(), 2u);
    EXPECT_FALSE(c->ControlStyle() & csOpaque);
    EXPECT_EQ(c->paints, 1);
    EXPECT_EQ(c->invalidates, 1);

    c->Hide();
    c->SetTransparent(false);  // hidden: the message, but no repaint
    EXPECT_EQ(c->messages.size(), 3u);
    EXPECT_EQ(c->paints, 1);
    EXPECT_EQ(c->invalidates, 1);
}

TEST_F(FxControlOnForm, ChangesOfOwnedObjectsRepaintAtOnceWhenOpaqueAndByRequestWhenSeeThrough)
{
    TProbe* c = MakeProbe();
    c->Bevel()->SetWidthOuter(3);
    EXPECT_EQ(c->invalidates, 1);
    EXPECT_EQ(c->paints, 0);
    c->DisableTransMode();
    c->BackFX()->SetInvert(true);
    EXPECT_EQ(c->paints, 1);
    EXPECT_EQ(c->invalidates, 1);
}

TEST_F(FxControlOnForm, UpdateLockNestsAndTheOutermostEndWithRepaintNotifiesOnce)
{
    TProbe* c = MakeProbe();
    c->DisableTransMode();
    c->BeginUpdate();
    c->BeginUpdate();
    EXPECT_TRUE(c->IsUpdating());
    c->InvalidateControl();
    c->Bevel()->SetWidthOuter(2);
    EXPECT_EQ(c->paints, 0);
    c->EndUpdate(true);   // still locked once
    EXPECT_EQ(c->paints, 0);
    const int changesBefore = c->changes;
    c->EndUpdate(true);
    EXPECT_FALSE(c->IsUpdating());
    EXPECT_EQ(c->changes, changesBefore + 1);
    EXPECT_EQ(c->paints, 1);

    c->BeginUpdate();
    c->EndUpdate(false);
    EXPECT_EQ(c->changes, changesBefore + 1);
    EXPECT_EQ(c->paints, 1);
}

TEST(FxControlBase, TheDefaultChangeHandlerRequestsARepaintOnlyWhenNotLoadingOrLocked)
{
    // TFxControl's own GetChange, below the graphic base's override.
    struct TPlain : TFxControl {
        using TFxControl::TFxControl;
        int invalidates = 0;
        void Invalidate() override { ++invalidates; }
    } c(nullptr);
    c.GetChange(nullptr);
    EXPECT_EQ(c.invalidates, 1);
    c.BeginUpdate();
    c.GetChange(nullptr);
    c.EndUpdate(false);
    EXPECT_EQ(c.invalidates, 1);
    c.SetLoading();
    c.GetChange(nullptr);
    EXPECT_EQ(c.invalidates, 1);
    c.Loaded();
    c.GetChange(nullptr);
    EXPECT_EQ(c.invalidates, 2);
}

TEST(FxControlBase, BoundsChangeReportsPositionAndSizeSeparately)
{
    TProbe c(nullptr);
    std::vector<TFxBoundsChangeStates> seen;
    c.OnBoundsChange = [&](TObject* s, TFxBoundsChangeStates st) {
        EXPECT_EQ(s, &c);
        seen.push_back(st);
    };
    c.SetBounds(10, 20, 30, 30);          // moved
    c.SetBounds(10, 20, 50, 30);          // resized
    c.SetBounds(0, 0, 60, 40);            // both
    c.SetBounds(0, 0, 60, 40);            // the same again
    EXPECT_EQ(seen, (std::vector<TFxBoundsChangeStates>{bcPos, bcSize, bcPos | bcSize}));
    c.SetLoading();
    c.SetBounds(1, 1, 1, 1);
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(c.Width(), 1);
}

TEST_F(FxControlOnForm, ScreenRectOfTheClientAreaIsTheControlOnTheScreen)
{
    form->SetBounds(100, 50, 400, 300);
    TProbe* c = MakeProbe();
    c->SetBounds(10, 20, 120, 40);
    EXPECT_EQ(c->GetScreenRect(c->ClientRect()), TRect(110, 70, 230, 110));
}

TEST_F(FxControlOnForm, MouseEnterAndExitFireOnlyForAnEnabledControlOutsideDesignMode)
{
    TProbe* c = MakeProbe();
    std::vector<int> seen;
    c->OnMouseEnter = [&](TObject* s) { EXPECT_EQ(s, c); seen.push_back(1); };
    c->OnMouseExit = [&](TObject* s) { EXPECT_EQ(s, c); seen.push_back(2); };
    c->Perform(CM_MOUSEENTER);
    c->Perform(CM_MOUSELEAVE);
    c->SetEnabled(false);
    c->Perform(CM_MOUSEENTER);
    c->SetEnabled(true);
    c->SetDesigning(true);
    c->Perform(CM_MOUSEENTER);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
}

TEST_F(FxControlOnForm, ThemeMessageRepaintsOnlyAControlThatSupportsThemes)
{
    TProbe* plain = MakeProbe();
    auto* themed = new TThemedProbe(form.get());
    themed->SetParent(form.get());
    plain->Perform(CM_FXTHEMECHANGED);
    themed->Perform(CM_FXTHEMECHANGED);
    EXPECT_EQ(plain->invalidates, 0);
    EXPECT_EQ(themed->invalidates, 1);
    themed->SetCtlXP(true);
    themed->SetCtlXP(true);
    EXPECT_EQ(themed->invalidates, 2);
    EXPECT_FALSE(themed->UseXP());   // the desktop offers no themed drawing
}

TEST_F(FxControlOnForm, SetBevelCopiesTheBevelAndSendsTheBevelMessage)
{
    TProbe* c = MakeProbe();
    TFxBevel other;
    other.SetStyleOuter(TFxBevelStyle::bvRaised);
    other.SetWidthOuter(4);
    c->SetBevel(&other);
    EXPECT_NE(c->Bevel(), &other);
    EXPECT_EQ(c->Bevel()->StyleOuter(), TFxBevelStyle::bvRaised);
    EXPECT_EQ(c->BevelExt(), other.Extent());
    EXPECT_GT(c->BevelExt(), 0);
    EXPECT_EQ(c->DblBevelExt(), 2 * c->BevelExt());
    EXPECT_EQ(c->BeveledRect(), other.ClientRect(c->ClientRect()));
    EXPECT_NE(std::find(c->messages.begin(), c->messages.end(), CM_FXBEVELCHANGED), c->messages.end());
}

TEST(FxControlBase, PaintOfAnEmptyControlWithoutBevelDrawsOnlyTheDesignOutline)
{
    TProbe c(nullptr);
    c.DisableTransMode();
    c.Canvas()->Brush()->SetColor(clWhite);
    c.Canvas()->FillRect(c.ClientRect());
    c.PaintNow();   // outside design mode: nothing
    EXPECT_EQ(c.Canvas()->Pixel(0, 0), clWhite);
    EXPECT_EQ(c.Canvas()->Pixel(29, 15), clWhite);

    c.SetDesigning(true);
    c.PaintNow();
    // A dashed black outline around the whole control, nothing inside.
    int black = 0, white = 0;
    for (int x = 0; x < 30; ++x) (c.Canvas()->Pixel(x, 0) == clBlack ? black : white)++;
    EXPECT_GT(black, 5);
    EXPECT_GT(white, 0);
    EXPECT_EQ(c.Canvas()->Pixel(15, 15), clWhite);
    EXPECT_EQ(c.Canvas()->Pixel(29, 29) == clBlack || c.Canvas()->Pixel(29, 28) == clBlack ||
                  c.Canvas()->Pixel(28, 29) == clBlack,
              true);
}

TEST(FxControlBase, PaintWithABevelDrawsTheBevel)
{
    TProbe c(nullptr);
    c.DisableTransMode();
    c.Canvas()->Brush()->SetColor(clWhite);
    c.Canvas()->FillRect(c.ClientRect());
    c.Bevel()->SetStyleOuter(TFxBevelStyle::bvNormal);   // black on both sides
    c.Bevel()->SetWidthOuter(2);
    c.PaintNow();
    EXPECT_EQ(c.Canvas()->Pixel(0, 10), clBlack);
    EXPECT_EQ(c.Canvas()->Pixel(29, 10), clBlack);
    EXPECT_EQ(c.Canvas()->Pixel(15, 15), clWhite);
    c.SetLoading();
    c.Canvas()->Brush()->SetColor(clWhite);
    c.Canvas()->FillRect(c.ClientRect());
    c.PaintNow();
    EXPECT_EQ(c.Canvas()->Pixel(0, 10), clWhite);
}

TEST_F(FxControlOnForm, AFormComponentProvidesTheBackgroundMappedByTheControlPosition)
{
    TProbe* c = MakeProbe();
    EXPECT_FALSE(c->BackBitmapCheck());
    EXPECT_FALSE(c->CheckOptimized());
    EXPECT_EQ(c->BackMapPoint(TPoint(3, 4)), TPoint(3, 4));

    auto* source = new TBackSource(form.get());
    source->bmp.Canvas()->Brush()->SetColor(clRed);
    source->bmp.Canvas()->FillRect(TRect(0, 0, 200, 100));
    source->bmp.Canvas()->Brush()->SetColor(clBlue);
    source->bmp.Canvas()->FillRect(TRect(42, 31, 44, 33));
    c->SetBounds(40, 30, 20, 10);
    EXPECT_TRUE(c->BackBitmapCheck());
    EXPECT_TRUE(c->CheckOptimized());
    EXPECT_EQ(c->BackBitmap(), &source->bmp);
    EXPECT_EQ(c->BackMapPoint(TPoint(3, 4)), TPoint(43, 34));

    TBitmap target(20, 10);
    EXPECT_TRUE(c->BackDrawArea(target.Canvas(), TRect(0, 0, 20, 10), TPoint(0, 0), 0));
    EXPECT_EQ(target.Canvas()->Pixel(2, 1), clBlue);
    EXPECT_EQ(target.Canvas()->Pixel(3, 2), clBlue);
    EXPECT_EQ(target.Canvas()->Pixel(4, 1), clRed);
    EXPECT_EQ(target.Canvas()->Pixel(0, 0), clRed);

    c->DisableTransMode();   // opaque controls do not use the parent's picture
    EXPECT_FALSE(c->CheckOptimized());
    source->available = false;
    EXPECT_FALSE(c->BackBitmapCheck());
}

TEST_F(FxControlOnForm, AProvidingParentMapsThroughItsOwnMappingAndOnlyForSeeThroughControls)
{
    auto* panel = new TBackPanel(form.get());
    panel->SetParent(form.get());
    auto* c = new TProbe(form.get());
    c->SetParent(panel);
    c->SetBounds(10, 20, 30, 30);
    EXPECT_TRUE(c->BackBitmapCheck());
    EXPECT_EQ(c->BackMapPoint(TPoint(1, 2)), TPoint(1 + 10 + 5, 2 + 20 + 7));
    c->DisableTransMode();
    EXPECT_FALSE(c->BackBitmapCheck());
    EXPECT_EQ(c->BackMapPoint(TPoint(1, 2)), TPoint(1, 2));
}

TEST_F(FxControlOnForm, BackUpdateRepaintsAnOptimisedControlAndDropsTheEffectBuffer)
{
    auto* source = new TBackSource(form.get());
    (void)source;
    TProbe* c = MakeProbe();
    // An inverting, buffered effect: the buffer hands out its first result until dropped.
    c->BackFX()->SetInvert(true);
    c->BackFX()->SetBuffered(true);
    TBitmap img(4, 4);
    img.Canvas()->Brush()->SetColor(clBlack);
    img.Canvas()->FillRect(TRect(0, 0, 4, 4));
    c->BackFX()->Draw(&img);
    EXPECT_EQ(img.Canvas()->Pixel(1, 1), clWhite);
    img.Canvas()->Brush()->SetColor(clRed);
    img.Canvas()->FillRect(TRect(0, 0, 4, 4));
    c->BackFX()->Draw(&img);
    EXPECT_EQ(img.Canvas()->Pixel(1, 1), clWhite);   // the kept result

    const int changes = c->changes;
    c->BackUpdate();
    EXPECT_EQ(c->changes, changes + 1);
    img.Canvas()->FillRect(TRect(0, 0, 4, 4));
    c->BackFX()->Draw(&img);
    EXPECT_EQ(img.Canvas()->Pixel(1, 1), clAqua);   // red inverted: computed again

    c->Hide();
    c->BackUpdate();
    EXPECT_EQ(c->changes, changes + 1);
}
