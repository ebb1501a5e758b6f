// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Bevels and frames: the extent kept by Change, the client rectangle, the painted frames and
// the rectangles they hand back, the style invariant and the change notifications.
#include "foundation/fxbevel.h"
#include "foundation/fxobject.h"
#include "fxdraw_test_util.h"

using namespace fxtest;

namespace {
constexpr TColor kBack = RGB(0x12, 0x34, 0x56);
constexpr TColor kLight = RGB(250, 240, 10);
constexpr TColor kShadow = RGB(20, 30, 200);
constexpr TColor kBorder = RGB(0, 160, 0);

// A bevel with explicit colours, so that pixels tell the parts apart.
std::unique_ptr<TFxBevel> ColouredBevel()
{
    auto b = std::make_unique<TFxBevel>();
    b->SetLightColor(kLight);
    b->SetShadowColor(kShadow);
    b->SetBorderColor(kBorder);
    return b;
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// TFxObject
// ---------------------------------------------------------------------------------------------
TEST(FxObject, ChangeNotifiesWithItselfUnlessUpdating)
{
    TFxObject o;
    ChangeCounter c;
    o.OnChange = c.Handler();
    o.Change();
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(c.sender, &o);

    o.BeginUpdate();
    o.Change();
    o.Change();
    EXPECT_EQ(c.count, 1);
    EXPECT_TRUE(o.IsUpdating());
    o.EndUpdate(false);
    EXPECT_EQ(c.count, 1);
    EXPECT_FALSE(o.IsUpdating());

    o.BeginUpdate();
    o.EndUpdate(true);
    EXPECT_EQ(c.count, 2);

    // Another object's change forwarded: this object is the sender.
    TFxObject other;
    other.OnChange = [&o](TObject* s) { o.GetChange(s); };
    other.Change();
    EXPECT_EQ(c.count, 3);
    EXPECT_EQ(c.sender, &o);
    EXPECT_TRUE(o.GetSetStr().isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Extent, far extent, client rectangle
// ---------------------------------------------------------------------------------------------
TEST(FxBevel, DefaultHasNoBorderAndLeavesCanvasAlone)
{
    TFxBevel b;
    EXPECT_EQ(b.Mode(), TFxBevelMode::bmCustom);
    EXPECT_EQ(b.Extent(), 0);
    EXPECT_EQ(b.FarExtent(), 0);
    EXPECT_EQ(b.GetBevelExtend(), 0);
    const TRect r(3, 4, 60, 40);
    EXPECT_EQ(b.ClientRect(r), r);

    auto img = Filled(64, 48, kBack);
    EXPECT_EQ(b.PaintBevel(img->Canvas(), r, false), r);
    EXPECT_EQ(CountOther(*img, TRect(0, 0, 64, 48), kBack), 0);
    EXPECT_EQ(b.GetSetStr(), QStringLiteral("{Custom style}"));
}

TEST(FxBevel, ShadowExtentsClientRectAndPixels)
{
    auto b = ColouredBevel();
    b->SetStyleOuter(TFxBevelStyle::bvShadow);
    b->SetWidthInner(1);
    b->SetWidthOuter(3);
    b->SetBorderInnerWidth(0);
    EXPECT_EQ(b->Extent(), 1);
    EXPECT_EQ(b->FarExtent(), 4);
    EXPECT_EQ(b->ClientRect(TRect(0, 0, 100, 50)), TRect(1, 1, 96, 46));

    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent);
        auto img = Filled(100, 50, kBack);
        EXPECT_EQ(b->PaintBevel(img->Canvas(), TRect(0, 0, 100, 50), transparent), TRect(1, 1, 96, 46));
        // The drop shadow: right side from row 3 down, bottom side from column 3 on.
        EXPECT_EQ(At(*img, 98, 3), kShadow);
        EXPECT_EQ(At(*img, 97, 49), kShadow);
        EXPECT_EQ(At(*img, 3, 48), kShadow);
        // The frame of width 1 around (0, 0, 97, 47), in the light colour.
        EXPECT_EQ(At(*img, 0, 0), kLight);
        EXPECT_EQ(At(*img, 96, 20), kLight);
        EXPECT_EQ(At(*img, 40, 46), kLight);
        EXPECT_EQ(At(*img, 1, 1), kBack);
        // The corners the shadow leaves free take the border colour unless transparent.
        const TColor corner = transparent ? kBack : kBorder;
        EXPECT_EQ(At(*img, 99, 0), corner);
        EXPECT_EQ(At(*img, 97, 2), corner);
        EXPECT_EQ(At(*img, 0, 49), corner);
        EXPECT_EQ(At(*img, 2, 47), corner);
    }
}

TEST(FxBevel, ExtentPerMode)
{
    TFxBevel b;
    b.SetStyleOuter(TFxBevelStyle::bvFrameRaised);
    b.SetWidthOuter(2);
    EXPECT_EQ(b.Extent(), 3);
    b.SetStyleInner(TFxBevelStyle::bvLowered);
    b.SetWidthInner(4);
    b.SetBorderWidth(5);
    b.SetBorderInnerWidth(6);
    EXPECT_EQ(b.Extent(), 3 + 4 + 5 + 6);
    EXPECT_EQ(b.FarExtent(), b.Extent());

    b.SetMode(TFxBevelMode::bmStandard);   // lsSingleLowered: 1
    EXPECT_EQ(b.Extent(), 1 + 6);
    b.SetMode(TFxBevelMode::bmEdge);
    EXPECT_EQ(b.Extent(), 2 + 6);
    b.SetBorderSides(0);
    EXPECT_EQ(b.Extent(), 6);
    b.SetMode(TFxBevelMode::bmWindows);
    EXPECT_EQ(b.Extent(), 2 + 6);
    b.SetThemedFrame(true);
    EXPECT_EQ(b.Extent(), 0);
}

TEST(FxBevel, FrameStyleOfWidthZeroCountsOne)
{
    TFxBevel b;
    b.SetStyleOuter(TFxBevelStyle::bvFrameLowered);
    b.SetWidthOuter(0);
    EXPECT_EQ(b.Extent(), 1);

    auto img = Filled(20, 20, kBack);
    TRect r(0, 0, 20, 20);
    EXPECT_FALSE(FxDrawFrame3D(img->Canvas(), r, TFxBevelStyle::bvFrameLowered, kLight, kShadow, 0));
    EXPECT_EQ(r, TRect(0, 0, 20, 20));
    EXPECT_EQ(CountOther(*img, r, kBack), 0);
}

TEST(FxBevel, StandardStyleNotifiesOnlyInStandardMode)
{
    TFxBevel b;
    ChangeCounter c;
    b.OnChange = c.Handler();
    b.SetStandardStyle(TFxBorderStyle::lsRaised);
    EXPECT_EQ(c.count, 0);
    EXPECT_EQ(b.StandardStyle(), TFxBorderStyle::lsRaised);
    EXPECT_EQ(b.Extent(), 0);
    b.SetMode(TFxBevelMode::bmStandard);   // the extent follows at the next change
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(b.Extent(), 2);
    b.SetStandardStyle(TFxBorderStyle::lsSingle);
    EXPECT_EQ(c.count, 2);
    EXPECT_EQ(b.Extent(), 1);
}

// ---------------------------------------------------------------------------------------------
// Style invariant and notifications
// ---------------------------------------------------------------------------------------------
TEST(FxBevel, ShadowIsOnBothBevelsOrNeither)
{
    TFxBevel b;
    ChangeCounter c;
    b.OnChange = c.Handler();
    b.SetStyleOuter(TFxBevelStyle::bvShadow);
    EXPECT_EQ(b.StyleInner(), TFxBevelStyle::bvShadow);
    EXPECT_EQ(c.count, 1);
    b.SetStyleInner(TFxBevelStyle::bvRaised);
    EXPECT_EQ(b.StyleOuter(), TFxBevelStyle::bvNone);
    EXPECT_EQ(b.StyleInner(), TFxBevelStyle::bvRaised);
    EXPECT_EQ(c.count, 2);
    b.SetStyleInner(TFxBevelStyle::bvShadow);
    EXPECT_EQ(b.StyleOuter(), TFxBevelStyle::bvShadow);
    b.SetStyleOuter(TFxBevelStyle::bvLowered);
    EXPECT_EQ(b.StyleInner(), TFxBevelStyle::bvNone);
    EXPECT_EQ(c.count, 4);
    // Neither style is bvShadow without the other, whatever the order of the settings.
    for (auto v : {TFxBevelStyle::bvShadow, TFxBevelStyle::bvNormal, TFxBevelStyle::bvShadow, TFxBevelStyle::bvShadow}) {
        b.SetStyleInner(v);
        EXPECT_EQ(b.StyleInner() == TFxBevelStyle::bvShadow, b.StyleOuter() == TFxBevelStyle::bvShadow);
        b.SetStyleOuter(TFxBevelStyle::bvFrameRaised);
        EXPECT_EQ(b.StyleInner() == TFxBevelStyle::bvShadow, b.StyleOuter() == TFxBevelStyle::bvShadow);
    }
}

TEST(FxBevel, SettersNotifyOnceForANewValueAndNeverForTheSame)
{
    TFxBevel b;
    ChangeCounter c;
    b.OnChange = c.Handler();
    b.SetMode(TFxBevelMode::bmCustom);
    b.SetWidthInner(1);
    b.SetBorderColor(clBtnFace);
    b.SetEdgeStyle(TFxEdgeStyle::etEtched);
    b.SetBorderSides(fsAllSides);
    EXPECT_EQ(c.count, 0);

    b.SetWidthInner(7);
    b.SetShadowColor(clRed);
    b.SetEdgeStyle(TFxEdgeStyle::etBump);
    EXPECT_EQ(c.count, 3);
    EXPECT_EQ(c.sender, &b);
    EXPECT_EQ(b.ShadowColor(), clRed);

    // An unknown colour index only notifies.
    b.SetColor(3, clLime);
    EXPECT_EQ(c.count, 4);
    EXPECT_EQ(b.BorderColor(), clBtnFace);
    EXPECT_EQ(b.LightColor(), clBtnHighlight);
    EXPECT_EQ(b.ShadowColor(), clRed);

    // Widths are bounded by their types.
    b.SetWidthOuter(80);
    EXPECT_EQ(b.WidthOuter(), 50);
    b.SetBorderWidth(300);
    EXPECT_EQ(b.BorderWidth(), 255);
}

TEST(FxBevel, AssignCopiesEverythingWithOneNotification)
{
    TFxBevel src;
    src.SetMode(TFxBevelMode::bmEdge);
    src.SetBorderSides(FrameSides(TFxFrameSide::fsTop) | FrameSides(TFxFrameSide::fsLeft));
    src.SetEdgeStyle(TFxEdgeStyle::etSunken);
    src.SetBorderInnerWidth(3);
    src.SetStyleOuter(TFxBevelStyle::bvRaised);
    src.SetWidthOuter(4);
    src.SetLightColor(clYellow);
    src.SetStandardStyle(TFxBorderStyle::lsDoubleRaised);
    src.SetThemedFrame(true);

    TFxBevel dst;
    ChangeCounter c;
    dst.OnChange = c.Handler();
    dst.Assign(&src);
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(dst.Mode(), TFxBevelMode::bmEdge);
    EXPECT_EQ(dst.BorderSides(), src.BorderSides());
    EXPECT_EQ(dst.EdgeStyle(), TFxEdgeStyle::etSunken);
    EXPECT_EQ(dst.StyleOuter(), TFxBevelStyle::bvRaised);
    EXPECT_EQ(dst.WidthOuter(), 4);
    EXPECT_EQ(dst.LightColor(), clYellow);
    EXPECT_EQ(dst.StandardStyle(), TFxBorderStyle::lsDoubleRaised);
    EXPECT_TRUE(dst.ThemedFrame());
    EXPECT_EQ(dst.Extent(), 2 + 3);
    EXPECT_EQ(dst.GetSetStr(), QStringLiteral("{Edged style}"));

    dst.Assign(&dst);
    EXPECT_EQ(c.count, 1);
    TFxObject other;
    EXPECT_THROW(dst.Assign(&other), EConvertError);
}

// ---------------------------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------------------------
TEST(FxBevel, EdgeModeOnOneSide)
{
    TFxBevel b;
    b.SetMode(TFxBevelMode::bmEdge);
    b.SetBorderSides(FrameSides(TFxFrameSide::fsTop));
    EXPECT_EQ(b.Extent(), 2);
    b.SetBorderInnerWidth(1);
    EXPECT_EQ(b.Extent(), 3);
    b.SetBorderInnerWidth(0);

    const TColor brush = RGB(200, 0, 200);
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent);
        auto img = Filled(40, 30, kBack);
        img->Canvas()->Brush()->SetColor(brush);
        EXPECT_EQ(b.PaintBevel(img->Canvas(), TRect(0, 0, 40, 30), transparent), TRect(0, 2, 40, 30));
        // The edge along the top changed the first two rows.
        EXPECT_GT(CountOther(*img, TRect(5, 0, 35, 2), kBack), 0);
        // The strips of the three sides without an edge.
        const TColor strip = transparent ? kBack : brush;
        EXPECT_EQ(At(*img, 0, 15), strip);
        EXPECT_EQ(At(*img, 1, 15), strip);
        EXPECT_EQ(At(*img, 39, 15), strip);
        EXPECT_EQ(At(*img, 38, 15), strip);
        EXPECT_EQ(At(*img, 20, 29), strip);
        EXPECT_EQ(At(*img, 20, 28), strip);
        // The inside is untouched.
        EXPECT_EQ(CountOther(*img, TRect(2, 2, 38, 28), kBack), 0);
    }
}

