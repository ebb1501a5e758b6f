// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxbasecontrol.h"

TFxBaseControl::TFxBaseControl(TComponent* AOwner)
    : TFxControl(AOwner), m_changeLink(new TFxChangeLink), m_backFX(new TFxBitmapEffectObject)
{
    // Bound through the virtual functions, so that a descendant's override receives them.
    m_changeLink->OnChange = [this](TObject* s) { GetIMLChange(s); };
    m_backFX->OnChange = [this](TObject* s) { GetChange(s); };
}

TFxBaseControl::~TFxBaseControl()
{
    m_changeLink->OnChange = nullptr;
    m_backFX->OnChange = nullptr;
    if (m_imageList) m_imageList->UnRegisterChanges(m_changeLink.get());
    m_backFX.reset();
    m_changeLink.reset();
}

void TFxBaseControl::SetImageList(TFxCustomImageList* Value)
{
    if (m_imageList == Value) return;
    if (m_imageList) {
        m_imageList->UnRegisterChanges(m_changeLink.get());
        m_imageList->RemoveFreeNotification(this);
    }
    m_imageList = Value;
    if (m_imageList) {
        m_imageList->RegisterChanges(m_changeLink.get());
        m_imageList->FreeNotification(this);
    }
    GetIMLChange(m_imageList);
}

void TFxBaseControl::SetImageIndex(int32_t Value)
{
    if (m_imageIndex == Value) return;
    m_imageIndex = Value;
    GetIMLChange(m_imageList);
}

void TFxBaseControl::SetIndex(int32_t Value)
{
    if (m_listIndex == Value) return;
    m_listIndex = Value;
    GetIMLChange(m_imageList);
}

bool TFxBaseControl::IMLEmpty() const
{
    return !m_imageList || !m_imageList->IsValid(m_listIndex, m_imageIndex);
}

void TFxBaseControl::GetIMLChange(TObject* Sender)
{
    GetChange(Sender);
}

void TFxBaseControl::Loaded()
{
    TFxControl::Loaded();
    if (m_imageList && m_imageList->IsCollection()) GetIMLChange(nullptr);
}

TRect TFxBaseControl::GetScreenRect(const TRect& R) const
{
    const TPoint tl = ClientToScreen(R.TopLeft());
    const TPoint br = ClientToScreen(R.BottomRight());
    return TRect(tl.X, tl.Y, br.X, br.Y);
}

void TFxBaseControl::BackUpdate()
{
    if (!Visible()) return;
    if (!IsLoading() && CheckOptimized()) GetChange(nullptr);
    m_backFX->DestroyBuffer();
}

void TFxBaseControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TFxControl::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove) return;
    if (AComponent == m_imageList) m_imageList = nullptr;
    if (m_backFX && m_backFX->AlphaBlend()->ImageList() == AComponent) m_backFX->AlphaBlend()->SetImageList(nullptr);
}
