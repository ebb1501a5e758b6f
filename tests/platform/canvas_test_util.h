// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Helpers of the canvas tests: bitmaps to draw on and ways to read what was drawn.
#pragma once

#include "platform/graphics.h"

#include <initializer_list>
#include <memory>
#include <string>

// A white bitmap of the given size.
inline std::unique_ptr<TBitmap> WhiteBitmap(int w, int h)
{
    auto b = std::make_unique<TBitmap>(w, h);
    return b;
}

// The bitmap as rows of '#' (pixel of colour c) and '.' (anything else).
inline std::string Mask(TBitmap& b, TColor c)
{
    std::string out;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) out += b.Canvas()->Pixel(x, y) == c ? '#' : '.';
        out += '\n';
    }
    return out;
}

inline std::string Rows(std::initializer_list<const char*> rows)
{
    std::string out;
    for (const char* r : rows) { out += r; out += '\n'; }
    return out;
}

// Bounds of every pixel that is not white, empty when there is none.
inline TRect InkBounds(TBitmap& b)
{
    TRect r;
    bool any = false;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Canvas()->Pixel(x, y) != clWhite) {
                r = any ? UnionRect(r, TRect(x, y, x + 1, y + 1)) : TRect(x, y, x + 1, y + 1);
                any = true;
            }
    return r;
}

inline bool SamePixels(TBitmap& a, TBitmap& b)
{
    return a.Image() == b.Image();
}
