// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxcustomcomponent.h"

TFxCustomComponent::TFxCustomComponent(TComponent* AOwner) : TComponent(AOwner) {}

void TFxCustomComponent::BeginUpdate()
{
    ++m_updateCount;
}

void TFxCustomComponent::EndUpdate(bool Notify)
{
    if (m_updateCount > 0) --m_updateCount;
    if (m_updateCount == 0 && Notify) Change();
}

void TFxCustomComponent::Change()
{
    if (m_updateCount == 0 && OnChange) OnChange(this);
}
