// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
// Internal to the library: not installed, so no program of its own comes to depend on it.
// TFxKeptFrame: the last frame of a scrolling text, kept so that the next one is built from
// it: the text block moved by its shift, and only the band that comes into view drawn again.
//
// Invariant: the kept work image is, pixel for pixel, the frame that composing it whole at its
// step gives, and the control's surface shows it; a frame built from it is again the whole
// frame of its step, with the same segments told. At a whole-number scale this holds because
// the text is drawn the same wherever it stands at a whole-pixel shift and the same inside a
// clip as without one: glyph masks and filled decorations are placed at whole device pixels and
// cut, never re-rasterised. At a fractional scale a logical step is not a whole number of
// device pixels. A ticker line is drawn on the grid of its origin, the device pixel nearest to
// it, so its block still moves by whole device pixels and is moved as such (MoveOnGrid).
// Marquee lines are not: every device pixel that their text covered is filled again (Refill)
// and all of the text is drawn anew, with the very calls a whole frame makes, onto a background
// that is the whole frame's there too. Either way only the text's old and new place are copied
// onto the surface and flushed.
//
// A frame is composed whole (a fresh work image, the background, all of the text, a whole copy):
//   - when the control is see-through or has a background effect;
//   - for outlined text (tdOutline): a stroked path cut by a clip is not the whole stroke moved;
//   - when kept frames are switched off (the plain path the kept one is checked against);
//   - for the first frame, after a frame cut short by an exception, after a paint cycle (what
//     the surface holds is not taken on trust), and after a frame composed from inside OnScroll
//     (a nested frame, which is whole itself, in an image of its own);
//   - when anything the block's pixels depend on changed (TFxBlockKey): the lines, a measuring,
//     the font, the colours, Enabled, alignment, mode, axis, inner size, scale, or which marquee
//     lines are in view;
//   - when anything else drew on the surface since the last frame.
// The copy onto the surface is whole also when OnScroll drew on the surface (or repainted it):
// the frame is copied after OnScroll and covers what it drew.
//
// GUI thread only, like the control that owns it.
#pragma once

#include "platform/graphics.h"

#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

// What the pixels of a frame's text block depend on, besides where the block stands.
struct TFxBlockKey {
    QStringList lines;
    uint64_t measured = 0, font = 0;
    TColor color = clNone;
    bool enabled = false;
    int alignment = 0, mode = 0;
    bool horizontal = false;
    int32_t innerWidth = 0, innerHeight = 0;
    qreal ratio = 0;
    std::pair<int, int> inView;   // the marquee lines drawn: first, one past the last
    bool operator==(const TFxBlockKey& o) const;
};

// A segment as drawn: its text, its rectangle relative to its line's top-left corner, its style.
struct TFxDrawnSegment {
    QString text;
    TRect r;
    TFontStyles style;
};

class TFxKeptFrame {
public:
    // Whether the next frame may be built from the kept one: Keepable says the control's look
    // allows it (the first three cases above); the rest is checked here.
    bool CanKeep(bool Keepable, const TFxBlockKey& Key, uint64_t SurfaceGeneration) const;
    // The work image of a frame: the kept one when Keep, else a fresh one.
    TBitmap* Begin(bool Keep);
    // Builds the next frame in the kept image from the last one, with the block at Origin:
    // moves what the text covered, clears what it left and the band that comes into view, and
    // returns that band, the one part where the text must be drawn again.
    TRect Move(TPoint Origin, const TRect& View);
    // At a fractional scale, for text drawn on the grid of its block's origin (TCanvas::
    // SetTextGrid), which moves by whole device pixels: Move in device pixels. What the text
    // covered is moved by the shift between the two origins' device pixels, what it left and
    // the device pixels that come into view show the background again, and the logical band
    // that covers the latter is returned, for the text to be drawn again there. View here
    // reaches past the last device pixel the image holds.
    TRect MoveOnGrid(TPoint Origin, const TRect& View);
    // At a fractional scale, instead of Move, for text placed where its logical position falls:
    // the next frame in the kept image is the background again wherever the last frame's text
    // covered any device pixel; all of the text is then drawn again, without a clip.
    void Refill();
    // The frame is complete, with the text covering Drawn (within View) and the block at
    // Origin. Returns the part of the image that differs from the last frame (all of View for
    // a frame composed whole).
    TRect Finish(bool Kept, const TRect& Drawn, const TRect& View, TPoint Origin, TFxBlockKey Key);
    // The frame reached the surface, which now counts Generation drawings: only now may the
    // next frame be built on it (a frame cut short by an exception, in OnScroll too, is not).
    void Presented(uint64_t Generation)
    {
        m_surfaceSeen = Generation;
        m_valid = true;
    }
    // The next frame is composed whole.
    void Forget() { m_wholeDue = true; }
    // Whether the surface still shows the last frame, untouched since.
    bool Current(uint64_t SurfaceGeneration) const { return m_valid && !m_wholeDue && m_surfaceSeen == SurfaceGeneration; }

    // The ticker line's segments and what drawing all of them covered, relative to the line's
    // top-left corner, as the last whole frame drew them: a kept frame whose band misses that
    // reach draws nothing and only tells them again.
    std::vector<TFxDrawnSegment> segments;
    TRect reach;

private:
    std::unique_ptr<TBitmap> m_work;
    bool m_valid = false;      // the last frame reached the surface and may be built on
    bool m_wholeDue = false;
    TRect m_drawn;             // what the text covers in the kept image
    TRect m_before;            // what it covered before the last move
    TPoint m_origin;
    TFxBlockKey m_key;
    uint64_t m_surfaceSeen = 0;
};
