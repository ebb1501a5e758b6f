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
    if (m_style == v) return;
    m_style = v;
    Change();
}

void TFxShapeFill::SetTileMode(TFxTileMode v)
{
    if (m_tileMode == v) return;
    m_tileMode = v;
    Change();
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
    BeginUpdate();
    try {
        AssignShape(src);
    } catch (...) {
        EndUpdate(false);
        throw;
    }
    EndUpdate(true);
}
