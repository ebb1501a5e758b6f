// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Pixel routines and the effect objects: lookup-table values, clamping, the blend's ties to
// even, mirrors and inversion as involutions, the pixel-format errors, and the buffered
// effect object with its change notifications.
#include "foundation/fxbitmapeffectobject.h"
#include "foundation/fxbmp.h"
#include "foundation/fximagelist.h"
#include "fxdraw_test_util.h"

#include <QLocale>
#include <algorithm>
#include <limits>

using namespace fxtest;

// ---------------------------------------------------------------------------------------------
// Grey scale
// ---------------------------------------------------------------------------------------------
TEST(FxGrayScale, TablesRoundProductsInExtendedPrecisionTiesToEven)
{
    const FxGrayTables t = FxBuildGrayTables();
    EXPECT_EQ(t.T30[15], 4);    // 4.5 goes to the even neighbour
    EXPECT_EQ(t.T30[5], 2);     // 1.5 likewise
    // These four sit on a tie in exact arithmetic; the 80-bit constants lie just above it
    // (a 53-bit 0.3 or 0.59 lies below and gives one less).
    EXPECT_EQ(t.T30[95], 29);
    EXPECT_EQ(t.T30[175], 53);
    EXPECT_EQ(t.T30[195], 59);
    EXPECT_EQ(t.T59[50], 29);
    EXPECT_EQ(t.T30[255], 76);
    EXPECT_EQ(t.T59[255], 150);
    EXPECT_EQ(t.T11[255], 28);
    for (int i = 1; i < 256; ++i) {
        EXPECT_LE(t.T30[i - 1], t.T30[i]);
        EXPECT_LE(std::abs(t.T59[i] - i * 0.59), 0.5 + 1e-9) << i;
    }
    // Where long double is the 80-bit format, every entry is the product computed in it (the
    // tables themselves do not depend on the format: this suite also runs with a 64-bit one).
    if constexpr (std::numeric_limits<long double>::digits == 64) {
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(t.T30[i], Round64(i * 0.3L)) << i;
            EXPECT_EQ(t.T59[i], Round64(i * 0.59L)) << i;
            EXPECT_EQ(t.T11[i], Round64(i * 0.11L)) << i;
        }
    }
}

TEST(FxGrayScale, PixelsTakeTheGreyValueInAllChannels)
{
    auto img = std::make_unique<TBitmap>(5, 1);   // 15 bytes a row, 16 apart
    const TColor in[] = {clWhite, clRed, clLime, clBlue, RGB(95, 50, 0)};
    const int grey[] = {254, 76, 150, 28, 29 + 29};
    for (int x = 0; x < 5; ++x) Put(*img, x, 0, in[x]);
    FxBMPGrayScale(img.get(), TRect(0, 0, 5, 1), img.get(), TPoint(0, 0));
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(*img, x, 0), RGB(grey[x], grey[x], grey[x])) << x;
}

TEST(FxGrayScale, EveryChannelValueMatchesTheTablesAtEveryWidth)
{
    // Blue and green run through every pair, red through every value in each row; narrow
    // rectangles at odd offsets send pixels through the wide path and its tail alike.
    const FxGrayTables t = FxBuildGrayTables();
    auto src = std::make_unique<TBitmap>(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) Put(*src, x, y, RGB(uint8_t(x * 7 + y), uint8_t(y), uint8_t(x)));
    for (int width = 1; width <= 41; width += (width < 40 ? 1 : 215)) {
        auto dst = std::make_unique<TBitmap>(256, 256);
        const int left = width % 3;
        int wrong = 0;
        for (int x0 = left; x0 + width <= 256; x0 += width) {
            FxBMPGrayScale(src.get(), TRect(x0, 0, x0 + width, 256), dst.get(), TPoint(x0, 0));
            for (int y = 0; y < 256; ++y)
                for (int x = x0; x < x0 + width; ++x) {
                    const int g = t.T11[x] + t.T59[y] + t.T30[uint8_t(x * 7 + y)];
                    wrong += At(*dst, x, y) != RGB(g, g, g);
                }
        }
        EXPECT_EQ(wrong, 0) << width;
    }
}

