// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxbevel.h"

#include <algorithm>

TFxBevel::TFxBevel() = default;

void TFxBevel::SetStyleInner(TFxBevelStyle v)
{
    if (m_styleInner == v) return;
    if (m_styleInner == TFxBevelStyle::bvShadow) m_styleOuter = TFxBevelStyle::bvNone;
    m_styleInner = v;
    if (v == TFxBevelStyle::bvShadow) m_styleOuter = TFxBevelStyle::bvShadow;
    Change();
}

void TFxBevel::SetStyleOuter(TFxBevelStyle v)
{
    if (m_styleOuter == v) return;
    if (m_styleOuter == TFxBevelStyle::bvShadow) m_styleInner = TFxBevelStyle::bvNone;
    m_styleOuter = v;
    if (v == TFxBevelStyle::bvShadow) m_styleInner = TFxBevelStyle::bvShadow;
    Change();
}

void TFxBevel::SetWidthInner(int v) { StoreAndChange<uint8_t>(m_widthInner, uint8_t(std::clamp(v, 0, 50))); }
void TFxBevel::SetWidthOuter(int v) { StoreAndChange<uint8_t>(m_widthOuter, uint8_t(std::clamp(v, 0, 50))); }
void TFxBevel::SetBorderInnerWidth(int v) { StoreAndChange<uint8_t>(m_borderInnerWidth, uint8_t(std::clamp(v, 0, 255))); }
void TFxBevel::SetBorderWidth(int v) { StoreAndChange<uint8_t>(m_borderWidth, uint8_t(std::clamp(v, 0, 255))); }
void TFxBevel::SetBorderSides(TFxFrameSides v) { StoreAndChange<TFxFrameSides>(m_borderSides, TFxFrameSides(v & fsAllSides)); }
void TFxBevel::SetEdgeStyle(TFxEdgeStyle v) { StoreAndChange(m_edgeStyle, v); }
void TFxBevel::SetMode(TFxBevelMode v) { StoreAndChange(m_mode, v); }
void TFxBevel::SetThemedFrame(bool v) { StoreAndChange(m_themedFrame, v); }

void TFxBevel::SetStandardStyle(TFxBorderStyle v)
{
    if (m_standardStyle == v) return;
    m_standardStyle = v;
    if (m_mode == TFxBevelMode::bmStandard) Change();
}

void TFxBevel::SetColor(int Index, TColor v)
{
    TColor* field = nullptr;
    switch (Index) {
    case 0: field = &m_borderColor; break;
    case 1: field = &m_lightColor; break;
    case 2: field = &m_shadowColor; break;
    default: Change(); return;
    }
    StoreAndChange(*field, v);
}

void TFxBevel::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    const auto* src = dynamic_cast<const TFxBevel*>(Source);
    if (!src) {
        TFxObject::Assign(Source);
        return;
    }
    m_styleInner = src->m_styleInner;
    m_styleOuter = src->m_styleOuter;
    m_widthInner = src->m_widthInner;
    m_widthOuter = src->m_widthOuter;
    m_borderSides = src->m_borderSides;
    m_borderInnerWidth = src->m_borderInnerWidth;
    m_borderWidth = src->m_borderWidth;
    m_borderColor = src->m_borderColor;
    m_lightColor = src->m_lightColor;
    m_shadowColor = src->m_shadowColor;
    m_mode = src->m_mode;
    m_standardStyle = src->m_standardStyle;
    m_edgeStyle = src->m_edgeStyle;
    m_themedFrame = src->m_themedFrame;
    Change();
}

void TFxBevel::Change()
{
    m_extent = GetBevelExtend();
    m_farExtent = HasShadow() ? m_widthInner + m_widthOuter + m_borderInnerWidth : m_extent;
    TFxObject::Change();
}

QString TFxBevel::GetSetStr() const
{
    static const char* const names[] = {"Custom style", "Standard style", "Edged style", "Windows style"};
    return QStringLiteral("{%1}").arg(QLatin1String(names[size_t(m_mode)]));
}

// Width of one custom bevel in the extent: its width when drawn, one more for the frame
// styles (which count their extra pixel even at width 0).
static int BevelPart(TFxBevelStyle style, int width)
{
    int n = 0;
    if (style != TFxBevelStyle::bvNone) n += width;
    if (style == TFxBevelStyle::bvFrameLowered || style == TFxBevelStyle::bvFrameRaised) n += 1;
    return n;
}

