// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
#include "widgets/caption3d.h"

#include "scrolltext/fx3dcaption.h"
#include "scrolltext/fxtextutils.h"
#include "widgets/look.h"
#include "widgets/paintedcontrol.h"

#include <algorithm>

namespace tirlink {

Caption3D::Caption3D(QWidget* parent) : Caption3D(QStringLiteral("Caption3D"), parent) {}

Caption3D::Caption3D(const QString& text, QWidget* parent)
    : HostWidget(parent), m_style(new TFx3DCaption), m_textValue(text)
{
    m_style->SetStyle(TFxThreeDStyle::tdRaised);
    m_style->SetShadowDepth(2);
    m_control = new TWidgetPainting(host(), QAccessible::StaticText, [this](TCanvas* c, const TRect& r) {
        c->SetFont(m_control->Font());
        uint32_t flags = DT_SINGLELINE | DT_NOPREFIX;
        flags |= m_alignment & Qt::AlignRight ? DT_RIGHT : m_alignment & Qt::AlignLeft ? DT_LEFT : DT_CENTER;
        flags |= m_alignment & Qt::AlignTop ? DT_TOP : m_alignment & Qt::AlignBottom ? DT_BOTTOM : DT_VCENTER;
        const TFxDrawTextStyles enabled =
            DrawTextStyles(m_control->Enabled() ? TFxDrawTextStyle::dtEnabled : TFxDrawTextStyle::dtDisabled);
        FxDrawTextExt(c, m_textValue, m_style.get(), r, flags, enabled);
    });
    m_control->SetCaption(text);
    m_style->OnChange = [this](TObject*) { changed(); };
    setControl(m_control);
}

Caption3D::~Caption3D()
{
    m_style->OnChange = nullptr;
}

void Caption3D::changed()
{
    m_control->Invalidate();
    updateGeometry();
}

void Caption3D::setText(const QString& text)
{
    if (text == m_textValue) return;
    m_textValue = text;
    m_control->SetCaption(text);
    m_control->AccessibleNameChanged();
    changed();
    emit textChanged(text);
}

Caption3D::TextStyle Caption3D::textStyle() const
{
    return TextStyle(int(m_style->Style()));
}

void Caption3D::setTextStyle(TextStyle style)
{
    if (style == textStyle()) return;
    m_style->SetStyle(look::StyleOf(style));
    emit textStyleChanged(style);
}

void Caption3D::setLightFrom(LightFrom from)
{
    if (from == m_lightFrom) return;
    m_lightFrom = from;
    m_style->SetOrientation(look::OrientationOf(from));
    emit lightFromChanged(from);
}

int Caption3D::lightDepth() const
{
    return m_style->LightDepth();
}

void Caption3D::setLightDepth(int depth)
{
    depth = std::clamp(depth, 0, 255);
    if (depth == lightDepth()) return;
    m_style->SetLightDepth(uint8_t(depth));
    emit lightDepthChanged(depth);
}

int Caption3D::shadowDepth() const
{
    return m_style->ShadowDepth();
}

void Caption3D::setShadowDepth(int depth)
{
    depth = std::clamp(depth, 0, 255);
    if (depth == shadowDepth()) return;
    m_style->SetShadowDepth(uint8_t(depth));
    emit shadowDepthChanged(depth);
}

void Caption3D::setLightColor(const QColor& color)
{
    if (color == m_lightColor) return;
    m_lightColor = color;
    applyLook();
    emit lightColorChanged(color);
}

void Caption3D::setShadowColor(const QColor& color)
{
    if (color == m_shadowColor) return;
    m_shadowColor = color;
    applyLook();
    emit shadowColorChanged(color);
}

void Caption3D::setAlignment(Qt::Alignment alignment)
{
    if (alignment == m_alignment) return;
    m_alignment = alignment;
    changed();
    emit alignmentChanged(alignment);
}

QSize Caption3D::sizeHint() const
{
    TRect r(0, 0, 0, 0);
    FxDrawTextCalc(m_textValue, m_style.get(), r, m_control->Font(), false, false, 0, 0);
    return QSize(r.Width(), r.Height());
}

void Caption3D::applyLook()
{
    TFont* font = m_control->Font();
    font->AssignQFont(this->font());
    font->SetColor(look::ColorOf(palette().color(QPalette::WindowText)));
    m_style->SetLightColor(look::ColorOf(m_lightColor.isValid() ? m_lightColor : palette().color(QPalette::Light)));
    m_style->SetShadowColor(look::ColorOf(m_shadowColor.isValid() ? m_shadowColor : palette().color(QPalette::Dark)));
    changed();
}

}  // namespace tirlink