TEST(FxGrayScale, WorksOnARectangleIntoAnotherImage)
{
    auto src = Filled(6, 6, clWhite);
    auto dst = Filled(10, 10, clBlack);
    FxBMPGrayScale(src.get(), TRect(1, 1, 4, 3), dst.get(), TPoint(5, 6));
    EXPECT_EQ(CountOther(*dst, TRect(5, 6, 8, 8), RGB(254, 254, 254)), 0);
    EXPECT_EQ(CountOther(*dst, TRect(0, 0, 10, 6), clBlack), 0);
    EXPECT_EQ(At(*dst, 8, 6), clBlack);
    EXPECT_EQ(At(*dst, 5, 8), clBlack);
    // A target position near the edge cuts the area instead of writing past the image.
    FxBMPGrayScale(src.get(), TRect(0, 0, 6, 6), dst.get(), TPoint(8, 8));
    EXPECT_EQ(At(*dst, 9, 9), RGB(254, 254, 254));
}

// ---------------------------------------------------------------------------------------------
// Invert, mirrors, brightness
// ---------------------------------------------------------------------------------------------
TEST(FxPixelRoutines, InvertAndMirrorsTwiceRestoreTheImage)
{
    // Odd sizes: the middle row and column stay, and the row padding is not pixels.
    for (auto size : {TPoint(7, 5), TPoint(1, 1), TPoint(2, 9)}) {
        auto img = Pattern(size.X, size.Y);
        auto orig = Pattern(size.X, size.Y);
        const TRect all(0, 0, size.X, size.Y);
        FxBMPInvert(img.get(), all, img.get(), TPoint(0, 0));
        EXPECT_EQ(At(*img, 0, 0), TColor(~At(*orig, 0, 0) & 0xFFFFFF));
        FxBMPInvert(img.get(), all, img.get(), TPoint(0, 0));
        EXPECT_TRUE(SamePixels(*img, *orig));

        FxBMPFlipVertical(img.get(), all, img.get(), TPoint(0, 0));
        EXPECT_EQ(At(*img, 0, size.Y - 1), At(*orig, size.X - 1, size.Y - 1));
        FxBMPFlipVertical(img.get(), all, img.get(), TPoint(0, 0));
        EXPECT_TRUE(SamePixels(*img, *orig));

        FxBMPFlipHorizonzal(img.get(), all, img.get(), TPoint(0, 0));
        EXPECT_EQ(At(*img, size.X - 1, 0), At(*orig, size.X - 1, size.Y - 1));
        FxBMPFlipHorizonzal(img.get(), all, img.get(), TPoint(0, 0));
        EXPECT_TRUE(SamePixels(*img, *orig));
    }
}

