// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxShapeFill: what every fill of the library has: a picture, a gradient, the fill style and
// how a picture is placed. TFxFillObject (fxfillobject.h) adds the brush, alignment, offsets,
// options and the painting.
#pragma once

#include "foundation/fxgradient.h"
#include "foundation/fxobject.h"

#include <memory>

enum class TFxFillStyle : uint8_t { sfNone, sfBrushBitmap, sfBrush, sfBitmap, sfBitmapList, sfGradient };
enum class TFxTileMode : uint8_t { tmNone, tmCenter, tmStretch, tmTile };

class TFxShapeFill : public TFxObject {
public:
    // Empty picture, default gradient, sfBrush, tmTile. A change of the picture or of the
    // gradient is this object's change.
    TFxShapeFill();
    ~TFxShapeFill() override;
    QString ClassName() const override { return QStringLiteral("TFxShapeFill"); }

    // From another shape fill, without notifications in between: picture, list picture,
    // gradient, style and tile mode; then one Change.
    void Assign(const TPersistent* Source) override;

    // Picture of sfBrushBitmap and sfBitmap. SetBitmap copies the given one.
    TBitmap* Bitmap() const { return m_bitmap.get(); }
    void SetBitmap(const TBitmap* v) { m_bitmap->Assign(v); }
    // Picture of sfBitmapList, taken from an image list by the fill's owner.
    TBitmap* ListBitmap() const { return m_listBitmap.get(); }
    TFxGradient* Gradient() const { return m_gradient.get(); }
    void SetGradient(const TFxGradient* v) { m_gradient->Assign(v); }

    TFxFillStyle Style() const { return m_style; }
    void SetFillStyle(TFxFillStyle v);
    TFxTileMode TileMode() const { return m_tileMode; }
    void SetTileMode(TFxTileMode v);

protected:
    // Copies the shape fill's own parts; the caller brackets the notifications.
    void AssignShape(const TFxShapeFill* Source);

    std::unique_ptr<TBitmap> m_bitmap;
    std::unique_ptr<TBitmap> m_listBitmap;
    std::unique_ptr<TFxGradient> m_gradient;
    TFxFillStyle m_style = TFxFillStyle::sfBrush;
    TFxTileMode m_tileMode = TFxTileMode::tmTile;
};
