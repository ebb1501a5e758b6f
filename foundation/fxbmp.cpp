// Index: lookup tables · work areas (cutting a rectangle to the images) · the six routines.
#include "foundation/fxbmp.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <vector>

// The lookup tables are defined by products computed in 80-bit extended precision: with a
// 53-bit mantissa several entries (95 x 0.3, 175 x 0.3, 50 x 0.59, ...) land on the other
// side of a tie and round differently.
static_assert(std::numeric_limits<long double>::digits == 64, "the pixel tables need 80-bit extended precision");

FxGrayTables FxBuildGrayTables()
{
    FxGrayTables t;
    for (int i = 0; i < 256; ++i) {
        t.T30[i] = uint8_t(Round64(i * 0.3L));
        t.T59[i] = uint8_t(Round64(i * 0.59L));
        t.T11[i] = uint8_t(Round64(i * 0.11L));
    }
    return t;
}

void FxBuildBlendTable(float Strength, int16_t (&D)[511])
{
    const long double s = Strength;
    for (int d = -255; d <= 255; ++d) {
        // Entries beyond +-256 clamp to the same channel value; bounding them also keeps a
        // huge or not-a-number strength from overflowing the table.
        const long double v = std::fmax(-256.0L, std::fmin(256.0L, d * s));
        D[d + 255] = int16_t(Round64(v));
    }
}

namespace {

constexpr int kBpp = 3;

// An image and the point of it that corresponds to the first pixel of the work area.
struct Plane {
    TBitmap* bitmap;
    TPoint origin;
    uint8_t* base = nullptr;
    int stride = 0;
    uint8_t* Row(int y) const { return base + ptrdiff_t(origin.Y + y) * stride + ptrdiff_t(origin.X) * kBpp; }
};

// Cuts a work area of w x h pixels so that it lies inside every plane, moving the origins
// with its top-left corner; false when nothing is left. Then opens the planes' rows (the
// targets first, so that a source sharing its pixels with a target reads the target's copy).
bool FitArea(std::initializer_list<Plane*> planes, int& w, int& h)
{
    int x0 = 0, y0 = 0, x1 = w, y1 = h;
    for (const Plane* p : planes) {
        x0 = std::max(x0, -p->origin.X);
        y0 = std::max(y0, -p->origin.Y);
        x1 = std::min(x1, p->bitmap->Width() - p->origin.X);
        y1 = std::min(y1, p->bitmap->Height() - p->origin.Y);
    }
    if (x1 <= x0 || y1 <= y0) return false;
    w = x1 - x0;
    h = y1 - y0;
    for (auto it = std::rbegin(planes); it != std::rend(planes); ++it) {
        Plane* p = *it;
        p->origin = TPoint(p->origin.X + x0, p->origin.Y + y0);
        p->base = p->bitmap->ScanLine(0);
        p->stride = p->bitmap->BytesPerLine();
    }
    return true;
}

// Source and target planes of a one-source routine; false when there is nothing to do.
struct UnaryArea {
    Plane src, dst;
    int w = 0, h = 0;
    bool Open(TBitmap* Source, const TRect& R, TBitmap* Target, TPoint TargetPos)
    {
        if (!Source || !Target || R.IsEmpty()) return false;
        src = {Source, R.TopLeft()};
        dst = {Target, TargetPos};
        w = R.Width();
        h = R.Height();
        return FitArea({&src, &dst}, w, h);
    }
};

}  // namespace

void FxBMPGrayScale(TBitmap* Source, const TRect& R, TBitmap* Target, TPoint TargetPos)
{
    UnaryArea a;
    if (!a.Open(Source, R, Target, TargetPos)) return;
    const FxGrayTables t = FxBuildGrayTables();
    for (int y = 0; y < a.h; ++y) {
        const uint8_t* s = a.src.Row(y);
        uint8_t* d = a.dst.Row(y);
        for (int x = 0; x < a.w; ++x, s += kBpp, d += kBpp) {
            const uint8_t g = uint8_t(t.T11[s[0]] + t.T59[s[1]] + t.T30[s[2]]);
            d[0] = g;
            d[1] = g;
            d[2] = g;
        }
    }
}

void FxBMPFlipHorizonzal(TBitmap* Source, const TRect& R, TBitmap* Target, TPoint TargetPos)
{
    UnaryArea a;
    if (!a.Open(Source, R, Target, TargetPos)) return;
    const size_t bytes = size_t(a.w) * kBpp;
    std::vector<uint8_t> row(bytes);
    // Row k and row h-1-k change places through the buffer; the source's lower row is saved
    // before anything is written, so the same image may be both source and target.
    for (int k = 0; k <= (a.h - 1) / 2; ++k) {
        const int m = a.h - 1 - k;
        std::memcpy(row.data(), a.src.Row(m), bytes);
        std::memmove(a.dst.Row(m), a.src.Row(k), bytes);
        std::memcpy(a.dst.Row(k), row.data(), bytes);
    }
}

