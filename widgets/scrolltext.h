// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// tirlink::ScrollText: a line of text that scrolls across the widget (ticker mode), or a block
// of lines that scrolls through it (marquee mode), smoothly and cheaply: every frame is composed
// off screen and only what moved is drawn again.
//
//     auto* ticker = new tirlink::ScrollText(this);
//     ticker->setText(QStringLiteral("Hello, <b>world</b>"));
//     ticker->setMode(tirlink::ScrollText::Ticker);
//     ticker->start();
//
// The text: lines separated by "\n"; "<b>" and "</b>" switch bold on and off and are never
// drawn. The ticker joins the lines into one. It is drawn in font() in the palette's WindowText
// colour on background (the palette's Window colour until one is set), or over what the
// parents paint when seeThrough is set.
//
// Speed: a pass (the text coming in at one side until it has left at the other) takes steps + 1
// ticks, one every interval milliseconds; the distance of a pass is the widget's extent plus
// the text's. Ticks are not faster than 16 ms whatever the timer (as on the platform's window
// timers); the high-resolution and thread timers keep finer intervals.
//
// Changing direction, mode, scroll style, steps, interval, timer kind or seeThrough while the
// text runs starts it again from its beginning (stopped(), then started()). Hiding the widget
// does not stop it.
//
// GUI thread only; signals are emitted on it.
#pragma once

#include "widgets/bevel.h"
#include "widgets/caption3d.h"
#include "widgets/hostwidget.h"

#include <QColor>

class TFxScrollText;

namespace tirlink {

class ScrollText : public HostWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(Direction direction READ direction WRITE setDirection NOTIFY directionChanged)
    Q_PROPERTY(Mode mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(ScrollStyle scrollStyle READ scrollStyle WRITE setScrollStyle NOTIFY scrollStyleChanged)
    Q_PROPERTY(int steps READ steps WRITE setSteps NOTIFY stepsChanged)
    Q_PROPERTY(int interval READ interval WRITE setInterval NOTIFY intervalChanged)
    Q_PROPERTY(TimerKind timerKind READ timerKind WRITE setTimerKind NOTIFY timerKindChanged)
    Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment NOTIFY alignmentChanged)
    Q_PROPERTY(tirlink::Caption3D::TextStyle textStyle READ textStyle WRITE setTextStyle NOTIFY textStyleChanged)
    Q_PROPERTY(int depth READ depth WRITE setDepth NOTIFY depthChanged)
    Q_PROPERTY(tirlink::Bevel::Shape bevel READ bevel WRITE setBevel NOTIFY bevelChanged)
    Q_PROPERTY(QColor background READ background WRITE setBackground RESET unsetBackground NOTIFY backgroundChanged)
    Q_PROPERTY(bool seeThrough READ seeThrough WRITE setSeeThrough NOTIFY seeThroughChanged)
    Q_PROPERTY(bool running READ isRunning WRITE setRunning NOTIFY runningChanged)

public:
    // The way the text moves.
    enum Direction { BottomToTop, LeftToRight, RightToLeft, TopToBottom };
    Q_ENUM(Direction)
    // Marquee: each line on a row of its own, aligned by alignment; Ticker: the lines as one.
    enum Mode { Marquee, Ticker };
    Q_ENUM(Mode)
    // Loop: again and again the same way; LoopReverse: back and forth; Once: one pass, then stop.
    enum ScrollStyle { Loop, LoopReverse, Once };
    Q_ENUM(ScrollStyle)
    // WindowTimer: a timer of the widget's own; PooledTimer: a shared one in steps of 50 ms;
    // HighResolution: a timer thread calling back on the GUI thread; Thread: a thread of its own.
    enum TimerKind { WindowTimer, PooledTimer, HighResolution, Thread };
    Q_ENUM(TimerKind)

    // Defaults: "ScrollText", right to left, ticker, loop, 200 steps of 16 ms, window timer,
    // centred, no 3D, depth 1, no bevel, not running.
    explicit ScrollText(QWidget* parent = nullptr);
    ~ScrollText() override;

    QString text() const;
    void setText(const QString& text);
    Direction direction() const;
    void setDirection(Direction direction);
    Mode mode() const;
    void setMode(Mode mode);
    ScrollStyle scrollStyle() const;
    void setScrollStyle(ScrollStyle style);
    // 1 .. 2^31 - 1; other values are ignored.
    int steps() const;
    void setSteps(int steps);
    // Milliseconds, 1 .. 65535; other values are ignored.
    int interval() const;
    void setInterval(int milliseconds);
    TimerKind timerKind() const;
    void setTimerKind(TimerKind kind);
    Qt::Alignment alignment() const;
    void setAlignment(Qt::Alignment alignment);
    Caption3D::TextStyle textStyle() const;
    void setTextStyle(Caption3D::TextStyle style);
    // The depth of the light and the shadow copies, 0 .. 255.
    int depth() const;
    void setDepth(int depth);
    Bevel::Shape bevel() const;
    void setBevel(Bevel::Shape shape);
    // Invalid until set: the palette's Window colour is used.
    QColor background() const;
    void setBackground(const QColor& color);
    void unsetBackground();
    bool seeThrough() const;
    void setSeeThrough(bool on);
    bool isRunning() const;
    void setRunning(bool on);

    // One line of the font high (with the bevel), as wide as the text up to 400 pixels in a
    // ticker; the block of lines in a marquee.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The control under the widget, for what only the library's own class offers.
    TFxScrollText* control() const { return m_text; }

public slots:
    // From the beginning; started() follows (after stopped() when it was running).
    void start();
    void stop();
    // Turns round where it stands, without stopping.
    void reverse();

signals:
    void started();
    void stopped();
    // A frame was composed, just before it is shown: once per tick while running (and for the
    // frames painted when the widget is shown or resized). Keep handlers short.
    void scrolled();

    void textChanged(const QString& text);
    void directionChanged(tirlink::ScrollText::Direction direction);
    void modeChanged(tirlink::ScrollText::Mode mode);
    void scrollStyleChanged(tirlink::ScrollText::ScrollStyle style);
    void stepsChanged(int steps);
    void intervalChanged(int milliseconds);
    void timerKindChanged(tirlink::ScrollText::TimerKind kind);
    void alignmentChanged(Qt::Alignment alignment);
    void textStyleChanged(tirlink::Caption3D::TextStyle style);
    void depthChanged(int depth);
    void bevelChanged(tirlink::Bevel::Shape shape);
    void backgroundChanged(const QColor& color);
    void seeThroughChanged(bool on);
    void runningChanged(bool running);

protected:
    void applyLook() override;
    void frameworkEnding() override;

private:
    // Runs a change that may stop the text, and starts it again when it did.
    template <class Change> void keepRunning(Change&& change);

    TFxScrollText* m_text = nullptr;   // owned by the host
    Bevel::Shape m_bevel = Bevel::None;
    QColor m_background;
};

}  // namespace tirlink
