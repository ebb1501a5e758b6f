// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed. A windowless control that a widget paints through
// a function: the 3D caption and the bevel, which the library offers as painting routines
// rather than as controls. Assistive tools read it with the role and name the widget gives.
#pragma once

#include "platform/controls.h"

#include <functional>

class TWidgetPainting : public TGraphicControl {
public:
    using TPaintFn = std::function<void(TCanvas* Canvas, const TRect& R)>;
    TWidgetPainting(TComponent* AOwner, QAccessible::Role Role, TPaintFn PaintFn)
        : TGraphicControl(AOwner), m_role(Role), m_paint(std::move(PaintFn))
    {
    }
    QString ClassName() const override { return QStringLiteral("TWidgetPainting"); }
    QAccessible::Role AccessibleRole() const override { return m_role; }

protected:
    void Paint() override { m_paint(Canvas(), ClientRect()); }

private:
    QAccessible::Role m_role;
    TPaintFn m_paint;
};