TEST(FxBevel, CustomBevelsAndBorderBand)
{
    auto b = ColouredBevel();
    b->SetStyleOuter(TFxBevelStyle::bvRaised);
    b->SetBorderWidth(2);
    b->SetStyleInner(TFxBevelStyle::bvLowered);
    b->SetBorderInnerWidth(1);
    EXPECT_EQ(b->Extent(), 1 + 2 + 1 + 1);

    auto img = Filled(30, 30, kBack);
    EXPECT_EQ(b->PaintBevel(img->Canvas(), TRect(0, 0, 30, 30), false), TRect(5, 5, 25, 25));
    EXPECT_EQ(At(*img, 0, 10), kLight);    // raised outer bevel: light at the left
    EXPECT_EQ(At(*img, 29, 10), kShadow);  // and dark at the right
    EXPECT_EQ(At(*img, 1, 10), kBorder);   // the border band
    EXPECT_EQ(At(*img, 2, 10), kBorder);
    EXPECT_EQ(At(*img, 3, 10), kShadow);   // lowered inner bevel: dark at the left
    EXPECT_EQ(At(*img, 26, 10), kLight);
    EXPECT_EQ(At(*img, 4, 10), kBorder);   // the inner band
    EXPECT_EQ(CountOther(*img, TRect(5, 5, 25, 25), kBack), 0);

    auto clear = Filled(30, 30, kBack);
    EXPECT_EQ(b->PaintBevel(clear->Canvas(), TRect(0, 0, 30, 30), true), TRect(5, 5, 25, 25));
    EXPECT_EQ(At(*clear, 1, 10), kBack);
    EXPECT_EQ(At(*clear, 4, 10), kBack);
    EXPECT_EQ(At(*clear, 0, 10), kLight);
}

