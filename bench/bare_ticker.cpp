// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The yardstick for the ticker's CPU use: the least a Qt program can do to show a ticker-sized
// strip that changes every tick. A frameless 1916 x 29 window, a 16 ms precise timer, and per
// tick one synchronous repaint of the whole strip (a solid fill, flushed to the screen): the
// way a plain Qt widget puts a changed strip on screen. (The ticker writes only the part that
// changed into the window's backing store and flushes that; both wait alike for the X server
// before they draw over what it may still be reading.)
//
// Usage: bare_ticker [seconds] [top]. Without seconds it runs until killed.
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace {

class Strip : public QWidget {
public:
    Strip() : QWidget(nullptr, Qt::FramelessWindowHint)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setWindowTitle(QStringLiteral("bare_ticker"));
    }

    void Tick()
    {
        // Alternate between two shades so that every tick really changes the pixels.
        m_phase = !m_phase;
        repaint();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), m_phase ? QColor(0, 0, 128) : QColor(0, 0, 127));
    }

private:
    bool m_phase = false;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 0;
    const int top = argc > 2 ? std::atoi(argv[2]) : 0;

    Strip strip;
    strip.setGeometry(2, top, 1916, 29);
    strip.show();

    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &strip, &Strip::Tick);
    timer.start(16);

    if (seconds > 0) QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
