// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Index: lookup tables · work areas (cutting a rectangle to the images) · the six routines.
#include "foundation/fxbmp.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

// The lookup tables are the products i x 0.3, i x 0.59 and i x 0.11 as an x87 FPU computes
// them with the extended-precision constants (a 64-bit mantissa), rounded to the nearest
// integer with ties to even. Away from a tie the exact decimal product rounds the same way, so
// the tables are that, in integer arithmetic, with one correction: where the exact product
// is a tie, the extended constant lifts most of them above it, and the ones listed here land
// exactly on it and go to the even neighbour below. So the tables are the same on every
// architecture, whatever its long double is (a 53-bit 0.3 would instead put 95 x 0.3 below
// its tie).
namespace {

constexpr int RoundedShare(int i, int num, std::initializer_list<int> tiesDown)
{
    int v = (2 * i * num + 100) / 200;   // the exact product, halves up
    for (int t : tiesDown)
        if (t == i) --v;
    return v;
}

struct GrayTablesBuilder {
    FxGrayTables t{};
    constexpr GrayTablesBuilder()
    {
        for (int i = 0; i < 256; ++i) {
            t.T30[i] = uint8_t(RoundedShare(i, 30, {15, 35, 55, 75, 115, 135, 155, 215, 235, 255}));
            t.T59[i] = uint8_t(RoundedShare(i, 59, {50, 150}));
            t.T11[i] = uint8_t(RoundedShare(i, 11, {150}));
        }
    }
};

constexpr FxGrayTables kGrayTables = GrayTablesBuilder().t;

// Blue and green together index one table of their summed shares (the two bytes are
// adjacent), so a grey pixel costs two lookups instead of three. Built once, on first use.
const uint8_t* BlueGreenTable()
{
    static const std::vector<uint8_t> table = [] {
        std::vector<uint8_t> bg(65536);
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) bg[size_t(g << 8 | b)] = uint8_t(kGrayTables.T11[b] + kGrayTables.T59[g]);
        return bg;
    }();
    return table.data();
}

}  // namespace

FxGrayTables FxBuildGrayTables()
{
    return kGrayTables;
}

void FxBuildBlendTable(float Strength, int16_t (&D)[511])
{
    // The product of a channel difference (9 bits) and a single-precision strength (24 bits)
    // is exact in double precision, so rounding it there (to nearest, ties to even: the mode
    // this program never changes) gives what any wider format gives.
    const double s = Strength;
    for (int d = -255; d <= 255; ++d) {
        // Entries beyond +-256 clamp to the same channel value; bounding them also keeps a
        // huge or not-a-number strength from overflowing the table.
        const double v = std::fmax(-256.0, std::fmin(256.0, d * s));
        D[d + 255] = int16_t(std::nearbyint(v));
    }
}

namespace {

// A blend table as one integer line: D[d] == (d x M + K) >> S for every difference d, when
// such 16-bit M and K exist (not for strengths where d x s falls exactly on a half for some
// d and ties to even alternate, such as 0.5). Found by trying the slopes next to s x 2^S and
// keeping the offsets that satisfy every entry, so the line is checked against the whole table.
struct BlendLine {
    bool exact = false;
    int16_t M = 0, K = 0;
    int S = 0;
};

BlendLine FitBlendLine(float Strength, const int16_t (&D)[511])
{
    BlendLine line;
    if (!(Strength >= 0.0f && Strength <= 1.0f)) return line;
    // The line (d x M + 2^14) >> 15 first: it is one rounding multiply (BlendLineRowAvx2).
    const long roundingCentre = std::lround(double(Strength) * 32768.0);
    for (long M = roundingCentre - 2; M <= std::min(32767L, roundingCentre + 2); ++M) {
        bool fits = true;
        for (int d = -255; d <= 255 && fits; ++d) fits = ((d * M + 16384) >> 15) == D[d + 255];
        if (fits) return {true, int16_t(M), int16_t(16384), 15};
    }
    for (int S : {15, 14}) {
        const long centre = std::lround(double(Strength) * (1L << S));
        for (long M = centre - 2; M <= centre + 2; ++M) {
            if (M < -32768 || M > 32767) continue;
            long lo = -32768, hi = 32767;
            for (int d = -255; d <= 255; ++d) {
                lo = std::max(lo, long(D[d + 255]) * (1L << S) - d * M);
                hi = std::min(hi, (long(D[d + 255]) + 1) * (1L << S) - d * M - 1);
            }
            if (lo <= hi) {
                line.exact = true;
                line.M = int16_t(M);
                line.K = int16_t(lo);
                line.S = S;
                return line;
            }
        }
    }
    return line;
}

struct BlendCache {
    bool valid = false;
    uint32_t bits = 0;
    int16_t D[511];
    BlendLine line;
};

// The blend table of the last strength used on this thread: a control blends with the same
// strength frame after frame.
const BlendCache& BlendTable(float Strength)
{
    thread_local BlendCache cache;
    uint32_t bits;
    std::memcpy(&bits, &Strength, sizeof bits);
    if (!cache.valid || cache.bits != bits) {
        FxBuildBlendTable(Strength, cache.D);
        cache.line = FitBlendLine(Strength, cache.D);
        cache.bits = bits;
        cache.valid = true;
    }
    return cache;
}

}  // namespace

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

