// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxshapefill.h"

TFxShapeFill::TFxShapeFill()
    : m_bitmap(std::make_unique<TBitmap>()),
      m_listBitmap(std::make_unique<TBitmap>()),
      m_gradient(std::make_unique<TFxGradient>())
{
    m_bitmap->OnChange = [this](TObject* Sender) { GetChange(Sender); };
    m_gradient->OnChange = [this](TObject* Sender) { GetChange(Sender); };
}

TFxShapeFill::~TFxShapeFill()
{
    m_bitmap->OnChange = nullptr;
    m_gradient->OnChange = nullptr;
}

void TFxShapeFill::SetFillStyle(TFxFillStyle v)
{
    StoreAndChange(m_style, v);
}

void TFxShapeFill::SetTileMode(TFxTileMode v)
{
    StoreAndChange(m_tileMode, v);
}

void TFxShapeFill::AssignShape(const TFxShapeFill* Source)
{
    m_bitmap->Assign(Source->m_bitmap.get());
    m_listBitmap->Assign(Source->m_listBitmap.get());
    m_gradient->Assign(Source->m_gradient.get());
    SetFillStyle(Source->m_style);
    SetTileMode(Source->m_tileMode);
}

void TFxShapeFill::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    const auto* src = dynamic_cast<const TFxShapeFill*>(Source);
    if (!src) {
        TFxObject::Assign(Source);
        return;
    }
    ChangeOnce([&] { AssignShape(src); });
}
