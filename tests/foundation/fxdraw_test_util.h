// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Helpers of the drawing tests: images filled with a colour, pixels read back, counting
// change notifications.
#pragma once

#include "platform/graphics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace fxtest {

// A 24-bit image of w x h pixels filled with c.
inline std::unique_ptr<TBitmap> Filled(int w, int h, TColor c)
{
    auto b = std::make_unique<TBitmap>(w, h);
    b->Canvas()->Brush()->SetStyle(TBrushStyle::bsSolid);
    b->Canvas()->Brush()->SetColor(c);
    b->Canvas()->FillRect(TRect(0, 0, w, h));
    return b;
}

// The colour of pixel (x, y), read from the image rows.
inline TColor At(TBitmap& b, int x, int y)
{
    const uint8_t* p = b.ScanLine(y) + x * 3;
    return RGB(p[2], p[1], p[0]);
}

inline void Put(TBitmap& b, int x, int y, TColor c)
{
    uint8_t* p = b.ScanLine(y) + x * 3;
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
}

// An image whose every pixel differs from its neighbours: a fingerprint of positions.
inline std::unique_ptr<TBitmap> Pattern(int w, int h)
{
    auto b = std::make_unique<TBitmap>(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Put(*b, x, y, RGB(uint8_t(x * 7 + y), uint8_t(y * 13 + x * 3), uint8_t(x ^ (y * 5))));
    return b;
}

inline bool SamePixels(TBitmap& a, TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), size_t(a.Width()) * 3) != 0) return false;
    return true;
}

// Number of pixels of the image inside r that differ from c.
inline int CountOther(TBitmap& b, const TRect& r, TColor c)
{
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) n += At(b, x, y) != c;
    return n;
}

// Counts OnChange calls and remembers the last sender.
struct ChangeCounter {
    int count = 0;
    TObject* sender = nullptr;
    TNotifyEvent Handler()
    {
        return [this](TObject* s) {
            ++count;
            sender = s;
        };
    }
};

}  // namespace fxtest