namespace {
inline uint32_t Load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
#if defined(__SSE2__)
inline __m128i Load128(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store128(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
#endif
}  // namespace

namespace {
#if defined(__x86_64__) || defined(__i386__)
// The byte shuffles that split 16 pixels (three 16-byte words) into their blue, green and red
// bytes, and that spread 16 grey bytes over three words again.
struct GrayShuffles {
    int8_t split[3][3][16]{};   // [channel][word][byte]
    int8_t spread[3][16]{};     // [word][byte]
    constexpr GrayShuffles()
    {
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                for (int j = 0; j < 16; ++j) {
                    const int at = 3 * j + c - 16 * k;
                    split[c][k][j] = int8_t(at >= 0 && at < 16 ? at : -128);
                }
        for (int k = 0; k < 3; ++k)
            for (int j = 0; j < 16; ++j) spread[k][j] = int8_t((16 * k + j) / 3);
    }
};
constexpr GrayShuffles kGrayShuffles;

__attribute__((target("ssse3"))) inline __m128i Shuffle(__m128i v, const int8_t (&mask)[16])
{
    return _mm_shuffle_epi8(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask)));
}

// floor((c x num + 50) / 100) for eight 16-bit channel values: the share of the table before
// its tie corrections. c x num + 50 stays below 15,100, where x 41944 >> 22 divides by 100
// exactly.
__attribute__((target("ssse3"))) inline __m128i RoundedShare8(__m128i c16, int num)
{
    const __m128i x = _mm_add_epi16(_mm_mullo_epi16(c16, _mm_set1_epi16(int16_t(num))), _mm_set1_epi16(50));
    return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(int16_t(41944))), 6);
}

__attribute__((target("ssse3"))) inline __m128i Shares8(__m128i b, __m128i g, __m128i r)
{
    return _mm_add_epi16(_mm_add_epi16(RoundedShare8(b, 11), RoundedShare8(g, 59)), RoundedShare8(r, 30));
}

// Adds one to a byte of count for each listed value its channel byte equals.
template <int... Values> __attribute__((target("ssse3"))) inline __m128i CountTies(__m128i count, __m128i channel)
{
    ((count = _mm_sub_epi8(count, _mm_cmpeq_epi8(channel, _mm_set1_epi8(int8_t(Values))))), ...);
    return count;
}

__attribute__((target("ssse3"))) inline __m128i SplitChannel(__m128i v0, __m128i v1, __m128i v2,
                                                             const int8_t (&mask)[3][16])
{
    return _mm_or_si128(_mm_or_si128(Shuffle(v0, mask[0]), Shuffle(v1, mask[1])), Shuffle(v2, mask[2]));
}

