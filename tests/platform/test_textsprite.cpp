// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Text written straight into a 24-bit bitmap (no painter open: the way a scrolling control
// composes every frame) must give the pixels that Qt's own text drawing gives: on a 32-bit
// image through a painter, and on the same bitmap with its painter open. Checked across faces,
// sizes, styles, colours, opaque and transparent backgrounds over a patterned picture, extra
// character spacing, tabs, mnemonic underlines, clipping by the rectangle and by the canvas's
// clip, and text partly outside the image; the rectangle each call reports as touched is the
// same as well. The same text drawn again (from the cache) comes out the same.
#include "platform/graphics.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kW = 260, kH = 48;

struct SpriteCase {
    const char* face;
    int height;
    TFontStyles style;
    TColor ink, paper;
    bool opaque;
    int extra;
    TRect rect;
    uint32_t flags;
    const char* text;
};

// A picture under the text that differs from pixel to pixel, so that every blend is checked.
TColor Pattern(int x, int y)
{
    return RGB(uint8_t(x * 7 + y * 3), uint8_t(255 - x * 5), uint8_t((x ^ y) * 9));
}

struct Drawn {
    std::vector<TColor> pixels;
    std::vector<TRect> touched;
};

// Prepares the background with the painter closed, then draws the case; with openPainter the
// canvas has its painter open when the text comes, so Qt draws the glyphs.
Drawn DrawCase(TCanvas& canvas, const SpriteCase& c, bool openPainter, bool clipCanvas)
{
    canvas.Brush()->SetColor(c.paper);
    canvas.FillRect(TRect(0, 0, kW, kH));
    for (int y = 0; y < kH; y += 2)
        for (int x = (y / 2) % 3; x < kW; x += 3) canvas.SetPixel(x, y, Pattern(x, y));
    canvas.ReleaseHandle();
    Drawn d;
    canvas.OnChange = [&d](const TRect& r) { d.touched.push_back(r); };
    if (openPainter) {
        EXPECT_NE(canvas.Painter(), nullptr);
    }
    canvas.Font()->SetName(QString::fromUtf8(c.face));
    canvas.Font()->SetHeight(c.height);
    canvas.Font()->SetStyle(c.style);
    canvas.Font()->SetColor(c.ink);
    canvas.Brush()->SetColor(c.paper);
    canvas.SetBkModeTransparent(!c.opaque);
    canvas.SetTextCharacterExtra(c.extra);
    if (clipCanvas) canvas.SetClipRect(TRect(11, 4, kW - 17, kH - 6));
    TRect r = c.rect;
    canvas.DrawTextEx(QString::fromUtf8(c.text), r, c.flags);
    canvas.ClearClip();
    canvas.OnChange = nullptr;
    canvas.ReleaseHandle();
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) d.pixels.push_back(canvas.Pixel(x, y));
    return d;
}

int ChannelDistance(TColor a, TColor b)
{
    const int dr = std::abs(int(GetRValue(a)) - int(GetRValue(b)));
    const int dg = std::abs(int(GetGValue(a)) - int(GetGValue(b)));
    const int db = std::abs(int(GetBValue(a)) - int(GetBValue(b)));
    return std::max({dr, dg, db});
}

// Compares two drawings; returns the number of pixels the text changed in the reference.
int ExpectSame(const Drawn& got, const Drawn& want, const Drawn& blank, const char* what)
{
    int inked = 0, worst = 0, reported = 0;
    for (size_t i = 0; i < want.pixels.size(); ++i) {
        const int d = ChannelDistance(got.pixels[i], want.pixels[i]);
        worst = std::max(worst, d);
        if (d > 0 && ++reported <= 5)
            ADD_FAILURE() << what << ": pixel " << int(i) % kW << "," << int(i) / kW << " is " << std::hex
                          << got.pixels[i] << ", expected " << want.pixels[i];
        if (want.pixels[i] != blank.pixels[i]) {
            ++inked;
            // What changed must lie inside what was reported: that part alone reaches the screen.
            const TPoint at(int(i) % kW, int(i) / kW);
            EXPECT_TRUE(std::any_of(got.touched.begin(), got.touched.end(), [&](const TRect& r) { return r.Contains(at); }))
                << what << ": pixel " << at.X << "," << at.Y << " changed outside the touched rectangles";
        }
    }
    EXPECT_EQ(worst, 0) << what;
    EXPECT_EQ(got.touched.size(), want.touched.size()) << what;
    for (size_t i = 0; i < std::min(got.touched.size(), want.touched.size()); ++i)
        EXPECT_TRUE(got.touched[i] == want.touched[i]) << what << ": touched rectangle " << i << " differs";
    return inked;
}

