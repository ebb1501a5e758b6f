// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Measuring and drawing text in the 3D styles of TFx3DCaption.
//
// Measuring goes through the screen's measuring canvas (a canvas without a target: font
// metrics only), drawing through the given canvas; a text measures exactly as wide as it is
// drawn. GUI thread only.
#pragma once

#include "platform/graphics.h"
#include "scrolltext/fx3dcaption.h"

// Draws Text into R in the 3D style of Style3D (plain DrawTextEx with the canvas's current
// font and background mode when Style3D is nullptr). TextFlags are DrawTextEx flags; of
// Styles only dtEnabled, dt3DDisabled and dtClip are read; with dtClip drawing is clipped to
// Clip, or to R without one. Nothing is drawn for an empty text or rectangle. Leaves the
// brush clear and the font colour at the face colour (tdOutline also the pen solid, in the
// face colour, ShadowDepth wide); clipping and extra spacing are restored.
void FxDrawTextExt(TCanvas* Canvas, const QString& Text, const TFx3DCaption* Style3D, const TRect& R,
                   uint32_t TextFlags, TFxDrawTextStyles Styles, const TRect* Clip = nullptr);

// Measures Text in Font: R keeps its left and top; its right and bottom become the extent,
// grown by the style's depth (ShadowDepth also for tdOutline and the extrusions) and by
// (Margin + 1) * 2. An empty text (or "&" with ShowAccel) measures as one blank. MultiLine
// wraps at R's width; without ShowAccel "&" is an ordinary character.
void FxDrawTextCalc(const QString& Text, const TFx3DCaption* Style3D, TRect& R, const TFont* Font, bool MultiLine,
                    bool ShowAccel, int32_t Margin, int32_t ExtraFlags);
// The same through the given canvas, whose font becomes Font.
void FxDrawTextCalcExt(TCanvas* Canvas, const QString& Text, const TFx3DCaption* Style3D, TRect& R,
                       const TFont* Font, bool MultiLine, bool ShowAccel, int32_t Margin, int32_t ExtraFlags);

// The advance of Text in Font with the style's tracing, plus the style's depth (nothing for
// tdOutline and the extrusions); 0 without a style object.
int32_t FxGet3DTextWidth(const QString& Text, const TFx3DCaption* Style3D, const TFont* Font);
// The height of one line of Font plus the style's depth (as in FxGet3DTextWidth).
int32_t FxGet3DTextHeight(const TFx3DCaption* Style3D, const TFont* Font);

// Colour Index of Count between Color1 (Index 0) and Color2 (Index Count), per byte
// truncated toward zero; system colours are not resolved. Count 0 gives Color1.
TColor FxGradientGetColor(TColor Color1, TColor Color2, int32_t Index, int32_t Count);
