// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxBevel: the border of a library control. It keeps the border's width (the extent) up to
// date whenever a property changes, paints the border and hands back the rectangle inside it.
#pragma once

#include "foundation/fxobject.h"
#include "foundation/fxutils.h"

enum class TFxBevelMode : uint8_t { bmCustom, bmStandard, bmEdge, bmWindows };
enum class TFxEdgeStyle : uint8_t {
    etRaisedInner, etRaisedOuter, etSunkenInner, etSunkenOuter, etBump, etEtched, etRaised, etSunken,
};
enum class TFxFrameSide : uint8_t { fsBottom, fsLeft, fsRight, fsTop };

// A set of TFxFrameSide, bit n for the side of ordinal n.
using TFxFrameSides = uint8_t;
constexpr TFxFrameSides FrameSides(TFxFrameSide s) { return TFxFrameSides(1u << unsigned(s)); }
constexpr TFxFrameSides fsAllSides = 0x0F;

class TFxBevel : public TFxObject {
public:
    // The defaults: mode bmCustom, no styles, widths 1, no border bands, all sides, etEtched,
    // lsSingleLowered, system colours. Extent and far extent 0; nothing is notified.
    TFxBevel();
    QString ClassName() const override { return QStringLiteral("TFxBevel"); }

    // From another bevel: every property and the themed-frame flag, then one Change.
    void Assign(const TPersistent* Source) override;
    // Recomputes the extents, then notifies.
    void Change() override;
    // "{Custom style}", "{Standard style}", "{Edged style}" or "{Windows style}".
    QString GetSetStr() const override;

    // The border width on each side for the current properties.
    int GetBevelExtend() const;
    // The border width on each side, as of the last Change.
    int Extent() const { return m_extent; }
    // The border width on the right and bottom sides (more than Extent only with a shadow).
    int FarExtent() const { return m_farExtent; }

    // The rectangle inside the border for the bounds R.
    TRect ClientRect(const TRect& R) const;
    // Draws the border inside R and returns the rectangle inside it. With an extent of 0 the
    // canvas is not touched. Transparent leaves the bands, the shadow's free corners and the
    // edge mode's strips unpainted; the result is the same.
    TRect PaintBevel(TCanvas* Canvas, const TRect& R, bool Transparent);

    // Properties. Each setter stores a different value and runs Change.
    TFxBevelStyle StyleInner() const { return m_styleInner; }
    // bvShadow is always on both bevels: setting it sets the other one, leaving it clears it.
    void SetStyleInner(TFxBevelStyle v);
    TFxBevelStyle StyleOuter() const { return m_styleOuter; }
    void SetStyleOuter(TFxBevelStyle v);
    int WidthInner() const { return m_widthInner; }
    void SetWidthInner(int v);   // 0 .. 50
    int WidthOuter() const { return m_widthOuter; }
    void SetWidthOuter(int v);   // 0 .. 50
    int BorderInnerWidth() const { return m_borderInnerWidth; }
    void SetBorderInnerWidth(int v);   // 0 .. 255
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int v);   // 0 .. 255
    TFxFrameSides BorderSides() const { return m_borderSides; }
    void SetBorderSides(TFxFrameSides v);
    TFxEdgeStyle EdgeStyle() const { return m_edgeStyle; }
    void SetEdgeStyle(TFxEdgeStyle v);
    TFxBevelMode Mode() const { return m_mode; }
    void SetMode(TFxBevelMode v);
    TFxBorderStyle StandardStyle() const { return m_standardStyle; }
    // Notifies only in mode bmStandard, where it matters.
    void SetStandardStyle(TFxBorderStyle v);
    // The three colours share one indexed setter: 0 BorderColor, 1 LightColor, 2 ShadowColor;
    // any other index only runs Change.
    TColor BorderColor() const { return m_borderColor; }
    TColor LightColor() const { return m_lightColor; }
    TColor ShadowColor() const { return m_shadowColor; }
    void SetColor(int Index, TColor v);
    void SetBorderColor(TColor v) { SetColor(0, v); }
    void SetLightColor(TColor v) { SetColor(1, v); }
    void SetShadowColor(TColor v) { SetColor(2, v); }
    // Set by an owner that draws the Windows-style frame itself: mode bmWindows then has
    // extent 0.
    bool ThemedFrame() const { return m_themedFrame; }
    void SetThemedFrame(bool v);

private:
    // n one-pixel outlines in BorderColor, or only the shrinking when Transparent.
    void PaintBand(TCanvas* Canvas, TRect& W, int n, bool Transparent) const;
    void PaintEdge(TCanvas* Canvas, TRect& W, bool Transparent) const;
    bool HasShadow() const { return m_mode == TFxBevelMode::bmCustom && m_styleOuter == TFxBevelStyle::bvShadow; }

    TFxBevelStyle m_styleInner = TFxBevelStyle::bvNone;
    TFxBevelStyle m_styleOuter = TFxBevelStyle::bvNone;
    uint8_t m_widthInner = 1;
    uint8_t m_widthOuter = 1;
    TColor m_borderColor = clBtnFace;
    uint8_t m_borderInnerWidth = 0;
    uint8_t m_borderWidth = 0;
    TFxFrameSides m_borderSides = fsAllSides;
    TFxEdgeStyle m_edgeStyle = TFxEdgeStyle::etEtched;
    int32_t m_extent = 0;
    int32_t m_farExtent = 0;
    TColor m_lightColor = clBtnHighlight;
    TFxBevelMode m_mode = TFxBevelMode::bmCustom;
    TColor m_shadowColor = clBtnShadow;
    TFxBorderStyle m_standardStyle = TFxBorderStyle::lsSingleLowered;
    bool m_themedFrame = false;
};
