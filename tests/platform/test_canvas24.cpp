// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// 24-bit bitmaps, which the canvas treats apart for speed:
//  - block copies from them onto 32- and 24-bit images (the path of a scrolling control's every
//    frame onto its surface) give exactly the source's pixels at any offset and width (odd
//    widths leave a remainder after whole groups of pixels) and leave every other pixel alone;
//  - text drawn on them is, pixel for pixel, the text drawn on a 32-bit image.
#include "platform/graphics.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TColor SourceColor(int x, int y)
{
    return RGB(uint8_t(x * 11 + 3), uint8_t(y * 37 + 5), uint8_t((x * y * 7) ^ 0x5A));
}

class Copy24 : public ::testing::TestWithParam<std::tuple<QImage::Format, int>> {};

TEST_P(Copy24, CopiesExactPixelsAndNothingElse)
{
    const auto [format, width] = GetParam();
    TBitmap src(width, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < width; ++x) src.Canvas()->SetPixel(x, y, SourceColor(x, y));

    QImage image(width + 9, 8, format);
    image.fill(Qt::white);
    TCanvas canvas;
    canvas.SetTarget(&image);
    // Draw something first, so a painter is open on the destination when the copy comes.
    canvas.Brush()->SetColor(clBlack);
    canvas.FillRect(TRect(0, 7, 2, 8));

    const TRect from(1, 1, width, 4);  // the source less its first column and outer rows
    const TRect to(4, 2, 4 + from.Width(), 2 + from.Height());
    canvas.CopyRect(to, src.Canvas(), from);
    canvas.ReleaseHandle();

    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            TColor want = clWhite;
            if (x >= to.Left && x < to.Right && y >= to.Top && y < to.Bottom)
                want = SourceColor(x - to.Left + from.Left, y - to.Top + from.Top);
            else if (y == 7 && x < 2)
                want = clBlack;
            const QRgb got = image.pixel(x, y);
            ASSERT_EQ(RGB(uint8_t(qRed(got)), uint8_t(qGreen(got)), uint8_t(qBlue(got))), want) << "at " << x << "," << y;
            ASSERT_EQ(qAlpha(got), 255) << "at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, Copy24,
                         ::testing::Combine(::testing::Values(QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied,
                                                              QImage::Format_BGR888),
                                            ::testing::Values(2, 5, 7, 8, 23, 64)));

TEST(Copy24Clip, ClippedCopyKeepsOutsideTheClip)
{
    TBitmap src(10, 2);
    src.Canvas()->Brush()->SetColor(clRed);
    src.Canvas()->FillRect(TRect(0, 0, 10, 2));
    QImage image(10, 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas;
    canvas.SetTarget(&image);
    canvas.SetClipRect(TRect(0, 0, 5, 2));
    canvas.CopyRect(TRect(0, 0, 10, 2), src.Canvas(), TRect(0, 0, 10, 2));
    canvas.ReleaseHandle();
    EXPECT_EQ(image.pixel(4, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(5, 1), qRgb(255, 255, 255));
}

struct TextCase {
    const char* text;
    int height;
    TFontStyles style;
    TRect rect;
    uint32_t flags;
};

class Text24 : public ::testing::TestWithParam<TextCase> {};

TEST_P(Text24, TextOn24BitsEqualsTextOn32Bits)
{
    const TextCase c = GetParam();
    auto draw = [&](TCanvas& canvas) {
        canvas.Brush()->SetColor(clNavy);
        canvas.FillRect(TRect(0, 0, 300, 40));
        canvas.Font()->SetName(QStringLiteral("Times New Roman"));
        canvas.Font()->SetHeight(c.height);
        canvas.Font()->SetStyle(c.style);
        canvas.Font()->SetColor(clYellow);
        canvas.SetBkModeTransparent(true);
        TRect r = c.rect;
        canvas.DrawTextEx(QString::fromUtf8(c.text), r, c.flags);
        canvas.ReleaseHandle();
    };
    TBitmap bmp(300, 40);
    draw(*bmp.Canvas());
    QImage wide(300, 40, QImage::Format_RGB32);
    TCanvas canvas;
    canvas.SetTarget(&wide);
    draw(canvas);

    int differing = 0, text = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 300; ++x) {
            const QRgb w = wide.pixel(x, y);
            const TColor want = RGB(uint8_t(qRed(w)), uint8_t(qGreen(w)), uint8_t(qBlue(w)));
            if (bmp.Canvas()->Pixel(x, y) != want && ++differing < 6) ADD_FAILURE() << x << "," << y << " " << std::hex << bmp.Canvas()->Pixel(x, y) << " vs " << want;
            if (want != clNavy) ++text;
        }
    }
    EXPECT_GT(text, 20) << "no text was drawn";
    EXPECT_EQ(differing, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Text24,
    ::testing::Values(TextCase{"Для вызова меню нажмите", -19, 0, TRect(3, 5, 300, 40), DT_SINGLELINE | DT_NOPREFIX},
                      TextCase{"Wgj|Qy", 19, fsBold | fsItalic, TRect(-7, 2, 300, 40), DT_SINGLELINE | DT_NOPREFIX},
                      TextCase{"&Underlined and clipped", -19, 0, TRect(20, 8, 120, 21), DT_SINGLELINE},
                      TextCase{"two\nlines", -13, fsUnderline, TRect(250, 0, 300, 40), 0}));

}  // namespace
