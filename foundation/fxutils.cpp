// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Index: bevel frames (FxDrawFrame3D, FxDrawFrameShadow) · standard frames (FxDrawStdFrame)
// · gradients · bitmap placement.
#include "foundation/fxutils.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// =============================================================================================
// Bevel frames
// =============================================================================================
bool FxDrawFrame3D(TCanvas* Canvas, TRect& R, TFxBevelStyle Style, TColor LightColor, TColor ShadowColor, int Width)
{
    if (Width <= 0 || Style == TFxBevelStyle::bvNone || Style == TFxBevelStyle::bvShadow) return false;

    TColor tl = clBlack;
    TColor br = clBlack;
    switch (Style) {
    case TFxBevelStyle::bvLowered:
    case TFxBevelStyle::bvFrameLowered:
        tl = ShadowColor;
        br = LightColor;
        break;
    case TFxBevelStyle::bvRaised:
    case TFxBevelStyle::bvFrameRaised:
        tl = LightColor;
        br = ShadowColor;
        break;
    default:
        break;
    }
    const int w = Width;

    if (Style == TFxBevelStyle::bvFrameLowered || Style == TFxBevelStyle::bvFrameRaised) {
        // A groove or ridge: the dark and light outlines interleave, one pixel apart.
        TBrush* brush = Canvas->Brush();
        for (int i = 0; i < w; ++i) {
            brush->SetColor(br);
            Canvas->FrameRect(TRect(R.Left + i + 1, R.Top + i + 1, R.Right, R.Bottom));
            brush->SetColor(tl);
            Canvas->FrameRect(TRect(R.Left, R.Top, R.Right - i - 1, R.Bottom - i - 1));
        }
        R = TRect(R.Left + w + 1, R.Top + w + 1, R.Right - w - 1, R.Bottom - w - 1);
        return true;
    }

    const int b = R.Bottom - 1;
    if (w == 1) {
        TPen* pen = Canvas->Pen();
        pen->SetStyle(TPenStyle::psSolid);
        pen->SetWidth(1);
        pen->SetColor(tl);
        Canvas->Polyline({{R.Left, b}, {R.Left, R.Top}, {R.Right - 1, R.Top}});
        pen->SetColor(br);
        Canvas->Polyline({{R.Right - 1, R.Top}, {R.Right - 1, b}, {R.Left, b}});
    } else {
        // Two filled bands that meet on the diagonals of the top-right and bottom-left corners.
        const int iL = R.Left + w, iT = R.Top + w, iR = R.Right - w, iB = b - w;
        Canvas->Pen()->SetStyle(TPenStyle::psClear);
        TBrush* brush = Canvas->Brush();
        brush->SetStyle(TBrushStyle::bsSolid);
        brush->SetColor(br);
        Canvas->Polygon({{R.Left, b + 1}, {iL, iB}, {iR, iB}, {iR, iT}, {R.Right, R.Top}, {R.Right, b + 1}});
        brush->SetColor(tl);
        Canvas->Polygon({{R.Left, b}, {iL, iB}, {iL, iT}, {iR - 1, iT}, {R.Right - 1, R.Top}, {R.Left, R.Top}});
    }
    R = TRect(R.Left + w, R.Top + w, R.Right - w, R.Bottom - w);
    return true;
}

bool FxDrawFrameShadow(TCanvas* Canvas, TRect& R, TColor FrameColor, TColor ShadowColor, TColor CornerColor,
                       uint8_t Depth, uint8_t FrameWidth, bool Transparent, uint16_t Flags)
{
    const int d = Depth;
    TBrush* brush = Canvas->Brush();
    brush->SetStyle(TBrushStyle::bsSolid);
    Canvas->Pen()->SetStyle(TPenStyle::psClear);

    brush->SetColor(ShadowColor);
    Canvas->FillRect(TRect(R.Right - d, R.Top + d, R.Right, R.Bottom));
    Canvas->FillRect(TRect(R.Left + d, R.Bottom - d, R.Right, R.Bottom));
    if (!Transparent) {
        brush->SetColor(CornerColor);
        Canvas->FillRect(TRect(R.Right - d, R.Top, R.Right, R.Top + d));
        Canvas->FillRect(TRect(R.Left, R.Bottom - d, R.Left + d, R.Bottom));
    }
    R = TRect(R.Left, R.Top, R.Right - d, R.Bottom - d);

    brush->SetColor(FrameColor);
    for (int i = 0; i < FrameWidth; ++i) {
        Canvas->FrameRect(R);
        R.Inflate(-1, -1);
    }
    Canvas->Pen()->SetWidth(1);
    return true;
}

