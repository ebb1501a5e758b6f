// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxgradient.h"

#include <algorithm>

TFxGradient::TFxGradient()
{
    BuildColorList();
}

void TFxGradient::SetColor(TColor v) { StoreAndChange(m_color, v); }
void TFxGradient::SetColorCount(int v) { StoreAndChange(m_colorCount, std::clamp(v, 2, 236)); }
void TFxGradient::SetStyle(TFxGradientStyle v) { StoreAndChange(m_style, v); }
void TFxGradient::SetEndColor(TColor v) { StoreAndChange(m_endColor, v); }
void TFxGradient::SetPaletteRealize(bool v) { StoreAndChange(m_paletteRealize, v); }
void TFxGradient::SetTwoColors(bool v) { StoreAndChange(m_twoColors, v); }
void TFxGradient::SetKeyColors(const std::vector<TColor>& v) { StoreAndChange(m_keyColors, v); }

void TFxGradient::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    const auto* src = dynamic_cast<const TFxGradient*>(Source);
    if (!src) {
        TFxObject::Assign(Source);
        return;
    }
    static_cast<TFxGradientValues&>(*this) = *src;
    Change();
}

void TFxGradient::Change()
{
    BuildColorList();
    TFxObject::Change();
}

void TFxGradient::BuildColorList()
{
    if (m_twoColors) {
        FxGradientCreateColorList(m_color, m_endColor, m_colorCount, true, m_colors);
    } else if (m_keyColors.size() >= 2) {
        // Fewer than two colours per segment would leave no step to divide by and drop the
        // key colours after the first; two per segment keeps every key colour.
        const int m = int(m_keyColors.size());
        const int n = std::max(2, m_colorCount / m);
        FxGradientCreateColorList(m_keyColors[0], m_keyColors[1], n, true, m_colors);
        for (int j = 1; j + 1 < m; ++j)
            FxGradientCreateColorList(m_keyColors[size_t(j)], m_keyColors[size_t(j) + 1], n, false, m_colors);
    } else {
        m_colors.clear();
    }
    if (m_paletteRealize)
        m_palette = m_colors;
    else
        m_palette.reset();
}

void TFxGradient::Paint(TCanvas* Canvas, const TRect& R, uint16_t Flags) const
{
    if (m_paletteRealize) Flags |= GRAD_PALETTE;
    FxGradientPaintExt(Canvas, R, m_style, m_colors, Palette(), Flags);
}
