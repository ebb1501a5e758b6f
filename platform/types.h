// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Basic value types shared by every layer: rectangles and points with exclusive right and
// bottom edges, colours in the 0x00BBGGRR form, the rounding helpers of the drawing code, and
// the small enumerations and event signatures of the component framework.
#pragma once

#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>

class TObject;

using String = QString;

// ---------------------------------------------------------------------------------------------
// Rectangles and points. Right and Bottom are exclusive: the last pixel of a row is Right - 1.
// ---------------------------------------------------------------------------------------------
struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(int32_t x, int32_t y) : X(x), Y(y) {}
    friend constexpr bool operator==(const TPoint& a, const TPoint& b) { return a.X == b.X && a.Y == b.Y; }
    friend constexpr bool operator!=(const TPoint& a, const TPoint& b) { return !(a == b); }
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int32_t l, int32_t t, int32_t r, int32_t b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr int32_t Width() const { return Right - Left; }
    constexpr int32_t Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    // Moves the rectangle by (dx, dy) and returns it.
    TRect& Offset(int32_t dx, int32_t dy) { Left += dx; Right += dx; Top += dy; Bottom += dy; return *this; }
    // Shrinks the rectangle by dx on the left and right and dy at the top and bottom.
    TRect& Inflate(int32_t dx, int32_t dy) { Left -= dx; Right += dx; Top -= dy; Bottom += dy; return *this; }
    // Corners given in either order come out with Left <= Right and Top <= Bottom.
    TRect Normalized() const;
    bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    friend constexpr bool operator==(const TRect& a, const TRect& b)
    {
        return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
    }
    friend constexpr bool operator!=(const TRect& a, const TRect& b) { return !(a == b); }
};

constexpr TRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return TRect(l, t, r, b); }
constexpr TRect Bounds(int32_t l, int32_t t, int32_t w, int32_t h) { return TRect(l, t, l + w, t + h); }
constexpr TPoint Point(int32_t x, int32_t y) { return TPoint(x, y); }

// The intersection of a and b in r; false (and r empty) when they do not overlap.
bool IntersectRect(TRect& r, const TRect& a, const TRect& b);
// The smallest rectangle holding a and b; an empty operand is ignored.
TRect UnionRect(const TRect& a, const TRect& b);

// The only bridge to Qt's rectangles: QRect(left, top, width, height). Never use
// QRect::right() or bottom(), which are inclusive.
inline QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
inline TRect FromQRect(const QRect& r) { return Bounds(r.x(), r.y(), r.width(), r.height()); }

// ---------------------------------------------------------------------------------------------
// Arithmetic of the drawing code.
// ---------------------------------------------------------------------------------------------
// Rounds to the nearest integer; a tie goes to the even neighbour (2.5 -> 2, 3.5 -> 4).
int32_t Round(double v);
int64_t Round64(long double v);
// a * b / c computed exactly, rounded to the nearest integer with halves away from zero;
// -1 when c is 0 (as the platform call answers).
int32_t MulDiv(int32_t a, int32_t b, int32_t c);
// Truncates toward zero.
inline int32_t Trunc(double v) { return static_cast<int32_t>(v); }

// ---------------------------------------------------------------------------------------------
// Colours: 0x00BBGGRR, or 0x80000000 | index for a system colour resolved when drawing.
// ---------------------------------------------------------------------------------------------
using TColor = int32_t;

constexpr TColor clBlack = 0x00000000;
constexpr TColor clMaroon = 0x00000080;
constexpr TColor clGreen = 0x00008000;
constexpr TColor clOlive = 0x00008080;
constexpr TColor clNavy = 0x00800000;
constexpr TColor clPurple = 0x00800080;
constexpr TColor clTeal = 0x00808000;
constexpr TColor clGray = 0x00808080;
constexpr TColor clSilver = 0x00C0C0C0;
constexpr TColor clRed = 0x000000FF;
constexpr TColor clLime = 0x0000FF00;
constexpr TColor clYellow = 0x0000FFFF;
constexpr TColor clBlue = 0x00FF0000;
constexpr TColor clFuchsia = 0x00FF00FF;
constexpr TColor clAqua = 0x00FFFF00;
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = int32_t(0x80000000);
constexpr TColor clBackground = int32_t(0x80000001);
constexpr TColor clActiveCaption = int32_t(0x80000002);
constexpr TColor clWindow = int32_t(0x80000005);
constexpr TColor clWindowFrame = int32_t(0x80000006);
constexpr TColor clWindowText = int32_t(0x80000008);
constexpr TColor clHighlight = int32_t(0x8000000D);
constexpr TColor clHighlightText = int32_t(0x8000000E);
constexpr TColor clBtnFace = int32_t(0x8000000F);
constexpr TColor clBtnShadow = int32_t(0x80000010);
constexpr TColor clGrayText = int32_t(0x80000011);
constexpr TColor clBtnText = int32_t(0x80000012);
constexpr TColor clBtnHighlight = int32_t(0x80000014);
constexpr TColor cl3DDkShadow = int32_t(0x80000015);
constexpr TColor cl3DLight = int32_t(0x80000016);
constexpr TColor clInfoBk = int32_t(0x80000018);

constexpr bool IsSystemColor(TColor c) { return (uint32_t(c) & 0xFF000000u) == 0x80000000u; }
// An explicit colour for any value: system colours resolved from the application palette,
// other values masked to their low three bytes.
TColor ColorToRGB(TColor c);
constexpr uint8_t GetRValue(TColor c) { return uint8_t(c & 0xFF); }
constexpr uint8_t GetGValue(TColor c) { return uint8_t((c >> 8) & 0xFF); }
constexpr uint8_t GetBValue(TColor c) { return uint8_t((c >> 16) & 0xFF); }
constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) { return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16); }

// ---------------------------------------------------------------------------------------------
// Framework enumerations and event signatures.
// ---------------------------------------------------------------------------------------------
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state of a mouse or key event, as a bit set.
enum TShiftFlag : uint16_t {
    ssShift = 1 << 0, ssAlt = 1 << 1, ssCtrl = 1 << 2,
    ssLeft = 1 << 3, ssRight = 1 << 4, ssMiddle = 1 << 5, ssDouble = 1 << 6,
};
using TShiftState = uint16_t;

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
