// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxGradient: a colour gradient of a fill, from Color to EndColor in ColorCount steps or
// through a list of key colours, with the style in which FxGradientPaintExt paints it.
#pragma once

#include "foundation/fxobject.h"
#include "foundation/fxutils.h"

#include <optional>
#include <vector>

// What Assign copies of a gradient: one struct that the gradient derives from, so that a copy
// cannot leave a field out. The colour list and palette are built from it.
struct TFxGradientValues {
    TColor m_color = clBlue;
    int m_colorCount = 16;
    TFxGradientStyle m_style = TFxGradientStyle::gstVertical;
    TColor m_endColor = clBlack;
    bool m_paletteRealize = false;
    bool m_twoColors = true;
    std::vector<TColor> m_keyColors;
};

class TFxGradient : public TFxObject, private TFxGradientValues {
public:
    // clBlue to clBlack, 16 colours, gstVertical, two colours, no palette; the colour list is
    // built at once (nothing is notified).
    TFxGradient();
    QString ClassName() const override { return QStringLiteral("TFxGradient"); }

    // From another gradient: every property and the key colours, then one Change.
    void Assign(const TPersistent* Source) override;
    // Rebuilds the colour list (and the palette), then notifies.
    void Change() override;

    TColor Color() const { return m_color; }
    void SetColor(TColor v);
    int ColorCount() const { return m_colorCount; }
    void SetColorCount(int v);   // 2 .. 236
    TFxGradientStyle Style() const { return m_style; }
    void SetStyle(TFxGradientStyle v);
    TColor EndColor() const { return m_endColor; }
    void SetEndColor(TColor v);
    bool PaletteRealize() const { return m_paletteRealize; }
    void SetPaletteRealize(bool v);
    bool TwoColors() const { return m_twoColors; }
    void SetTwoColors(bool v);

    // Key colours, used when TwoColors is false: the gradient runs through them in order,
    // ColorCount / (number of keys) colours per segment (at least 2, so each key colour
    // appears), the shared ends once. Fewer than two keys give an empty gradient.
    const std::vector<TColor>& KeyColors() const { return m_keyColors; }
    void SetKeyColors(const std::vector<TColor>& v);

    // The computed colours, first to last.
    const std::vector<TColor>& Colors() const { return m_colors; }
    // The logical palette of the colours while PaletteRealize is set, else nullptr.
    const TFxPalette* Palette() const { return m_palette ? &*m_palette : nullptr; }

    // Paints the gradient into R with FxGradientPaintExt; Flags as that routine takes them
    // (GRAD_PALETTE is added when the gradient realises its palette).
    void Paint(TCanvas* Canvas, const TRect& R, uint16_t Flags) const;

private:
    void BuildColorList();

    std::vector<TColor> m_colors;
    std::optional<TFxPalette> m_palette;
};
