// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxBitmapEffectObject: the background effects of a library control, applied in place to a
// 24-bit image: mirrors, grey scale, invert, brightness and an alpha blend with a fill. With
// Buffered set it keeps its result and hands it out again until a change or DestroyBuffer.
#pragma once

#include "foundation/fxalphaobject.h"
#include "foundation/fxobject.h"

#include <memory>

class TFxBitmapEffectObject : public TFxObject {
public:
    // Every effect off, Brightness 0, not buffered; the alpha object with its defaults.
    TFxBitmapEffectObject();
    ~TFxBitmapEffectObject() override;
    QString ClassName() const override { return QStringLiteral("TFxBitmapEffectObject"); }

    // From another effect object: the flags and Brightness without notification, Buffered
    // through its setter, then the alpha object's Assign.
    void Assign(const TPersistent* Source) override;
    // "{alpha,FV,FH,GS,INV,B}" for the effects in use, or "{Disabled}".
    QString GetSetStr() const override;
    // Notifies (OnChange), then drops the kept result.
    void GetChange(TObject* Sender) override;

    // Applies the effects to Image in place: mirror left to right, mirror top to bottom, grey
    // scale, invert, brightness, alpha blend, in that order. With a valid buffer, copies the
    // kept result onto Image instead.
    void Draw(TBitmap* Image);
    // False when Draw leaves every image as it is: no effect, Brightness 0, no blend and no kept
    // result to hand out instead.
    bool Active() const;
    // Marks the kept result as stale; the owner calls it when its size or background changed.
    void DestroyBuffer() { m_bufferValid = false; }

    // The switchable effects, in the order Draw applies them; a new one is an entry here and
    // a row in the table of effects in the .cpp (its routine and its GetSetStr tag).
    enum TEffect { efFlipVertical, efFlipHorizontal, efGrayScale, efInvert, EffectCount };
    // SetBoolean's indices: an effect's, then Buffered right after the last effect.
    static constexpr int BufferedIndex = EffectCount;
    void SetBoolean(int Index, bool Value);
    bool Effect(TEffect e) const { return m_flags[e]; }
    bool FlipVertical() const { return m_flags[efFlipVertical]; }       // mirror left to right
    bool FlipHorizontal() const { return m_flags[efFlipHorizontal]; }   // mirror top to bottom
    bool GrayScale() const { return m_flags[efGrayScale]; }
    bool Invert() const { return m_flags[efInvert]; }
    bool Buffered() const { return m_flags[BufferedIndex]; }
    void SetFlipVertical(bool v) { SetBoolean(efFlipVertical, v); }
    void SetFlipHorizontal(bool v) { SetBoolean(efFlipHorizontal, v); }
    void SetGrayScale(bool v) { SetBoolean(efGrayScale, v); }
    void SetInvert(bool v) { SetBoolean(efInvert, v); }
    void SetBuffered(bool v) { SetBoolean(BufferedIndex, v); }
    int Brightness() const { return m_brightness; }
    void SetBrightness(int v);   // -255 .. 255

    TFxAlphaObject* AlphaBlend() const { return m_alphaBlend.get(); }
    // Copies the given alpha object.
    void SetAlphaObject(const TFxAlphaObject* v) { m_alphaBlend->Assign(v); }

private:
    std::unique_ptr<TFxAlphaObject> m_alphaBlend;
    bool m_flags[EffectCount + 1] = {};   // the effects, then Buffered
    int16_t m_brightness = 0;
    std::unique_ptr<TBitmap> m_buffer;
    bool m_bufferValid = false;
};
