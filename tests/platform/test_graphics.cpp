// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Canvas shapes, copies, DrawEdge, fonts and bitmaps, checked by the pixels they produce.
// Text on a canvas is in test_canvastext.cpp.
#include "canvas_test_util.h"
#include "platform/graphics.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPalette>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <type_traits>

// ---------------------------------------------------------------------------------------------
// Shapes
// ---------------------------------------------------------------------------------------------
TEST(CanvasShapes, FillRectStaysInsideExclusiveEdgesWithCornersInAnyOrder)
{
    auto b = WhiteBitmap(6, 5);
    b->Canvas()->Brush()->SetColor(clBlack);
    b->Canvas()->FillRect(TRect(4, 3, 1, 1));   // corners swapped
    EXPECT_EQ(Mask(*b, clBlack), Rows({"......", ".###..", ".###..", "......", "......"}));
}

TEST(CanvasShapes, FrameRectDrawsOnePixelBorderWithBrush)
{
    auto b = WhiteBitmap(6, 5);
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FrameRect(TRect(1, 0, 5, 4));
    EXPECT_EQ(Mask(*b, clRed), Rows({".####.", ".#..#.", ".#..#.", ".####.", "......"}));
}

TEST(CanvasShapes, RectangleOutlinesWithPenAndFillsWithBrush)
{
    auto b = WhiteBitmap(6, 5);
    TCanvas* c = b->Canvas();
    c->Pen()->SetColor(clBlue);
    c->Brush()->SetColor(clLime);
    c->Rectangle(0, 0, 5, 4);
    EXPECT_EQ(Mask(*b, clBlue), Rows({"#####.", "#...#.", "#...#.", "#####.", "......"}));
    EXPECT_EQ(Mask(*b, clLime), Rows({"......", ".###..", ".###..", "......", "......"}));
}

TEST(CanvasShapes, RectangleWithClearBrushLeavesInteriorAndClearPenFillsOneLess)
{
    auto b = WhiteBitmap(5, 4);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clBlack);
    c->FillRect(TRect(0, 0, 5, 4));
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Pen()->SetColor(clRed);
    c->Rectangle(0, 0, 5, 4);
    EXPECT_EQ(Mask(*b, clBlack), Rows({".....", ".###.", ".###.", "....."}));

    auto d = WhiteBitmap(5, 4);
    d->Canvas()->Pen()->SetStyle(TPenStyle::psClear);
    d->Canvas()->Brush()->SetColor(clGreen);
    d->Canvas()->Rectangle(0, 0, 5, 4);
    EXPECT_EQ(Mask(*d, clGreen), Rows({"####.", "####.", "####.", "....."}));
}

TEST(CanvasShapes, LineToLeavesOutEndPointAndMovesPen)
{
    auto b = WhiteBitmap(6, 6);
    TCanvas* c = b->Canvas();
    c->MoveTo(0, 0);
    c->LineTo(5, 0);
    c->MoveTo(0, 2);
    c->LineTo(0, 5);
    c->MoveTo(2, 2);
    c->LineTo(5, 5);
    EXPECT_EQ(c->PenPos(), TPoint(5, 5));
    EXPECT_EQ(Mask(*b, clBlack), Rows({"#####.", "......", "#.#...", "#..#..", "#...#.", "......"}));
}

TEST(CanvasShapes, PolylineLeavesOutOnlyItsLastPoint)
{
    auto b = WhiteBitmap(5, 5);
    b->Canvas()->Polyline({Point(0, 0), Point(3, 0), Point(3, 3), Point(0, 3)});
    EXPECT_EQ(Mask(*b, clBlack), Rows({"####.", "...#.", "...#.", ".###.", "....."}));
}

TEST(CanvasShapes, WidePenDrawsThickLines)
{
    auto b = WhiteBitmap(12, 9);
    b->Canvas()->Pen()->SetWidth(3);
    b->Canvas()->MoveTo(2, 4);
    b->Canvas()->LineTo(9, 4);
    int thickness = 0;
    for (int y = 0; y < 9; ++y) thickness += b->Canvas()->Pixel(5, y) == clBlack;
    EXPECT_EQ(thickness, 3);
    b->Canvas()->Pen()->SetWidth(0);
    EXPECT_EQ(b->Canvas()->Pen()->Width(), 1);
}

