// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Fills and gradients: colour lists, the ten gradient styles, bitmap placement, the fill
// styles of the fill object and its change notifications.
#include "foundation/fxfillobject.h"
#include "foundation/fxgradient.h"
#include "foundation/fxutils.h"
#include "fxdraw_test_util.h"

#include <set>

using namespace fxtest;

namespace {
constexpr TColor kBack = RGB(0x12, 0x34, 0x56);
}

// ---------------------------------------------------------------------------------------------
// Colour lists
// ---------------------------------------------------------------------------------------------
TEST(FxGradientColors, StepsRoundHalvesAwayFromZero)
{
    std::vector<TColor> list{clYellow};
    FxGradientCreateColorList(RGB(10, 0, 0), RGB(9, 1, 0), 3, true, list);
    // i = 1: -0.5 -> -1 and 0.5 -> 1.
    EXPECT_EQ(list, (std::vector<TColor>{RGB(10, 0, 0), RGB(9, 1, 0), RGB(9, 1, 0)}));

    // Without the clear flag the start colour is left out and the list grows.
    FxGradientCreateColorList(clBlack, clWhite, 3, false, list);
    EXPECT_EQ(list.size(), 5u);
    EXPECT_EQ(list[3], RGB(128, 128, 128));
    EXPECT_EQ(list[4], clWhite);

    // System colours are resolved first.
    FxGradientCreateColorList(clBtnFace, clBtnFace, 2, true, list);
    EXPECT_EQ(list, (std::vector<TColor>{ColorToRGB(clBtnFace), ColorToRGB(clBtnFace)}));
}

TEST(FxGradientColors, CountsBelowTwoNeverDivideByZero)
{
    std::vector<TColor> list{clYellow};
    FxGradientCreateColorList(clRed, clBlue, 0, true, list);
    EXPECT_EQ(list, std::vector<TColor>{clYellow});
    FxGradientCreateColorList(clRed, clBlue, 1, false, list);
    EXPECT_EQ(list, std::vector<TColor>{clYellow});
    FxGradientCreateColorList(clRed, clBlue, 1, true, list);
    EXPECT_EQ(list, std::vector<TColor>{clRed});

    // Key colours with fewer than two colours per segment: every key colour once, in order.
    TFxGradient g;
    g.SetTwoColors(false);
    g.SetColorCount(2);
    g.SetKeyColors({clRed, clLime, clBlue});
    EXPECT_EQ(g.Colors(), (std::vector<TColor>{clRed, clLime, clBlue}));
}

