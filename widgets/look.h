// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed. How the widgets' Qt-style values map onto the
// controls' own: colours, alignment, the 3D text look and the bevel shapes.
#pragma once

#include "foundation/fxbevel.h"
#include "platform/graphics.h"
#include "scrolltext/fx3dcaption.h"
#include "widgets/enums.h"

#include <QColor>

namespace tirlink::look {

// An opaque Qt colour as the library's 0x00BBGGRR colour.
inline TColor ColorOf(const QColor& c)
{
    return TColor(uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16);
}

// The horizontal part of a Qt alignment, and back (left, right, otherwise centred).
inline TAlignment AlignmentOf(Qt::Alignment a)
{
    if (a & Qt::AlignLeft) return TAlignment::taLeftJustify;
    if (a & Qt::AlignRight) return TAlignment::taRightJustify;
    return TAlignment::taCenter;
}
inline Qt::Alignment QtAlignmentOf(TAlignment a)
{
    switch (a) {
    case TAlignment::taLeftJustify: return Qt::AlignLeft | Qt::AlignVCenter;
    case TAlignment::taRightJustify: return Qt::AlignRight | Qt::AlignVCenter;
    case TAlignment::taCenter: break;
    }
    return Qt::AlignCenter;
}

// The enumerations follow the library's order one for one.
inline TFxThreeDStyle StyleOf(TextStyle3D s) { return TFxThreeDStyle(int(s)); }

inline TFxThreeDOrientation OrientationOf(LightFrom o)
{
    switch (o) {
    case LightFrom::BottomLeft: return TFxThreeDOrientation::toBottomLeft;
    case LightFrom::BottomRight: return TFxThreeDOrientation::toBottomRight;
    case LightFrom::TopRight: return TFxThreeDOrientation::toTopRight;
    case LightFrom::TopLeft: break;
    }
    return TFxThreeDOrientation::toTopLeft;
}

// A bevel drawn as one edge of the given shape in the library's custom mode, Width pixels
// wide (the shadow as wide as the width).
inline void ShapeBevel(TFxBevel* Bevel, BevelShape Shape, int Width)
{
    const TFxBevelStyle s = TFxBevelStyle(int(Shape));
    Bevel->SetMode(TFxBevelMode::bmCustom);
    Bevel->SetStyleInner(Shape == BevelShape::Shadow ? TFxBevelStyle::bvShadow : TFxBevelStyle::bvNone);
    Bevel->SetStyleOuter(s);
    Bevel->SetWidthOuter(Width);
    Bevel->SetWidthInner(Width);
}

}  // namespace tirlink::look
