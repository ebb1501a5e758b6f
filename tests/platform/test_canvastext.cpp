// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Text on a canvas: measured widths are drawn widths, DrawTextEx's flags (prefixes, tabs,
// word breaks, alignment, clipping, opaque background), paths, and the measuring canvas.
#include "canvas_test_util.h"
#include "platform/graphics.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

// ---------------------------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------------------------
struct FontCase {
    const char* name;
    int height;
    TFontStyles style;
    int extra;
};

class TextWidthTest : public ::testing::TestWithParam<FontCase> {};

// Drawing "abc" and then "def" at the measured width of "abc" must give exactly the pixels
// of "abcdef": the measured advance is where the drawing really continues.
TEST_P(TextWidthTest, DrawnTextContinuesExactlyAtTheMeasuredWidth)
{
    const FontCase fc = GetParam();
    const QString first = QStringLiteral("Wave of \u0422\u0438\u0440 1"), second = QStringLiteral("liTy, AV!");
    auto whole = WhiteBitmap(400, 40), parts = WhiteBitmap(400, 40);
    for (TBitmap* b : {whole.get(), parts.get()}) {
        b->Canvas()->Font()->SetName(QString::fromLatin1(fc.name));
        b->Canvas()->Font()->SetHeight(fc.height);
        b->Canvas()->Font()->SetStyle(fc.style);
        b->Canvas()->Font()->SetColor(clBlack);
        b->Canvas()->SetTextCharacterExtra(fc.extra);
        b->Canvas()->SetBkModeTransparent(true);
    }
    TRect r(3, 2, 400, 40);
    whole->Canvas()->DrawTextEx(first + second, r, DT_SINGLELINE | DT_NOPREFIX);
    TRect r1 = r;
    parts->Canvas()->DrawTextEx(first, r1, DT_SINGLELINE | DT_NOPREFIX);
    TPoint w;
    ASSERT_TRUE(parts->Canvas()->GetTextExtentPoint(first, w));
    TRect r2(r.Left + w.X, r.Top, 400, 40);
    parts->Canvas()->DrawTextEx(second, r2, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_TRUE(SamePixels(*whole, *parts));

    // The whole text's ink ends within its measured width (plus a glyph's overhang).
    TRect calc(3, 2, 3, 2);
    whole->Canvas()->DrawTextEx(first + second, calc, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    const TRect ink = InkBounds(*whole);
    EXPECT_GE(ink.Left, 3);
    EXPECT_LE(ink.Right, calc.Right + 2);
    EXPECT_GE(ink.Right, calc.Right - 6 - fc.extra);
}

INSTANTIATE_TEST_SUITE_P(Faces, TextWidthTest,
                         ::testing::Values(FontCase{"MS Sans Serif", -11, 0, 0}, FontCase{"MS Sans Serif", -11, 0, 2},
                                           FontCase{"Times New Roman", -19, fsBold, 0},
                                           FontCase{"Arial", 16, fsItalic, 1}, FontCase{"DejaVu Sans", -13, 0, -1}));

class CanvasText : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_bmp = std::make_unique<TBitmap>(200, 60);
        c = m_bmp->Canvas();
        c->Font()->SetName(QStringLiteral("Arial"));
        c->Font()->SetHeight(-16);
        c->Font()->SetColor(clBlack);
        c->SetBkModeTransparent(true);
        fm = std::make_unique<QFontMetrics>(c->Font()->ToQFont());
    }
    int Width(const QString& s, uint32_t flags = DT_SINGLELINE | DT_NOPREFIX)
    {
        TRect r(0, 0, 0, 0);
        c->DrawTextEx(s, r, flags | DT_CALCRECT);
        return r.Width();
    }
    std::unique_ptr<TBitmap> m_bmp;
    TCanvas* c = nullptr;
    std::unique_ptr<QFontMetrics> fm;
};

