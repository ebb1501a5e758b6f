// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "scrolltext/fx3dcaption.h"

template <class T>
void TFx3DCaption::Store(T& field, T v)
{
    if (field == v) return;
    field = v;
    Change();
}

void TFx3DCaption::SetDisabledStyle(TFxDisabledStyle v) { Store(m_disabledStyle, v); }
void TFx3DCaption::SetOrientation(TFxThreeDOrientation v) { Store(m_orientation, v); }
void TFx3DCaption::SetStyle(TFxThreeDStyle v) { Store(m_style, v); }
void TFx3DCaption::SetTracing(int32_t v) { Store(m_tracing, v); }

void TFx3DCaption::SetDepth(int Index, uint8_t v)
{
    if (Index == 0) Store(m_lightDepth, v);
    else if (Index == 1) Store(m_shadowDepth, v);
}

void TFx3DCaption::SetColor(int Index, TColor v)
{
    if (Index == 0) Store(m_lightColor, v);
    else if (Index == 1) Store(m_shadowColor, v);
}

void TFx3DCaption::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    if (auto* s = dynamic_cast<const TFx3DCaption*>(Source)) {
        m_disabledStyle = s->m_disabledStyle;
        m_lightDepth = s->m_lightDepth;
        m_shadowDepth = s->m_shadowDepth;
        m_lightColor = s->m_lightColor;
        m_orientation = s->m_orientation;
        m_shadowColor = s->m_shadowColor;
        m_style = s->m_style;
        m_tracing = s->m_tracing;
        Change();
        return;
    }
    TFxObject::Assign(Source);
}