// Grey for 16 pixels at a time, computed from the same rounded shares and tie corrections the
// tables are built from (RoundedShare), so every pixel equals the table lookups. The three
// words are read before any is written, so the work may be done in place. Returns the pixels
// done.
__attribute__((target("ssse3"))) int GrayRowSsse3(const uint8_t* s, uint8_t* d, int w)
{
    const __m128i zero = _mm_setzero_si128();
    const auto& m = kGrayShuffles;
    int x = 0;
    for (; x + 16 <= w; x += 16, s += 48, d += 48) {
        const __m128i v0 = Load128(s), v1 = Load128(s + 16), v2 = Load128(s + 32);
        const __m128i ch[3] = {SplitChannel(v0, v1, v2, m.split[0]), SplitChannel(v0, v1, v2, m.split[1]),
                               SplitChannel(v0, v1, v2, m.split[2])};
        const __m128i lo = Shares8(_mm_unpacklo_epi8(ch[0], zero), _mm_unpacklo_epi8(ch[1], zero),
                                   _mm_unpacklo_epi8(ch[2], zero));
        const __m128i hi = Shares8(_mm_unpackhi_epi8(ch[0], zero), _mm_unpackhi_epi8(ch[1], zero),
                                   _mm_unpackhi_epi8(ch[2], zero));
        __m128i ties = CountTies<150>(zero, ch[0]);
        ties = CountTies<50, 150>(ties, ch[1]);
        ties = CountTies<15, 35, 55, 75, 115, 135, 155, 215, 235, 255>(ties, ch[2]);
        const __m128i grey = _mm_sub_epi8(_mm_packus_epi16(lo, hi), ties);
        Store128(d, Shuffle(grey, m.spread[0]));
        Store128(d + 16, Shuffle(grey, m.spread[1]));
        Store128(d + 32, Shuffle(grey, m.spread[2]));
    }
    return x;
}

// The same for 32 pixels: each 128-bit half of the AVX2 words holds 16 of them (the shuffles
// work within halves), the low halves the first 16 and the high halves the next.
#define TIRLINK_AVX2 __attribute__((target("avx2")))
TIRLINK_AVX2 inline __m256i Load2x128(const uint8_t* lo, const uint8_t* hi)
{
    return _mm256_inserti128_si256(_mm256_castsi128_si256(Load128(lo)), Load128(hi), 1);
}
TIRLINK_AVX2 inline __m256i Shuffle2x(__m256i v, const int8_t (&mask)[16])
{
    return _mm256_shuffle_epi8(v, _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(mask))));
}
// As RoundedShare8, from 16-bit lanes holding the channel byte under a byte of one: a
// multiply-add of the pair with (num, 50) gives c x num + 50 at once.
TIRLINK_AVX2 inline __m256i RoundedShare16(__m256i c1, int num)
{
    const __m256i x = _mm256_maddubs_epi16(c1, _mm256_set1_epi16(int16_t(50 << 8 | num)));
    return _mm256_srli_epi16(_mm256_mulhi_epu16(x, _mm256_set1_epi16(int16_t(41944))), 6);
}
// The green share from green x 256 + 210 (one unpack puts the byte above the offset), which
// x 2417 >> 20 maps to the green table's entry for every byte, its two downward ties (50 and
// 150) included: no multiply and no tie compares.
TIRLINK_AVX2 inline __m256i Shares16(__m256i b, __m256i g256, __m256i r)
{
    const __m256i green = _mm256_srli_epi16(_mm256_mulhi_epu16(g256, _mm256_set1_epi16(2417)), 4);
    return _mm256_add_epi16(_mm256_add_epi16(RoundedShare16(b, 11), green), RoundedShare16(r, 30));
}
template <int... Values> TIRLINK_AVX2 inline __m256i CountTies2x(__m256i count, __m256i channel)
{
    ((count = _mm256_sub_epi8(count, _mm256_cmpeq_epi8(channel, _mm256_set1_epi8(int8_t(Values))))), ...);
    return count;
}
// One for each red byte on which the red table's tie goes down (15, 35, ..., 255): a value
// is one of them when the bit its low nibble picks is also set for its high nibble. The low
// nibbles 15, 3, 7 and 11 get a bit each; the high nibbles carry the bits of their partners.
TIRLINK_AVX2 inline __m256i RedTies2x(__m256i r)
{
    const __m256i low = _mm256_setr_epi8(0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 8, 0, 0, 0, 1,   //
                                         0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 8, 0, 0, 0, 1);
    const __m256i high = _mm256_setr_epi8(1, 0, 2, 4, 8, 0, 0, 2, 4, 8, 0, 0, 0, 4, 8, 1,   //
                                          1, 0, 2, 4, 8, 0, 0, 2, 4, 8, 0, 0, 0, 4, 8, 1);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i bits = _mm256_and_si256(_mm256_shuffle_epi8(low, _mm256_and_si256(r, nibble)),
                                          _mm256_shuffle_epi8(high, _mm256_and_si256(_mm256_srli_epi16(r, 4), nibble)));
    return _mm256_min_epu8(bits, _mm256_set1_epi8(1));
}
TIRLINK_AVX2 inline __m256i SplitChannel2x(__m256i v0, __m256i v1, __m256i v2, const int8_t (&mask)[3][16])
{
    return _mm256_or_si256(_mm256_or_si256(Shuffle2x(v0, mask[0]), Shuffle2x(v1, mask[1])), Shuffle2x(v2, mask[2]));
}
TIRLINK_AVX2 inline void Store2x128(uint8_t* lo, uint8_t* hi, __m256i v)
{
    Store128(lo, _mm256_castsi256_si128(v));
    Store128(hi, _mm256_extracti128_si256(v, 1));
}

