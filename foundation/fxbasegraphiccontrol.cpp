// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxbasegraphiccontrol.h"

TFxBaseGraphicControl::TFxBaseGraphicControl(TComponent* AOwner) : TFxBaseControl(AOwner)
{
    SetControlStyle((ControlStyle() & ~TControlStyle(csOpaque)) | csReplicatable);
    m_transparent = true;
    SetHeight(30);
    SetWidth(30);
}

void TFxBaseGraphicControl::DisableTransMode()
{
    m_transparent = false;
    SetControlStyle(ControlStyle() | csOpaque);
}

void TFxBaseGraphicControl::SetTransparent(bool Value)
{
    if (Value == m_transparent) return;
    if (Value) SetControlStyle(ControlStyle() & ~TControlStyle(csOpaque));
    else SetControlStyle(ControlStyle() | csOpaque);
    m_transparent = Value;
    Perform(CM_FXTRANSPARENTCHANGED);
}

void TFxBaseGraphicControl::InvalidateControl()
{
    if (IsUpdating()) return;
    if (m_transparent) {
        Invalidate();
        return;
    }
    // Painting outside a paint cycle reaches the screen once, when Paint returns.
    const TDrawingBatch batch;
    Paint();
}

void TFxBaseGraphicControl::GetChange(TObject* Sender)
{
    InvalidateControl();
}

bool TFxBaseGraphicControl::CheckOptimized()
{
    return m_transparent && BackBitmapCheck();
}

void TFxBaseGraphicControl::WndProc(TMessage& Message)
{
    if (Message.Msg == CM_FXTRANSPARENTCHANGED) {
        if (Visible()) InvalidateControl();
        return;
    }
    TFxBaseControl::WndProc(Message);
}

void TFxBaseGraphicControl::Paint()
{
    if (IsDesigning()) DrawDashedFrame();
}
