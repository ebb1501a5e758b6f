// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed, so no program of its own comes to depend on it.
// The guard that puts a canvas's painter back the way a drawing call found it, for the
// platform's canvas.
#pragma once

#include "platform/graphics.h"

#include <QPainter>

// Remembers the painter's composition mode (which a pen's mix mode or a copy's raster
// operation changes) and puts it back when the scope ends, also when a call inside throws;
// with restoreClip, the canvas's own clip comes back as well (a call that clips to its own
// rectangle). Lighter than QPainter::save/restore, which copies the whole state, on the
// paths a ticker runs on every frame. A null painter makes it do nothing.
struct TCanvas::PainterState {
    PainterState(TCanvas& canvas, QPainter* p, bool restoreClip = false)
        : m_canvas(canvas), m_p(p), m_mode(p ? p->compositionMode() : QPainter::CompositionMode_SourceOver),
          m_restoreClip(restoreClip)
    {
    }
    ~PainterState()
    {
        if (!m_p) return;
        m_p->setCompositionMode(m_mode);
        if (m_restoreClip) m_canvas.ApplyClip(*m_p);
    }
    PainterState(const PainterState&) = delete;
    PainterState& operator=(const PainterState&) = delete;

private:
    TCanvas& m_canvas;
    QPainter* m_p;
    QPainter::CompositionMode m_mode;
    bool m_restoreClip;
};