TEST(FxGradient, DefaultsAndKeyColours)
{
    TFxGradient g;
    EXPECT_EQ(g.Color(), clBlue);
    EXPECT_EQ(g.EndColor(), clBlack);
    EXPECT_EQ(g.ColorCount(), 16);
    EXPECT_EQ(g.Style(), TFxGradientStyle::gstVertical);
    ASSERT_EQ(g.Colors().size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(g.Colors()[size_t(i)], RGB(0, 0, uint8_t(255 - 17 * i))) << i;
    EXPECT_EQ(g.Palette(), nullptr);

    ChangeCounter c;
    g.OnChange = c.Handler();
    g.SetTwoColors(false);   // no key colours: nothing to paint
    EXPECT_EQ(c.count, 1);
    EXPECT_TRUE(g.Colors().empty());
    g.SetKeyColors({clRed});
    EXPECT_TRUE(g.Colors().empty());
    g.SetKeyColors({clBlack, clWhite, clBlack});   // 16 / 3 = 5 colours a segment
    EXPECT_EQ(c.count, 3);
    ASSERT_EQ(g.Colors().size(), 9u);
    EXPECT_EQ(g.Colors()[0], clBlack);
    EXPECT_EQ(g.Colors()[2], RGB(128, 128, 128));
    EXPECT_EQ(g.Colors()[4], clWhite);
    EXPECT_EQ(g.Colors()[8], clBlack);

    auto img = Filled(10, 10, kBack);
    TFxGradient empty;
    empty.SetTwoColors(false);
    empty.Paint(img->Canvas(), TRect(0, 0, 10, 10), GRAD_USEBITMAP);
    empty.Paint(img->Canvas(), TRect(0, 0, 10, 10), 0);
    EXPECT_EQ(CountOther(*img, TRect(0, 0, 10, 10), kBack), 0);

    g.SetPaletteRealize(true);
    ASSERT_NE(g.Palette(), nullptr);
    EXPECT_EQ(*g.Palette(), g.Colors());
    g.SetColorCount(500);
    EXPECT_EQ(g.ColorCount(), 236);
    g.SetColor(clBlue);
    EXPECT_EQ(c.count, 5);

    TFxGradient copy;
    ChangeCounter cc;
    copy.OnChange = cc.Handler();
    copy.Assign(&g);
    EXPECT_EQ(cc.count, 1);
    EXPECT_EQ(copy.Colors(), g.Colors());
    EXPECT_EQ(copy.KeyColors(), g.KeyColors());
}

// ---------------------------------------------------------------------------------------------
// Painting gradients
// ---------------------------------------------------------------------------------------------
TEST(FxGradientPaint, DefaultGradientPaintsSixteenBandsFromBlueToBlack)
{
    TFxGradient g;
    for (uint16_t flags : {uint16_t(0), GRAD_USEBITMAP}) {
        auto img = Filled(30, 160, kBack);
        g.Paint(img->Canvas(), TRect(0, 0, 30, 160), flags);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(CountOther(*img, TRect(0, 10 * i, 30, 10 * i + 10), RGB(0, 0, uint8_t(255 - 17 * i))), 0) << i;
    }
}

TEST(FxGradientPaint, HorizontalBandsAndUnevenSplits)
{
    const std::vector<TColor> colors{clRed, clLime, clBlue};
    auto img = Filled(10, 4, kBack);
    FxGradientPaintExt(img->Canvas(), TRect(0, 0, 10, 4), TFxGradientStyle::gstHorizontal, colors, nullptr, 0);
    // MulDiv(1, 10, 3) = 3, MulDiv(2, 10, 3) = 7.
    EXPECT_EQ(CountOther(*img, TRect(0, 0, 3, 4), clRed), 0);
    EXPECT_EQ(CountOther(*img, TRect(3, 0, 7, 4), clLime), 0);
    EXPECT_EQ(CountOther(*img, TRect(7, 0, 10, 4), clBlue), 0);
}

struct GradientCase {
    TFxGradientStyle style;
    TPoint first;   // a pixel of colour 0, in a 40 x 40 rectangle
    TPoint last;    // a pixel of the last colour
};

class FxGradientStyles : public ::testing::TestWithParam<GradientCase> {};

TEST_P(FxGradientStyles, ShapesNestAndTheTemporaryImageKeepsThemInside)
{
    const GradientCase& c = GetParam();
    const std::vector<TColor> colors{clRed, clLime, clBlue, clYellow};
    const std::set<TColor> allowed(colors.begin(), colors.end());
    const TRect r(20, 20, 60, 60);

    auto img = Filled(80, 80, kBack);
    FxGradientPaintExt(img->Canvas(), r, c.style, colors, nullptr, GRAD_USEBITMAP);
    EXPECT_EQ(At(*img, r.Left + c.first.X, r.Top + c.first.Y), clRed);
    EXPECT_EQ(At(*img, r.Left + c.last.X, r.Top + c.last.Y), clYellow);
    int outside = 0, foreign = 0, blank = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
            const TColor px = At(*img, x, y);
            if (!r.Contains(TPoint(x, y)))
                outside += px != kBack;
            else if (px == clWhite)
                ++blank;   // the temporary image's own colour: no shape covers the pixel
            else
                foreign += !allowed.count(px);
        }
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(foreign, 0);
    // The largest top-right diagonal only touches the bottom-left corner pixel with its edge.
    EXPECT_LE(blank, c.style == TFxGradientStyle::gstTopRightDiagonal ? 1 : 0);

    // Straight onto the canvas the same colours land on the same pixels inside.
    auto direct = Filled(80, 80, kBack);
    FxGradientPaintExt(direct->Canvas(), r, c.style, colors, nullptr, 0);
    EXPECT_EQ(At(*direct, r.Left + c.first.X, r.Top + c.first.Y), clRed);
    EXPECT_EQ(At(*direct, r.Left + c.last.X, r.Top + c.last.Y), clYellow);
}

