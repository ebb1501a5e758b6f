// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// tirlink::HyperLinkLabel: a caption that looks like a link: in font() and the palette's Link
// colour, underlined in hoverColor while the pointer is over it, on the palette's Window
// colour. A left click emits clicked(), then linkActivated(url). "&x" underlines x ("&&" is an
// "&"). The caption may have an outline drawn around its letters.
//
// tirlink::WebLabel: a link label that also opens its url with the desktop's handler when
// clicked (or pressed through assistive tools), under the library's hand pointer, and emits
// openFailed() when that fails (at once, or a moment later when the handler gives up).
//
// GUI thread only.
#pragma once

#include "widgets/hostwidget.h"

#include <QColor>
#include <QUrl>

#include <functional>

class TLkHyperLink;
class TComponent;

namespace tirlink {

class HyperLinkLabel : public HostWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(QUrl url READ url WRITE setUrl NOTIFY urlChanged)
    Q_PROPERTY(QColor hoverColor READ hoverColor WRITE setHoverColor RESET unsetHoverColor NOTIFY hoverColorChanged)
    Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment NOTIFY alignmentChanged)
    Q_PROPERTY(bool wordWrap READ wordWrap WRITE setWordWrap NOTIFY wordWrapChanged)
    Q_PROPERTY(int outlineWidth READ outlineWidth WRITE setOutlineWidth NOTIFY outlineWidthChanged)
    Q_PROPERTY(QColor outlineColor READ outlineColor WRITE setOutlineColor NOTIFY outlineColorChanged)

public:
    // Defaults: "HyperLinkLabel", no url, centred, wrapping at words, no outline (navy when
    // given a width).
    explicit HyperLinkLabel(QWidget* parent = nullptr);
    ~HyperLinkLabel() override;

    QString text() const;
    void setText(const QString& text);
    QUrl url() const { return m_url; }
    void setUrl(const QUrl& url);
    // Invalid until set: the palette's Highlight colour.
    QColor hoverColor() const { return m_hoverColor; }
    void setHoverColor(const QColor& color);
    void unsetHoverColor() { setHoverColor(QColor()); }
    Qt::Alignment alignment() const;
    void setAlignment(Qt::Alignment alignment);
    bool wordWrap() const;
    void setWordWrap(bool on);
    // 0 (none) .. 255 pixels.
    int outlineWidth() const;
    void setOutlineWidth(int width);
    QColor outlineColor() const;
    void setOutlineColor(const QColor& color);

    // Whether the pointer is over it (the hover look shows).
    bool isHovered() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked();
    void linkActivated(const QUrl& url);

    void textChanged(const QString& text);
    void urlChanged(const QUrl& url);
    void hoverColorChanged(const QColor& color);
    void alignmentChanged(Qt::Alignment alignment);
    void wordWrapChanged(bool on);
    void outlineWidthChanged(int width);
    void outlineColorChanged(const QColor& color);

protected:
    // For labels whose control is of a class derived from the link label's.
    HyperLinkLabel(QWidget* parent, const std::function<TLkHyperLink*(TComponent* owner)>& make,
                   const QString& text);
    void applyLook() override;
    // The control: a link label of the library (a web label in WebLabel).
    TLkHyperLink* link() const { return m_link; }

private:
    TLkHyperLink* m_link = nullptr;   // owned by the host
    QUrl m_url;
    QColor m_hoverColor;
};

class WebLabel : public HyperLinkLabel {
    Q_OBJECT
public:
    // Defaults as a HyperLinkLabel's, with the text "WebLabel".
    explicit WebLabel(QWidget* parent = nullptr);
    ~WebLabel() override;

signals:
    // The desktop could not open the url.
    void openFailed();
};

}  // namespace tirlink
