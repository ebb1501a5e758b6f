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
// it, so its block still moves by whole device pixels and is moved as such (fwMoveOnGrid).
// Marquee lines are not: every device pixel that their text covered is filled again (fwRefill)
// and all of the text is drawn anew, with the very calls a whole frame makes, onto a background
// that is the whole frame's there too. Either way only the text's old and new place are copied
// onto the surface and flushed.
//
// A frame is composed whole (a fresh work image, the background, all of the text, a whole copy):
//   - when the control is see-through or has a background effect;
//   - for outlined text (tdOutline): a stroked path cut by a clip is not the whole stroke moved;
//   - when kept frames are switched off (the plain path the kept one is checked against);
//   - for the first frame, after a frame cut short by an exception, after a paint cycle (what
//     the surface holds is not taken on trust), and for a frame composed from inside OnScroll
//     and the one after it (a nested frame, which is whole itself, in an image of its own);
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
#include <optional>
#include <tuple>
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

    // Every field, the one list == compares (the lines, dearest, last). The structured binding
    // names each member, so a field added to the key and not to this list does not compile.
    auto Fields() const
    {
        const auto& [l, ms, f, c, e, a, md, h, w, ht, r, v] = *this;
        return std::tie(ms, f, c, e, a, md, h, w, ht, r, v, l);
    }
    bool operator==(const TFxBlockKey& o) const { return Fields() == o.Fields(); }
};

// A segment as drawn: its text, its rectangle relative to its line's top-left corner, its style.
struct TFxDrawnSegment {
    QString text;
    TRect r;
    TFontStyles style;
};

// How a frame is built.
enum class TFxFrameWay {
    fwWhole,        // composed whole: the control draws the background and all of the text
    fwMove,         // at a whole scale: the block moved by its shift, the text drawn again only
                    // in the band that comes into view
    fwMoveOnGrid,   // at a fractional scale, for text drawn on the grid of its block's origin
                    // (TCanvas::SetTextGrid): fwMove in device pixels
    fwRefill,       // at a fractional scale, for text placed where its logical position falls:
                    // the background again wherever the last frame's text covered any device
                    // pixel, and all of the text drawn again, without a clip
};

// What the next frame is, as the control sees it: everything the choice of a way depends on.
struct TFxFrameRequest {
    // The control's look allows a kept frame (the first three cases above).
    bool keepable = false;
    // Asked for while another frame is composed (from inside OnScroll).
    bool nested = false;
    TFxBlockKey key;
    // The drawings the control's surface counts now.
    uint64_t surfaceGeneration = 0;
    // The text block's top-left corner.
    TPoint origin;
    // The text is drawn on the grid of the block's origin (a ticker line).
    bool onGrid = false;
    // The solid colour under the text; none when the control is see-through.
    std::optional<TColor> paper;
    // The work image's format; the kept frame moves and fills 24-bit pixels.
    TPixelFormat format = TPixelFormat::pf24bit;
};

// A frame begun: where it is composed and how.
struct TFxFrameStart {
    // The image to compose it in: fresh and of the view's size (unfilled when there is paper)
    // for a whole frame, else the kept one built up to the text.
    TBitmap* work = nullptr;
    TFxFrameWay way = TFxFrameWay::fwWhole;
    // For a moved frame, where the text must be drawn again (its clip too); empty otherwise.
    TRect band;
    // The part of the image a frame composes, in logical pixels: the view, and at a fractional
    // scale a pixel more to the right and below, over the device pixels the view's edges cut.
    TRect reachable;
    // A nested frame's own image.
    std::unique_ptr<TBitmap> own;

    bool Moved() const { return way == TFxFrameWay::fwMove || way == TFxFrameWay::fwMoveOnGrid; }
    // Whether the ticker line's segments are kept from this frame (a whole one of the kept image).
    bool Records() const { return way == TFxFrameWay::fwWhole && !own; }
};

class TFxKeptFrame {
public:
    // Chooses how the next frame is built and begins it: a whole frame gets a fresh work
    // image, a kept one is built from the last frame up to the text (moved, or refilled where
    // the text stood, with Request's paper).
    TFxFrameStart Begin(TFxFrameRequest Request);
    // The frame is complete, with the text covering Drawn. Returns the part of the image that
    // differs from the last frame (all that Frame reaches for a frame composed whole).
    TRect Finish(const TFxFrameStart& Frame, const TRect& Drawn);
    // The frame reached the surface, which now counts Generation drawings: only now may the
    // next frame be built on it (a frame cut short by an exception, in OnScroll too, is not).
    void Presented(const TFxFrameStart& Frame, uint64_t Generation)
    {
        if (Frame.own) return;
        m_surfaceSeen = Generation;
        m_valid = true;
    }
    // The next frame is composed whole.
    void Forget() { m_wholeDue = true; }
    // Whether the surface still shows the last frame, untouched since.
    bool Current(uint64_t SurfaceGeneration) const { return m_valid && !m_wholeDue && m_surfaceSeen == SurfaceGeneration; }

    // The ticker line's segments as the last whole frame drew them, relative to the line's
    // top-left corner.
    const std::vector<TFxDrawnSegment>& Segments() const { return m_segments; }
    // Keeps the segments a whole frame drew; their 3D copies reach Depth further right and down.
    void KeepSegments(std::vector<TFxDrawnSegment> Segments, int Depth);
    // Whether a kept frame's band, with the line's top-left corner at Corner, misses all that
    // drawing the segments covered (a pixel further for text drawn on the grid): the frame then
    // draws nothing and only tells them again.
    bool Misses(const TRect& Band, TPoint Corner, bool OnGrid) const;

private:
    bool CanKeep(const TFxFrameRequest& Request) const;
    // Builds the next frame in the kept image from the last one by whole device pixels, the
    // block moved from From to To (each rounded to its device pixel as the text grid rounds
    // it): moves what the text covered, fills what it left and the device pixels that come
    // into view with Paper, and returns the logical band that covers the latter (within
    // Reachable), the one part where the text must be drawn again.
    TRect Move(TPoint From, TPoint To, const TRect& Reachable, TColor Paper);
    // Fills every device pixel the last frame's text covered any of with Paper.
    void Refill(TColor Paper);

    std::unique_ptr<TBitmap> m_work;
    bool m_valid = false;      // the last frame reached the surface and may be built on
    bool m_wholeDue = false;
    TRect m_drawn;             // what the text covers in the kept image
    TRect m_before;            // what it covered before the last move
    TPoint m_origin;
    TFxBlockKey m_key;
    uint64_t m_surfaceSeen = 0;
    // The ticker line's segments, and what drawing all of them covered, relative to the line's
    // top-left corner, as the last whole frame drew them.
    std::vector<TFxDrawnSegment> m_segments;
    TRect m_reach;
};