TIRLINK_AVX2 int GrayRowAvx2(const uint8_t* s, uint8_t* d, int w)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i offset = _mm256_set1_epi8(int8_t(210)), one = _mm256_set1_epi8(1);
    const auto& m = kGrayShuffles;
    int x = 0;
    for (; x + 32 <= w; x += 32, s += 96, d += 96) {
        const __m256i v0 = Load2x128(s, s + 48), v1 = Load2x128(s + 16, s + 64), v2 = Load2x128(s + 32, s + 80);
        const __m256i ch[3] = {SplitChannel2x(v0, v1, v2, m.split[0]), SplitChannel2x(v0, v1, v2, m.split[1]),
                               SplitChannel2x(v0, v1, v2, m.split[2])};
        const __m256i lo = Shares16(_mm256_unpacklo_epi8(ch[0], one), _mm256_unpacklo_epi8(offset, ch[1]),
                                    _mm256_unpacklo_epi8(ch[2], one));
        const __m256i hi = Shares16(_mm256_unpackhi_epi8(ch[0], one), _mm256_unpackhi_epi8(offset, ch[1]),
                                    _mm256_unpackhi_epi8(ch[2], one));
        const __m256i ties = _mm256_add_epi8(CountTies2x<150>(zero, ch[0]), RedTies2x(ch[2]));
        const __m256i grey = _mm256_sub_epi8(_mm256_packus_epi16(lo, hi), ties);
        Store2x128(d, d + 48, Shuffle2x(grey, m.spread[0]));
        Store2x128(d + 16, d + 64, Shuffle2x(grey, m.spread[1]));
        Store2x128(d + 32, d + 80, Shuffle2x(grey, m.spread[2]));
    }
    return x + GrayRowSsse3(s, d, w - x);
}
#undef TIRLINK_AVX2

int NoWideGrayRow(const uint8_t*, uint8_t*, int) { return 0; }

using GrayRow = int (*)(const uint8_t*, uint8_t*, int);
GrayRow WideGrayRow()
{
    static const GrayRow row = __builtin_cpu_supports("avx2")    ? GrayRowAvx2
                               : __builtin_cpu_supports("ssse3") ? GrayRowSsse3
                                                                 : NoWideGrayRow;
    return row;
}
#else
int NoWideGrayRow(const uint8_t*, uint8_t*, int) { return 0; }
using GrayRow = int (*)(const uint8_t*, uint8_t*, int);
GrayRow WideGrayRow() { return NoWideGrayRow; }
#endif
}  // namespace

