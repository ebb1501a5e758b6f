// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/pixelrows.h"

#include <QVarLengthArray>
#include <QtMath>

#include <algorithm>
#include <cstring>
#include <utility>
#ifdef TIRLINK_HAVE_SSSE3_ROWS
#include <immintrin.h>
#endif

void FillBgr24(QImage& img, const QRect& r, TColor color)
{
    if (r.isEmpty()) return;
    Q_ASSERT(img.format() == QImage::Format_BGR888);
    Q_ASSERT(img.rect().contains(r));
    const TColor rgb = ColorToRGB(color);
    const uchar px[3] = {GetBValue(rgb), GetGValue(rgb), GetRValue(rgb)};
    const qsizetype bpl = img.bytesPerLine();
    uchar* first = img.bits() + r.top() * bpl + 3 * r.left();
    const size_t row = size_t(3 * r.width());
    // The first row doubles itself; the others are copies of it.
    std::memcpy(first, px, 3);
    for (size_t done = 3; done < row; done *= 2) std::memcpy(first + done, first, std::min(done, row - done));
    for (int y = 1; y < r.height(); ++y) std::memcpy(first + y * bpl, first, row);
}

void Bgr24ToRgb32Row(const uchar* in, quint32* px, int w)
{
    Q_ASSERT(w >= 0 && (w == 0 || (in && px)));
    int x = 0;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    // Four pixels from three 32-bit words (B0 G0 R0 B1 | G1 R1 B2 G2 | R2 B3 G3 R3).
    for (; x + 4 <= w; x += 4, in += 12) {
        quint32 a, b, c;
        std::memcpy(&a, in, 4);
        std::memcpy(&b, in + 4, 4);
        std::memcpy(&c, in + 8, 4);
        px[x] = 0xFF000000u | (a & 0xFFFFFFu);
        px[x + 1] = 0xFF000000u | (a >> 24) | ((b & 0xFFFFu) << 8);
        px[x + 2] = 0xFF000000u | (b >> 16) | ((c & 0xFFu) << 16);
        px[x + 3] = 0xFF000000u | (c >> 8);
    }
#endif
    for (; x < w; ++x, in += 3)
        px[x] = 0xFF000000u | (quint32(in[2]) << 16) | (quint32(in[1]) << 8) | in[0];
}

#ifdef TIRLINK_HAVE_SSSE3_ROWS
// Four pixels per step with byte shuffles.
__attribute__((target("ssse3"))) void Bgr24ToRgb32RowSsse3(const uchar* in, quint32* px, int w)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    int x = 0;
    // A 16-byte load takes 12 bytes of pixels: stop while 16 bytes are still inside the row.
    for (; x + 6 <= w; x += 4, in += 12) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px + x), _mm_or_si128(_mm_shuffle_epi8(v, spread), opaque));
    }
    Bgr24ToRgb32Row(in, px + x, w - x);
}
#endif

namespace {
using RowConverter = void (*)(const uchar*, quint32*, int);
RowConverter PickRowConverter()
{
#ifdef TIRLINK_HAVE_SSSE3_ROWS
    if (__builtin_cpu_supports("ssse3")) return Bgr24ToRgb32RowSsse3;
#endif
    return Bgr24ToRgb32Row;
}
} // namespace

void Bgr24ToRgb32Line(const uchar* in, quint32* px, int w)
{
    static const RowConverter convert = PickRowConverter();
    convert(in, px, w);
}

void Rgb32ToBgr24Row(const quint32* in, uchar* out, int w)
{
    Q_ASSERT(w >= 0 && (w == 0 || (in && out)));
    int i = 0;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    // Four pixels into three 32-bit words, the reverse of Bgr24ToRgb32Row.
    for (; i + 4 <= w; i += 4, out += 12) {
        const quint32 a = (in[i] & 0xFFFFFFu) | (in[i + 1] << 24);
        const quint32 b = ((in[i + 1] >> 8) & 0xFFFFu) | (in[i + 2] << 16);
        const quint32 c = ((in[i + 2] >> 16) & 0xFFu) | (in[i + 3] << 8);
        std::memcpy(out, &a, 4);
        std::memcpy(out + 4, &b, 4);
        std::memcpy(out + 8, &c, 4);
    }
#endif
    for (; i < w; ++i, out += 3) {
        out[0] = uchar(in[i]);
        out[1] = uchar(in[i] >> 8);
        out[2] = uchar(in[i] >> 16);
    }
}

QRect LogicalBounds(const QImage& img)
{
    const qreal k = img.devicePixelRatio();
    if (k == 1) return img.rect();
    return QRect(0, 0, qCeil(img.width() / k), qCeil(img.height() / k));
}

QRect DeviceRectRounded(const QImage& img, const QRect& r)
{
    const qreal k = img.devicePixelRatio();
    if (k == 1 || r.isEmpty()) return r;
    const QPoint topLeft = DeviceCornerRounded(QPointF(r.topLeft()) * k);
    const QPoint end = DeviceCornerRounded(QPointF(r.bottomRight() + QPoint(1, 1)) * k);
    return QRect(topLeft, end - QPoint(1, 1));
}

QRect DeviceRectCovering(const QImage& img, const QRect& r)
{
    const qreal k = img.devicePixelRatio();
    if (k == 1 || r.isEmpty()) return r;
    const QPoint topLeft(qFloor(r.left() * k), qFloor(r.top() * k));
    const QPoint end(qCeil((r.right() + 1) * k), qCeil((r.bottom() + 1) * k));
    return QRect(topLeft, end - QPoint(1, 1));
}

