// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// A Qt program with Tirlink's widgets: a window with a 3D caption, a ticker line and a link in
// a layout, and beside it a panel made in Qt Designer (panel.ui) with the same widgets.
//
//   tirlink-widgets-example              runs until the window is closed
//   tirlink-widgets-example --frames N   ends by itself after N frames of the ticker
#include "ui_panel.h"
#include "widgets/caption3d.h"
#include "widgets/hyperlinklabel.h"
#include "widgets/scrolltext.h"

#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QVBoxLayout>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int quitAfter = argc == 3 && QByteArray(argv[1]) == "--frames" ? QByteArray(argv[2]).toInt() : 0;

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tirlink widgets"));
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);

    auto* caption = new tirlink::Caption3D(QStringLiteral("Tirlink"));
    caption->setFont(QFont(QStringLiteral("Liberation Sans"), 24, QFont::Bold));
    caption->setTextStyle(tirlink::Caption3D::Shadow);
    caption->setShadowDepth(3);
    layout->addWidget(caption);

    auto* ticker = new tirlink::ScrollText;
    ticker->setText(QStringLiteral("A line of news scrolling across, with <b>bold</b> words in it"));
    ticker->setBackground(Qt::darkBlue);
    QPalette palette = ticker->palette();
    palette.setColor(QPalette::WindowText, Qt::yellow);
    ticker->setPalette(palette);
    layout->addWidget(ticker);

    auto* link = new tirlink::WebLabel;
    link->setText(QStringLiteral("www.debian.org"));
    link->setUrl(QUrl(QStringLiteral("https://www.debian.org/")));
    layout->addWidget(link);
    window.setCentralWidget(central);

    // The panel made in Designer, in a dock beside.
    auto* dock = new QDockWidget(QStringLiteral("Panel"));
    auto* panel = new QWidget;
    Ui::Panel ui;
    ui.setupUi(panel);
    dock->setWidget(panel);
    window.addDockWidget(Qt::RightDockWidgetArea, dock);

    int frames = 0;
    QObject::connect(ticker, &tirlink::ScrollText::scrolled, [&] {
        if (++frames == quitAfter) app.quit();
    });
    ticker->start();
    window.show();
    const int code = app.exec();
    if (quitAfter > 0) {
        std::printf("%d frames scrolled\n", frames);
        return frames >= quitAfter ? 0 : 1;
    }
    return code;
}
