#include "foundation/fxbitmapeffectobject.h"

#include "foundation/fxbmp.h"

#include <QStringList>
#include <algorithm>

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
    std::copy(src->m_flags, src->m_flags + 4, m_flags);
    m_brightness = src->m_brightness;
    SetBoolean(4, src->Buffered());
    m_alphaBlend->Assign(src->m_alphaBlend.get());
}

QString TFxBitmapEffectObject::GetSetStr() const
{
    QStringList tags;
    if (m_alphaBlend->FillObject()->Style() != TFxFillStyle::sfNone) tags << QStringLiteral("alpha");
    if (FlipVertical()) tags << QStringLiteral("FV");
    if (FlipHorizontal()) tags << QStringLiteral("FH");
    if (GrayScale()) tags << QStringLiteral("GS");
    if (Invert()) tags << QStringLiteral("INV");
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
    if (Index < 0 || Index > 4 || m_flags[Index] == Value) return;
    m_flags[Index] = Value;
    if (Index == 4) {
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

void TFxBitmapEffectObject::Draw(TBitmap* Image)
{
    if (!Image) return;
    if (Buffered() && m_bufferValid) {
        Image->Canvas()->Draw(0, 0, m_buffer.get());
        return;
    }
    const TRect all(0, 0, Image->Width(), Image->Height());
    const TPoint origin(0, 0);
    if (FlipVertical()) FxBMPFlipVertical(Image, all, Image, origin);
    if (FlipHorizontal()) FxBMPFlipHorizonzal(Image, all, Image, origin);
    if (GrayScale()) FxBMPGrayScale(Image, all, Image, origin);
    if (Invert()) FxBMPInvert(Image, all, Image, origin);
    if (m_brightness != 0) FxBMPBrightness(Image, all, Image, m_brightness, origin);
    m_alphaBlend->AlphaBlend(Image);
    if (Buffered() && !m_bufferValid) {
        m_buffer->SetDevicePixelRatio(Image->DevicePixelRatio());
        m_buffer->SetSize(Image->Width(), Image->Height());
        m_buffer->Canvas()->Draw(0, 0, Image);
        m_bufferValid = true;
    }
}
