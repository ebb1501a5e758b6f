// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxfillobject.h"

#include "platform/scoped.h"

TFxFillObject::TFxFillObject() : m_brush(std::make_unique<TBrush>())
{
    BeginUpdate();
    SetFillStyle(TFxFillStyle::sfNone);
    SetAlignment(TFxAlignment::agTopLeft);
    EndUpdate(false);
    m_brush->OnChange = [this](TObject* Sender) { GetChange(Sender); };
}

TFxFillObject::~TFxFillObject()
{
    m_brush->OnChange = nullptr;
}

void TFxFillObject::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    const auto* src = dynamic_cast<const TFxFillObject*>(Source);
    if (!src) {
        TFxShapeFill::Assign(Source);
        return;
    }
    ChangeOnce([&] {
        m_brush->Assign(src->m_brush.get());
        m_options = src->m_options;
        // Alignment and offsets travel too: a copy that placed its picture elsewhere would
        // not be a copy.
        m_alignment = src->m_alignment;
        m_offsetX = src->m_offsetX;
        m_offsetY = src->m_offsetY;
        AssignShape(src);
    });
}

void TFxFillObject::SetOptions(TFxFillOptions v)
{
    StoreAndChange(m_options, v);
}

bool TFxFillObject::PlacementMatters() const
{
    return (m_style == TFxFillStyle::sfBitmap || m_style == TFxFillStyle::sfBitmapList) &&
           m_tileMode == TFxTileMode::tmNone;
}

void TFxFillObject::SetAlignment(TFxAlignment v)
{
    if (m_alignment == v) return;
    m_alignment = v;
    if (PlacementMatters()) Change();
}

void TFxFillObject::SetInteger(int Index, int Value)
{
    int32_t& field = Index == 0 ? m_offsetX : m_offsetY;
    if (field == Value) return;
    field = Value;
    if (PlacementMatters()) Change();
}

void TFxFillObject::FillInner(TCanvas* Canvas, const TRect& R, TColor BackColor) const
{
    if (!(m_options & foFillInner)) return;
    Canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    Canvas->Brush()->SetColor(BackColor);
    Canvas->FillRect(R);
}

bool TFxFillObject::FillBitmap(TCanvas* Canvas, const TRect& R, TColor BackColor, const TBitmap* Picture) const
{
    if (Picture->Empty()) {
        FillInner(Canvas, R, BackColor);
        return false;
    }
    const uint16_t palette = (m_options & foQuickDraw) ? 0 : BMPDRAW_PALETTE;
    switch (m_tileMode) {
    case TFxTileMode::tmNone: {
        FillInner(Canvas, R, BackColor);
        TRect at = FxAlignRect(TRect(0, 0, Picture->Width(), Picture->Height()), R, m_alignment);
        at.Offset(m_offsetX, m_offsetY);
        FxBmpDraw(Canvas, at, Picture, palette);
        break;
    }
    case TFxTileMode::tmCenter:
        FillInner(Canvas, R, BackColor);
        FxBmpDraw(Canvas, R, Picture, palette | BMPDRAW_CENTER);
        break;
    case TFxTileMode::tmStretch:
        FxBmpDraw(Canvas, R, Picture, palette | BMPDRAW_STRETCH);
        break;
    case TFxTileMode::tmTile:
        FxBmpDraw(Canvas, R, Picture, palette | BMPDRAW_TILE);
        break;
    }
    return true;
}

bool TFxFillObject::FillCanvas(TCanvas* Canvas, const TRect& R, TColor BackColor)
{
    switch (m_style) {
    case TFxFillStyle::sfNone:
        return false;
    case TFxFillStyle::sfBrushBitmap: {
        // The whole picture is the pattern, tiled from the canvas origin.
        // The pattern leaves the canvas brush when the fill ends, also on failure.
        TBrush* brush = Canvas->Brush();
        TScopeExit unpattern([brush] { brush->SetBitmap(nullptr); });
        if (!m_bitmap->Empty()) Canvas->Brush()->SetBitmap(m_bitmap.get());
        Canvas->FillRect(R);
        return true;
    }
    case TFxFillStyle::sfBrush: {
        // A hatch brush draws only its lines; the back colour lies between them, as an
        // opaque hatch does on Windows.
        const TBrushStyle style = m_brush->Style();
        if (style != TBrushStyle::bsSolid && style != TBrushStyle::bsClear) {
            Canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
            Canvas->Brush()->SetColor(BackColor);
            Canvas->FillRect(R);
        }
        Canvas->Brush()->Assign(m_brush.get());
        Canvas->Pen()->SetColor(BackColor);
        Canvas->FillRect(R);
        return true;
    }
    case TFxFillStyle::sfBitmap:
        return FillBitmap(Canvas, R, BackColor, m_bitmap.get());
    case TFxFillStyle::sfBitmapList:
        return FillBitmap(Canvas, R, BackColor, m_listBitmap.get());
    case TFxFillStyle::sfGradient:
        m_gradient->Paint(Canvas, R, (m_options & foGrUseBitmap) ? GRAD_USEBITMAP : 0);
        return true;
    }
    return false;
}