TEST(FxPixelRoutines, MirrorsMapEveryPixel)
{
    auto orig = Pattern(6, 4);
    auto lr = Pattern(6, 4);
    auto tb = Pattern(6, 4);
    FxBMPFlipVertical(lr.get(), TRect(0, 0, 6, 4), lr.get(), TPoint(0, 0));
    FxBMPFlipHorizonzal(tb.get(), TRect(0, 0, 6, 4), tb.get(), TPoint(0, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(At(*lr, x, y), At(*orig, 5 - x, y));
            EXPECT_EQ(At(*tb, x, y), At(*orig, x, 3 - y));
        }
    // Into another image, at an offset.
    auto dst = Filled(8, 8, clBlack);
    FxBMPFlipVertical(orig.get(), TRect(1, 1, 4, 3), dst.get(), TPoint(2, 3));
    EXPECT_EQ(At(*dst, 2, 3), At(*orig, 3, 1));
    EXPECT_EQ(At(*dst, 4, 4), At(*orig, 1, 2));
    EXPECT_EQ(At(*dst, 5, 3), clBlack);
    FxBMPFlipHorizonzal(orig.get(), TRect(1, 1, 4, 3), dst.get(), TPoint(0, 0));
    EXPECT_EQ(At(*dst, 0, 0), At(*orig, 1, 2));
    EXPECT_EQ(At(*dst, 2, 1), At(*orig, 3, 1));
}

TEST(FxPixelRoutines, BrightnessClamps)
{
    auto img = std::make_unique<TBitmap>(3, 1);
    const TColor px[] = {RGB(250, 0, 100), RGB(255, 1, 5), RGB(128, 128, 128)};
    auto load = [&] { for (int x = 0; x < 3; ++x) Put(*img, x, 0, px[x]); };
    const TRect all(0, 0, 3, 1);

    load();
    FxBMPBrightness(img.get(), all, img.get(), 255, TPoint(0, 0));
    EXPECT_EQ(CountOther(*img, all, clWhite), 0);
    load();
    FxBMPBrightness(img.get(), all, img.get(), -255, TPoint(0, 0));
    EXPECT_EQ(CountOther(*img, all, clBlack), 0);
    load();
    FxBMPBrightness(img.get(), all, img.get(), 10, TPoint(0, 0));
    EXPECT_EQ(At(*img, 0, 0), RGB(255, 10, 110));
    EXPECT_EQ(At(*img, 1, 0), RGB(255, 11, 15));
    load();
    FxBMPBrightness(img.get(), all, img.get(), -10, TPoint(0, 0));
    EXPECT_EQ(At(*img, 0, 0), RGB(240, 0, 90));
    EXPECT_EQ(At(*img, 1, 0), RGB(245, 0, 0));
    EXPECT_EQ(At(*img, 2, 0), RGB(118, 118, 118));
}

// ---------------------------------------------------------------------------------------------
// Alpha blend
// ---------------------------------------------------------------------------------------------
TEST(FxAlphaBlendRoutine, StrengthOneKeepsZeroReplacesHalfTiesToEven)
{
    auto a = Pattern(5, 3);
    auto b = Pattern(5, 3);
    FxBMPInvert(b.get(), TRect(0, 0, 5, 3), b.get(), TPoint(0, 0));
    auto keep = Pattern(5, 3);
    auto inv = Pattern(5, 3);
    FxBMPInvert(inv.get(), TRect(0, 0, 5, 3), inv.get(), TPoint(0, 0));

    auto t = Pattern(5, 3);
    FxBMPAlphaBlend(t.get(), b.get(), TRect(0, 0, 5, 3), TPoint(0, 0), 1.0f, t.get(), TPoint(0, 0));
    EXPECT_TRUE(SamePixels(*t, *keep));
    FxBMPAlphaBlend(t.get(), b.get(), TRect(0, 0, 5, 3), TPoint(0, 0), 0.0f, t.get(), TPoint(0, 0));
    EXPECT_TRUE(SamePixels(*t, *inv));

    // c1 - c2 of 1 adds 0 (0.5 to even), of 3 adds 2 (1.5 to even), of -1 adds 0, of -3 adds -2.
    auto s1 = std::make_unique<TBitmap>(2, 1);
    auto s2 = std::make_unique<TBitmap>(2, 1);
    Put(*s1, 0, 0, RGB(11, 13, 100));
    Put(*s2, 0, 0, RGB(10, 10, 101));
    Put(*s1, 1, 0, RGB(7, 255, 0));
    Put(*s2, 1, 0, RGB(10, 0, 255));
    FxBMPAlphaBlend(s1.get(), s2.get(), TRect(0, 0, 2, 1), TPoint(0, 0), 0.5f, s1.get(), TPoint(0, 0));
    EXPECT_EQ(At(*s1, 0, 0), RGB(10, 12, 101));
    EXPECT_EQ(At(*s1, 1, 0), RGB(8, 128, 127));   // -1.5 -> -2; 127.5 -> 128; -127.5 -> -128

    int16_t d[511];
    FxBuildBlendTable(0.5f, d);
    EXPECT_EQ(d[255 + 1], 0);
    EXPECT_EQ(d[255 + 3], 2);
    EXPECT_EQ(d[255 + 5], 2);
    EXPECT_EQ(d[255 - 255], -128);
    if constexpr (std::numeric_limits<long double>::digits == 64) {
        for (float strength : {0.3f, 0.6f, 0.999f, 1e-7f}) {
            FxBuildBlendTable(strength, d);
            for (int k = -255; k <= 255; ++k) EXPECT_EQ(d[k + 255], Round64(k * (long double)strength)) << k;
        }
    }
}

TEST(FxAlphaBlendRoutine, EveryPairOfChannelsMatchesTheTable)
{
    // 256 x 256 pixels hold every (c1, c2) pair in their blue channel; the rows are 768
    // bytes, so whole rows go through the wide path and a narrower rectangle through the
    // byte-wise tail as well.
    auto s1 = std::make_unique<TBitmap>(256, 256);
    auto s2 = std::make_unique<TBitmap>(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            Put(*s1, x, y, RGB(uint8_t(x), uint8_t(255 - y), uint8_t(x)));
            Put(*s2, x, y, RGB(uint8_t(y), uint8_t(x), uint8_t(y)));
        }
    for (float s : {0.6f, 0.5f, 0.3f, 0.1f, 0.999f, 1.0f, 0.0f, 1.7f, -0.4f, 0.123f, 0.75f, 0.3333333f}) {
        for (int width : {256, 251}) {
            auto t = std::make_unique<TBitmap>(256, 256);
            FxBMPAlphaBlend(s1.get(), s2.get(), TRect(0, 0, width, 256), TPoint(0, 0), s, t.get(), TPoint(0, 0));
            int16_t d[511];
            FxBuildBlendTable(s, d);
            auto expect = [&](int c1, int c2) { return std::clamp(c2 + d[c1 - c2 + 255], 0, 255); };
            int wrong = 0;
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < width; ++x) {
                    const TColor px = At(*t, x, y);
                    wrong += GetBValue(px) != expect(x, y);
                    wrong += GetGValue(px) != expect(255 - y, x);
                }
            EXPECT_EQ(wrong, 0) << s << " " << width;
        }
    }
}

