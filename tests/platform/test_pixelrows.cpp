// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The pixel-row kernels head-on: every row converter gives the pixels of the per-pixel
// formula at every width (whole groups of four and the remainders), reads and writes no byte
// past its row, and the way back restores the row; a fill covers exactly its rectangle on
// rows padded past width * 3.
#include "platform/pixelrows.h"

#include <QImage>
#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uchar> RowOfBytes(int w)
{
    std::vector<uchar> in(size_t(3 * w));   // exactly the row: a sanitizer sees any read past it
    for (size_t i = 0; i < in.size(); ++i) in[i] = uchar(i * 37 + 11);
    return in;
}

quint32 Expected(const std::vector<uchar>& in, int x)
{
    return 0xFF000000u | quint32(in[3 * x + 2]) << 16 | quint32(in[3 * x + 1]) << 8 | in[3 * x];
}

} // namespace

TEST(PixelRows, EveryConverterGivesTheFormulaAndTheWayBackRestoresTheRow)
{
    std::vector<std::pair<const char*, void (*)(const uchar*, quint32*, int)>> converters = {
        {"portable", Bgr24ToRgb32Row}, {"picked", Bgr24ToRgb32Line}};
#ifdef TIRLINK_HAVE_SSSE3_ROWS
    if (__builtin_cpu_supports("ssse3")) converters.push_back({"ssse3", Bgr24ToRgb32RowSsse3});
#endif
    for (int w = 0; w <= 21; ++w) {
        const std::vector<uchar> in = RowOfBytes(w);
        for (const auto& [name, convert] : converters) {
            std::vector<quint32> out(size_t(w) + 1, 0x12345678u);
            convert(in.data(), out.data(), w);
            for (int x = 0; x < w; ++x) ASSERT_EQ(out[x], Expected(in, x)) << name << " width " << w << " x " << x;
            EXPECT_EQ(out[w], 0x12345678u) << name << " wrote past width " << w;

            std::vector<uchar> back(size_t(3 * w) + 1, 0xA5);
            Rgb32ToBgr24Row(out.data(), back.data(), w);
            EXPECT_TRUE(std::equal(in.begin(), in.end(), back.begin())) << name << " width " << w;
            EXPECT_EQ(back[size_t(3 * w)], 0xA5) << "write-back past width " << w;
        }
    }
}

TEST(PixelRows, FillCoversExactlyItsRectangleOnPaddedRows)
{
    QImage img(7, 5, QImage::Format_BGR888);   // 21 bytes of pixels in rows of 24
    ASSERT_GT(img.bytesPerLine(), 21);
    img.fill(Qt::white);
    FillBgr24(img, QRect(1, 1, 5, 3), RGB(10, 20, 30));
    FillBgr24(img, QRect(0, 0, 0, 4), clBlack);   // empty: nothing
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const bool inside = x >= 1 && x < 6 && y >= 1 && y < 4;
            EXPECT_EQ(img.pixel(x, y), inside ? qRgb(10, 20, 30) : qRgb(255, 255, 255)) << x << "," << y;
        }
}

TEST(PixelRows, BlockCopyRefusesFormatsItDoesNotKnow)
{
    QImage from(4, 4, QImage::Format_RGB32), to(4, 4, QImage::Format_BGR888);
    from.fill(Qt::black);
    to.fill(Qt::white);
    EXPECT_FALSE(CopyPixels24(to, QRect(0, 0, 4, 4), from, QRect(0, 0, 4, 4)));
    QImage gray(4, 4, QImage::Format_Grayscale8);
    EXPECT_FALSE(CopyPixels24(gray, QRect(0, 0, 4, 4), to, QRect(0, 0, 4, 4)));
    EXPECT_EQ(to.pixel(0, 0), qRgb(255, 255, 255));
}

TEST(PixelRows, CopyOntoTheSameFrameWritesOnlyAndReportsExactlyWhatDiffered)
{
    QImage from(37, 4, QImage::Format_BGR888), to(39, 5, QImage::Format_RGB32);
    from.fill(QColor(0, 0, 128));
    to.fill(Qt::white);
    QRect changed;
    ASSERT_TRUE(CopyPixels24(to, QRect(1, 1, 37, 4), from, QRect(0, 0, 37, 4), &changed));
    EXPECT_EQ(changed, QRect(1, 1, 37, 4));
    // Single pixels near both ends of a row, and nothing at all.
    for (const QRect& spot : {QRect(0, 2, 1, 1), QRect(36, 1, 1, 1), QRect(5, 0, 27, 1), QRect(35, 3, 1, 1)}) {
        from.setPixel(spot.topLeft(), qRgb(255, 255, 0));
        from.setPixel(spot.bottomRight(), qRgb(255, 255, 0));
        ASSERT_TRUE(CopyPixels24(to, QRect(1, 1, 37, 4), from, QRect(0, 0, 37, 4), &changed));
        EXPECT_EQ(changed, spot.translated(1, 1));
        EXPECT_EQ(to.pixel(spot.bottomRight() + QPoint(1, 1)), qRgb(255, 255, 0));
        from.fill(QColor(0, 0, 128));
        CopyPixels24(to, QRect(1, 1, 37, 4), from, QRect(0, 0, 37, 4));
    }
    ASSERT_TRUE(CopyPixels24(to, QRect(1, 1, 37, 4), from, QRect(0, 0, 37, 4), &changed));
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_EQ(to.pixel(0, 0), qRgb(255, 255, 255));
}
