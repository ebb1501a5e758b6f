// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxFillObject: how an area is filled: with nothing, a brush, a pattern bitmap, a bitmap
// placed / centred / stretched / tiled, a bitmap from an image list, or a gradient.
#pragma once

#include "foundation/fxshapefill.h"

enum TFxFillOption : uint8_t { foFillInner = 1, foQuickDraw = 2, foGrUseBitmap = 4 };
// A set of TFxFillOption.
using TFxFillOptions = uint8_t;

class TFxFillObject : public TFxShapeFill {
public:
    // sfNone, agTopLeft, a solid brush, offsets 0, [foFillInner, foGrUseBitmap]. A change of
    // the brush, the picture or the gradient is this object's change.
    TFxFillObject();
    ~TFxFillObject() override;
    QString ClassName() const override { return QStringLiteral("TFxFillObject"); }

    // From another fill object, without notifications in between: brush, options, alignment,
    // offsets and everything of the shape fill; then exactly one Change. From a plain shape
    // fill: its parts only.
    void Assign(const TPersistent* Source) override;

    // Fills R of Canvas as Style says; BackColor fills what the picture leaves free (with
    // foFillInner) and lies between hatch lines. False when there was nothing to draw.
    bool FillCanvas(TCanvas* Canvas, const TRect& R, TColor BackColor);

    TBrush* Brush() const { return m_brush.get(); }
    // Copies the given brush.
    void SetBrush(const TBrush* v) { m_brush->Assign(v); }
    TFxFillOptions Options() const { return m_options; }
    void SetOptions(TFxFillOptions v);
    // Alignment and the offsets place a picture only with sfBitmap / sfBitmapList and tmNone;
    // in every other case they are stored without notification.
    TFxAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TFxAlignment v);
    int OffsetX() const { return m_offsetX; }
    int OffsetY() const { return m_offsetY; }
    // Index 0 OffsetX, 1 OffsetY.
    void SetInteger(int Index, int Value);
    void SetOffsetX(int v) { SetInteger(0, v); }
    void SetOffsetY(int v) { SetInteger(1, v); }

private:
    bool PlacementMatters() const;
    void FillInner(TCanvas* Canvas, const TRect& R, TColor BackColor) const;
    bool FillBitmap(TCanvas* Canvas, const TRect& R, TColor BackColor, const TBitmap* Picture) const;

    std::unique_ptr<TBrush> m_brush;
    TFxFillOptions m_options = foFillInner | foGrUseBitmap;
    TFxAlignment m_alignment = TFxAlignment::agTopLeft;
    int32_t m_offsetX = 0;
    int32_t m_offsetY = 0;
};