TEST(CanvasShapes, WideRectanglePenIsCentredOnTheEdgeOrInsideTheFrame)
{
    auto b = WhiteBitmap(12, 12);
    b->Canvas()->Pen()->SetWidth(3);
    b->Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    b->Canvas()->Rectangle(2, 2, 10, 10);
    EXPECT_EQ(InkBounds(*b), TRect(1, 1, 11, 11));
    EXPECT_EQ(b->Canvas()->Pixel(3, 5), clBlack);
    EXPECT_EQ(b->Canvas()->Pixel(4, 5), clWhite);

    auto d = WhiteBitmap(12, 12);
    d->Canvas()->Pen()->SetWidth(3);
    d->Canvas()->Pen()->SetStyle(TPenStyle::psInsideFrame);
    d->Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    d->Canvas()->Rectangle(2, 2, 10, 10);
    EXPECT_EQ(InkBounds(*d), TRect(2, 2, 10, 10));
    EXPECT_EQ(d->Canvas()->Pixel(4, 5), clBlack);
    EXPECT_EQ(d->Canvas()->Pixel(5, 5), clWhite);
    EXPECT_EQ(d->Canvas()->Pixel(7, 5), clBlack);
}

TEST(CanvasShapes, EllipseStaysInsideItsBoundingBoxAndTouchesItsSides)
{
    auto b = WhiteBitmap(14, 12);
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->Ellipse(2, 1, 12, 11);
    EXPECT_EQ(InkBounds(*b), TRect(2, 1, 12, 11));
    EXPECT_EQ(b->Canvas()->Pixel(7, 6), clRed);   // filled
    EXPECT_EQ(b->Canvas()->Pixel(2, 1), clWhite);  // corners stay outside
}

TEST(CanvasShapes, PolygonIsFilledAndOutlined)
{
    auto b = WhiteBitmap(10, 10);
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->Polygon({Point(1, 1), Point(8, 1), Point(8, 8), Point(1, 8)});
    EXPECT_EQ(b->Canvas()->Pixel(1, 1), clBlack);
    EXPECT_EQ(b->Canvas()->Pixel(4, 4), clRed);
    EXPECT_EQ(b->Canvas()->Pixel(9, 9), clWhite);
}

TEST(CanvasShapes, PatternBrushTilesTheWholeBitmapFromTheTargetOrigin)
{
    TBitmap pattern(2, 2);
    pattern.Canvas()->SetPixel(0, 0, clBlack);
    pattern.Canvas()->SetPixel(1, 1, clBlack);
    auto b = WhiteBitmap(6, 5);
    b->Canvas()->Brush()->SetBitmap(&pattern);
    b->Canvas()->FillRect(TRect(1, 1, 5, 4));
    EXPECT_EQ(Mask(*b, clBlack), Rows({"......", ".#.#..", "..#.#.", ".#.#..", "......"}));
    b->Canvas()->Brush()->SetBitmap(nullptr);
    EXPECT_EQ(b->Canvas()->Brush()->Bitmap(), nullptr);
}

TEST(CanvasShapes, SystemColoursAreResolvedWhenDrawing)
{
    auto b = WhiteBitmap(2, 2);
    b->Canvas()->Brush()->SetColor(clBtnShadow);
    b->Canvas()->FillRect(TRect(0, 0, 2, 2));
    EXPECT_EQ(b->Canvas()->Pixel(1, 1), ColorToRGB(clBtnShadow));
}

TEST(CanvasShapes, ClipRectLimitsDrawingUntilCleared)
{
    auto b = WhiteBitmap(6, 4);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clBlack);
    c->SetClipRect(TRect(1, 1, 3, 3));
    EXPECT_TRUE(c->HasClip());
    c->FillRect(TRect(0, 0, 6, 4));
    EXPECT_EQ(Mask(*b, clBlack), Rows({"......", ".##...", ".##...", "......"}));
    c->ClearClip();
    c->FillRect(TRect(5, 0, 6, 4));
    EXPECT_EQ(Mask(*b, clBlack), Rows({".....#", ".##..#", ".##..#", ".....#"}));
}

