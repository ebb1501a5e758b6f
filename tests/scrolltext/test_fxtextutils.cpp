// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The 3D text style object and the routines that draw and measure text in its styles: where
// each copy of the text lands (found by pixels), the disabled looks, clipping and spacing
// restored, measured extents by style, and the colour interpolation.
#include "scrolltext/fxtextutils.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr TColor kFace = clBlue;
constexpr TColor kLight = clRed;
constexpr TColor kShadow = clLime;
constexpr TColor kBack = clWhite;
constexpr TColor kParent = clYellow;

std::unique_ptr<TFont> TestFont()
{
    auto f = std::make_unique<TFont>();
    f->SetName(QStringLiteral("DejaVu Sans"));
    f->SetHeight(-40);
    f->SetStyle(fsBold);
    f->SetColor(kFace);
    return f;
}

std::unique_ptr<TBitmap> Blank()
{
    auto b = std::make_unique<TBitmap>(160, 100);
    b->Canvas()->Brush()->SetColor(kBack);
    b->Canvas()->FillRect(TRect(0, 0, 160, 100));
    auto f = TestFont();
    b->Canvas()->SetFont(f.get());
    b->Canvas()->Brush()->SetColor(kParent);
    return b;
}

// The bounding box of the pixels of exactly colour c (fully covered glyph pixels).
TRect BoxOf(const TBitmap& b, TColor c)
{
    TRect box(1 << 20, 1 << 20, -1, -1);
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Canvas()->Pixel(x, y) == c) {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box;
}

const TRect kR(20, 20, 150, 90);
const QString kText = QStringLiteral("H");

// Where the plain text lands when drawn at kR in colour c.
TRect Reference(TColor c = kFace)
{
    auto b = Blank();
    b->Canvas()->Font()->SetColor(c);
    b->Canvas()->SetBkModeTransparent(true);
    TRect r = kR;
    b->Canvas()->DrawTextEx(kText, r, DT_SINGLELINE | DT_NOPREFIX);
    return BoxOf(*b, c);
}

TRect Shifted(TRect r, int dx, int dy) { return r.Offset(dx, dy); }

std::unique_ptr<TBitmap> Draw(const TFx3DCaption& s, TFxDrawTextStyles styles = DrawTextStyles(TFxDrawTextStyle::dtEnabled))
{
    auto b = Blank();
    FxDrawTextExt(b->Canvas(), kText, &s, kR, DT_SINGLELINE | DT_NOPREFIX, styles);
    return b;
}

std::unique_ptr<TFx3DCaption> Caption(TFxThreeDStyle style, int ld = 2, int sd = 3)
{
    auto c = std::make_unique<TFx3DCaption>();
    c->SetStyle(style);
    c->SetLightDepth(uint8_t(ld));
    c->SetShadowDepth(uint8_t(sd));
    c->SetLightColor(kLight);
    c->SetShadowColor(kShadow);
    return c;
}

struct FaceCase {
    TFxThreeDStyle style;
    TFxThreeDOrientation orientation;
    int sd;
    int dx, dy;   // where the face lands relative to the rectangle's corner
};

class FaceOffset : public ::testing::TestWithParam<FaceCase> {};

}  // namespace