class TextSprite : public ::testing::TestWithParam<SpriteCase> {};

TEST_P(TextSprite, DirectTextMatchesQtText)
{
    const SpriteCase c = GetParam();
    SpriteCase none = c;
    none.text = "";
    for (bool clipCanvas : {false, true}) {
        SCOPED_TRACE(clipCanvas ? "with a canvas clip" : "without a canvas clip");
        TBitmap blankBmp(kW, kH);
        const Drawn blank = DrawCase(*blankBmp.Canvas(), none, false, clipCanvas);

        TBitmap direct(kW, kH);
        const Drawn first = DrawCase(*direct.Canvas(), c, false, clipCanvas);
        TBitmap again(kW, kH);
        const Drawn second = DrawCase(*again.Canvas(), c, false, clipCanvas);
        TBitmap painted(kW, kH);
        const Drawn viaPainter = DrawCase(*painted.Canvas(), c, true, clipCanvas);
        QImage wide(kW, kH, QImage::Format_RGB32);
        TCanvas wideCanvas;
        wideCanvas.SetTarget(&wide);
        const Drawn viaWide = DrawCase(wideCanvas, c, false, clipCanvas);

        const int inked = ExpectSame(first, viaWide, blank, "direct against 32 bits");
        ExpectSame(first, viaPainter, blank, "direct against the painter on 24 bits");
        EXPECT_EQ(second.pixels, first.pixels) << "drawn again from the cache";
        EXPECT_GT(inked, 20) << "the case draws no text";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextSprite,
    ::testing::Values(
        SpriteCase{"Times New Roman", -19, 0, clYellow, clNavy, true, 0, TRect(3, 5, kW, kH), DT_SINGLELINE | DT_NOPREFIX,
                   "Для вызова меню нажмите"},
        SpriteCase{"Times New Roman", -19, 0, clYellow, clNavy, false, 0, TRect(-40, 9, 200, 30),
                   DT_SINGLELINE | DT_NOPREFIX, "Для вызова меню нажмите"},
        SpriteCase{"Arial", -13, fsBold, clBlack, clWhite, true, 2, TRect(5, -6, 240, 20), DT_SINGLELINE | DT_NOPREFIX,
                   "Wgj|Qy spaced out"},
        SpriteCase{"Courier New", 24, fsItalic, clRed, TColor(0x336699), false, 0, TRect(150, 20, 300, 60),
                   DT_SINGLELINE | DT_NOPREFIX, "Italic overhang fff"},
        SpriteCase{"Verdana", -11, 0, clWhite, clBlack, true, 0, TRect(0, 0, kW, kH), DT_EXPANDTABS,
                   "&File\tE&dit\tlong tab\nsecond && line"},
        SpriteCase{"Times New Roman", -30, fsBold | fsItalic, clLime, clMaroon, false, -1, TRect(30, 2, 120, 44),
                   DT_SINGLELINE | DT_VCENTER, "Clipped &by the rectangle"},
        SpriteCase{"Arial", -16, 0, TColor(0x7F7F7F), TColor(0x808080), true, 0, TRect(-5, 30, 400, 60),
                   DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX, "Beyond the right and bottom edges of the image ..."},
        SpriteCase{"DejaVu Serif", -34, fsItalic, clBlack, clWhite, false, 0, TRect(20, 2, 60, 40),
                   DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX, "jfff"}));

}  // namespace