INSTANTIATE_TEST_SUITE_P(
    AllStyles, FxGradientStyles,
    ::testing::Values(GradientCase{TFxGradientStyle::gstHorizontal, {0, 20}, {39, 20}},
                      GradientCase{TFxGradientStyle::gstVertical, {20, 0}, {20, 39}},
                      GradientCase{TFxGradientStyle::gstSquare, {20, 20}, {1, 1}},
                      GradientCase{TFxGradientStyle::gstElliptic, {20, 20}, {3, 3}},
                      GradientCase{TFxGradientStyle::gstTopLeft, {1, 1}, {38, 38}},
                      GradientCase{TFxGradientStyle::gstTopRight, {38, 1}, {1, 38}},
                      GradientCase{TFxGradientStyle::gstBottomLeft, {1, 38}, {38, 1}},
                      GradientCase{TFxGradientStyle::gstBottomRight, {38, 38}, {1, 1}},
                      GradientCase{TFxGradientStyle::gstTopLeftDiagonal, {1, 1}, {38, 38}},
                      GradientCase{TFxGradientStyle::gstTopRightDiagonal, {38, 1}, {1, 38}}));

TEST(FxGradientPaint, WithoutTheTemporaryImageShapesReachBeyondTheRectangle)
{
    const std::vector<TColor> colors{clRed, clBlue};
    auto img = Filled(80, 80, kBack);
    FxGradientPaintExt(img->Canvas(), TRect(20, 20, 60, 60), TFxGradientStyle::gstElliptic, colors, nullptr, 0);
    // The largest ellipse has radii of 40 / 1.4 = 29 around (40, 40).
    EXPECT_EQ(At(*img, 14, 40), clBlue);
    EXPECT_EQ(At(*img, 5, 40), kBack);
}

// ---------------------------------------------------------------------------------------------
// Bitmap placement
// ---------------------------------------------------------------------------------------------
TEST(FxAlignRect, NineAlignmentsTruncatingHalves)
{
    const TRect pic(0, 0, 3, 4);
    const TRect target(10, 20, 20, 31);   // 10 x 11
    const TPoint at[] = {{10, 20}, {13, 20}, {17, 20}, {10, 23}, {13, 23}, {17, 23}, {10, 27}, {13, 27}, {17, 27}};
    for (int a = 0; a < 9; ++a)
        EXPECT_EQ(FxAlignRect(pic, target, TFxAlignment(a)), Bounds(at[a].X, at[a].Y, 3, 4)) << a;
    // Larger than the target: it overhangs both sides, the halves truncated toward zero.
    EXPECT_EQ(FxAlignRect(TRect(0, 0, 15, 4), target, TFxAlignment::agCenter), Bounds(8, 23, 15, 4));
}

namespace {
// A 2 x 2 picture: red, lime / blue, yellow.
std::unique_ptr<TBitmap> Quad()
{
    auto b = std::make_unique<TBitmap>(2, 2);
    Put(*b, 0, 0, clRed);
    Put(*b, 1, 0, clLime);
    Put(*b, 0, 1, clBlue);
    Put(*b, 1, 1, clYellow);
    return b;
}
}  // namespace