// =============================================================================================
// Standard frames
// =============================================================================================
namespace {

// One step of a standard frame: a DrawEdge call, with or without the caller's extra flags
// (and BF_ADJUST) added, or a one-pixel move of two sides of the rectangle.
struct StdFrameStep {
    enum Kind : uint8_t { None, Edge, EdgePlain, ShrinkTopLeft, ShrinkBottomRight } kind;
    uint32_t edge;
    uint32_t flags;
};

struct StdFrame {
    StdFrameStep steps[3];
    int extent;
};

constexpr uint32_t LT = BF_LEFT | BF_TOP;
constexpr StdFrameStep kShrinkTL{StdFrameStep::ShrinkTopLeft, 0, 0};
constexpr StdFrameStep kShrinkBR{StdFrameStep::ShrinkBottomRight, 0, 0};

// Indexed by TFxBorderStyle.
constexpr StdFrame kStdFrames[] = {
    /* lsNone */ {{}, 0},
    /* lsSingle */
    {{{StdFrameStep::Edge, BDR_SUNKENOUTER, LT | BF_SOFT}, {StdFrameStep::EdgePlain, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM}}, 1},
    /* lsLowered */ {{{StdFrameStep::Edge, EDGE_SUNKEN, BF_RECT | BF_SOFT}}, 2},
    /* lsRaised */ {{{StdFrameStep::Edge, EDGE_RAISED, BF_RECT | BF_SOFT}}, 2},
    /* lsRaisedspb */
    {{{StdFrameStep::Edge, BDR_RAISEDOUTER, BF_RECT | BF_SOFT},
      {StdFrameStep::EdgePlain, BDR_RAISEDINNER, BF_ADJUST | BF_RIGHT | BF_BOTTOM}}, 2},
    /* lsLoweredspb */ {{{StdFrameStep::Edge, BDR_SUNKENOUTER, BF_RECT}, {StdFrameStep::Edge, BDR_SUNKENINNER, LT}}, 2},
    /* lsRaisedExt */
    {{{StdFrameStep::Edge, BDR_RAISEDOUTER, BF_RECT | BF_SOFT},
      {StdFrameStep::EdgePlain, BDR_RAISEDINNER, BF_ADJUST | BF_RIGHT | BF_BOTTOM}, kShrinkTL}, 2},
    /* lsLoweredExt */
    {{{StdFrameStep::Edge, BDR_SUNKENOUTER, BF_RECT}, {StdFrameStep::EdgePlain, BDR_SUNKENINNER, BF_ADJUST | LT}, kShrinkBR}, 2},
    /* lsFrameInset */ {{{StdFrameStep::Edge, EDGE_ETCHED, BF_RECT}}, 2},
    /* lsFrameOffset */ {{{StdFrameStep::Edge, BDR_RAISEDINNER, BF_RECT}, {StdFrameStep::Edge, BDR_SUNKENOUTER, BF_RECT}}, 2},
    /* lsWindowBorder */
    {{{StdFrameStep::Edge, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM}, kShrinkTL, {StdFrameStep::Edge, BDR_RAISEDINNER, BF_RECT}}, 2},
    /* lsSingleRaised */ {{{StdFrameStep::Edge, BDR_RAISEDINNER, BF_RECT}}, 1},
    /* lsSingleLowered */ {{{StdFrameStep::Edge, BDR_SUNKENOUTER, BF_RECT}}, 1},
    /* lsDoubleRaised */ {{{StdFrameStep::Edge, BDR_RAISEDINNER, BF_RECT}, {StdFrameStep::Edge, BDR_RAISEDINNER, BF_RECT}}, 2},
    /* lsDoubleLowered */ {{{StdFrameStep::Edge, BDR_SUNKENOUTER, BF_RECT}, {StdFrameStep::Edge, BDR_SUNKENOUTER, BF_RECT}}, 2},
};
static_assert(sizeof(kStdFrames) / sizeof(kStdFrames[0]) == size_t(TFxBorderStyle::lsDoubleLowered) + 1);

}  // namespace

