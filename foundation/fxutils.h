// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Drawing routines of the component library: bevel frames, standard (edge) frames, gradients,
// and placed / centred / stretched / tiled bitmaps. The pixel routines that transform 24-bit
// images row by row live in fxbmp.h, included here.
//
// All routines take the library's TRect (right and bottom exclusive) and draw nothing into an
// empty rectangle. Palettes: every image here has 24 bits per pixel and the display more than
// 8, so selecting and realising a palette has no effect; the palette flags are accepted and
// change nothing.
#pragma once

#include "foundation/fxbmp.h"
#include "platform/graphics.h"

#include <cstdint>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Kinds of frames
// ---------------------------------------------------------------------------------------------
enum class TFxBevelStyle : uint8_t { bvNone, bvLowered, bvRaised, bvFrameLowered, bvFrameRaised, bvNormal, bvShadow };

enum class TFxBorderStyle : uint8_t {
    lsNone, lsSingle, lsLowered, lsRaised, lsRaisedspb, lsLoweredspb, lsRaisedExt, lsLoweredExt,
    lsFrameInset, lsFrameOffset, lsWindowBorder, lsSingleRaised, lsSingleLowered, lsDoubleRaised,
    lsDoubleLowered,
};

// A 3D bevel of Width pixels in Style, light and shadow colours swapped for the lowered
// styles (bvNormal is black on both sides). On success R becomes the rectangle inside the
// bevel (the frame styles take one pixel more) and the result is true; with Width 0, bvNone
// or bvShadow nothing is drawn, R stays and the result is false. Uses the canvas's pen and
// brush, which it leaves changed.
bool FxDrawFrame3D(TCanvas* Canvas, TRect& R, TFxBevelStyle Style, TColor LightColor, TColor ShadowColor, int Width);

// A frame of FrameWidth pixels in FrameColor with a drop shadow of Depth pixels in
// ShadowColor along the right and bottom sides; unless Transparent, the two corners that the
// shadow leaves free take CornerColor. R becomes the rectangle inside the frame. Flags are
// not used. Returns true.
bool FxDrawFrameShadow(TCanvas* Canvas, TRect& R, TColor FrameColor, TColor ShadowColor, TColor CornerColor,
                       uint8_t Depth, uint8_t FrameWidth, bool Transparent, uint16_t Flags);

// A standard frame drawn with DrawEdge; Flags are OR-ed into the edge flags of the calls that
// take them. R shrinks by what was drawn (not always the same on every side: lsSingle only at
// the left and top). Returns true.
bool FxDrawStdFrame(TCanvas* Canvas, TRect& R, TFxBorderStyle Style, uint16_t Flags);
// The nominal width of the frame FxDrawStdFrame draws for Style: 0, 1 or 2.
int FxDrawStdFrameExt(TFxBorderStyle Style);

// ---------------------------------------------------------------------------------------------
// Gradients
// ---------------------------------------------------------------------------------------------
enum class TFxGradientStyle : uint8_t {
    gstHorizontal, gstVertical, gstSquare, gstElliptic, gstTopLeft, gstTopRight, gstBottomLeft,
    gstBottomRight, gstTopLeftDiagonal, gstTopRightDiagonal,
};

// A logical palette: the colours of a gradient, kept while the gradient realises its palette.
using TFxPalette = std::vector<TColor>;

// Appends the colours from A to B in N steps to List (A and B resolved first, system colours
// included). With Clear the list is emptied and colours 0 .. N-1 appended, otherwise 1 .. N-1
// (so that chained segments share their end colours). Colour i is A + (B - A) * i / (N - 1)
// per channel, rounded half away from zero. N 0 appends nothing; N 1 has no step to divide
// by and stands for A alone (appended only with Clear).
void FxGradientCreateColorList(TColor A, TColor B, int N, bool Clear, std::vector<TColor>& List);

// Flags of FxGradientPaintExt.
constexpr uint16_t GRAD_USEBITMAP = 0x0004;    // draw into a temporary bitmap, then copy it
constexpr uint16_t GRAD_PALETTE = 0x1000;      // select and realise Palette (no effect at 24 bits)

// Paints Colors as a gradient of Style into R: bands for gstHorizontal / gstVertical, nested
// shapes for the others (largest first, so the first colour ends on top). Nothing for an
// empty list or rectangle. Without GRAD_USEBITMAP the shapes that reach beyond R are drawn
// onto the canvas as they fall. Leaves the canvas's brush solid and its pen clear.
void FxGradientPaintExt(TCanvas* Canvas, const TRect& R, TFxGradientStyle Style, const std::vector<TColor>& Colors,
                        const TFxPalette* Palette, uint16_t Flags);

// ---------------------------------------------------------------------------------------------
// Bitmap placement
// ---------------------------------------------------------------------------------------------
enum class TFxAlignment : uint8_t {
    agTopLeft, agTopCenter, agTopRight, agCenterLeft, agCenter, agCenterRight, agBottomLeft, agBottomCenter,
    agBottomRight,
};

// Source's size placed inside Target by Alignment; halves truncate toward zero, so a source
// larger than the target overhangs both sides.
TRect FxAlignRect(const TRect& Source, const TRect& Target, TFxAlignment Alignment);

// Flags of FxBmpDraw.
constexpr uint16_t BMPDRAW_CENTER = 0x0008;
constexpr uint16_t BMPDRAW_STRETCH = 0x0010;
constexpr uint16_t BMPDRAW_TILE = 0x0020;
constexpr uint16_t BMPDRAW_PALETTE = 0x1000;   // realise the picture's palette (no effect at 24 bits)

// Draws the whole of Bitmap into R: at R's top-left corner (no mode flag), centred, stretched
// over R, or tiled from R's top-left corner. Copies are not clipped to R (only to the canvas).
// Nothing for an empty R or picture.
void FxBmpDraw(TCanvas* Canvas, const TRect& R, const TBitmap* Bitmap, uint16_t Flags);
