// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxbitmapeffectobject.h"

#include "foundation/fxbmp.h"

#include <QStringList>
#include <algorithm>

namespace {
// Each switchable effect: its tag in GetSetStr and the routine that applies it in place.
struct EffectRow {
    const char* tag;
    void (*apply)(TBitmap* Source, const TRect& R, TBitmap* Target, TPoint TargetPos);
};
constexpr EffectRow kEffects[TFxBitmapEffectObject::EffectCount] = {
    {"FV", FxBMPFlipVertical},
    {"FH", FxBMPFlipHorizonzal},
    {"GS", FxBMPGrayScale},
    {"INV", FxBMPInvert},
};
}  // namespace

TFxBitmapEffectObject::TFxBitmapEffectObject() : m_alphaBlend(std::make_unique<TFxAlphaObject>())
{
    m_alphaBlend->OnChange = [this](TObject* Sender) { GetChange(Sender); };
}

TFxBitmapEffectObject::~TFxBitmapEffectObject()
{
    m_buffer.reset();
    m_alphaBlend->OnChange = nullptr;
}

void TFxBitmapEffectObject::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    const auto* src = dynamic_cast<const TFxBitmapEffectObject*>(Source);
    if (!src) {
        TFxObject::Assign(Source);
        return;
    }
    std::copy(src->m_flags, src->m_flags + EffectCount, m_flags);
    m_brightness = src->m_brightness;
    SetBoolean(BufferedIndex, src->Buffered());
    m_alphaBlend->Assign(src->m_alphaBlend.get());
}

QString TFxBitmapEffectObject::GetSetStr() const
{
    QStringList tags;
    if (m_alphaBlend->FillObject()->Style() != TFxFillStyle::sfNone) tags << QStringLiteral("alpha");
    for (int e = 0; e < EffectCount; ++e)
        if (m_flags[e]) tags << QLatin1String(kEffects[e].tag);
    if (m_brightness != 0) tags << QStringLiteral("B");
    if (tags.isEmpty()) tags << QStringLiteral("Disabled");
    return QLatin1Char('{') + tags.join(QLatin1Char(',')) + QLatin1Char('}');
}

void TFxBitmapEffectObject::GetChange(TObject* Sender)
{
    TFxObject::GetChange(Sender);
    DestroyBuffer();
}

void TFxBitmapEffectObject::SetBoolean(int Index, bool Value)
{
    if (Index < 0 || Index > BufferedIndex || m_flags[Index] == Value) return;
    m_flags[Index] = Value;
    if (Index == BufferedIndex) {
        m_bufferValid = false;
        if (Value)
            m_buffer = std::make_unique<TBitmap>();
        else
            m_buffer.reset();
    }
    GetChange(nullptr);
}

void TFxBitmapEffectObject::SetBrightness(int v)
{
    const int16_t b = int16_t(std::clamp(v, -255, 255));
    if (m_brightness == b) return;
    m_brightness = b;
    GetChange(nullptr);
}

bool TFxBitmapEffectObject::Active() const
{
    for (bool on : m_flags)
        if (on) return true;   // an effect, or Buffered
    return m_brightness != 0 || m_alphaBlend->Blends();
}

void TFxBitmapEffectObject::Draw(TBitmap* Image)
{
    if (!Image) return;
    if (Buffered() && m_bufferValid) {
        Image->Canvas()->Draw(0, 0, m_buffer.get());
        return;
    }
    const TRect all(0, 0, Image->Width(), Image->Height());
    const TPoint origin(0, 0);
    for (int e = 0; e < EffectCount; ++e)
        if (m_flags[e]) kEffects[e].apply(Image, all, Image, origin);
    if (m_brightness != 0) FxBMPBrightness(Image, all, Image, m_brightness, origin);
    m_alphaBlend->AlphaBlend(Image);
    if (Buffered() && !m_bufferValid) {
        m_buffer->SetDevicePixelRatio(Image->DevicePixelRatio());
        m_buffer->SetSize(Image->Width(), Image->Height());
        m_buffer->Canvas()->Draw(0, 0, Image);
        m_bufferValid = true;
    }
}