bool FxDrawStdFrame(TCanvas* Canvas, TRect& R, TFxBorderStyle Style, uint16_t Flags)
{
    for (const StdFrameStep& step : kStdFrames[size_t(Style)].steps) {
        switch (step.kind) {
        case StdFrameStep::None:
            break;
        case StdFrameStep::Edge:
            DrawEdge(Canvas, R, step.edge, step.flags | BF_ADJUST | Flags);
            break;
        case StdFrameStep::EdgePlain:
            DrawEdge(Canvas, R, step.edge, step.flags);
            break;
        case StdFrameStep::ShrinkTopLeft:
            R.Top += 1;
            R.Left += 1;
            break;
        case StdFrameStep::ShrinkBottomRight:
            R.Right -= 1;
            R.Bottom -= 1;
            break;
        }
    }
    return true;
}

int FxDrawStdFrameExt(TFxBorderStyle Style)
{
    return kStdFrames[size_t(Style)].extent;
}

// =============================================================================================
// Gradients
// =============================================================================================
void FxGradientCreateColorList(TColor A, TColor B, int N, bool Clear, std::vector<TColor>& List)
{
    if (N <= 0) return;
    const TColor a = ColorToRGB(A);
    const TColor b = ColorToRGB(B);
    if (Clear) List.clear();
    if (N == 1) {
        // One colour has no step between its ends; it is the start colour.
        if (Clear) List.push_back(a);
        return;
    }
    const int r0 = GetRValue(a), g0 = GetGValue(a), b0 = GetBValue(a);
    const int dr = GetRValue(b) - r0, dg = GetGValue(b) - g0, db = GetBValue(b) - b0;
    for (int i = Clear ? 0 : 1; i < N; ++i) {
        List.push_back(RGB(uint8_t(r0 + MulDiv(i, dr, N - 1)), uint8_t(g0 + MulDiv(i, dg, N - 1)),
                           uint8_t(b0 + MulDiv(i, db, N - 1))));
    }
}

static void PaintGradientShapes(TCanvas* Canvas, const TRect& R, TFxGradientStyle Style,
                                const std::vector<TColor>& Colors)
{
    const int n = int(Colors.size());
    const int L = R.Left, T = R.Top, W = R.Width(), H = R.Height();
    const int Cx = L + W / 2, Cy = T + H / 2;
    const int R1 = L + W + 1;
    TBrush* brush = Canvas->Brush();
    brush->SetStyle(TBrushStyle::bsSolid);
    Canvas->Pen()->SetStyle(TPenStyle::psClear);

    if (Style == TFxGradientStyle::gstHorizontal) {
        for (int i = 0; i < n; ++i) {
            brush->SetColor(Colors[size_t(i)]);
            Canvas->FillRect(TRect(L + MulDiv(i, W, n), T, L + MulDiv(i + 1, W, n), T + H));
        }
        return;
    }
    // The largest shape first, so the smaller ones of the earlier colours end on top.
    for (int i = n - 1; i >= 0; --i) {
        const int a = MulDiv(i + 1, W, n);
        const int b = MulDiv(i + 1, H, n);
        brush->SetColor(Colors[size_t(i)]);
        switch (Style) {
        case TFxGradientStyle::gstHorizontal:
            break;
        case TFxGradientStyle::gstVertical:
            Canvas->FillRect(TRect(L, T + MulDiv(i, H, n), L + W, T + b));
            break;
        case TFxGradientStyle::gstSquare:
            Canvas->Rectangle(Cx - a / 2, Cy - b / 2, Cx + a / 2 + 2, Cy + b / 2 + 2);
            break;
        case TFxGradientStyle::gstElliptic: {
            const int ra = int(Round64(a / 1.4L));
            const int rb = int(Round64(b / 1.4L));
            Canvas->Ellipse(Cx - ra, Cy - rb, Cx + ra, Cy + rb);
            break;
        }
        case TFxGradientStyle::gstTopLeft:
            Canvas->Rectangle(L, T, L + 1 + a, T + 1 + b);
            break;
        case TFxGradientStyle::gstTopRight:
            Canvas->Rectangle(L + W - a, T + 1 + b, L + W + 1, T);
            break;
        case TFxGradientStyle::gstBottomLeft:
            Canvas->Rectangle(L + 1 + a, T + H - b, L, T + H + 1);
            break;
        case TFxGradientStyle::gstBottomRight:
            Canvas->Rectangle(L + W - a, T + H - b, L + W + 1, T + H + 1);
            break;
        case TFxGradientStyle::gstTopLeftDiagonal:
            Canvas->Polygon({{L, T}, {L + 2 * a, T}, {L, T + 1 + 2 * b}, {L - 2 * a, T + 1 + 2 * b}});
            break;
        case TFxGradientStyle::gstTopRightDiagonal:
            Canvas->Polygon({{R1, T}, {R1 - 2 * a, T}, {R1, T + 2 * b}, {R1 + 2 * a, T + 2 * b}});
            break;
        }
    }
}

