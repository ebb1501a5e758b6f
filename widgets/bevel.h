// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// tirlink::Bevel: a bevelled frame: an outer edge, a band of the border colour, an inner edge,
// each of a shape and a width, in the palette's Light and Dark colours (and Window for the
// band) until colours are set. Inside the frame the parents' painting shows through. The
// frame is drawn around the widget; it holds no child widgets of its own (lay them over it).
// GUI thread only.
#pragma once

#include "widgets/hostwidget.h"

#include <QColor>

class TFxBevel;
class TWidgetPainting;

namespace tirlink {

class Bevel : public HostWidget {
    Q_OBJECT
    Q_PROPERTY(Shape outerShape READ outerShape WRITE setOuterShape NOTIFY outerShapeChanged)
    Q_PROPERTY(Shape innerShape READ innerShape WRITE setInnerShape NOTIFY innerShapeChanged)
    Q_PROPERTY(int edgeWidth READ edgeWidth WRITE setEdgeWidth NOTIFY edgeWidthChanged)
    Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth NOTIFY borderWidthChanged)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor RESET unsetBorderColor NOTIFY borderColorChanged)
    Q_PROPERTY(QColor lightColor READ lightColor WRITE setLightColor RESET unsetLightColor NOTIFY lightColorChanged)
    Q_PROPERTY(QColor shadowColor READ shadowColor WRITE setShadowColor RESET unsetShadowColor NOTIFY shadowColorChanged)

public:
    // The shape of an edge: none, a lowered or raised step, a lowered or raised frame (a groove
    // or a ridge), a one-pixel line, or a drop shadow to the right and below.
    enum Shape { None, Lowered, Raised, FrameLowered, FrameRaised, Line, Shadow };
    Q_ENUM(Shape)

    // Defaults: a raised outer edge, no inner edge, edges 1 pixel wide, no band.
    explicit Bevel(QWidget* parent = nullptr);
    ~Bevel() override;

    // A shadow outside is a shadow inside as well (it is one shape across both).
    Shape outerShape() const;
    void setOuterShape(Shape shape);
    Shape innerShape() const;
    void setInnerShape(Shape shape);
    // Both edges' width, 0 .. 50.
    int edgeWidth() const;
    void setEdgeWidth(int width);
    // The band between the edges, 0 .. 255.
    int borderWidth() const;
    void setBorderWidth(int width);
    // Invalid until set: the palette's Window, Light and Dark colours.
    QColor borderColor() const { return m_colors[0]; }
    void setBorderColor(const QColor& color);
    void unsetBorderColor() { setBorderColor(QColor()); }
    QColor lightColor() const { return m_colors[1]; }
    void setLightColor(const QColor& color);
    void unsetLightColor() { setLightColor(QColor()); }
    QColor shadowColor() const { return m_colors[2]; }
    void setShadowColor(const QColor& color);
    void unsetShadowColor() { setShadowColor(QColor()); }

    // The frame's width on each side (more on the right and bottom with a shadow): what the
    // frame leaves for contents is the widget's rectangle less these.
    QMargins frameMargins() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void outerShapeChanged(tirlink::Bevel::Shape shape);
    void innerShapeChanged(tirlink::Bevel::Shape shape);
    void edgeWidthChanged(int width);
    void borderWidthChanged(int width);
    void borderColorChanged(const QColor& color);
    void lightColorChanged(const QColor& color);
    void shadowColorChanged(const QColor& color);

protected:
    void applyLook() override;

private:
    void setColor(int index, const QColor& color);

    std::unique_ptr<TFxBevel> m_bevel;
    TWidgetPainting* m_control = nullptr;   // owned by the host
    QColor m_colors[3];
};

}  // namespace tirlink