TEST(CanvasShapes, NotModeTwiceRestoresTheImageAndDashedPenLeavesGaps)
{
    auto b = WhiteBitmap(40, 10);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clTeal);
    c->FillRect(TRect(0, 0, 20, 10));
    TBitmap before;
    before.Assign(b.get());
    c->Pen()->SetMode(TPenMode::pmNot);
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Rectangle(2, 2, 30, 8);
    EXPECT_EQ(c->Pixel(25, 2), clBlack);                       // white inverted
    EXPECT_EQ(c->Pixel(10, 2), ColorToRGB(clTeal) ^ 0xFFFFFF);  // teal inverted
    c->Rectangle(2, 2, 30, 8);
    EXPECT_TRUE(SamePixels(*b, before));

    auto d = WhiteBitmap(40, 3);
    d->Canvas()->Pen()->SetStyle(TPenStyle::psDash);
    d->Canvas()->MoveTo(0, 1);
    d->Canvas()->LineTo(40, 1);
    int ink = 0;
    for (int x = 0; x < 40; ++x) ink += d->Canvas()->Pixel(x, 1) == clBlack;
    EXPECT_GT(ink, 10);
    EXPECT_LT(ink, 40);
}

TEST(CanvasShapes, OnChangeReportsTheTouchedRectangleClippedToTheTarget)
{
    auto b = WhiteBitmap(10, 10);
    std::vector<TRect> touched;
    b->Canvas()->OnChange = [&](const TRect& r) { touched.push_back(r); };
    b->Canvas()->FillRect(TRect(5, 5, 20, 20));
    b->Canvas()->SetPixel(1, 2, clRed);
    ASSERT_EQ(touched.size(), 2u);
    EXPECT_EQ(touched[0], TRect(5, 5, 10, 10));
    EXPECT_EQ(touched[1], TRect(1, 2, 2, 3));
}

// ---------------------------------------------------------------------------------------------
// Copies
// ---------------------------------------------------------------------------------------------
TEST(CanvasCopy, CopyRectCopiesAndStretchesWithNearestPixels)
{
    TBitmap src(2, 2);
    src.Canvas()->SetPixel(0, 0, clRed);
    src.Canvas()->SetPixel(1, 1, clBlue);
    auto b = WhiteBitmap(6, 4);
    b->Canvas()->CopyRect(TRect(0, 0, 2, 2), src.Canvas(), TRect(0, 0, 2, 2));
    b->Canvas()->CopyRect(TRect(2, 0, 6, 4), src.Canvas(), TRect(0, 0, 2, 2));
    EXPECT_EQ(Mask(*b, clRed), Rows({"#.##..", "..##..", "......", "......"}));
    EXPECT_EQ(Mask(*b, clBlue), Rows({"......", ".#....", "....##", "....##"}));
}

TEST(CanvasCopy, CopyRectWithinOneCanvasReadsTheSourceBeforeWriting)
{
    auto b = WhiteBitmap(6, 1);
    TCanvas* c = b->Canvas();
    c->SetPixel(0, 0, clBlack);
    c->SetPixel(1, 0, clRed);
    c->CopyRect(TRect(1, 0, 4, 1), c, TRect(0, 0, 3, 1));   // overlapping move right
    EXPECT_EQ(c->Pixel(1, 0), clBlack);
    EXPECT_EQ(c->Pixel(2, 0), clRed);
    EXPECT_EQ(c->Pixel(3, 0), clWhite);

    // Overlapping moves down and back up, which must take the rows in opposite orders.
    auto col = WhiteBitmap(1, 4);
    TCanvas* k = col->Canvas();
    k->SetPixel(0, 0, clBlack);
    k->SetPixel(0, 1, clRed);
    k->CopyRect(TRect(0, 1, 1, 4), k, TRect(0, 0, 1, 3));
    EXPECT_EQ(Mask(*col, clBlack), Rows({"#", "#", ".", "."}));
    EXPECT_EQ(Mask(*col, clRed), Rows({".", ".", "#", "."}));
    k->CopyRect(TRect(0, 0, 1, 3), k, TRect(0, 1, 1, 4));
    EXPECT_EQ(Mask(*col, clBlack), Rows({"#", ".", ".", "."}));
    EXPECT_EQ(Mask(*col, clRed), Rows({".", "#", ".", "."}));
}

