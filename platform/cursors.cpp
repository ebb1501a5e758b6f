// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/cursors.h"

#include <QBitmap>
#include <QImage>
#include <cstring>
#include <map>

namespace {
std::map<TCursor, QCursor>& Installed()
{
    static std::map<TCursor, QCursor> table;
    return table;
}
} // namespace

QCursor CursorOf(TCursor index)
{
    auto it = Installed().find(index);
    if (it != Installed().end()) return it->second;
    switch (index) {
    case crCross: return QCursor(Qt::CrossCursor);
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeNS: return QCursor(Qt::SizeVerCursor);
    case crHourGlass: return QCursor(Qt::WaitCursor);
    case crHandPoint: return QCursor(Qt::PointingHandCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}

void InstallCursor(TCursor index, const QCursor& cursor)
{
    Installed()[index] = cursor;
}

bool HasInstalledCursor(TCursor index)
{
    return Installed().count(index) != 0;
}

QCursor MonochromeCursor(const char* const rows[], int rowCount, int size, int hotX, int hotY)
{
    // Two 1-bit masks, as a monochrome cursor holds them: the shape (which pixels are drawn)
    // and the colour of each drawn pixel.
    QImage shape(size, size, QImage::Format_MonoLSB), ink(size, size, QImage::Format_MonoLSB);
    for (QImage* img : {&shape, &ink}) {
        img->setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});   // bit 1 is black, as in a bitmap
        img->fill(0);
    }
    for (int y = 0; y < rowCount && y < size; ++y) {
        const char* row = rows[y];
        const int n = int(std::strlen(row));
        for (int x = 0; x < n && x < size; ++x) {
            if (row[x] != 'X' && row[x] != 'o') continue;
            shape.setPixel(x, y, 1);
            ink.setPixel(x, y, row[x] == 'X' ? 1 : 0);
        }
    }
    // QCursor: bitmap bit 1 = black, mask bit 1 = drawn.
    return QCursor(QBitmap::fromImage(ink), QBitmap::fromImage(shape), hotX, hotY);
}