QRect LogicalRectCovering(const QImage& img, const QRect& device)
{
    const qreal k = img.devicePixelRatio();
    if (k == 1 || device.isEmpty()) return device;
    const QPoint topLeft(qFloor(device.left() / k), qFloor(device.top() / k));
    const QPoint end(qCeil((device.right() + 1) / k), qCeil((device.bottom() + 1) / k));
    return QRect(topLeft, end - QPoint(1, 1));
}

namespace {
// The first and one past the last index where two rows of 32-bit pixels differ; first == last
// when they are equal.
std::pair<int, int> DifferingSpan(const quint32* a, const quint32* b, int w)
{
    int first = 0;
    while (first < w && a[first] == b[first]) ++first;
    if (first == w) return {w, w};
    int last = w;
    while (last > first && a[last - 1] == b[last - 1]) --last;
    return {first, last};
}

#ifdef TIRLINK_HAVE_SSSE3_ROWS
// The differing span of a 24-bit row against the 32-bit pixels it would become, four pixels per
// step, converting and comparing in registers without writing anything.
inline bool Same1(const uchar* p, quint32 px)
{
    return px == (0xFF000000u | (quint32(p[2]) << 16) | (quint32(p[1]) << 8) | p[0]);
}

__attribute__((target("ssse3"))) std::pair<int, int> DifferingSpan24Ssse3(const uchar* in, const quint32* px, int w)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    // Four pixels converted in a register and compared with four of the target.
#define TIRLINK_SAME4(x)                                                                                          \
    (_mm_movemask_epi8(_mm_cmpeq_epi32(                                                                           \
         _mm_or_si128(_mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * (x))), spread), \
                      opaque),                                                                                    \
         _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + (x))))) == 0xFFFF)
    // A 16-byte load takes 12 bytes of pixels: groups stay where 16 bytes are inside the row.
    int first = 0;
    while (first + 6 <= w && TIRLINK_SAME4(first)) first += 4;
    while (first < w && Same1(in + 3 * first, px[first])) ++first;
    if (first == w) return {w, w};
    int last = w;
    while (last > first && last > w - 2 && Same1(in + 3 * (last - 1), px[last - 1])) --last;
    while (last - 4 >= first && last + 2 <= w && TIRLINK_SAME4(last - 4)) last -= 4;
    while (last > first && Same1(in + 3 * (last - 1), px[last - 1])) --last;
#undef TIRLINK_SAME4
    return {first, last};
}
#endif

// The differing span of a 24-bit row against a 32-bit one: in registers where the processor
// allows, else converted aside and compared.
std::pair<int, int> DifferingSpan24(const uchar* in, const quint32* px, int w)
{
#ifdef TIRLINK_HAVE_SSSE3_ROWS
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) return DifferingSpan24Ssse3(in, px, w);
#endif
    static thread_local QVarLengthArray<quint32, 4096> row;
    row.resize(w);
    Bgr24ToRgb32Row(in, row.data(), w);
    return DifferingSpan(row.data(), px, w);
}
} // namespace

bool CopyPixels24(QImage& to, const QRect& dest, const QImage& from, const QRect& src, QRect* changed)
{
    if (from.format() != QImage::Format_BGR888) return false;
    const QImage::Format f = to.format();
    const bool wide = f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
    if (!wide && f != QImage::Format_BGR888) return false;
    Q_ASSERT(dest.size() == src.size());
    Q_ASSERT(dest.isEmpty() || (to.rect().contains(dest) && from.rect().contains(src)));
    const int w = dest.width();
    int x0 = w, x1 = 0, y0 = -1, y1 = -1;
    for (int y = 0; y < dest.height(); ++y) {
        const uchar* in = from.constScanLine(src.top() + y) + 3 * src.left();
        uchar* out = to.scanLine(dest.top() + y);
        if (!wide) {
            std::memcpy(out + 3 * dest.left(), in, size_t(3 * w));
            continue;
        }
        quint32* px = reinterpret_cast<quint32*>(out) + dest.left();
        if (!changed) {
            Bgr24ToRgb32Line(in, px, w);
            continue;
        }
        // Only the span that differs is written.
        const auto [first, last] = DifferingSpan24(in, px, w);
        if (first == last) continue;
        Bgr24ToRgb32Line(in + 3 * first, px + first, last - first);
        x0 = std::min(x0, first);
        x1 = std::max(x1, last);
        if (y0 < 0) y0 = y;
        y1 = y;
    }
    if (changed) {
        if (!wide) *changed = dest;
        else *changed = y0 < 0 ? QRect() : QRect(dest.left() + x0, dest.top() + y0, x1 - x0, y1 - y0 + 1);
    }
    return true;
}

void MovePixels(QImage& img, const QRect& to, const QRect& from)
{
    Q_ASSERT(img.depth() >= 8 && to.size() == from.size());
    Q_ASSERT(to.isEmpty() || (img.rect().contains(to) && img.rect().contains(from)));
    const int bytes = img.depth() / 8;
    const size_t row = size_t(bytes) * size_t(to.width());
    uchar* const bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    auto move = [&](int y) {
        std::memmove(bits + (to.top() + y) * bpl + bytes * to.left(), bits + (from.top() + y) * bpl + bytes * from.left(),
                     row);
    };
    // Rows are taken in the order that reads each before it is overwritten; memmove does the
    // same within a row.
    if (to.top() <= from.top()) {
        for (int y = 0; y < to.height(); ++y) move(y);
    } else {
        for (int y = to.height() - 1; y >= 0; --y) move(y);
    }
}
