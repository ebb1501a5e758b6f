// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "scrolltext/fxtextutils.h"

#include "platform/scoped.h"

#include <utility>

namespace {

using Style = TFxThreeDStyle;

// The screen's measuring canvas. It lives as long as the process, as the screen's device
// context does: it is never destroyed, so that it cannot outlive the font system at exit.
TCanvas* ScreenCanvas()
{
    static TCanvas* const canvas = new TCanvas;
    return canvas;
}

// The depth a style adds to a measured text: the calculating routine counts the outline's
// pen and the extrusions, the quick width and height do not.
int CalcDepth(const TFx3DCaption* s)
{
    switch (s->Style()) {
    case Style::tdSunken:
    case Style::tdRaised: return s->LightDepth();
    case Style::tdSunkenShadow:
    case Style::tdRaisedShadow:
    case Style::tdPColorSunken:
    case Style::tdPColorRaised: return s->LightDepth() + s->ShadowDepth();
    case Style::tdShadow:
    case Style::tdOutline:
    case Style::tdExtrude:
    case Style::tdExtrudeEnh: return s->ShadowDepth();
    default: return 0;
    }
}

int QuickDepth(const TFx3DCaption* s)
{
    switch (s->Style()) {
    case Style::tdOutline:
    case Style::tdExtrude:
    case Style::tdExtrudeEnh: return 0;
    default: return CalcDepth(s);
    }
}

// Strokes the collected path inside area (and any clip the canvas has), as drawn text is
// clipped unless DT_NOCLIP is given.
void StrokeClipped(TCanvas* canvas, const TRect& area, uint32_t flags)
{
    if (flags & DT_NOCLIP) {
        canvas->StrokePath();
        return;
    }
    const bool hadClip = canvas->HasClip();
    const TRect oldClip = canvas->ClipRect();
    TRect clip = area.Normalized();
    if (hadClip && !IntersectRect(clip, clip, oldClip)) clip = TRect();
    canvas->SetClipRect(clip);
    TScopeExit restore([canvas, hadClip, oldClip] {
        if (hadClip) canvas->SetClipRect(oldClip);
        else canvas->ClearClip();
    });
    canvas->StrokePath();
}

// Draws one copy of the text: moves T by (dx, dy), sets the font colour, draws.
struct CopyDrawer {
    TCanvas* canvas;
    const QString& text;
    uint32_t flags;
    TRect& T;
    void operator()(int dx, int dy, TColor color) const
    {
        T.Offset(dx, dy);
        canvas->Font()->SetColor(color);
        TRect r = T;
        canvas->DrawTextEx(text, r, flags);
    }
};

// The style a caption is drawn in and the colour of its face. A disabled caption is grey, and
// sunken where its disabled style asks for that; the parent-colour styles paint the face in the
// background colour, so that only the edges show.
std::pair<Style, TColor> StyleAndFace(TCanvas* Canvas, const TFx3DCaption* Style3D, TFxDrawTextStyles Styles)
{
    Style e = Style3D->Style();
    if (HasStyle(Styles, TFxDrawTextStyle::dtEnabled) || Style3D->DisabledStyle() == TFxDisabledStyle::dsNone) {
        const bool parentColour = e == Style::tdPColorSunken || e == Style::tdPColorRaised;
        return {e, parentColour ? Canvas->Brush()->Color() : Canvas->Font()->Color()};
    }
    const TFxDisabledStyle ds = Style3D->DisabledStyle();
    if (ds == TFxDisabledStyle::ds3d || (ds == TFxDisabledStyle::dsAuto && HasStyle(Styles, TFxDrawTextStyle::dt3DDisabled)))
        e = Style::tdSunken;
    return {e, clGrayText};
}

// Draws the copies of the text that make up style e, the face last. Each copy moves the text's
// rectangle on from where the one before it left it.
void DrawCopies(const CopyDrawer& draw, TCanvas* Canvas, Style e, const TFx3DCaption* Style3D, TColor face)
{
    TRect& T = draw.T;
    const int ld = Style3D->LightDepth();
    const int sd = Style3D->ShadowDepth();
    const TColor light = Style3D->LightColor();
    const TColor shadow = Style3D->ShadowColor();
    // An extruded caption repeats its shadow n times, one pixel apart, away from the light.
    const int n = sd;
    int dx = 0, dy = 0;
    if (e == Style::tdExtrude || e == Style::tdExtrudeEnh) {
        switch (Style3D->Orientation()) {
        case TFxThreeDOrientation::toBottomLeft: T.Offset(0, n + 1); dx = 1; dy = -1; break;
        case TFxThreeDOrientation::toBottomRight: T.Offset(n + 1, n + 1); dx = -1; dy = -1; break;
        case TFxThreeDOrientation::toTopLeft: dx = 1; dy = 1; break;
        case TFxThreeDOrientation::toTopRight: T.Offset(n + 1, 0); dx = -1; dy = 1; break;
        }
    }
    switch (e) {
    case Style::tdSunken:
        T.Right -= ld;
        draw(ld, ld, light);
        draw(-ld, -ld, face);
        break;
    case Style::tdRaised:
        T.Right -= ld;
        draw(0, 0, light);
        draw(ld, ld, face);
        break;
    case Style::tdSunkenShadow:
    case Style::tdPColorSunken:
        T.Right -= ld + sd;
        draw(0, 0, shadow);
        draw(ld + sd, ld + sd, light);
        draw(-ld, -ld, face);
        break;
    case Style::tdRaisedShadow:
    case Style::tdPColorRaised:
        T.Right -= ld + sd;
        draw(ld + sd, ld + sd, shadow);
        draw(-(ld + sd), -(ld + sd), light);
        draw(ld, ld, face);
        break;
    case Style::tdShadow:
        T.Right -= sd;
        draw(sd, sd, shadow);
        draw(-sd, -sd, face);
        break;
    case Style::tdOutline: {
        // The stroke belongs to the text: its clip is the text's rectangle (before the copy
        // moves it) grown by the pen, as the other styles' copies reach past the rectangle too.
        const TRect area = TRect(T).Inflate(sd, sd);
        Canvas->Pen()->SetStyle(TPenStyle::psSolid);
        Canvas->BeginPath();
        draw(sd / 2, sd / 2, face);
        Canvas->EndPath();
        Canvas->Pen()->SetColor(face);
        Canvas->Pen()->SetWidth(sd);
        StrokeClipped(Canvas, area, draw.flags);
        break;
    }
    case Style::tdExtrude:
        for (int i = 0; i < n; ++i) draw(dx, dy, shadow);
        draw(0, 0, face);
        break;
    case Style::tdExtrudeEnh:
        for (int i = n - 1; i >= 0; --i) draw(dx, dy, FxGradientGetColor(shadow, light, i, n));
        draw(0, 0, face);
        break;
    default:
        draw(0, 0, face);
        break;
    }
}

}  // namespace