TEST(FxAlphaBlendRoutine, OffsetsOfSecondSourceAndTarget)
{
    auto s1 = Filled(4, 4, clWhite);
    auto s2 = Filled(6, 6, clBlack);
    Put(*s2, 3, 4, clRed);
    auto t = Filled(6, 6, clLime);
    FxBMPAlphaBlend(s1.get(), s2.get(), TRect(0, 0, 2, 2), TPoint(1, 1), 0.0f, t.get(), TPoint(2, 3));
    EXPECT_EQ(At(*t, 1, 1), clBlack);
    EXPECT_EQ(At(*t, 2, 2), clRed);
    EXPECT_EQ(At(*t, 0, 0), clLime);
    EXPECT_EQ(At(*t, 3, 3), clLime);
}

TEST(FxAlphaBlendRoutine, RefusesImagesThatAreNot24Bit)
{
    auto good = Filled(2, 2, clWhite);
    auto bad = Filled(2, 2, clWhite);
    bad->SetPixelFormat(TPixelFormat::pf32bit);
    const TRect r(0, 0, 2, 2);
    auto message = [&](TBitmap* a, TBitmap* b, TBitmap* t) {
        try {
            FxBMPAlphaBlend(a, b, r, TPoint(0, 0), 0.5f, t, TPoint(0, 0));
        } catch (const EFxWrongPixelFormat& e) {
            return e.Message();
        }
        return QString();
    };
    EXPECT_EQ(message(bad.get(), bad.get(), bad.get()), QStringLiteral("Wrong PixelFormat in Source 1 bitmap!"));
    EXPECT_EQ(message(good.get(), bad.get(), bad.get()), QStringLiteral("Wrong PixelFormat in Source 2 bitmap!"));
    EXPECT_EQ(message(good.get(), good.get(), bad.get()), QStringLiteral("Wrong PixelFormat in Target bitmap!"));
    EXPECT_EQ(At(*bad, 0, 0), clWhite);
    EXPECT_TRUE(message(good.get(), good.get(), good.get()).isEmpty());
}

// ---------------------------------------------------------------------------------------------
// TFxAlphaObject
// ---------------------------------------------------------------------------------------------
TEST(FxAlphaObject, BlendsWithItsFill)
{
    TFxAlphaObject a;
    EXPECT_FLOAT_EQ(a.Strength(), 0.6f);
    EXPECT_EQ(a.GetSetStr(), QStringLiteral("{Disabled}"));
    auto img = Pattern(4, 4);
    auto orig = Pattern(4, 4);
    a.AlphaBlend(img.get());   // sfNone
    EXPECT_TRUE(SamePixels(*img, *orig));

    a.FillObject()->SetFillStyle(TFxFillStyle::sfBrush);
    a.FillObject()->Brush()->SetColor(clRed);
    a.SetStrength(0.5f);
    auto white = Filled(4, 4, clWhite);
    a.AlphaBlend(white.get());
    EXPECT_EQ(CountOther(*white, TRect(0, 0, 4, 4), RGB(255, 128, 128)), 0);

    // Strength 1 still blends, and leaves the image as it was.
    a.SetStrength(1.0f);
    a.AlphaBlend(img.get());
    EXPECT_TRUE(SamePixels(*img, *orig));

    const QString dp = QLocale::system().decimalPoint();
    EXPECT_EQ(a.GetSetStr(), "{Enabled (brush), strength: 1" + dp + "000}");
    a.SetStrength(0.25f);
    a.FillObject()->SetFillStyle(TFxFillStyle::sfGradient);
    EXPECT_EQ(a.GetSetStr(), "{Enabled (grad), strength: 0" + dp + "250}");
    a.FillObject()->SetFillStyle(TFxFillStyle::sfBitmapList);
    EXPECT_EQ(a.GetSetStr(), "{Enabled (bmp), strength: 0" + dp + "250}");
    a.FillObject()->SetFillStyle(TFxFillStyle::sfBrushBitmap);
    EXPECT_EQ(a.GetSetStr(), "{Enabled (), strength: 0" + dp + "250}");
}