void FxBMPGrayScale(TBitmap* Source, const TRect& R, TBitmap* Target, TPoint TargetPos)
{
    UnaryArea a;
    if (!a.Open(Source, R, Target, TargetPos)) return;
    const uint8_t* T11 = kGrayTables.T11;
    const uint8_t* T59 = kGrayTables.T59;
    const uint8_t* T30 = kGrayTables.T30;
    const uint8_t* BG = BlueGreenTable();
    const GrayRow wide = WideGrayRow();
    for (int y = 0; y < a.h; ++y) {
        const uint8_t* s = a.src.Row(y);
        uint8_t* d = a.dst.Row(y);
        int x = wide(s, d, a.w);
        s += x * kBpp;
        d += x * kBpp;
        // Four pixels are three 32-bit words; all three are read before any is written, so
        // the work may be done in place.
        for (; x + 4 <= a.w; x += 4, s += 12, d += 12) {
            const uint32_t w0 = Load32(s), w1 = Load32(s + 4), w2 = Load32(s + 8);
            const uint32_t g0 = uint32_t(BG[w0 & 0xFFFF] + T30[(w0 >> 16) & 0xFF]);
            const uint32_t g1 = uint32_t(BG[(w0 >> 24) | (w1 & 0xFF) << 8] + T30[(w1 >> 8) & 0xFF]);
            const uint32_t g2 = uint32_t(BG[w1 >> 16] + T30[w2 & 0xFF]);
            const uint32_t g3 = uint32_t(BG[(w2 >> 8) & 0xFFFF] + T30[w2 >> 24]);
            Store32(d, g0 * 0x010101u | g1 << 24);
            Store32(d + 4, g1 * 0x0101u | g2 * 0x01010000u);
            Store32(d + 8, g2 | g3 * 0x01010100u);
        }
        for (; x < a.w; ++x, s += kBpp, d += kBpp) {
            const uint8_t g = uint8_t(T11[s[0]] + T59[s[1]] + T30[s[2]]);
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
    const size_t bytes = size_t(a.w) * kBpp;
    // The source row is copied first (so the same image may be source and target); the
    // buffer has a spare byte, so every pixel can be read as one 32-bit word.
    std::vector<uint8_t> row(bytes + 1);
    for (int y = 0; y < a.h; ++y) {
        std::memcpy(row.data(), a.src.Row(y), bytes);
        uint8_t* d = a.dst.Row(y);
        const uint8_t* from = row.data() + bytes - kBpp;
        // Each 32-bit store spills one byte into the next pixel, which the next store then
        // overwrites; the last pixel is written with three bytes.
        for (int x = 0; x + 1 < a.w; ++x, d += kBpp, from -= kBpp) Store32(d, Load32(from));
        std::memcpy(d, from, kBpp);
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

namespace {
#if defined(__SSE2__)
// c2 + round(s x (c1 - c2)) for 16 bytes at a time. The product of a channel difference
// (9 bits) and a single-precision strength (24 bits) is exact in double precision, and the
// conversion rounds to nearest with ties to even, so every byte equals the table's result
// (FxBuildBlendTable, computed in extended precision); the clamps and the saturating packs
// give the same bounds as the table. Returns the number of bytes done.
int BlendRowFast(const uint8_t* p1, const uint8_t* p2, uint8_t* d, int bytes, float strength)
{
    const __m128d s = _mm_set1_pd(double(strength));
    const __m128d hi = _mm_set1_pd(256.0), lo = _mm_set1_pd(-256.0);
    const __m128i zero = _mm_setzero_si128();
    // d x s for four 32-bit differences, bounded like the table entries.
    auto scale4 = [&](__m128i d32) {
        __m128d a = _mm_mul_pd(_mm_cvtepi32_pd(d32), s);
        __m128d b = _mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(d32, 0x4E)), s);
        a = _mm_max_pd(_mm_min_pd(a, hi), lo);
        b = _mm_max_pd(_mm_min_pd(b, hi), lo);
        return _mm_unpacklo_epi64(_mm_cvtpd_epi32(a), _mm_cvtpd_epi32(b));
    };
    // Differences of eight 16-bit lanes, scaled.
    auto scale8 = [&](__m128i diff16) {
        const __m128i l = _mm_srai_epi32(_mm_unpacklo_epi16(diff16, diff16), 16);
        const __m128i h = _mm_srai_epi32(_mm_unpackhi_epi16(diff16, diff16), 16);
        return _mm_packs_epi32(scale4(l), scale4(h));
    };
    int i = 0;
    for (; i + 16 <= bytes; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p1 + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p2 + i));
        const __m128i bl = _mm_unpacklo_epi8(b, zero), bh = _mm_unpackhi_epi8(b, zero);
        const __m128i rl = _mm_add_epi16(bl, scale8(_mm_sub_epi16(_mm_unpacklo_epi8(a, zero), bl)));
        const __m128i rh = _mm_add_epi16(bh, scale8(_mm_sub_epi16(_mm_unpackhi_epi8(a, zero), bh)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(rl, rh));
    }
    return i;
}
#else
int BlendRowFast(const uint8_t*, const uint8_t*, uint8_t*, int, float) { return 0; }
#endif

#if defined(__x86_64__) || defined(__i386__)
// The same arithmetic four doubles at a time, for a strength between 0 and 1 (no product then
// leaves -255 .. 255, so no bound is needed): every byte equals BlendRowFast's.
__attribute__((target("avx2"))) inline __m256i Scale8Avx2(__m256i diff, __m256d s)
{
    const __m128i lo = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(diff)), s));
    const __m128i hi = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(diff, 1)), s));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

