// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFx3DCaption: the 3D look of a text (raised, sunken, shadowed, outlined, extruded), with
// the depths and colours of its light and shadow copies and the extra spacing between
// characters. Owners point OnChange at their own change handler.
#pragma once

#include "foundation/fxobject.h"

enum class TFxThreeDStyle : uint8_t {
    tdNone, tdSunken, tdRaised, tdSunkenShadow, tdRaisedShadow, tdPColorSunken, tdPColorRaised, tdShadow,
    tdOutline, tdExtrude, tdExtrudeEnh,
};
enum class TFxThreeDOrientation : uint8_t { toBottomLeft, toBottomRight, toTopLeft, toTopRight };
enum class TFxDisabledStyle : uint8_t { dsAuto, dsStandard, ds3d, dsNone };
enum class TFxDrawTextStyle : uint8_t {
    dtDisabled, dtEnabled, dt3DDisabled, dtClip, dtAccelChar, dtAutoSize, dtRectText, dtRectGlyph,
    dtRectGlyphText, dtCalculate, dtGhostGlyph, dtRectClip,
};
// A set of TFxDrawTextStyle: bit n for the value numbered n.
using TFxDrawTextStyles = uint16_t;
constexpr TFxDrawTextStyles DrawTextStyles(TFxDrawTextStyle s) { return TFxDrawTextStyles(1u << unsigned(s)); }
constexpr bool HasStyle(TFxDrawTextStyles set, TFxDrawTextStyle s) { return (set & DrawTextStyles(s)) != 0; }

class TFx3DCaption : public TFxObject {
public:
    // tdNone, depths 1, system highlight / shadow colours, toTopLeft, dsAuto, no tracing.
    TFx3DCaption() = default;
    QString ClassName() const override { return QStringLiteral("TFx3DCaption"); }

    // From another TFx3DCaption: all eight properties, then one Change. From anything else:
    // the framework's conversion error.
    void Assign(const TPersistent* Source) override;

    // Each setter stores a different value and calls Change.
    TFxDisabledStyle DisabledStyle() const { return m_disabledStyle; }
    void SetDisabledStyle(TFxDisabledStyle v);
    // Index 0 LightDepth, 1 ShadowDepth.
    uint8_t LightDepth() const { return m_lightDepth; }
    uint8_t ShadowDepth() const { return m_shadowDepth; }
    void SetDepth(int Index, uint8_t v);
    void SetLightDepth(uint8_t v) { SetDepth(0, v); }
    void SetShadowDepth(uint8_t v) { SetDepth(1, v); }
    // Index 0 LightColor, 1 ShadowColor.
    TColor LightColor() const { return m_lightColor; }
    TColor ShadowColor() const { return m_shadowColor; }
    void SetColor(int Index, TColor v);
    void SetLightColor(TColor v) { SetColor(0, v); }
    void SetShadowColor(TColor v) { SetColor(1, v); }
    TFxThreeDOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TFxThreeDOrientation v);
    TFxThreeDStyle Style() const { return m_style; }
    void SetStyle(TFxThreeDStyle v);
    // Extra pixels after every character.
    int32_t Tracing() const { return m_tracing; }
    void SetTracing(int32_t v);

private:
    template <class T> void Store(T& field, T v);

    TFxDisabledStyle m_disabledStyle = TFxDisabledStyle::dsAuto;
    uint8_t m_lightDepth = 1;
    uint8_t m_shadowDepth = 1;
    TColor m_lightColor = clBtnHighlight;
    TFxThreeDOrientation m_orientation = TFxThreeDOrientation::toTopLeft;
    TColor m_shadowColor = clBtnShadow;
    TFxThreeDStyle m_style = TFxThreeDStyle::tdNone;
    int32_t m_tracing = 0;
};