TEST(FxBmpDraw, PlacedCentredStretchedTiled)
{
    auto pic = Quad();
    {
        auto img = Filled(10, 10, kBack);
        FxBmpDraw(img->Canvas(), TRect(3, 4, 9, 9), pic.get(), BMPDRAW_PALETTE);
        EXPECT_EQ(At(*img, 3, 4), clRed);
        EXPECT_EQ(At(*img, 4, 5), clYellow);
        EXPECT_EQ(CountOther(*img, TRect(0, 0, 10, 10), kBack), 4);
    }
    {
        auto img = Filled(10, 10, kBack);
        FxBmpDraw(img->Canvas(), TRect(1, 1, 8, 6), pic.get(), BMPDRAW_CENTER);   // (7 - 2) / 2 = 2, (5 - 2) / 2 = 1
        EXPECT_EQ(At(*img, 3, 2), clRed);
        EXPECT_EQ(At(*img, 4, 3), clYellow);
        EXPECT_EQ(CountOther(*img, TRect(0, 0, 10, 10), kBack), 4);
    }
    {
        auto img = Filled(10, 10, kBack);
        FxBmpDraw(img->Canvas(), TRect(2, 2, 6, 6), pic.get(), BMPDRAW_STRETCH);
        EXPECT_EQ(CountOther(*img, TRect(2, 2, 4, 4), clRed), 0);
        EXPECT_EQ(CountOther(*img, TRect(4, 2, 6, 4), clLime), 0);
        EXPECT_EQ(CountOther(*img, TRect(2, 4, 4, 6), clBlue), 0);
        EXPECT_EQ(CountOther(*img, TRect(4, 4, 6, 6), clYellow), 0);
        EXPECT_EQ(CountOther(*img, TRect(0, 0, 10, 10), kBack), 16);
    }
    {
        // Tiles start at the rectangle's corner and are not cut at its edge.
        auto img = Filled(12, 12, kBack);
        FxBmpDraw(img->Canvas(), TRect(1, 1, 6, 6), pic.get(), BMPDRAW_TILE);
        for (int y = 1; y < 9; ++y)
            for (int x = 1; x < 9; ++x) {
                const TColor want = (y - 1) % 2 ? ((x - 1) % 2 ? clYellow : clBlue) : ((x - 1) % 2 ? clLime : clRed);
                EXPECT_EQ(At(*img, x, y), want) << x << "," << y;
            }
        EXPECT_EQ(At(*img, 9, 9), kBack);
        EXPECT_EQ(At(*img, 0, 0), kBack);
    }
    {
        auto img = Filled(10, 10, kBack);
        FxBmpDraw(img->Canvas(), TRect(3, 3, 3, 9), pic.get(), 0);
        TBitmap none;
        FxBmpDraw(img->Canvas(), TRect(0, 0, 10, 10), &none, BMPDRAW_TILE);
        EXPECT_EQ(CountOther(*img, TRect(0, 0, 10, 10), kBack), 0);
    }
}

// ---------------------------------------------------------------------------------------------
// TFxFillObject
// ---------------------------------------------------------------------------------------------
TEST(FxFillObject, DefaultsAndNothingToDraw)
{
    TFxFillObject f;
    EXPECT_EQ(f.Style(), TFxFillStyle::sfNone);
    EXPECT_EQ(f.TileMode(), TFxTileMode::tmTile);
    EXPECT_EQ(f.Alignment(), TFxAlignment::agTopLeft);
    EXPECT_EQ(f.Options(), foFillInner | foGrUseBitmap);
    EXPECT_EQ(f.Brush()->Style(), TBrushStyle::bsSolid);
    auto img = Filled(8, 8, kBack);
    EXPECT_FALSE(f.FillCanvas(img->Canvas(), TRect(0, 0, 8, 8), clWhite));
    EXPECT_EQ(CountOther(*img, TRect(0, 0, 8, 8), kBack), 0);

    TFxShapeFill shape;
    EXPECT_EQ(shape.Style(), TFxFillStyle::sfBrush);
}

TEST(FxFillObject, EmptyBitmapFillsInnerAndReportsNothingDrawn)
{
    TFxFillObject f;
    f.SetFillStyle(TFxFillStyle::sfBitmap);
    auto img = Filled(8, 8, kBack);
    EXPECT_FALSE(f.FillCanvas(img->Canvas(), TRect(2, 2, 6, 6), clWhite));
    EXPECT_EQ(CountOther(*img, TRect(2, 2, 6, 6), clWhite), 0);
    EXPECT_EQ(At(*img, 1, 1), kBack);

    f.SetOptions(foGrUseBitmap);
    auto img2 = Filled(8, 8, kBack);
    EXPECT_FALSE(f.FillCanvas(img2->Canvas(), TRect(2, 2, 6, 6), clWhite));
    EXPECT_EQ(CountOther(*img2, TRect(0, 0, 8, 8), kBack), 0);
}

