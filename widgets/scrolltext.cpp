// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
#include "widgets/scrolltext.h"

#include "platform/controls.h"
#include "scrolltext/fxscrolltext.h"
#include "widgets/look.h"

#include <algorithm>

namespace tirlink {

ScrollText::ScrollText(QWidget* parent) : HostWidget(parent)
{
    m_text = new TFxScrollText(host());
    m_text->BeginUpdate();
    m_text->Lines()->SetText(QStringLiteral("ScrollText"));
    m_text->SetDirection(TFxScrollDirection::sdRightToLeft);
    m_text->SetScrollMode(TFxScrollMode::smTicker);
    m_text->SetSteps(200);
    m_text->SetInterval(16);
    m_text->EndUpdate(true);
    m_text->OnStart = [this](TObject*) {
        emit started();
        emit runningChanged(true);
    };
    m_text->OnStop = [this](TObject*) {
        emit stopped();
        emit runningChanged(false);
    };
    m_text->OnScroll = [this](TObject*) { emit scrolled(); };
    setControl(m_text);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ScrollText::~ScrollText()
{
    m_text->OnStart = m_text->OnStop = m_text->OnScroll = nullptr;
}

template <class Change>
void ScrollText::keepRunning(Change&& change)
{
    const bool was = m_text->Scroll();
    change();
    if (was && !m_text->Scroll()) m_text->Execute();
}

QString ScrollText::text() const
{
    QStringList lines;
    for (int i = 0; i < m_text->Lines()->Count(); ++i) lines << m_text->Lines()->Get(i);
    return lines.join(QLatin1Char('\n'));
}

void ScrollText::setText(const QString& text)
{
    if (text == this->text()) return;
    m_text->Lines()->SetText(text);
    updateGeometry();
    emit textChanged(text);
}

ScrollText::Direction ScrollText::direction() const
{
    switch (m_text->Direction()) {
    case TFxScrollDirection::sdBottomToTop: return BottomToTop;
    case TFxScrollDirection::sdLeftToRight: return LeftToRight;
    case TFxScrollDirection::sdTopToBottom: return TopToBottom;
    case TFxScrollDirection::sdRightToLeft: break;
    }
    return RightToLeft;
}

void ScrollText::setDirection(Direction direction)
{
    if (direction == this->direction()) return;
    const TFxScrollDirection to[] = {TFxScrollDirection::sdBottomToTop, TFxScrollDirection::sdLeftToRight,
                                     TFxScrollDirection::sdRightToLeft, TFxScrollDirection::sdTopToBottom};
    keepRunning([&] { m_text->SetDirection(to[direction]); });
    emit directionChanged(direction);
}

ScrollText::Mode ScrollText::mode() const
{
    return m_text->ScrollMode() == TFxScrollMode::smTicker ? Ticker : Marquee;
}

void ScrollText::setMode(Mode mode)
{
    if (mode == this->mode()) return;
    keepRunning([&] { m_text->SetScrollMode(mode == Ticker ? TFxScrollMode::smTicker : TFxScrollMode::smMarquee); });
    updateGeometry();
    emit modeChanged(mode);
}

ScrollText::ScrollStyle ScrollText::scrollStyle() const
{
    return ScrollStyle(int(m_text->ScrollStyle()));
}

void ScrollText::setScrollStyle(ScrollStyle style)
{
    if (style == scrollStyle()) return;
    keepRunning([&] { m_text->SetScrollStyle(TFxScrollStyle(int(style))); });
    emit scrollStyleChanged(style);
}

int ScrollText::steps() const
{
    return m_text->Steps();
}

void ScrollText::setSteps(int steps)
{
    if (steps == this->steps() || steps < 1) return;
    keepRunning([&] { m_text->SetSteps(steps); });
    emit stepsChanged(steps);
}

int ScrollText::interval() const
{
    return m_text->Interval();
}

void ScrollText::setInterval(int milliseconds)
{
    if (milliseconds == interval() || milliseconds < 1 || milliseconds > 65535) return;
    keepRunning([&] { m_text->SetInterval(TFxTimerInterval(milliseconds)); });
    emit intervalChanged(milliseconds);
}

ScrollText::TimerKind ScrollText::timerKind() const
{
    return TimerKind(int(m_text->TimerMode()));
}

void ScrollText::setTimerKind(TimerKind kind)
{
    if (kind == timerKind()) return;
    keepRunning([&] { m_text->SetTimerMode(TFxTimerMode(int(kind))); });
    emit timerKindChanged(kind);
}

Qt::Alignment ScrollText::alignment() const
{
    return look::QtAlignmentOf(m_text->Alignment());
}

void ScrollText::setAlignment(Qt::Alignment alignment)
{
    if (look::AlignmentOf(alignment) == m_text->Alignment()) return;
    m_text->SetAlignment(look::AlignmentOf(alignment));
    emit alignmentChanged(this->alignment());
}

Caption3D::TextStyle ScrollText::textStyle() const
{
    return Caption3D::TextStyle(int(m_text->Font3D()->Style()));
}

void ScrollText::setTextStyle(Caption3D::TextStyle style)
{
    if (style == textStyle()) return;
    m_text->Font3D()->SetStyle(look::StyleOf(style));
    updateGeometry();
    emit textStyleChanged(style);
}

int ScrollText::depth() const
{
    return m_text->Font3D()->ShadowDepth();
}

void ScrollText::setDepth(int depth)
{
    depth = std::clamp(depth, 0, 255);
    if (depth == this->depth() && depth == m_text->Font3D()->LightDepth()) return;
    m_text->Font3D()->SetLightDepth(uint8_t(depth));
    m_text->Font3D()->SetShadowDepth(uint8_t(depth));
    updateGeometry();
    emit depthChanged(depth);
}

Bevel::Shape ScrollText::bevel() const
{
    return m_bevel;
}

void ScrollText::setBevel(Bevel::Shape shape)
{
    if (shape == m_bevel) return;
    m_bevel = shape;
    look::ShapeBevel(m_text->Bevel(), shape, shape == Bevel::Shadow ? 3 : 1);
    updateGeometry();
    emit bevelChanged(shape);
}

QColor ScrollText::background() const
{
    return m_background;
}

void ScrollText::setBackground(const QColor& color)
{
    if (color == m_background) return;
    m_background = color;
    applyLook();
    emit backgroundChanged(color);
}

void ScrollText::unsetBackground()
{
    setBackground(QColor());
}

bool ScrollText::seeThrough() const
{
    return m_text->Transparent();
}

void ScrollText::setSeeThrough(bool on)
{
    if (on == seeThrough()) return;
    keepRunning([&] { m_text->SetTransparent(on); });
    setAttribute(Qt::WA_OpaquePaintEvent, !on);
    emit seeThroughChanged(on);
}

bool ScrollText::isRunning() const
{
    return m_text->Scroll();
}

void ScrollText::setRunning(bool on)
{
    if (on) start();
    else stop();
}

void ScrollText::start()
{
    m_text->SetScroll(true);
}

void ScrollText::stop()
{
    m_text->SetScroll(false);
}

void ScrollText::reverse()
{
    m_text->Reverse();
    emit directionChanged(direction());
}

QSize ScrollText::sizeHint() const
{
    m_text->CalculateDimensions();
    const int frame = 2 * m_text->BevelExt();
    if (mode() == Ticker) {
        const bool across = direction() == LeftToRight || direction() == RightToLeft;
        const int line = std::max(m_text->LineHeight(), 1);
        return across ? QSize(std::clamp(m_text->TextWidth(), 100, 400) + frame, line + frame)
                      : QSize(std::clamp(m_text->TextWidth(), 100, 400) + frame, 4 * line + frame);
    }
    return QSize(std::max(m_text->TextWidth(), 100) + frame, std::max(m_text->TextHeight(), m_text->LineHeight()) + frame);
}

QSize ScrollText::minimumSizeHint() const
{
    m_text->CalculateDimensions();
    const int frame = 2 * m_text->BevelExt();
    return QSize(std::max(m_text->LineHeight(), 1) + frame, std::max(m_text->LineHeight(), 1) + frame);
}

void ScrollText::applyLook()
{
    TFont* font = m_text->Font();
    font->AssignQFont(this->font());
    font->SetColor(look::ColorOf(palette().color(QPalette::WindowText)));
    m_text->SetColor(look::ColorOf(m_background.isValid() ? m_background : palette().color(QPalette::Window)));
    m_text->Font3D()->SetLightColor(look::ColorOf(palette().color(QPalette::Light)));
    m_text->Font3D()->SetShadowColor(look::ColorOf(palette().color(QPalette::Dark)));
    updateGeometry();
}

void ScrollText::frameworkEnding()
{
    m_text->OnStop = nullptr;
    m_text->Stop();
}

}  // namespace tirlink