TEST(Fx3DCaption, DefaultsSettersAndAssignNotifyOncePerRealChange)
{
    TFx3DCaption c;
    EXPECT_EQ(c.Style(), TFxThreeDStyle::tdNone);
    EXPECT_EQ(c.LightDepth(), 1);
    EXPECT_EQ(c.ShadowDepth(), 1);
    EXPECT_EQ(c.LightColor(), clBtnHighlight);
    EXPECT_EQ(c.ShadowColor(), clBtnShadow);
    EXPECT_EQ(c.Orientation(), TFxThreeDOrientation::toTopLeft);
    EXPECT_EQ(c.DisabledStyle(), TFxDisabledStyle::dsAuto);
    EXPECT_EQ(c.Tracing(), 0);
    int changes = 0;
    c.OnChange = [&](TObject* s) { EXPECT_EQ(s, &c); ++changes; };
    c.SetStyle(TFxThreeDStyle::tdNone);
    c.SetDepth(0, 1);
    c.SetColor(1, clBtnShadow);
    EXPECT_EQ(changes, 0);
    c.SetStyle(TFxThreeDStyle::tdShadow);
    c.SetDepth(1, 4);
    c.SetColor(0, clRed);
    c.SetTracing(2);
    c.SetOrientation(TFxThreeDOrientation::toTopRight);
    c.SetDisabledStyle(TFxDisabledStyle::ds3d);
    EXPECT_EQ(changes, 6);

    TFx3DCaption other;
    other.SetOrientation(TFxThreeDOrientation::toBottomRight);
    other.SetShadowDepth(7);
    c.Assign(&other);
    EXPECT_EQ(changes, 7);
    EXPECT_EQ(c.Orientation(), TFxThreeDOrientation::toBottomRight);
    EXPECT_EQ(c.ShadowDepth(), 7);
    EXPECT_EQ(c.Style(), TFxThreeDStyle::tdNone);
    EXPECT_EQ(c.Tracing(), 0);
    TFont font;
    EXPECT_THROW(c.Assign(&font), EConvertError);
}