TEST(FxFillObject, BitmapPlacementByTileMode)
{
    TFxFillObject f;
    f.SetFillStyle(TFxFillStyle::sfBitmap);
    auto pic = Quad();
    f.SetBitmap(pic.get());

    f.SetTileMode(TFxTileMode::tmNone);
    f.SetAlignment(TFxAlignment::agBottomRight);
    f.SetOffsetX(-1);
    f.SetOffsetY(-2);
    auto img = Filled(10, 10, kBack);
    EXPECT_TRUE(f.FillCanvas(img->Canvas(), TRect(0, 0, 10, 10), clWhite));
    EXPECT_EQ(At(*img, 7, 6), clRed);      // (8, 8) moved by (-1, -2)
    EXPECT_EQ(At(*img, 8, 7), clYellow);
    EXPECT_EQ(At(*img, 9, 9), clWhite);    // the rest filled inner
    EXPECT_EQ(CountOther(*img, TRect(0, 0, 10, 10), clWhite), 4);

    f.SetTileMode(TFxTileMode::tmCenter);
    auto c = Filled(6, 6, kBack);
    EXPECT_TRUE(f.FillCanvas(c->Canvas(), TRect(0, 0, 6, 6), clWhite));
    EXPECT_EQ(At(*c, 2, 2), clRed);
    EXPECT_EQ(At(*c, 0, 0), clWhite);

    f.SetTileMode(TFxTileMode::tmStretch);
    auto s = Filled(4, 4, kBack);
    EXPECT_TRUE(f.FillCanvas(s->Canvas(), TRect(0, 0, 4, 4), clWhite));
    EXPECT_EQ(At(*s, 1, 1), clRed);
    EXPECT_EQ(At(*s, 3, 3), clYellow);

    f.SetTileMode(TFxTileMode::tmTile);
    auto t = Filled(5, 5, kBack);
    EXPECT_TRUE(f.FillCanvas(t->Canvas(), TRect(0, 0, 5, 5), clWhite));
    EXPECT_EQ(At(*t, 4, 4), clRed);
    EXPECT_EQ(At(*t, 3, 2), clLime);
}

TEST(FxFillObject, BrushesAndPatterns)
{
    TFxFillObject f;
    f.SetFillStyle(TFxFillStyle::sfBrush);
    f.Brush()->SetColor(clRed);
    auto img = Filled(8, 8, kBack);
    EXPECT_TRUE(f.FillCanvas(img->Canvas(), TRect(1, 1, 7, 7), clWhite));
    EXPECT_EQ(CountOther(*img, TRect(1, 1, 7, 7), clRed), 0);
    EXPECT_EQ(At(*img, 0, 0), kBack);

    // A hatch: its lines in the brush colour, the back colour between them.
    f.Brush()->SetStyle(TBrushStyle::bsCross);
    auto hatch = Filled(16, 16, kBack);
    EXPECT_TRUE(f.FillCanvas(hatch->Canvas(), TRect(0, 0, 16, 16), clWhite));
    const int red = 256 - CountOther(*hatch, TRect(0, 0, 16, 16), clRed);
    const int white = 256 - CountOther(*hatch, TRect(0, 0, 16, 16), clWhite);
    EXPECT_GT(red, 0);
    EXPECT_GT(white, red);
    EXPECT_EQ(red + white, 256);

    // A pattern: the whole picture, even one larger than 8 x 8, tiled from the origin.
    f.SetFillStyle(TFxFillStyle::sfBrushBitmap);
    auto pattern = Filled(10, 10, clLime);
    Put(*pattern, 9, 9, clBlue);
    f.SetBitmap(pattern.get());
    auto pat = Filled(25, 25, kBack);
    EXPECT_TRUE(f.FillCanvas(pat->Canvas(), TRect(0, 0, 25, 25), clWhite));
    EXPECT_EQ(At(*pat, 9, 9), clBlue);
    EXPECT_EQ(At(*pat, 19, 19), clBlue);
    EXPECT_EQ(At(*pat, 8, 9), clLime);
    EXPECT_EQ(CountOther(*pat, TRect(0, 0, 25, 25), clLime), 4);
    EXPECT_EQ(pat->Canvas()->Brush()->Bitmap(), nullptr);   // the canvas brush lets go of it
}

