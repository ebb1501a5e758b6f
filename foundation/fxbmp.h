// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Pixel routines of the component library: grey scale, mirrors, invert, brightness and alpha
// blend on 24-bit images (three bytes per pixel: blue, green, red), row by row, rows
// BytesPerLine() apart. Lookup tables replace per-pixel multiplication.
#pragma once

#include "platform/graphics.h"

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Pixel routines on 24-bit images (blue, green, red), row by row. Each reads the rectangle R
// of Source and writes the result at TargetPos in Target; Source and Target may be the same
// image (then the work is done in place). R is cut to the source, and the target area to the
// target image. Only FxBMPAlphaBlend checks the pixel format.
// ---------------------------------------------------------------------------------------------
class EFxWrongPixelFormat : public Exception {
public:
    using Exception::Exception;
};

// Grey value T30[red] + T59[green] + T11[blue] into all three channels (white gives 254).
void FxBMPGrayScale(TBitmap* Source, const TRect& R, TBitmap* Target, TPoint TargetPos);
// Mirror top to bottom.
void FxBMPFlipHorizonzal(TBitmap* Source, const TRect& R, TBitmap* Target, TPoint TargetPos);
// Mirror left to right.
void FxBMPFlipVertical(TBitmap* Source, const TRect& R, TBitmap* Target, TPoint TargetPos);
// Each channel c becomes 255 - c.
void FxBMPInvert(TBitmap* Source, const TRect& R, TBitmap* Target, TPoint TargetPos);
// Brightness (-255 .. 255) added to each channel, clamped to 0 .. 255.
void FxBMPBrightness(TBitmap* Source, const TRect& R, TBitmap* Target, int Brightness, TPoint TargetPos);
// Each channel becomes c2 + D[c1 - c2] with D[d] = d x Strength rounded to even: Strength 1
// keeps Source1, 0 gives Source2. Raises EFxWrongPixelFormat ("Wrong PixelFormat in Source 1
// bitmap!", then "Source 2", "Target") for an image that is not 24 bits per pixel.
void FxBMPAlphaBlend(TBitmap* Source1, TBitmap* Source2, const TRect& R, TPoint TargetPos, float Strength,
                     TBitmap* Target, TPoint Source2Pos);

// The lookup tables behind the grey scale and the blend, for callers that need the exact
// values: i x 0.3, i x 0.59, i x 0.11 and d x Strength (d = -255 .. 255, entry d + 255), each
// as computed in 80-bit extended precision and rounded to the nearest integer, ties to even.
// The grey tables are constants (the same on every architecture); the routines keep the blend
// table of the last strength used.
struct FxGrayTables {
    uint8_t T30[256];
    uint8_t T59[256];
    uint8_t T11[256];
};
FxGrayTables FxBuildGrayTables();
void FxBuildBlendTable(float Strength, int16_t (&D)[511]);