TEST(FxDrawTextExt, PlainStyleDrawsLikeThePlatformWithATransparentBackground)
{
    const TFx3DCaption plain;
    auto styled = Draw(plain);
    auto ref = Blank();
    ref->Canvas()->SetBkModeTransparent(true);
    TRect r = kR;
    ref->Canvas()->DrawTextEx(kText, r, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(styled->Image(), ref->Image());
    EXPECT_EQ(styled->Canvas()->Brush()->Style(), TBrushStyle::bsClear);
    EXPECT_EQ(styled->Canvas()->Font()->Color(), kFace);
}

TEST(FxDrawTextExt, NothingIsDrawnForAnEmptyTextOrRectangle)
{
    auto c = Caption(TFxThreeDStyle::tdShadow);
    auto b = Blank();
    const QImage before = b->Image();
    FxDrawTextExt(b->Canvas(), QString(), c.get(), kR, DT_SINGLELINE, DrawTextStyles(TFxDrawTextStyle::dtEnabled));
    FxDrawTextExt(b->Canvas(), kText, c.get(), TRect(50, 50, 50, 90), DT_SINGLELINE, DrawTextStyles(TFxDrawTextStyle::dtEnabled));
    FxDrawTextExt(b->Canvas(), kText, nullptr, TRect(50, 50, 40, 90), DT_SINGLELINE, 0);
    EXPECT_EQ(b->Image(), before);
}

TEST_P(FaceOffset, TheFaceLandsWhereTheStylePutsIt)
{
    const FaceCase fc = GetParam();
    auto c = Caption(fc.style, 2, fc.sd);
    c->SetOrientation(fc.orientation);
    auto b = Draw(*c);
    const bool parentColour = fc.style == TFxThreeDStyle::tdPColorSunken || fc.style == TFxThreeDStyle::tdPColorRaised;
    const TColor face = parentColour ? kParent : kFace;
    EXPECT_EQ(BoxOf(*b, face), Shifted(Reference(face), fc.dx, fc.dy));
}

INSTANTIATE_TEST_SUITE_P(
    Styles, FaceOffset,
    ::testing::Values(FaceCase{TFxThreeDStyle::tdNone, TFxThreeDOrientation::toTopLeft, 3, 0, 0},
                      FaceCase{TFxThreeDStyle::tdSunken, TFxThreeDOrientation::toTopLeft, 3, 0, 0},
                      FaceCase{TFxThreeDStyle::tdRaised, TFxThreeDOrientation::toTopLeft, 3, 2, 2},
                      FaceCase{TFxThreeDStyle::tdSunkenShadow, TFxThreeDOrientation::toTopLeft, 3, 3, 3},
                      FaceCase{TFxThreeDStyle::tdRaisedShadow, TFxThreeDOrientation::toTopLeft, 3, 2, 2},
                      FaceCase{TFxThreeDStyle::tdPColorSunken, TFxThreeDOrientation::toTopLeft, 3, 3, 3},
                      FaceCase{TFxThreeDStyle::tdPColorRaised, TFxThreeDOrientation::toTopLeft, 3, 2, 2},
                      FaceCase{TFxThreeDStyle::tdShadow, TFxThreeDOrientation::toTopLeft, 3, 0, 0},
                      FaceCase{TFxThreeDStyle::tdExtrude, TFxThreeDOrientation::toBottomLeft, 3, 3, 1},
                      FaceCase{TFxThreeDStyle::tdExtrude, TFxThreeDOrientation::toBottomRight, 3, 1, 1},
                      FaceCase{TFxThreeDStyle::tdExtrude, TFxThreeDOrientation::toTopLeft, 3, 3, 3},
                      FaceCase{TFxThreeDStyle::tdExtrudeEnh, TFxThreeDOrientation::toTopRight, 3, 1, 3},
                      FaceCase{TFxThreeDStyle::tdExtrude, TFxThreeDOrientation::toBottomLeft, 0, 0, 1},
                      FaceCase{TFxThreeDStyle::tdExtrude, TFxThreeDOrientation::toBottomRight, 0, 1, 1},
                      FaceCase{TFxThreeDStyle::tdExtrude, TFxThreeDOrientation::toTopLeft, 0, 0, 0},
                      FaceCase{TFxThreeDStyle::tdExtrude, TFxThreeDOrientation::toTopRight, 0, 1, 0}));

TEST(FxDrawTextExt, LightAndShadowCopiesLieWhereTheirStylesPutThem)
{
    const TRect ref = Reference();
    {   // raised: the light copy at the corner, the face 2 further
        auto b = Draw(*Caption(TFxThreeDStyle::tdRaised, 2, 3));
        const TRect light = BoxOf(*b, kLight);
        EXPECT_EQ(light.TopLeft(), ref.TopLeft());
    }
    {   // shadow: the shadow copy 3 down and right, its far corner uncovered
        auto b = Draw(*Caption(TFxThreeDStyle::tdShadow, 2, 3));
        EXPECT_EQ(BoxOf(*b, kShadow).BottomRight(), Shifted(ref, 3, 3).BottomRight());
    }
    {   // sunken: the light copy 2 down and right of the face
        auto b = Draw(*Caption(TFxThreeDStyle::tdSunken, 2, 3));
        EXPECT_EQ(BoxOf(*b, kLight).BottomRight(), Shifted(ref, 2, 2).BottomRight());
    }
    {   // raised shadow: shadow at 5, light at 0, face at 2
        auto b = Draw(*Caption(TFxThreeDStyle::tdRaisedShadow, 2, 3));
        EXPECT_EQ(BoxOf(*b, kShadow).BottomRight(), Shifted(ref, 5, 5).BottomRight());
        EXPECT_EQ(BoxOf(*b, kLight).TopLeft(), ref.TopLeft());
    }
    {   // extrusion toward the top left with depth 3: copies from (1, 1) to (3, 3)
        auto b = Draw(*Caption(TFxThreeDStyle::tdExtrude, 2, 3));
        EXPECT_EQ(BoxOf(*b, kShadow).TopLeft(), Shifted(ref, 1, 1).TopLeft());
    }
    {   // the graded extrusion: the copy farthest from the face in the colour one step short
        // of the light colour; the one in the shadow colour lies under the face
        auto c = Caption(TFxThreeDStyle::tdExtrudeEnh, 2, 2);
        c->SetShadowColor(clBlack);
        c->SetLightColor(RGB(0, 0, 200));
        auto b = Draw(*c);
        EXPECT_EQ(BoxOf(*b, RGB(0, 0, 100)).TopLeft(), Shifted(ref, 1, 1).TopLeft());
        EXPECT_EQ(BoxOf(*b, clBlack).Right, -1);
        EXPECT_EQ(BoxOf(*b, kFace), Shifted(ref, 2, 2));
    }
}

TEST(FxDrawTextExt, DisabledTextKeepsOrSinksItsStyleByTheDisabledStyle)
{
    const TColor grey = ColorToRGB(clGrayText);
    const TRect ref = Reference(grey);
    const TFxDrawTextStyles disabled = DrawTextStyles(TFxDrawTextStyle::dtDisabled);
    {
        auto b = Draw(*Caption(TFxThreeDStyle::tdRaised), disabled);   // dsAuto: stays raised, grey face
        EXPECT_EQ(BoxOf(*b, grey), Shifted(ref, 2, 2));
    }
    {
        auto b = Draw(*Caption(TFxThreeDStyle::tdRaised),
                      disabled | DrawTextStyles(TFxDrawTextStyle::dt3DDisabled));   // dsAuto + 3D: sunken
        EXPECT_EQ(BoxOf(*b, grey), ref);
        EXPECT_EQ(BoxOf(*b, kLight).BottomRight(), Shifted(ref, 2, 2).BottomRight());
    }
    {
        auto c = Caption(TFxThreeDStyle::tdNone);
        c->SetDisabledStyle(TFxDisabledStyle::ds3d);
        auto b = Draw(*c, disabled);
        EXPECT_EQ(BoxOf(*b, grey), ref);
        EXPECT_EQ(BoxOf(*b, kLight).BottomRight(), Shifted(ref, 2, 2).BottomRight());
    }
    {
        auto c = Caption(TFxThreeDStyle::tdRaised);
        c->SetDisabledStyle(TFxDisabledStyle::dsNone);
        auto b = Draw(*c, disabled);
        EXPECT_EQ(BoxOf(*b, kFace), Shifted(Reference(), 2, 2));
    }
}

TEST(FxDrawTextExt, ClippingAndSpacingAreRestoredAfterDrawing)
{
    auto c = Caption(TFxThreeDStyle::tdNone);
    auto b = Blank();
    const TRect clip(20, 20, 40, 90);
    FxDrawTextExt(b->Canvas(), QStringLiteral("HHH"), c.get(), kR, DT_SINGLELINE | DT_NOPREFIX,
                  DrawTextStyles(TFxDrawTextStyle::dtEnabled) | DrawTextStyles(TFxDrawTextStyle::dtClip), &clip);
    const TRect drawn = BoxOf(*b, kFace);
    EXPECT_LE(drawn.Right, 40);
    EXPECT_GT(drawn.Width(), 0);
    EXPECT_FALSE(b->Canvas()->HasClip());

    // Tracing spreads the characters and is taken back afterwards.
    c->SetTracing(6);
    auto wide = Blank();
    FxDrawTextExt(wide->Canvas(), QStringLiteral("HH"), c.get(), kR, DT_SINGLELINE | DT_NOPREFIX,
                  DrawTextStyles(TFxDrawTextStyle::dtEnabled));
    auto narrow = Blank();
    c->SetTracing(0);
    FxDrawTextExt(narrow->Canvas(), QStringLiteral("HH"), c.get(), kR, DT_SINGLELINE | DT_NOPREFIX,
                  DrawTextStyles(TFxDrawTextStyle::dtEnabled));
    EXPECT_EQ(BoxOf(*wide, kFace).Width(), BoxOf(*narrow, kFace).Width() + 6);
    EXPECT_EQ(wide->Canvas()->TextCharacterExtra(), 0);
}

TEST(FxDrawTextExt, OutlineStrokesTheGlyphsWithAPenOfTheShadowDepth)
{
    auto c = Caption(TFxThreeDStyle::tdOutline, 2, 3);
    auto b = Draw(*c);
    EXPECT_EQ(b->Canvas()->Pen()->Style(), TPenStyle::psSolid);
    EXPECT_EQ(b->Canvas()->Pen()->Color(), kFace);
    EXPECT_EQ(b->Canvas()->Pen()->Width(), 3);
    const TRect ref = Reference();
    const TRect outline = BoxOf(*b, kFace);
    EXPECT_GT(outline.Width(), 0);
    // The stroke straddles the glyph edges, one pixel (3 div 2) further in.
    EXPECT_LE(std::abs(outline.Left - (ref.Left + 1 - 1)), 1);
    // Not filled: the middle of the H's left stem is the pen's width of outline at most.
    int faceRun = 0;
    const int y = (ref.Top + ref.Bottom) / 2 - 8;
    for (int x = ref.Left; x < ref.Left + 12; ++x) faceRun += b->Canvas()->Pixel(x, y) == kFace;
    EXPECT_LT(faceRun, 12);
    // Clipped to its rectangle like every other style.
    auto narrow = Blank();
    FxDrawTextExt(narrow->Canvas(), QStringLiteral("HHH"), c.get(), TRect(30, 20, 50, 90), DT_SINGLELINE | DT_NOPREFIX,
                  DrawTextStyles(TFxDrawTextStyle::dtEnabled));
    const TRect clipped = BoxOf(*narrow, kFace);
    EXPECT_GT(clipped.Width(), 0);
    EXPECT_LE(clipped.Right, 53);   // the rectangle grown by the pen's width
    EXPECT_FALSE(narrow->Canvas()->HasClip());
    // A text inked at its rectangle's left edge and near its top keeps its whole stroke.
    c = Caption(TFxThreeDStyle::tdOutline, 1, 4);
    std::vector<TRect> boxes;
    for (uint32_t noclip : {0u, uint32_t(DT_NOCLIP)}) {
        FxDrawTextExt((narrow = Blank())->Canvas(), QStringLiteral("jÅ"), c.get(), kR, DT_SINGLELINE | noclip, DrawTextStyles(TFxDrawTextStyle::dtEnabled));
        boxes.push_back(BoxOf(*narrow, kFace));
    }
    EXPECT_EQ(boxes[0], boxes[1]);
}

TEST(FxTextMeasure, ExtentsGrowByTheStyleDepthAndTheMargin)
{
    auto font = TestFont();
    TCanvas measure;
    measure.SetFont(font.get());
    const TPoint plain = measure.TextExtent(QStringLiteral("Tick"));
    const TPoint blank = measure.TextExtent(QStringLiteral(" "));

    auto none = Caption(TFxThreeDStyle::tdNone, 2, 3);
    auto shadow = Caption(TFxThreeDStyle::tdShadow, 2, 3);
    auto outline = Caption(TFxThreeDStyle::tdOutline, 2, 3);
    auto raisedShadow = Caption(TFxThreeDStyle::tdRaisedShadow, 2, 3);

    TRect r(5, 7, 5, 7);
    FxDrawTextCalc(QStringLiteral("Tick"), none.get(), r, font.get(), false, false, 0, 0);
    EXPECT_EQ(r, TRect(5, 7, 5 + plain.X + 2, 7 + plain.Y + 2));
    r = TRect(5, 7, 5, 7);
    FxDrawTextCalc(QStringLiteral("Tick"), shadow.get(), r, font.get(), false, false, 0, 0);
    EXPECT_EQ(r, TRect(5, 7, 5 + plain.X + 5, 7 + plain.Y + 5));
    r = TRect(0, 0, 0, 0);
    FxDrawTextCalc(QStringLiteral("Tick"), outline.get(), r, font.get(), false, false, 1, 0);
    EXPECT_EQ(r, TRect(0, 0, plain.X + 3 + 4, plain.Y + 3 + 4));
    r = TRect(0, 0, 0, 0);
    FxDrawTextCalc(QString(), none.get(), r, font.get(), false, false, 0, 0);
    EXPECT_EQ(r, TRect(0, 0, blank.X + 2, plain.Y + 2));
    r = TRect(0, 0, 0, 0);
    FxDrawTextCalc(QStringLiteral("&"), nullptr, r, font.get(), false, true, 0, 0);
    EXPECT_EQ(r, TRect(0, 0, blank.X + 2, plain.Y + 2));

    EXPECT_EQ(FxGet3DTextWidth(QStringLiteral("Tick"), none.get(), font.get()), plain.X);
    EXPECT_EQ(FxGet3DTextWidth(QStringLiteral("Tick"), shadow.get(), font.get()), plain.X + 3);
    EXPECT_EQ(FxGet3DTextWidth(QStringLiteral("Tick"), outline.get(), font.get()), plain.X);
    EXPECT_EQ(FxGet3DTextWidth(QStringLiteral("Tick"), raisedShadow.get(), font.get()), plain.X + 5);
    EXPECT_EQ(FxGet3DTextWidth(QStringLiteral("Tick"), nullptr, font.get()), 0);
    EXPECT_EQ(FxGet3DTextHeight(none.get(), font.get()), plain.Y);
    EXPECT_EQ(FxGet3DTextHeight(shadow.get(), font.get()), plain.Y + 3);
    EXPECT_EQ(FxGet3DTextHeight(outline.get(), font.get()), plain.Y);

    // Tracing adds its spacing after every character to the quick width and the calculation,
    // never to the height.
    none->SetTracing(4);
    EXPECT_EQ(FxGet3DTextWidth(QStringLiteral("Tick"), none.get(), font.get()), plain.X + 16);
    EXPECT_EQ(FxGet3DTextHeight(none.get(), font.get()), plain.Y);
    r = TRect(0, 0, 0, 0);
    FxDrawTextCalc(QStringLiteral("Tick"), none.get(), r, font.get(), false, false, 0, 0);
    EXPECT_EQ(r.Right, plain.X + 16 + 2);
    // A canvas's own spacing does not count: the style's does, and the canvas keeps its own.
    TCanvas spaced;
    spaced.SetTextCharacterExtra(5);
    none->SetTracing(0);
    r = TRect(0, 0, 0, 0);
    FxDrawTextCalcExt(&spaced, QStringLiteral("Tick"), none.get(), r, font.get(), false, false, 0, 0);
    EXPECT_EQ(r.Right, plain.X + 2);
    r = TRect(0, 0, 0, 0);
    FxDrawTextCalcExt(&spaced, QStringLiteral("Tick"), nullptr, r, font.get(), false, false, 0, 0);
    EXPECT_EQ(r.Right, plain.X + 2);
    EXPECT_EQ(spaced.TextCharacterExtra(), 5);
    // Spacing comes once per character, also for one outside the basic plane (two UTF-16
    // units), as it is drawn.
    none->SetTracing(5);
    const QString astral = QStringLiteral("A") + QString::fromUcs4(U"\U0001D400") + QStringLiteral("B");
    const TFx3DCaption untraced;
    EXPECT_EQ(FxGet3DTextWidth(astral, none.get(), font.get()) - FxGet3DTextWidth(astral, &untraced, font.get()), 15);
}

TEST(FxTextMeasure, TheMeasuredWidthIsTheDrawnWidth)
{
    auto font = TestFont();
    font->SetStyle(0);
    font->SetColor(clBlack);
    const TFx3DCaption none;
    const QString text = QStringLiteral("Для вызова меню |");
    const int w = FxGet3DTextWidth(text, &none, font.get());
    TBitmap b(w + 40, 60);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(TRect(0, 0, w + 40, 60));
    b.Canvas()->SetFont(font.get());
    FxDrawTextExt(b.Canvas(), text, &none, TRect(0, 0, w + 40, 60), DT_SINGLELINE | DT_NOPREFIX,
                  DrawTextStyles(TFxDrawTextStyle::dtEnabled));
    // The final bar ends within its own advance of the measured width.
    int last = -1;
    for (int x = 0; x < w + 40; ++x)
        for (int y = 0; y < 60; ++y)
            if (b.Canvas()->Pixel(x, y) != clWhite) last = x;
    EXPECT_LT(last, w);
    EXPECT_GT(last, w - b.Canvas()->TextWidth(QStringLiteral("|")) - 1);
}

TEST(FxGradientGetColor, InterpolatesEachByteAndTruncates)
{
    EXPECT_EQ(FxGradientGetColor(0x000000, 0x0000FF, 1, 2), 0x00007F);
    EXPECT_EQ(FxGradientGetColor(0x102030, 0x405060, 0, 5), 0x102030);
    EXPECT_EQ(FxGradientGetColor(0x102030, 0x405060, 5, 5), 0x405060);
    EXPECT_EQ(FxGradientGetColor(0x0000FF, 0x000000, 1, 3), 0x0000AA);   // 255 - 85
    EXPECT_EQ(FxGradientGetColor(0x000000, 0x0000FF, 1, 3), 0x000055);   // exactly 85
    // System colours are taken by their stored bytes, not resolved.
    EXPECT_EQ(FxGradientGetColor(clBtnShadow, clBtnShadow, 1, 2), 0x000010);
}
