// Block copies from 24-bit bitmaps onto 32- and 24-bit images: the pixel-for-pixel path that a
// scrolling control's every frame takes onto its surface must give exactly the source's pixels,
// at any offset and width (odd widths leave a remainder after whole groups of pixels), and must
// leave every pixel outside the destination alone.
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

}  // namespace
