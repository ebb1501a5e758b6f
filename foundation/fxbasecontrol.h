// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxBaseControl: a library control with an optional image-list link and the background
// effect object BackFX, whose changes repaint the control.
#pragma once

#include "foundation/fxbitmapeffectobject.h"
#include "foundation/fxcontrol.h"
#include "foundation/fximagelist.h"

#include <memory>

class TFxBaseControl : public TFxControl {
public:
    // No image list, indexes 0; creates the change link and BackFX (its defaults) and binds
    // their change events to GetIMLChange and GetChange.
    explicit TFxBaseControl(TComponent* AOwner);
    // Unbinds the change events, then frees BackFX and the change link.
    ~TFxBaseControl() override;
    QString ClassName() const override { return QStringLiteral("TFxBaseControl"); }

    // The background effect applied to the control's background.
    TFxBitmapEffectObject* BackFX() const { return m_backFX.get(); }
    // Copies Value into BackFX; the object itself is never replaced.
    void SetBackFX(const TFxBitmapEffectObject* Value) { m_backFX->Assign(Value); }

    TFxCustomImageList* ImageList() const { return m_imageList; }
    void SetImageList(TFxCustomImageList* Value);
    int32_t ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int32_t Value);
    int32_t ListIndex() const { return m_listIndex; }
    void SetIndex(int32_t Value);
    // Whether the link names no picture.
    bool IMLEmpty() const;

    // The framework's Loaded, then GetIMLChange(nullptr) for a collection image list (whose
    // pictures exist only once loading has finished).
    void Loaded() override;
    // R (client coordinates) with both corners converted to screen coordinates.
    TRect GetScreenRect(const TRect& R) const;
    // Whether a background picture from the parent is in use (never here).
    virtual bool CheckOptimized() { return false; }
    // The parent tells that the picture behind changed: when visible, repaints if an
    // optimised background is in use (not while loading) and drops BackFX's buffer.
    void BackUpdate() override;
    // The image list's content changed.
    virtual void GetIMLChange(TObject* Sender);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TFxCustomImageList* m_imageList = nullptr;
    int32_t m_imageIndex = 0;
    int32_t m_listIndex = 0;
    std::unique_ptr<TFxChangeLink> m_changeLink;
    std::unique_ptr<TFxBitmapEffectObject> m_backFX;
};