__attribute__((target("avx2"))) int BlendRowAvx2(const uint8_t* p1, const uint8_t* p2, uint8_t* d, int bytes,
                                                 float strength)
{
    const __m256d s = _mm256_set1_pd(double(strength));
    int i = 0;
    for (; i + 16 <= bytes; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p1 + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p2 + i));
        const __m256i b0 = _mm256_cvtepu8_epi32(b), b1 = _mm256_cvtepu8_epi32(_mm_srli_si128(b, 8));
        const __m256i a0 = _mm256_cvtepu8_epi32(a), a1 = _mm256_cvtepu8_epi32(_mm_srli_si128(a, 8));
        const __m256i v0 = _mm256_add_epi32(b0, Scale8Avx2(_mm256_sub_epi32(a0, b0), s));
        const __m256i v1 = _mm256_add_epi32(b1, Scale8Avx2(_mm256_sub_epi32(a1, b1), s));
        // The packs work within 128-bit halves: put the four quarters back in order.
        const __m256i w = _mm256_permute4x64_epi64(_mm256_packs_epi32(v0, v1), 0xD8);
        const __m128i out = _mm_packus_epi16(_mm256_castsi256_si128(w), _mm256_extracti128_si256(w, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), out);
    }
    return i;
}

using BlendRow = int (*)(const uint8_t*, const uint8_t*, uint8_t*, int, float);
BlendRow InRangeBlendRow()
{
    static const BlendRow row = __builtin_cpu_supports("avx2") ? BlendRowAvx2 : BlendRowFast;
    return row;
}