TEST(CanvasCopy, CopyRectSeesWhatTheSourceCanvasDrewJustBefore)
{
    TBitmap src(4, 4);
    auto b = WhiteBitmap(4, 4);
    for (TColor col : {clRed, clGreen, clBlue}) {
        src.Canvas()->Brush()->SetColor(col);
        src.Canvas()->FillRect(TRect(0, 0, 4, 4));
        b->Canvas()->CopyRect(TRect(0, 0, 4, 4), src.Canvas(), TRect(0, 0, 4, 4));
        EXPECT_EQ(b->Canvas()->Pixel(3, 3), col);
    }
}

TEST(CanvasCopy, CopyModesCombineSourceAndDestination)
{
    TBitmap src(1, 1);
    src.Canvas()->SetPixel(0, 0, RGB(0xF0, 0x0F, 0x33));
    auto combine = [&](TCopyMode mode) {
        TBitmap dst(1, 1);
        dst.Canvas()->SetPixel(0, 0, RGB(0x3C, 0x3C, 0x0F));
        dst.Canvas()->SetCopyMode(mode);
        dst.Canvas()->CopyRect(TRect(0, 0, 1, 1), src.Canvas(), TRect(0, 0, 1, 1));
        return dst.Canvas()->Pixel(0, 0);
    };
    EXPECT_EQ(combine(TCopyMode::cmSrcCopy), RGB(0xF0, 0x0F, 0x33));
    EXPECT_EQ(combine(TCopyMode::cmSrcAnd), RGB(0x30, 0x0C, 0x03));
    EXPECT_EQ(combine(TCopyMode::cmSrcPaint), RGB(0xFC, 0x3F, 0x3F));
    EXPECT_EQ(combine(TCopyMode::cmSrcInvert), RGB(0xCC, 0x33, 0x3C));
    EXPECT_EQ(combine(TCopyMode::cmNotSrcCopy), RGB(0x0F, 0xF0, 0xCC));
    EXPECT_EQ(combine(TCopyMode::cmBlackness), clBlack);
    EXPECT_EQ(combine(TCopyMode::cmWhiteness), clWhite);
}

TEST(CanvasCopy, DrawSkipsTheTransparentColourAndStretchDrawScales)
{
    TBitmap sprite(3, 1);
    sprite.Canvas()->SetPixel(1, 0, clRed);   // the rest stays white
    auto b = WhiteBitmap(6, 2);
    b->Canvas()->Brush()->SetColor(clBlack);
    b->Canvas()->FillRect(TRect(0, 0, 6, 2));
    b->Canvas()->Draw(0, 0, &sprite);
    EXPECT_EQ(Mask(*b, clWhite), Rows({"#.#...", "......"}));
    sprite.SetTransparent(true);
    sprite.SetTransparentColor(clWhite);
    b->Canvas()->Draw(3, 1, &sprite);
    EXPECT_EQ(Mask(*b, clRed), Rows({".#....", "....#."}));

    auto s = WhiteBitmap(6, 2);
    sprite.SetTransparent(false);
    s->Canvas()->StretchDraw(TRect(0, 0, 6, 2), &sprite);
    EXPECT_EQ(Mask(*s, clRed), Rows({"..##..", "..##.."}));
}

// ---------------------------------------------------------------------------------------------
// DrawEdge, with a palette whose edge colours all differ
// ---------------------------------------------------------------------------------------------
class DrawEdgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = QApplication::palette();
        QPalette pal = m_saved;
        pal.setColor(QPalette::Light, QColor(250, 250, 250));     // clBtnHighlight
        pal.setColor(QPalette::Midlight, QColor(220, 220, 220));  // cl3DLight
        pal.setColor(QPalette::Dark, QColor(128, 128, 128));      // clBtnShadow
        pal.setColor(QPalette::Shadow, QColor(10, 10, 10));       // cl3DDkShadow, clWindowFrame
        pal.setColor(QPalette::Button, QColor(192, 192, 192));    // clBtnFace
        pal.setColor(QPalette::Base, QColor(255, 255, 240));      // clWindow
        QApplication::setPalette(pal);
        m_bmp = std::make_unique<TBitmap>(8, 8);
        m_bmp->Canvas()->Brush()->SetColor(clRed);
        m_bmp->Canvas()->FillRect(TRect(0, 0, 8, 8));
    }
    void TearDown() override { QApplication::setPalette(m_saved); }
    TColor At(int x, int y) { return m_bmp->Canvas()->Pixel(x, y); }

    QPalette m_saved;
    std::unique_ptr<TBitmap> m_bmp;
};

