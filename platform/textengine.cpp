// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/textengine.h"

#include <QPainter>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Fonts, widths, runs and masks
// ---------------------------------------------------------------------------------------------
std::shared_ptr<TTextCache::Face> TTextCache::FaceOf(const TFont& font, int extraSpacing)
{
    static thread_local QHash<QString, std::shared_ptr<Face>> faces;
    const QString key = font.Name() + QLatin1Char('|') + QString::number(font.Height()) + QLatin1Char('|') +
                        QString::number(font.Style()) + QLatin1Char('|') + QString::number(int(font.Pitch())) +
                        QLatin1Char('|') + QString::number(extraSpacing);
    auto it = faces.constFind(key);
    if (it != faces.constEnd()) return *it;
    auto f = std::make_shared<Face>();
    f->plain = font.ToQFont();
    f->spaced = f->plain;
    if (extraSpacing != 0) f->spaced.setLetterSpacing(QFont::AbsoluteSpacing, extraSpacing);
    f->fm = QFontMetrics(f->plain);
    f->sharedKey = f->plain.key() + QLatin1Char('|') + QString::number(extraSpacing) + QLatin1Char('|');
    f->ascent = f->fm.ascent();
    f->height = f->fm.height();
    f->tabWidth = std::max(1, 8 * f->fm.averageCharWidth());
    f->underlinePos = std::max(1, f->fm.underlinePos());
    f->strikeOutPos = std::max(1, f->fm.strikeOutPos());
    f->lineWidth = std::max(1, f->fm.lineWidth());
    if (faces.size() >= 64) faces.clear();
    faces.insert(key, f);
    return f;
}

QHash<QString, TTextCache::Run>& TTextCache::SharedRuns()
{
    static thread_local QHash<QString, Run> shared;
    return shared;
}

void TTextCache::Sync(const TFont& font, int extraSpacing)
{
    if (m_face && m_revision == font.Revision() && m_extra == extraSpacing) return;
    m_revision = font.Revision();
    std::shared_ptr<Face> f = FaceOf(font, extraSpacing);
    if (f == m_face) return;   // only the colour or the character set changed
    m_face = std::move(f);
    m_extra = extraSpacing;
    plain = m_face->plain;
    spaced = m_face->spaced;
    fm = &m_face->fm;
    m_sharedKey = m_face->sharedKey;
    ascent = m_face->ascent;
    height = m_face->height;
    tabWidth = m_face->tabWidth;
    underlinePos = m_face->underlinePos;
    strikeOutPos = m_face->strikeOutPos;
    lineWidth = m_face->lineWidth;
    m_runs.clear();
}

namespace {

// Qt puts letter spacing after every grapheme cluster (a character with its combining marks; a
// character outside the basic plane, two UTF-16 units), not after every unit.
int SpacedCharacters(const QString& s)
{
    int n = 0;
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, s);
    while (clusters.toNextBoundary() != -1) ++n;
    return n;
}

}  // namespace

int TTextCache::Advance(const QString& s)
{
    if (s.isEmpty()) return 0;
    QHash<QString, int>& widths = m_face->widths;
    auto it = widths.constFind(s);
    if (it != widths.constEnd()) return *it;
    if (widths.size() >= MaxEntries) widths.clear();
    const int w = fm->horizontalAdvance(s) + (m_extra == 0 ? 0 : m_extra * SpacedCharacters(s));
    widths.insert(s, w);
    return w;
}