TEST(FxFillObject, GradientFill)
{
    TFxFillObject f;
    f.SetFillStyle(TFxFillStyle::sfGradient);
    f.Gradient()->SetColorCount(2);
    f.Gradient()->SetEndColor(clRed);
    auto img = Filled(4, 10, kBack);
    EXPECT_TRUE(f.FillCanvas(img->Canvas(), TRect(0, 0, 4, 10), clWhite));
    EXPECT_EQ(CountOther(*img, TRect(0, 0, 4, 5), clBlue), 0);
    EXPECT_EQ(CountOther(*img, TRect(0, 5, 4, 10), clRed), 0);
}

TEST(FxFillObject, PlacementSettersNotifyOnlyWhenTheyMatter)
{
    TFxFillObject f;
    ChangeCounter c;
    f.OnChange = c.Handler();
    f.SetOffsetX(5);   // tmTile: stored, no notification
    f.SetAlignment(TFxAlignment::agCenter);
    EXPECT_EQ(f.OffsetX(), 5);
    EXPECT_EQ(f.Alignment(), TFxAlignment::agCenter);
    EXPECT_EQ(c.count, 0);

    f.SetFillStyle(TFxFillStyle::sfBitmap);
    f.SetTileMode(TFxTileMode::tmNone);
    EXPECT_EQ(c.count, 2);
    f.SetOffsetY(3);
    f.SetOffsetY(3);
    f.SetAlignment(TFxAlignment::agTopRight);
    EXPECT_EQ(c.count, 4);
    EXPECT_EQ(c.sender, &f);

    // Changes of the owned brush, picture and gradient are the fill's changes.
    f.Brush()->SetColor(clNavy);
    EXPECT_EQ(c.count, 5);
    f.Gradient()->SetStyle(TFxGradientStyle::gstSquare);
    EXPECT_EQ(c.count, 6);
    auto pic = Quad();
    f.SetBitmap(pic.get());
    EXPECT_EQ(c.count, 7);
    EXPECT_EQ(c.sender, &f);
}

TEST(FxFillObject, AssignCopiesWithOneNotification)
{
    TFxFillObject src;
    src.SetFillStyle(TFxFillStyle::sfBitmap);
    src.SetTileMode(TFxTileMode::tmNone);
    src.SetAlignment(TFxAlignment::agCenter);
    src.SetOffsetX(4);
    src.SetOptions(foQuickDraw);
    src.Brush()->SetColor(clMaroon);
    src.Gradient()->SetColorCount(3);
    auto pic = Quad();
    src.SetBitmap(pic.get());
    src.ListBitmap()->SetSize(3, 3);

    TFxFillObject dst;
    ChangeCounter c;
    dst.OnChange = c.Handler();
    dst.Assign(&src);
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(dst.Style(), TFxFillStyle::sfBitmap);
    EXPECT_EQ(dst.TileMode(), TFxTileMode::tmNone);
    EXPECT_EQ(dst.Alignment(), TFxAlignment::agCenter);
    EXPECT_EQ(dst.OffsetX(), 4);
    EXPECT_EQ(dst.Options(), foQuickDraw);
    EXPECT_EQ(dst.Brush()->Color(), clMaroon);
    EXPECT_EQ(dst.Gradient()->Colors().size(), 3u);
    EXPECT_EQ(dst.ListBitmap()->Width(), 3);
    EXPECT_TRUE(SamePixels(*dst.Bitmap(), *pic));

    // Assigning an equal fill still raises one change.
    dst.Assign(&src);
    EXPECT_EQ(c.count, 2);
    dst.Assign(&dst);
    EXPECT_EQ(c.count, 2);
    TFxGradient g;
    EXPECT_THROW(dst.Assign(&g), EConvertError);
}
