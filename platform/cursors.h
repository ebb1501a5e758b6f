// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Pointer shapes: the framework's cursor numbers, the process's cursor table (what
// Screen->Cursors reads and a control's Cursor shows) and monochrome cursors drawn as text.
// GUI thread only.
#pragma once

#include <QCursor>

// Screen cursor numbers of the framework; programs install their own under positive numbers.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crHandPoint = -21;

// The cursor installed under index, else Qt's shape for the framework's number (an arrow for
// any number it does not know).
QCursor CursorOf(TCursor index);
void InstallCursor(TCursor index, const QCursor& cursor);
bool HasInstalledCursor(TCursor index);

// A two-colour cursor drawn as rows of text: 'X' black, 'o' white, anything else (and
// everything past a row's end or past size) see-through; (hotX, hotY) is the hot spot.
QCursor MonochromeCursor(const char* const rows[], int rowCount, int size, int hotX, int hotY);