const TTextCache::Run& TTextCache::RunOf(const QString& s)
{
    auto it = m_runs.constFind(s);
    if (it != m_runs.constEnd()) return *it;
    if (m_runs.size() >= MaxEntries) m_runs.clear();
    QHash<QString, Run>& shared = SharedRuns();
    const QString key = m_sharedKey + s;
    auto known = shared.constFind(key);
    if (known != shared.constEnd()) return *m_runs.insert(s, *known);
    QTextLayout layout(s, spaced);
    QTextOption opt;
    opt.setWrapMode(QTextOption::NoWrap);
    opt.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(opt);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e7);
    layout.endLayout();
    Run r;
    r.runs = layout.glyphRuns();
    // Qt draws a run's decorations from its own fractional metrics, and under a scaled painter
    // on the wrong rows or not at all; a glyph's mask must not carry them either.
    for (QGlyphRun& g : r.runs) {
        g.setUnderline(false);
        g.setStrikeOut(false);
        g.setOverline(false);
    }
    r.ascent = line.ascent();
    if (shared.size() >= MaxEntries) shared.clear();
    shared.insert(key, r);
    return *m_runs.insert(s, r);
}

const TTextCache::Sprite& TTextCache::SpriteOf(const QString& s, qreal ratio, QPointF phase)
{
    static thread_local QHash<QString, std::shared_ptr<const Sprite>> sprites;
    static thread_local size_t bytes = 0;
    // Looked up on every frame: a scale and placement other than the plain ones go ahead of the
    // font's key as a few code units (in 64ths and eighths of a pixel), not as formatted numbers.
    QString key = m_sharedKey + s;
    if (ratio != 1 || !phase.isNull()) {
        const QChar scaled[] = {QChar(u'\x1'), QChar(char16_t(qRound(ratio * 64))), QChar(char16_t(qRound(phase.x() * 8))),
                                QChar(char16_t(qRound(phase.y() * 8)))};
        key.prepend(scaled, 4);
    }
    auto known = sprites.constFind(key);
    if (known != sprites.constEnd()) return **known;
    const Run& run = RunOf(s);
    auto sp = std::make_shared<Sprite>();
    size_t size = 0;
    for (const QGlyphRun& g : run.runs) {
        const QList<quint32> glyphs = g.glyphIndexes();
        const QList<QPointF> positions = g.positions();
        const QRawFont font = g.rawFont();
        for (int i = 0; i < glyphs.size(); ++i) {
            // The glyph at its place under the piece's origin, with its fraction of a pixel.
            const QPointF at = positions[i] + QPointF(0, ascent - run.ascent);
            const QRectF ink = font.boundingRect(glyphs[i]).translated(at);
            const QRect box =
                QRectF(ink.topLeft() * ratio + phase, ink.size() * ratio).toAlignedRect().adjusted(-4, -4, 4, 4);
            if (box.isEmpty()) continue;
            QImage img(box.size(), QImage::Format_ARGB32_Premultiplied);
            img.fill(0);
            {
                QPainter q(&img);
                q.setRenderHint(QPainter::Antialiasing, false);
                q.setRenderHint(QPainter::TextAntialiasing, true);
                q.setPen(QColor(255, 255, 255));
                QGlyphRun one = g;
                one.setGlyphIndexes({glyphs[i]});
                one.setPositions({positions[i]});
                if (ratio == 1 && phase.isNull()) {
                    q.drawGlyphRun(QPointF(-box.left(), -box.top() + ascent - run.ascent), one);
                } else {
                    q.translate(phase.x() - box.left(), phase.y() - box.top());
                    q.scale(ratio, ratio);
                    q.drawGlyphRun(QPointF(0, ascent - run.ascent), one);
                }
            }
            int x0 = img.width(), x1 = -1, y0 = img.height(), y1 = -1;
            for (int y = 0; y < img.height(); ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
                for (int x = 0; x < img.width(); ++x) {
                    if (!qAlpha(row[x])) continue;
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x);
                    y0 = std::min(y0, y);
                    y1 = std::max(y1, y);
                }
            }
            if (x1 < 0) continue;
            Mask m;
            m.left = box.left() + x0;
            m.top = box.top() + y0;
            m.width = x1 - x0 + 1;
            m.height = y1 - y0 + 1;
            m.coverage.resize(size_t(m.width) * size_t(m.height));
            for (int y = 0; y < m.height; ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y0 + y)) + x0;
                for (int x = 0; x < m.width; ++x)
                    m.coverage[size_t(y) * size_t(m.width) + size_t(x)] = uchar(qAlpha(row[x]));
            }
            size += m.coverage.size();
            sp->push_back(std::move(m));
        }
    }
    if (sprites.size() >= MaxEntries || bytes > (size_t(32) << 20)) {
        sprites.clear();
        bytes = 0;
    }
    bytes += size;
    return **sprites.insert(key, sp);
}

