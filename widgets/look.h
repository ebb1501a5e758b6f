// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed. How the widgets' Qt-style values map onto the
// controls' own: colours, alignment, the 3D text look and the bevel shapes.
#pragma once

#include "foundation/fxbevel.h"
#include "platform/graphics.h"
#include "scrolltext/fx3dcaption.h"
#include "widgets/bevel.h"
#include "widgets/caption3d.h"

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
inline TFxThreeDStyle StyleOf(Caption3D::TextStyle s) { return TFxThreeDStyle(int(s)); }

inline TFxThreeDOrientation OrientationOf(Caption3D::LightFrom o)
{
    switch (o) {
    case Caption3D::BottomLeft: return TFxThreeDOrientation::toBottomLeft;
    case Caption3D::BottomRight: return TFxThreeDOrientation::toBottomRight;
    case Caption3D::TopRight: return TFxThreeDOrientation::toTopRight;
    case Caption3D::TopLeft: break;
    }
    return TFxThreeDOrientation::toTopLeft;
}

// A bevel drawn as one edge of the given shape in the library's custom mode, Width pixels
// wide (the shadow as wide as the width).
inline void ShapeBevel(TFxBevel* Target, Bevel::Shape Shape, int Width)
{
    const TFxBevelStyle s = TFxBevelStyle(int(Shape));
    Target->SetMode(TFxBevelMode::bmCustom);
    Target->SetStyleInner(Shape == Bevel::Shadow ? TFxBevelStyle::bvShadow : TFxBevelStyle::bvNone);
    Target->SetStyleOuter(s);
    Target->SetWidthOuter(Width);
    Target->SetWidthInner(Width);
}

}  // namespace tirlink::look