TEST(FxDrawFrame3D, SolidBevelsOfWidthOneAndMore)
{
    {
        auto img = Filled(10, 8, kBack);
        TRect r(0, 0, 10, 8);
        EXPECT_TRUE(FxDrawFrame3D(img->Canvas(), r, TFxBevelStyle::bvRaised, kLight, kShadow, 1));
        EXPECT_EQ(r, TRect(1, 1, 9, 7));
        EXPECT_EQ(At(*img, 0, 0), kLight);
        EXPECT_EQ(At(*img, 0, 7), kLight);   // bottom-left corner belongs to the top-left colour
        EXPECT_EQ(At(*img, 8, 0), kLight);
        EXPECT_EQ(At(*img, 9, 0), kShadow);  // top-right corner to the bottom-right colour
        EXPECT_EQ(At(*img, 9, 7), kShadow);
        EXPECT_EQ(At(*img, 5, 7), kShadow);
        EXPECT_EQ(CountOther(*img, r, kBack), 0);
    }
    {
        auto img = Filled(30, 20, kBack);
        TRect r(0, 0, 30, 20);
        EXPECT_TRUE(FxDrawFrame3D(img->Canvas(), r, TFxBevelStyle::bvLowered, kLight, kShadow, 3));
        EXPECT_EQ(r, TRect(3, 3, 27, 17));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(At(*img, 15, i), kShadow) << i;        // top band
            EXPECT_EQ(At(*img, i, 10), kShadow) << i;        // left band
            EXPECT_EQ(At(*img, 15, 19 - i), kLight) << i;    // bottom band
            EXPECT_EQ(At(*img, 29 - i, 10), kLight) << i;    // right band
        }
        // The bottom band's polygon starts on the row B - w, the last row of the rectangle
        // handed back, so that row takes the bottom colour as well.
        EXPECT_EQ(CountOther(*img, TRect(3, 16, 27, 17), kLight), 0);
        EXPECT_EQ(CountOther(*img, TRect(3, 3, 27, 16), kBack), 0);
    }
    {
        auto img = Filled(10, 10, kBack);
        TRect r(0, 0, 10, 10);
        EXPECT_TRUE(FxDrawFrame3D(img->Canvas(), r, TFxBevelStyle::bvNormal, kLight, kShadow, 1));
        EXPECT_EQ(At(*img, 0, 5), clBlack);
        EXPECT_EQ(At(*img, 9, 5), clBlack);
    }
    for (auto style : {TFxBevelStyle::bvNone, TFxBevelStyle::bvShadow}) {
        auto img = Filled(10, 10, kBack);
        TRect r(0, 0, 10, 10);
        EXPECT_FALSE(FxDrawFrame3D(img->Canvas(), r, style, kLight, kShadow, 2));
        EXPECT_EQ(r, TRect(0, 0, 10, 10));
        EXPECT_EQ(CountOther(*img, r, kBack), 0);
    }
}

