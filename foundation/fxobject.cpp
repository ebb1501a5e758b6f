// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxobject.h"

void TFxObject::Change()
{
    if (m_updating) return;
    if (OnChange) OnChange(this);
}

void TFxObject::GetChange(TObject* Sender)
{
    Change();
}

void TFxObject::EndUpdate(bool Notify)
{
    m_updating = false;
    if (Notify) Change();
}