TEST(FxAlphaObject, TakesItsListPictureFromTheImageList)
{
    TFxCustomImageList* list = new TFxCustomImageList(nullptr);
    auto red = Filled(3, 2, clRed);
    auto blue = Filled(2, 2, clBlue);
    list->Add(red.get());
    list->Add(blue.get(), 1);

    TFxAlphaObject a;
    ChangeCounter c;
    a.OnChange = c.Handler();
    a.SetImageList(list);
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(a.FillObject()->ListBitmap()->Width(), 3);
    EXPECT_EQ(At(*a.FillObject()->ListBitmap(), 0, 0), clRed);

    a.SetListIndex(1);
    EXPECT_EQ(At(*a.FillObject()->ListBitmap(), 1, 1), clBlue);
    a.SetImageIndex(5);   // no such item: the picture is emptied
    EXPECT_TRUE(a.FillObject()->ListBitmap()->Empty());
    EXPECT_EQ(c.count, 3);

    // New content of the list reaches the alpha object through its change link.
    a.SetImageIndex(1);
    EXPECT_TRUE(a.FillObject()->ListBitmap()->Empty());
    list->Add(red.get(), 1);
    EXPECT_EQ(At(*a.FillObject()->ListBitmap(), 0, 0), clRed);
    EXPECT_EQ(c.count, 5);

    // The list goes away: dropping it afterwards is safe and empties the picture.
    delete list;
    a.SetImageList(nullptr);
    EXPECT_TRUE(a.FillObject()->ListBitmap()->Empty());
}

TEST(FxImageList, ChangeLinksAndItems)
{
    TFxCustomImageList list(nullptr);
    TFxChangeLink l1, l2;
    int n1 = 0, n2 = 0;
    TObject* sender = nullptr;
    l1.OnChange = [&](TObject* s) { ++n1; sender = s; };
    l2.OnChange = [&](TObject*) { ++n2; };
    list.RegisterChanges(&l1);
    list.RegisterChanges(&l2);
    list.RegisterChanges(&l1);   // once is enough
    auto img = Filled(2, 3, clYellow);
    EXPECT_EQ(list.Add(img.get()), 0);
    EXPECT_EQ(n1, 1);
    EXPECT_EQ(n2, 1);
    EXPECT_EQ(sender, &list);
    list.UnRegisterChanges(&l2);
    EXPECT_EQ(l2.Sender(), nullptr);
    EXPECT_EQ(list.Add(img.get(), 2), 0);
    EXPECT_EQ(n1, 2);
    EXPECT_EQ(n2, 1);

    EXPECT_TRUE(list.IsValid(0, 0));
    EXPECT_FALSE(list.IsValid(1, 0));
    EXPECT_FALSE(list.IsValid(0, 1));
    EXPECT_FALSE(list.IsValid(-1, 0));
    TBitmap out;
    EXPECT_FALSE(list.GetBitmap(1, 0, &out));
    EXPECT_TRUE(out.Empty());
    EXPECT_TRUE(list.GetBitmap(2, 0, &out));
    EXPECT_EQ(out.Height(), 3);
    EXPECT_EQ(At(out, 1, 2), clYellow);
    EXPECT_FALSE(list.IsCollection());
    {
        TFxChangeLink gone;
        list.RegisterChanges(&gone);
    }
    list.Clear();   // the destroyed link has unregistered itself
    EXPECT_EQ(n1, 3);
}

// ---------------------------------------------------------------------------------------------
// TFxBitmapEffectObject
// ---------------------------------------------------------------------------------------------
TEST(FxBitmapEffectObject, DefaultsLeaveTheImageAlone)
{
    TFxBitmapEffectObject fx;
    EXPECT_EQ(fx.GetSetStr(), QStringLiteral("{Disabled}"));
    auto img = Pattern(9, 7);
    auto orig = Pattern(9, 7);
    fx.Draw(img.get());
    EXPECT_TRUE(SamePixels(*img, *orig));
}