TEST(FxDrawFrame3D, FrameStylesTakeOneMorePixel)
{
    auto img = Filled(20, 20, kBack);
    TRect r(0, 0, 20, 20);
    EXPECT_TRUE(FxDrawFrame3D(img->Canvas(), r, TFxBevelStyle::bvFrameRaised, kLight, kShadow, 2));
    EXPECT_EQ(r, TRect(3, 3, 17, 17));
    // A ridge: light outline outside, dark one pixel in; at the right the dark line is outside.
    EXPECT_EQ(At(*img, 0, 10), kLight);
    EXPECT_EQ(At(*img, 1, 10), kShadow);
    EXPECT_EQ(At(*img, 19, 10), kShadow);
    EXPECT_EQ(At(*img, 18, 10), kLight);
    EXPECT_EQ(CountOther(*img, r, kBack), 0);
}

// ---------------------------------------------------------------------------------------------
// Standard frames
// ---------------------------------------------------------------------------------------------
struct StdFrameCase {
    TFxBorderStyle style;
    int ext;
    TRect inset;   // how far each side moved in: left, top, right, bottom
};

class FxStdFrame : public ::testing::TestWithParam<StdFrameCase> {};

TEST_P(FxStdFrame, ShrinksAsItDrawsAndCountsItsNominalWidth)
{
    const StdFrameCase& c = GetParam();
    EXPECT_EQ(FxDrawStdFrameExt(c.style), c.ext);
    auto img = Filled(30, 20, kBack);
    TRect r(0, 0, 30, 20);
    EXPECT_TRUE(FxDrawStdFrame(img->Canvas(), r, c.style, 0));
    EXPECT_EQ(r, TRect(c.inset.Left, c.inset.Top, 30 - c.inset.Right, 20 - c.inset.Bottom));
    const int drawn = CountOther(*img, TRect(0, 0, 30, 20), kBack);
    if (c.ext == 0)
        EXPECT_EQ(drawn, 0);
    else
        EXPECT_GT(drawn, 0);
    // Nothing is drawn inside the nominal frame.
    EXPECT_EQ(CountOther(*img, TRect(2, 2, 28, 18), kBack), 0);
}

