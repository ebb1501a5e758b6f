// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/types.h"

#include <QApplication>
#include <QPalette>
#include <cmath>
#include <cstdlib>

TRect TRect::Normalized() const
{
    TRect r = *this;
    if (r.Left > r.Right) std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
    return r;
}

bool IntersectRect(TRect& r, const TRect& a, const TRect& b)
{
    r = TRect(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
              std::min(a.Bottom, b.Bottom));
    if (r.IsEmpty()) {
        r = TRect();
        return false;
    }
    return true;
}

TRect UnionRect(const TRect& a, const TRect& b)
{
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                 std::max(a.Bottom, b.Bottom));
}

int32_t Round(double v)
{
    // nearbyint follows the current rounding mode, which is round-to-nearest-even by default
    // and never changed by this program.
    return static_cast<int32_t>(std::nearbyint(v));
}

int64_t Round64(long double v)
{
    return static_cast<int64_t>(std::nearbyintl(v));
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0) return -1;
    const int64_t num = int64_t(a) * int64_t(b);
    const bool negative = (num < 0) != (c < 0);
    const int64_t an = std::llabs(num);
    const int64_t ac = std::llabs(int64_t(c));
    int64_t q = an / ac;
    if ((an % ac) * 2 >= ac) ++q;  // halves away from zero
    return static_cast<int32_t>(negative ? -q : q);
}

TColor ColorToRGB(TColor c)
{
    if (!IsSystemColor(c)) return c & 0x00FFFFFF;
    QPalette pal = qApp ? QApplication::palette() : QPalette();
    QColor q;
    switch (c & 0xFF) {
    case 0x00: q = pal.color(QPalette::Button); break;                        // scroll bar
    case 0x01: q = pal.color(QPalette::Window); break;                        // desktop
    case 0x02: q = pal.color(QPalette::Highlight); break;                     // active caption
    case 0x05: q = pal.color(QPalette::Base); break;                          // window
    case 0x06: q = pal.color(QPalette::Shadow); break;                        // window frame
    case 0x08: q = pal.color(QPalette::Text); break;                          // window text
    case 0x0D: q = pal.color(QPalette::Highlight); break;
    case 0x0E: q = pal.color(QPalette::HighlightedText); break;
    case 0x0F: q = pal.color(QPalette::Button); break;                        // button face
    case 0x10: q = pal.color(QPalette::Dark); break;                          // button shadow
    case 0x11: q = pal.color(QPalette::Disabled, QPalette::Text); break;      // grey text
    case 0x12: q = pal.color(QPalette::ButtonText); break;
    case 0x14: q = pal.color(QPalette::Light); break;                         // button highlight
    case 0x15: q = pal.color(QPalette::Shadow); break;                        // 3D dark shadow
    case 0x16: q = pal.color(QPalette::Midlight); break;                      // 3D light
    case 0x17: q = pal.color(QPalette::ToolTipText); break;
    case 0x18: q = pal.color(QPalette::ToolTipBase); break;
    default: q = pal.color(QPalette::Window); break;
    }
    return RGB(uint8_t(q.red()), uint8_t(q.green()), uint8_t(q.blue()));
}
