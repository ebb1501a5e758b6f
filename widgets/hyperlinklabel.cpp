// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
#include "widgets/hyperlinklabel.h"

#include "hyperlink/lkhyperctrls.h"
#include "widgets/look.h"

#include <QFontMetrics>

#include <algorithm>

namespace tirlink {

HyperLinkLabel::HyperLinkLabel(QWidget* parent)
    : HyperLinkLabel(parent, [](TComponent* owner) { return new TLkHyperLink(owner); }, QStringLiteral("HyperLinkLabel"))
{
}

HyperLinkLabel::HyperLinkLabel(QWidget* parent, const std::function<TLkHyperLink*(TComponent*)>& make,
                               const QString& text)
    : HostWidget(parent)
{
    m_link = make(host());
    m_link->SetCaption(text);
    m_link->TextOutline()->SetVisible(false);
    m_link->OnClick = [this](TObject*) {
        emit clicked();
        emit linkActivated(m_url);
    };
    setControl(m_link);
}

HyperLinkLabel::~HyperLinkLabel()
{
    m_link->OnClick = nullptr;
}

QString HyperLinkLabel::text() const
{
    return m_link->Caption();
}

void HyperLinkLabel::setText(const QString& text)
{
    if (text == this->text()) return;
    m_link->SetCaption(text);
    m_link->AccessibleNameChanged();
    updateGeometry();
    emit textChanged(text);
}

void HyperLinkLabel::setUrl(const QUrl& url)
{
    if (url == m_url) return;
    m_url = url;
    if (auto* web = dynamic_cast<TLkWebLabel*>(m_link)) web->SetURL(url.toString());
    emit urlChanged(url);
}

void HyperLinkLabel::setHoverColor(const QColor& color)
{
    if (color == m_hoverColor) return;
    m_hoverColor = color;
    applyLook();
    emit hoverColorChanged(color);
}

Qt::Alignment HyperLinkLabel::alignment() const
{
    return look::QtAlignmentOf(m_link->Alignment()) & Qt::AlignHorizontal_Mask;
}

void HyperLinkLabel::setAlignment(Qt::Alignment alignment)
{
    if (look::AlignmentOf(alignment) == m_link->Alignment()) return;
    m_link->SetAlignment(look::AlignmentOf(alignment));
    emit alignmentChanged(this->alignment());
}

bool HyperLinkLabel::wordWrap() const
{
    return m_link->WordWrap();
}

void HyperLinkLabel::setWordWrap(bool on)
{
    if (on == wordWrap()) return;
    m_link->SetWordWrap(on);
    updateGeometry();
    emit wordWrapChanged(on);
}

int HyperLinkLabel::outlineWidth() const
{
    return m_link->TextOutline()->Visible() ? m_link->TextOutline()->Width() : 0;
}

void HyperLinkLabel::setOutlineWidth(int width)
{
    width = std::clamp(width, 0, TLkHyperLink::MaxOutlineWidth);
    if (width == outlineWidth()) return;
    if (width > 0) m_link->TextOutline()->SetWidth(width);
    m_link->TextOutline()->SetVisible(width > 0);
    updateGeometry();
    emit outlineWidthChanged(width);
}

QColor HyperLinkLabel::outlineColor() const
{
    return ToQColor(m_link->TextOutline()->Color());
}

void HyperLinkLabel::setOutlineColor(const QColor& color)
{
    if (look::ColorOf(color) == m_link->TextOutline()->Color()) return;
    m_link->TextOutline()->SetColor(look::ColorOf(color));
    emit outlineColorChanged(outlineColor());
}

bool HyperLinkLabel::isHovered() const
{
    return m_link->Hovered();
}

QSize HyperLinkLabel::sizeHint() const
{
    // The wider of the two looks, the caption on one line, and the outline around it.
    QString shown = text();
    shown.replace(QLatin1String("&&"), QLatin1String("\x01")).remove(QLatin1Char('&')).replace(QLatin1Char('\x01'), QLatin1Char('&'));
    int w = 0, h = 0;
    for (const TFont* f : {m_link->FontLeave(), m_link->FontEnter()}) {
        const QFontMetrics m(f->ToQFont());
        w = std::max(w, m.horizontalAdvance(shown));
        h = std::max(h, m.height());
    }
    const int outline = 2 * outlineWidth();
    return QSize(w + outline + 2, h + outline);
}

QSize HyperLinkLabel::minimumSizeHint() const
{
    return wordWrap() ? QSize(QFontMetrics(m_link->FontLeave()->ToQFont()).averageCharWidth() * 4, sizeHint().height())
                      : sizeHint();
}

void HyperLinkLabel::applyLook()
{
    TFont* leave = m_link->FontLeave();
    leave->AssignQFont(font());
    leave->SetColor(look::ColorOf(palette().color(QPalette::Link)));
    TFont* enter = m_link->FontEnter();
    enter->AssignQFont(font());
    enter->SetStyle(enter->Style() | fsUnderline);
    enter->SetColor(look::ColorOf(m_hoverColor.isValid() ? m_hoverColor : palette().color(QPalette::Highlight)));
    const TColor back = look::ColorOf(palette().color(QPalette::Window));
    m_link->SetColorLeave(back);
    m_link->SetColorEnter(back);
    updateGeometry();
}

// ---------------------------------------------------------------------------------------------
// WebLabel
// ---------------------------------------------------------------------------------------------
WebLabel::WebLabel(QWidget* parent)
    : HyperLinkLabel(parent, [](TComponent* owner) { return new TLkWebLabel(owner); }, QStringLiteral("WebLabel"))
{
    static_cast<TLkWebLabel*>(link())->OnError = [this](TObject*) { emit openFailed(); };
    // No address until one is set (the library's own default is its makers' site).
    static_cast<TLkWebLabel*>(link())->SetURL(QString());
}

WebLabel::~WebLabel()
{
    static_cast<TLkWebLabel*>(link())->OnError = nullptr;
}

}  // namespace tirlink