void FxGradientPaintExt(TCanvas* Canvas, const TRect& R, TFxGradientStyle Style, const std::vector<TColor>& Colors,
                        const TFxPalette* Palette, uint16_t Flags)
{
    if (Colors.empty() || R.IsEmpty()) return;
    // GRAD_PALETTE: realising a palette changes nothing on 24-bit images and displays.
    if (Flags & GRAD_USEBITMAP) {
        // The shapes that reach beyond R are cut by the temporary image.
        TBitmap work(R.Width(), R.Height());
        PaintGradientShapes(work.Canvas(), TRect(0, 0, R.Width(), R.Height()), Style, Colors);
        Canvas->Draw(R.Left, R.Top, &work);
    } else {
        PaintGradientShapes(Canvas, R, Style, Colors);
    }
}

// =============================================================================================
// Bitmap placement
// =============================================================================================
TRect FxAlignRect(const TRect& Source, const TRect& Target, TFxAlignment Alignment)
{
    const int w = Source.Width(), h = Source.Height();
    const int column = int(Alignment) % 3;   // left, centre, right
    const int row = int(Alignment) / 3;      // top, centre, bottom
    int x = Target.Left;
    int y = Target.Top;
    if (column == 1) x += (Target.Width() - w) / 2;
    if (column == 2) x += Target.Width() - w;
    if (row == 1) y += (Target.Height() - h) / 2;
    if (row == 2) y += Target.Height() - h;
    return Bounds(x, y, w, h);
}

void FxBmpDraw(TCanvas* Canvas, const TRect& R, const TBitmap* Bitmap, uint16_t Flags)
{
    if (R.IsEmpty() || !Bitmap || Bitmap->Empty()) return;
    // BMPDRAW_PALETTE: realising the picture's palette changes nothing at 24 bits.
    const int w = Bitmap->Width(), h = Bitmap->Height();
    if (Flags & BMPDRAW_STRETCH) {
        Canvas->StretchDraw(R, Bitmap);
    } else if (Flags & BMPDRAW_TILE) {
        const int cols = R.Width() / w + 1;
        const int rows = R.Height() / h + 1;
        for (int j = 0; j <= rows; ++j)
            for (int i = 0; i <= cols; ++i) Canvas->Draw(R.Left + i * w, R.Top + j * h, Bitmap);
    } else if (Flags & BMPDRAW_CENTER) {
        Canvas->Draw(R.Left + (R.Width() - w) / 2, R.Top + (R.Height() - h) / 2, Bitmap);
    } else {
        Canvas->Draw(R.Left, R.Top, Bitmap);
    }
}
