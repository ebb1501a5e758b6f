// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// tirlink::Caption3D: a caption drawn in relief (raised, sunken, shadowed, outlined or
// extruded) in font() and the palette's WindowText colour, over what its parents paint. The
// light and shadow copies take the palette's Light and Dark colours until colours are set.
// GUI thread only.
#pragma once

#include "widgets/hostwidget.h"

#include <QColor>

class TFx3DCaption;
class TWidgetPainting;

namespace tirlink {

class Caption3D : public HostWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(TextStyle textStyle READ textStyle WRITE setTextStyle NOTIFY textStyleChanged)
    Q_PROPERTY(LightFrom lightFrom READ lightFrom WRITE setLightFrom NOTIFY lightFromChanged)
    Q_PROPERTY(int lightDepth READ lightDepth WRITE setLightDepth NOTIFY lightDepthChanged)
    Q_PROPERTY(int shadowDepth READ shadowDepth WRITE setShadowDepth NOTIFY shadowDepthChanged)
    Q_PROPERTY(QColor lightColor READ lightColor WRITE setLightColor RESET unsetLightColor NOTIFY lightColorChanged)
    Q_PROPERTY(QColor shadowColor READ shadowColor WRITE setShadowColor RESET unsetShadowColor NOTIFY shadowColorChanged)
    Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment NOTIFY alignmentChanged)

public:
    // How the text is drawn in relief: its light and shadow copies.
    enum TextStyle {
        Flat, Sunken, Raised, SunkenShadow, RaisedShadow, ColorSunken, ColorRaised, Shadow, Outline, Extrude,
        ExtrudeShaded,
    };
    Q_ENUM(TextStyle)
    // Where the light comes from.
    enum LightFrom { BottomLeft, BottomRight, TopLeft, TopRight };
    Q_ENUM(LightFrom)

    // Defaults: "Caption3D", raised, light from the top left, depths 1 and 2, centred.
    explicit Caption3D(QWidget* parent = nullptr);
    explicit Caption3D(const QString& text, QWidget* parent = nullptr);
    ~Caption3D() override;

    QString text() const { return m_textValue; }
    void setText(const QString& text);
    TextStyle textStyle() const;
    void setTextStyle(TextStyle style);
    LightFrom lightFrom() const { return m_lightFrom; }
    void setLightFrom(LightFrom from);
    // 0 .. 255 pixels each.
    int lightDepth() const;
    void setLightDepth(int depth);
    int shadowDepth() const;
    void setShadowDepth(int depth);
    // Invalid until set: the palette's Light and Dark colours are used.
    QColor lightColor() const { return m_lightColor; }
    void setLightColor(const QColor& color);
    void unsetLightColor() { setLightColor(QColor()); }
    QColor shadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor& color);
    void unsetShadowColor() { setShadowColor(QColor()); }
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    // The text's extent with its relief.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void textChanged(const QString& text);
    void textStyleChanged(tirlink::Caption3D::TextStyle style);
    void lightFromChanged(tirlink::Caption3D::LightFrom from);
    void lightDepthChanged(int depth);
    void shadowDepthChanged(int depth);
    void lightColorChanged(const QColor& color);
    void shadowColorChanged(const QColor& color);
    void alignmentChanged(Qt::Alignment alignment);

protected:
    void applyLook() override;

private:
    void changed();

    std::unique_ptr<TFx3DCaption> m_style;
    TWidgetPainting* m_control = nullptr;   // owned by the host
    QString m_textValue;
    LightFrom m_lightFrom = TopLeft;
    QColor m_lightColor, m_shadowColor;
    Qt::Alignment m_alignment = Qt::AlignCenter;
};

}  // namespace tirlink