TEST_F(CanvasText, CalcRectKeepsLeftTopAndCountsTrailingBlanks)
{
    TRect r(10, 20, 15, 21);
    const int h = c->DrawTextEx(QStringLiteral("Hello  "), r, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(r.Left, 10);
    EXPECT_EQ(r.Top, 20);
    EXPECT_EQ(r.Width(), fm->horizontalAdvance(QStringLiteral("Hello  ")));
    EXPECT_EQ(r.Height(), fm->height());
    EXPECT_EQ(h, fm->height());
    EXPECT_EQ(Width(QStringLiteral("Hello  ")), Width(QStringLiteral("Hello")) + 2 * fm->horizontalAdvance(QLatin1Char(' ')));
    EXPECT_EQ(c->TextExtent(QStringLiteral("Hello  ")), TPoint(r.Width(), r.Height()));
    EXPECT_EQ(InkBounds(*m_bmp), TRect());   // measuring draws nothing
}

TEST_F(CanvasText, CharacterExtraIsAddedAfterEveryCharacter)
{
    const int plain = Width(QStringLiteral("abcd"));
    EXPECT_EQ(c->SetTextCharacterExtra(3), 0);
    EXPECT_EQ(Width(QStringLiteral("abcd")), plain + 12);
    EXPECT_EQ(c->TextWidth(QStringLiteral("abcd")), plain + 12);
    EXPECT_EQ(c->SetTextCharacterExtra(0), 3);
    EXPECT_EQ(Width(QStringLiteral("abcd")), plain);
}

TEST_F(CanvasText, TextStartsAtTheLeftEdgeWithItsBaselineAtTopPlusAscent)
{
    TRect r(20, 10, 200, 60);
    c->DrawTextEx(QStringLiteral("H"), r, DT_SINGLELINE | DT_NOPREFIX);
    const TRect ink = InkBounds(*m_bmp);
    EXPECT_GE(ink.Left, 20);
    EXPECT_LE(ink.Left, 23);
    EXPECT_EQ(ink.Bottom, 10 + fm->ascent());
}

TEST_F(CanvasText, PrefixUnderlinesTheMnemonicAndDoubleAmpersandShowsOne)
{
    EXPECT_EQ(Width(QStringLiteral("&File"), DT_SINGLELINE), Width(QStringLiteral("File")));
    EXPECT_EQ(Width(QStringLiteral("A&&B"), DT_SINGLELINE), Width(QStringLiteral("A&B")));
    EXPECT_EQ(Width(QStringLiteral("&File"), DT_SINGLELINE | DT_NOPREFIX), Width(QStringLiteral("&File")));

    auto underlined = [&](uint32_t flags) {
        auto b = WhiteBitmap(100, 40);
        b->Canvas()->Font()->Assign(c->Font());
        b->Canvas()->SetBkModeTransparent(true);
        TRect r(0, 0, 100, 40);
        b->Canvas()->DrawTextEx(QStringLiteral("&File"), r, DT_SINGLELINE | flags);
        // The underline runs below the baseline, where no glyph of "File" has ink.
        int ink = 0;
        for (int y = fm->ascent(); y < fm->height(); ++y)
            for (int x = 0; x < 100; ++x) ink += b->Canvas()->Pixel(x, y) != clWhite;
        return ink;
    };
    EXPECT_GE(underlined(0), fm->horizontalAdvance(QLatin1Char('F')) - 1);
    EXPECT_EQ(underlined(DT_HIDEPREFIX), 0);
    EXPECT_EQ(underlined(DT_NOPREFIX), 0);
}

TEST_F(CanvasText, UnderlinedAndStruckOutFontsDrawTheirLines)
{
    // "nnnn" has no ink below the baseline or across its upper half except the lines.
    auto rowInk = [&](TFontStyles style, int y) {
        auto b = WhiteBitmap(100, 40);
        b->Canvas()->Font()->Assign(c->Font());
        b->Canvas()->Font()->SetStyle(style);
        b->Canvas()->SetBkModeTransparent(true);
        TRect r(0, 0, 100, 40);
        b->Canvas()->DrawTextEx(QStringLiteral("nnnn"), r, DT_SINGLELINE | DT_NOPREFIX);
        int ink = 0;
        for (int x = 0; x < 100; ++x) ink += b->Canvas()->Pixel(x, y) != clWhite;
        return ink;
    };
    const int width = fm->horizontalAdvance(QStringLiteral("nnnn"));
    int under = 0;
    for (int y = fm->ascent(); y < fm->height(); ++y) under = std::max(under, rowInk(fsUnderline, y));
    EXPECT_GE(under, width - 2);
    EXPECT_EQ(rowInk(0, fm->ascent() + fm->underlinePos()), 0);
    int strike = 0, plain = 0;
    for (int y = 0; y < fm->ascent(); ++y) {
        strike = std::max(strike, rowInk(fsStrikeOut, y));
        plain = std::max(plain, rowInk(0, y));
    }
    EXPECT_GE(strike, width - 2);
    EXPECT_GT(strike, plain);
}

// Underline and strike-out (across blanks too) fill whole logical rows: at screen scale 2 they
// are the rows of scale 1 doubled, drawn directly or through an open painter.
TEST_F(CanvasText, DecorationsAtScaleTwoAreThoseOfScaleOneDoubled)
{
    auto draw = [&](int k, bool painter) {
        TBitmap b;
        b.SetDevicePixelRatio(k);
        b.SetSize(100 * k, 40 * k);
        b.Canvas()->Font()->Assign(c->Font());
        b.Canvas()->Font()->SetStyle(fsUnderline | fsStrikeOut);
        if (painter) b.Canvas()->Polyline({TPoint(0, 39), TPoint(9, 39)});
        TRect r(5, 3, 100, 30);
        b.Canvas()->DrawTextEx(QStringLiteral("        "), r, DT_SINGLELINE | DT_NOPREFIX);
        return b.Image().copy(0, 0, 100 * k, 30 * k).convertToFormat(QImage::Format_RGB32);
    };
    const QImage once = draw(1, false);
    ASSERT_NE(once.pixel(20, 3 + fm->ascent() + fm->underlinePos()), qRgb(255, 255, 255)) << "no underline";
    EXPECT_EQ(draw(2, false), once.scaled(200, 60));
    EXPECT_EQ(draw(2, true), once.scaled(200, 60));
}

TEST_F(CanvasText, ExpandTabsAdvancesToEightAverageCharacterWidths)
{
    const int tab = 8 * fm->averageCharWidth();
    EXPECT_EQ(Width(QStringLiteral("a\tb"), DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS),
              tab + fm->horizontalAdvance(QLatin1Char('b')));
    EXPECT_EQ(Width(QStringLiteral("a\t\tb"), DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS),
              2 * tab + fm->horizontalAdvance(QLatin1Char('b')));
}

TEST_F(CanvasText, WordBreakWrapsAtBlanksAndLineBreaksStartNewLines)
{
    const QString text = QStringLiteral("one two three");
    const int one = Width(QStringLiteral("one two"));
    TRect narrow(0, 0, one, 0);
    EXPECT_EQ(c->DrawTextEx(text, narrow, DT_WORDBREAK | DT_CALCRECT), 2 * fm->height());
    EXPECT_EQ(narrow.Width(), one);
    TRect tiny(0, 0, 5, 0);
    EXPECT_EQ(c->DrawTextEx(text, tiny, DT_WORDBREAK | DT_CALCRECT), 3 * fm->height());
    EXPECT_EQ(tiny.Width(), Width(QStringLiteral("three")));   // a long word is not split
    TRect wide(0, 0, 1000, 0);
    EXPECT_EQ(c->DrawTextEx(text, wide, DT_WORDBREAK | DT_CALCRECT), fm->height());
    TRect lines(0, 0, 1000, 0);
    EXPECT_EQ(c->DrawTextEx(QStringLiteral("a\r\nb\nc"), lines, DT_CALCRECT), 3 * fm->height());
    TRect single(0, 0, 1000, 0);
    EXPECT_EQ(c->DrawTextEx(QStringLiteral("a\r\nb\nc"), single, DT_SINGLELINE | DT_CALCRECT), fm->height());
}

TEST_F(CanvasText, AlignmentAndClipping)
{
    const QString s = QStringLiteral("Wide text");
    const int w = Width(s);
    TRect r(0, 0, 200, 60);
    c->DrawTextEx(s, r, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    TRect ink = InkBounds(*m_bmp);
    EXPECT_LE(ink.Right, 200);
    EXPECT_GE(ink.Left, 200 - w);
    EXPECT_LE(ink.Bottom, 60);
    EXPECT_GT(ink.Top, 60 - fm->height() - 1);

    auto b = WhiteBitmap(200, 60);
    b->Canvas()->Font()->Assign(c->Font());
    TRect centre(0, 0, 200, 60);
    b->Canvas()->SetBkModeTransparent(true);
    b->Canvas()->DrawTextEx(s, centre, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    ink = InkBounds(*b);
    EXPECT_NEAR(ink.Left + ink.Right, 200, 4);
    EXPECT_NEAR(ink.Top + ink.Bottom, 60, fm->height() / 2);

    auto clipped = WhiteBitmap(200, 60), unclipped = WhiteBitmap(200, 60);
    for (auto* bb : {clipped.get(), unclipped.get()}) bb->Canvas()->Font()->Assign(c->Font());
    TRect small(0, 0, w / 2, 60);
    clipped->Canvas()->DrawTextEx(s, small, DT_SINGLELINE);
    unclipped->Canvas()->DrawTextEx(s, small, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_LE(InkBounds(*clipped).Right, w / 2);
    EXPECT_GT(InkBounds(*unclipped).Right, w / 2);
}

TEST_F(CanvasText, OpaqueBackgroundUsesTheBrushUnlessTransparentOrClear)
{
    c->SetBkModeTransparent(false);
    c->Brush()->SetColor(clYellow);
    TRect r(10, 10, 200, 60);
    c->DrawTextEx(QStringLiteral("x y"), r, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(c->Pixel(10, 10), clYellow);
    EXPECT_EQ(c->Pixel(10 + Width(QStringLiteral("x y")) - 1, 10 + fm->height() - 1), clYellow);
    EXPECT_EQ(c->Pixel(10 + Width(QStringLiteral("x y")), 10), clWhite);

    auto b = WhiteBitmap(50, 30);
    b->Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    b->Canvas()->TextOut(0, 0, QStringLiteral("x y"));
    EXPECT_EQ(b->Canvas()->Pixel(0, 0), clWhite);
    EXPECT_NE(InkBounds(*b), TRect());
}

TEST_F(CanvasText, PathCollectsTextAndStrokePathOutlinesItWithThePen)
{
    c->Font()->SetHeight(-48);
    c->Font()->SetStyle(fsBold);
    c->BeginPath();
    TRect r(5, 0, 200, 60);
    c->DrawTextEx(QStringLiteral("O"), r, DT_SINGLELINE | DT_NOPREFIX);
    c->EndPath();
    EXPECT_EQ(InkBounds(*m_bmp), TRect());   // nothing drawn while collecting
    c->Pen()->SetColor(clRed);
    c->Pen()->SetWidth(1);
    c->StrokePath();
    const TRect ink = InkBounds(*m_bmp);
    ASSERT_FALSE(ink.IsEmpty());
    const QFontMetrics big(c->Font()->ToQFont());
    EXPECT_NEAR(ink.Bottom, big.ascent(), 2);
    int red = 0, other = 0;
    for (int y = ink.Top; y < ink.Bottom; ++y)
        for (int x = ink.Left; x < ink.Right; ++x) {
            const TColor p = c->Pixel(x, y);
            red += p == clRed;
            other += p != clRed && p != clWhite;
        }
    EXPECT_GT(red, 20);
    EXPECT_EQ(other, 0);
    // Not filled: the middle of the letter stays white.
    EXPECT_EQ(c->Pixel((ink.Left + ink.Right) / 2, (ink.Top + ink.Bottom) / 2), clWhite);
}

TEST_F(CanvasText, StrokedPathOutlineIsAsWideAsThePen)
{
    c->Font()->SetHeight(-60);
    auto stroke = [&](int width) {
        m_bmp->Canvas()->Brush()->SetColor(clWhite);
        m_bmp->Canvas()->FillRect(TRect(0, 0, 200, 60));
        c->BeginPath();
        TRect r(10, 0, 200, 60);
        c->DrawTextEx(QStringLiteral("l"), r, DT_SINGLELINE | DT_NOPREFIX);
        c->EndPath();
        c->Pen()->SetWidth(width);
        c->StrokePath();
        return InkBounds(*m_bmp).Width();
    };
    const int thin = stroke(1), thick = stroke(5);
    EXPECT_GE(thick - thin, 3);
    EXPECT_LE(thick - thin, 5);
}

TEST_F(CanvasText, MeasuringCanvasWithoutTargetMeasuresAndDrawsNothing)
{
    TCanvas screen;
    screen.Font()->Assign(c->Font());
    TPoint size;
    ASSERT_TRUE(screen.GetTextExtentPoint(QStringLiteral("Abc"), size));
    EXPECT_EQ(size, c->TextExtent(QStringLiteral("Abc")));
    TRect r(0, 0, 50, 50);
    EXPECT_EQ(screen.DrawTextEx(QStringLiteral("Abc"), r, DT_SINGLELINE), fm->height());
    EXPECT_EQ(screen.Painter(), nullptr);
}

TEST(Font, CanvasTextFollowsFontChanges)
{
    TCanvas canvas;
    canvas.Font()->SetHeight(-11);
    const int small = canvas.TextWidth(QStringLiteral("Hello"));
    canvas.Font()->SetHeight(-30);
    EXPECT_GT(canvas.TextWidth(QStringLiteral("Hello")), small * 2);
    EXPECT_EQ(canvas.TextHeight(QStringLiteral("Hello")), QFontMetrics(canvas.Font()->ToQFont()).height());
}


// At a fractional scale text written straight into the image is the text the painter draws, at
// every place a piece of it may fall within a device pixel, also on the grid of its origin.
TEST_F(CanvasText, TextAtFractionalScalesIsThePaintersAtEveryPlacement)
{
    for (const bool grid : {false, true})
        for (const qreal k : {1.25, 1.5})
            for (int x = -3; x < 5; ++x) {
                auto draw = [&](bool painter) {
                    TBitmap b;
                    b.SetDevicePixelRatio(k);
                    b.SetSize(qCeil(120 * k), qCeil(30 * k));
                    b.Canvas()->Font()->SetName(QStringLiteral("Times New Roman"));
                    b.Canvas()->Font()->SetHeight(-19);
                    b.Canvas()->SetBkModeTransparent(true);
                    if (painter) b.Canvas()->Polyline({TPoint(0, 29), TPoint(1, 29)});
                    TRect r(x, x % 3, 120, 30);
                    if (grid) b.Canvas()->SetTextGrid(r.TopLeft());
                    b.Canvas()->DrawTextEx(QStringLiteral("Wj \u0422\u0438\u0440"), r, DT_SINGLELINE | DT_NOPREFIX);
                    return b.Image().copy(0, 0, b.Width(), qFloor(28 * k));
                };
                EXPECT_EQ(draw(false), draw(true)) << "scale " << k << ", at " << x << (grid ? ", on its grid" : "");
            }
}