void FxBMPFlipVertical(TBitmap* Source, const TRect& R, TBitmap* Target, TPoint TargetPos)
{
    UnaryArea a;
    if (!a.Open(Source, R, Target, TargetPos)) return;
    std::vector<uint8_t> row;
    for (int y = 0; y < a.h; ++y) {
        const uint8_t* s = a.src.Row(y);
        uint8_t* d = a.dst.Row(y);
        if (s == d) {
            // In place: the pixels k and w-1-k change places.
            uint8_t* lo = d;
            uint8_t* hi = d + (a.w - 1) * kBpp;
            for (; lo < hi; lo += kBpp, hi -= kBpp) {
                uint8_t p[kBpp];
                std::memcpy(p, lo, kBpp);
                std::memcpy(lo, hi, kBpp);
                std::memcpy(hi, p, kBpp);
            }
            continue;
        }
        if (Source == Target) {
            // Same image, shifted: the source row may overlap the target row.
            row.assign(s, s + size_t(a.w) * kBpp);
            s = row.data();
        }
        const uint8_t* from = s + (a.w - 1) * kBpp;
        for (int x = 0; x < a.w; ++x, d += kBpp, from -= kBpp) std::memcpy(d, from, kBpp);
    }
}

void FxBMPInvert(TBitmap* Source, const TRect& R, TBitmap* Target, TPoint TargetPos)
{
    UnaryArea a;
    if (!a.Open(Source, R, Target, TargetPos)) return;
    const int bytes = a.w * kBpp;
    for (int y = 0; y < a.h; ++y) {
        const uint8_t* s = a.src.Row(y);
        uint8_t* d = a.dst.Row(y);
        for (int i = 0; i < bytes; ++i) d[i] = uint8_t(~s[i]);
    }
}

void FxBMPBrightness(TBitmap* Source, const TRect& R, TBitmap* Target, int Brightness, TPoint TargetPos)
{
    UnaryArea a;
    if (!a.Open(Source, R, Target, TargetPos)) return;
    const int b = std::clamp(Brightness, -255, 255);
    const int bytes = a.w * kBpp;
    for (int y = 0; y < a.h; ++y) {
        const uint8_t* s = a.src.Row(y);
        uint8_t* d = a.dst.Row(y);
        if (b <= 0) {
            const uint8_t sub = uint8_t(-b);
            for (int i = 0; i < bytes; ++i) d[i] = s[i] > sub ? uint8_t(s[i] - sub) : 0;
        } else {
            const uint8_t add = uint8_t(b);
            const uint8_t top = uint8_t(255 - add);
            for (int i = 0; i < bytes; ++i) d[i] = s[i] < top ? uint8_t(s[i] + add) : 255;
        }
    }
}

static void CheckPixelFormat(const TBitmap* Bitmap, const char* Name)
{
    if (!Bitmap || Bitmap->PixelFormat() != TPixelFormat::pf24bit)
        throw EFxWrongPixelFormat(QStringLiteral("Wrong PixelFormat in %1 bitmap!").arg(QLatin1String(Name)));
}

void FxBMPAlphaBlend(TBitmap* Source1, TBitmap* Source2, const TRect& R, TPoint TargetPos, float Strength,
                     TBitmap* Target, TPoint Source2Pos)
{
    CheckPixelFormat(Source1, "Source 1");
    CheckPixelFormat(Source2, "Source 2");
    CheckPixelFormat(Target, "Target");
    if (R.IsEmpty()) return;

    Plane s1{Source1, R.TopLeft()};
    Plane s2{Source2, Source2Pos};
    Plane dst{Target, TargetPos};
    int w = R.Width(), h = R.Height();
    if (!FitArea({&s1, &s2, &dst}, w, h)) return;

    int16_t table[511];
    FxBuildBlendTable(Strength, table);
    const int16_t* D = table + 255;
    const int bytes = w * kBpp;
    for (int y = 0; y < h; ++y) {
        const uint8_t* p1 = s1.Row(y);
        const uint8_t* p2 = s2.Row(y);
        uint8_t* d = dst.Row(y);
        for (int i = 0; i < bytes; ++i) {
            const int c2 = p2[i];
            // Between 0 and 1 the result stays within a byte; a strength outside that range
            // is clamped to the channel's range instead of wrapping round.
            d[i] = uint8_t(std::clamp(c2 + D[p1[i] - c2], 0, 255));
        }
    }
}
