// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "hyperlink/lkclasses.h"

void TLkPersistent::Changed()
{
    if (m_updateCount == 0 && OnChange) OnChange(this);
}

void TLkPersistent::BeginUpdate()
{
    ++m_updateCount;
}

void TLkPersistent::EndUpdate()
{
    if (m_updateCount > 0) --m_updateCount;
    Changed();
}

void TLkTextOutline::SetColor(TColor v)
{
    if (m_color == v) return;
    m_color = v;
    Changed();
}

void TLkTextOutline::SetVisible(bool v)
{
    if (m_visible == v) return;
    m_visible = v;
    Changed();
}

void TLkTextOutline::SetWidth(int32_t v)
{
    if (m_width == v) return;
    m_width = v;
    Changed();
}

void TLkTextOutline::Assign(const TPersistent* Source)
{
    const auto* src = dynamic_cast<const TLkTextOutline*>(Source);
    if (!src) {
        TLkPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    try {
        SetColor(src->Color());
        SetVisible(src->Visible());
        SetWidth(src->Width());
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}
