// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The kinds shared by more than one of the library's widgets, known to Qt's meta-object system
// so that they are properties of their own in Designer and in QML-free property code.
#pragma once

#include <QObject>

namespace tirlink {
Q_NAMESPACE

// How a text is drawn in relief: its light and shadow copies (depths and colours are
// properties of the widget that draws it).
enum class TextStyle3D {
    None, Sunken, Raised, SunkenShadow, RaisedShadow, ColorSunken, ColorRaised, Shadow, Outline, Extrude,
    ExtrudeShaded,
};
Q_ENUM_NS(TextStyle3D)

// Where the light of a 3D text comes from.
enum class LightFrom { BottomLeft, BottomRight, TopLeft, TopRight };
Q_ENUM_NS(LightFrom)

// The shape of a bevel's edge: none, a lowered or raised step, a lowered or raised frame (a
// groove or a ridge), a one-pixel line, or a drop shadow to the right and below.
enum class BevelShape { None, Lowered, Raised, FrameLowered, FrameRaised, Line, Shadow };
Q_ENUM_NS(BevelShape)

}  // namespace tirlink
