// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
// Saves what an X screen shows as a PNG file. scripts/run takes its picture of the ticker on a
// virtual screen with it, where a fresh machine has no screenshot tool of its own.
//
//   tirlink-screenshot <file.png>     the screen of $DISPLAY; exits non-zero when it cannot
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.png>\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    // Window 0 is the whole screen, as the X server shows it.
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "could not save the screen to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