// c2 + ((c1 - c2) x M + K) >> S for a blend table that is one integer line (FitBlendLine):
// the pairs (difference, 1) times (M, K) give the line in 32 bits, the shift and the packs
// bring it back to bytes. Unpacks and packs both work within 128-bit halves, so the AVX2 form
// is the same sequence; the AVX2 form leaves the last 16 to 31 bytes to the SSE2 one. Returns
// the number of bytes done.
#define TIRLINK_BLEND_LINE_BODY(V, P, STEP, LOAD, STORE, ZERO)                                            \
    const V zero = ZERO;                                                                                \
    int i = 0;                                                                                          \
    for (; i + STEP <= bytes; i += STEP) {                                                              \
        const V a = LOAD(p1 + i), b = LOAD(p2 + i);                                                     \
        const V bl = P##_unpacklo_epi8(b, zero), bh = P##_unpackhi_epi8(b, zero);                       \
        const V dl = P##_sub_epi16(P##_unpacklo_epi8(a, zero), bl);                                     \
        const V dh = P##_sub_epi16(P##_unpackhi_epi8(a, zero), bh);                                     \
        const V sl = P##_packs_epi32(P##_sra_epi32(P##_madd_epi16(P##_unpacklo_epi16(dl, one), mk), shift),     \
                                     P##_sra_epi32(P##_madd_epi16(P##_unpackhi_epi16(dl, one), mk), shift));    \
        const V sh = P##_packs_epi32(P##_sra_epi32(P##_madd_epi16(P##_unpacklo_epi16(dh, one), mk), shift),     \
                                     P##_sra_epi32(P##_madd_epi16(P##_unpackhi_epi16(dh, one), mk), shift));    \
        STORE(d + i, P##_packus_epi16(P##_add_epi16(bl, sl), P##_add_epi16(bh, sh)));                   \
    }

__attribute__((target("avx2"))) inline __m256i Load256(const uint8_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
__attribute__((target("avx2"))) inline void Store256(uint8_t* p, __m256i v)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

int BlendLineRowSse2(const uint8_t* p1, const uint8_t* p2, uint8_t* d, int bytes, const BlendLine& line)
{
    const __m128i one = _mm_set1_epi16(1);
    const __m128i mk = _mm_set1_epi32(int32_t(uint32_t(uint16_t(line.K)) << 16 | uint16_t(line.M)));
    const __m128i shift = _mm_cvtsi32_si128(line.S);
    TIRLINK_BLEND_LINE_BODY(__m128i, _mm, 16, Load128, Store128, _mm_setzero_si128())
    return i;
}

__attribute__((target("avx2"))) int BlendLineRowAvx2(const uint8_t* p1, const uint8_t* p2, uint8_t* d, int bytes,
                                                     const BlendLine& line)
{
    const __m256i one = _mm256_set1_epi16(1);
    const __m256i mk = _mm256_set1_epi32(int32_t(uint32_t(uint16_t(line.K)) << 16 | uint16_t(line.M)));
    const __m128i shift = _mm_cvtsi32_si128(line.S);
    if (line.S == 15 && line.K == 16384) {
        // (d x M + 2^14) >> 15 is what the rounding multiply computes in 16 bits.
        const __m256i zero = _mm256_setzero_si256(), m = _mm256_set1_epi16(line.M);
        int i = 0;
        for (; i + 32 <= bytes; i += 32) {
            const __m256i a = Load256(p1 + i), b = Load256(p2 + i);
            const __m256i bl = _mm256_unpacklo_epi8(b, zero), bh = _mm256_unpackhi_epi8(b, zero);
            const __m256i sl = _mm256_mulhrs_epi16(_mm256_sub_epi16(_mm256_unpacklo_epi8(a, zero), bl), m);
            const __m256i sh = _mm256_mulhrs_epi16(_mm256_sub_epi16(_mm256_unpackhi_epi8(a, zero), bh), m);
            Store256(d + i, _mm256_packus_epi16(_mm256_add_epi16(bl, sl), _mm256_add_epi16(bh, sh)));
        }
        return i + BlendLineRowSse2(p1 + i, p2 + i, d + i, bytes - i, line);
    }
    TIRLINK_BLEND_LINE_BODY(__m256i, _mm256, 32, Load256, Store256, _mm256_setzero_si256())
    return i + BlendLineRowSse2(p1 + i, p2 + i, d + i, bytes - i, line);
}
#undef TIRLINK_BLEND_LINE_BODY

using BlendLineRow = int (*)(const uint8_t*, const uint8_t*, uint8_t*, int, const BlendLine&);
BlendLineRow LineBlendRow()
{
    static const BlendLineRow row = __builtin_cpu_supports("avx2") ? BlendLineRowAvx2 : BlendLineRowSse2;
    return row;
}
#else
using BlendRow = int (*)(const uint8_t*, const uint8_t*, uint8_t*, int, float);
BlendRow InRangeBlendRow() { return BlendRowFast; }
using BlendLineRow = int (*)(const uint8_t*, const uint8_t*, uint8_t*, int, const BlendLine&);
BlendLineRow LineBlendRow()
{
    return [](const uint8_t*, const uint8_t*, uint8_t*, int, const BlendLine&) { return 0; };
}
#endif
}  // namespace

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

    const BlendCache& table = BlendTable(Strength);
    const int16_t* D = table.D + 255;
    const int bytes = w * kBpp;
    const bool inRange = Strength >= 0.0f && Strength <= 1.0f;
    const BlendRow inRangeRow = InRangeBlendRow();
    const BlendLineRow lineRow = LineBlendRow();
    for (int y = 0; y < h; ++y) {
        const uint8_t* p1 = s1.Row(y);
        const uint8_t* p2 = s2.Row(y);
        uint8_t* d = dst.Row(y);
        int i = table.line.exact ? lineRow(p1, p2, d, bytes, table.line)
                : inRange        ? inRangeRow(p1, p2, d, bytes, Strength)
                                 : BlendRowFast(p1, p2, d, bytes, Strength);
        if (inRange) {
            // Between 0 and 1 the result lies between c1 and c2.
            for (; i < bytes; ++i) d[i] = uint8_t(p2[i] + D[p1[i] - p2[i]]);
        } else {
            // Outside that range it is clamped to the channel's range instead of wrapping.
            for (; i < bytes; ++i) d[i] = uint8_t(std::clamp(p2[i] + D[p1[i] - p2[i]], 0, 255));
        }
    }
}