// Pixels looked at on the 8 x 8 red square: outer left (0, 3), top (3, 0), right (7, 3),
// bottom (3, 7); inner left (1, 3), inner right (6, 3); middle (3, 3). Red = untouched.
struct EdgeCase {
    const char* name;
    uint32_t edge, flags;
    TRect after;
    TColor outerLeft, outerTop, outerRight, outerBottom, innerLeft, innerRight, middle;
};

class DrawEdgeCases : public DrawEdgeTest, public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(DrawEdgeCases, ColoursOfEachPartAndTheAdjustedRectangle)
{
    const EdgeCase e = GetParam();
    TRect r(0, 0, 8, 8);
    EXPECT_TRUE(DrawEdge(m_bmp->Canvas(), r, e.edge, e.flags));
    EXPECT_EQ(r, e.after);
    const std::pair<TPoint, TColor> probes[] = {{Point(0, 3), e.outerLeft},  {Point(3, 0), e.outerTop},
                                                {Point(7, 3), e.outerRight}, {Point(3, 7), e.outerBottom},
                                                {Point(1, 3), e.innerLeft},  {Point(6, 3), e.innerRight},
                                                {Point(3, 3), e.middle}};
    for (const auto& [pt, colour] : probes)
        EXPECT_EQ(At(pt.X, pt.Y), ColorToRGB(colour)) << "at " << pt.X << "," << pt.Y;
}

INSTANTIATE_TEST_SUITE_P(
    Edges, DrawEdgeCases,
    ::testing::Values(
        EdgeCase{"RaisedAdjust", EDGE_RAISED, BF_RECT | BF_ADJUST, TRect(2, 2, 6, 6), cl3DLight, cl3DLight,
                 cl3DDkShadow, cl3DDkShadow, clBtnHighlight, clBtnShadow, clRed},
        EdgeCase{"SunkenMiddle", EDGE_SUNKEN, BF_RECT | BF_MIDDLE, TRect(0, 0, 8, 8), clBtnShadow, clBtnShadow,
                 clBtnHighlight, clBtnHighlight, cl3DDkShadow, cl3DLight, clBtnFace},
        EdgeCase{"OuterTopLeftOnly", BDR_SUNKENOUTER, BF_TOPLEFT | BF_ADJUST, TRect(1, 1, 8, 8), clBtnShadow,
                 clBtnShadow, clRed, clRed, clRed, clRed, clRed},
        EdgeCase{"Flat", EDGE_RAISED, BF_RECT | BF_FLAT | BF_MIDDLE, TRect(0, 0, 8, 8), clBtnShadow, clBtnShadow,
                 clBtnShadow, clBtnShadow, clBtnFace, clBtnFace, clBtnFace},
        EdgeCase{"Mono", EDGE_RAISED, BF_RECT | BF_MONO | BF_MIDDLE, TRect(0, 0, 8, 8), clWindowFrame,
                 clWindowFrame, clWindowFrame, clWindowFrame, clWindow, clWindow, clWindow},
        EdgeCase{"Soft", EDGE_RAISED, BF_RECT | BF_SOFT, TRect(0, 0, 8, 8), clBtnHighlight, clBtnHighlight,
                 cl3DDkShadow, cl3DDkShadow, cl3DLight, clBtnShadow, clRed},
        EdgeCase{"LoneInner", BDR_RAISEDINNER, BF_RECT | BF_ADJUST, TRect(1, 1, 7, 7), clBtnHighlight,
                 clBtnHighlight, clBtnShadow, clBtnShadow, clRed, clRed, clRed},
        EdgeCase{"RaisedAndSunkenCancel", BDR_OUTER, BF_RECT | BF_ADJUST, TRect(0, 0, 8, 8), clRed, clRed, clRed,
                 clRed, clRed, clRed, clRed}),
    [](const ::testing::TestParamInfo<EdgeCase>& info) { return std::string(info.param.name); });

