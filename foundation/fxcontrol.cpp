// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxcontrol.h"

#include "platform/forms.h"

bool FxThemesInUse()
{
    return false;
}

TFxControl::TFxControl(TComponent* AOwner) : TGraphicControl(AOwner) {}

TFxControl::~TFxControl() = default;

void TFxControl::EndUpdate(bool Repaint)
{
    if (m_updateCount > 0) --m_updateCount;
    if (m_updateCount == 0 && Repaint) GetChange(nullptr);
}

void TFxControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const int oldLeft = Left(), oldTop = Top(), oldWidth = Width(), oldHeight = Height();
    TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    TFxBoundsChangeStates state = 0;
    if (Left() != oldLeft || Top() != oldTop) state |= bcPos;
    if (Width() != oldWidth || Height() != oldHeight) state |= bcSize;
    if (state != 0 && !IsLoading()) BoundsChange(state);
}

void TFxControl::SetCtlXP(bool v)
{
    if (m_ctlXP == v) return;
    m_ctlXP = v;
    DoThemeChanged();
}

bool TFxControl::UseXP() const
{
    return ControlSupportsXP() && FxThemesInUse() && m_ctlXP;
}

void TFxControl::DoThemeChanged()
{
    if (ControlSupportsXP()) Invalidate();
}

void TFxControl::BoundsChange(TFxBoundsChangeStates State)
{
    if (OnBoundsChange) OnBoundsChange(this, State);
}

void TFxControl::MouseEnter()
{
    if (Enabled() && OnMouseEnter) OnMouseEnter(this);
}

void TFxControl::MouseExit()
{
    if (Enabled() && OnMouseExit) OnMouseExit(this);
}

void TFxControl::GetChange(TObject* Sender)
{
    if (IsUpdating()) return;
    if (ComponentState() & (csLoading | csReading | csDestroying)) return;
    Invalidate();
}

bool TFxControl::ParentIsForm() const
{
    return dynamic_cast<TCustomForm*>(Parent()) != nullptr;
}

IFxBackground* TFxControl::BackgroundProvider() const
{
    TWinControl* parent = Parent();
    if (!parent) return nullptr;
    if (ParentIsForm()) {
        for (int i = 0; i < parent->ComponentCount(); ++i) {
            TComponent* c = parent->Components(i);
            if (dynamic_cast<TControl*>(c)) continue;
            if (auto* provider = dynamic_cast<IFxBackground*>(c)) return provider;
        }
        return nullptr;
    }
    return dynamic_cast<IFxBackground*>(parent);
}

TBitmap* TFxControl::BackBitmap()
{
    IFxBackground* provider = BackgroundProvider();
    return provider ? provider->BackBitmap() : nullptr;
}

bool TFxControl::BackBitmapCheck()
{
    IFxBackground* provider = BackgroundProvider();
    if (!provider) return false;
    if (ParentIsForm()) return provider->BackBitmapCheck();
    return isTransparentSet() && provider->BackBitmapCheck();
}

bool TFxControl::BackDrawArea(TCanvas* Canvas, const TRect& Dest, const TPoint& Src, uint32_t Flags)
{
    if (TBitmap* bmp = BackBitmap()) {
        const TPoint p = BackMapPoint(Src);
        Canvas->CopyRect(Dest, bmp->Canvas(), Bounds(p.X, p.Y, Dest.Width(), Dest.Height()));
    }
    return true;
}

TPoint TFxControl::BackMapPoint(const TPoint& P)
{
    if (!BackBitmapCheck()) return P;
    IFxBackground* provider = BackgroundProvider();
    if (ParentIsForm()) return TPoint(P.X + Left(), P.Y + Top());
    const TPoint origin = provider->BackMapPoint(TPoint(Left(), Top()));
    return TPoint(P.X + origin.X, P.Y + origin.Y);
}

void TFxControl::DrawDashedFrame()
{
    TCanvas* c = Canvas();
    c->Pen()->SetColor(clBlack);
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(TPenStyle::psDash);
    c->Pen()->SetMode(TPenMode::pmCopy);
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Rectangle(0, 0, Width(), Height());
}

void TFxControl::FillControl()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Pen()->SetStyle(TPenStyle::psClear);
    c->FillRect(ClientRect());
}

void TFxControl::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        TGraphicControl::WndProc(Message);
        if (!IsDesigning()) MouseEnter();
        return;
    case CM_MOUSELEAVE:
        TGraphicControl::WndProc(Message);
        if (!IsDesigning()) MouseExit();
        return;
    case CM_FXTHEMECHANGED:
        DoThemeChanged();
        return;
    default:
        TGraphicControl::WndProc(Message);
    }
}
