// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
#include "widgets/bevel.h"

#include "foundation/fxbevel.h"
#include "widgets/look.h"
#include "widgets/paintedcontrol.h"

#include <algorithm>

namespace tirlink {

Bevel::Bevel(QWidget* parent) : HostWidget(parent), m_bevel(new TFxBevel)
{
    m_bevel->SetStyleOuter(TFxBevelStyle::bvRaised);
    m_control = new TWidgetPainting(host(), QAccessible::Border, [this](TCanvas* c, const TRect& r) {
        m_bevel->PaintBevel(c, r, false);
    });
    m_bevel->OnChange = [this](TObject*) {
        m_control->Invalidate();
        updateGeometry();
    };
    setControl(m_control);
}

Bevel::~Bevel()
{
    m_bevel->OnChange = nullptr;
}

Bevel::Shape Bevel::outerShape() const
{
    return Shape(int(m_bevel->StyleOuter()));
}

void Bevel::setOuterShape(Shape shape)
{
    if (shape == outerShape()) return;
    const Shape inner = innerShape();
    m_bevel->SetStyleOuter(TFxBevelStyle(int(shape)));
    emit outerShapeChanged(shape);
    if (inner != innerShape()) emit innerShapeChanged(innerShape());
}

Bevel::Shape Bevel::innerShape() const
{
    return Shape(int(m_bevel->StyleInner()));
}

void Bevel::setInnerShape(Shape shape)
{
    if (shape == innerShape()) return;
    const Shape outer = outerShape();
    m_bevel->SetStyleInner(TFxBevelStyle(int(shape)));
    emit innerShapeChanged(shape);
    if (outer != outerShape()) emit outerShapeChanged(outerShape());
}

int Bevel::edgeWidth() const
{
    return m_bevel->WidthOuter();
}

void Bevel::setEdgeWidth(int width)
{
    width = std::clamp(width, 0, 50);
    if (width == edgeWidth() && width == m_bevel->WidthInner()) return;
    m_bevel->BeginUpdate();
    m_bevel->SetWidthOuter(width);
    m_bevel->SetWidthInner(width);
    m_bevel->EndUpdate(true);
    emit edgeWidthChanged(width);
}

int Bevel::borderWidth() const
{
    return m_bevel->BorderWidth();
}

void Bevel::setBorderWidth(int width)
{
    width = std::clamp(width, 0, 255);
    if (width == borderWidth()) return;
    m_bevel->SetBorderWidth(width);
    emit borderWidthChanged(width);
}

void Bevel::setBorderColor(const QColor& color)
{
    setColor(0, color);
}

void Bevel::setLightColor(const QColor& color)
{
    setColor(1, color);
}

void Bevel::setShadowColor(const QColor& color)
{
    setColor(2, color);
}

void Bevel::setColor(int index, const QColor& color)
{
    if (color == m_colors[index]) return;
    m_colors[index] = color;
    applyLook();
    switch (index) {
    case 0: emit borderColorChanged(color); break;
    case 1: emit lightColorChanged(color); break;
    default: emit shadowColorChanged(color); break;
    }
}

QMargins Bevel::frameMargins() const
{
    const int near = m_bevel->Extent(), far = std::max(m_bevel->FarExtent(), near);
    return QMargins(near, near, far, far);
}

QSize Bevel::sizeHint() const
{
    return minimumSizeHint() + QSize(60, 40);
}

QSize Bevel::minimumSizeHint() const
{
    const QMargins m = frameMargins();
    return QSize(m.left() + m.right(), m.top() + m.bottom());
}

void Bevel::applyLook()
{
    const QPalette::ColorRole roles[3] = {QPalette::Window, QPalette::Light, QPalette::Dark};
    m_bevel->BeginUpdate();
    for (int i = 0; i < 3; ++i)
        m_bevel->SetColor(i, look::ColorOf(m_colors[i].isValid() ? m_colors[i] : palette().color(roles[i])));
    m_bevel->EndUpdate(true);
}

}  // namespace tirlink
