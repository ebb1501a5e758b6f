// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxAlphaObject: blends an image with a fill (TFxFillObject). Strength is the weight of the
// image itself: 1 keeps it, 0 shows only the fill. The fill's picture for sfBitmapList comes
// from an image list, which the object follows through a change link.
#pragma once

#include "foundation/fxfillobject.h"
#include "foundation/fximagelist.h"
#include "foundation/fxobject.h"

#include <memory>

// What Assign copies of an alpha object besides its fill: one struct that the object derives
// from, so that a copy cannot leave a field out.
struct TFxAlphaValues {
    TFxCustomImageList* m_imageList = nullptr;
    int32_t m_imageIndex = 0;
    int32_t m_listIndex = 0;
    float m_strength = 0.6f;
};

class TFxAlphaObject : public TFxObject, private TFxAlphaValues {
public:
    // Strength 0.6, no image list, indexes 0, a fill object with its defaults (sfNone).
    TFxAlphaObject();
    ~TFxAlphaObject() override;
    QString ClassName() const override { return QStringLiteral("TFxAlphaObject"); }

    // From another alpha object: its fill, then strength, indexes and the image-list
    // reference, without notification (the change link stays with the list it was
    // registered with).
    void Assign(const TPersistent* Source) override;
    // "{Disabled}", or "{Enabled (brush|bmp|grad|), strength: 0.600}" with the user's decimal
    // separator.
    QString GetSetStr() const override;

    // Blends Image (made 24-bit) with the fill painted over its whole area on white. Nothing
    // when the fill style is sfNone.
    void AlphaBlend(TBitmap* Image);
    // True when AlphaBlend changes images: the fill style is not sfNone.
    bool Blends() const { return m_fillObject->Style() != TFxFillStyle::sfNone; }

    float Strength() const { return m_strength; }
    void SetSingle(float v);
    void SetStrength(float v) { SetSingle(v); }
    TFxFillObject* FillObject() const { return m_fillObject.get(); }
    // Copies the given fill.
    void SetFillObject(const TFxFillObject* v) { m_fillObject->Assign(v); }

    // The image list is not owned. Whoever owns this object drops it (SetImageList(nullptr))
    // when the list is freed, as the controls do from their free notification.
    TFxCustomImageList* ImageList() const { return m_imageList; }
    void SetImageList(TFxCustomImageList* v);
    int ImageIndex() const { return m_imageIndex; }
    int ListIndex() const { return m_listIndex; }
    // Index 0 ImageIndex, 1 ListIndex; the fill's list picture is fetched again either way.
    void SetInteger(int Index, int Value);
    void SetImageIndex(int v) { SetInteger(0, v); }
    void SetListIndex(int v) { SetInteger(1, v); }

    // Takes the item (ListIndex, ImageIndex) of the image list into the fill's list picture,
    // or empties that picture when there is no such item; then notifies as a change of the
    // fill.
    void GetIMLChange(TObject* Sender);

private:
    std::unique_ptr<TFxChangeLink> m_changeLink;
    std::unique_ptr<TFxFillObject> m_fillObject;
};
