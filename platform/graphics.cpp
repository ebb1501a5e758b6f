// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Fonts, brushes, pens and 24-bit bitmaps: the graphics objects a canvas draws with and on.
// The canvas itself is in canvas.cpp (shapes, copies, edges) and canvastext.cpp (text).
#include "platform/graphics.h"

#include <QFontMetrics>
#include <QFile>
#include <QHash>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <algorithm>
#include <atomic>
#include <cstring>

QColor ToQColor(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

QPixmap ReadPng(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QString FinePictureName(const QString& path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (dot <= slash) return path + QStringLiteral("@2x");
    return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

QIcon ReadPngIcon(const QString& path, const QString& disabledPath)
{
    QIcon icon;
    const auto add = [&icon](const QString& p, QIcon::Mode mode) {
        icon.addPixmap(ReadPng(p), mode);
        const QString fine = FinePictureName(p);
        if (!QFile::exists(fine)) return;
        icon.addPixmap(ReadPng(fine), mode);
    };
    add(path, QIcon::Normal);
    if (!disabledPath.isEmpty()) add(disabledPath, QIcon::Disabled);
    return icon;
}

namespace {

std::atomic<uint64_t> g_fontRevision{1};

// Windows face names that Linux lacks, and the face drawn instead. Faces not listed go to
// fontconfig as they are ("Arial" and "Times New Roman" resolve to the Liberation faces).
QString QtFamily(const QString& name)
{
    static const QHash<QString, QString> map = {
        {QStringLiteral("ms sans serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("microsoft sans serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("ms shell dlg"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("ms shell dlg 2"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("tahoma"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("courier new"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("courier"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("verdana"), QStringLiteral("DejaVu Sans")},
    };
    return map.value(name.toLower(), name);
}

QFont BaseQFont(const QString& name, int pixelSize, TFontStyles style, TFontPitch pitch)
{
    QFont f(QtFamily(name));
    f.setPixelSize(std::max(1, pixelSize));
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    f.setStrikeOut(style & fsStrikeOut);
    if (pitch == TFontPitch::fpFixed) f.setFixedPitch(true);
    // What is measured must be what is drawn: no kerning, no shaping that could move glyphs,
    // whole-pixel advances from full hinting, and grey (not subpixel) antialiasing.
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferNoShaping | QFont::NoSubpixelAntialias));
    return f;
}

// The pixel size that a height of 0 stands for: the usual size of desktop dialog text
// (10 points at 96 pixels per inch is 13.3 pixels).
constexpr int DefaultPixelSize = 13;

} // namespace

// =============================================================================================
// Graphics objects
// =============================================================================================
void TGraphicsObject::Changed()
{
    if (OnChange) OnChange(this);
}

TFont::TFont() : m_revision(g_fontRevision++) {}

void TFont::FontChanged()
{
    m_qfont.reset();
    m_revision = g_fontRevision++;
    Changed();
}

void TFont::Assign(const TPersistent* Source)
{
    if (auto src = dynamic_cast<const TFont*>(Source)) {
        TFontValues& values = *this;
        const TFontValues& source = *src;
        if (values == source) return;
        values = source;
        FontChanged();
        return;
    }
    TPersistent::Assign(Source);
}

void TFont::SetName(const QString& v)
{
    const QString name = v.left(31);
    if (name == m_name) return;
    m_name = name;
    FontChanged();
}

void TFont::SetHeight(int32_t v)
{
    if (v == m_height) return;
    m_height = v;
    FontChanged();
}

int32_t TFont::Size() const
{
    return -MulDiv(m_height, 72, PixelsPerInch);
}

void TFont::SetSize(int32_t points)
{
    SetHeight(-MulDiv(points, PixelsPerInch, 72));
}

void TFont::SetStyle(TFontStyles v)
{
    if (v == m_style) return;
    m_style = v;
    FontChanged();
}

void TFont::SetColor(TColor v)
{
    if (v == m_color) return;
    m_color = v;
    // The colour is not part of the Qt font: the cached font stays valid.
    m_revision = g_fontRevision++;
    Changed();
}

void TFont::SetCharset(uint8_t v)
{
    if (v == m_charset) return;
    m_charset = v;
    m_revision = g_fontRevision++;
    Changed();
}

void TFont::SetPitch(TFontPitch v)
{
    if (v == m_pitch) return;
    m_pitch = v;
    FontChanged();
}

const QFont& TFont::ToQFont() const
{
    if (m_qfont) return *m_qfont;
    int pixels = DefaultPixelSize;
    if (m_height < 0) {
        pixels = -m_height;
    } else if (m_height > 0) {
        // A cell height: the largest pixel size whose ascent + descent fits it.
        pixels = 1;
        for (int p = m_height; p >= 1; --p) {
            const QFontMetrics fm(BaseQFont(m_name, p, m_style, m_pitch));
            if (fm.ascent() + fm.descent() <= m_height) {
                pixels = p;
                break;
            }
        }
    }
    m_qfont = std::make_unique<QFont>(BaseQFont(m_name, pixels, m_style, m_pitch));
    return *m_qfont;
}

void TFont::AssignQFont(const QFont& f)
{
    int height = m_height;
    if (f.pixelSize() > 0) height = -f.pixelSize();
    else if (f.pointSizeF() > 0) height = -MulDiv(Round(f.pointSizeF()), PixelsPerInch, 72);
    TFontStyles style = 0;
    if (f.bold()) style |= fsBold;
    if (f.italic()) style |= fsItalic;
    if (f.underline()) style |= fsUnderline;
    if (f.strikeOut()) style |= fsStrikeOut;
    const QString name = f.family().left(31);
    if (name == m_name && height == m_height && style == m_style) return;
    m_name = name;
    m_height = height;
    m_style = style;
    FontChanged();
}

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::Assign(const TPersistent* Source)
{
    if (auto src = dynamic_cast<const TBrush*>(Source)) {
        if (src == this) return;
        m_color = src->m_color;
        m_style = src->m_style;
        if (src->m_bitmap) {
            m_bitmap = std::make_unique<TBitmap>();
            m_bitmap->Assign(src->m_bitmap.get());
        } else {
            m_bitmap.reset();
        }
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBrush::SetColor(TColor v)
{
    if (v == m_color && m_style != TBrushStyle::bsClear) return;
    m_color = v;
    if (m_style == TBrushStyle::bsClear) m_style = TBrushStyle::bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle v)
{
    if (v == m_style) return;
    m_style = v;
    Changed();
}

void TBrush::SetBitmap(const TBitmap* v)
{
    if (!v) {
        if (!m_bitmap) return;
        m_bitmap.reset();
    } else {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(v);
        m_bitmap = std::move(copy);
    }
    Changed();
}

void TPen::Assign(const TPersistent* Source)
{
    if (auto src = dynamic_cast<const TPen*>(Source)) {
        TPenValues& values = *this;
        const TPenValues& source = *src;
        if (values == source) return;
        values = source;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TPen::SetColor(TColor v)
{
    if (v == m_color) return;
    m_color = v;
    Changed();
}

void TPen::SetWidth(int v)
{
    v = std::max(1, v);
    if (v == m_width) return;
    m_width = v;
    Changed();
}

void TPen::SetStyle(TPenStyle v)
{
    if (v == m_style) return;
    m_style = v;
    Changed();
}

void TPen::SetMode(TPenMode v)
{
    if (v == m_mode) return;
    m_mode = v;
    Changed();
}

// =============================================================================================
// TBitmap
// =============================================================================================
TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height)
{
    SetSize(width, height);
}

TBitmap::~TBitmap() = default;

void TBitmap::Assign(const TPersistent* Source)
{
    if (auto src = dynamic_cast<const TBitmap*>(Source)) {
        if (src == this) return;
        if (m_canvas) m_canvas->ReleaseHandle();
        m_image = src->Image().copy();
        m_width = src->m_width;
        m_height = src->m_height;
        m_ratio = src->m_ratio;
        m_format = src->m_format;
        m_transparent = src->m_transparent;
        m_transparentColor = src->m_transparentColor;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBitmap::SetSize(int w, int h)
{
    w = std::max(0, w);
    h = std::max(0, h);
    if (w == m_width && h == m_height) return;
    if (m_canvas) m_canvas->ReleaseHandle();
    m_width = w;
    m_height = h;
    if (w == 0 || h == 0) {
        m_image = QImage();
    } else {
        QImage next(w, h, QImage::Format_BGR888);
        next.setDevicePixelRatio(m_ratio);
        std::memset(next.bits(), 0xFF, size_t(next.sizeInBytes()));   // white
        if (!m_image.isNull()) {
            const int cw = std::min(w, m_image.width()) * 3;
            const int ch = std::min(h, m_image.height());
            for (int y = 0; y < ch; ++y) std::memcpy(next.scanLine(y), m_image.constScanLine(y), size_t(cw));
        }
        m_image = std::move(next);
    }
    Changed();
}

void TBitmap::AllocateUnfilled(int w, int h)
{
    w = std::max(0, w);
    h = std::max(0, h);
    if (m_canvas) m_canvas->ReleaseHandle();
    m_width = w;
    m_height = h;
    m_image = w == 0 || h == 0 ? QImage() : QImage(w, h, QImage::Format_BGR888);
    m_image.setDevicePixelRatio(m_ratio);
    Changed();
}

void TBitmap::SetDevicePixelRatio(qreal ratio)
{
    if (!(ratio > 0) || ratio == m_ratio) return;
    if (m_canvas) m_canvas->ReleaseHandle();
    m_ratio = ratio;
    m_image.setDevicePixelRatio(ratio);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat f)
{
    if (f == m_format) return;
    m_format = f;
    Changed();
}

TCanvas* TBitmap::Canvas() const
{
    if (!m_canvas) {
        m_canvas = std::make_unique<TCanvas>();
        m_canvas->SetTarget(const_cast<QImage*>(&m_image));
    }
    return m_canvas.get();
}

uint8_t* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= Height() || m_image.isNull()) throw EInvalidOperation(QStringLiteral("Scan line index out of range"));
    if (m_canvas) m_canvas->ReleaseHandle();
    return m_image.scanLine(y);
}

const uint8_t* TBitmap::ScanLine(int y) const
{
    if (y < 0 || y >= Height() || m_image.isNull()) throw EInvalidOperation(QStringLiteral("Scan line index out of range"));
    if (m_canvas) m_canvas->ReleaseHandle();
    return m_image.constScanLine(y);
}

const QImage& TBitmap::Image() const
{
    if (m_canvas) m_canvas->ReleaseHandle();
    return m_image;
}

void TBitmap::SetImage(const QImage& img)
{
    if (m_canvas) m_canvas->ReleaseHandle();
    m_image = img.isNull() ? QImage() : img.convertToFormat(QImage::Format_BGR888);
    m_image.setDevicePixelRatio(m_ratio);
    m_width = m_image.width();
    m_height = m_image.height();
    Changed();
}

bool TBitmap::LoadFromFile(const QString& path)
{
    QImage img;
    if (!img.load(path)) return false;
    SetImage(img);
    return true;
}
