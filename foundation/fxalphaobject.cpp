// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxalphaobject.h"

#include "foundation/fxbmp.h"

#include <QLocale>

TFxAlphaObject::TFxAlphaObject()
    : m_changeLink(std::make_unique<TFxChangeLink>()), m_fillObject(std::make_unique<TFxFillObject>())
{
    m_changeLink->OnChange = [this](TObject* Sender) { GetIMLChange(Sender); };
    m_fillObject->OnChange = [this](TObject* Sender) { GetChange(Sender); };
}

TFxAlphaObject::~TFxAlphaObject()
{
    m_changeLink->OnChange = nullptr;
    m_changeLink.reset();   // unregisters from its list
    m_fillObject->OnChange = nullptr;
}

void TFxAlphaObject::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    const auto* src = dynamic_cast<const TFxAlphaObject*>(Source);
    if (!src) {
        TFxObject::Assign(Source);
        return;
    }
    m_fillObject->Assign(src->m_fillObject.get());
    static_cast<TFxAlphaValues&>(*this) = *src;
}

QString TFxAlphaObject::GetSetStr() const
{
    QString kind;
    switch (m_fillObject->Style()) {
    case TFxFillStyle::sfNone:
        return QStringLiteral("{Disabled}");
    case TFxFillStyle::sfBrush: kind = QStringLiteral("brush"); break;
    case TFxFillStyle::sfBitmap:
    case TFxFillStyle::sfBitmapList: kind = QStringLiteral("bmp"); break;
    case TFxFillStyle::sfGradient: kind = QStringLiteral("grad"); break;
    case TFxFillStyle::sfBrushBitmap: break;
    }
    return QStringLiteral("{Enabled (%1), strength: %2}").arg(kind, QLocale::system().toString(double(m_strength), 'f', 3));
}

void TFxAlphaObject::AlphaBlend(TBitmap* Image)
{
    if (!Image || m_fillObject->Style() == TFxFillStyle::sfNone) return;
    const int w = Image->Width(), h = Image->Height();
    // The fill image is freed on every way out, also when filling or blending fails.
    auto fill = std::make_unique<TBitmap>(w, h);
    m_fillObject->FillCanvas(fill->Canvas(), TRect(0, 0, w, h), clWhite);
    Image->SetPixelFormat(TPixelFormat::pf24bit);
    fill->SetPixelFormat(TPixelFormat::pf24bit);
    FxBMPAlphaBlend(Image, fill.get(), TRect(0, 0, w, h), TPoint(0, 0), m_strength, Image, TPoint(0, 0));
}

void TFxAlphaObject::SetSingle(float v)
{
    if (m_strength == v) return;
    m_strength = v;
    GetChange(nullptr);
}

void TFxAlphaObject::SetImageList(TFxCustomImageList* v)
{
    // Unregister through the link: it knows whether it is still registered (a list being
    // freed has already let go of its links).
    if (TFxCustomImageList* old = m_changeLink->Sender()) old->UnRegisterChanges(m_changeLink.get());
    m_imageList = v;
    if (v) v->RegisterChanges(m_changeLink.get());
    GetIMLChange(nullptr);
}

void TFxAlphaObject::SetInteger(int Index, int Value)
{
    (Index == 0 ? m_imageIndex : m_listIndex) = Value;
    GetIMLChange(nullptr);
}

void TFxAlphaObject::GetIMLChange(TObject* Sender)
{
    TBitmap* target = m_fillObject->ListBitmap();
    if (!m_imageList || !m_imageList->IsValid(m_listIndex, m_imageIndex))
        target->SetSize(0, 0);
    else
        m_imageList->GetBitmap(m_listIndex, m_imageIndex, target);
    GetChange(m_fillObject.get());
}