int TFxBevel::GetBevelExtend() const
{
    switch (m_mode) {
    case TFxBevelMode::bmCustom:
        if (m_styleInner == TFxBevelStyle::bvShadow) return m_widthInner + m_borderInnerWidth;
        return m_borderWidth + m_borderInnerWidth + BevelPart(m_styleOuter, m_widthOuter) +
               BevelPart(m_styleInner, m_widthInner);
    case TFxBevelMode::bmStandard:
        return FxDrawStdFrameExt(m_standardStyle) + m_borderInnerWidth;
    case TFxBevelMode::bmEdge:
        return (m_borderSides != 0 ? 2 : 0) + m_borderInnerWidth;
    case TFxBevelMode::bmWindows:
        return m_themedFrame ? 0 : m_borderInnerWidth + 2;
    }
    return 0;
}

TRect TFxBevel::ClientRect(const TRect& R) const
{
    if (HasShadow()) {
        const int near = m_widthInner + m_borderInnerWidth;
        const int far = m_widthInner + m_widthOuter + m_borderInnerWidth;
        return TRect(R.Left + near, R.Top + near, R.Right - far, R.Bottom - far);
    }
    return TRect(R.Left + m_extent, R.Top + m_extent, R.Right - m_extent, R.Bottom - m_extent);
}

void TFxBevel::PaintBand(TCanvas* Canvas, TRect& W, int n, bool Transparent) const
{
    if (Transparent) {
        W.Inflate(-n, -n);
        return;
    }
    Canvas->Brush()->SetColor(m_borderColor);
    for (int i = 0; i < n; ++i) {
        Canvas->FrameRect(W);
        W.Inflate(-1, -1);
    }
}

void TFxBevel::PaintEdge(TCanvas* Canvas, TRect& W, bool Transparent) const
{
    if (m_borderSides == 0) return;
    static const uint32_t kinds[] = {BDR_RAISEDINNER, BDR_RAISEDOUTER, BDR_SUNKENINNER, BDR_SUNKENOUTER,
                                     EDGE_BUMP,       EDGE_ETCHED,     EDGE_RAISED,     EDGE_SUNKEN};
    const uint32_t kind = kinds[size_t(m_edgeStyle)];
    TRect O = W;
    TRect I = W;
    uint32_t f = 0;
    auto has = [this](TFxFrameSide s) { return (m_borderSides & FrameSides(s)) != 0; };
    if (has(TFxFrameSide::fsBottom)) { f |= BF_BOTTOM; O.Bottom += 2; I.Bottom -= 2; }
    if (has(TFxFrameSide::fsTop)) { f |= BF_TOP; O.Top -= 2; I.Top += 2; }
    if (has(TFxFrameSide::fsRight)) { f |= BF_RIGHT; O.Right += 2; I.Right -= 2; }
    if (has(TFxFrameSide::fsLeft)) { f |= BF_LEFT; O.Left -= 2; I.Left += 2; }

    TRect edge = W;
    DrawEdge(Canvas, edge, kind, f);

    if (!Transparent) {
        // The sides without an edge get a 2-pixel strip of the current brush: W minus O,
        // where O lies on W's edge on the sides that carry one and 2 pixels inside elsewhere.
        O.Inflate(-2, -2);
        TRect inner;
        if (!IntersectRect(inner, O, W)) {
            Canvas->FillRect(W);
        } else {
            const TRect strips[] = {
                TRect(W.Left, W.Top, W.Right, inner.Top),
                TRect(W.Left, inner.Bottom, W.Right, W.Bottom),
                TRect(W.Left, inner.Top, inner.Left, inner.Bottom),
                TRect(inner.Right, inner.Top, W.Right, inner.Bottom),
            };
            for (const TRect& s : strips)
                if (!s.IsEmpty()) Canvas->FillRect(s);
        }
    }
    W = I;
}

TRect TFxBevel::PaintBevel(TCanvas* Canvas, const TRect& R, bool Transparent)
{
    if (m_extent == 0) return R;
    TRect W = R;
    switch (m_mode) {
    case TFxBevelMode::bmCustom:
        if (m_styleOuter == TFxBevelStyle::bvShadow) {
            FxDrawFrameShadow(Canvas, W, m_lightColor, m_shadowColor, m_borderColor, m_widthOuter, m_widthInner,
                              Transparent, 0);
        } else {
            FxDrawFrame3D(Canvas, W, m_styleOuter, m_lightColor, m_shadowColor, m_widthOuter);
            PaintBand(Canvas, W, m_borderWidth, Transparent);
            FxDrawFrame3D(Canvas, W, m_styleInner, m_lightColor, m_shadowColor, m_widthInner);
        }
        break;
    case TFxBevelMode::bmStandard:
        FxDrawStdFrame(Canvas, W, m_standardStyle, 0);
        break;
    case TFxBevelMode::bmEdge:
        PaintEdge(Canvas, W, Transparent);
        break;
    case TFxBevelMode::bmWindows:
        FxDrawStdFrame(Canvas, W, TFxBorderStyle::lsLoweredExt, 0);
        break;
    }
    PaintBand(Canvas, W, m_borderInnerWidth, Transparent);
    return W;
}