void FxDrawTextExt(TCanvas* Canvas, const QString& Text, const TFx3DCaption* Style3D, const TRect& R,
                   uint32_t TextFlags, TFxDrawTextStyles Styles, const TRect* Clip)
{
    TRect r = R;
    if (Text.isEmpty() || r.IsEmpty()) return;
    if (!Style3D) {
        Canvas->DrawTextEx(Text, r, TextFlags);
        return;
    }
    // What this call changes on the device context is put back, also when drawing fails.
    bool clipped = false, traced = false;
    TScopeExit restore([&] {
        if (clipped) Canvas->ClearClip();
        if (traced) Canvas->SetTextCharacterExtra(0);
    });
    if (HasStyle(Styles, TFxDrawTextStyle::dtClip)) {
        Canvas->SetClipRect(Clip ? *Clip : r);
        clipped = true;
    }
    const auto [style, face] = StyleAndFace(Canvas, Style3D, Styles);
    if (Style3D->Tracing() != 0) {
        Canvas->SetTextCharacterExtra(Style3D->Tracing());
        traced = true;
    }
    Canvas->Brush()->SetStyle(TBrushStyle::bsClear);
    TRect T = r;
    DrawCopies(CopyDrawer{Canvas, Text, TextFlags, T}, Canvas, style, Style3D, face);
}

void FxDrawTextCalc(const QString& Text, const TFx3DCaption* Style3D, TRect& R, const TFont* Font, bool MultiLine,
                    bool ShowAccel, int32_t Margin, int32_t ExtraFlags)
{
    FxDrawTextCalcExt(ScreenCanvas(), Text, Style3D, R, Font, MultiLine, ShowAccel, Margin, ExtraFlags);
}

void FxDrawTextCalcExt(TCanvas* Canvas, const QString& Text, const TFx3DCaption* Style3D, TRect& R,
                       const TFont* Font, bool MultiLine, bool ShowAccel, int32_t Margin, int32_t ExtraFlags)
{
    Canvas->SetFont(Font);
    uint32_t flags = uint32_t(ExtraFlags) | DT_CALCRECT | DT_EXPANDTABS;
    if (MultiLine) flags |= DT_WORDBREAK;
    const bool blank = Text.isEmpty() || (ShowAccel && Text == QLatin1String("&"));
    if (!ShowAccel) flags |= DT_NOPREFIX;
    // The spacing is the style's (none without one), whatever the canvas had, and belongs to
    // this measurement only, as it would to a borrowed device context.
    const int oldExtra = Canvas->SetTextCharacterExtra(Style3D ? Style3D->Tracing() : 0);
    TScopeExit restore([Canvas, oldExtra] { Canvas->SetTextCharacterExtra(oldExtra); });
    Canvas->DrawTextEx(blank ? QStringLiteral(" ") : Text, R, flags);
    if (Style3D) {
        const int depth = CalcDepth(Style3D);
        R.Right += depth;
        R.Bottom += depth;
    }
    const int margin = (Margin + 1) * 2;
    R.Right += margin;
    R.Bottom += margin;
}

int32_t FxGet3DTextWidth(const QString& Text, const TFx3DCaption* Style3D, const TFont* Font)
{
    if (!Style3D) return 0;
    TCanvas* c = ScreenCanvas();
    c->SetFont(Font);
    const int old = c->SetTextCharacterExtra(Style3D->Tracing());
    TPoint size;
    const int width = c->GetTextExtentPoint(Text, size) ? size.X : 0;
    c->SetTextCharacterExtra(old);
    return width + QuickDepth(Style3D);
}

int32_t FxGet3DTextHeight(const TFx3DCaption* Style3D, const TFont* Font)
{
    TCanvas* c = ScreenCanvas();
    c->SetFont(Font);
    TPoint size;
    const int height = c->GetTextExtentPoint(QStringLiteral("W"), size) ? size.Y : 0;
    return height + (Style3D ? QuickDepth(Style3D) : 0);
}

TColor FxGradientGetColor(TColor Color1, TColor Color2, int32_t Index, int32_t Count)
{
    if (Count == 0) return Color1 & 0x00FFFFFF;
    auto channel = [&](int shift) {
        const double a = (Color1 >> shift) & 0xFF;
        const double b = (Color2 >> shift) & 0xFF;
        return Trunc(a + (b - a) * Index / Count) & 0xFF;
    };
    return TColor(channel(0) | (channel(8) << 8) | (channel(16) << 16));
}