TEST(FxBitmapEffectObject, AppliesEffectsInOrder)
{
    TFxBitmapEffectObject fx;
    fx.SetFlipVertical(true);
    fx.SetInvert(true);
    fx.SetBrightness(-20);
    auto img = std::make_unique<TBitmap>(2, 1);
    Put(*img, 0, 0, RGB(10, 20, 30));
    Put(*img, 1, 0, RGB(200, 100, 250));
    fx.Draw(img.get());
    // mirrored, inverted (55, 155, 5), then darkened by 20 and clamped.
    EXPECT_EQ(At(*img, 0, 0), RGB(35, 135, 0));
    EXPECT_EQ(At(*img, 1, 0), RGB(225, 215, 205));
    EXPECT_EQ(fx.GetSetStr(), QStringLiteral("{FV,INV,B}"));

    fx.SetGrayScale(true);
    fx.SetFlipHorizontal(true);
    fx.AlphaBlend()->FillObject()->SetFillStyle(TFxFillStyle::sfBrush);
    EXPECT_EQ(fx.GetSetStr(), QStringLiteral("{alpha,FV,FH,GS,INV,B}"));
}

TEST(FxBitmapEffectObject, BufferedKeepsItsFirstResultUntilInvalidated)
{
    TFxBitmapEffectObject fx;
    ChangeCounter c;
    fx.OnChange = c.Handler();
    fx.SetInvert(true);
    fx.SetBuffered(true);
    EXPECT_EQ(c.count, 2);

    auto first = Filled(4, 3, clBlack);
    fx.Draw(first.get());
    EXPECT_EQ(CountOther(*first, TRect(0, 0, 4, 3), clWhite), 0);

    // A different picture under it: the kept result comes back.
    auto second = Filled(4, 3, clRed);
    fx.Draw(second.get());
    EXPECT_EQ(CountOther(*second, TRect(0, 0, 4, 3), clWhite), 0);

    fx.DestroyBuffer();
    auto red = Filled(4, 3, clRed);
    fx.Draw(red.get());
    EXPECT_EQ(CountOther(*red, TRect(0, 0, 4, 3), clAqua), 0);

    // A setter drops the kept result too (and notifies once) ...
    auto third = Filled(4, 3, clBlue);
    fx.SetBrightness(1);
    EXPECT_EQ(c.count, 3);
    fx.Draw(third.get());
    EXPECT_EQ(CountOther(*third, TRect(0, 0, 4, 3), RGB(255, 255, 1)), 0);
    // ... and so does a change of the alpha object's fill, forwarded as the effect's change.
    fx.AlphaBlend()->FillObject()->Brush()->SetColor(clGreen);
    EXPECT_EQ(c.count, 4);
    EXPECT_EQ(c.sender, &fx);
    auto fourth = Filled(4, 3, clWhite);
    fx.Draw(fourth.get());
    EXPECT_EQ(CountOther(*fourth, TRect(0, 0, 4, 3), RGB(1, 1, 1)), 0);

    // Setting a flag to the value it has does nothing.
    fx.SetBuffered(true);
    fx.SetInvert(true);
    fx.SetBrightness(1);
    EXPECT_EQ(c.count, 4);

    // Unbuffered: every Draw computes.
    fx.SetBuffered(false);
    auto fifth = Filled(4, 3, clWhite);
    fx.Draw(fifth.get());
    EXPECT_EQ(At(*fifth, 0, 0), RGB(1, 1, 1));
    auto sixth = Filled(4, 3, clBlack);
    fx.Draw(sixth.get());
    EXPECT_EQ(At(*sixth, 0, 0), clWhite);
}

TEST(FxBitmapEffectObject, AssignCopiesSettings)
{
    TFxBitmapEffectObject src;
    src.SetGrayScale(true);
    src.SetBrightness(-40);
    src.SetBuffered(true);
    src.AlphaBlend()->SetStrength(0.3f);
    src.AlphaBlend()->FillObject()->SetFillStyle(TFxFillStyle::sfGradient);

    TFxBitmapEffectObject dst;
    dst.Assign(&src);
    EXPECT_TRUE(dst.GrayScale());
    EXPECT_FALSE(dst.Invert());
    EXPECT_EQ(dst.Brightness(), -40);
    EXPECT_TRUE(dst.Buffered());
    EXPECT_FLOAT_EQ(dst.AlphaBlend()->Strength(), 0.3f);
    EXPECT_EQ(dst.AlphaBlend()->FillObject()->Style(), TFxFillStyle::sfGradient);
    EXPECT_EQ(dst.GetSetStr(), src.GetSetStr());
    TFxAlphaObject alpha;
    EXPECT_THROW(dst.Assign(&alpha), EConvertError);
}
