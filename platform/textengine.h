// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed, so no program of its own comes to depend on it.
// The canvas's text engine: what a font description resolves to (Qt fonts, metrics, widths),
// text laid out into lines (prefixes, tabs, word breaks), the glyph runs Qt shapes, and the
// glyphs as coverage masks for drawing straight into 24-bit images.
//
// Everything here is cached, and the caches are per thread: a canvas is used on one thread,
// and a canvas made fresh for every frame (a scrolling control's work bitmap) finds the fonts,
// widths, runs and masks the one before it built. Each cache is bounded and dropped whole when
// full. Internal to the platform's canvas.
#pragma once

#include "platform/graphics.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <memory>
#include <utility>
#include <vector>

// Fonts, metrics and laid-out glyph runs of one canvas's font at its current extra spacing.
// Sync brings it up to date; the glyph runs of recently drawn texts are kept, so that a text
// drawn every frame is shaped once.
class TTextCache {
public:
    // What one font description at one extra spacing resolves to: the Qt fonts, their metrics
    // and the widths measured so far, shared per thread by every canvas using that font.
    struct Face {
        QFont plain;                  // the font without extra spacing, for measuring
        QFont spaced;                 // with the extra spacing, for drawing and paths
        QFontMetrics fm{QFont()};
        int ascent = 0, height = 0, tabWidth = 8, underlinePos = 1, strikeOutPos = 1, lineWidth = 1;
        QString sharedKey;            // the font's key for laid-out runs and sprites
        QHash<QString, int> widths;
    };
    // A piece of text laid out by Qt: its glyph runs, without the font's underline and
    // strike-out (the canvas fills those itself), and where its baseline lies.
    struct Run {
        QList<QGlyphRun> runs;
        qreal ascent = 0;         // the layout's baseline below its top
    };
    // One glyph as Qt renders it, as a coverage mask (0..255 per pixel) cropped to its ink.
    // Left and top place it against the point where its piece is drawn.
    struct Mask {
        int left = 0, top = 0, width = 0, height = 0;
        std::vector<uchar> coverage;
    };
    // A piece of text glyph by glyph in drawing order: where the ink of neighbouring glyphs
    // overlaps, blending them one after the other gives what Qt's blending gives.
    using Sprite = std::vector<Mask>;

    // Follows the font and the extra spacing; cheap when neither changed.
    void Sync(const TFont& font, int extraSpacing);

    // Advance width of a piece of text without tabs, with the extra spacing after every
    // character.
    int Advance(const QString& s);
    const Run& RunOf(const QString& s);
    // The masks in device pixels of an image scaled by ratio, placed against the piece's point
    // scaled by it: the glyphs rasterised at that resolution. At a fractional ratio that point
    // falls inside a device pixel: phase (each coordinate in [0, 1)) is how far, and the masks
    // are placed against the pixel's corner, so a piece gets one set per phase it is drawn at.
    const Sprite& SpriteOf(const QString& s, qreal ratio = 1, QPointF phase = QPointF());
    // The band of rows around a line that drawn text may touch: a margin above and below.
    int InkMargin() const { return height / 2 + 2; }

    // The current face's facts, copied out for the drawing loops.
    QFont plain, spaced;
    const QFontMetrics* fm = nullptr;
    int ascent = 0, height = 0, tabWidth = 8, underlinePos = 1, strikeOutPos = 1, lineWidth = 1;

private:
    static std::shared_ptr<Face> FaceOf(const TFont& font, int extraSpacing);
    static QHash<QString, Run>& SharedRuns();
    static constexpr int MaxEntries = 256;

    uint64_t m_revision = 0;
    int m_extra = 0;
    std::shared_ptr<Face> m_face;
    QString m_sharedKey;
    QHash<QString, Run> m_runs;
};

// One line of laid-out text: pieces between tabs with their x offsets, mnemonic underlines.
struct TTextLine {
    struct Piece { QString text; int x; };
    std::vector<Piece> pieces;
    std::vector<std::pair<int, int>> underlines;   // x, width
    int width = 0;
};

// One line of text as DrawTextEx's flags ask: "&x" underlines x unless DT_NOPREFIX, tabs
// expanded with DT_EXPANDTABS (else blanks), line breaks as blanks.
TTextLine LayoutLine(TTextCache& tc, const QString& raw, uint32_t flags);
// Text broken into lines: at line breaks unless DT_SINGLELINE, and with DT_WORDBREAK greedily
// at blanks to fit width (a single word wider than that stays whole on its own line).
std::vector<TTextLine> LayoutText(TTextCache& tc, const QString& text, uint32_t flags, int width);