// ---------------------------------------------------------------------------------------------
// Layout of lines
// ---------------------------------------------------------------------------------------------
TTextLine LayoutLine(TTextCache& tc, const QString& raw, uint32_t flags)
{
    // Prefixes: "&x" underlines x, "&&" is one "&"; a trailing single "&" shows nothing.
    QString s;
    std::vector<int> marks;
    if (flags & DT_NOPREFIX) {
        s = raw;
    } else {
        s.reserve(raw.size());
        for (int i = 0; i < raw.size(); ++i) {
            if (raw.at(i) == QLatin1Char('&')) {
                if (i + 1 >= raw.size()) break;
                ++i;
                if (raw.at(i) != QLatin1Char('&') && !(flags & DT_HIDEPREFIX)) marks.push_back(int(s.size()));
            }
            s += raw.at(i);
        }
    }
    // Line breaks inside a single line, and tabs that are not expanded, count as blanks.
    for (QChar& ch : s) {
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) ch = QLatin1Char(' ');
        else if (ch == QLatin1Char('\t') && !(flags & DT_EXPANDTABS)) ch = QLatin1Char(' ');
    }
    TTextLine line;
    int x = 0;
    int start = 0;
    for (int i = 0; i <= s.size(); ++i) {
        if (i < s.size() && s.at(i) != QLatin1Char('\t')) continue;
        const QString piece = s.mid(start, i - start);
        for (int m : marks) {
            if (m >= start && m < i) {
                const int ux = x + tc.Advance(piece.left(m - start));
                line.underlines.push_back({ux, tc.fm->horizontalAdvance(s.at(m))});
            }
        }
        if (!piece.isEmpty()) line.pieces.push_back({piece, x});
        x += tc.Advance(piece);
        if (i < s.size()) x = (x / tc.tabWidth + 1) * tc.tabWidth;
        start = i + 1;
    }
    line.width = x;
    return line;
}

std::vector<TTextLine> LayoutText(TTextCache& tc, const QString& text, uint32_t flags, int width)
{
    std::vector<TTextLine> lines;
    QStringList paragraphs;
    if (flags & DT_SINGLELINE) {
        paragraphs << text;
    } else {
        QString t = text;
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        paragraphs = t.split(QLatin1Char('\n'));
    }
    const bool wrap = (flags & DT_WORDBREAK) && !(flags & DT_SINGLELINE);
    for (const QString& para : paragraphs) {
        if (!wrap) {
            lines.push_back(LayoutLine(tc, para, flags));
            continue;
        }
        // Greedy word wrap: a line takes words while it fits; blanks at a break are dropped;
        // a single word wider than the rectangle stays whole on its own line.
        int pos = 0;
        const int n = int(para.size());
        do {
            int end = pos;     // end of the accepted text
            int scan = pos;
            while (scan < n) {
                int wordEnd = scan;
                while (wordEnd < n && para.at(wordEnd) == QLatin1Char(' ')) ++wordEnd;
                while (wordEnd < n && para.at(wordEnd) != QLatin1Char(' ')) ++wordEnd;
                if (end > pos && LayoutLine(tc, para.mid(pos, wordEnd - pos), flags).width > width) break;
                end = wordEnd;
                scan = wordEnd;
            }
            lines.push_back(LayoutLine(tc, para.mid(pos, end - pos), flags));
            pos = end;
            while (pos < n && para.at(pos) == QLatin1Char(' ')) ++pos;
        } while (pos < n);
    }
    return lines;
}