TEST_F(DrawEdgeTest, BottomRightWinsTheSharedCornersAndAnEmptyRectFails)
{
    TRect r(0, 0, 8, 8);
    DrawEdge(m_bmp->Canvas(), r, EDGE_RAISED, BF_RECT);
    EXPECT_EQ(At(7, 0), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(At(0, 7), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(At(0, 0), ColorToRGB(cl3DLight));
    TRect empty(3, 3, 3, 8);
    EXPECT_FALSE(DrawEdge(m_bmp->Canvas(), empty, EDGE_RAISED, BF_RECT | BF_ADJUST));
    EXPECT_EQ(empty, TRect(3, 3, 3, 8));
}

// ---------------------------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------------------------
TEST(Font, DefaultsAndSizeHeightConversionAt96Ppi)
{
    TFont f;
    EXPECT_EQ(f.Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    EXPECT_EQ(f.Color(), clWindowText);
    EXPECT_EQ(f.Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(f.ToQFont().pixelSize(), 11);
    f.SetHeight(-19);
    EXPECT_EQ(f.Size(), 14);
    f.SetSize(14);
    EXPECT_EQ(f.Height(), -19);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);
    EXPECT_FALSE(f.ToQFont().kerning());
    f.SetHeight(0);
    EXPECT_EQ(f.ToQFont().pixelSize(), 13);
    EXPECT_EQ(f.Size(), 0);
}

TEST(Font, PositiveHeightIsACellHeight)
{
    TFont f;
    f.SetName(QStringLiteral("Arial"));
    for (int cell : {12, 16, 25, 40}) {
        f.SetHeight(cell);
        const QFont q = f.ToQFont();
        const QFontMetrics fm(q);
        EXPECT_LE(fm.ascent() + fm.descent(), cell);
        QFont bigger = q;
        bigger.setPixelSize(q.pixelSize() + 1);
        const QFontMetrics fm2(bigger);
        EXPECT_GT(fm2.ascent() + fm2.descent(), cell) << cell;
    }
}

TEST(Font, FacesMapToInstalledFontsAndNamesAreCut)
{
    TFont f;
    EXPECT_EQ(QFontInfo(f.ToQFont()).family(), QStringLiteral("Liberation Sans"));
    f.SetName(QStringLiteral("Times New Roman"));
    EXPECT_EQ(QFontInfo(f.ToQFont()).family(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(f.Name(), QStringLiteral("Times New Roman"));
    f.SetName(QString(40, QLatin1Char('x')));
    EXPECT_EQ(f.Name(), QString(31, QLatin1Char('x')));
}

TEST(Font, OnChangeFiresOncePerRealChangeAndTheQtFontFollows)
{
    TFont f;
    int changes = 0;
    f.OnChange = [&](TObject* s) { EXPECT_EQ(s, &f); ++changes; };
    f.SetHeight(-11);
    f.SetName(QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(changes, 0);
    const QFont* cached = &f.ToQFont();
    EXPECT_EQ(&f.ToQFont(), cached);
    f.SetHeight(-20);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.ToQFont().pixelSize(), 20);
    f.SetStyle(fsBold | fsUnderline);
    EXPECT_TRUE(f.ToQFont().bold());
    EXPECT_TRUE(f.ToQFont().underline());
    f.SetColor(clRed);
    f.SetColor(clRed);
    EXPECT_EQ(changes, 3);
    TFont g;
    g.Assign(&f);
    f.Assign(&g);   // identical: no change
    EXPECT_EQ(changes, 3);
    g.SetSize(12);
    f.Assign(&g);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(f.Height(), -16);

    QFont q(QStringLiteral("DejaVu Serif"));
    q.setPointSize(14);
    q.setItalic(true);
    f.AssignQFont(q);
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(f.Height(), -19);
    EXPECT_EQ(f.Style(), fsItalic);
    EXPECT_EQ(f.Name(), QStringLiteral("DejaVu Serif"));
}

TEST(BrushPen, ChangesAndAssign)
{
    TBrush b;
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.SetStyle(TBrushStyle::bsClear);
    b.SetColor(clWhite);   // same colour still makes a clear brush solid
    EXPECT_EQ(b.Style(), TBrushStyle::bsSolid);
    b.SetColor(clWhite);
    EXPECT_EQ(changes, 2);
    TPen p;
    p.SetColor(clRed);
    p.SetWidth(4);
    TPen q;
    q.Assign(&p);
    EXPECT_EQ(q.Color(), clRed);
    EXPECT_EQ(q.Width(), 4);
    EXPECT_THROW(q.Assign(&b), EConvertError);
}

// ---------------------------------------------------------------------------------------------
// Bitmaps
// ---------------------------------------------------------------------------------------------
TEST(Bitmap, ScanLineIsBlueGreenRedAndRowsAreBytesPerLineApart)
{
    TBitmap b(5, 3);
    b.Canvas()->SetPixel(1, 2, RGB(10, 20, 30));
    const uint8_t* row = b.ScanLine(2);
    EXPECT_EQ(row[3], 30);
    EXPECT_EQ(row[4], 20);
    EXPECT_EQ(row[5], 10);
    EXPECT_EQ(b.ScanLine(2) - b.ScanLine(1), b.BytesPerLine());
    EXPECT_GE(b.BytesPerLine(), 15);
    b.ScanLine(0)[0] = 0;   // blue of pixel (0, 0)
    EXPECT_EQ(b.Canvas()->Pixel(0, 0), RGB(255, 255, 0));
    b.Canvas()->SetPixel(4, 0, clBlack);   // the canvas draws again after direct access
    EXPECT_EQ(b.ScanLine(0)[12], 0);
    EXPECT_THROW(b.ScanLine(3), EInvalidOperation);
}

TEST(Bitmap, SetSizeKeepsTheTopLeftAndAddsWhite)
{
    TBitmap b(3, 3);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(TRect(0, 0, 3, 3));
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.SetSize(5, 2);
    EXPECT_EQ(Mask(b, clRed), Rows({"###..", "###.."}));
    EXPECT_EQ(Mask(b, clWhite), Rows({"...##", "...##"}));
    EXPECT_EQ(changes, 1);
    b.SetSize(5, 2);
    EXPECT_EQ(changes, 1);
    b.SetSize(0, 0);
    EXPECT_TRUE(b.Empty());
    EXPECT_TRUE(b.Image().isNull());
    b.SetWidth(7);   // the width survives a zero height
    b.SetHeight(4);
    EXPECT_EQ(b.Width(), 7);
    EXPECT_EQ(b.Height(), 4);
    EXPECT_EQ(b.Image().format(), QImage::Format_BGR888);
    b.SetPixelFormat(TPixelFormat::pf8bit);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(b.Image().format(), QImage::Format_BGR888);
    // Nothing from outside can put another format or size behind the stored one: the image
    // is read-only, and a replaced one is converted and measured again.
    EXPECT_TRUE(std::is_const_v<std::remove_reference_t<decltype(b.Image())>>);
    b.SetImage(QImage(9, 3, QImage::Format_ARGB32));
    EXPECT_EQ(b.Image().format(), QImage::Format_BGR888);
    EXPECT_EQ(b.Width(), 9);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_GE(b.BytesPerLine(), 9 * 3);
}

TEST(Bitmap, AssignCopiesPixelsAndAttributesIndependently)
{
    TBitmap a(4, 2);
    a.Canvas()->SetPixel(3, 1, clBlue);
    a.SetTransparent(true);
    a.SetTransparentColor(clLime);
    a.SetPixelFormat(TPixelFormat::pf32bit);
    TBitmap b;
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.Assign(&a);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(b.Width(), 4);
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentColor(), clLime);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(b.Canvas()->Pixel(3, 1), clBlue);
    a.Canvas()->SetPixel(3, 1, clRed);
    EXPECT_EQ(b.Canvas()->Pixel(3, 1), clBlue);
}

TEST(Bitmap, LoadFromFileReadsJpegAndPng)
{
    QTemporaryDir dir;
    QImage img(6, 4, QImage::Format_RGB32);
    img.fill(QColor(0, 0, 255));
    ASSERT_TRUE(img.save(dir.filePath(QStringLiteral("a.png"))));
    ASSERT_TRUE(img.save(dir.filePath(QStringLiteral("a.jpg")), "JPEG", 100));
    for (const char* name : {"a.png", "a.jpg"}) {
        TBitmap b;
        int changes = 0;
        b.OnChange = [&](TObject*) { ++changes; };
        ASSERT_TRUE(b.LoadFromFile(dir.filePath(QString::fromLatin1(name))));
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(b.Width(), 6);
        EXPECT_EQ(b.Height(), 4);
        EXPECT_GE(b.ScanLine(1)[0], 240);   // blue first
        EXPECT_LE(b.ScanLine(1)[2], 15);
    }
    TBitmap missing;
    EXPECT_FALSE(missing.LoadFromFile(dir.filePath(QStringLiteral("none.jpg"))));
}