INSTANTIATE_TEST_SUITE_P(
    AllStyles, FxStdFrame,
    ::testing::Values(StdFrameCase{TFxBorderStyle::lsNone, 0, TRect(0, 0, 0, 0)},
                      StdFrameCase{TFxBorderStyle::lsSingle, 1, TRect(1, 1, 0, 0)},
                      StdFrameCase{TFxBorderStyle::lsLowered, 2, TRect(2, 2, 2, 2)},
                      StdFrameCase{TFxBorderStyle::lsRaised, 2, TRect(2, 2, 2, 2)},
                      StdFrameCase{TFxBorderStyle::lsRaisedspb, 2, TRect(1, 1, 2, 2)},
                      StdFrameCase{TFxBorderStyle::lsLoweredspb, 2, TRect(2, 2, 1, 1)},
                      StdFrameCase{TFxBorderStyle::lsRaisedExt, 2, TRect(2, 2, 2, 2)},
                      StdFrameCase{TFxBorderStyle::lsLoweredExt, 2, TRect(2, 2, 2, 2)},
                      StdFrameCase{TFxBorderStyle::lsFrameInset, 2, TRect(2, 2, 2, 2)},
                      StdFrameCase{TFxBorderStyle::lsFrameOffset, 2, TRect(2, 2, 2, 2)},
                      StdFrameCase{TFxBorderStyle::lsWindowBorder, 2, TRect(2, 2, 2, 2)},
                      StdFrameCase{TFxBorderStyle::lsSingleRaised, 1, TRect(1, 1, 1, 1)},
                      StdFrameCase{TFxBorderStyle::lsSingleLowered, 1, TRect(1, 1, 1, 1)},
                      StdFrameCase{TFxBorderStyle::lsDoubleRaised, 2, TRect(2, 2, 2, 2)},
                      StdFrameCase{TFxBorderStyle::lsDoubleLowered, 2, TRect(2, 2, 2, 2)}));

TEST(FxBevel, StandardAndWindowsModesPaintTheirFrames)
{
    TFxBevel b;
    b.SetMode(TFxBevelMode::bmStandard);
    b.SetStandardStyle(TFxBorderStyle::lsRaisedspb);
    auto img = Filled(30, 20, kBack);
    EXPECT_EQ(b.PaintBevel(img->Canvas(), TRect(0, 0, 30, 20), false), TRect(1, 1, 28, 18));

    b.SetMode(TFxBevelMode::bmWindows);
    b.SetBorderInnerWidth(1);
    auto img2 = Filled(30, 20, kBack);
    EXPECT_EQ(b.PaintBevel(img2->Canvas(), TRect(0, 0, 30, 20), false), TRect(3, 3, 27, 17));
    EXPECT_GT(CountOther(*img2, TRect(0, 0, 30, 2), kBack), 0);
}
