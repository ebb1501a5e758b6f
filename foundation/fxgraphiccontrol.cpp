// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxgraphiccontrol.h"

TFxGraphicControl::TFxGraphicControl(TComponent* AOwner) : TFxBaseGraphicControl(AOwner), m_bevel(new TFxBevel)
{
    m_bevel->OnChange = [this](TObject* s) { GetChange(s); };
}

TFxGraphicControl::~TFxGraphicControl()
{
    m_bevel->OnChange = nullptr;
    m_bevel.reset();
}

void TFxGraphicControl::SetBevel(const TFxBevel* Value)
{
    m_bevel->Assign(Value);
    Perform(CM_FXBEVELCHANGED);
}

void TFxGraphicControl::Paint()
{
    if (IsLoading()) return;
    if (GetEmpty() && BevelExt() == 0) {
        TFxBaseGraphicControl::Paint();
        return;
    }
    m_bevel->PaintBevel(Canvas(), ClientRect(), m_transparent);
}
